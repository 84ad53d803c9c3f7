#include "boards/vela/Extdevtable.h"

#include "boards/vela/Tcondition.h"

namespace {

const TExtDevEntry kEmptyEntry{};

// Sensor entries carry the input plus this in their second byte.
constexpr int kSensorInputBase = 100;

bool Matches(const TExtDevEntry& entry, const TCondition& device)
{
    if (entry.deviceType != device.deviceType || entry.number != device.number)
        return false;
    return device.deviceType != eVelaSensor || entry.offset == device.offset;
}

// The entry's first byte and the high byte of a point or signal: a second
// byte above 100 marks a sensor, so addresses stop where that begins.
constexpr int kLastAddress = 256 * kSensorInputBase + 255;

std::string CannotBeProgrammed(const std::string& what, int32_t value, const std::string& range)
{
    return what + " " + std::to_string(value) + " cannot be programmed (" + range + ")";
}

}  // namespace

std::string TExtDevTable::Unprogrammable(const TCondition& device)
{
    // 0/0 is an empty entry. Sensor board 256 is written as 0, as the
    // board's own sensor board number is; 0 itself has always loaded.
    switch (device.deviceType) {
    case eVelaSensor:
        if (device.number < 0 || device.number > 256)
            return CannotBeProgrammed("sensor board", device.number, "boards 1 to 256");
        if (device.offset < 1 || device.offset > 255 - kSensorInputBase)
            return CannotBeProgrammed("sensor input", device.offset,
                                      "inputs 1 to " + std::to_string(255 - kSensorInputBase));
        return {};
    case eVelaPoint:
        if (device.number < 1 || device.number > kLastAddress)
            return CannotBeProgrammed("point", device.number, "points 1 to " + std::to_string(kLastAddress));
        return {};
    case eVelaSignal:
        if (device.number < 1 || device.number > kLastAddress)
            return CannotBeProgrammed("signal", device.number, "signals 1 to " + std::to_string(kLastAddress));
        return {};
    default:
        return {};
    }
}

int TExtDevTable::Find(const TCondition& device) const
{
    if (device.deviceType == eVelaNone || device.deviceType == eVelaRevZone)
        return 0;
    for (int p = 1; p <= kPositions; ++p) {
        if (Matches(entries_[p - 1], device))
            return p;
    }
    return 0;
}

bool TExtDevTable::Add(const TCondition& device)
{
    if (device.deviceType == eVelaNone || device.deviceType == eVelaRevZone)
        return false;
    if (!Unprogrammable(device).empty())
        return false;
    if (Find(device) != 0)
        return true;
    const bool isSignal = device.deviceType == eVelaSignal;
    const int first = isSignal ? kLastPointPosition + 1 : 1;
    const int last = isSignal ? kPositions : kLastPointPosition;
    for (int p = first; p <= last; ++p) {
        TExtDevEntry& entry = entries_[p - 1];
        if (entry.deviceType == eVelaNone) {
            entry.deviceType = device.deviceType;
            entry.number = device.number;
            entry.offset = device.deviceType == eVelaSensor ? device.offset : 0;
            return true;
        }
    }
    return false;
}

const TExtDevEntry& TExtDevTable::EntryAt(int position) const
{
    if (position < 1 || position > kPositions)
        return kEmptyEntry;
    return entries_[position - 1];
}

void TExtDevTable::SetEntry(int position, const TExtDevEntry& entry)
{
    if (position >= 1 && position <= kPositions)
        entries_[position - 1] = entry;
}

void TExtDevTable::WriteSvs(TSvWriter image) const
{
    for (int p = 1; p <= kPositions; ++p) {
        const size_t first = size_t(kFirstSv + 2 * (p - 1) - 1);  // image index of SV 38 + 2p
        if (first + 1 >= image.size())
            return;
        const TExtDevEntry& entry = entries_[p - 1];
        uint8_t low = 0;
        uint8_t high = 0;
        switch (entry.deviceType) {
        case eVelaPoint:
        case eVelaSignal:
            low = uint8_t(entry.number & 0xFF);
            high = uint8_t((entry.number >> 8) & 0xFF);
            break;
        case eVelaSensor:
            low = uint8_t(entry.number & 0xFF);
            high = uint8_t(entry.offset + kSensorInputBase);
            break;
        default:
            break;
        }
        const std::string where = image.Naming() ? "device table, position " + std::to_string(p) : std::string();
        image.Put(first, low, where.empty() ? where : where + ", number low byte");
        image.Put(first + 1, high, where.empty() ? where : where + (entry.deviceType == eVelaSensor ? ", input" : ", number high byte"));
    }
}

void TExtDevTable::ReadSvs(std::span<const uint8_t> image)
{
    for (int p = 1; p <= kPositions; ++p) {
        const size_t first = size_t(kFirstSv + 2 * (p - 1) - 1);
        TExtDevEntry entry;
        if (first + 1 < image.size()) {
            const uint8_t low = image[first];
            const uint8_t high = image[first + 1];
            if (low == 0 && high == 0) {
                // empty
            } else if (high > kSensorInputBase) {
                entry = {eVelaSensor, low, high - kSensorInputBase};
            } else {
                entry = {uint8_t(p <= kLastPointPosition ? eVelaPoint : eVelaSignal), low + 256 * high, 0};
            }
        }
        entries_[p - 1] = entry;
    }
}
