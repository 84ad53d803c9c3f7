// One condition of a PAX60/PAX66 output cell or route: a point, sensor or
// signal in a given state, optionally joined by AND to the next condition.
#pragma once

#include <cstdint>
#include <string>

class TPAX60ExtDevTable;

// Device types of conditions and external device entries.
enum : uint8_t {
    kPax60DevNone = 0,
    kPax60DevPoint = 1,
    kPax60DevSensor = 2,
    kPax60DevSignal = 3,
};

class TPAX60Condition {
public:
    uint8_t DeviceType = kPax60DevNone;
    int32_t Number = 0;   // point, sensor board or signal number
    int32_t Offset = 0;   // input on the sensor board; sensors only
    int32_t State = 0;    // point 0 thrown / 1 closed; sensor 0 occupied / 1 unoccupied; signal 0 red / 1 not red
    uint8_t AndNext = 0;  // 1: joined by AND with the next condition

public: // makers
    static TPAX60Condition Empty() { return {}; }
    static TPAX60Condition Point(int32_t number, int32_t state, bool andNext);
    static TPAX60Condition Sensor(int32_t board, int32_t offset, int32_t state, bool andNext);
    static TPAX60Condition Signal(int32_t number, int32_t state, bool andNext);

public: // texts
    bool IsEmpty() const { return DeviceType == kPax60DevNone; }
    std::string DisplayText() const;
    std::string FileText() const;
    // Numbers are converted strictly: a text that does not convert throws
    // a conversion error (see Paxhelpers.h). A text without a device word
    // leaves an empty condition.
    void ParseFileText(const std::string& text);

public: // SV byte
    // Index into the table, +60 for state 1, +128 for AND. A device with no
    // index gives 0 and ok false.
    uint8_t Encode(const TPAX60ExtDevTable& table, bool& ok) const;
    void Decode(uint8_t value, const TPAX60ExtDevTable& table);

    bool operator==(const TPAX60Condition&) const = default;
};
