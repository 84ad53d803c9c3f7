// One condition of a signal controller: a point, sensor input, signal or
// reverse running zone in a given state, optionally ANDed with the next one.
// Each condition reduces to one SV byte through the board's external device table.
#pragma once

#include <cstdint>
#include <string>

class TExtDevTable;

// Device types of a condition; the table holds only points, sensors and signals.
enum TVelaDeviceType : uint8_t {
    eVelaNone = 0,
    eVelaPoint = 1,
    eVelaSensor = 2,
    eVelaSignal = 3,
    eVelaRevZone = 4,
};

struct TCondition {
    uint8_t deviceType = eVelaNone;
    int32_t number = 0;   // point number, sensor board number or signal address
    int32_t offset = 0;   // sensors only: input 1..16 on the sensor board
    uint8_t state = 0;    // point thrown/closed, sensor occupied/unoccupied, signal red/not red, zone 2*zone+direction
    uint8_t andNext = 0;  // 1: joined with AND to the next condition

    // Makers
    static TCondition None();
    static TCondition Point(int32_t number, uint8_t state, bool andNext);
    static TCondition Sensor(int32_t board, int32_t input, uint8_t state, bool andNext);
    static TCondition Signal(int32_t number, uint8_t state, bool andNext);
    static TCondition RevZone(uint8_t state, bool andNext);

    // Texts
    std::string DisplayText() const;
    std::string FileText() const;
    // Makes the condition from its file text. Returns false (condition none) when the
    // text holds no device word. A number part that is not a decimal integer throws
    // TCsvConversionError, which ends the loading of the file.
    bool ParseFileText(const std::string& text);

    // SV byte
    // Bits 0-6: table position (state 0), position + 60 (state 1) or 121 + zone state;
    // bit 7: AND. ok is false when the device has no table position.
    uint8_t Encode(const TExtDevTable& table, bool& ok) const;
    // Returns false when the byte names an empty table entry (the condition becomes none).
    bool Decode(uint8_t value, const TExtDevTable& table);

    bool operator==(const TCondition&) const = default;
};
