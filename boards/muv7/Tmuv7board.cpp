#include "boards/muv7/Tmuv7board.h"

namespace {

constexpr unsigned kSensorBoardSv = 12;
constexpr unsigned kSensorConfigSv = 13;

const char* const kConfigTexts[5] = {
    "Not Used",
    "General Sensor Inputs, numbers 1 to 4",
    "General Sensor Inputs, numbers 5 to 8",
    "General Sensor Inputs, numbers 9 to 12",
    "General Sensor Inputs, numbers 13 to 16",
};

}  // namespace

// ---------------------------------------------------------------- sensor configuration

TMUV7SensorConfig::TMUV7SensorConfig()
{
    SetQuoteTexts(true);
}

void TMUV7SensorConfig::WriteConfigLine(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "sensor_config");
    SetIntField(2, sensorBoardNumber);
    SetIntField(3, sensorConfig);
    WriteLine(out, kMuv7MinFields);
}

void TMUV7SensorConfig::ReadConfigLine(std::istream& in)
{
    ReadLine(in);
    sensorBoardNumber = GetIntField(2);
    sensorConfig = static_cast<uint8_t>(GetIntField(3));
}

void TMUV7SensorConfig::Encode(TSvWriter image) const
{
    if (image.size() < kSensorConfigSv)
        return;
    image.PutSv(kSensorBoardSv, static_cast<uint8_t>(sensorBoardNumber & 0xFF), "sensor board number");
    image.PutSv(kSensorConfigSv, sensorConfig, "sensor configuration");
}

void TMUV7SensorConfig::Decode(std::span<const uint8_t> image)
{
    if (image.size() < kSensorConfigSv)
        return;
    sensorBoardNumber = image[kSensorBoardSv - 1];
    sensorConfig = image[kSensorConfigSv - 1];
}

std::string TMUV7SensorConfig::ConfigText(int config)
{
    return config >= 0 && config < 5 ? kConfigTexts[config] : "Unknown";
}

void TMUV7SensorConfig::Describe(std::vector<std::string>& lines) const
{
    lines.push_back("");
    lines.push_back("Sensor Board Addr Number: " + std::to_string(sensorBoardNumber));
    lines.push_back("Sensor config = " + ConfigText(sensorConfig));
}

// ---------------------------------------------------------------- board

TMUV7Board::TMUV7Board() : TConfigurableBoard(512)
{
    SetName("MUV7 Pendulo");
    NumberSequences();
}

TMUV7Board::TMUV7Board(const TMUV7Board& other)
    : TConfigurableBoard(other),
      description(other.description),
      sequences_(other.sequences_),
      sensorConfig_(other.sensorConfig_)
{
}

TMUV7Board& TMUV7Board::operator=(const TMUV7Board& other)
{
    if (this != &other) {
        TConfigurableBoard::operator=(other);
        description = other.description;
        sequences_ = other.sequences_;
        sensorConfig_ = other.sensorConfig_;
    }
    return *this;
}

TMUV7Board::~TMUV7Board() = default;

void TMUV7Board::NumberSequences()
{
    for (int i = 0; i < kMuv7SequenceCount; ++i)
        sequences_[static_cast<size_t>(i)].number = i + 1;
}

std::string TMUV7Board::BoardTypeName() const { return "MUV7"; }

bool TMUV7Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btMUV7, vendorId, deviceId, serialNumber);
}

void TMUV7Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "MUV7_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    WriteLine(out, kMuv7MinFields);

    ClearFields();
    SetTextField(1, description);
    WriteLine(out, kMuv7MinFields);

    sensorConfig_.WriteConfigLine(out);
    for (auto& sequence : sequences_)
        sequence.WriteRecord(out);
}

void TMUV7Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));

    ReadLine(in);
    description = GetTextField(1);

    sensorConfig_.ReadConfigLine(in);
    for (auto& sequence : sequences_)
        sequence.ReadRecord(in);
}

bool TMUV7Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> image = SvImage();
    const TSvWriter writer = ImageWriter(image);
    sensorConfig_.Encode(writer);
    for (const auto& sequence : sequences_)
        sequence.Encode(writer);
    for (unsigned sv = 5; sv <= SvLength(); ++sv)
        SetSvByte(sv, image[sv - 1]);
    return true;
}

std::string TMUV7Board::SvErrorText() const
{
    return "SV Calculation Error: the MUV7 settings do not fit the board";
}

bool TMUV7Board::DecodeSvImage()
{
    const std::vector<uint8_t>& image = SvImage();
    sensorConfig_.Decode(image);
    for (auto& sequence : sequences_)
        sequence.Decode(image);
    return true;
}

std::vector<unsigned> TMUV7Board::SystemSvList() const { return {1, 2, 7, 8, 29}; }

std::vector<unsigned> TMUV7Board::UnusedSvList() const
{
    std::vector<unsigned> list = {1, 2, 5, 6, 7, 8, 9};
    for (unsigned sv = 14; sv <= 29; ++sv)
        list.push_back(sv);
    for (unsigned sv = 482; sv <= 512; ++sv)
        list.push_back(sv);
    return list;
}

void TMUV7Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    lines.push_back("Description: " + description);
    sensorConfig_.Describe(lines);
    for (const auto& sequence : sequences_)
        sequence.Describe(lines);
}
