// A fixed-length list of conditions owned by a signal or a reverse running zone.
// The kind fixes the capacity, the file key and the editor's title.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/vela/Tcondition.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TExtDevTable;

enum TConditionSetKind : uint8_t {
    eCondBlock = 0,          // 3: block occupancy
    eCondRedNormal = 1,      // 14: red conditions of a block signal
    eCondRedDiverging = 2,   // 5: red conditions of a diverging junction signal
    eCondIsolation = 3,      // 3: isolation zone override
    eCondAux = 4,            // 2: auxiliary output
    eCondRevDirection = 5,   // 8: reverse zone direction
    eCondRevFreeze = 6,      // 6: reverse zone freeze
    eCondRevShunt = 7,       // 3: reverse zone shunt
};

class TConditionSet : public TCsvIo {
public:
    static constexpr int kKinds = 8;
    static constexpr int kMinFields = 18;

    // Keeps as many leading conditions of the source as fit; the rest are none.
    explicit TConditionSet(uint8_t kind, const TConditionSet* source = nullptr);
    TConditionSet(const TConditionSet& other);
    TConditionSet& operator=(const TConditionSet& other);

    uint8_t Kind() const { return kind_; }
    int Capacity() const { return int(conditions_.size()); }
    std::string FileKey() const;
    std::string Title() const;
    static int CapacityOf(uint8_t kind);

    // Index 0..Capacity() - 1; outside that range reads none and writes nothing.
    const TCondition& ConditionAt(int index) const;
    void SetCondition(int index, const TCondition& condition);
    // The following conditions move down; the last becomes none.
    void DeleteAt(int index);
    // The conditions from index on move up; the last one is lost.
    void InsertAt(int index, const TCondition& condition);
    void Clear();

public:  // External devices and SVs
    bool CollectDevices(TExtDevTable& table) const;
    // Capacity() bytes from the start of dest (shorter spans are written as far as they go).
    bool Encode(TSvWriter dest, const TExtDevTable& table) const;
    bool Decode(std::span<const uint8_t> source, const TExtDevTable& table);

public:  // File and report
    void WriteRecord(std::ostream& out);
    // Reads the next line whatever it holds. A malformed number inside a condition
    // text throws TCsvConversionError.
    void ReadRecord(std::istream& in);
    void Report(std::vector<std::string>& lines) const;

private:
    uint8_t kind_;
    std::vector<TCondition> conditions_;  // never resized after construction
};
