// The external device table of a PAX60/PAX66: every device named by a
// condition is reduced to a one-byte device index. Indices 1 to 10 are the
// board's own inputs, 11 to 18 its own outputs, 21 to 60 the 40 table entries.
// The table is rebuilt before every SV calculation and never stored in a file.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"

#include <array>
#include <cstdint>
#include <span>

struct TPAX60Device {
    uint8_t DeviceType = 0;  // kPax60DevNone, Point, Sensor or Signal
    int32_t Number = 0;      // point, sensor board or signal number
    int32_t Offset = 0;      // sensors only

    bool operator==(const TPAX60Device&) const = default;
};

class TPAX60ExtDevTable : public TCsvIo {
public:
    static constexpr int kEntryCount = 40;
    static constexpr int kFirstOwnInput = 1;
    static constexpr int kLastOwnInput = 10;
    static constexpr int kFirstOwnOutput = 11;
    static constexpr int kLastOwnOutput = 18;
    static constexpr int kFirstEntryIndex = 21;
    static constexpr int kLastEntryIndex = 60;
    static constexpr uint32_t kFirstSv = 171;  // entries at SV 171 to 250, two SVs each

    TPAX60ExtDevTable();
    TPAX60ExtDevTable(const TPAX60ExtDevTable& other);
    TPAX60ExtDevTable& operator=(const TPAX60ExtDevTable& other);

public: // the board's own devices
    void SetOwnPointBase(int32_t base) { FOwnPointBase = base; }
    void SetOwnSensorBoard(int32_t board) { FOwnSensorBoard = board; }
    int32_t OwnPointBase() const { return FOwnPointBase; }
    int32_t OwnSensorBoard() const { return FOwnSensorBoard; }

public: // entries
    void Clear();
    int LookUp(const TPAX60Device& device) const;  // device index, 0 when not found
    bool Add(const TPAX60Device& device);           // false when all 40 entries are taken
    TPAX60Device DeviceAt(int index) const;         // empty device for indices that name none
    const TPAX60Device& Entry(int position) const { return FEntries[position]; }  // 0-based
    int UsedEntries() const;

public: // SV image; image[n - 1] is SV n
    void WriteSvs(TSvWriter image) const;
    void ReadSvs(std::span<const uint8_t> image);

private:
    std::array<TPAX60Device, kEntryCount> FEntries{};
    int32_t FOwnPointBase = 0;
    int32_t FOwnSensorBoard = 0;
};
