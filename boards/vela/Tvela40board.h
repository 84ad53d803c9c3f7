// The VELA40 signal controller: ten signals, three reverse running zones,
// eight sensor inputs configured in pairs and eight high-current outputs
// configured in two groups of four.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/vela/Tvelaboard.h"

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
    void Encode(TSvWriter& image) const;  // SV 20..23, SV 26
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
    void Encode(TSvWriter& image) const;  // SV 24, 25, 27, 28
    void Decode(std::span<const uint8_t> image);
    void Report(std::vector<std::string>& lines) const;

private:
    uint8_t outputs1to4_ = 0;
    uint8_t outputs5to8_ = 0;
    int32_t dccBase_ = 1000;
};

class TVELA40Board : public TVelaBoard {
public:
    TVELA40Board();
    TVELA40Board(const TVELA40Board& other) = default;
    TVELA40Board& operator=(const TVELA40Board& other) = default;
    ~TVELA40Board() override;

public:  // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public:  // board settings
    TVELA40SensorConfig& SensorConfig() { return sensorConfig_; }
    const TVELA40SensorConfig& SensorConfig() const { return sensorConfig_; }
    TVELA40HighCurrentConfig& HighCurrentConfig() { return highCurrentConfig_; }
    const TVELA40HighCurrentConfig& HighCurrentConfig() const { return highCurrentConfig_; }
    bool DisplayMode() const { return displayMode_ != 0; }
    void SetDisplayMode(bool on) { displayMode_ = on ? 1 : 0; }

private:  // TVelaBoard
    void PutOwnFields() override;
    void GetOwnFields() override;
    void WriteOwnRecords(std::ostream& out) override;
    void ReadOwnRecords(std::istream& in) override;
    void EncodeOwnSettings(TSvWriter& image) const override;
    void DecodeOwnSettings(std::span<const uint8_t> image) override;

private:
    TVELA40SensorConfig sensorConfig_;
    TVELA40HighCurrentConfig highCurrentConfig_;
    uint8_t displayMode_ = 0;
};
