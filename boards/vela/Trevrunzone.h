// One reverse running zone (A, B or C) of a signal controller board: when it
// runs west to east, east to west, when it must not change, and when it shunts.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"
#include "boards/vela/Tconditionset.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TExtDevTable;

class TRevRunZone : public TCsvIo {
public:
    static constexpr int kZonesPerBoard = 3;
    static constexpr int kRecordBytes = 25;
    static constexpr int kFirstRecordSv = 180;

    TRevRunZone();

    int32_t Number() const { return number_; }
    void SetNumber(int32_t number) { number_ = number; }
    // "A", "B", "C" for zones 1 to 3.
    std::string Letter() const;
    std::string ListText() const;

    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& text) { description_ = text; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& text) { name_ = text; }

    TConditionSet& WestEastSet() { return westEastSet_; }
    TConditionSet& EastWestSet() { return eastWestSet_; }
    TConditionSet& FreezeSet() { return freezeSet_; }
    TConditionSet& ShuntSet() { return shuntSet_; }
    const TConditionSet& WestEastSet() const { return westEastSet_; }
    const TConditionSet& EastWestSet() const { return eastWestSet_; }
    const TConditionSet& FreezeSet() const { return freezeSet_; }
    const TConditionSet& ShuntSet() const { return shuntSet_; }

public:  // File, SVs and report
    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);
    bool CollectDevices(TExtDevTable& table) const;
    // image: the whole SV image (SV n is image[n - 1]); the zone's number places it.
    bool Encode(TSvWriter image, const TExtDevTable& table) const;
    bool Decode(std::span<const uint8_t> image, const TExtDevTable& table);
    void Report(std::vector<std::string>& lines) const;

private:
    TConditionSet westEastSet_{eCondRevDirection};
    TConditionSet eastWestSet_{eCondRevDirection};
    TConditionSet freezeSet_{eCondRevFreeze};
    TConditionSet shuntSet_{eCondRevShunt};
    int32_t number_ = 1;
    std::string description_;
    std::string name_;
};
