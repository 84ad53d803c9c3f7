#include "boards/pax/Tpax60boardparts.h"

#include "boards/pax/Paxhelpers.h"
#include "boards/pax/Tpax60boardsv.h"

#include <algorithm>

namespace {

constexpr unsigned kSvCount = 512;
constexpr unsigned kMinFields = 17;

// Board settings in the image; SV n is image[n - 1].
constexpr int kBaseAddressSv = 5;  // and 6
constexpr int kOccupies16Sv = 9;
constexpr int kLocoNetSv = 10;
constexpr int kCduDelaySv = 19;
constexpr int kMemoryLocationSv = 30;
constexpr int kSensorBoardSv = 39;
constexpr int kRouteBaseSv = 61;   // and 62


int32_t GetWord(std::span<const uint8_t> image, int sv)
{
    return image[sv - 1] + 256 * image[sv];
}

}  // namespace

TPAX60BoardParts::TPAX60BoardParts()
{
    for (int i = 0; i < kCellCount; ++i)
        Cells[i].Number = i + 1;
    for (int i = 0; i < kInputCount; ++i)
        Inputs[i].Number = i + 1;
    for (int i = 0; i < kRouteCount; ++i)
        Routes[i].Number = i + 1;
}

void TPAX60BoardParts::SetBaseAddress(int32_t base)
{
    BaseAddress = base;
    for (TPAX60Cell& c : Cells)
        c.SetBoardBaseAddress(base);
    for (TPAX60Route& r : Routes)
        r.SetBoardBaseAddress(base);
    ExtDevTable.SetOwnPointBase(base);
}

bool TPAX60BoardParts::Compute(const TSvWriter& image)
{
    ExtDevTable.SetOwnSensorBoard(SensorBoardNumber);
    // A device that finds no place in the table shows up below as a condition
    // that cannot be encoded.
    ExtDevTable.Clear();
    for (const TPAX60Cell& c : Cells)
        c.CollectDevices(ExtDevTable);
    for (const TPAX60Route& r : Routes)
        r.CollectDevices(ExtDevTable);

    image.PutWord(kBaseAddressSv - 1, static_cast<uint16_t>(BaseAddress & 0xFFFF), "base address");
    image.PutSv(kOccupies16Sv, Occupies16Addresses ? 1 : 0, "occupies 16 addresses");
    image.PutSv(kLocoNetSv, LocoNetSwitchCommands ? 1 : 0, "LocoNet switch commands");
    image.PutSv(kCduDelaySv, static_cast<uint8_t>(CduDelay), "CDU delay");
    image.PutSv(kMemoryLocationSv, static_cast<uint8_t>(OutputMemoryLocation), "output memory location");
    image.PutSv(kSensorBoardSv, static_cast<uint8_t>(SensorBoardNumber), "sensor board number");
    image.PutWord(kRouteBaseSv - 1, static_cast<uint16_t>(RouteDccBaseAddress & 0xFFFF), "route DCC base address");
    ExtDevTable.WriteSvs(image);

    bool ok = true;
    for (const TPAX60Cell& c : Cells)
        ok = c.Encode(image, ExtDevTable) && ok;
    for (const TPAX60InputCell& i : Inputs)
        ok = i.Encode(image, ExtDevTable) && ok;
    for (const TPAX60Route& r : Routes)
        ok = r.Encode(image, ExtDevTable) && ok;
    return ok;
}

namespace {

std::string DeviceText(const TPAX60Device& d)
{
    switch (d.DeviceType) {
    case kPax60DevPoint:
        return "point " + std::to_string(d.Number);
    case kPax60DevSensor:
        return "sensor " + std::to_string(d.Number) + "," + std::to_string(d.Offset);
    default:
        return "signal " + std::to_string(d.Number);
    }
}

}  // namespace

