// Bus statistics on made-up traffic of known rates: the per-second series,
// the rates by kind, the talkers of the last minute and since the start, the
// bursts, and what the framer and the interface report.
#include "link/Busstatistics.h"
#include "link/Busstatsreport.h"
#include "link/Bustraffic.h"
#include "link/Lndecoders.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TStream {
    uint32_t perSecond;
    uint64_t startMs, endMs;
    TBusTraffic::TMaker maker;
};

TBusStatistics Fed(const std::vector<TStream>& streams, uint64_t untilMs)
{
    TBusTraffic traffic;
    for (const TStream& s : streams)
        traffic.Add(s.perSecond, s.startMs, s.endMs, s.maker);
    TBusStatistics stats;
    stats.Advance(0);  // second 0 starts at time 0 even when the bus is quiet then
    traffic.Play([&](const TLocoNetMessage& message, uint64_t timeMs) { stats.Add(message, timeMs); });
    stats.Advance(untilMs);
    return stats;
}

// A 16-byte message: 83 a second take 80.7 % of the wire, 82 take 79.7 %.
TBusTraffic::TMaker SvRead() { return TBusTraffic::SvRead(101); }

TEST(BusStatistics, SeriesAndKindRatesAreExact)
{
    struct TCase {
        const char* name;
        std::vector<TStream> streams;
        uint64_t untilMs;
        uint64_t seconds;                      // closed
        std::vector<uint32_t> messagesAt;      // messages in seconds 0, 1, ...
        int kind;
        double minuteRate, startRate;
        uint64_t minuteMessages;
    };
    const std::vector<TCase> cases = {
        {"steady sensors", {{20, 0, 10000, TBusTraffic::Sensor(1, 1)}}, 10000, 10,
         {20, 20, 20, 20, 20, 20, 20, 20, 20, 20}, eOPCSENS, 20.0, 20.0, 200},
        {"the open second is not counted", {{20, 0, 10500, TBusTraffic::Sensor(1, 1)}}, 10500, 10,
         {20, 20, 20, 20, 20, 20, 20, 20, 20, 20}, eOPCSENS, 20.0, 20.0, 200},
        {"speeds in part of two minutes",
         {{10, 0, 120000, TBusTraffic::Sensor(3, 4)}, {5, 30000, 100000, TBusTraffic::LocoSpeed(7)}}, 120000, 120,
         {10, 10}, eOPCLOCOSPD, 200.0 / 60, 350.0 / 120, 600 + 200},
        {"a quiet bus still has seconds", {{4, 0, 2000, TBusTraffic::Switch(12)}}, 100000, 100, {4, 4, 0, 0},
         eOPCSWREQ, 0.0, 8.0 / 100, 0},
        {"a rate that does not divide a second",
         {{3, 250, 3250, TBusTraffic::Sensor(1, 1)}}, 4000, 4, {3, 3, 3, 0}, eOPCSENS, 9.0 / 4, 9.0 / 4, 9},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TBusStatistics stats = Fed(c.streams, c.untilMs);
        EXPECT_EQ(stats.SecondCount(), c.seconds);
        for (size_t i = 0; i < c.messagesAt.size(); ++i)
            EXPECT_EQ(stats.Second(i).messages, c.messagesAt[i]) << "second " << i;
        EXPECT_DOUBLE_EQ(stats.KindRate(c.kind, TStatsSpan::LastMinute), c.minuteRate);
        EXPECT_DOUBLE_EQ(stats.KindRate(c.kind, TStatsSpan::SinceStart), c.startRate);
        EXPECT_EQ(stats.SpanMessages(TStatsSpan::LastMinute), c.minuteMessages);
    }
}

TEST(BusStatistics, WireTimeIsTheDisplaysFigure)
{
    // 20 sensor reports a second: 80 bytes of 10 bits at 16457 baud.
    const TBusStatistics stats = Fed({{20, 0, 3000, TBusTraffic::Sensor(1, 1)}}, 3000);
    EXPECT_EQ(stats.Second(1).bytes, 80u);
    EXPECT_DOUBLE_EQ(stats.Second(1).LoadPercent(), 80 * 10 / 16457.0 * 100);
    TBusLoadMeter meter;
    for (int i = 0; i < 20; ++i)
        meter.Add(uint32_t(1000 + i * 50), 4);
    EXPECT_DOUBLE_EQ(meter.Measure(1999).percent, stats.Second(1).LoadPercent());
}

