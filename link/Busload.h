// How busy the bus is: messages a second and the share of the bus's wire
// time they take, over the last second. LocoNet sends each byte as 10 bits
// (start, 8 data, stop) at 16457 baud, so it carries at most 1645.7 bytes a
// second; collisions and back-off make a bus feel crowded well before that.
#pragma once

#include <cstdint>
#include <deque>

struct TBusLoad {
    int messagesPerSecond = 0;
    double percent = 0.0;  // of the wire time
};

class TBusLoadMeter {
public:
    static constexpr double kBaud = 16457.0;
    static constexpr double kBitsPerByte = 10.0;
    static constexpr uint32_t kWindowMs = 1000;
    // Where a bus starts to feel busy, and where messages start to wait for
    // each other: the display's colours and the statistics' bursts.
    static constexpr double kBusyPercent = 50.0;
    static constexpr double kOverloadedPercent = 80.0;

    void Add(uint32_t timeMs, uint32_t bytes);
    // The load over the window ending at nowMs.
    TBusLoad Measure(uint32_t nowMs);
    void Clear() { heard_.clear(); }

    // The share of the wire time [%] that `bytes` take in `ms` milliseconds.
    static double WirePercent(double bytes, double ms);

private:
    struct THeard {
        uint32_t timeMs;
        uint32_t bytes;
    };
    std::deque<THeard> heard_;
};
