#include "boards/vela/Tvela40board.h"

#include "boards/vela/Velasv.h"

#include <array>

using vela::GetSv;
using vela::PutSv;

namespace {

constexpr unsigned kMinFields = 18;

constexpr std::array<const char*, 3> kInputTexts = {"Not Used", "General Sensor Inputs", "Turnout Feedback Inputs"};
constexpr std::array<const char*, 4> kOutputTexts = {"Power Isolating Relay", "Indiviaual On/Off Control",
                                                     "Tortoise type Point", "Solenoid type point"};
constexpr std::array<const char*, TVELA40SensorConfig::kPairs> kPairLabels = {
    "Sensor Input 1,2 config = ", "Sensor Input 3,4 config = ", "Sensor Input 5,6 config = ",
    "Sensor Input 7,8 config = "};

// SVs of the board's own settings.
constexpr int kSvFirstInputPair = 20;
constexpr int kSvOutputs1to4 = 24;
constexpr int kSvOutputs5to8 = 25;
constexpr int kSvSensorBoard = 26;
constexpr int kSvHighCurrentBase = 27;  // and 28
constexpr int kSvDisplayMode = 507;

}  // namespace

// ---- Sensor inputs ----

TVELA40SensorConfig::TVELA40SensorConfig()
{
    SetQuoteTexts(true);
}

uint8_t TVELA40SensorConfig::PairConfig(int pair) const
{
    return pair >= 0 && pair < kPairs ? pairs_[pair] : 0;
}

void TVELA40SensorConfig::SetPairConfig(int pair, uint8_t code)
{
    if (pair >= 0 && pair < kPairs)
        pairs_[pair] = code;
}

std::string TVELA40SensorConfig::CodeText(uint8_t code)
{
    return code < kInputTexts.size() ? kInputTexts[code] : "Unknown";
}

void TVELA40SensorConfig::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "sensor_config");
    SetIntField(2, sensorBoard_);
    for (int i = 0; i < kPairs; ++i)
        SetIntField(unsigned(3 + i), pairs_[i]);
    WriteLine(out, kMinFields);
}

void TVELA40SensorConfig::ReadRecord(std::istream& in)
{
    ReadLine(in);
    sensorBoard_ = GetIntField(2);
    for (int i = 0; i < kPairs; ++i)
        pairs_[i] = uint8_t(GetIntField(unsigned(3 + i)));
}

void TVELA40SensorConfig::Encode(TSvWriter& image) const
{
    for (int i = 0; i < kPairs; ++i)
        PutSv(image, kSvFirstInputPair + i, pairs_[i], "sensor inputs, pair " + std::to_string(i + 1));
    // One byte on the board: board 256 is written as 0.
    PutSv(image, kSvSensorBoard, uint8_t(sensorBoard_ & 0xFF), "sensor board number");
}

void TVELA40SensorConfig::Decode(std::span<const uint8_t> image)
{
    for (int i = 0; i < kPairs; ++i)
        pairs_[i] = GetSv(image, kSvFirstInputPair + i);
    sensorBoard_ = GetSv(image, kSvSensorBoard);
}

void TVELA40SensorConfig::Report(std::vector<std::string>& lines) const
{
    lines.push_back("");
    lines.push_back("Sensor Board Addr Number: " + std::to_string(sensorBoard_));
    for (int i = 0; i < kPairs; ++i)
        lines.push_back(kPairLabels[size_t(i)] + CodeText(pairs_[i]));
}

// ---- High-current outputs ----

TVELA40HighCurrentConfig::TVELA40HighCurrentConfig()
{
    SetQuoteTexts(true);
}

std::string TVELA40HighCurrentConfig::CodeText(uint8_t code)
{
    return code < kOutputTexts.size() ? kOutputTexts[code] : "Unknown";
}

void TVELA40HighCurrentConfig::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "highcurrent_config");
    SetIntField(2, dccBase_);
    SetIntField(3, outputs1to4_);
    SetIntField(4, outputs5to8_);
    WriteLine(out, kMinFields);
}

