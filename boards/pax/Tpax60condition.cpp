#include "boards/pax/Tpax60condition.h"

#include "boards/pax/Tpax60extdevtable.h"
#include "boards/pax/Paxhelpers.h"

namespace {

const char* const kDeviceWords[] = {"Unused", "PT", "SE", "SG"};
// State words in search order, with the device type each belongs to and its state.
struct TStateWord {
    const char* word;
    uint8_t deviceType;
    int32_t state;
};
const TStateWord kStateWords[] = {
    {"TH", kPax60DevPoint, 0},  {"CL", kPax60DevPoint, 1},  {"OC", kPax60DevSensor, 0},
    {"UN", kPax60DevSensor, 1}, {"RD", kPax60DevSignal, 0}, {"NR", kPax60DevSignal, 1},
};

TPAX60Device DeviceOf(const TPAX60Condition& c)
{
    TPAX60Device d;
    d.DeviceType = c.DeviceType;
    d.Number = c.Number;
    d.Offset = c.DeviceType == kPax60DevSensor ? c.Offset : 0;
    return d;
}

}  // namespace

TPAX60Condition TPAX60Condition::Point(int32_t number, int32_t state, bool andNext)
{
    return {kPax60DevPoint, number, 0, state, static_cast<uint8_t>(andNext ? 1 : 0)};
}

TPAX60Condition TPAX60Condition::Sensor(int32_t board, int32_t offset, int32_t state, bool andNext)
{
    return {kPax60DevSensor, board, offset, state, static_cast<uint8_t>(andNext ? 1 : 0)};
}

TPAX60Condition TPAX60Condition::Signal(int32_t number, int32_t state, bool andNext)
{
    return {kPax60DevSignal, number, 0, state, static_cast<uint8_t>(andNext ? 1 : 0)};
}

std::string TPAX60Condition::DisplayText() const
{
    std::string s;
    switch (DeviceType) {
    case kPax60DevNone:
        return "(No Condition)";
    case kPax60DevPoint:
        s = "Point " + std::to_string(Number) + (State == 0 ? " is Thrown" : " is Closed");
        break;
    case kPax60DevSensor:
        s = "Sensor " + std::to_string(Number) + "," + std::to_string(Offset) +
            (State == 0 ? " is Occupied" : " is Unoccupied");
        break;
    case kPax60DevSignal:
        s = "Signal " + std::to_string(Number) + (State == 0 ? " is Red" : " is not Red");
        break;
    default:
        return "";
    }
    if (AndNext)
        s += ", AND";
    return s;
}

std::string TPAX60Condition::FileText() const
{
    std::string s;
    switch (DeviceType) {
    case kPax60DevPoint:
        s = "PT " + std::to_string(Number) + (State == 0 ? " TH" : " CL");
        break;
    case kPax60DevSensor:
        s = "SE " + std::to_string(Number) + ":" + std::to_string(Offset) + (State == 0 ? " OC" : " UN");
        break;
    case kPax60DevSignal:
        s = "SG " + std::to_string(Number) + (State == 0 ? " RD" : " NR");
        break;
    default:
        return "Unused";
    }
    if (AndNext)
        s += "+";
    return s;
}

void TPAX60Condition::ParseFileText(const std::string& text)
{
    DeviceType = kPax60DevNone;
    int found = -1;
    for (int t = 0; t < 4 && found < 0; ++t)
        if (text.find(kDeviceWords[t]) != std::string::npos)
            found = t;
    if (found < 0)
        return;
    DeviceType = static_cast<uint8_t>(found);

    if (DeviceType != kPax60DevNone) {
        // The number stands after the two-letter word and its blank, up to the next blank.
        const std::string rest = text.size() > 3 ? text.substr(3) : std::string();
        const size_t blank = rest.find(' ');
        if (blank == std::string::npos)
            PaxConversionFailed(text, "is not a valid condition (device, number and state expected)");
        const std::string numberText = rest.substr(0, blank);
        if (DeviceType == kPax60DevSensor) {
            const size_t colon = numberText.find(':');
            if (colon == std::string::npos) {
                PaxConversionFailed(numberText, "is not a valid sensor number (board:input expected)");
            } else {
                Number = PaxStrictInt(numberText.substr(0, colon), "the sensor board of " + TCsvIo::QuotedInput(text));
                Offset = PaxStrictInt(numberText.substr(colon + 1), "the sensor input of " + TCsvIo::QuotedInput(text));
            }
        } else {
            Number = PaxStrictInt(numberText, std::string(DeviceType == kPax60DevPoint ? "the point number of "
                                                                                        : "the signal number of ") +
                                                  TCsvIo::QuotedInput(text));
            Offset = 0;
        }
    }

    for (const TStateWord& w : kStateWords) {
        if (text.find(w.word) != std::string::npos) {
            if (w.deviceType == DeviceType)
                State = w.state;
            break;
        }
    }
    if (text.find('+') != std::string::npos)
        AndNext = 1;
}

uint8_t TPAX60Condition::Encode(const TPAX60ExtDevTable& table, bool& ok) const
{
    ok = true;
    if (DeviceType == kPax60DevNone)
        return 0;
    const int index = table.LookUp(DeviceOf(*this));
    if (index == 0) {
        ok = false;
        return 0;
    }
    int value = index;
    if (State == 1)
        value += 60;
    if (AndNext)
        value += 128;
    return static_cast<uint8_t>(value);
}

void TPAX60Condition::Decode(uint8_t value, const TPAX60ExtDevTable& table)
{
    *this = Empty();
    const uint8_t andNext = (value & 0x80) ? 1 : 0;
    int index = value & 0x7F;
    if (index == 0)
        return;
    int32_t state = 0;
    if (index > 60) {
        state = 1;
        index -= 60;
    }
    const TPAX60Device d = table.DeviceAt(index);
    if (d.DeviceType == kPax60DevNone)
        return;
    DeviceType = d.DeviceType;
    Number = d.Number;
    Offset = d.DeviceType == kPax60DevSensor ? d.Offset : 0;
    State = state;
    AndNext = andNext;
}
