// Bus statistics over an evening: messages and wire time second by second,
// the rates of each message kind, who talks most (sensors, switches, slots,
// SV-access senders), the bursts that choke the bus, and what the framer and
// the interface counted as damaged.
//
// It is fed messages with their arrival times on any clock counting
// milliseconds (the link's, a recording's), so a live bus and a recorded one
// give the same figures. Seconds count from the first time it is given after
// it was made or reset; a message belongs to the second its time falls in.
// The tables and rates cover whole seconds only: a second's messages count
// once a later time (a message, or Advance) has closed it, so figures never
// jump with a half-filled second.
#pragma once

#include "link/Busload.h"
#include "link/Lnframer.h"
#include "link/Lnmessage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Who a message speaks for, when it speaks for someone.
enum class TTalkerGroup : uint8_t { Sensor = 0, Switch = 1, Slot = 2, SvAccess = 3 };
constexpr int kTalkerGroupCount = 4;

// "Sensors", "Switches", "Slots", "SV access".
const char* TalkerGroupName(TTalkerGroup group);

struct TTalker {
    TTalkerGroup group = TTalkerGroup::Sensor;
    // Sensors 1..4096 ((board - 1) * 16 + input), switches 1..2048, slots
    // 0..127; SV access: a board's address for its replies, or
    // kSvRequestSource + the source byte for requests.
    uint32_t address = 0;
    uint64_t count = 0;

    static constexpr uint32_t kSvRequestSource = 0x10000;
};

// A talker as a modeller names it: "1,3 (3)" for a sensor (board,input and
// its number), "12" for a switch, "5" for a slot, "board 101" or "source 0"
// for SV access.
std::string TalkerText(const TTalker& talker);

// Who a message speaks for; false for messages that name no one the tables list.
bool MessageTalker(const TLocoNetMessage& message, TTalkerGroup& group, uint32_t& address);

struct TBusSecond {
    uint32_t messages = 0;
    uint32_t bytes = 0;
    double LoadPercent() const { return TBusLoadMeter::WirePercent(bytes, 1000.0); }
};

// A stretch of seconds each above TBusStatistics::kBurstPercent, longer than one second.
struct TBusBurst {
    uint64_t startSecond = 0;  // counted from the first second
    uint32_t seconds = 0;
    uint64_t messages = 0;
    uint64_t bytes = 0;
    double peakPercent = 0.0;
    // The kinds that made it up, most first (ties by kind number).
    std::vector<std::pair<int, uint64_t>> kinds;
    bool ongoing = false;  // its last second was the last closed one, so it may go on

    double LoadPercent() const { return seconds ? TBusLoadMeter::WirePercent(double(bytes), seconds * 1000.0) : 0.0; }
};

// The LocoBuffer's own figures from its answer to the status query.
struct TInterfaceCounters {
    bool reported = false;
    int versionMajor = 0, versionMinor = 0, versionBuild = 0, versionPatch = 0;
    uint32_t badFrames = 0;
    uint32_t collisions = 0;
    uint64_t reportSecond = 0;  // the second the last answer came in
    uint64_t reports = 0;
};

enum class TStatsSpan { LastMinute, SinceStart };

class TBusStatistics {
public:
    static constexpr uint32_t kMinuteSeconds = 60;
    // An evening and a night of per-second history; older seconds make way.
    static constexpr uint32_t kHistorySeconds = 24 * 3600;
    static constexpr double kBurstPercent = TBusLoadMeter::kOverloadedPercent;
    static constexpr uint32_t kBurstMinSeconds = 2;  // "for more than a second"
    static constexpr size_t kMaxBursts = 10000;      // the oldest make way

    TBusStatistics();

    // A message that arrived at timeMs. Times before the open second count in it.
    void Add(const TLocoNetMessage& message, uint64_t timeMs);
    // Closes every second that ended by nowMs (a quiet bus has seconds too).
    void Advance(uint64_t nowMs);
    // The framer's counters as the link has them now; the first call after
    // making or resetting sets the zero they are counted from.
    void SetFramingStats(const TLnFramingStats& sinceLinkMade);
    // Forgets everything; the next time given starts second 0.
    void Reset();

    bool Started() const { return started_; }
    uint64_t OriginMs() const { return originMs_; }

