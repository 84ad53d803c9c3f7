#include "boards/vela/Tvela80board.h"

#include "boards/vela/Velasv.h"

#include <array>

using vela::GetSv;
using vela::PutSv;

namespace {

constexpr unsigned kMinFields = 18;

struct TInputCodeRow {
    const char* item;
    const char* text;
};

constexpr std::array<TInputCodeRow, 4> kInputCodes = {{
    {"Not Used", "Not Used"},
    {"Sensor numbers 1-8", "General Sensor Inputs, numbers 1 to 8"},
    {"Sensor numbers 9-16", "General Sensor Inputs, numbers 9 to 16"},
    {"Set Signal Red", "Locally connected inputs, to make signals red"},
}};

// SVs of the board's own settings.
constexpr int kSvOnBoardInputs = 20;
constexpr int kSvExternalInputs = 21;
constexpr int kSvAuxOutputs = 22;
constexpr int kSvLocoNetSwitch = 23;
constexpr int kSvOutputs1to4 = 24;
constexpr int kSvOutputs5to8 = 25;
constexpr int kSvSensorBoard = 26;
constexpr int kSvInterrogate = 507;
constexpr int kSvReleaseDelay = 510;

}  // namespace

// ---- Sensor inputs ----

TVELA80SensorConfig::TVELA80SensorConfig()
{
    SetQuoteTexts(true);
}

std::string TVELA80SensorConfig::CodeItem(uint8_t code)
{
    return code < kInputCodes.size() ? kInputCodes[code].item : "";
}

std::string TVELA80SensorConfig::CodeText(uint8_t code)
{
    return code < kInputCodes.size() ? kInputCodes[code].text : "Unknown";
}

void TVELA80SensorConfig::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "sensor_config");
    SetIntField(2, sensorBoard_);
    SetIntField(3, onBoard_);
    SetIntField(4, external_);
    WriteLine(out, kMinFields);
}

void TVELA80SensorConfig::ReadRecord(std::istream& in)
{
    ReadLine(in);
    sensorBoard_ = GetIntField(2);
    onBoard_ = uint8_t(GetIntField(3));
    external_ = uint8_t(GetIntField(4));
}

void TVELA80SensorConfig::Encode(TSvWriter& image) const
{
    PutSv(image, kSvOnBoardInputs, onBoard_, "on-board inputs");
    PutSv(image, kSvExternalInputs, external_, "external inputs");
    // One byte on the board: board 256 is written as 0.
    PutSv(image, kSvSensorBoard, uint8_t(sensorBoard_ & 0xFF), "sensor board number");
}

void TVELA80SensorConfig::Decode(std::span<const uint8_t> image)
{
    onBoard_ = GetSv(image, kSvOnBoardInputs);
    external_ = GetSv(image, kSvExternalInputs);
    sensorBoard_ = GetSv(image, kSvSensorBoard);
}

void TVELA80SensorConfig::Report(std::vector<std::string>& lines) const
{
    lines.push_back("");
    lines.push_back("Sensor Board Addr Number: " + std::to_string(sensorBoard_));
    lines.push_back("On-board Input config = " + CodeText(onBoard_));
    lines.push_back("External Input config = " + CodeText(external_));
}

// ---- The board ----

TVELA80Board::TVELA80Board() : TVelaBoard("VELA80 Signal Controller", "VELA80_BOARD") {}

TVELA80Board::~TVELA80Board() = default;

std::string TVELA80Board::BoardTypeName() const
{
    return "VELA80";
}

bool TVELA80Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btVELA80, vendorId, deviceId, serialNumber);
}

void TVELA80Board::PutOwnFields()
{
    SetIntField(6, outputs1to4_);
    SetIntField(7, outputs5to8_);
    SetIntField(8, auxOutputs_);
    SetIntField(9, interrogate_);
    SetIntField(10, brightness_);
    SetIntField(11, loconetSwitch_);
    SetIntField(12, releaseDelay_);
}

