#include "link/Lnframer.h"

void TLnFramer::Begin(uint8_t opcode)
{
    frame_[0] = opcode;
    count_ = 1;
    expected_ = ((opcode & 0x60) >> 4) + 2;
    state_ = expected_ == 8 ? 1 : 2;
}

TLnFramer::TResult TLnFramer::Feed(uint8_t byte)
{
    const bool opcode = (byte & 0x80) != 0;
    switch (state_) {
    case 0:
        if (!opcode)
            return TResult::Ignored;
        Begin(byte);
        return TResult::None;
    case 1:
        if (opcode) {
            Begin(byte);
            return TResult::Abandoned;
        }
        // A frame of fewer than 3 bytes can never complete: its count byte is
        // already its second byte. Dropping it now keeps the next opcode.
        if (byte < 3) {
            Reset();
            return TResult::Impossible;
        }
        frame_[1] = byte;
        expected_ = byte;
        count_ = 2;
        state_ = 2;
        return TResult::None;
    default:
        if (opcode) {
            Begin(byte);
            return TResult::Abandoned;
        }
        frame_[count_++] = byte;
        if (count_ == expected_) {
            state_ = 0;
            return TResult::Complete;
        }
        return TResult::None;
    }
}
