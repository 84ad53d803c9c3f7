// The shuttle board's sequences: four of them, each up to sixteen steps.
// A step waits for its trigger, then takes its action; the board stores a
// sequence as 113 SVs and a step as six.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// Triggers
constexpr uint8_t kMuv7TriggerDelay = 0;
constexpr uint8_t kMuv7TriggerPointClosed = 1;
constexpr uint8_t kMuv7TriggerPointThrown = 2;
constexpr uint8_t kMuv7TriggerSensor = 3;

// Actions
constexpr uint8_t kMuv7ActionNone = 0;
constexpr uint8_t kMuv7ActionStop = 1;
constexpr uint8_t kMuv7ActionStartSame = 2;
constexpr uint8_t kMuv7ActionStartOpposite = 3;
constexpr uint8_t kMuv7ActionStartA = 4;
constexpr uint8_t kMuv7ActionStartB = 5;
constexpr uint8_t kMuv7ActionFunction = 6;
constexpr uint8_t kMuv7ActionDispatch = 7;
constexpr uint8_t kMuv7ActionPointClosed = 8;
constexpr uint8_t kMuv7ActionPointThrown = 9;

// Sequence types
constexpr uint8_t kMuv7StationStop = 0;
constexpr uint8_t kMuv7Shuttle = 1;
constexpr uint8_t kMuv7UserDefined = 2;

constexpr int kMuv7StepCount = 16;
constexpr int kMuv7StepBytes = 6;
constexpr int kMuv7SequenceBytes = 113;
constexpr int kMuv7NameBytes = 15;
constexpr int kMuv7MinFields = 11;

class TMUV7SequenceStep : public TCsvIo {
public:
    explicit TMUV7SequenceStep(int32_t number = 1);
    TMUV7SequenceStep(const TMUV7SequenceStep& other);
    TMUV7SequenceStep& operator=(const TMUV7SequenceStep& other);

    // Every field but number and name back to its unused value.
    void Reset();
    // Every field, number and name included.
    void CopyFrom(const TMUV7SequenceStep& other);
    bool IsUsed() const { return action != kMuv7ActionNone; }

    // The two 16-bit codes the board keeps for a step.
    uint16_t TriggerCode() const;
    uint16_t ActionCode() const;

    // File line (texts unquoted). Reading a line whose action is 0 leaves the step reset.
    void WriteStepLine(std::ostream& out);
    void ReadStepLine(std::istream& in);

    // The six SV bytes of the step; bytes must hold at least six.
    void Encode(TSvWriter bytes) const;
    void Decode(std::span<const uint8_t> bytes);

    // "3: trigger after 20 seconds; Start train same direction"
    std::string ListText() const;
    void Describe(std::vector<std::string>& lines) const;

public:  // fields, edited in place by the sequence editor
    int32_t number = 1;        // 1 to 16
    std::string name;          // a label; the wizard fills it
    uint8_t trigger = 0;       // kMuv7Trigger*
    uint8_t action = 0;        // kMuv7Action*
    int32_t delay = 1;         // [s], trigger 0, 1 to 1000
    int32_t triggerPoint = 1;  // triggers 1, 2: point 1 to 2048
    int32_t sensorBoard = 1;   // trigger 3: 1 to 256
    int32_t sensor = 1;        // trigger 3: 1 to 16
    int32_t respondEvery = 1;  // acts on every n-th trigger; 8 bits reach the board
    int32_t retriggerStep = 0; // 0 retrigger at once, k only after step k has triggered
    int32_t rampTime = 2;      // [s], actions 1 to 5, 0 to 9
    int32_t function = 0;      // action 6: loco function 0 to 7
    int32_t functionTime = 1;  // [s], action 6, 1 to 7
    int32_t actionPoint = 1;   // actions 8, 9: point 1 to 2048
};

class TMUV7Sequence : public TCsvIo {
public:
    explicit TMUV7Sequence(int32_t number = 1);
    TMUV7Sequence(const TMUV7Sequence& other);
    TMUV7Sequence& operator=(const TMUV7Sequence& other);

    TMUV7SequenceStep& StepAt(int index) { return steps_[static_cast<size_t>(index)]; }
    const TMUV7SequenceStep& StepAt(int index) const { return steps_[static_cast<size_t>(index)]; }

    // The number of the last step with an action, 0 when none has one.
    int32_t LastUsedStep() const;

    // The wizard's two ready-made sequences; every step is reset first.
    void MakeStationStop(int32_t sensorBoard, int32_t sensor, int32_t waitTime, int32_t visits,
                         int32_t accelTime);
    void MakeShuttle(int32_t end1Board, int32_t end1Sensor, int32_t end1Wait, int32_t end2Board,
                     int32_t end2Sensor, int32_t end2Wait, int32_t accelTime);

    // Two header lines and sixteen step lines.
    void WriteRecord(std::ostream& out);
    void ReadRecord(std::istream& in);

    // The whole image; the sequence's 113 bytes start at its own SV.
    void Encode(TSvWriter image) const;
    void Decode(std::span<const uint8_t> image);
    static uint32_t FirstSv(int32_t number) { return 30 + 113 * static_cast<uint32_t>(number - 1); }

    std::string ListText() const;  // "1\tShuttle"
    void Describe(std::vector<std::string>& lines) const;

public:  // fields
    uint8_t sequenceType = kMuv7UserDefined;
    std::string name = "Undefined";  // the first 15 characters reach the board
    int32_t activeSteps = 0;
    std::string description;
    int32_t number = 1;  // 1 to 4, set by the board

private:
    bool FitsImage(size_t imageLength) const;

    std::array<TMUV7SequenceStep, kMuv7StepCount> steps_;
};
