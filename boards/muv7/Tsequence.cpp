#include "boards/muv7/Tsequence.h"

#include <algorithm>
#include <cstdint>

namespace {


uint16_t GetWord(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::string Num(int32_t value) { return std::to_string(value); }

// A name read back from a board keeps only what its file line can hold: a
// line break would end the line and a double quote would end the quoted
// text, so the board read back would differ from the same board saved and
// loaded again.
char NameCharacter(uint8_t byte)
{
    if (byte == '\n' || byte == '\r')
        return ' ';
    if (byte == '"')
        return '\'';
    return static_cast<char>(byte);
}

}  // namespace

// ---------------------------------------------------------------- step

TMUV7SequenceStep::TMUV7SequenceStep(int32_t number_) : number(number_)
{
    // Step lines are the one MUV7 record written without quotes.
    SetQuoteTexts(false);
    Reset();
}

TMUV7SequenceStep::TMUV7SequenceStep(const TMUV7SequenceStep& other) : TCsvIo(other)
{
    CopyFrom(other);
}

TMUV7SequenceStep& TMUV7SequenceStep::operator=(const TMUV7SequenceStep& other)
{
    if (this != &other)
        CopyFrom(other);
    return *this;
}

void TMUV7SequenceStep::Reset()
{
    trigger = kMuv7TriggerDelay;
    action = kMuv7ActionNone;
    delay = 1;
    triggerPoint = 1;
    sensorBoard = 1;
    sensor = 1;
    respondEvery = 1;
    retriggerStep = 0;
    rampTime = 2;
    function = 0;
    functionTime = 1;
    actionPoint = 1;
}

void TMUV7SequenceStep::CopyFrom(const TMUV7SequenceStep& other)
{
    number = other.number;
    name = other.name;
    trigger = other.trigger;
    action = other.action;
    delay = other.delay;
    triggerPoint = other.triggerPoint;
    sensorBoard = other.sensorBoard;
    sensor = other.sensor;
    respondEvery = other.respondEvery;
    retriggerStep = other.retriggerStep;
    rampTime = other.rampTime;
    function = other.function;
    functionTime = other.functionTime;
    actionPoint = other.actionPoint;
}

uint16_t TMUV7SequenceStep::TriggerCode() const
{
    switch (trigger) {
    case kMuv7TriggerDelay:
        // Longer delays are written as the longest the board keeps.
        return static_cast<uint16_t>(std::clamp(delay, 0, 1000));
    case kMuv7TriggerPointClosed:
        return static_cast<uint16_t>(triggerPoint + 1024);
    case kMuv7TriggerPointThrown:
        return static_cast<uint16_t>(triggerPoint + 4096);
    case kMuv7TriggerSensor:
        return static_cast<uint16_t>(16384 + 16 * (sensorBoard - 1) + sensor);
    default:
        return 0;
    }
}

uint16_t TMUV7SequenceStep::ActionCode() const
{
    switch (action) {
    case kMuv7ActionStop:
    case kMuv7ActionStartSame:
    case kMuv7ActionStartOpposite:
    case kMuv7ActionStartA:
    case kMuv7ActionStartB:
        return static_cast<uint16_t>(8 * rampTime + action);
    case kMuv7ActionFunction:
        return static_cast<uint16_t>(100 + 8 * function + functionTime);
    case kMuv7ActionDispatch:
        return 200;
    case kMuv7ActionPointClosed:
        return static_cast<uint16_t>(actionPoint + 1024);
    case kMuv7ActionPointThrown:
        return static_cast<uint16_t>(actionPoint + 4096);
    default:
        return 0;
    }
}

void TMUV7SequenceStep::WriteStepLine(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "step");
    SetIntField(2, number);
    SetIntField(3, trigger);
    SetIntField(4, respondEvery);
    SetIntField(5, retriggerStep);
    switch (trigger) {
    case kMuv7TriggerDelay:
        SetIntField(6, delay);
        break;
    case kMuv7TriggerPointClosed:
    case kMuv7TriggerPointThrown:
        SetIntField(6, triggerPoint);
        break;
    case kMuv7TriggerSensor:
        SetIntField(6, sensorBoard);
        SetIntField(7, sensor);
        break;
    default:
        break;
    }
    SetIntField(8, action);
    if (action >= kMuv7ActionStop && action <= kMuv7ActionStartB)
        SetIntField(9, rampTime);
    else if (action == kMuv7ActionFunction) {
        SetIntField(9, function);
        SetIntField(10, functionTime);
    } else if (action == kMuv7ActionPointClosed || action == kMuv7ActionPointThrown)
        SetIntField(9, actionPoint);
    SetTextField(11, name);
    WriteLine(out, kMuv7MinFields);
}