TEST(BusStatistics, TalkersOfTheLastMinuteAndSinceTheStart)
{
    // Sensor 1,1 chatters in the first minute, 2,5 in the second: at two
    // minutes the last minute holds 2,5 alone, to the second.
    const TBusStatistics stats = Fed(
        {
            {10, 0, 60000, TBusTraffic::Sensor(1, 1)},
            {5, 60000, 120000, TBusTraffic::Sensor(2, 5)},
            {1, 0, 120000, TBusTraffic::Sensor(9, 16)},
            {4, 0, 120000, TBusTraffic::Switch(12)},
            {2, 90000, 120000, TBusTraffic::Switch(2048)},
            {7, 0, 120000, TBusTraffic::LocoSpeed(5)},
            {2, 0, 120000, TBusTraffic::SvRead(101)},
            {2, 0, 120000, TBusTraffic::SvReply(101)},
        },
        120000);
    struct TCase {
        TTalkerGroup group;
        TStatsSpan span;
        std::vector<std::string> names;
        std::vector<uint64_t> counts;
    };
    const std::vector<TCase> cases = {
        {TTalkerGroup::Sensor, TStatsSpan::LastMinute, {"2,5", "9,16"}, {300, 60}},
        {TTalkerGroup::Sensor, TStatsSpan::SinceStart, {"1,1", "2,5", "9,16"}, {600, 300, 120}},
        {TTalkerGroup::Switch, TStatsSpan::LastMinute, {"12", "2048"}, {240, 60}},
        {TTalkerGroup::Switch, TStatsSpan::SinceStart, {"12", "2048"}, {480, 60}},
        {TTalkerGroup::Slot, TStatsSpan::SinceStart, {"5"}, {840}},
        // Equal counts: the board before the source.
        {TTalkerGroup::SvAccess, TStatsSpan::SinceStart, {"board 101", "source 0"}, {240, 240}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(TalkerGroupName(c.group)) + (c.span == TStatsSpan::LastMinute ? " minute" : " start"));
        const std::vector<TTalker> talkers = stats.Talkers(c.group, c.span);
        ASSERT_EQ(talkers.size(), c.names.size());
        for (size_t i = 0; i < talkers.size(); ++i) {
            EXPECT_EQ(TalkerText(talkers[i]), c.names[i]);
            EXPECT_EQ(talkers[i].count, c.counts[i]);
        }
    }
    const std::vector<TTalker> top = stats.Talkers(TTalkerGroup::Sensor, TStatsSpan::SinceStart, 1);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].address, 1u);
}

TEST(BusStatistics, TalkersOfEveryKindThatNamesOne)
{
    struct TCase {
        const char* hex;
        TTalkerGroup group;
        uint32_t address;
    };
    const std::vector<TCase> cases = {
        {"B2 00 50 1D", TTalkerGroup::Sensor, 1},           // 1,1
        {"B2 7F 7F 4D", TTalkerGroup::Sensor, 4096},        // 256,16 (checksum by hand below)
        {"B0 7F 1F 2F", TTalkerGroup::Switch, 2048},        // request
        {"BD 0B 10 00", TTalkerGroup::Switch, 12},          // request with reply
        {"BC 0B 00 00", TTalkerGroup::Switch, 12},          // state request
        {"B1 0B 40 00", TTalkerGroup::Switch, 12},          // feedback
        {"A0 05 20 00", TTalkerGroup::Slot, 5},             // speed
        {"A1 06 20 00", TTalkerGroup::Slot, 6},             // direction
        {"BB 07 00 00", TTalkerGroup::Slot, 7},             // slot data request
        {"E7 0E 08 00 00 00 00 00 00 00 00 00 00 00", TTalkerGroup::Slot, 8},  // slot data read
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.hex);
        TLocoNetMessage message(c.hex);
        // Fix the checksum so each message is valid as typed.
        TLocoNetMessage valid;
        for (uint32_t i = 0; i + 1 < message.Length(); ++i)
            valid.AppendByte(message.ByteAt(i));
        valid.AppendChecksum();
        TTalkerGroup group;
        uint32_t address = 0;
        ASSERT_TRUE(MessageTalker(valid, group, address));
        EXPECT_EQ(group, c.group);
        EXPECT_EQ(address, c.address);
    }
    TTalkerGroup group;
    uint32_t address = 0;
    EXPECT_FALSE(MessageTalker(TLocoNetMessage("83 7C"), group, address));
    EXPECT_FALSE(MessageTalker(TLocoNetMessage("B2 00 50 00"), group, address)) << "a bad checksum names no one";
}

