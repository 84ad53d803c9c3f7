// Made-up LocoNet traffic at exact rates: streams of messages, each at a whole
// number of messages a second from a start time to an end time, merged in
// time order. The statistics' tests and benchmark and the screenshot tour's
// busy evening are made of it, so their figures can be known in advance.
#pragma once

#include "link/Lnmessage.h"

#include <cstdint>
#include <functional>
#include <vector>

class TBusTraffic {
public:
    // The message of a stream's n-th send (0, 1, ...).
    using TMaker = std::function<TLocoNetMessage(uint64_t n)>;
    using TSink = std::function<void(const TLocoNetMessage& message, uint64_t timeMs)>;

    // perSecond messages in every second from startMs (inclusive) to endMs
    // (exclusive), the n-th at startMs + n * 1000 / perSecond.
    void Add(uint32_t perSecond, uint64_t startMs, uint64_t endMs, TMaker maker);

    // Hands every message of every stream to sink in time order (streams
    // added first go first at equal times).
    void Play(const TSink& sink) const;
    uint64_t MessageCount() const;

    // Makers for the usual talkers.
    static TMaker Sensor(int board, int input);           // on and off in turn
    static TMaker Sensors(int firstBoard, int boards);    // every input of the boards in turn, on
    static TMaker Switch(int point);                      // closed and thrown in turn
    static TMaker LocoSpeed(int slot);                    // speeds 0..127 in turn
    static TMaker SvRead(int serial);                     // reads of SV 1.. at serial
    static TMaker SvReply(int serial);                    // the board's answers
    static TMaker Fixed(const TLocoNetMessage& message);

private:
    struct TStream {
        uint32_t perSecond;
        uint64_t startMs, endMs;
        TMaker maker;
    };
    std::vector<TStream> streams_;
};
