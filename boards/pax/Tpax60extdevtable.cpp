#include "boards/pax/Tpax60extdevtable.h"

#include "boards/pax/Tpax60condition.h"

TPAX60ExtDevTable::TPAX60ExtDevTable()
{
    SetQuoteTexts(true);
}

TPAX60ExtDevTable::TPAX60ExtDevTable(const TPAX60ExtDevTable& other)
    : TCsvIo(other), FEntries(other.FEntries), FOwnPointBase(other.FOwnPointBase),
      FOwnSensorBoard(other.FOwnSensorBoard)
{
}

TPAX60ExtDevTable& TPAX60ExtDevTable::operator=(const TPAX60ExtDevTable& other)
{
    if (this != &other) {
        TCsvIo::operator=(other);
        FEntries = other.FEntries;
        FOwnPointBase = other.FOwnPointBase;
        FOwnSensorBoard = other.FOwnSensorBoard;
    }
    return *this;
}

void TPAX60ExtDevTable::Clear()
{
    for (TPAX60Device& e : FEntries)
        e.DeviceType = kPax60DevNone;
}

int TPAX60ExtDevTable::LookUp(const TPAX60Device& device) const
{
    if (device.DeviceType == kPax60DevNone)
        return 0;
    if (device.DeviceType == kPax60DevPoint) {
        const int64_t d = int64_t(device.Number) - FOwnPointBase;
        if (d >= 0 && d <= 7)
            return kFirstOwnOutput + static_cast<int>(d);
    }
    if (device.DeviceType == kPax60DevSensor && device.Number == FOwnSensorBoard &&
        device.Offset >= kFirstOwnInput && device.Offset <= kLastOwnInput)
        return device.Offset;
    for (int p = 0; p < kEntryCount; ++p) {
        const TPAX60Device& e = FEntries[p];
        if (e.DeviceType == device.DeviceType && e.Number == device.Number &&
            (device.DeviceType != kPax60DevSensor || e.Offset == device.Offset))
            return kFirstEntryIndex + p;
    }
    return 0;
}

bool TPAX60ExtDevTable::Add(const TPAX60Device& device)
{
    if (LookUp(device) != 0)
        return true;
    for (TPAX60Device& e : FEntries) {
        if (e.DeviceType == kPax60DevNone) {
            e = device;
            if (e.DeviceType != kPax60DevSensor)
                e.Offset = 0;
            return true;
        }
    }
    return false;
}

TPAX60Device TPAX60ExtDevTable::DeviceAt(int index) const
{
    TPAX60Device d;
    if (index >= kFirstEntryIndex) {
        // A byte read from a board may name an index beyond the table.
        if (index <= kLastEntryIndex)
            d = FEntries[index - kFirstEntryIndex];
    } else if (index >= kFirstOwnInput && index <= kLastOwnInput) {
        d = {kPax60DevSensor, FOwnSensorBoard, index};
    } else if (index >= kFirstOwnOutput && index <= kLastOwnOutput) {
        d = {kPax60DevPoint, FOwnPointBase + index - kFirstOwnOutput, 0};
    }
    return d;
}

int TPAX60ExtDevTable::UsedEntries() const
{
    int n = 0;
    for (const TPAX60Device& e : FEntries)
        if (e.DeviceType != kPax60DevNone)
            ++n;
    return n;
}

void TPAX60ExtDevTable::WriteSvs(TSvWriter image) const
{
    for (int p = 0; p < kEntryCount; ++p) {
        const TPAX60Device& e = FEntries[p];
        int lo = 0, hi = 0;
        switch (e.DeviceType) {
        case kPax60DevPoint:
            lo = e.Number % 256;
            hi = e.Number / 256;
            break;
        case kPax60DevSensor:
            lo = e.Number % 256;
            hi = e.Offset + 100;
            break;
        case kPax60DevSignal:
            lo = e.Number % 256;
            hi = e.Number / 256 + 50;
            break;
        default:
            break;
        }
        const std::string where = image.Naming() ? "device table, position " + std::to_string(p + 1) : std::string();
        image.Put(kFirstSv - 1 + 2 * p, static_cast<uint8_t>(lo), where.empty() ? where : where + ", number low byte");
        image.Put(kFirstSv + 2 * p, static_cast<uint8_t>(hi), where.empty() ? where : where + ", type and number high part");
    }
}

void TPAX60ExtDevTable::ReadSvs(std::span<const uint8_t> image)
{
    for (int p = 0; p < kEntryCount; ++p) {
        const int lo = image[kFirstSv - 1 + 2 * p];
        const int hi = image[kFirstSv + 2 * p];
        TPAX60Device& e = FEntries[p];
        e = TPAX60Device();
        if (lo == 0 && hi == 0)
            continue;
        if (hi > 100)
            e = {kPax60DevSensor, lo, hi - 100};
        // Signals are written from high byte 50 up, so signal 1 to 255 has
        // exactly 50; points never pass high byte 8.
        else if (hi < 50)
            e = {kPax60DevPoint, lo + 256 * hi, 0};
        else
            e = {kPax60DevSignal, lo + 256 * (hi - 50), 0};
    }
}