TEST(BusStatistics, BurstsAreRunsOfMoreThanOneSecondAboveEightyPercent)
{
    struct TCase {
        const char* name;
        std::vector<uint32_t> svPerSecond;  // 16-byte messages in seconds 0, 1, ...
        uint64_t untilSecond;
        std::vector<std::pair<uint64_t, uint32_t>> bursts;  // start, length
        bool lastOngoing;
    };
    const std::vector<TCase> cases = {
        {"one second above is no burst", {0, 83, 0, 0}, 4, {}, false},
        {"just below the line is none", {82, 82, 82, 82, 82}, 5, {}, false},
        {"two seconds above are one", {0, 83, 90, 0}, 4, {{1, 2}}, false},
        {"a dip splits a run in two", {83, 83, 83, 10, 83, 83, 0}, 7, {{0, 3}, {4, 2}}, false},
        {"a run still going at the end", {0, 0, 83, 83, 83}, 5, {{2, 3}}, true},
        {"a run whose second second is still open is not one yet", {0, 83, 83}, 2, {}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TStream> streams;
        for (size_t s = 0; s < c.svPerSecond.size(); ++s)
            streams.push_back({c.svPerSecond[s], s * 1000, s * 1000 + 1000, SvRead()});
        const TBusStatistics stats = Fed(streams, c.untilSecond * 1000);
        ASSERT_EQ(stats.Bursts().size(), c.bursts.size());
        for (size_t i = 0; i < c.bursts.size(); ++i) {
            EXPECT_EQ(stats.Bursts()[i].startSecond, c.bursts[i].first);
            EXPECT_EQ(stats.Bursts()[i].seconds, c.bursts[i].second);
            EXPECT_EQ(stats.Bursts()[i].ongoing, c.lastOngoing && i + 1 == c.bursts.size());
        }
    }
}

TEST(BusStatistics, ABurstSaysWhichKindsMadeIt)
{
    // A start-up storm: 300 sensor reports a second (73 %) and the SV reads
    // of a programming run (10 a second, 10 %) for three seconds.
    const TBusStatistics stats = Fed(
        {
            {300, 5000, 8000, TBusTraffic::Sensors(1, 20)},
            {10, 4000, 9000, SvRead()},
            {2, 0, 20000, TBusTraffic::Switch(3)},
        },
        20000);
    ASSERT_EQ(stats.Bursts().size(), 1u);
    const TBusBurst& burst = stats.Bursts()[0];
    EXPECT_EQ(burst.startSecond, 5u);
    EXPECT_EQ(burst.seconds, 3u);
    EXPECT_EQ(burst.messages, 3u * (300 + 10 + 2));
    EXPECT_DOUBLE_EQ(burst.peakPercent, TBusLoadMeter::WirePercent(300 * 4 + 10 * 16 + 2 * 4, 1000));
    const std::vector<std::pair<int, uint64_t>> kinds = {{eOPCSENS, 900}, {eOPCSVACCESS2, 30}, {eOPCSWREQ, 6}};
    EXPECT_EQ(burst.kinds, kinds);
    EXPECT_FALSE(burst.ongoing);
    // The sensors of the storm lead since the start, 45 each.
    EXPECT_EQ(stats.Talkers(TTalkerGroup::Sensor, TStatsSpan::SinceStart).size(), 320u);
    EXPECT_EQ(stats.Talkers(TTalkerGroup::Sensor, TStatsSpan::SinceStart, 1)[0].count, 900u / 320 + 1);
}

TEST(BusStatistics, ClocksThatStepBackOrJumpAhead)
{
    TBusStatistics stats;
    const TLocoNetMessage sensor(TLNSensFBMessage(1, 1, true));
    stats.Add(sensor, 5000);   // second 0 starts here
    stats.Add(sensor, 7100);   // second 2
    stats.Add(sensor, 6000);   // earlier than the open second: counts in it
    stats.Add(sensor, 4000);   // earlier than the start: the same
    stats.Advance(8000);
    EXPECT_EQ(stats.SecondCount(), 3u);
    EXPECT_EQ(stats.Second(0).messages, 1u);
    EXPECT_EQ(stats.Second(1).messages, 0u);
    EXPECT_EQ(stats.Second(2).messages, 3u);

    // A clock that jumps by a year keeps the history bounded and reads quiet.
    const uint64_t year = 365ull * 24 * 3600 * 1000;
    stats.Add(sensor, 5000 + year);
    stats.Advance(5000 + year + 1000);
    EXPECT_EQ(stats.SecondCount(), year / 1000 + 1);
    EXPECT_EQ(stats.SecondCount() - stats.FirstKeptSecond(), TBusStatistics::kHistorySeconds);
    EXPECT_EQ(stats.Second(year / 1000).messages, 1u);
    EXPECT_EQ(stats.Second(year / 1000 - 1).messages, 0u);
    EXPECT_EQ(stats.Second(2).messages, 0u) << "forgotten";
    EXPECT_EQ(stats.TotalMessages(), 5u);
    EXPECT_EQ(stats.SpanMessages(TStatsSpan::LastMinute), 1u);
    EXPECT_LT(stats.MemoryBytes(), 5u * 1000 * 1000);
}

TEST(BusStatistics, FourHoursAtAFullBusStayWellUnderFiveMegabytes)
{
    TBusStatistics stats;
    const std::vector<TBusTraffic::TMaker> makers = {TBusTraffic::Sensors(1, 256), TBusTraffic::LocoSpeed(3),
                                                     TBusTraffic::Switch(7)};
    uint64_t sent[3] = {0, 0, 0};
    // A message every 1.25 ms (800 a second) for four hours, fed directly.
    for (uint64_t t = 0; t < 4ull * 3600 * 1000; t += 5) {
        for (int i = 0; i < 4; ++i)
            stats.Add(makers[size_t(i % 3)](sent[i % 3]++), t);
    }
    stats.Advance(4ull * 3600 * 1000);
    EXPECT_EQ(stats.SecondCount(), 4u * 3600);
    EXPECT_EQ(stats.Second(100).messages, 800u);
    EXPECT_EQ(stats.Talkers(TTalkerGroup::Sensor, TStatsSpan::SinceStart).size(), 4096u);
    EXPECT_LT(stats.MemoryBytes(), 5u * 1000 * 1000);
}

TEST(BusStatistics, FramerAndInterfaceCounters)
{
    TBusStatistics stats;
    TLnFramingStats link;
    link.framesInvalid = 7;
    link.framesAbandoned = 2;
    stats.SetFramingStats(link);  // counted from here
    link.framesInvalid = 10;
    link.framesAbandoned = 5;
    link.framesImpossible = 1;
    stats.SetFramingStats(link);
    EXPECT_TRUE(stats.FramingReported());
    EXPECT_EQ(stats.Framing().framesInvalid, 3u);
    EXPECT_EQ(stats.Framing().framesAbandoned, 3u);
    EXPECT_EQ(stats.Framing().framesImpossible, 1u);

    // The LocoBuffer's answer: version 1.1, 0x010203 bad frames, 0x80 collisions.
    TLocoNetMessage reply;
    for (uint8_t b : {0xE5, 0x10, 0x50, 0x50, 0x01, 0x00, 0x11, 0x01, 0x02, 0x03, 0x08, 0x00, 0x00, 0x00, 0x00})
        reply.AppendByte(b);
    reply.AppendChecksum();
    stats.Add(reply, 0);
    stats.Add(reply, 2500);
    ASSERT_TRUE(stats.Interface().reported);
    EXPECT_EQ(stats.Interface().versionMajor, 1);
    EXPECT_EQ(stats.Interface().badFrames, 0x010203u);
    EXPECT_EQ(stats.Interface().collisions, 0x80u);
    EXPECT_EQ(stats.Interface().reportSecond, 2u);
    EXPECT_EQ(stats.Interface().reports, 2u);

    // Reset starts every count again, the framer's from where it stands.
    stats.Reset();
    EXPECT_FALSE(stats.Started());
    EXPECT_EQ(stats.Framing().framesInvalid, 0u);
    EXPECT_FALSE(stats.Interface().reported);
    link.framesInvalid = 11;
    stats.SetFramingStats(link);
    EXPECT_EQ(stats.Framing().framesInvalid, 1u);
    EXPECT_EQ(stats.SecondCount(), 0u);
    EXPECT_EQ(stats.Kinds(TStatsSpan::SinceStart).size(), 0u);
}

TEST(BusStatistics, AStatisticsNeverFedReadsEmpty)
{
    TBusStatistics stats;
    EXPECT_FALSE(stats.FramingReported());
    EXPECT_EQ(stats.SecondCount(), 0u);
    EXPECT_EQ(stats.KindRate(eOPCSENS, TStatsSpan::SinceStart), 0.0);
    EXPECT_EQ(stats.Second(0).messages, 0u);
    EXPECT_TRUE(stats.Talkers(TTalkerGroup::Slot, TStatsSpan::LastMinute).empty());
    EXPECT_TRUE(stats.Bursts().empty());
}

// The CSV export read back as a spreadsheet would: tables split at empty
// lines, named by their first column, quoted fields unquoted.
using TCsvTable = std::vector<std::vector<std::string>>;
std::map<std::string, TCsvTable> ReadCsvTables(const std::string& text)
{
    std::map<std::string, TCsvTable> tables;
    std::istringstream in(text);
    std::string line;
    TCsvTable* table = nullptr;
    while (std::getline(in, line)) {
        if (line.empty()) {
            table = nullptr;
            continue;
        }
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                fields.emplace_back();
            else
                fields.back() += c;
        }
        if (!table)
            table = &tables[fields[0]];
        table->push_back(fields);
    }
    return tables;
}

