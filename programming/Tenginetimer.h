// The one-shot timers of the programming and numbering engines, behind a
// small interface so the engines run without real waiting: the host (a
// QTimer in the programs, a fake in tests) arms the timer and reports its
// expiry back to the engine with the token it was armed with.
#pragma once

#include <cstdint>

class IEngineTimer {
public:
    virtual ~IEngineTimer() = default;
    // Arms the timer for ms milliseconds, replacing any earlier arming. On
    // expiry the host calls the engine's expiry handler with this token.
    virtual void Start(int ms, uint64_t token) = 0;
    virtual void Stop() = 0;
};

// The engine's side of one timer: a token per arming, so an expiry that was
// already queued when the timer was stopped or re-armed is recognised as
// stale and ignored.
class TEngineTimer {
public:
    TEngineTimer(IEngineTimer* timer, int ms) : timer_(timer), ms_(ms) {}

    void Start()
    {
        running_ = true;
        ++token_;
        if (timer_)
            timer_->Start(ms_, token_);
    }

    void Stop()
    {
        if (!running_)
            return;
        running_ = false;
        ++token_;
        if (timer_)
            timer_->Stop();
    }

    // True when the expiry belongs to the current arming. The handler then
    // switches the timer off with Stop.
    bool Expired(uint64_t token) const { return running_ && token == token_; }

    bool IsRunning() const { return running_; }
    int Interval() const { return ms_; }

private:
    IEngineTimer* timer_;
    int ms_;
    bool running_ = false;
    uint64_t token_ = 0;
};
