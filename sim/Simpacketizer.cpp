#include "sim/Simpacketizer.h"

void TSimPacketizer::Feed(const QByteArray& bytes)
{
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b & 0x80) {
            Flush();
            current_.append(c);
            const int length = ((b & 0x60) >> 4) + 2;
            expected_ = length == 8 ? 0 : length;
            continue;
        }
        current_.append(c);
        if (expected_ == 0 && current_.size() == 2 && (static_cast<uint8_t>(current_[0]) & 0x80) &&
            ((static_cast<uint8_t>(current_[0]) & 0x60) == 0x60))
            expected_ = b >= 3 ? b : -1;
        if (expected_ > 0 && current_.size() == expected_)
            Flush();
    }
}

void TSimPacketizer::Flush()
{
    if (current_.isEmpty())
        return;
    QByteArray packet;
    packet.swap(current_);
    expected_ = 0;
    emit_(packet);
}
