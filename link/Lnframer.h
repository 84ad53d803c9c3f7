// LocoNet framing: turns a byte stream into frames. An opcode (bit 7 set)
// starts a frame; its bits 6 and 5 give the length, or byte 1 does for the
// variable-length opcodes. A byte with bit 7 set inside a frame abandons the
// frame and starts the next one: after a collision it is the opcode of the
// retransmitted message. The state survives between calls, so a frame may
// straddle any number of reads.
#pragma once

#include <cstdint>

// What happened to the bytes that did not become a delivered frame.
struct TLnFramingStats {
    uint64_t bytesIn = 0;         // every byte fed
    uint64_t framesComplete = 0;  // frames that reached their length (valid or not)
    uint64_t framesInvalid = 0;   // complete frames with a wrong checksum
    uint64_t framesAbandoned = 0; // frames cut short by a byte with bit 7 set
    uint64_t framesCutIn = 0;     // frames begun by the byte that cut the previous one short
    uint64_t framesImpossible = 0;// variable-length frames announcing fewer than 3 bytes
    uint64_t bytesIgnored = 0;    // data bytes outside any frame
    uint64_t bytesDropped = 0;    // every byte not delivered in a valid frame
};

class TLnFramer {
public:
    enum class TResult {
        None,       // byte taken, nothing to report
        Ignored,    // data byte outside a frame
        Abandoned,  // a byte with bit 7 set cut the frame short; that byte began a new frame
        Impossible, // the count byte announced a length no frame can have; frame dropped
        Complete,   // Frame()/FrameLength() hold a complete frame (check its validity)
    };

    static constexpr int kMaxFrame = 127;  // the longest length a count byte can announce

    TResult Feed(uint8_t byte);
    void Reset() { state_ = 0; count_ = 0; }

    // The complete frame, valid after Feed returned Complete.
    const uint8_t* Frame() const { return frame_; }
    int FrameLength() const { return count_; }
    // Bytes of an unfinished frame (0 while hunting).
    int Pending() const { return state_ == 0 ? 0 : count_; }

    // 0 hunting, 1 waiting for a count byte, 2 collecting.
    int State() const { return state_; }

private:
    void Begin(uint8_t opcode);

    uint8_t state_ = 0;
    int count_ = 0;
    int expected_ = 0;
    uint8_t frame_[kMaxFrame] = {};
};
