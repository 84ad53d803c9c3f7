#include "boards/pax/Tpax60board.h"

#include "boards/pax/Tpax60boardsv.h"

namespace {

constexpr unsigned kSvCount = 512;
constexpr unsigned kMinFields = 17;

}  // namespace

TPAX60Board::TPAX60Board() : TConfigurableBoard(kSvCount)
{
    SetName("PAX60 Accessory Decoder");
}

TPAX60Board::TPAX60Board(const TPAX60Board& other) = default;
TPAX60Board& TPAX60Board::operator=(const TPAX60Board& other) = default;
TPAX60Board::~TPAX60Board() = default;

std::string TPAX60Board::BoardTypeName() const
{
    return "PAX60";
}

bool TPAX60Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btPAX60, vendorId, deviceId, serialNumber);
}

void TPAX60Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "PAX60_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, Parts.BaseAddress);
    SetIntField(4, Parts.Occupies16Addresses);
    SetIntField(5, Parts.LocoNetSwitchCommands);
    SetIntField(6, Parts.CduDelay);
    SetIntField(7, Parts.OutputMemoryLocation);
    SetIntField(8, Parts.SensorBoardNumber);
    SetIntField(9, Parts.RouteDccBaseAddress);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, Parts.UserDescription);
    WriteLine(out, kMinFields);

    Parts.WritePartLines(out);
}

void TPAX60Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    Parts.SetBaseAddress(GetIntField(3));
    Parts.Occupies16Addresses = GetIntField(4) != 0 ? 1 : 0;
    Parts.LocoNetSwitchCommands = GetIntField(5) != 0 ? 1 : 0;
    Parts.CduDelay = GetIntField(6);
    Parts.OutputMemoryLocation = GetIntField(7);
    Parts.SensorBoardNumber = GetIntField(8);
    Parts.RouteDccBaseAddress = GetIntField(9);

    ReadLine(in);
    Parts.UserDescription = GetTextField(1);

    Parts.ReadPartLines(in);
}

bool TPAX60Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> image = SvImage();
    const bool ok = Parts.Compute(image);
    StorePaxImage(*this, image);
    return ok;
}

std::string TPAX60Board::SvErrorText() const
{
    return "SV Calculation Error: too many points, sensors or signals called up by board programming";
}

bool TPAX60Board::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    const std::vector<uint8_t> image = SvImage();
    Parts.SetBaseAddress(TPAX60BoardParts::BaseAddressIn(image));
    Parts.Decode(image);
    return true;
}

std::vector<unsigned> TPAX60Board::SystemSvList() const
{
    return {1, 2, 7, 8, 29};
}

std::vector<unsigned> TPAX60Board::UnusedSvList() const
{
    return PaxUnusedSvs({1, 2, 7, 8, 29, 40, 159, 160, 169, 170, 379, 380}, 429);
}

void TPAX60Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    Parts.ReportHead(lines);
    Parts.ReportTail(lines);
}