    // ---- The per-second series ----
    // Closed seconds since the start; the oldest kept is FirstKeptSecond().
    uint64_t SecondCount() const { return closed_; }
    uint64_t FirstKeptSecond() const { return closed_ - history_.size(); }
    // A closed second; an empty one outside what is kept.
    TBusSecond Second(uint64_t index) const;
    // The second still open (filling).
    const TBusSecond& OpenSecond() const { return open_; }
    uint64_t TotalMessages() const { return totalMessages_; }
    uint64_t TotalBytes() const { return totalBytes_; }
    // The busiest closed second since the start, and when it was.
    TBusSecond PeakSecond() const { return peak_; }
    uint64_t PeakSecondIndex() const { return peakIndex_; }

    // ---- Rates ----
    // Closed seconds the span covers (up to 60 for the last minute).
    uint64_t SpanSeconds(TStatsSpan span) const;
    uint64_t SpanMessages(TStatsSpan span) const;
    uint64_t SpanBytes(TStatsSpan span) const;
    uint64_t KindCount(int kind, TStatsSpan span) const;
    // Messages a second of the kind over the span; 0 before the first second closes.
    double KindRate(int kind, TStatsSpan span) const;
    // The kinds heard in the span, busiest first (ties by kind number).
    std::vector<std::pair<int, uint64_t>> Kinds(TStatsSpan span) const;

    // ---- Talkers ----
    // Of one group, most messages first, ties by address; at most max of them.
    std::vector<TTalker> Talkers(TTalkerGroup group, TStatsSpan span, size_t max = SIZE_MAX) const;

    // ---- Bursts, damage, the interface ----
    const std::deque<TBusBurst>& Bursts() const { return bursts_; }
    uint64_t BurstsForgotten() const { return burstsForgotten_; }
    // Counted since the start; all zero when no framer reports (a recording).
    TLnFramingStats Framing() const;
    bool FramingReported() const { return framingBaseSet_; }
    const TInterfaceCounters& Interface() const { return interface_; }

    // What the statistics hold in memory, near enough [bytes].
    size_t MemoryBytes() const;

private:
    using TKindCounts = std::array<uint32_t, kLnMessageKindCount>;
    // What the minute window needs of each second to forget it again.
    struct TMinuteSlot {
        TBusSecond second;
        TKindCounts kinds{};
        std::vector<uint32_t> talkers;  // one key a message that names someone
    };
    struct TRun {  // the seconds above the burst line so far
        bool active = false;
        TBusBurst burst;
        std::array<uint64_t, kLnMessageKindCount> kinds{};
    };

    static uint32_t TalkerKey(TTalkerGroup group, uint32_t address) { return uint32_t(group) << 24 | address; }
    void Begin(uint64_t timeMs);
    void CloseSecond();
    void CloseQuietSeconds(uint64_t count);
    void TrackBurst(const TMinuteSlot& slot);
    void StoreRun();
    // The minute's closed seconds and the open one.
    static constexpr uint32_t kMinuteSlots = kMinuteSeconds + 1;
    TMinuteSlot& OpenSlot() { return minute_[closed_ % kMinuteSlots]; }

    bool started_ = false;
    uint64_t originMs_ = 0;
    uint64_t closed_ = 0;  // closed seconds; the open one is number closed_
    TBusSecond open_;
    std::vector<TBusSecond> history_;  // a ring once full
    size_t historyHead_ = 0;           // the oldest, once full
    uint64_t totalMessages_ = 0, totalBytes_ = 0;
    TBusSecond peak_;
    uint64_t peakIndex_ = 0;

    std::array<TMinuteSlot, kMinuteSlots> minute_;
    uint64_t minuteMessages_ = 0, minuteBytes_ = 0;
    std::array<uint64_t, kLnMessageKindCount> minuteKinds_{};
    std::array<uint64_t, kLnMessageKindCount> startKinds_{};
    std::unordered_map<uint32_t, uint64_t> minuteTalkers_, startTalkers_;

    TRun run_;
    std::deque<TBusBurst> bursts_;
    uint64_t burstsForgotten_ = 0;

    bool framingBaseSet_ = false;
    TLnFramingStats framingBase_, framingNow_;
    TInterfaceCounters interface_;
};
