#include "boards/vela/Tcondition.h"

#include "boards/core/Csv_io.h"
#include "boards/vela/Extdevtable.h"

#include <array>

namespace {

// File words, indexed by device type; the state words by state.
constexpr std::array<const char*, 5> kDeviceWords = {"Unused", "PT", "SE", "SG", "ZN"};
constexpr std::array<const char*, 12> kStateWords = {"TH", "CL", "OC", "UN", "RD", "NR",
                                                     "AWE", "AEW", "BWE", "BEW", "CWE", "CEW"};
// Device type each state word belongs to, and the state it gives.
constexpr std::array<uint8_t, 12> kStateWordDevice = {eVelaPoint, eVelaPoint, eVelaSensor, eVelaSensor,
                                                      eVelaSignal, eVelaSignal, eVelaRevZone, eVelaRevZone,
                                                      eVelaRevZone, eVelaRevZone, eVelaRevZone, eVelaRevZone};
constexpr std::array<uint8_t, 12> kStateWordState = {0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 4, 5};

constexpr std::array<const char*, 6> kZoneDisplay = {
    "Rev Zone A running W-E", "Rev Zone A running E-W", "Rev Zone B running W-E",
    "Rev Zone B running E-W", "Rev Zone C running W-E", "Rev Zone C running E-W"};

// Zone states run 0..5; anything else was never written by the board or the editor.
constexpr uint8_t kZoneStates = 6;
constexpr uint8_t kZoneCodeBase = 121;

const char* StateWord(uint8_t device, uint8_t state)
{
    switch (device) {
    case eVelaPoint: return state == 0 ? "TH" : "CL";
    case eVelaSensor: return state == 0 ? "OC" : "UN";
    case eVelaSignal: return state == 0 ? "RD" : "NR";
    case eVelaRevZone: return state < kZoneStates ? kStateWords[6 + state] : "AWE";
    default: return "";
    }
}

}  // namespace

TCondition TCondition::None()
{
    return TCondition{};
}

TCondition TCondition::Point(int32_t number, uint8_t state, bool andNext)
{
    return TCondition{eVelaPoint, number, 0, state, uint8_t(andNext ? 1 : 0)};
}

TCondition TCondition::Sensor(int32_t board, int32_t input, uint8_t state, bool andNext)
{
    return TCondition{eVelaSensor, board, input, state, uint8_t(andNext ? 1 : 0)};
}

TCondition TCondition::Signal(int32_t number, uint8_t state, bool andNext)
{
    return TCondition{eVelaSignal, number, 0, state, uint8_t(andNext ? 1 : 0)};
}

TCondition TCondition::RevZone(uint8_t state, bool andNext)
{
    return TCondition{eVelaRevZone, 0, 0, state, uint8_t(andNext ? 1 : 0)};
}

std::string TCondition::DisplayText() const
{
    std::string text;
    switch (deviceType) {
    case eVelaPoint:
        text = "Point " + std::to_string(number) + (state == 0 ? " is Thrown" : " is Closed");
        break;
    case eVelaSensor:
        text = "Sensor " + std::to_string(number) + "," + std::to_string(offset) +
               (state == 0 ? " is Occupied" : " is Unoccupied");
        break;
    case eVelaSignal:
        text = "Signal " + std::to_string(number) + (state == 0 ? " is Red" : " is not Red");
        break;
    case eVelaRevZone:
        text = state < kZoneStates ? kZoneDisplay[state] : "Rev Zone ?";
        break;
    default:
        return "(No Condition)";
    }
    if (andNext)
        text += ", AND";
    return text;
}

std::string TCondition::FileText() const
{
    std::string text;
    switch (deviceType) {
    case eVelaPoint:
    case eVelaSignal:
        text = std::string(kDeviceWords[deviceType]) + " " + std::to_string(number);
        break;
    case eVelaSensor:
        text = "SE " + std::to_string(number) + ":" + std::to_string(offset);
        break;
    case eVelaRevZone:
        text = "ZN";
        break;
    default:
        return "Unused";
    }
    text += " ";
    text += StateWord(deviceType, state);
    if (andNext)
        text += "+";
    return text;
}

bool TCondition::ParseFileText(const std::string& text)
{
    *this = None();
    uint8_t device = 0;
    bool found = false;
    for (uint8_t d = 0; d < kDeviceWords.size() && !found; ++d) {
        if (text.find(kDeviceWords[d]) != std::string::npos) {
            device = d;
            found = true;
        }
    }
    if (!found || device == eVelaNone)
        return found;

    if (device != eVelaRevZone) {
        // The number stands between the two-letter word and the next blank.
        const std::string rest = text.size() > 3 ? text.substr(3) : std::string();
        const size_t blank = rest.find(' ');
        if (blank == std::string::npos)
            throw TCsvConversionError(text, TCsvIo::QuotedInput(text) + " has no blank after its number");
        const std::string numberPart = rest.substr(0, blank);
        if (device == eVelaSensor) {
            const size_t colon = numberPart.find(':');
            if (colon == std::string::npos)
                throw TCsvConversionError(numberPart, TCsvIo::QuotedInput(numberPart) + " is not a valid sensor board:input");
            number = TCsvIo::StrictInt(numberPart.substr(0, colon), "the sensor board of " + TCsvIo::QuotedInput(text));
            offset = TCsvIo::StrictInt(numberPart.substr(colon + 1), "the sensor input of " + TCsvIo::QuotedInput(text));
        } else {
            number = TCsvIo::StrictInt(numberPart, std::string(device == eVelaPoint ? "the point number of " : "the signal number of ") +
                                                       TCsvIo::QuotedInput(text));
        }
    }
    deviceType = device;

    for (size_t w = 0; w < kStateWords.size(); ++w) {
        if (text.find(kStateWords[w]) != std::string::npos) {
            if (kStateWordDevice[w] == device)
                state = kStateWordState[w];
            break;
        }
    }
    andNext = text.find('+') != std::string::npos ? 1 : 0;
    return true;
}

uint8_t TCondition::Encode(const TExtDevTable& table, bool& ok) const
{
    ok = true;
    uint8_t value = 0;
    switch (deviceType) {
    case eVelaNone:
        return 0;
    case eVelaRevZone:
        value = uint8_t(kZoneCodeBase + (state < kZoneStates ? state : 0));
        break;
    default: {
        const int position = table.Find(*this);
        if (position == 0)
            ok = false;
        else
            value = uint8_t(position + (state == 1 ? TExtDevTable::kPositions : 0));
        break;
    }
    }
    if (andNext)
        value |= 0x80;
    return value;
}

bool TCondition::Decode(uint8_t value, const TExtDevTable& table)
{
    *this = None();
    const bool andBit = (value & 0x80) != 0;
    uint8_t code = value & 0x7F;
    if (code == 0)
        return true;
    if (code >= kZoneCodeBase) {
        // 127 would be a seventh zone state, which nothing ever writes.
        if (code - kZoneCodeBase >= kZoneStates)
            return false;
        *this = RevZone(uint8_t(code - kZoneCodeBase), andBit);
        return true;
    }
    uint8_t decodedState = 0;
    if (code > TExtDevTable::kPositions) {
        decodedState = 1;
        code -= TExtDevTable::kPositions;
    }
    const TExtDevEntry& entry = table.EntryAt(code);
    if (entry.deviceType == eVelaNone)
        return false;
    deviceType = entry.deviceType;
    number = entry.number;
    offset = entry.deviceType == eVelaSensor ? entry.offset : 0;
    state = decodedState;
    andNext = andBit ? 1 : 0;
    return true;
}
