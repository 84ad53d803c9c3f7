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

// A device a signal or zone calls up, named where the editors show it:
// "signal 2, Red Conditions For Block Signal, condition 3".
struct TCalledDevice {
    std::string where;
    TCondition device;
};

void AddSet(std::vector<TCalledDevice>& called, const std::string& where, const TConditionSet& set)
{
    for (int i = 0; i < set.Capacity(); ++i) {
        const TCondition& c = set.ConditionAt(i);
        if (c.deviceType == eVelaPoint || c.deviceType == eVelaSensor || c.deviceType == eVelaSignal)
            called.push_back({where + ", " + set.Title() + ", condition " + std::to_string(i + 1), c});
    }
}

// In the order TSignal::CollectDevices places them.
void AddSignal(std::vector<TCalledDevice>& called, const TSignal& signal)
{
    const std::string where = "signal " + std::to_string(signal.Number());
    auto addNext = [&](int32_t next, uint8_t mode, const char* what) {
        if (mode <= eNextVirtual && next != 0 && !signal.IsOwnSignal(next))
            called.push_back({where + ", " + what, TCondition::Signal(next, 0, false)});
    };
    addNext(signal.NextSignal(), signal.NextMode(), "next signal");
    if (!signal.IsBlock()) {
        called.push_back({where + ", junction", TCondition::Point(signal.JunctionPoint(), 0, false)});
        addNext(signal.NextSignalThrown(), signal.NextModeThrown(), "next signal when thrown");
    }
    for (const TConditionSet* set : {&signal.BlockSet(), &signal.RedSet(), signal.BlockThrownSet(),
                                     signal.RedThrownSet(), &signal.IsolationSet(), &signal.AuxSet()}) {
        if (set)
            AddSet(called, where, *set);
    }
}

std::string DeviceText(const TCondition& device)
{
    switch (device.deviceType) {
    case eVelaPoint:
        return "point " + std::to_string(device.number);
    case eVelaSensor:
        return "sensor " + std::to_string(device.number) + "," + std::to_string(device.offset);
    default:
        return "signal " + std::to_string(device.number);
    }
}

bool SameDevice(const TCondition& a, const TCondition& b)
{
    return a.deviceType == b.deviceType && a.number == b.number &&
           (a.deviceType != eVelaSensor || a.offset == b.offset);
}

// Why the table could not place every device of one of its two ranges.
std::string RangeProblem(const std::vector<TCalledDevice>& called, const TExtDevTable& table, bool signals)
{
    const char* const what = signals ? "signals as next signals or in conditions" : "points and sensors";
    const int capacity = signals ? TExtDevTable::kPositions - TExtDevTable::kLastPointPosition
                                 : TExtDevTable::kLastPointPosition;
    std::vector<TCondition> distinct;
    const TCalledDevice* firstUnplaced = nullptr;
    for (const TCalledDevice& c : called) {
        if ((c.device.deviceType == eVelaSignal) != signals)
            continue;
        bool seen = false;
        for (const TCondition& d : distinct)
            seen = seen || SameDevice(d, c.device);
        if (!seen)
            distinct.push_back(c.device);
        if (!firstUnplaced && table.Find(c.device) == 0)
            firstUnplaced = &c;
    }
    if (!firstUnplaced)
        return {};
    const std::string count = std::to_string(distinct.size());
    const std::string holds = std::to_string(capacity);
    const std::string first =
        "; the first without a place is " + firstUnplaced->where + " (" + DeviceText(firstUnplaced->device) + ")";
    if (int(distinct.size()) > capacity)
        return "Signals and reverse running zones call up " + count + " " + what + "; the board holds " + holds +
               first;
    // The table keeps the place of a device no condition names any more until
    // the board is loaded or read back.
    return "Signals and reverse running zones call up " + count + " " + what + ", but places kept for ones no " +
           "longer called up fill the board's " + holds + "; save the board list and open it again to free them" +
           first;
}

}  // namespace

std::string TVelaLayout::SvErrorText() const
{
    for (const TSignal& signal : signals_) {
        if (!signal.IsBlock() && signal.JunctionPoint() == 0)
            return "SV Calculation Error: signal " + std::to_string(signal.Number()) +
                   ": a diverging signal needs its junction point";
    }
    std::vector<TCalledDevice> called;
    for (const TSignal& signal : signals_)
        AddSignal(called, signal);
    for (const TRevRunZone& zone : zones_) {
        for (const TConditionSet* set : {&zone.WestEastSet(), &zone.EastWestSet(), &zone.FreezeSet(), &zone.ShuntSet()})
            AddSet(called, "zone " + zone.Letter(), *set);
    }
    for (const TCalledDevice& c : called) {
        const std::string why = TExtDevTable::Unprogrammable(c.device);
        if (!why.empty())
            return "SV Calculation Error: " + c.where + ": " + why;
    }
    for (bool signals : {false, true}) {
        const std::string problem = RangeProblem(called, table_, signals);
        if (!problem.empty())
            return std::string(vela::kSvErrorText) + ". " + problem;
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
