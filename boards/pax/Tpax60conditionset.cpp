#include "boards/pax/Tpax60conditionset.h"

#include "boards/pax/Tpax60extdevtable.h"

#include <algorithm>

namespace {

struct TKindRow {
    int capacity;
    const char* fileKey;
    const char* title;
};
const TKindRow kKinds[] = {
    {7, "Cond_Cell_T", "Conditions for change to Thrown"},
    {7, "Cond_Cell_C", "Conditions for change to Closed"},
    {2, "Cond_Cell_F", "Conditions to freeze cell"},
    {5, "Cond_Route", "Conditions to trigger route"},
};
constexpr int kMinFields = 17;
constexpr int kFirstConditionColumn = 4;
const std::string kReportIndent(10, ' ');

const TKindRow& RowOf(uint8_t kind)
{
    return kKinds[kind < 4 ? kind : 3];
}

}  // namespace

int TPAX60ConditionSet::CapacityOfKind(uint8_t kind)
{
    return RowOf(kind).capacity;
}

const char* TPAX60ConditionSet::FileKeyOfKind(uint8_t kind)
{
    return RowOf(kind).fileKey;
}

const char* TPAX60ConditionSet::TitleOfKind(uint8_t kind)
{
    return RowOf(kind).title;
}

TPAX60ConditionSet::TPAX60ConditionSet(uint8_t kind)
    : FKind(kind), FConditions(static_cast<size_t>(CapacityOfKind(kind)))
{
    SetQuoteTexts(true);
}

TPAX60ConditionSet::TPAX60ConditionSet(uint8_t kind, const TPAX60ConditionSet& other)
    : TPAX60ConditionSet(kind)
{
    const int n = std::min(Capacity(), other.Capacity());
    std::copy_n(other.FConditions.begin(), n, FConditions.begin());
}

TPAX60ConditionSet::TPAX60ConditionSet(const TPAX60ConditionSet& other)
    : TCsvIo(other), FKind(other.FKind), FConditions(other.FConditions)
{
}

TPAX60ConditionSet& TPAX60ConditionSet::operator=(const TPAX60ConditionSet& other)
{
    if (this != &other) {
        TCsvIo::operator=(other);
        FKind = other.FKind;
        FConditions = other.FConditions;
    }
    return *this;
}

void TPAX60ConditionSet::InsertAt(int i, const TPAX60Condition& condition)
{
    if (i < 0 || i >= Capacity())
        return;
    for (int k = Capacity() - 1; k > i; --k)
        FConditions[k] = FConditions[k - 1];
    FConditions[i] = condition;
}

void TPAX60ConditionSet::DeleteAt(int i)
{
    if (i < 0 || i >= Capacity())
        return;
    for (int k = i; k < Capacity() - 1; ++k)
        FConditions[k] = FConditions[k + 1];
    FConditions[Capacity() - 1] = TPAX60Condition::Empty();
}

void TPAX60ConditionSet::Clear()
{
    for (TPAX60Condition& c : FConditions)
        c = TPAX60Condition::Empty();
}

void TPAX60ConditionSet::WriteConditionLine(std::ostream& out)
{
    ClearFields();
    SetTextField(2, FileKey());
    SetTextField(3, std::to_string(Capacity()));
    for (int i = 0; i < Capacity(); ++i)
        SetTextField(kFirstConditionColumn + i, FConditions[i].FileText());
    WriteLine(out, kMinFields);
}

void TPAX60ConditionSet::ReadConditionLine(std::istream& in)
{
    ReadLine(in);
    // Surplus texts beyond the capacity, and a negative count, are ignored.
    const int count = std::min<int>(GetIntField(3), Capacity());
    for (int i = 0; i < count; ++i)
        FConditions[i].ParseFileText(GetTextField(kFirstConditionColumn + i));
}

bool TPAX60ConditionSet::Encode(TSvWriter out, const TPAX60ExtDevTable& table) const
{
    bool all = true;
    for (int i = 0; i < Capacity(); ++i) {
        bool ok = true;
        out.Put(size_t(i), FConditions[i].Encode(table, ok),
                out.Naming() ? "condition " + std::to_string(i + 1) : std::string());
        all = all && ok;
    }
    return all;
}

void TPAX60ConditionSet::Decode(std::span<const uint8_t> in, const TPAX60ExtDevTable& table)
{
    for (int i = 0; i < Capacity(); ++i)
        FConditions[i].Decode(in[i], table);
}

bool TPAX60ConditionSet::CollectDevices(TPAX60ExtDevTable& table) const
{
    bool all = true;
    for (const TPAX60Condition& c : FConditions) {
        if (c.IsEmpty())
            continue;
        TPAX60Device d{c.DeviceType, c.Number, c.DeviceType == kPax60DevSensor ? c.Offset : 0};
        all = table.Add(d) && all;
    }
    return all;
}

void TPAX60ConditionSet::Report(std::vector<std::string>& lines) const
{
    int n = 0;
    while (n < Capacity() && !FConditions[n].IsEmpty())
        ++n;
    if (n == 0) {
        lines.push_back(kReportIndent + "(No conditions assigned)");
        return;
    }
    std::string line = kReportIndent;
    for (int i = 0; i < n; ++i) {
        line += FConditions[i].DisplayText();
        if (FConditions[i].AndNext && i != n - 1) {
            line += ' ';
        } else {
            lines.push_back(line);
            line = kReportIndent;
        }
    }
}
