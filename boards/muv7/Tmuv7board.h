// The shuttle board MUV7: four sequences of up to sixteen steps run trains
// automatically; its four inputs may also report as a group of track sensors.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Tconfigurableboard.h"
#include "boards/muv7/Tsequence.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

constexpr int kMuv7SequenceCount = 4;

// Which group of four general sensor inputs the board's inputs are.
class TMUV7SensorConfig : public TCsvIo {
public:
    TMUV7SensorConfig();
    TMUV7SensorConfig(const TMUV7SensorConfig& other) = default;
    TMUV7SensorConfig& operator=(const TMUV7SensorConfig& other) = default;

    void WriteConfigLine(std::ostream& out);
    void ReadConfigLine(std::istream& in);
    // SV 12 and 13 of the whole image.
    void Encode(TSvWriter image) const;
    void Decode(std::span<const uint8_t> image);
    void Describe(std::vector<std::string>& lines) const;

    // "Not Used", "General Sensor Inputs, numbers 1 to 4", ...
    static std::string ConfigText(int config);

public:  // fields
    uint8_t sensorConfig = 0;           // 0 not used, 1 to 4 inputs 1-4 ... 13-16
    int32_t sensorBoardNumber = 10;     // 8 bits reach the board
};

class TMUV7Board : public TConfigurableBoard {
public:
    TMUV7Board();
    TMUV7Board(const TMUV7Board& other);
    TMUV7Board& operator=(const TMUV7Board& other);
    ~TMUV7Board() override;

public:  // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;  // never fails
    std::string SvErrorText() const override;
    // The configuration only: the serial number is not taken from the image.
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public:  // the board's parts
    TMUV7Sequence& SequenceAt(int index) { return sequences_[static_cast<size_t>(index)]; }
    const TMUV7Sequence& SequenceAt(int index) const { return sequences_[static_cast<size_t>(index)]; }
    TMUV7SensorConfig& SensorConfig() { return sensorConfig_; }
    const TMUV7SensorConfig& SensorConfig() const { return sensorConfig_; }

    std::string description = "Unassigned";

private:
    void NumberSequences();

    std::array<TMUV7Sequence, kMuv7SequenceCount> sequences_;
    TMUV7SensorConfig sensorConfig_;
};
