#include "link/Busload.h"

void TBusLoadMeter::Add(uint32_t timeMs, uint32_t bytes)
{
    heard_.push_back({timeMs, bytes});
    // Keep the memory bounded even when no one measures.
    while (heard_.size() > 1 && timeMs - heard_.front().timeMs >= kWindowMs)
        heard_.pop_front();
}

TBusLoad TBusLoadMeter::Measure(uint32_t nowMs)
{
    while (!heard_.empty() && nowMs - heard_.front().timeMs >= kWindowMs)
        heard_.pop_front();
    TBusLoad load;
    uint64_t bytes = 0;
    for (const THeard& heard : heard_) {
        ++load.messagesPerSecond;
        bytes += heard.bytes;
    }
    load.percent = WirePercent(double(bytes), kWindowMs);
    return load;
}

double TBusLoadMeter::WirePercent(double bytes, double ms)
{
    if (ms <= 0)
        return 0.0;
    return bytes * kBitsPerByte / kBaud / (ms / 1000.0) * 100.0;
}
