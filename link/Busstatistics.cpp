#include "link/Busstatistics.h"

#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"

#include <algorithm>

namespace {

// The switch messages without a decoder of their own carry the point as a
// switch request does: low 7 bits in byte 1, high 4 bits in byte 2.
uint32_t SwitchPoint(const TLocoNetMessage& message)
{
    return ((uint32_t(message.ByteAt(2)) & 0x0F) << 7 | (message.ByteAt(1) & 0x7F)) + 1;
}

// Which byte names the slot, for the kinds that speak for one.
int SlotByte(int kind)
{
    switch (kind) {
    case eOPCLOCOSPD:
    case eOPCLOCODIRF:
    case eOPCLOCOSND:
    case eOPCLOCOF9F12:
    case eOPCRQSLDATA:
    case eOPCSLOTSTAT1:
    case eOPCMOVESLOTS:  // the slot moved from
        return 1;
    case eOPCWRSLDATA:
    case eOPCSLRDDATA:
        return 2;
    default:
        return 0;
    }
}

bool MoreFirst(const std::pair<int, uint64_t>& a, const std::pair<int, uint64_t>& b)
{
    return a.second != b.second ? a.second > b.second : a.first < b.first;
}

}  // namespace

const char* TalkerGroupName(TTalkerGroup group)
{
    switch (group) {
    case TTalkerGroup::Sensor: return "Sensors";
    case TTalkerGroup::Switch: return "Switches";
    case TTalkerGroup::Slot: return "Slots";
    case TTalkerGroup::SvAccess: return "SV access";
    }
    return "";
}

std::string TalkerText(const TTalker& talker)
{
    switch (talker.group) {
    case TTalkerGroup::Sensor:
        return std::to_string((talker.address - 1) / 16 + 1) + ',' + std::to_string((talker.address - 1) % 16 + 1);
    case TTalkerGroup::SvAccess:
        if (talker.address >= TTalker::kSvRequestSource)
            return "source " + std::to_string(talker.address - TTalker::kSvRequestSource);
        return "board " + std::to_string(talker.address);
    default:
        return std::to_string(talker.address);
    }
}

bool MessageTalker(const TLocoNetMessage& message, TTalkerGroup& group, uint32_t& address)
{
    const int kind = message.MessageKind();
    switch (kind) {
    case eOPCSENS: {
        int board = 0, input = 0;
        bool on = false;
        if (!TLNSensFBMessage(message).GetSensorReport(board, input, on))
            return false;
        group = TTalkerGroup::Sensor;
        address = uint32_t((board - 1) * 16 + input);
        return true;
    }
    case eOPCSWREQ:
    case eOPCSWACK:
    case eOPCSWSTATE:
    case eOPCOPSTATE:
    case eOPCTOFB:
        group = TTalkerGroup::Switch;
        address = SwitchPoint(message);
        return true;
    case eOPCSVACCESS1:
        group = TTalkerGroup::SvAccess;
        address = TTalker::kSvRequestSource + message.ByteAt(2);
        return true;
    case eOPCSVACCESS2: {
        const TLNSVProgMessage sv(message);
        const int svKind = sv.SvKind();
        group = TTalkerGroup::SvAccess;
        // A reply speaks for the board that sent it; a request only names
        // the sender by its source byte.
        if (svKind == eSvDiscoverReply || svKind == eSvIdentifyReply)
            address = sv.SvReplyAddress();
        else if (svKind >= eSvWrite1Reply)
            address = sv.SvPayloadWord(2);
        else
            address = TTalker::kSvRequestSource + message.ByteAt(2);
        return true;
    }
    default:
        if (const int at = SlotByte(kind)) {
            group = TTalkerGroup::Slot;
            address = message.ByteAt(uint32_t(at)) & 0x7F;
            return true;
        }
        return false;
    }
}

TBusStatistics::TBusStatistics() = default;

void TBusStatistics::Begin(uint64_t timeMs)
{
    if (started_)
        return;
    started_ = true;
    originMs_ = timeMs;
}

void TBusStatistics::Add(const TLocoNetMessage& message, uint64_t timeMs)
{
    Advance(timeMs);
    const int kind = message.MessageKind();
    TMinuteSlot& slot = OpenSlot();
    ++open_.messages;
    open_.bytes += message.Length();
    ++slot.kinds[size_t(kind)];
    TTalkerGroup group;
    uint32_t address = 0;
    if (MessageTalker(message, group, address))
        slot.talkers.push_back(TalkerKey(group, address));
    if (kind == eOPCPEERXFER) {
        TLocoBufferReply reply;
        if (TLNPeerXferMessage(message).GetLocoBufferReply(reply)) {
            interface_.reported = true;
            interface_.versionMajor = reply.versionMajor;
            interface_.versionMinor = reply.versionMinor;
            interface_.versionBuild = reply.versionBuild;
            interface_.versionPatch = reply.versionPatch;
            interface_.badFrames = reply.badFrames;
            interface_.collisions = reply.collisions;
            interface_.reportSecond = closed_;
            ++interface_.reports;
        }
    }
}

