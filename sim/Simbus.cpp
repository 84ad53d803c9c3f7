#include "sim/Simbus.h"

#include <algorithm>

TSimBus::TSimBus(QObject* parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TSimBus::Pump);
    clock_.start();
}

void TSimBus::SetFaults(double dropRate, double corruptRate, uint32_t seed)
{
    dropRate_ = dropRate;
    corruptRate_ = corruptRate;
    dice_.seed(seed);
}

void TSimBus::Send(const QByteArray& packet, const void* sender)
{
    if (packet.isEmpty())
        return;
    // Real time: the packet occupies the wire, after those before it, before it arrives.
    const int64_t startsUs = std::max<int64_t>(clock_.nsecsElapsed() / 1000, wireFreeUs_);
    wireFreeUs_ = startsUs + WireTimeUs(int(packet.size()));
    queue_.push_back({packet, sender, wireFreeUs_});
    if (!timer_.isActive())
        ScheduleNext();
}

void TSimBus::ScheduleNext()
{
    if (queue_.empty())
        return;
    if (!realtime_) {
        timer_.start(0);
        return;
    }
    const int64_t waitUs = queue_.front().leavesWireUs - int64_t(clock_.nsecsElapsed() / 1000);
    timer_.start(waitUs <= 0 ? 0 : int((waitUs + 999) / 1000));
}

int TSimBus::PendingBytes(const void* sender) const
{
    int bytes = 0;
    for (const TPending& p : queue_)
        if (p.sender == sender)
            bytes += int(p.packet.size());
    return bytes;
}

void TSimBus::Corrupt(QByteArray& packet)
{
    std::uniform_int_distribution<int> coin(0, 1);
    if (packet.size() >= 2 && coin(dice_) == 0) {
        // A flipped data bit somewhere after the opcode (bit 7 stays clear).
        std::uniform_int_distribution<int> at(1, int(packet.size()) - 1), bit(0, 6);
        const int i = at(dice_);
        packet[i] = char(packet[i] ^ (1 << bit(dice_)));
    } else {
        // A bad checksum.
        const int last = int(packet.size()) - 1;
        packet[last] = char((packet[last] ^ 0x01) & 0x7F);
    }
}

void TSimBus::Pump()
{
    if (queue_.empty())
        return;
    TPending p = std::move(queue_.front());
    queue_.pop_front();
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const bool drop = dropRate_ > 0 && unit(dice_) < dropRate_;
    const bool corrupt = !drop && corruptRate_ > 0 && unit(dice_) < corruptRate_;
    QByteArray packet = p.packet;
    if (corrupt) {
        Corrupt(packet);
        ++corrupted_;
    }
    if (drop)
        ++dropped_;
    ScheduleNext();
    emit Transmitted(p.sender, int(p.packet.size()));
    if (!drop)
        emit Delivered(packet);
}