void TVELA40HighCurrentConfig::ReadRecord(std::istream& in)
{
    ReadLine(in);
    dccBase_ = GetIntField(2);
    outputs1to4_ = uint8_t(GetIntField(3));
    outputs5to8_ = uint8_t(GetIntField(4));
}

void TVELA40HighCurrentConfig::Encode(TSvWriter& image) const
{
    PutSv(image, kSvOutputs1to4, outputs1to4_, "high current outputs 1 to 4");
    PutSv(image, kSvOutputs5to8, outputs5to8_, "high current outputs 5 to 8");
    PutSv(image, kSvHighCurrentBase, uint8_t(dccBase_ & 0xFF), "high current base address, low byte");
    PutSv(image, kSvHighCurrentBase + 1, uint8_t((dccBase_ >> 8) & 0xFF), "high current base address, high byte");
}

void TVELA40HighCurrentConfig::Decode(std::span<const uint8_t> image)
{
    outputs1to4_ = GetSv(image, kSvOutputs1to4);
    outputs5to8_ = GetSv(image, kSvOutputs5to8);
    dccBase_ = GetSv(image, kSvHighCurrentBase) + 256 * GetSv(image, kSvHighCurrentBase + 1);
}

void TVELA40HighCurrentConfig::Report(std::vector<std::string>& lines) const
{
    lines.push_back("");
    lines.push_back("High current o/p DCC base addr: " + std::to_string(dccBase_));
    lines.push_back("High current o/p 1-4 config = " + CodeText(outputs1to4_));
    lines.push_back("High current o/p 5-8 config = " + CodeText(outputs5to8_));
}

// ---- The board ----

TVELA40Board::TVELA40Board() : TVelaBoard("VELA40 Signal Controller", "VELA40_BOARD") {}

TVELA40Board::~TVELA40Board() = default;

std::string TVELA40Board::BoardTypeName() const
{
    return "VELA40";
}

bool TVELA40Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btVELA40, vendorId, deviceId, serialNumber);
}

void TVELA40Board::PutOwnFields()
{
    SetIntField(6, displayMode_);
    SetIntField(7, brightness_);
}

void TVELA40Board::GetOwnFields()
{
    displayMode_ = GetIntField(6) != 0 ? 1 : 0;
    brightness_ = GetIntField(7) != 0 ? 1 : 0;
}

void TVELA40Board::WriteOwnRecords(std::ostream& out)
{
    sensorConfig_.WriteRecord(out);
    highCurrentConfig_.WriteRecord(out);
}

void TVELA40Board::ReadOwnRecords(std::istream& in)
{
    sensorConfig_.ReadRecord(in);
    highCurrentConfig_.ReadRecord(in);
}

void TVELA40Board::EncodeOwnSettings(TSvWriter& image) const
{
    PutSv(image, kSvDisplayMode, displayMode_, "display mode");
    highCurrentConfig_.Encode(image);
    sensorConfig_.Encode(image);
}

void TVELA40Board::DecodeOwnSettings(std::span<const uint8_t> image)
{
    displayMode_ = GetSv(image, kSvDisplayMode) != 0 ? 1 : 0;
    highCurrentConfig_.Decode(image);
    sensorConfig_.Decode(image);
}

std::vector<unsigned> TVELA40Board::UnusedSvList() const
{
    return {1, 2, 7, 8, 29, 255, 256, 510, 511, 512};
}

void TVELA40Board::DescribeSettings(std::vector<std::string>& lines) const
{
    DescribeHead(lines);
    // In display mode the board keeps the rest of its settings all the same.
    if (displayMode_)
        lines.push_back("Board operates in Display Mode only");
    lines.push_back(reportSpad_ ? "Report signal passed at danger ENABLED" : "Report signal passed at danger DISABLED");
    lines.push_back("Delay for power isolation zone = " + vela::QuarterSecondsText(isolationDelay_) + " s");
    lines.push_back(brightness_ ? "Simulation of lamp brightness ENABLED" : "Simulation of lamp brightness DISABLED");
    sensorConfig_.Report(lines);
    highCurrentConfig_.Report(lines);
    layout_.ReportSignalsAndZones(lines, "reverse Run Zone Settings:");
}
