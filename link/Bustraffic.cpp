#include "link/Bustraffic.h"

#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"

#include <queue>
#include <tuple>

namespace {

uint64_t SendTime(uint64_t startMs, uint32_t perSecond, uint64_t n)
{
    return startMs + n * 1000 / perSecond;
}

}  // namespace

void TBusTraffic::Add(uint32_t perSecond, uint64_t startMs, uint64_t endMs, TMaker maker)
{
    if (perSecond > 0 && endMs > startMs)
        streams_.push_back({perSecond, startMs, endMs, std::move(maker)});
}

void TBusTraffic::Play(const TSink& sink) const
{
    // (time, stream, n), earliest first.
    using TNext = std::tuple<uint64_t, size_t, uint64_t>;
    std::priority_queue<TNext, std::vector<TNext>, std::greater<TNext>> next;
    for (size_t i = 0; i < streams_.size(); ++i)
        next.emplace(streams_[i].startMs, i, 0);
    while (!next.empty()) {
        const auto [timeMs, index, n] = next.top();
        next.pop();
        const TStream& stream = streams_[index];
        sink(stream.maker(n), timeMs);
        const uint64_t after = SendTime(stream.startMs, stream.perSecond, n + 1);
        if (after < stream.endMs)
            next.emplace(after, index, n + 1);
    }
}

uint64_t TBusTraffic::MessageCount() const
{
    uint64_t count = 0;
    for (const TStream& stream : streams_) {
        // The sends n with startMs + n * 1000 / perSecond < endMs.
        const uint64_t span = stream.endMs - stream.startMs;
        count += (span * stream.perSecond + 999) / 1000;
    }
    return count;
}

TBusTraffic::TMaker TBusTraffic::Sensor(int board, int input)
{
    return [board, input](uint64_t n) { return TLocoNetMessage(TLNSensFBMessage(board, input, n % 2 == 0)); };
}

TBusTraffic::TMaker TBusTraffic::Sensors(int firstBoard, int boards)
{
    return [firstBoard, boards](uint64_t n) {
        const int sensor = int(n % uint64_t(boards * 16));
        return TLocoNetMessage(TLNSensFBMessage(firstBoard + sensor / 16, sensor % 16 + 1, true));
    };
}

TBusTraffic::TMaker TBusTraffic::Switch(int point)
{
    return [point](uint64_t n) { return TLocoNetMessage(TLNSwReqMessage(point, n % 2 == 0 ? 3 : 1)); };
}

TBusTraffic::TMaker TBusTraffic::LocoSpeed(int slot)
{
    return [slot](uint64_t n) {
        TLocoNetMessage message;
        message.AppendByte(0xA0);
        message.AppendByte(uint8_t(slot & 0x7F));
        message.AppendByte(uint8_t(n % 128));
        message.AppendChecksum();
        return message;
    };
}

TBusTraffic::TMaker TBusTraffic::SvRead(int serial)
{
    return [serial](uint64_t n) {
        TLNSVProgMessage message;
        message.MakeSvRead4(0, serial, int(1 + 4 * (n % 128)));
        return TLocoNetMessage(message);
    };
}

TBusTraffic::TMaker TBusTraffic::SvReply(int serial)
{
    // A read's answer: the request with the reply bit, the destination kept.
    return [serial](uint64_t n) {
        TLNSVProgMessage message;
        message.MakeSvRead4(0, serial, int(1 + 4 * (n % 128)));
        TLocoNetMessage reply;
        for (uint32_t i = 0; i + 1 < message.Length(); ++i)
            reply.AppendByte(i == 3 ? uint8_t(message.ByteAt(i) | kSvReplyBit) : message.ByteAt(i));
        reply.AppendChecksum();
        return reply;
    };
}

TBusTraffic::TMaker TBusTraffic::Fixed(const TLocoNetMessage& message)
{
    return [message](uint64_t) { return message; };
}
