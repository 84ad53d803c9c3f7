// The bus statistics as text and as CSV: the command line prints them, the
// statistics window exports them, so both say the same in the same words.
#pragma once

#include "link/Busstatistics.h"

#include <cstdint>
#include <ostream>
#include <string>

// "1:02:03": seconds since the start as hours, minutes and seconds.
std::string StatsClockText(uint64_t seconds);
// "Sensor reports (OPC_SENSORREP)"; the unknown kind by its plain name alone.
std::string StatsKindText(int kind);

// The seconds from fromSecond to the last closed one, summed up.
struct TStatsInterval {
    uint64_t firstSecond = 0;
    uint64_t seconds = 0;
    uint64_t messages = 0;
    double messagesPerSecond = 0.0;
    double loadPercent = 0.0;      // of the wire time over the interval
    double peakLoadPercent = 0.0;  // of its busiest second
};
TStatsInterval StatsIntervalOf(const TBusStatistics& stats, uint64_t fromSecond);

// One line: "0:00:10  412 msg/s  31% load  peak 35%  bursts 0  bad frames 0  interrupted 0".
std::string StatsIntervalLine(const TBusStatistics& stats, const TStatsInterval& interval);
// The same as a CSV row under StatsIntervalCsvHeader().
std::string StatsIntervalCsvHeader();
std::string StatsIntervalCsvRow(const TBusStatistics& stats, const TStatsInterval& interval);

// Every figure as text for a person: totals, kinds, the top talkers of each
// group (at most top of them), the bursts and the counters.
void WriteStatsText(const TBusStatistics& stats, std::ostream& out, size_t top = 10);

// Every figure as CSV tables, each headed by its column names and followed by
// an empty line: the per-second series, the kinds, the talkers (every one),
// the bursts and the counters. The first column's name tells the tables
// apart: "second", "kind", "talker_group", "burst_start_second", "counter".
void WriteStatsCsv(const TBusStatistics& stats, std::ostream& out);
