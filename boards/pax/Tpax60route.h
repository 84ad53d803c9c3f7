// A stored route of a PAX60/PAX66: up to twelve points with the state each
// must take, fired by its trigger conditions, an input or a DCC command.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/pax/Tpax60conditionset.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60ExtDevTable;

// Route entry states.
enum : uint8_t {
    kPax60RouteUndef = 0,
    kPax60RouteClosed = 1,
    kPax60RouteThrown = 2,
};

class TPAX60Route : public TCsvIo {
public:
    static constexpr int kMaxEntries = 12;
    static constexpr int kRouteBytes = 12;
    static constexpr int32_t kMaxPoint = 2048;

    TPAX60Route();
    TPAX60Route(const TPAX60Route& other);
    TPAX60Route& operator=(const TPAX60Route& other);

    static const char* StateName(int state);  // "UNDEF", "Closed", "Thrown"; empty otherwise

public: // fields
    uint32_t EntryCount = 0;
    std::array<int32_t, kMaxEntries> Points{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<uint8_t, kMaxEntries> States{};
    int32_t Number = 1;            // 1 to 8, fixed by the board
    TPAX60ConditionSet TriggerConditions{kPax60CondRoute};
    int32_t BoardBaseAddress = 0;  // copy of the board's base address

public: // entries
    void SetBoardBaseAddress(int32_t base) { BoardBaseAddress = base; }
    int IsLocal(int32_t point) const;  // local output 1 to 8, or 0
    int32_t PointAt(int position) const;
    uint8_t StateAt(int position) const;
    std::string EntryText(int position) const;  // position 1 to 12
    // Positions 0 to 11. Returns true when compaction removed an entry.
    bool SetEntry(int position, int32_t point, uint8_t state);
    bool Compact();
    bool Fits() const;
    // Bytes of its kRouteBytes the route's entries take: a point of this
    // board one, any other two.
    int BytesUsed() const;

public: // board operations
    bool CollectDevices(TPAX60ExtDevTable& table) const;
    bool Encode(TSvWriter image, const TPAX60ExtDevTable& table) const;
    void Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable& table);
    void WriteLines(std::ostream& out);
    void ReadLines(std::istream& in);  // keeps its number; strict conversion errors propagate
    void Report(std::vector<std::string>& lines) const;
    std::string ListText() const;
};
