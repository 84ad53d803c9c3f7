// What the PAX60 and PAX66 boards have in common: the settings, the external
// device table, the cells, inputs and routes, the SV image layout up to SV 430,
// the 66 part lines of the file and the report. Each board model holds one.
#pragma once

#include "boards/pax/Tpax60cell.h"
#include "boards/pax/Tpax60extdevtable.h"
#include "boards/pax/Tpax60inputcell.h"
#include "boards/pax/Tpax60route.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60BoardParts {
public:
    static constexpr int kCellCount = 8;
    static constexpr int kInputCount = 10;
    static constexpr int kRouteCount = 8;

    TPAX60BoardParts();

public: // settings
    TPAX60ExtDevTable ExtDevTable;
    std::array<TPAX60Cell, kCellCount> Cells;
    std::array<TPAX60InputCell, kInputCount> Inputs;
    std::array<TPAX60Route, kRouteCount> Routes;
    // The base address goes through SetBaseAddress, which copies it into the
    // cells, the routes and the table. A new board has not copied its default
    // yet: its cells hold 1, its routes and table 0, and its files and images
    // keep showing that until the base address is first set.
    int32_t BaseAddress = 1;
    std::string UserDescription = "Unassigned";
    uint8_t Occupies16Addresses = 0;
    uint8_t LocoNetSwitchCommands = 0;
    int32_t CduDelay = 8;  // [0.1 s]
    int32_t OutputMemoryLocation = 0;
    int32_t SensorBoardNumber = 16;
    int32_t RouteDccBaseAddress = 1000;

    void SetBaseAddress(int32_t base);

public: // SV image (image[n - 1] is SV n; cleared, serial number written)
    // Rebuilds the table from the conditions and writes everything but the
    // serial number; false when a condition or route could not be encoded.
    bool Compute(std::span<uint8_t> image);
    void Decode(std::span<const uint8_t> image);  // after the base address is set
    static int32_t BaseAddressIn(std::span<const uint8_t> image);

public: // file: the cells, inputs and routes (66 lines)
    void WritePartLines(std::ostream& out);
    void ReadPartLines(std::istream& in);

public: // settings report
    // Lines 1 to 4 ("Board Base address" to the command source).
    void ReportHead(std::vector<std::string>& lines) const;
    // From the CDU delay on.
    void ReportTail(std::vector<std::string>& lines) const;
};
