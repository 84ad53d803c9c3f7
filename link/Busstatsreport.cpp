#include "link/Busstatsreport.h"

#include "link/Lnkindnames.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr TStatsSpan kSpans[] = {TStatsSpan::LastMinute, TStatsSpan::SinceStart};

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A CSV field, quoted when it holds a separator, a quote or a line end.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

const char* SpanName(TStatsSpan span)
{
    return span == TStatsSpan::LastMinute ? "last minute" : "since start";
}

std::string BurstKindsText(const TBusBurst& burst)
{
    std::string text;
    for (const auto& [kind, count] : burst.kinds) {
        if (!text.empty())
            text += "; ";
        text += std::string(LnKindPlainName(kind)) + ' ' + std::to_string(count);
    }
    return text;
}

uint64_t Interrupted(const TLnFramingStats& framing)
{
    return framing.framesAbandoned + framing.framesImpossible;
}

}  // namespace

std::string StatsClockText(uint64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  unsigned(seconds / 60 % 60), unsigned(seconds % 60));
    return text;
}

std::string StatsKindText(int kind)
{
    std::string text = LnKindPlainName(kind);
    if (kind <= 0 || kind >= kLnMessageKindCount)
        return text;
    std::string opcode = LnKindName(kind);
    opcode.pop_back();  // the colon
    return text + " (" + opcode + ')';
}

TStatsInterval StatsIntervalOf(const TBusStatistics& stats, uint64_t fromSecond)
{
    TStatsInterval interval;
    interval.firstSecond = std::max(fromSecond, stats.FirstKeptSecond());
    if (interval.firstSecond >= stats.SecondCount())
        return interval;
    interval.seconds = stats.SecondCount() - interval.firstSecond;
    uint64_t bytes = 0;
    for (uint64_t s = interval.firstSecond; s < stats.SecondCount(); ++s) {
        const TBusSecond second = stats.Second(s);
        interval.messages += second.messages;
        bytes += second.bytes;
        interval.peakLoadPercent = std::max(interval.peakLoadPercent, second.LoadPercent());
    }
    interval.messagesPerSecond = double(interval.messages) / double(interval.seconds);
    interval.loadPercent = TBusLoadMeter::WirePercent(double(bytes), double(interval.seconds) * 1000.0);
    return interval;
}

std::string StatsIntervalLine(const TBusStatistics& stats, const TStatsInterval& interval)
{
    const TLnFramingStats framing = stats.Framing();
    return StatsClockText(stats.SecondCount()) + "  " + Fixed(interval.messagesPerSecond, 0) + " msg/s  " +
           Fixed(interval.loadPercent, 0) + "% load  peak " + Fixed(interval.peakLoadPercent, 0) + "%  bursts " +
           std::to_string(stats.Bursts().size() + stats.BurstsForgotten()) + "  bad frames " +
           std::to_string(framing.framesInvalid) + "  interrupted " + std::to_string(Interrupted(framing));
}

std::string StatsIntervalCsvHeader()
{
    return "elapsed_s,seconds,messages,msg_per_s,load_percent,peak_load_percent,bursts,bad_frames,interrupted_frames";
}

std::string StatsIntervalCsvRow(const TBusStatistics& stats, const TStatsInterval& interval)
{
    const TLnFramingStats framing = stats.Framing();
    return std::to_string(stats.SecondCount()) + ',' + std::to_string(interval.seconds) + ',' +
           std::to_string(interval.messages) + ',' + Fixed(interval.messagesPerSecond, 2) + ',' +
           Fixed(interval.loadPercent, 2) + ',' + Fixed(interval.peakLoadPercent, 2) + ',' +
           std::to_string(stats.Bursts().size() + stats.BurstsForgotten()) + ',' +
           std::to_string(framing.framesInvalid) + ',' + std::to_string(Interrupted(framing));
}

