#include "boards/pax/Tpax66board.h"

#include "boards/pax/Tpax60boardsv.h"

namespace {

constexpr unsigned kSvCount = 512;
constexpr unsigned kMinFields = 17;
constexpr unsigned kIndividualSv = 431;  // address i at SV 431 + 2(i - 1), low byte first

}  // namespace

TPAX66Board::TPAX66Board() : TConfigurableBoard(kSvCount)
{
    SetName("PAX66 Enhanced Accessory Decoder");
}

TPAX66Board::TPAX66Board(const TPAX66Board& other) = default;
TPAX66Board& TPAX66Board::operator=(const TPAX66Board& other) = default;
TPAX66Board::~TPAX66Board() = default;

int32_t TPAX66Board::IndividualAddress(int i) const
{
    return i >= 1 && i <= kIndividualAddressCount ? IndividualAddresses[i - 1] : 0;
}

void TPAX66Board::SetIndividualAddress(int i, int32_t address)
{
    if (i >= 1 && i <= kIndividualAddressCount)
        IndividualAddresses[i - 1] = address;
}

std::string TPAX66Board::BoardTypeName() const
{
    return "PAX66";
}

bool TPAX66Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btPAX66, vendorId, deviceId, serialNumber);
}

void TPAX66Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "PAX66_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, Parts.BaseAddress);
    SetIntField(4, Parts.Occupies16Addresses);
    SetIntField(5, Parts.LocoNetSwitchCommands);
    SetIntField(6, IndividualAddressing);
    SetIntField(7, Parts.CduDelay);
    SetIntField(8, Parts.OutputMemoryLocation);
    SetIntField(9, Parts.SensorBoardNumber);
    SetIntField(10, Parts.RouteDccBaseAddress);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, Parts.UserDescription);
    WriteLine(out, kMinFields);

    Parts.WritePartLines(out);

    for (int i = 1; i <= kIndividualAddressCount; ++i) {
        ClearFields();
        SetTextField(1, "Indiv_addr");
        SetIntField(2, i);
        SetIntField(3, IndividualAddresses[i - 1]);
        WriteLine(out, kMinFields);
    }
}

void TPAX66Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    Parts.SetBaseAddress(GetIntField(3));
    Parts.Occupies16Addresses = GetIntField(4) != 0 ? 1 : 0;
    Parts.LocoNetSwitchCommands = GetIntField(5) != 0 ? 1 : 0;
    IndividualAddressing = GetIntField(6) != 0 ? 1 : 0;
    Parts.CduDelay = GetIntField(7);
    Parts.OutputMemoryLocation = GetIntField(8);
    Parts.SensorBoardNumber = GetIntField(9);
    Parts.RouteDccBaseAddress = GetIntField(10);

    ReadLine(in);
    Parts.UserDescription = GetTextField(1);

    Parts.ReadPartLines(in);

    // By position: the number in field 2 is not consulted.
    for (int i = 0; i < kIndividualAddressCount; ++i) {
        ReadLine(in);
        IndividualAddresses[i] = GetIntField(3);
    }
}

bool TPAX66Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> image = SvImage();
    // Written whether individual addressing is on or not.
    for (int i = 0; i < kIndividualAddressCount; ++i) {
        image[kIndividualSv - 1 + 2 * i] = static_cast<uint8_t>(IndividualAddresses[i] & 0xFF);
        image[kIndividualSv + 2 * i] = static_cast<uint8_t>((IndividualAddresses[i] >> 8) & 0xFF);
    }
    const bool ok = Parts.Compute(image);
    StorePaxImage(*this, image);
    return ok;
}

std::string TPAX66Board::SvErrorText() const
{
    return "SV Calculation Error: too many points, sensors or signals called up by board programming";
}

bool TPAX66Board::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    const std::vector<uint8_t> image = SvImage();
    Parts.SetBaseAddress(TPAX60BoardParts::BaseAddressIn(image));
    if (Parts.BaseAddress == 0) {
        IndividualAddressing = 1;
        for (int i = 0; i < kIndividualAddressCount; ++i)
            IndividualAddresses[i] = image[kIndividualSv - 1 + 2 * i] + 256 * image[kIndividualSv + 2 * i];
    } else {
        IndividualAddressing = 0;
    }
    Parts.Decode(image);
    return true;
}

std::vector<unsigned> TPAX66Board::SystemSvList() const
{
    return {1, 2, 7, 8, 29};
}

std::vector<unsigned> TPAX66Board::UnusedSvList() const
{
    return PaxUnusedSvs({1, 2, 7, 8, 29, 40, 159, 160, 169, 170, 379, 380, 429, 430}, 463);
}

void TPAX66Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    Parts.ReportHead(lines);
    lines.push_back(IndividualAddressing == 1 ? "uses individual output addressing" : "uses block addressing");
    Parts.ReportTail(lines);
}