void TBusStatistics::Advance(uint64_t nowMs)
{
    Begin(nowMs);
    if (nowMs < originMs_)
        return;
    const uint64_t now = (nowMs - originMs_) / 1000;
    if (now <= closed_)
        return;
    CloseSecond();
    CloseQuietSeconds(now - closed_);
}

void TBusStatistics::CloseQuietSeconds(uint64_t count)
{
    // A clock that jumps by days must not cost a loop per second: once the
    // minute and the history hold nothing but quiet, the rest is counting.
    const uint64_t enough = uint64_t(kHistorySeconds) + kMinuteSlots;
    if (count > enough) {
        for (uint32_t i = 0; i < kMinuteSlots; ++i)
            CloseSecond();
        closed_ += count - enough;
        history_.assign(kHistorySeconds, TBusSecond{});
        historyHead_ = 0;
        count = kHistorySeconds;
    }
    for (uint64_t i = 0; i < count; ++i)
        CloseSecond();
}

void TBusStatistics::CloseSecond()
{
    TMinuteSlot& slot = OpenSlot();
    slot.second = open_;
    if (history_.size() < kHistorySeconds) {
        history_.push_back(open_);
    } else {
        history_[historyHead_] = open_;
        historyHead_ = (historyHead_ + 1) % kHistorySeconds;
    }
    totalMessages_ += open_.messages;
    totalBytes_ += open_.bytes;
    minuteMessages_ += open_.messages;
    minuteBytes_ += open_.bytes;
    if (open_.bytes > peak_.bytes) {
        peak_ = open_;
        peakIndex_ = closed_;
    }
    if (open_.messages > 0) {
        for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
            minuteKinds_[size_t(kind)] += slot.kinds[size_t(kind)];
            startKinds_[size_t(kind)] += slot.kinds[size_t(kind)];
        }
        for (uint32_t key : slot.talkers) {
            ++minuteTalkers_[key];
            ++startTalkers_[key];
        }
    }
    TrackBurst(slot);
    ++closed_;
    open_ = TBusSecond{};

    // The slot the new second opens in held the second that just left the minute.
    TMinuteSlot& leaving = OpenSlot();
    if (leaving.second.messages > 0) {
        minuteMessages_ -= leaving.second.messages;
        minuteBytes_ -= leaving.second.bytes;
        for (int kind = 0; kind < kLnMessageKindCount; ++kind)
            minuteKinds_[size_t(kind)] -= leaving.kinds[size_t(kind)];
        for (uint32_t key : leaving.talkers) {
            auto it = minuteTalkers_.find(key);
            if (--it->second == 0)
                minuteTalkers_.erase(it);
        }
        leaving.kinds.fill(0);
        leaving.talkers.clear();
    }
    leaving.second = TBusSecond{};
}

void TBusStatistics::TrackBurst(const TMinuteSlot& slot)
{
    const double percent = slot.second.LoadPercent();
    if (percent <= kBurstPercent) {
        if (run_.active && run_.burst.seconds >= kBurstMinSeconds)
            bursts_.back().ongoing = false;
        run_.active = false;
        return;
    }
    if (!run_.active) {
        run_.active = true;
        run_.burst = TBusBurst{};
        run_.burst.startSecond = closed_;
        run_.kinds.fill(0);
    }
    TBusBurst& burst = run_.burst;
    ++burst.seconds;
    burst.messages += slot.second.messages;
    burst.bytes += slot.second.bytes;
    burst.peakPercent = std::max(burst.peakPercent, percent);
    for (int kind = 0; kind < kLnMessageKindCount; ++kind)
        run_.kinds[size_t(kind)] += slot.kinds[size_t(kind)];
    if (burst.seconds >= kBurstMinSeconds)
        StoreRun();
}

void TBusStatistics::StoreRun()
{
    TBusBurst burst = run_.burst;
    for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
        if (run_.kinds[size_t(kind)] > 0)
            burst.kinds.emplace_back(kind, run_.kinds[size_t(kind)]);
    }
    std::sort(burst.kinds.begin(), burst.kinds.end(), MoreFirst);
    burst.ongoing = true;
    if (run_.burst.seconds > kBurstMinSeconds) {
        bursts_.back() = std::move(burst);
        return;
    }
    bursts_.push_back(std::move(burst));
    if (bursts_.size() > kMaxBursts) {
        bursts_.pop_front();
        ++burstsForgotten_;
    }
}