TEST(BusStatisticsReport, TheCsvReadsBackAsTheFigures)
{
    TBusStatistics stats = Fed(
        {
            {300, 2000, 5000, TBusTraffic::Sensors(1, 2)},
            {20, 0, 8000, TBusTraffic::SvRead(101)},
            {3, 0, 8000, TBusTraffic::Switch(12)},
        },
        8000);
    TLnFramingStats framing;
    stats.SetFramingStats(framing);
    framing.framesInvalid = 4;
    framing.framesAbandoned = 1;
    stats.SetFramingStats(framing);
    std::ostringstream out;
    WriteStatsCsv(stats, out);
    const auto tables = ReadCsvTables(out.str());
    ASSERT_EQ(tables.size(), 5u) << out.str();

    const TCsvTable& series = tables.at("second");
    ASSERT_EQ(series.size(), 1u + 8);
    EXPECT_EQ(series[0], (std::vector<std::string>{"second", "messages", "bytes", "load_percent"}));
    EXPECT_EQ(series[3], (std::vector<std::string>{"2", "323", "1532", "93.09"}));

    const TCsvTable& kinds = tables.at("kind");
    ASSERT_EQ(kinds.size(), 1u + 3);
    EXPECT_EQ(kinds[1][1], "Sensor reports (OPC_SENSORREP)");
    EXPECT_EQ(kinds[1][4], "900");
    EXPECT_EQ(kinds[2][1], "SV programming, type 2 (OPC_SVACCESS Type 2)") << "a comma inside a quoted field";
    EXPECT_EQ(kinds[2][5], "20.00");

    const TCsvTable& talkers = tables.at("talker_group");
    const std::vector<std::string> first = {"Sensors", "last minute", "1,1", "1", "29"};
    EXPECT_EQ(talkers[1], first);

    const TCsvTable& bursts = tables.at("burst_start_second");
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[1][0], "2");
    EXPECT_EQ(bursts[1][1], "3");
    EXPECT_EQ(bursts[1][5], "Sensor reports 900; SV programming, type 2 60; Switch requests 9");
    EXPECT_EQ(bursts[1][6], "0");

    std::map<std::string, std::string> counters;
    for (const auto& row : tables.at("counter"))
        counters[row[0]] = row[1];
    EXPECT_EQ(counters["messages"], std::to_string(900 + 160 + 24));
    EXPECT_EQ(counters["bad_frames"], "4");
    EXPECT_EQ(counters["interrupted_frames"], "1");
    EXPECT_EQ(counters.count("interface_version"), 0u) << "no LocoBuffer answered";
}