std::string TPAX60BoardParts::ComputeProblem() const
{
    // Every device the conditions name, where the editors show it, in the
    // order Compute enters them into the table.
    struct TCalled {
        std::string where;
        TPAX60Device device;
    };
    std::vector<TCalled> called;
    auto addSet = [&](const std::string& where, const TPAX60ConditionSet& set) {
        for (int i = 0; i < set.Capacity(); ++i) {
            const TPAX60Condition& c = set.At(i);
            if (!c.IsEmpty())
                called.push_back({where + ", " + set.Title() + ", condition " + std::to_string(i + 1),
                                  {c.DeviceType, c.Number, c.DeviceType == kPax60DevSensor ? c.Offset : 0}});
        }
    };
    for (const TPAX60Cell& c : Cells) {
        const std::string where = "cell " + std::to_string(c.Number);
        for (const TPAX60ConditionSet* set : {&c.ThrownConditions, &c.ClosedConditions, &c.FreezeConditions})
            addSet(where, *set);
    }
    for (const TPAX60Route& r : Routes)
        addSet("route " + std::to_string(r.Number), r.TriggerConditions);

    std::vector<std::string> problems;
    std::vector<TPAX60Device> outside;  // distinct, not the board's own
    const TCalled* firstUnplaced = nullptr;
    for (const TCalled& c : called) {
        const int index = ExtDevTable.LookUp(c.device);
        if (index != 0 && index < TPAX60ExtDevTable::kFirstEntryIndex)
            continue;
        if (std::find(outside.begin(), outside.end(), c.device) == outside.end())
            outside.push_back(c.device);
        if (index == 0 && !firstUnplaced)
            firstUnplaced = &c;
    }
    if (firstUnplaced)
        problems.push_back("Output cells and routes call up " + std::to_string(outside.size()) +
                           " points, sensors and signals besides the board's own outputs and inputs; the board "
                           "holds " + std::to_string(TPAX60ExtDevTable::kEntryCount) + "; the first without a place is " +
                           firstUnplaced->where + " (" + DeviceText(firstUnplaced->device) + ")");
    for (const TPAX60Route& r : Routes) {
        if (!r.Fits())
            problems.push_back("Route " + std::to_string(r.Number) + " needs " + std::to_string(r.BytesUsed()) +
                               " bytes; a route holds " + std::to_string(TPAX60Route::kRouteBytes) +
                               ": a point of this board takes 1, any other point 2");
    }
    std::string text;
    for (const std::string& p : problems)
        text += (text.empty() ? "" : ". ") + p;
    return text;
}

int32_t TPAX60BoardParts::BaseAddressIn(std::span<const uint8_t> image)
{
    return GetWord(image, kBaseAddressSv);
}

void TPAX60BoardParts::Decode(std::span<const uint8_t> image)
{
    RouteDccBaseAddress = GetWord(image, kRouteBaseSv);
    Occupies16Addresses = image[kOccupies16Sv - 1] != 0 ? 1 : 0;
    LocoNetSwitchCommands = image[kLocoNetSv - 1] != 0 ? 1 : 0;
    CduDelay = image[kCduDelaySv - 1];
    OutputMemoryLocation = image[kMemoryLocationSv - 1];
    SensorBoardNumber = image[kSensorBoardSv - 1];
    ExtDevTable.SetOwnSensorBoard(SensorBoardNumber);
    ExtDevTable.ReadSvs(image);
    for (TPAX60Cell& c : Cells)
        c.Decode(image, ExtDevTable);
    for (TPAX60InputCell& i : Inputs)
        i.Decode(image, ExtDevTable);
    for (TPAX60Route& r : Routes)
        r.Decode(image, ExtDevTable);
}

void TPAX60BoardParts::WritePartLines(std::ostream& out)
{
    for (TPAX60Cell& c : Cells)
        c.WriteLines(out);
    for (TPAX60InputCell& i : Inputs)
        i.WriteLines(out);
    for (TPAX60Route& r : Routes)
        r.WriteLines(out);
}

void TPAX60BoardParts::ReadPartLines(std::istream& in)
{
    for (TPAX60Cell& c : Cells)
        c.ReadLines(in);
    for (TPAX60InputCell& i : Inputs)
        i.ReadLines(in);
    for (TPAX60Route& r : Routes)
        r.ReadLines(in);
}

void TPAX60BoardParts::ReportHead(std::vector<std::string>& lines) const
{
    lines.push_back("Board Base address: " + std::to_string(BaseAddress));
    lines.push_back("User Description: " + UserDescription);
    lines.push_back(Occupies16Addresses ? "occupies 16 addresses" : "occupies 8 addresses");
    lines.push_back(LocoNetSwitchCommands ? "responds to LocoNet switch commands" : "DCC commands only");
}

