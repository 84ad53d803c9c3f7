#include "boards/pax/Tpax66board.h"

#include "boards/pax/Tpax60boardsv.h"

namespace {

constexpr unsigned kMinFields = 17;
constexpr unsigned kIndividualSv = 431;  // address i at SV 431 + 2(i - 1), low byte first

}  // namespace

TPAX66Board::TPAX66Board() : TPAXBoard("PAX66 Enhanced Accessory Decoder", "PAX66_BOARD") {}

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

int32_t TPAX66Board::CellAddress(int index) const
{
    return IndividualAddressing != 0 ? IndividualAddress(index + 1) : TPAXBoard::CellAddress(index);
}

std::string TPAX66Board::BoardTypeName() const
{
    return "PAX66";
}

bool TPAX66Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btPAX66, vendorId, deviceId, serialNumber);
}

std::vector<unsigned> TPAX66Board::UnusedSvList() const
{
    return PaxUnusedSvs({1, 2, 7, 8, 29, 40, 159, 160, 169, 170, 379, 380, 429, 430}, 463);
}

unsigned TPAX66Board::PutOwnFields(unsigned column)
{
    SetIntField(column, IndividualAddressing);
    return column + 1;
}

unsigned TPAX66Board::GetOwnFields(unsigned column)
{
    IndividualAddressing = GetIntField(column) != 0 ? 1 : 0;
    return column + 1;
}

void TPAX66Board::WriteOwnLines(std::ostream& out)
{
    for (int i = 1; i <= kIndividualAddressCount; ++i) {
        ClearFields();
        SetTextField(1, "Indiv_addr");
        SetIntField(2, i);
        SetIntField(3, IndividualAddresses[i - 1]);
        WriteLine(out, kMinFields);
    }
}

void TPAX66Board::ReadOwnLines(std::istream& in)
{
    // By position: the number in field 2 is not consulted.
    for (int i = 0; i < kIndividualAddressCount; ++i) {
        ReadLine(in);
        IndividualAddresses[i] = GetIntField(3);
    }
}

void TPAX66Board::ComputeOwnSvs(const TSvWriter& image)
{
    // Written whether individual addressing is on or not.
    for (int i = 0; i < kIndividualAddressCount; ++i)
        image.PutWord(kIndividualSv - 1 + 2 * i, static_cast<uint16_t>(IndividualAddresses[i] & 0xFFFF),
                      image.Naming() ? "individual address " + std::to_string(i + 1) : std::string());
}

void TPAX66Board::DecodeOwnSvs(std::span<const uint8_t> image)
{
    if (Parts.BaseAddress == 0) {
        IndividualAddressing = 1;
        for (int i = 0; i < kIndividualAddressCount; ++i)
            IndividualAddresses[i] = image[kIndividualSv - 1 + 2 * i] + 256 * image[kIndividualSv + 2 * i];
    } else {
        IndividualAddressing = 0;
    }
}

void TPAX66Board::DescribeOwnSettings(std::vector<std::string>& lines) const
{
    lines.push_back(IndividualAddressing == 1 ? "uses individual output addressing" : "uses block addressing");
}

void TPAX66Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TPAXBoard::DescribeSettings(lines);
    // The board holds them whichever addressing it uses.
    lines.push_back("");
    lines.push_back("Individual Output Addresses:");
    for (int i = 0; i < kIndividualAddressCount; ++i)
        lines.push_back("  Output " + std::to_string(i + 1) + ": " + std::to_string(IndividualAddresses[i]));
}