void TMUV7SequenceStep::ReadStepLine(std::istream& in)
{
    // The step's trigger and action each become one 16-bit code, the kind
    // told apart by ranges of the code (see Decode). A value that would carry
    // the code into another kind's range, or past 16 bits, would program a
    // different step than the file shows, so the file is refused instead.
    // Values the image merely cuts (a delay above 1000, respond every and the
    // retrigger step beyond 8 bits) load as the file holds them; the image
    // cuts them (TriggerCode, Encode). Nothing is stored before the whole
    // line is accepted, so a refused line leaves the step reset: the boards
    // read so far stay in their list and must write a file that loads again.
    ReadLine(in);
    Reset();
    TMUV7SequenceStep read(number);
    read.action = static_cast<uint8_t>(InRange(GetIntField(8), kMuv7ActionNone, kMuv7ActionPointThrown, "step action"));
    if (read.action == kMuv7ActionNone)
        return;
    read.name = GetTextField(11);
    read.number = GetIntField(2);
    read.trigger = static_cast<uint8_t>(InRange(GetIntField(3), kMuv7TriggerDelay, kMuv7TriggerSensor, "step trigger"));
    read.respondEvery = GetIntField(4);
    read.retriggerStep = GetIntField(5);
    switch (read.trigger) {
    case kMuv7TriggerDelay:
        // A negative delay would wrap into a sensor code; a long one is cut.
        read.delay = GetIntField(6);
        if (read.delay < 0)
            throw TCsvConversionError(std::to_string(read.delay),
                                      "trigger delay " + std::to_string(read.delay) + " is negative");
        break;
    case kMuv7TriggerPointClosed:
        read.triggerPoint = InRange(GetIntField(6), 1, 4096 - 1024, "trigger point");
        break;
    case kMuv7TriggerPointThrown:
        read.triggerPoint = InRange(GetIntField(6), 1, 16384 - 4096, "trigger point");
        break;
    case kMuv7TriggerSensor:
        read.sensorBoard = InRange(GetIntField(6), 1, 3072, "trigger sensor board");
        read.sensor = InRange(GetIntField(7), 1, 16, "trigger sensor");
        InRange(16 * (read.sensorBoard - 1) + read.sensor, 1, 65535 - 16384, "trigger sensor code");
        break;
    default:
        break;
    }
    if (read.action >= kMuv7ActionStop && read.action <= kMuv7ActionStartB)
        read.rampTime = InRange(GetIntField(9), 0, (100 - read.action) / 8, "acceleration time");
    else if (read.action == kMuv7ActionFunction) {
        // Codes 101..1024 but 200 (dispatch) are functions.
        read.function = InRange(GetIntField(9), 0, 115, "function number");
        read.functionTime = InRange(GetIntField(10), 0, 7, "function time");
        const int32_t code = InRange(100 + 8 * read.function + read.functionTime, 101, 1024, "function code");
        if (code == 200)
            InRange(code, 201, 1024, "function code");
    } else if (read.action == kMuv7ActionPointClosed)
        read.actionPoint = InRange(GetIntField(9), 1, 4096 - 1024, "action point");
    else if (read.action == kMuv7ActionPointThrown)
        read.actionPoint = InRange(GetIntField(9), 1, 65535 - 4096, "action point");
    CopyFrom(read);
}

void TMUV7SequenceStep::Encode(TSvWriter bytes) const
{
    bytes.PutWord(0, TriggerCode(), "trigger");
    bytes.Put(2, static_cast<uint8_t>(respondEvery & 0xFF), "respond every");
    bytes.Put(3, static_cast<uint8_t>(retriggerStep & 0xFF), "retrigger step");
    bytes.PutWord(4, ActionCode(), "action");
}

