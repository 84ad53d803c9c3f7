#include "sim/Simlocobuffer.h"

std::optional<TLocoNetMessage> TSimLocoBuffer::Answer(const uint8_t* bytes, int count)
{
    if (count == 2 && bytes[0] == 0x81 && bytes[1] == 0x7E)
        return MakeReply(version_, badFrames_, collisions_);
    return std::nullopt;
}

TLocoNetMessage TSimLocoBuffer::MakeReply(int version, uint32_t badFrames, uint32_t collisions)
{
    const uint8_t d[8] = {
        static_cast<uint8_t>(version),
        static_cast<uint8_t>(badFrames >> 16), static_cast<uint8_t>(badFrames >> 8), static_cast<uint8_t>(badFrames),
        0,
        static_cast<uint8_t>(collisions >> 16), static_cast<uint8_t>(collisions >> 8), static_cast<uint8_t>(collisions),
    };
    // The high-bit bytes carry only the folded bits: with 0x10 in byte 10 the
    // message would read as an SV access of the first format.
    uint8_t high1 = 0, high2 = 0;
    for (int i = 0; i < 4; ++i) {
        if (d[i] & 0x80)
            high1 |= static_cast<uint8_t>(1 << i);
        if (d[4 + i] & 0x80)
            high2 |= static_cast<uint8_t>(1 << i);
    }
    TLocoNetMessage m;
    for (uint8_t b : {uint8_t(0xE5), uint8_t(0x10), uint8_t(0x50), uint8_t(0x50), uint8_t(0x01), high1})
        m.AppendByte(b);
    for (int i = 0; i < 4; ++i)
        m.AppendByte(d[i] & 0x7F);
    m.AppendByte(high2);
    for (int i = 4; i < 8; ++i)
        m.AppendByte(d[i] & 0x7F);
    m.AppendChecksum();
    return m;
}
