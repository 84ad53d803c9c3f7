#include "boards/vela/Tconditionset.h"

#include "boards/vela/Extdevtable.h"

#include <algorithm>
#include <array>

namespace {

struct TSetKindRow {
    int capacity;
    const char* fileKey;
    const char* title;
};

constexpr std::array<TSetKindRow, TConditionSet::kKinds> kSetKinds = {{
    {3, "Cond_Block:", "Block Occupancy Conditions"},
    {14, "Cond_Red_Norm:", "Red Conditions For Block Signal"},
    {5, "Cond_redDiverge:", "Red Conditions for Diverging Junction"},
    {3, "Cond_Isol_Override:", "Isolation Zone Override Conditions"},
    {2, "Cond_Aux:", "Auxiliary Conditions"},
    {8, "Cond_Rev_Direction:", "Reverse Zone Direction Conditions"},
    {6, "Cond_Rev_Freeze:", "Reverse Zone Freeze Conditions"},
    {3, "Cond_Rev_Shunt:", "Reverse Zone Shunt Conditions"},
}};

const TCondition kNoCondition{};
const std::string kReportIndent(10, ' ');

}  // namespace

int TConditionSet::CapacityOf(uint8_t kind)
{
    return kind < kKinds ? kSetKinds[kind].capacity : 0;
}

TConditionSet::TConditionSet(uint8_t kind, const TConditionSet* source)
    : kind_(kind), conditions_(size_t(CapacityOf(kind)))
{
    SetQuoteTexts(true);
    if (source) {
        const size_t n = std::min(conditions_.size(), source->conditions_.size());
        std::copy_n(source->conditions_.begin(), n, conditions_.begin());
    }
}

TConditionSet::TConditionSet(const TConditionSet& other)
    : TCsvIo(other), kind_(other.kind_), conditions_(other.conditions_)
{
}

TConditionSet& TConditionSet::operator=(const TConditionSet& other)
{
    if (this != &other) {
        TCsvIo::operator=(other);
        kind_ = other.kind_;
        conditions_ = other.conditions_;
    }
    return *this;
}

std::string TConditionSet::FileKey() const
{
    return kind_ < kKinds ? kSetKinds[kind_].fileKey : "";
}

std::string TConditionSet::Title() const
{
    return kind_ < kKinds ? kSetKinds[kind_].title : "";
}

const TCondition& TConditionSet::ConditionAt(int index) const
{
    if (index < 0 || index >= Capacity())
        return kNoCondition;
    return conditions_[size_t(index)];
}

void TConditionSet::SetCondition(int index, const TCondition& condition)
{
    if (index >= 0 && index < Capacity())
        conditions_[size_t(index)] = condition;
}

void TConditionSet::DeleteAt(int index)
{
    if (index < 0 || index >= Capacity())
        return;
    std::copy(conditions_.begin() + index + 1, conditions_.end(), conditions_.begin() + index);
    conditions_.back() = TCondition::None();
}

void TConditionSet::InsertAt(int index, const TCondition& condition)
{
    if (index < 0 || index >= Capacity())
        return;
    std::copy_backward(conditions_.begin() + index, conditions_.end() - 1, conditions_.end());
    conditions_[size_t(index)] = condition;
}

void TConditionSet::Clear()
{
    std::fill(conditions_.begin(), conditions_.end(), TCondition::None());
}

bool TConditionSet::CollectDevices(TExtDevTable& table) const
{
    bool ok = true;
    for (const TCondition& c : conditions_) {
        if (c.deviceType == eVelaPoint || c.deviceType == eVelaSensor || c.deviceType == eVelaSignal) {
            if (!table.Add(c))
                ok = false;
        }
    }
    return ok;
}

bool TConditionSet::Encode(TSvWriter dest, const TExtDevTable& table) const
{
    bool ok = true;
    for (size_t i = 0; i < conditions_.size(); ++i) {
        bool encoded = true;
        const uint8_t value = conditions_[i].Encode(table, encoded);
        if (!encoded)
            ok = false;
        dest.Put(i, value, dest.Naming() ? "condition " + std::to_string(i + 1) : std::string());
    }
    return ok;
}

bool TConditionSet::Decode(std::span<const uint8_t> source, const TExtDevTable& table)
{
    bool ok = true;
    for (size_t i = 0; i < conditions_.size(); ++i) {
        if (!conditions_[i].Decode(i < source.size() ? source[i] : 0, table))
            ok = false;
    }
    return ok;
}

void TConditionSet::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(2, FileKey());
    SetTextField(3, std::to_string(Capacity()));
    for (int i = 0; i < Capacity(); ++i)
        SetTextField(4 + i, conditions_[size_t(i)].FileText());
    WriteLine(out, kMinFields);
}

void TConditionSet::ReadRecord(std::istream& in)
{
    ReadLine(in);
    // Surplus texts and a negative count are ignored so the rest of the file stays readable.
    const int count = std::clamp(int(GetIntField(3)), 0, Capacity());
    for (int i = 0; i < count; ++i)
        conditions_[size_t(i)].ParseFileText(GetTextField(4 + i));
}

void TConditionSet::Report(std::vector<std::string>& lines) const
{
    size_t n = 0;
    while (n < conditions_.size() && conditions_[n].deviceType != eVelaNone)
        ++n;
    if (n == 0) {
        lines.push_back(kReportIndent + "(No conditions assigned)");
        return;
    }
    std::string line = kReportIndent;
    for (size_t i = 0; i < n; ++i) {
        line += conditions_[i].DisplayText();
        if (conditions_[i].andNext && i + 1 < n) {
            line += " ";
        } else {
            lines.push_back(line);
            line = kReportIndent;
        }
    }
}
