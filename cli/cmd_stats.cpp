// varnscope-cli stats: how busy a LocoNet is and who keeps it busy, every
// few seconds and at the end, as text or CSV.
#include "cli/Linkwatch.h"
#include "cli/Proghost.h"
#include "cli/Quitsignals.h"
#include "cli/Subcommand.h"
#include "link/Busstatistics.h"
#include "link/Busstatsreport.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <sstream>

namespace {

constexpr uint8_t kOpcBusy = 0x81;  // a LocoBuffer answers with its version and counters

bool ReadCount(const QCommandLineParser& parser, const char* name, int min, int max, int& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toInt(&ok);
    if (ok && value >= min && value <= max)
        return true;
    error = QStringLiteral("--%1 needs a whole number from %2 to %3").arg(name).arg(min).arg(max);
    return false;
}

void Print(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

int RunStats(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints how busy a LocoNet port's bus is: messages a second and the share of the wire they take, "
        "every S seconds and, at the end, the rates by message kind, the sensors, switches, slots and "
        "SV-access senders that sent most in the last minute and since the start, the bursts above 80% of "
        "the wire for more than a second, the frames the framer dropped and, for a LocoBuffer, its own "
        "counters (the status query is sent at the start and every S seconds unless --no-query).");
    AddLinkOptions(parser);
    parser.addOption({"seconds", "Stop after N seconds (default: run until Ctrl+C).", "N"});
    parser.addOption({"interval", "Print a line every S seconds (default 10; 0: only at the end).", "S"});
    parser.addOption({"csv", "CSV instead of text: one row every S seconds under a header, then the tables "
                             "(per-second series, kinds, talkers, bursts, counters), each after an empty line."});
    parser.addOption({"top", "Talkers of each group in the text report (default 10).", "N"});
    parser.addOption({"no-query", "Do not send the LocoBuffer status query."});
    int status = 0;
    if (!ParseSubcommand(parser, "stats",
                         "varnscope-cli stats --port DEV [--interface ms100|locobuffer|pr3] [--baud N] "
                         "[--flow hardware|none] [--seconds N] [--interval S] [--csv] [--top N] [--no-query]",
                         args, status))
        return status;
    TCliLinkOptions options;
    QString error;
    int seconds = 0, interval = 10, top = 10;
    if (!ReadLinkOptions(parser, options, error) || !ReadCount(parser, "seconds", 1, 1000000, seconds, error) ||
        !ReadCount(parser, "interval", 0, 86400, interval, error) || !ReadCount(parser, "top", 1, 100000, top, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    const bool csv = parser.isSet("csv");
    const bool query = options.interface == eLocoBuffer && !parser.isSet("no-query");

    QuitOnSignals();
    TLocoNetComm link(MakeLinkPort);
    std::string reason;
    if (!OpenLinkWith(link, options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }
    std::fprintf(stderr, "counting on %s (Ctrl+C to stop)\n", qPrintable(options.port));

    QElapsedTimer clock;
    clock.start();
    TBusStatistics stats;
    stats.Advance(0);
    stats.SetFramingStats(link.FramingStats());
    const auto sendQuery = [&] {
        if (!query)
            return;
        auto message = std::make_unique<TLocoNetMessage>();
        message->AppendByte(kOpcBusy);
        message->AppendChecksum();
        link.WriteMessage(std::move(message));
    };
    uint64_t reportedUpTo = 0;
    const auto report = [&](uint64_t nowMs) {
        stats.Advance(nowMs);
        stats.SetFramingStats(link.FramingStats());
        if (stats.SecondCount() == reportedUpTo)
            return;
        const TStatsInterval span = StatsIntervalOf(stats, reportedUpTo);
        reportedUpTo = stats.SecondCount();
        Print((csv ? StatsIntervalCsvRow(stats, span) : StatsIntervalLine(stats, span)) + '\n');
    };
    if (csv)
        Print(StatsIntervalCsvHeader() + '\n');

    int exitStatus = ProgExit::kOk;
    link.OnRxMsg = [&](TLnThreadComm& sender, uint32_t) {
        const uint64_t now = uint64_t(clock.elapsed());
        while (std::unique_ptr<TLocoNetMessage> msg = sender.ReadMessage())
            stats.Add(*msg, now);
    };
    WatchLink(link, options.port, exitStatus);
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        report(uint64_t(clock.elapsed()));
        sendQuery();
    });
    if (interval > 0)
        ticker.start(interval * 1000);
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    bool timeUp = false;
    QObject::connect(&end, &QTimer::timeout, [&timeUp] {
        timeUp = true;
        QCoreApplication::quit();
    });
    if (seconds > 0)
        end.start(seconds * 1000);
    sendQuery();
    QCoreApplication::exec();
    link.OnRxMsg = nullptr;
    link.OnError = nullptr;
    link.OnLinkState = nullptr;
    ticker.stop();

    // A run of N seconds reports exactly N, however late the timer was.
    const uint64_t endMs = timeUp ? uint64_t(seconds) * 1000 : uint64_t(clock.elapsed());
    report(endMs);
    std::ostringstream out;
    out << '\n';
    if (csv)
        WriteStatsCsv(stats, out);
    else
        WriteStatsText(stats, out, size_t(top));
    Print(out.str());
    if (link.Enabled())
        link.Close();
    return exitStatus;
}

const VarnscopeSubcommand kStats("stats", "Show how busy a LocoNet is and who keeps it busy", RunStats,
    "0 after --seconds or SIGINT or SIGTERM; 1 when the port fails while open; 2 for wrong options; 4 when the "
    "port cannot be opened.");

}  // namespace