void TPAX60BoardParts::ReportTail(std::vector<std::string>& lines) const
{
    lines.push_back("CDU delay = " + PaxTenthsText(CduDelay) + " s");
    lines.push_back("sensor board number = " + std::to_string(SensorBoardNumber));
    lines.push_back("output memory location = " + std::to_string(OutputMemoryLocation));
    lines.push_back("");
    lines.push_back("Output Cell Settings:");
    for (const TPAX60Cell& c : Cells)
        c.Report(lines);
    lines.push_back("");
    lines.push_back("Input Cell Settings:");
    for (const TPAX60InputCell& i : Inputs)
        i.Report(lines);
    lines.push_back("");
    lines.push_back("Route Settings:");
    lines.push_back("DCC Base address to set routes: " + std::to_string(RouteDccBaseAddress));
    for (const TPAX60Route& r : Routes)
        r.Report(lines);
}

TPAXBoard::TPAXBoard(const std::string& name, const std::string& fileTag)
    : TConfigurableBoard(kSvCount), fileTag_(fileTag)
{
    SetName(name);
}

TPAXBoard::TPAXBoard(const TPAXBoard& other) = default;
TPAXBoard& TPAXBoard::operator=(const TPAXBoard& other) = default;
TPAXBoard::~TPAXBoard() = default;

void TPAXBoard::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, fileTag_);
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, Parts.BaseAddress);
    SetIntField(4, Parts.Occupies16Addresses);
    SetIntField(5, Parts.LocoNetSwitchCommands);
    const unsigned column = PutOwnFields(6);
    SetIntField(column, Parts.CduDelay);
    SetIntField(column + 1, Parts.OutputMemoryLocation);
    SetIntField(column + 2, Parts.SensorBoardNumber);
    SetIntField(column + 3, Parts.RouteDccBaseAddress);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, Parts.UserDescription);
    WriteLine(out, kMinFields);

    Parts.WritePartLines(out);
    WriteOwnLines(out);
}

void TPAXBoard::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    Parts.SetBaseAddress(GetIntField(3));
    Parts.Occupies16Addresses = GetIntField(4) != 0 ? 1 : 0;
    Parts.LocoNetSwitchCommands = GetIntField(5) != 0 ? 1 : 0;
    const unsigned column = GetOwnFields(6);
    Parts.CduDelay = GetIntField(column);
    Parts.OutputMemoryLocation = GetIntField(column + 1);
    Parts.SensorBoardNumber = GetIntField(column + 2);
    Parts.RouteDccBaseAddress = GetIntField(column + 3);

    ReadLine(in);
    Parts.UserDescription = GetTextField(1);

    Parts.ReadPartLines(in);
    ReadOwnLines(in);
}

bool TPAXBoard::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> image = SvImage();
    const TSvWriter writer = ImageWriter(image);
    ComputeOwnSvs(writer);
    const bool ok = Parts.Compute(writer);
    StorePaxImage(*this, image);
    return ok;
}

std::string TPAXBoard::SvErrorText() const
{
    const std::string text = "SV Calculation Error: too many points, sensors or signals called up by board programming";
    const std::string problem = Parts.ComputeProblem();
    return problem.empty() ? text : text + ". " + problem;
}

bool TPAXBoard::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    const std::vector<uint8_t> image = SvImage();
    Parts.SetBaseAddress(TPAX60BoardParts::BaseAddressIn(image));
    DecodeOwnSvs(image);
    Parts.Decode(image);
    return true;
}

std::vector<unsigned> TPAXBoard::SystemSvList() const
{
    return {1, 2, 7, 8, 29};
}

void TPAXBoard::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    Parts.ReportHead(lines);
    DescribeOwnSettings(lines);
    Parts.ReportTail(lines);
}

unsigned TPAXBoard::PutOwnFields(unsigned column)
{
    return column;
}

unsigned TPAXBoard::GetOwnFields(unsigned column)
{
    return column;
}

void TPAXBoard::WriteOwnLines(std::ostream&) {}
void TPAXBoard::ReadOwnLines(std::istream&) {}
void TPAXBoard::ComputeOwnSvs(const TSvWriter&) {}
void TPAXBoard::DecodeOwnSvs(std::span<const uint8_t>) {}
void TPAXBoard::DescribeOwnSettings(std::vector<std::string>&) const {}
