// One signal of a signal controller board: a block signal, or a diverging
// junction signal whose behaviour depends on the position of a point.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/vela/Tconditionset.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TExtDevTable;

enum TSignalType : uint8_t {
    eSignalDiverging = 0,
    eSignalBlock = 1,
};

enum TNextSignalMode : uint8_t {
    eNextNormal = 0,
    eNextVirtual = 1,
    eNextAlwaysGreen = 2,
    eNextAlwaysRed = 3,
};

class TSignal : public TCsvIo {
public:
    static constexpr int kSignalsPerBoard = 10;
    static constexpr int kHeadTypes = 14;
    static constexpr int kRecordBytes = 25;
    static constexpr int kFirstRecordSv = 257;

    TSignal();
    TSignal(const TSignal& other) = default;
    TSignal& operator=(const TSignal& other) = default;

    // Stores the type and makes the sets anew from the old ones: a block signal has no
    // thrown sets, a diverging signal's red sets hold five conditions.
    void SetType(uint8_t type);
    // Back to a new signal: block type, number 1, base address 1, every default.
    void Reset();

public:  // Identity
    uint8_t Type() const { return type_; }
    bool IsBlock() const { return type_ != eSignalDiverging; }
    int32_t Number() const { return number_; }
    void SetNumber(int32_t number) { number_ = number; }
    int32_t BaseAddress() const { return baseAddress_; }
    void SetBaseAddress(int32_t address) { baseAddress_ = address; }
    int32_t DccAddress() const { return baseAddress_ + number_ - 1; }
    std::string ListText() const;

public:  // Settings
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& text) { description_ = text; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& text) { name_ = text; }
    uint8_t HeadType() const { return headType_; }
    void SetHeadType(uint8_t code) { headType_ = code; }
    int32_t JunctionPoint() const { return junctionPoint_; }
    void SetJunctionPoint(int32_t point) { junctionPoint_ = point; }
    int32_t TranspondingZone() const { return transpondingZone_; }
    void SetTranspondingZone(int32_t zone) { transpondingZone_ = zone; }
    // 0 none; 1..6 zone A W-E, A E-W, B W-E, B E-W, C W-E, C E-W.
    uint8_t RevZoneLink() const { return revZoneLink_; }
    void SetRevZoneLink(uint8_t link) { revZoneLink_ = link; }
    int32_t NextSignal() const { return nextSignal_; }
    void SetNextSignal(int32_t address) { nextSignal_ = address; }
    int32_t NextSignalThrown() const { return nextSignalThrown_; }
    void SetNextSignalThrown(int32_t address) { nextSignalThrown_ = address; }
    uint8_t NextMode() const { return nextMode_; }
    void SetNextMode(uint8_t mode) { nextMode_ = mode; }
    uint8_t NextModeThrown() const { return nextModeThrown_; }
    void SetNextModeThrown(uint8_t mode) { nextModeThrown_ = mode; }

    // Head type texts: the editor's item and the report line; empty outside 0..13.
    static std::string HeadTypeItem(uint8_t code);
    static std::string HeadTypeReportLine(uint8_t code);

public:  // Condition sets; the thrown sets are null unless the signal is diverging
    TConditionSet& BlockSet() { return blockSet_; }
    TConditionSet* BlockThrownSet() { return blockThrownSet_ ? &*blockThrownSet_ : nullptr; }
    TConditionSet& RedSet() { return redSet_; }
    TConditionSet* RedThrownSet() { return redThrownSet_ ? &*redThrownSet_ : nullptr; }
    TConditionSet& AuxSet() { return auxSet_; }
    TConditionSet& IsolationSet() { return isolationSet_; }
    const TConditionSet& BlockSet() const { return blockSet_; }
    const TConditionSet* BlockThrownSet() const { return blockThrownSet_ ? &*blockThrownSet_ : nullptr; }
    const TConditionSet& RedSet() const { return redSet_; }
    const TConditionSet* RedThrownSet() const { return redThrownSet_ ? &*redThrownSet_ : nullptr; }
    const TConditionSet& AuxSet() const { return auxSet_; }
    const TConditionSet& IsolationSet() const { return isolationSet_; }

public:  // File, SVs and report
    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);
    bool CollectDevices(TExtDevTable& table) const;
    // image: the whole SV image (SV n is image[n - 1]); the signal's number places it.
    bool Encode(TSvWriter image, const TExtDevTable& table) const;
    bool Decode(std::span<const uint8_t> image, const TExtDevTable& table);
    void Report(std::vector<std::string>& lines) const;

public:  // Byte codes shared with the tests
    static uint8_t EncodeNextSignal(int32_t number, uint8_t mode, int32_t baseAddress,
                                    const TExtDevTable& table, bool& ok);
    // Returns false when the code names a table position holding no signal.
    static bool DecodeNextSignal(uint8_t code, int32_t baseAddress, const TExtDevTable& table,
                                 int32_t& number, uint8_t& mode);
    static uint8_t EncodeRevZoneLink(uint8_t link);
    static uint8_t DecodeRevZoneLink(uint8_t code);

    // A signal address the board's own ten signals answer to.
    bool IsOwnSignal(int32_t address) const;

private:
    bool CollectNextSignal(int32_t address, uint8_t mode, TExtDevTable& table) const;
    std::string NextSignalText(int32_t address, uint8_t mode) const;

    TConditionSet blockSet_{eCondBlock};
    std::optional<TConditionSet> blockThrownSet_;
    TConditionSet redSet_{eCondRedNormal};
    std::optional<TConditionSet> redThrownSet_;
    TConditionSet auxSet_{eCondAux};
    TConditionSet isolationSet_{eCondIsolation};
    uint8_t type_ = eSignalBlock;
    int32_t number_ = 1;
    int32_t baseAddress_ = 1;
    std::string description_ = "undefined";
    std::string name_ = "unnamed";
    uint8_t headType_ = 2;
    int32_t junctionPoint_ = 0;
    int32_t transpondingZone_ = 0;
    uint8_t revZoneLink_ = 0;
    int32_t nextSignal_ = 0;
    int32_t nextSignalThrown_ = 0;
    uint8_t nextMode_ = eNextNormal;
    uint8_t nextModeThrown_ = eNextNormal;
};
