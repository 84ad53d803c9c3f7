// An output cell of a PAX60/PAX66: a point motor or a lamp group on one
// output pair, with the conditions that change or freeze it.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/pax/Tpax60conditionset.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60ExtDevTable;

class TPAX60Cell : public TCsvIo {
public:
    static constexpr int kCellTypeCount = 9;
    static constexpr int kMessageTypeCount = 6;
    static constexpr int kRateCount = 9;

    TPAX60Cell();
    TPAX60Cell(const TPAX60Cell& other);
    TPAX60Cell& operator=(const TPAX60Cell& other);

    static const char* CellTypeName(int cellType);   // empty outside 0..8
    static const char* MessageTypeName(int msgType); // empty outside 0..5
    static const char* OnTimeName(int rate);         // "0.125s" .. "1.125s"; empty outside 0..8
    static bool TypeAddsRate(int cellType);
    static int TypeCode(int cellType, int rate, bool invert);

public: // fields
    TPAX60ConditionSet ClosedConditions{kPax60CondCellClosed};
    TPAX60ConditionSet ThrownConditions{kPax60CondCellThrown};
    TPAX60ConditionSet FreezeConditions{kPax60CondCellFreeze};
    int32_t Number = 1;            // 1 to 8, fixed by the board
    int32_t BoardBaseAddress = 1;  // copy of the board's base address
    uint8_t CellType = 1;
    std::string Description = "undefined";
    int32_t Rate = 3;              // on time or flash rate, 0 to 8
    uint8_t Brightness = 0;        // 1: lamp brightness simulated
    uint8_t InvertOutputs = 0;     // 1: individual lamp outputs inverted
    int32_t Follows = 0;           // cell followed, 0 for none
    uint8_t MessageType = 0;
    int32_t ConditionDelay = 0;    // [s]
    int32_t ChangeDelay = 0;       // [0.1 s]

public: // board operations
    void SetBoardBaseAddress(int32_t base) { BoardBaseAddress = base; }
    int32_t DccAddress() const { return BoardBaseAddress + Number - 1; }
    bool CollectDevices(TPAX60ExtDevTable& table) const;
    bool Encode(TSvWriter image, const TPAX60ExtDevTable& table) const;  // image[n - 1] is SV n
    void Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable& table);
    void WriteLines(std::ostream& out);
    void ReadLines(std::istream& in);  // keeps its number; strict conversion errors propagate
    void Report(std::vector<std::string>& lines) const;
    std::string ListText() const;
};