void TMUV7SequenceStep::Decode(std::span<const uint8_t> bytes)
{
    Reset();
    const int code = GetWord(bytes, 4);
    if (code == 0)
        return;
    if (code > 4096) {
        action = kMuv7ActionPointThrown;
        actionPoint = code - 4096;
    } else if (code > 1024) {
        action = kMuv7ActionPointClosed;
        actionPoint = code - 1024;
    } else if (code == 200) {
        action = kMuv7ActionDispatch;
    } else if (code > 100) {
        action = kMuv7ActionFunction;
        function = (code - 100) / 8;
        functionTime = (code - 100) % 8;
    } else {
        action = static_cast<uint8_t>(code % 8);
        rampTime = code / 8;
        if (action == kMuv7ActionNone) {
            // A step without an action is unused, whatever its other bytes
            // say: its file line keeps nothing else.
            Reset();
            return;
        }
    }
    respondEvery = bytes[2];
    retriggerStep = bytes[3];
    const int trig = GetWord(bytes, 0);
    if (trig > 16384) {
        trigger = kMuv7TriggerSensor;
        sensorBoard = (trig - 16385) / 16 + 1;
        sensor = (trig - 16385) % 16 + 1;
    } else if (trig > 4096) {
        trigger = kMuv7TriggerPointThrown;
        triggerPoint = trig - 4096;
    } else if (trig > 1024) {
        trigger = kMuv7TriggerPointClosed;
        triggerPoint = trig - 1024;
    } else {
        trigger = kMuv7TriggerDelay;
        delay = trig;
    }
}

namespace {

std::string TriggerListPart(const TMUV7SequenceStep& s)
{
    switch (s.trigger) {
    case kMuv7TriggerDelay:
        return "trigger after " + Num(s.delay) + " seconds; ";
    case kMuv7TriggerPointClosed:
        return "trigger when point " + Num(s.triggerPoint) + " set Closed; ";
    case kMuv7TriggerPointThrown:
        return "trigger when point " + Num(s.triggerPoint) + " set Thrown; ";
    case kMuv7TriggerSensor:
        return "trigger when sensor " + Num(s.sensorBoard) + "," + Num(s.sensor) + " occupied; ";
    default:
        return "";
    }
}

std::string ActionListPart(const TMUV7SequenceStep& s)
{
    switch (s.action) {
    case kMuv7ActionStop: return "Stop train.";
    case kMuv7ActionStartSame: return "Start train same direction";
    case kMuv7ActionStartOpposite: return "Start train opposite direction";
    case kMuv7ActionStartA: return "Start train direction A";
    case kMuv7ActionStartB: return "Start train direction B";
    case kMuv7ActionFunction: return "Set Loco function";
    case kMuv7ActionDispatch: return "Dispatch Loco";
    case kMuv7ActionPointClosed: return "Set point " + Num(s.actionPoint) + " Closed";
    case kMuv7ActionPointThrown: return "Set point " + Num(s.actionPoint) + " Thrown";
    default: return "";
    }
}

std::string TriggerReportLine(const TMUV7SequenceStep& s)
{
    std::string line;
    switch (s.trigger) {
    case kMuv7TriggerDelay:
        line = "      Trigger after " + Num(s.delay) + " seconds; ";
        break;
    case kMuv7TriggerPointClosed:
        line = "      Trigger when point " + Num(s.triggerPoint) + " set Closed; ";
        break;
    case kMuv7TriggerPointThrown:
        line = "      Trigger when point " + Num(s.triggerPoint) + " set Thrown; ";
        break;
    case kMuv7TriggerSensor:
        line = "      Trigger when sensor " + Num(s.sensorBoard) + "," + Num(s.sensor) + " occupied; ";
        break;
    default:
        line = "      ";
        break;
    }
    if (s.respondEvery <= 1)
        line += "respond every trigger.";
    else
        line += "respond every " + Num(s.respondEvery) + " triggers.";
    return line;
}

std::string ActionReportLine(const TMUV7SequenceStep& s)
{
    const std::string t = Num(s.rampTime);
    switch (s.action) {
    case kMuv7ActionStop:
        return "      Action: Stop train, decelerating over " + t + " seconds.";
    case kMuv7ActionStartSame:
        return "      Action: Start train in same direction, accelerating over " + t + " seconds.";
    case kMuv7ActionStartOpposite:
        return "      Action: Start train in opposite direction, accelerating over " + t + " seconds.";
    case kMuv7ActionStartA:
        return "      Action: Start train in direction A, accelerating over " + t + " seconds.";
    case kMuv7ActionStartB:
        return "      Action: Start train in direction B, accelerating over " + t + " seconds.";
    case kMuv7ActionFunction:
        return "      Action: Set Loco function " + Num(s.function) + " on for " + Num(s.functionTime) +
               " seconds";
    case kMuv7ActionDispatch:
        return "      Action: Dispatch Loco";
    case kMuv7ActionPointClosed:
        return "      Action: Set point " + Num(s.actionPoint) + " to Closed";
    case kMuv7ActionPointThrown:
        return "      Action: Set point " + Num(s.actionPoint) + " to Thrown";
    default:
        return "      Action: ";
    }
}

}  // namespace

