// The VELA80 signal controller: the VELA40's signals and zones, with signal
// outputs of three or four LEDs, auxiliary outputs, on-board and external
// sensor inputs, an interrogate response and a release delay from red.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/vela/Tvelaboard.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// Input codes: 0 not used, 1 sensor numbers 1-8, 2 sensor numbers 9-16, 3 set signal red.
class TVELA80SensorConfig : public TCsvIo {
public:
    TVELA80SensorConfig();

    uint8_t OnBoardInputs() const { return onBoard_; }
    void SetOnBoardInputs(uint8_t code) { onBoard_ = code; }
    uint8_t ExternalInputs() const { return external_; }
    void SetExternalInputs(uint8_t code) { external_ = code; }
    int32_t SensorBoardNumber() const { return sensorBoard_; }
    void SetSensorBoardNumber(int32_t number) { sensorBoard_ = number; }
    // The editor's item and the report's text of an input code.
    static std::string CodeItem(uint8_t code);
    static std::string CodeText(uint8_t code);

    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);
    void Encode(TSvWriter& image) const;  // SV 20, 21, 26
    void Decode(std::span<const uint8_t> image);
    void Report(std::vector<std::string>& lines) const;

private:
    uint8_t onBoard_ = 0;
    uint8_t external_ = 0;
    int32_t sensorBoard_ = 10;
};

class TVELA80Board : public TVelaBoard {
public:
    TVELA80Board();
    TVELA80Board(const TVELA80Board& other) = default;
    TVELA80Board& operator=(const TVELA80Board& other) = default;
    ~TVELA80Board() override;

public:  // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public:  // board settings
    TVELA80SensorConfig& SensorConfig() { return sensorConfig_; }
    const TVELA80SensorConfig& SensorConfig() const { return sensorConfig_; }
    // 0: signals 1-4 have 3 LEDs each; 1: signals 1-3 have 4 LEDs, signal 4 none.
    uint8_t Outputs1to4() const { return outputs1to4_; }
    void SetOutputs1to4(uint8_t code) { outputs1to4_ = code; }
    // 0: signals 5-8 have 3 LEDs each; 1: signals 5-7 have 4 LEDs, signal 8 none.
    uint8_t Outputs5to8() const { return outputs5to8_; }
    void SetOutputs5to8(uint8_t code) { outputs5to8_ = code; }
    // 0: isolating relays for signals 1-8; 1: LEDs of signals 9 and 10.
    uint8_t AuxOutputs() const { return auxOutputs_; }
    void SetAuxOutputs(uint8_t code) { auxOutputs_ = code; }
    bool InterrogateResponse() const { return interrogate_ != 0; }
    void SetInterrogateResponse(bool on) { interrogate_ = on ? 1 : 0; }
    int32_t ReleaseDelay() const { return releaseDelay_; }  // quarter seconds, 0..32
    void SetReleaseDelay(int32_t quarters) { releaseDelay_ = quarters; }
    bool LocoNetSwitchCommands() const { return loconetSwitch_ != 0; }
    void SetLocoNetSwitchCommands(bool on) { loconetSwitch_ = on ? 1 : 0; }

private:  // TVelaBoard
    void PutOwnFields() override;
    void GetOwnFields() override;
    void WriteOwnRecords(std::ostream& out) override;
    void ReadOwnRecords(std::istream& in) override;
    void EncodeOwnSettings(TSvWriter& image) const override;
    void DecodeOwnSettings(std::span<const uint8_t> image) override;

private:
    TVELA80SensorConfig sensorConfig_;
    uint8_t outputs1to4_ = 0;
    uint8_t outputs5to8_ = 0;
    uint8_t auxOutputs_ = 0;
    uint8_t interrogate_ = 0;
    int32_t releaseDelay_ = 8;
    uint8_t loconetSwitch_ = 0;
};