void TVELA80Board::GetOwnFields()
{
    outputs1to4_ = uint8_t(GetIntField(6));
    outputs5to8_ = uint8_t(GetIntField(7));
    auxOutputs_ = uint8_t(GetIntField(8));
    interrogate_ = GetIntField(9) != 0 ? 1 : 0;
    brightness_ = GetIntField(10) != 0 ? 1 : 0;
    loconetSwitch_ = GetIntField(11) != 0 ? 1 : 0;
    releaseDelay_ = GetIntField(12);
}

void TVELA80Board::WriteOwnRecords(std::ostream& out)
{
    sensorConfig_.WriteRecord(out);
}

void TVELA80Board::ReadOwnRecords(std::istream& in)
{
    sensorConfig_.ReadRecord(in);
}

void TVELA80Board::EncodeOwnSettings(TSvWriter& image) const
{
    PutSv(image, kSvReleaseDelay, uint8_t(releaseDelay_), "release delay");
    PutSv(image, kSvOutputs1to4, outputs1to4_, "outputs 1 to 4");
    PutSv(image, kSvOutputs5to8, outputs5to8_, "outputs 5 to 8");
    PutSv(image, kSvAuxOutputs, auxOutputs_, "auxiliary outputs");
    PutSv(image, kSvInterrogate, interrogate_, "interrogate at start-up");
    PutSv(image, kSvLocoNetSwitch, loconetSwitch_, "LocoNet switch commands");
    sensorConfig_.Encode(image);
}

void TVELA80Board::DecodeOwnSettings(std::span<const uint8_t> image)
{
    releaseDelay_ = GetSv(image, kSvReleaseDelay);
    outputs1to4_ = GetSv(image, kSvOutputs1to4);
    outputs5to8_ = GetSv(image, kSvOutputs5to8);
    auxOutputs_ = GetSv(image, kSvAuxOutputs);
    interrogate_ = GetSv(image, kSvInterrogate) != 0 ? 1 : 0;
    loconetSwitch_ = GetSv(image, kSvLocoNetSwitch) != 0 ? 1 : 0;
    sensorConfig_.Decode(image);
}

std::vector<unsigned> TVELA80Board::UnusedSvList() const
{
    return {1, 2, 7, 8, 27, 28, 29, 255, 256, 511, 512};
}

void TVELA80Board::DescribeSettings(std::vector<std::string>& lines) const
{
    DescribeHead(lines);
    lines.push_back(reportSpad_ ? "Report signal passed at danger ENABLED" : "Report signal passed at danger DISABLED");
    lines.push_back("Delay for power isolation zone = " + vela::QuarterSecondsText(isolationDelay_) + " s");
    lines.push_back("Delay before change from RED = " + vela::QuarterSecondsText(releaseDelay_) + " s");
    lines.push_back(outputs1to4_ == 0 ? "Signals 1-4 have 3 LEDs each"
                                      : "Signals 1-3 have 4 LEDs each, signal 4 has no outputs");
    lines.push_back(outputs5to8_ == 0 ? "Signals 5-8 have 3 LEDs each"
                                      : "Signals 5-7 have 4 LEDs each, signal 8 has no outputs");
    lines.push_back(auxOutputs_ == 0 ? "Aux outputs drive isolating relays for signals 1-8"
                                     : "Aux outputs drive LEDs for signals 9&10");
    lines.push_back(interrogate_ ? "Board generates interrogate response after power up & on demand"
                                 : "Board generates interrogate response on demand only");
    lines.push_back(brightness_ ? "Signal lamp brighness simulation ENABLED"
                                : "Signal lamp brighness simulation DISABLED");
    lines.push_back(loconetSwitch_ ? "Uses LocoNet switch commands" : "Uses DCC switch commands");
    sensorConfig_.Report(lines);
    layout_.ReportSignalsAndZones(lines, "Reverse Run Zone Settings:");
}
