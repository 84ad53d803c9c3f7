// The VELA40 signal controller: ten signals, three reverse running zones,
// eight sensor inputs configured in pairs and eight high-current outputs
// configured in two groups of four.
#pragma once

#include "boards/core/Csv_io.h"
#include "boards/core/Tconfigurableboard.h"
#include "boards/vela/Tvelalayout.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// Input pair codes: 0 not used, 1 general sensor inputs, 2 turnout feedback inputs.
class TVELA40SensorConfig : public TCsvIo {
public:
    static constexpr int kPairs = 4;

    TVELA40SensorConfig();

    // pair 0..3: inputs 1,2; 3,4; 5,6; 7,8.
    uint8_t PairConfig(int pair) const;
    void SetPairConfig(int pair, uint8_t code);
    int32_t SensorBoardNumber() const { return sensorBoard_; }
    void SetSensorBoardNumber(int32_t number) { sensorBoard_ = number; }
    static std::string CodeText(uint8_t code);

    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);
    void Encode(std::span<uint8_t> image) const;  // SV 20..23, SV 26
    void Decode(std::span<const uint8_t> image);
    void Report(std::vector<std::string>& lines) const;

private:
    uint8_t pairs_[kPairs] = {0, 0, 0, 0};
    int32_t sensorBoard_ = 10;
};

// Output group codes: 0 power isolating relay, 1 individual on/off control,
// 2 tortoise type point, 3 solenoid type point.
class TVELA40HighCurrentConfig : public TCsvIo {
public:
    TVELA40HighCurrentConfig();

    uint8_t Outputs1to4() const { return outputs1to4_; }
    void SetOutputs1to4(uint8_t code) { outputs1to4_ = code; }
    uint8_t Outputs5to8() const { return outputs5to8_; }
    void SetOutputs5to8(uint8_t code) { outputs5to8_ = code; }
    int32_t DccBaseAddress() const { return dccBase_; }
    void SetDccBaseAddress(int32_t address) { dccBase_ = address; }
    static std::string CodeText(uint8_t code);

    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);
    void Encode(std::span<uint8_t> image) const;  // SV 24, 25, 27, 28
    void Decode(std::span<const uint8_t> image);
    void Report(std::vector<std::string>& lines) const;

private:
    uint8_t outputs1to4_ = 0;
    uint8_t outputs5to8_ = 0;
    int32_t dccBase_ = 1000;
};

class TVELA40Board : public TConfigurableBoard {
public:
    static constexpr unsigned kSvCount = 512;

    TVELA40Board();
    TVELA40Board(const TVELA40Board& other) = default;
    TVELA40Board& operator=(const TVELA40Board& other) = default;
    ~TVELA40Board() override;

public:  // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public:  // signals, zones and their device table
    TSignal& Signal(int index) { return layout_.Signal(index); }  // 0..9
    const TSignal& Signal(int index) const { return layout_.Signal(index); }
    TRevRunZone& Zone(int index) { return layout_.Zone(index); }  // 0..2
    const TRevRunZone& Zone(int index) const { return layout_.Zone(index); }
    TExtDevTable& ExtDevTable() { return layout_.Table(); }
    const TExtDevTable& ExtDevTable() const { return layout_.Table(); }
    int32_t SignalBaseAddress() const { return layout_.BaseAddress(); }
    void SetSignalBaseAddress(int32_t address) { layout_.SetBaseAddress(address); }

public:  // board settings
    TVELA40SensorConfig& SensorConfig() { return sensorConfig_; }
    const TVELA40SensorConfig& SensorConfig() const { return sensorConfig_; }
    TVELA40HighCurrentConfig& HighCurrentConfig() { return highCurrentConfig_; }
    const TVELA40HighCurrentConfig& HighCurrentConfig() const { return highCurrentConfig_; }
    bool ReportSpad() const { return reportSpad_ != 0; }
    void SetReportSpad(bool on) { reportSpad_ = on ? 1 : 0; }
    int32_t IsolationDelay() const { return isolationDelay_; }  // quarter seconds, 0..32
    void SetIsolationDelay(int32_t quarters) { isolationDelay_ = quarters; }
    bool DisplayMode() const { return displayMode_ != 0; }
    void SetDisplayMode(bool on) { displayMode_ = on ? 1 : 0; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& text) { description_ = text; }
    bool BrightnessSimulation() const { return brightness_ != 0; }
    void SetBrightnessSimulation(bool on) { brightness_ = on ? 1 : 0; }

private:
    TVelaLayout layout_;  // device table, signals, zones, signal base address
    TVELA40SensorConfig sensorConfig_;
    TVELA40HighCurrentConfig highCurrentConfig_;
    uint8_t reportSpad_ = 0;
    int32_t isolationDelay_ = 8;
    uint8_t displayMode_ = 0;
    std::string description_ = "Unassigned";
    uint8_t brightness_ = 0;
};
