// A fixed-size list of PAX60 conditions: what turns a cell thrown or closed,
// what freezes it, or what triggers a route. The kind fixes the capacity.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/pax/Tpax60condition.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60ExtDevTable;

enum : uint8_t {
    kPax60CondCellThrown = 0,
    kPax60CondCellClosed = 1,
    kPax60CondCellFreeze = 2,
    kPax60CondRoute = 3,
};

class TPAX60ConditionSet : public TCsvIo {
public:
    explicit TPAX60ConditionSet(uint8_t kind);
    // Takes over the first min(own, other) conditions of other; keeps its own kind.
    TPAX60ConditionSet(uint8_t kind, const TPAX60ConditionSet& other);
    TPAX60ConditionSet(const TPAX60ConditionSet& other);
    TPAX60ConditionSet& operator=(const TPAX60ConditionSet& other);

    static int CapacityOfKind(uint8_t kind);
    static const char* FileKeyOfKind(uint8_t kind);
    static const char* TitleOfKind(uint8_t kind);

public: // contents
    uint8_t Kind() const { return FKind; }
    int Capacity() const { return static_cast<int>(FConditions.size()); }
    std::string FileKey() const { return FileKeyOfKind(FKind); }
    std::string Title() const { return TitleOfKind(FKind); }
    const TPAX60Condition& At(int i) const { return FConditions[i]; }
    TPAX60Condition& At(int i) { return FConditions[i]; }
    void InsertAt(int i, const TPAX60Condition& condition);  // the last entry is lost
    void DeleteAt(int i);                                    // the last entry becomes empty
    void Clear();

public: // configuration file
    void WriteConditionLine(std::ostream& out);
    void ReadConditionLine(std::istream& in);

public: // SV image
    // Writes Capacity() bytes from out[0]; false when any condition has no device index.
    bool Encode(TSvWriter out, const TPAX60ExtDevTable& table) const;
    void Decode(std::span<const uint8_t> in, const TPAX60ExtDevTable& table);
    bool CollectDevices(TPAX60ExtDevTable& table) const;

public: // settings report
    void Report(std::vector<std::string>& lines) const;

    bool SameConditions(const TPAX60ConditionSet& other) const
    {
        return FKind == other.FKind && FConditions == other.FConditions;
    }

private:
    uint8_t FKind;
    std::vector<TPAX60Condition> FConditions;
};
