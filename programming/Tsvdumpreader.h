// Reads SVs 1 to N of a board of any maker, four at a time, for the SV
// listing of a board the program has no model for. A plain engine fed
// events, with the sequencer's timing: 5000 ms reply timeout, one budget of
// 20 retries for the whole read, the 20 ms pause before each request that
// follows a good reply when sending is paced (MS100).
#pragma once

#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ISvDumpListener {
public:
    virtual ~ISvDumpListener() = default;
    virtual void SendMessage(std::unique_ptr<TLNSVProgMessage> message) = 0;
    virtual void DumpProgress(int /*sv*/, int /*count*/) {}
    // The read is over: success (Values() holds every SV), or why not.
    virtual void DumpEnded(bool success, const std::string& text) = 0;
};

class TSvDumpReader {
public:
    static constexpr int kReplyTimeoutMs = 5000;
    static constexpr int kMessageDelayMs = 20;
    static constexpr int kRetryBudget = 20;

    TSvDumpReader(ISvDumpListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer);
    ~TSvDumpReader();
    TSvDumpReader(const TSvDumpReader&) = delete;
    TSvDumpReader& operator=(const TSvDumpReader&) = delete;

    void SetPacedSending(bool paced) { paced_ = paced; }

    // Reads SVs 1 to count of the board answering at address. Ignored (false)
    // while a read runs or for a count below 1.
    bool Start(int address, int count);
    void GoIdle();

    void HandleSvMessage(const TLNSVProgMessage& message);
    void TimeoutExpired(uint64_t token);
    void DelayExpired(uint64_t token);

    bool IsIdle() const { return !busy_; }
    const std::vector<uint8_t>& Values() const { return values_; }
    // SVs read so far (from SV 1 on).
    int SvsRead() const { return std::min(currentSv_ - 1, static_cast<int>(values_.size())); }

private:
    void SendRead();

    ISvDumpListener& listener_;
    TEngineTimer timeoutTimer_;
    TEngineTimer delayTimer_;
    bool paced_ = false;
    bool busy_ = false;
    int address_ = 0;
    int currentSv_ = 0;
    int retriesLeft_ = 0;
    std::vector<uint8_t> values_;
};

namespace SvDumpTexts {
inline constexpr const char* kNoAnswer = "Failure while reading SVs: the board does not answer";
}