TEST(BusStatisticsReport, IntervalsAndClockTexts)
{
    const TBusStatistics stats =
        Fed({{10, 0, 5000, TBusTraffic::Sensor(1, 1)}, {100, 5000, 10000, TBusTraffic::Sensor(1, 2)}}, 10000);
    struct TCase {
        uint64_t from;
        uint64_t seconds, messages;
        double perSecond;
    };
    for (const TCase& c : std::vector<TCase>{{0, 10, 550, 55.0}, {5, 5, 500, 100.0}, {8, 2, 200, 100.0}, {10, 0, 0, 0.0}}) {
        SCOPED_TRACE(c.from);
        const TStatsInterval interval = StatsIntervalOf(stats, c.from);
        EXPECT_EQ(interval.seconds, c.seconds);
        EXPECT_EQ(interval.messages, c.messages);
        EXPECT_DOUBLE_EQ(interval.messagesPerSecond, c.perSecond);
    }
    EXPECT_DOUBLE_EQ(StatsIntervalOf(stats, 0).peakLoadPercent, TBusLoadMeter::WirePercent(400, 1000));
    EXPECT_EQ(StatsIntervalLine(stats, StatsIntervalOf(stats, 5)),
              "0:00:10  100 msg/s  24% load  peak 24%  bursts 0  bad frames 0  interrupted 0");
    EXPECT_EQ(StatsClockText(0), "0:00:00");
    EXPECT_EQ(StatsClockText(3 * 3600 + 59 * 60 + 7), "3:59:07");
    EXPECT_EQ(StatsClockText(100 * 3600), "100:00:00");
    EXPECT_EQ(StatsKindText(0), "Unknown or damaged");
}

}  // namespace
