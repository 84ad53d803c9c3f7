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
constexpr int kSvReportSpad = 9;
constexpr int kSvOnBoardInputs = 20;
constexpr int kSvExternalInputs = 21;
constexpr int kSvAuxOutputs = 22;
constexpr int kSvLocoNetSwitch = 23;
constexpr int kSvOutputs1to4 = 24;
constexpr int kSvOutputs5to8 = 25;
constexpr int kSvSensorBoard = 26;
constexpr int kSvInterrogate = 507;
constexpr int kSvIsolationDelay = 508;
constexpr int kSvBrightness = 509;
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

void TVELA80SensorConfig::Encode(std::span<uint8_t> image) const
{
    PutSv(image, kSvOnBoardInputs, onBoard_);
    PutSv(image, kSvExternalInputs, external_);
    // One byte on the board: board 256 is written as 0.
    PutSv(image, kSvSensorBoard, uint8_t(sensorBoard_ & 0xFF));
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

TVELA80Board::TVELA80Board() : TConfigurableBoard(kSvCount)
{
    SetName("VELA80 Signal Controller");
}

TVELA80Board::~TVELA80Board() = default;

std::string TVELA80Board::BoardTypeName() const
{
    return "VELA80";
}

bool TVELA80Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btVELA80, vendorId, deviceId, serialNumber);
}

void TVELA80Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "VELA80_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, SignalBaseAddress());
    SetIntField(4, reportSpad_);
    SetIntField(5, isolationDelay_);
    SetIntField(6, outputs1to4_);
    SetIntField(7, outputs5to8_);
    SetIntField(8, auxOutputs_);
    SetIntField(9, interrogate_);
    SetIntField(10, brightness_);
    SetIntField(11, loconetSwitch_);
    SetIntField(12, releaseDelay_);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, description_);
    WriteLine(out, kMinFields);

    sensorConfig_.WriteRecord(out);
    layout_.WriteRecords(out);
}

void TVELA80Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    SetSignalBaseAddress(GetIntField(3));
    reportSpad_ = GetIntField(4) != 0 ? 1 : 0;
    isolationDelay_ = GetIntField(5);
    outputs1to4_ = uint8_t(GetIntField(6));
    outputs5to8_ = uint8_t(GetIntField(7));
    auxOutputs_ = uint8_t(GetIntField(8));
    interrogate_ = GetIntField(9) != 0 ? 1 : 0;
    brightness_ = GetIntField(10) != 0 ? 1 : 0;
    loconetSwitch_ = GetIntField(11) != 0 ? 1 : 0;
    releaseDelay_ = GetIntField(12);

    ReadLine(in);
    description_ = GetTextField(1);

    sensorConfig_.ReadRecord(in);
    layout_.ReadRecords(in);
}

bool TVELA80Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    return layout_.ComputeBoardImage(*this, [this](std::span<uint8_t> image) {
        PutSv(image, kSvReportSpad, reportSpad_);
        PutSv(image, kSvIsolationDelay, uint8_t(isolationDelay_));
        PutSv(image, kSvReleaseDelay, uint8_t(releaseDelay_));
        PutSv(image, kSvOutputs1to4, outputs1to4_);
        PutSv(image, kSvOutputs5to8, outputs5to8_);
        PutSv(image, kSvAuxOutputs, auxOutputs_);
        PutSv(image, kSvInterrogate, interrogate_);
        PutSv(image, kSvBrightness, brightness_);
        PutSv(image, kSvLocoNetSwitch, loconetSwitch_);
        sensorConfig_.Encode(image);
    });
}

std::string TVELA80Board::SvErrorText() const
{
    return layout_.SvErrorText();
}

bool TVELA80Board::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    const std::span<const uint8_t> image(SvImage());
    reportSpad_ = GetSv(image, kSvReportSpad) != 0 ? 1 : 0;
    isolationDelay_ = GetSv(image, kSvIsolationDelay);
    releaseDelay_ = GetSv(image, kSvReleaseDelay);
    outputs1to4_ = GetSv(image, kSvOutputs1to4);
    outputs5to8_ = GetSv(image, kSvOutputs5to8);
    auxOutputs_ = GetSv(image, kSvAuxOutputs);
    interrogate_ = GetSv(image, kSvInterrogate) != 0 ? 1 : 0;
    brightness_ = GetSv(image, kSvBrightness) != 0 ? 1 : 0;
    loconetSwitch_ = GetSv(image, kSvLocoNetSwitch) != 0 ? 1 : 0;
    sensorConfig_.Decode(image);
    return layout_.DecodeImage(image);
}

std::vector<unsigned> TVELA80Board::SystemSvList() const
{
    return vela::SystemSvList();
}

std::vector<unsigned> TVELA80Board::UnusedSvList() const
{
    return {1, 2, 7, 8, 27, 28, 29, 255, 256, 511, 512};
}

void TVELA80Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    lines.push_back("Signal Base address: " + std::to_string(SignalBaseAddress()));
    lines.push_back("User Description: " + description_);
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
