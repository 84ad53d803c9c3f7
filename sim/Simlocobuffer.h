// An emulated LocoBuffer: answers the status query 0x81 0x7E with its version
// report (a peer transfer from 0x50 to 0x50 0x01), counting the bad frames it
// has seen.
#pragma once

#include "link/Lnmessage.h"

#include <cstdint>
#include <optional>

class TSimLocoBuffer {
public:
    explicit TSimLocoBuffer(int version = 0x11) : version_(version) {}

    // The reply to one packet on the bus, if it is the status query.
    std::optional<TLocoNetMessage> Answer(const uint8_t* bytes, int count);
    void CountBadFrame() { ++badFrames_; }
    void CountCollision() { ++collisions_; }
    uint32_t BadFrames() const { return badFrames_; }

    // D1 = version (major high nibble, minor low nibble), D2-D4 bad frames,
    // D5 = 0, D6-D8 collisions, each 24-bit count high byte first.
    static TLocoNetMessage MakeReply(int version, uint32_t badFrames, uint32_t collisions);

private:
    int version_;
    uint32_t badFrames_ = 0;
    uint32_t collisions_ = 0;
};