void WriteStatsText(const TBusStatistics& stats, std::ostream& out, size_t top)
{
    const uint64_t seconds = stats.SecondCount();
    out << "Bus statistics over " << StatsClockText(seconds) << " (" << seconds << " s): " << stats.TotalMessages()
        << " messages, " << Fixed(seconds ? double(stats.TotalMessages()) / double(seconds) : 0.0, 1) << " msg/s, "
        << Fixed(TBusLoadMeter::WirePercent(double(stats.TotalBytes()), double(seconds) * 1000.0), 1)
        << "% of the wire\n";
    if (stats.TotalMessages() > 0)
        out << "Busiest second: " << StatsClockText(stats.PeakSecondIndex()) << ", " << stats.PeakSecond().messages
            << " msg/s, " << Fixed(stats.PeakSecond().LoadPercent(), 1) << "% of the wire\n";
    const uint64_t minute = stats.SpanSeconds(TStatsSpan::LastMinute);
    out << "Last minute: "
        << Fixed(minute ? double(stats.SpanMessages(TStatsSpan::LastMinute)) / double(minute) : 0.0, 1) << " msg/s, "
        << Fixed(TBusLoadMeter::WirePercent(double(stats.SpanBytes(TStatsSpan::LastMinute)), double(minute) * 1000.0),
                 1)
        << "% of the wire\n";

    out << "\nMessages a second by kind (last minute, since start):\n";
    for (const auto& heard : stats.Kinds(TStatsSpan::SinceStart)) {
        const int kind = heard.first;
        char line[160];
        std::snprintf(line, sizeof line, "  %-44s %9s %9s\n", StatsKindText(kind).c_str(),
                      Fixed(stats.KindRate(kind, TStatsSpan::LastMinute), 2).c_str(),
                      Fixed(stats.KindRate(kind, TStatsSpan::SinceStart), 2).c_str());
        out << line;
    }

    for (int g = 0; g < kTalkerGroupCount; ++g) {
        const auto group = TTalkerGroup(g);
        for (TStatsSpan span : kSpans) {
            const std::vector<TTalker> talkers = stats.Talkers(group, span, top);
            if (talkers.empty())
                continue;
            out << "\nMost heard, " << TalkerGroupName(group) << " (" << SpanName(span) << "):";
            for (const TTalker& talker : talkers)
                out << "  " << TalkerText(talker) << " (" << talker.count << ')';
            out << '\n';
        }
    }

    out << "\nBursts above " << Fixed(TBusStatistics::kBurstPercent, 0)
        << "% of the wire for more than a second: " << stats.Bursts().size() + stats.BurstsForgotten() << '\n';
    for (const TBusBurst& burst : stats.Bursts()) {
        out << "  " << StatsClockText(burst.startSecond) << "  " << burst.seconds << " s  "
            << Fixed(burst.LoadPercent(), 0) << "% (peak " << Fixed(burst.peakPercent, 0) << "%)  "
            << BurstKindsText(burst) << (burst.ongoing ? "  (going on)" : "") << '\n';
    }

    out << '\n';
    if (stats.FramingReported()) {
        const TLnFramingStats framing = stats.Framing();
        out << "Framer: " << framing.framesInvalid << " bad frames (wrong checksum), " << Interrupted(framing)
            << " interrupted frames, " << framing.bytesIgnored << " stray bytes\n";
    } else {
        out << "Framer: not reported\n";
    }
    const TInterfaceCounters& lb = stats.Interface();
    if (lb.reported)
        out << "LocoBuffer " << lb.versionMajor << '.' << lb.versionMinor << '.' << lb.versionBuild << '.'
            << lb.versionPatch << ": " << lb.badFrames << " bad frames, " << lb.collisions << " collisions (at "
            << StatsClockText(lb.reportSecond) << ")\n";
    else
        out << "Interface counters: not reported\n";
}

void WriteStatsCsv(const TBusStatistics& stats, std::ostream& out)
{
    out << "second,messages,bytes,load_percent\n";
    for (uint64_t s = stats.FirstKeptSecond(); s < stats.SecondCount(); ++s) {
        const TBusSecond second = stats.Second(s);
        out << s << ',' << second.messages << ',' << second.bytes << ',' << Fixed(second.LoadPercent(), 2) << '\n';
    }
    out << '\n';

    out << "kind,name,last_minute,last_minute_per_s,since_start,since_start_per_s\n";
    for (const auto& [kind, count] : stats.Kinds(TStatsSpan::SinceStart)) {
        out << kind << ',' << CsvField(StatsKindText(kind)) << ',' << stats.KindCount(kind, TStatsSpan::LastMinute)
            << ',' << Fixed(stats.KindRate(kind, TStatsSpan::LastMinute), 2) << ',' << count << ','
            << Fixed(stats.KindRate(kind, TStatsSpan::SinceStart), 2) << '\n';
    }
    out << '\n';

    out << "talker_group,span,talker,address,messages\n";
    for (int g = 0; g < kTalkerGroupCount; ++g) {
        for (TStatsSpan span : kSpans) {
            for (const TTalker& talker : stats.Talkers(TTalkerGroup(g), span)) {
                out << CsvField(TalkerGroupName(talker.group)) << ',' << SpanName(span) << ','
                    << CsvField(TalkerText(talker)) << ',' << talker.address << ',' << talker.count << '\n';
            }
        }
    }
    out << '\n';

    out << "burst_start_second,seconds,messages,load_percent,peak_load_percent,kinds,ongoing\n";
    for (const TBusBurst& burst : stats.Bursts()) {
        out << burst.startSecond << ',' << burst.seconds << ',' << burst.messages << ','
            << Fixed(burst.LoadPercent(), 2) << ',' << Fixed(burst.peakPercent, 2) << ','
            << CsvField(BurstKindsText(burst)) << ',' << (burst.ongoing ? 1 : 0) << '\n';
    }
    out << '\n';

    const TLnFramingStats framing = stats.Framing();
    const TInterfaceCounters& lb = stats.Interface();
    out << "counter,value\n";
    out << "messages," << stats.TotalMessages() << '\n';
    out << "bytes," << stats.TotalBytes() << '\n';
    out << "bursts_forgotten," << stats.BurstsForgotten() << '\n';
    if (stats.FramingReported()) {
        out << "bad_frames," << framing.framesInvalid << '\n';
        out << "interrupted_frames," << Interrupted(framing) << '\n';
        out << "stray_bytes," << framing.bytesIgnored << '\n';
    }
    if (lb.reported) {
        out << "interface_version," << lb.versionMajor << '.' << lb.versionMinor << '.' << lb.versionBuild << '.'
            << lb.versionPatch << '\n';
        out << "interface_bad_frames," << lb.badFrames << '\n';
        out << "interface_collisions," << lb.collisions << '\n';
    }
}