std::string TMUV7SequenceStep::ListText() const
{
    std::string text = Num(number) + ": ";
    if (!IsUsed())
        return text + "Step not used.";
    return text + TriggerListPart(*this) + ActionListPart(*this);
}

void TMUV7SequenceStep::Describe(std::vector<std::string>& lines) const
{
    lines.push_back("    Step " + Num(number) + ": " + name);
    if (!IsUsed()) {
        lines.push_back("      Step not used.");
        return;
    }
    lines.push_back(TriggerReportLine(*this));
    lines.push_back(ActionReportLine(*this));
    if (retriggerStep == 0)
        lines.push_back("      Can Trigger again immediately.");
    else
        lines.push_back("      Can Trigger again after step " + Num(retriggerStep) + " has triggered.");
}

// ---------------------------------------------------------------- sequence

TMUV7Sequence::TMUV7Sequence(int32_t number_) : number(number_)
{
    SetQuoteTexts(true);
    for (int k = 0; k < kMuv7StepCount; ++k)
        steps_[static_cast<size_t>(k)].number = k + 1;
}

TMUV7Sequence::TMUV7Sequence(const TMUV7Sequence& other)
    : TCsvIo(other),
      sequenceType(other.sequenceType),
      name(other.name),
      activeSteps(other.activeSteps),
      description(other.description),
      number(other.number),
      steps_(other.steps_)
{
}

TMUV7Sequence& TMUV7Sequence::operator=(const TMUV7Sequence& other)
{
    if (this != &other) {
        sequenceType = other.sequenceType;
        name = other.name;
        activeSteps = other.activeSteps;
        description = other.description;
        number = other.number;
        steps_ = other.steps_;
    }
    return *this;
}

int32_t TMUV7Sequence::LastUsedStep() const
{
    for (int k = kMuv7StepCount; k >= 1; --k)
        if (steps_[static_cast<size_t>(k - 1)].IsUsed())
            return k;
    return 0;
}

void TMUV7Sequence::MakeStationStop(int32_t sensorBoard, int32_t sensor, int32_t waitTime,
                                    int32_t visits, int32_t accelTime)
{
    sequenceType = kMuv7StationStop;
    activeSteps = 2;
    name = "Station Stop";
    description = "Station stop, generated by Wizard";
    for (auto& step : steps_)
        step.Reset();

    TMUV7SequenceStep& stop = steps_[0];
    stop.name = "stop at sensor";
    stop.trigger = kMuv7TriggerSensor;
    stop.sensorBoard = sensorBoard;
    stop.sensor = sensor;
    stop.respondEvery = visits;
    stop.retriggerStep = 0;
    stop.action = kMuv7ActionStop;
    stop.rampTime = accelTime;

    TMUV7SequenceStep& start = steps_[1];
    start.name = "start after delay";
    start.trigger = kMuv7TriggerDelay;
    start.delay = waitTime;
    start.respondEvery = 1;
    start.retriggerStep = 0;
    start.action = kMuv7ActionStartSame;
    start.rampTime = accelTime;
}

void TMUV7Sequence::MakeShuttle(int32_t end1Board, int32_t end1Sensor, int32_t end1Wait,
                                int32_t end2Board, int32_t end2Sensor, int32_t end2Wait,
                                int32_t accelTime)
{
    sequenceType = kMuv7Shuttle;
    activeSteps = 4;
    name = "Shuttle";
    description = "Shuttle, generated by Wizard";
    for (auto& step : steps_)
        step.Reset();

    // The train first runs towards end 2; each stop waits for the other end's
    // stop so a sensor still occupied after the reversal cannot stop it again.
    auto stopAt = [&](TMUV7SequenceStep& s, const char* label, int32_t board, int32_t sens,
                      int32_t waitFor) {
        s.name = label;
        s.trigger = kMuv7TriggerSensor;
        s.sensorBoard = board;
        s.sensor = sens;
        s.respondEvery = 1;
        s.retriggerStep = waitFor;
        s.action = kMuv7ActionStop;
        s.rampTime = accelTime;
    };
    auto startAfter = [&](TMUV7SequenceStep& s, int32_t wait) {
        s.name = "start after delay";
        s.trigger = kMuv7TriggerDelay;
        s.delay = wait;
        s.respondEvery = 1;
        s.retriggerStep = 0;
        s.action = kMuv7ActionStartOpposite;
        s.rampTime = accelTime;
    };
    stopAt(steps_[0], "stop at sensor 2", end2Board, end2Sensor, 3);
    startAfter(steps_[1], end2Wait);
    stopAt(steps_[2], "stop at sensor 1", end1Board, end1Sensor, 1);
    startAfter(steps_[3], end1Wait);
}

