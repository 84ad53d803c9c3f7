#include "boards/pax/Ttel90board.h"

namespace {

constexpr unsigned kSvCount = 64;
constexpr unsigned kMinFields = 18;
constexpr unsigned kSensorBoardSv = 9;
constexpr unsigned kDebounceSv = 30;

}  // namespace

TTEL90Board::TTEL90Board() : TConfigurableBoard(kSvCount)
{
    SetName("TEL90 16-channel Sensor Board");
}

TTEL90Board::TTEL90Board(const TTEL90Board& other) = default;
TTEL90Board& TTEL90Board::operator=(const TTEL90Board& other) = default;
TTEL90Board::~TTEL90Board() = default;

std::string TTEL90Board::BoardTypeName() const
{
    return "TEL90";
}

bool TTEL90Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btTEL90, vendorId, deviceId, serialNumber);
}

void TTEL90Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "TEL90_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, SensorBoardNumber);
    SetIntField(4, DeactivateDebounce * 10);  // [ms]
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, UserDescription);
    WriteLine(out, kMinFields);
}

void TTEL90Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    SensorBoardNumber = GetIntField(3);
    DeactivateDebounce = GetIntField(4) / 10;  // [ms] to [10 ms], toward zero

    ReadLine(in);
    UserDescription = GetTextField(1);
}

bool TTEL90Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> image = SvImage();
    const TSvWriter writer = ImageWriter(image);
    writer.PutSv(kSensorBoardSv, static_cast<uint8_t>(SensorBoardNumber), "sensor board number");
    writer.PutSv(kDebounceSv, static_cast<uint8_t>(DeactivateDebounce), "deactivate debounce time");
    SetSvByte(kSensorBoardSv, image[kSensorBoardSv - 1]);
    SetSvByte(kDebounceSv, image[kDebounceSv - 1]);
    return true;
}

std::string TTEL90Board::SvErrorText() const
{
    return "SV Calculation Error: one or more routes has too many entries";
}

bool TTEL90Board::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    SensorBoardNumber = SvByte(kSensorBoardSv);
    DeactivateDebounce = SvByte(kDebounceSv);
    return true;
}

std::vector<unsigned> TTEL90Board::SystemSvList() const
{
    return {1, 2, 7, 8, 29};
}

std::vector<unsigned> TTEL90Board::UnusedSvList() const
{
    std::vector<unsigned> list{1, 2, 7, 8};
    for (unsigned sv = 18; sv <= 29; ++sv)
        list.push_back(sv);
    for (unsigned sv = 247; sv <= 256; ++sv)
        list.push_back(sv);
    for (unsigned sv = 509; sv <= 512; ++sv)
        list.push_back(sv);
    return list;
}

void TTEL90Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    lines.push_back("User Description: " + UserDescription);
    lines.push_back("Sensor board number: " + std::to_string(SensorBoardNumber));
    lines.push_back("Deactivate debounce time: " + std::to_string(DeactivateDebounce * 10) + " ms");
}
