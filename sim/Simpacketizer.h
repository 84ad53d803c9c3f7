// Cuts a client's byte stream into the packets it puts on the simulated wire:
// an opcode starts a packet, which ends when it reaches the length its opcode
// (or count byte) gives, or when the next opcode arrives. Leftovers (a cut
// frame, stray data bytes) go out as they are when Flush is called, so the
// receivers see on the wire what the client really sent.
#pragma once

#include <QByteArray>

#include <functional>

class TSimPacketizer {
public:
    explicit TSimPacketizer(std::function<void(const QByteArray&)> emitPacket) : emit_(std::move(emitPacket)) {}

    void Feed(const QByteArray& bytes);
    void Flush();
    bool HasPartial() const { return !current_.isEmpty(); }

private:
    std::function<void(const QByteArray&)> emit_;
    QByteArray current_;
    int expected_ = 0;  // 0 unknown
};
