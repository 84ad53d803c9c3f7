#include "boards/vela/Tvelalayout.h"

#include "boards/core/Tconfigurableboard.h"
#include "boards/vela/Velasv.h"

#include <cstdlib>
#include <utility>

namespace {

constexpr int kSvBaseAddress = 5;  // and 6

}  // namespace

TVelaLayout::TVelaLayout()
{
    for (int i = 0; i < kSignals; ++i)
        signals_[size_t(i)].SetNumber(i + 1);
    for (int i = 0; i < kZones; ++i)
        zones_[size_t(i)].SetNumber(i + 1);
    SetBaseAddress(1);
}

void TVelaLayout::SetBaseAddress(int32_t address)
{
    baseAddress_ = address;
    for (TSignal& s : signals_)
        s.SetBaseAddress(address);
}

bool TVelaLayout::CollectDevices()
{
    bool ok = true;
    for (const TSignal& s : signals_)
        ok = s.CollectDevices(table_) && ok;
    for (const TRevRunZone& z : zones_)
        ok = z.CollectDevices(table_) && ok;
    return ok;
}

bool TVelaLayout::EncodeSignalsAndZones(TSvWriter& image) const
{
    bool ok = true;
    for (const TSignal& s : signals_)
        ok = s.Encode(image, table_) && ok;
    for (const TRevRunZone& z : zones_)
        ok = z.Encode(image, table_) && ok;
    return ok;
}

bool TVelaLayout::DecodeSignalsAndZones(std::span<const uint8_t> image)
{
    bool ok = true;
    for (TSignal& s : signals_)
        ok = s.Decode(image, table_) && ok;
    for (TRevRunZone& z : zones_)
        ok = z.Decode(image, table_) && ok;
    return ok;
}

bool TVelaLayout::EncodeImage(TSvWriter& image) const
{
    vela::PutSv(image, kSvBaseAddress, uint8_t(baseAddress_ & 0xFF), "signal base address, low byte");
    vela::PutSv(image, kSvBaseAddress + 1, uint8_t((baseAddress_ >> 8) & 0xFF), "signal base address, high byte");
    table_.WriteSvs(image);
    return EncodeSignalsAndZones(image);
}

bool TVelaLayout::DecodeImage(std::span<const uint8_t> image)
{
    SetBaseAddress(vela::GetSv(image, kSvBaseAddress) + 256 * vela::GetSv(image, kSvBaseAddress + 1));
    table_.ReadSvs(image);
    const bool ok = DecodeSignalsAndZones(image);
    // The image's table has done its work: it named the devices. Kept, it
    // would hold entries none of the board's devices use and could leave no
    // free position for one that does, so the board read back would not
    // calculate as the same board saved and loaded again. Its devices now
    // take their positions in collection order, as a loaded board's do.
    table_ = TExtDevTable{};
    return ok;
}

bool TVelaLayout::ComputeBoardImage(TConfigurableBoard& board,
                                    const std::function<void(TSvWriter&)>& encodeSettings)
{
    // A device that finds no position shows up as an encoding failure below.
    CollectDevices();

    std::vector<uint8_t> bytes = board.SvImage();
    TSvWriter image = board.ImageWriter(bytes);
    encodeSettings(image);
    const bool ok = EncodeImage(image);

    for (unsigned sv = 1; sv <= bytes.size(); ++sv)
        board.SetSvByte(sv, bytes[sv - 1]);
    return ok;
}

namespace {

// The first condition of the set that cannot be programmed, named by its
// place: "<where>, <set title>, condition <n>: <why>".
std::string SetProblem(const std::string& where, const TConditionSet& set)
{
    for (int i = 0; i < set.Capacity(); ++i) {
        const std::string why = TExtDevTable::Unprogrammable(set.ConditionAt(i));
        if (!why.empty())
            return where + ", " + set.Title() + ", condition " + std::to_string(i + 1) + ": " + why;
    }
    return {};
}

std::string SignalProblem(const TSignal& signal)
{
    const std::string where = "signal " + std::to_string(signal.Number());
    if (!signal.IsBlock()) {
        if (signal.JunctionPoint() == 0)
            return where + ": a diverging signal needs its junction point";
        const std::string why = TExtDevTable::Unprogrammable(TCondition::Point(signal.JunctionPoint(), 0, false));
        if (!why.empty())
            return where + ", junction: " + why;
    }
    const std::pair<int32_t, uint8_t> nextSignals[] = {
        {signal.NextSignal(), signal.NextMode()},
        {signal.IsBlock() ? 0 : signal.NextSignalThrown(), signal.NextModeThrown()}};
    for (const auto& [next, mode] : nextSignals) {
        if (mode > eNextVirtual || next == 0 || signal.IsOwnSignal(next))
            continue;
        const std::string why = TExtDevTable::Unprogrammable(TCondition::Signal(next, 0, false));
        if (!why.empty())
            return where + ", next signal: " + why;
    }
    for (const TConditionSet* set : {&signal.BlockSet(), signal.BlockThrownSet(), &signal.RedSet(),
                                     signal.RedThrownSet(), &signal.IsolationSet(), &signal.AuxSet()}) {
        if (set) {
            const std::string problem = SetProblem(where, *set);
            if (!problem.empty())
                return problem;
        }
    }
    return {};
}

}  // namespace

std::string TVelaLayout::SvErrorText() const
{
    for (const TSignal& signal : signals_) {
        const std::string problem = SignalProblem(signal);
        if (!problem.empty())
            return "SV Calculation Error: " + problem;
    }
    for (const TRevRunZone& zone : zones_) {
        const std::string where = "zone " + zone.Letter();
        for (const TConditionSet* set : {&zone.WestEastSet(), &zone.EastWestSet(), &zone.FreezeSet(), &zone.ShuntSet()}) {
            const std::string problem = SetProblem(where, *set);
            if (!problem.empty())
                return "SV Calculation Error: " + problem;
        }
    }
    return vela::kSvErrorText;
}

void TVelaLayout::WriteRecords(std::ostream& out)
{
    for (TSignal& s : signals_)
        s.WriteRecord(out);
    for (TRevRunZone& z : zones_)
        z.WriteRecord(out);
}

void TVelaLayout::ReadRecords(std::istream& in)
{
    for (TSignal& s : signals_)
        s.ReadRecord(in);
    for (TRevRunZone& z : zones_)
        z.ReadRecord(in);
}

void TVelaLayout::ReportSignals(std::vector<std::string>& lines) const
{
    for (const TSignal& s : signals_)
        s.Report(lines);
}

void TVelaLayout::ReportZones(std::vector<std::string>& lines) const
{
    for (const TRevRunZone& z : zones_)
        z.Report(lines);
}

void TVelaLayout::ReportSignalsAndZones(std::vector<std::string>& lines, const std::string& zonesHeading) const
{
    lines.push_back("");
    lines.push_back("Signal Settings:");
    ReportSignals(lines);
    lines.push_back("");
    lines.push_back(zonesHeading);
    ReportZones(lines);
}

namespace vela {

std::vector<unsigned> SystemSvList()
{
    return {1, 2, 7, 8, 29};
}

std::string QuarterSecondsText(int32_t quarters)
{
    static const char* const kFractions[] = {"", ".25", ".5", ".75"};
    const long long q = quarters;
    const long long magnitude = std::llabs(q);
    std::string text = q < 0 ? "-" : "";
    text += std::to_string(magnitude / 4);
    text += kFractions[magnitude % 4];
    return text;
}

}  // namespace vela
