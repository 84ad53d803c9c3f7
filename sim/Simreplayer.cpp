#include "sim/Simreplayer.h"

#include "link/Lnmessage.h"

#include <algorithm>
#include <cmath>

namespace {

// At full speed a turn of the event loop takes this many, so that the
// servers get to write between them and a client sees a steady stream.
constexpr int kBurst = 32;
// ... and no more are put on a real-time wire than it holds back this much.
constexpr int kMaxPendingBytes = 64;

}  // namespace

TSimReplayer::TSimReplayer(TSimBus& bus, const TRecording& recording, double speed, QObject* parent)
    : QObject(parent), bus_(bus), speed_(speed)
{
    int64_t first = -1;
    for (size_t i = 0; i < recording.Count(); ++i) {
        const TRecFrame frame = recording.At(i);
        if (frame.direction != TRecDirection::Received)
            continue;
        // The reader keeps only valid received messages; checked again here
        // because this is what goes onto a bus that may lead to a real one.
        const TLocoNetMessage msg(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()));
        if (!msg.IsValid())
            continue;
        if (first < 0)
            first = frame.offsetUs;
        packets_.emplace_back(reinterpret_cast<const char*>(frame.bytes.data()), static_cast<qsizetype>(frame.bytes.size()));
        dueUs_.push_back(frame.offsetUs - first);
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TSimReplayer::Pump);
    // At full speed on a real-time wire the next ones go when the wire has room.
    connect(&bus_, &TSimBus::Transmitted, this, [this](const void* sender, int) {
        if (sender == this && running_ && speed_ <= 0 && !timer_.isActive())
            Pump();
    });
}

int64_t TSimReplayer::DurationUs() const
{
    if (speed_ <= 0 || dueUs_.empty())
        return 0;
    return static_cast<int64_t>(std::llround(static_cast<double>(dueUs_.back()) / speed_));
}

void TSimReplayer::Start()
{
    next_ = 0;
    running_ = true;
    clock_.start();
    Pump();
}

void TSimReplayer::Stop()
{
    running_ = false;
    timer_.stop();
}

void TSimReplayer::Pump()
{
    if (!running_)
        return;
    if (speed_ <= 0) {
        for (int n = 0; n < kBurst && next_ < packets_.size(); ++n) {
            if (bus_.Realtime() && bus_.PendingBytes(this) > kMaxPendingBytes)
                return;  // Transmitted calls again
            bus_.Send(packets_[next_++], this);
        }
        if (next_ < packets_.size())
            timer_.start(0);
    } else {
        // Due times count from the start on one clock: late turns of the
        // event loop never add up.
        const int64_t nowUs = clock_.nsecsElapsed() / 1000;
        while (next_ < packets_.size() && static_cast<double>(dueUs_[next_]) / speed_ <= static_cast<double>(nowUs))
            bus_.Send(packets_[next_++], this);
        if (next_ < packets_.size()) {
            const double waitUs = static_cast<double>(dueUs_[next_]) / speed_ - static_cast<double>(nowUs);
            // A long pause is looked at again within the hour: the wait stays in range.
            timer_.start(static_cast<int>(std::min(std::ceil(waitUs / 1000.0), 3600000.0)));
        }
    }
    if (next_ >= packets_.size()) {
        running_ = false;
        emit Finished();
    }
}