void TBusStatistics::SetFramingStats(const TLnFramingStats& sinceLinkMade)
{
    if (!framingBaseSet_) {
        framingBase_ = sinceLinkMade;
        framingBaseSet_ = true;
    }
    framingNow_ = sinceLinkMade;
}

void TBusStatistics::Reset()
{
    const bool reported = framingBaseSet_;
    const TLnFramingStats now = framingNow_;
    *this = TBusStatistics();
    framingBaseSet_ = reported;
    framingBase_ = framingNow_ = now;
}

TBusSecond TBusStatistics::Second(uint64_t index) const
{
    if (index < FirstKeptSecond() || index >= closed_)
        return {};
    const size_t at = size_t(index - FirstKeptSecond());
    if (history_.size() < kHistorySeconds)
        return history_[at];
    return history_[(historyHead_ + at) % kHistorySeconds];
}

uint64_t TBusStatistics::SpanSeconds(TStatsSpan span) const
{
    return span == TStatsSpan::LastMinute ? std::min<uint64_t>(closed_, kMinuteSeconds) : closed_;
}

uint64_t TBusStatistics::SpanMessages(TStatsSpan span) const
{
    return span == TStatsSpan::LastMinute ? minuteMessages_ : totalMessages_;
}

uint64_t TBusStatistics::SpanBytes(TStatsSpan span) const
{
    return span == TStatsSpan::LastMinute ? minuteBytes_ : totalBytes_;
}

uint64_t TBusStatistics::KindCount(int kind, TStatsSpan span) const
{
    if (kind < 0 || kind >= kLnMessageKindCount)
        return 0;
    return span == TStatsSpan::LastMinute ? minuteKinds_[size_t(kind)] : startKinds_[size_t(kind)];
}

double TBusStatistics::KindRate(int kind, TStatsSpan span) const
{
    const uint64_t seconds = SpanSeconds(span);
    return seconds ? double(KindCount(kind, span)) / double(seconds) : 0.0;
}

std::vector<std::pair<int, uint64_t>> TBusStatistics::Kinds(TStatsSpan span) const
{
    std::vector<std::pair<int, uint64_t>> kinds;
    for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
        if (const uint64_t count = KindCount(kind, span))
            kinds.emplace_back(kind, count);
    }
    std::sort(kinds.begin(), kinds.end(), MoreFirst);
    return kinds;
}

std::vector<TTalker> TBusStatistics::Talkers(TTalkerGroup group, TStatsSpan span, size_t max) const
{
    const auto& counts = span == TStatsSpan::LastMinute ? minuteTalkers_ : startTalkers_;
    std::vector<TTalker> talkers;
    for (const auto& [key, count] : counts) {
        if (TTalkerGroup(key >> 24) == group)
            talkers.push_back({group, key & 0xFFFFFF, count});
    }
    const auto more = [](const TTalker& a, const TTalker& b) {
        return a.count != b.count ? a.count > b.count : a.address < b.address;
    };
    if (max < talkers.size()) {
        std::partial_sort(talkers.begin(), talkers.begin() + std::ptrdiff_t(max), talkers.end(), more);
        talkers.resize(max);
    } else {
        std::sort(talkers.begin(), talkers.end(), more);
    }
    return talkers;
}

TLnFramingStats TBusStatistics::Framing() const
{
    TLnFramingStats d;
    d.bytesIn = framingNow_.bytesIn - framingBase_.bytesIn;
    d.framesComplete = framingNow_.framesComplete - framingBase_.framesComplete;
    d.framesInvalid = framingNow_.framesInvalid - framingBase_.framesInvalid;
    d.framesAbandoned = framingNow_.framesAbandoned - framingBase_.framesAbandoned;
    d.framesCutIn = framingNow_.framesCutIn - framingBase_.framesCutIn;
    d.framesImpossible = framingNow_.framesImpossible - framingBase_.framesImpossible;
    d.bytesIgnored = framingNow_.bytesIgnored - framingBase_.bytesIgnored;
    d.bytesDropped = framingNow_.bytesDropped - framingBase_.bytesDropped;
    return d;
}

size_t TBusStatistics::MemoryBytes() const
{
    // An unordered_map node holds its pair, a link and the cached hash.
    constexpr size_t kNode = sizeof(std::pair<const uint32_t, uint64_t>) + 2 * sizeof(void*);
    size_t bytes = sizeof(*this) + history_.capacity() * sizeof(TBusSecond);
    for (const TMinuteSlot& slot : minute_)
        bytes += slot.talkers.capacity() * sizeof(uint32_t);
    for (const auto* map : {&minuteTalkers_, &startTalkers_})
        bytes += map->size() * kNode + map->bucket_count() * sizeof(void*);
    for (const TBusBurst& burst : bursts_)
        bytes += sizeof(TBusBurst) + burst.kinds.capacity() * sizeof(burst.kinds[0]);
    return bytes;
}