void TMUV7Sequence::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "sequence_" + Num(number));
    SetTextField(2, name);
    SetIntField(3, sequenceType);
    SetIntField(4, activeSteps);
    WriteLine(out, kMuv7MinFields);

    ClearFields();
    SetTextField(2, description);
    WriteLine(out, kMuv7MinFields);

    for (auto& step : steps_)
        step.WriteStepLine(out);
}

void TMUV7Sequence::ReadRecord(std::istream& in)
{
    ReadLine(in);
    name = GetTextField(2);
    sequenceType = static_cast<uint8_t>(GetIntField(3));
    activeSteps = GetIntField(4);

    ReadLine(in);
    description = GetTextField(2);

    for (auto& step : steps_)
        step.ReadStepLine(in);
}

void TMUV7Sequence::Encode(TSvWriter image) const
{
    if (!FitsImage(image.size()))
        return;
    const bool naming = image.Naming();
    const TSvWriter bytes = image.Sub(FirstSv(number) - 1, kMuv7SequenceBytes,
                                      naming ? "sequence " + std::to_string(number) : std::string());
    bytes.Put(0, sequenceType, "sequence type");
    bytes.Put(1, static_cast<uint8_t>(activeSteps & 0xFF), "active steps");
    // The name's bytes past its end are 0 on the board.
    for (size_t i = 0; i < static_cast<size_t>(kMuv7NameBytes); ++i)
        bytes.Put(2 + i, i < name.size() ? static_cast<uint8_t>(name[i]) : uint8_t{0},
                  naming ? "name, character " + std::to_string(i + 1) : std::string());
    for (int k = 0; k < kMuv7StepCount; ++k)
        steps_[static_cast<size_t>(k)].Encode(bytes.Sub(17 + kMuv7StepBytes * static_cast<size_t>(k),
                                                        kMuv7StepBytes,
                                                        naming ? "step " + std::to_string(k + 1) : std::string()));
}

void TMUV7Sequence::Decode(std::span<const uint8_t> image)
{
    if (!FitsImage(image.size()))
        return;
    std::span<const uint8_t> bytes = image.subspan(FirstSv(number) - 1, kMuv7SequenceBytes);
    sequenceType = bytes[0];
    activeSteps = bytes[1];
    name.clear();
    for (size_t i = 0; i < kMuv7NameBytes && bytes[2 + i] != 0; ++i)
        name.push_back(NameCharacter(bytes[2 + i]));
    for (int k = 0; k < kMuv7StepCount; ++k)
        steps_[static_cast<size_t>(k)].Decode(bytes.subspan(17 + kMuv7StepBytes * static_cast<size_t>(k),
                                                            kMuv7StepBytes));
}

bool TMUV7Sequence::FitsImage(size_t imageLength) const
{
    return number >= 1 && number <= 4 && FirstSv(number) - 1 + kMuv7SequenceBytes <= imageLength;
}

std::string TMUV7Sequence::ListText() const { return Num(number) + "\t" + name; }

void TMUV7Sequence::Describe(std::vector<std::string>& lines) const
{
    lines.push_back("");
    lines.push_back("Sequence " + Num(number) + ": name=" + name);
    lines.push_back("  Description: " + description);
    const char* type = sequenceType == kMuv7StationStop ? "     station stop;"
                       : sequenceType == kMuv7Shuttle   ? "     shuttle;"
                                                        : "     user defined;";
    lines.push_back(std::string("  Type = ") + type);
    lines.push_back("  Number of Steps = " + Num(activeSteps));
    for (const auto& step : steps_)
        step.Describe(lines);
}
