// The external device table of a signal controller: the points, sensor inputs
// and signals its conditions refer to, each at a fixed position 1..60 that the
// condition bytes name. Positions 1..48 hold points and sensors, 49..60 signals.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

struct TCondition;

struct TExtDevEntry {
    uint8_t deviceType = 0;  // 0 empty, 1 point, 2 sensor, 3 signal (TVelaDeviceType)
    int32_t number = 0;      // point number, sensor board or signal address
    int32_t offset = 0;      // sensors only: the input on the board

    bool operator==(const TExtDevEntry&) const = default;
};

class TExtDevTable : public TCsvIo {
public:
    static constexpr int kPositions = 60;
    static constexpr int kLastPointPosition = 48;  // points and sensors: 1..48; signals: 49..60
    static constexpr int kFirstSv = 40;            // position p takes SV 38 + 2p and SV 39 + 2p

    TExtDevTable() = default;

    // Why the device's two SV bytes cannot name it so that it reads back as
    // itself ("sensor board 300 cannot be programmed (boards 1 to 256)");
    // empty when they can. Such a device never gets a position.
    static std::string Unprogrammable(const TCondition& device);
    // Position 1..60 of the first entry naming the condition's device; 0 when none does.
    int Find(const TCondition& device) const;
    // True when the device has a position afterwards; a new device takes the first free
    // position of its range.
    bool Add(const TCondition& device);
    // Position 1..60; anything else reads as an empty entry.
    const TExtDevEntry& EntryAt(int position) const;
    void SetEntry(int position, const TExtDevEntry& entry);

    // The 60 entries as 120 bytes at SV 40..159 of the image (SV n is image[n - 1]).
    void WriteSvs(TSvWriter image) const;
    void ReadSvs(std::span<const uint8_t> image);

private:
    std::array<TExtDevEntry, kPositions> entries_{};
};
