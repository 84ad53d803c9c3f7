#include "boards/pax/Tpax60boardparts.h"

#include "boards/pax/Paxhelpers.h"
#include "boards/pax/Tpax60boardsv.h"

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
    return "SV Calculation Error: too many points, sensors or signals called up by board programming";
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
