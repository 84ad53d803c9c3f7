// varnscope-cli monitor: prints every message received on a LocoNet port,
// one line each, as the message display shows it.
#include "cli/Linkwatch.h"
#include "cli/Proghost.h"
#include "cli/Quitsignals.h"
#include "cli/Subcommand.h"
#include "link/Lncomm.h"
#include "link/Lndispatch.h"
#include "link/Lnmessage.h"
#include "platform/Linkports.h"
#include "platform/Linkrecorder.h"
#include "cli/Replayprint.h"

#include <QCoreApplication>
#include <QTime>

#include <bitset>
#include <cstdio>

namespace {

constexpr int kExitFileNotWhole = 3;

using TKinds = std::bitset<kLnMessageKindCount>;

QString KindNameList()
{
    QStringList names;
    for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
        QString name = QString::fromLatin1(LnKindName(kind));
        name.chop(1);
        names << name.replace(' ', '_');
    }
    return names.join(", ");
}

// The kinds a comma-separated list names; false, naming the stranger, when one is unknown.
bool ReadKinds(const QString& list, TKinds& kinds, QString& error)
{
    for (const QString& part : list.split(',', Qt::SkipEmptyParts)) {
        const int kind = LnKindFromName(part.trimmed().toStdString());
        if (kind < 0) {
            error = QStringLiteral("unknown message kind \"%1\"; the kinds are: %2").arg(part.trimmed(), KindNameList());
            return false;
        }
        kinds.set(static_cast<size_t>(kind));
    }
    return true;
}

int RunMonitor(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Prints every message received on a LocoNet port, one line each.");
    AddLinkOptions(parser);
    parser.addOption({"raw", "Print the kind name and the bytes instead of the decoded text."});
    parser.addOption({"time", "Start each line with the time of day in milliseconds (HH:MM:SS.zzz)."});
    parser.addOption({"log", "Keep the link's receive log in FILE.", "FILE"});
    parser.addOption({"count", "Stop after N messages.", "N"});
    parser.addOption({"kinds", "Print only messages of these kinds (kind names as the raw lines show them, "
                               "comma-separated, '_' for a space: OPC_SENSORREP,OPC_SVACCESS_Type_2).", "K1,K2"});
    parser.addOption({"hide-kinds", "Do not print messages of these kinds.", "K1,K2"});
    parser.addOption({"record", "Record every frame received, sent or rejected, with its time, to FILE (.lnrec).", "FILE"});
    parser.addOption({"pcap", "Write every message received to FILE as a pcap capture for Wireshark.", "FILE"});
    parser.addOption({"replay", "Print a recording instead of a port: its received messages, as they were printed live.",
                      "FILE"});
    parser.addOption({"elapsed", "With --replay: start each line with the seconds since the recording's start "
                                 "(--time gives the time of day)."});
    int status = 0;
    if (!ParseSubcommand(parser, "monitor",
                         "varnscope-cli monitor --port DEV [--interface ms100|locobuffer|pr3] [--baud N] [--flow hardware|none] [--raw] "
                         "[--time] [--log FILE] [--count N] [--kinds K1,K2] [--hide-kinds K1,K2] [--record FILE] [--pcap FILE]\n"
                         "       varnscope-cli monitor --replay FILE [--raw] [--time|--elapsed] [--count N] [--kinds K1,K2] "
                         "[--hide-kinds K1,K2]",
                         args, status))
        return status;
    TCliLinkOptions options;
    QString error;
    const bool replay = parser.isSet("replay");
    if (!replay && !ReadLinkOptions(parser, options, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    if (replay && (parser.isSet("port") || parser.isSet("record") || parser.isSet("pcap") || parser.isSet("log"))) {
        PrintError("--replay prints a recording: it takes no --port, --record, --pcap or --log");
        return ProgExit::kUsage;
    }
    if (!replay && parser.isSet("elapsed")) {
        PrintError("--elapsed is for --replay; a live monitor has --time");
        return ProgExit::kUsage;
    }
    long long limit = -1;
    if (parser.isSet("count")) {
        bool ok = false;
        limit = parser.value("count").toLongLong(&ok);
        if (!ok || limit < 1) {
            PrintError("--count needs a positive number");
            return ProgExit::kUsage;
        }
    }
    // Which kinds are printed; --count counts only those.
    TKinds shownKinds;
    shownKinds.set();
    if (parser.isSet("kinds")) {
        shownKinds.reset();
        if (!ReadKinds(parser.value("kinds"), shownKinds, error)) {
            PrintError(error);
            return ProgExit::kUsage;
        }
    }
    if (parser.isSet("hide-kinds")) {
        TKinds hidden;
        if (!ReadKinds(parser.value("hide-kinds"), hidden, error)) {
            PrintError(error);
            return ProgExit::kUsage;
        }
        shownKinds &= ~hidden;
    }
    const bool raw = parser.isSet("raw");
    const bool stamp = parser.isSet("time");

    if (replay) {
        TReplayPrintOptions print;
        print.raw = raw;
        print.stamp = stamp ? TReplayStamp::TimeOfDay : parser.isSet("elapsed") ? TReplayStamp::SinceStart : TReplayStamp::None;
        print.kinds = shownKinds;
        print.limit = limit;
        switch (PrintRecording(parser.value("replay"), print)) {
        case TReplayOutcome::Whole: return ProgExit::kOk;
        case TReplayOutcome::Stopped: return kExitFileNotWhole;
        case TReplayOutcome::Unreadable: return ProgExit::kUsage;
        }
    }

    QuitOnSignals();
    TLocoNetComm link(MakeLinkPort);
    if (parser.isSet("log")) {
        link.SetLogToFile(true);
        link.SetLogFileName(parser.value("log").toStdString());
    }
    std::string reason;
    if (!OpenLinkWith(link, options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }
    // A monitor asked to log must not run on silently without its log.
    if (!link.LogOpenError().empty()) {
        PrintError(QString::fromStdString(link.LogOpenError()));
        link.Close();
        return ProgExit::kPortError;
    }

    // A recording that cannot go on says so once; the monitor itself goes on.
    TLinkRecorder recorder;
    if (parser.isSet("record") || parser.isSet("pcap")) {
        if (!recorder.Start(link, parser.value("record"), parser.value("pcap"), error)) {
            PrintError(error);
            link.Close();
            return ProgExit::kPortError;
        }
        QObject::connect(&recorder, &TLinkRecorder::Failed, [](const QString& reason) { PrintError(reason); });
    }
    std::fprintf(stderr, "monitoring %s (Ctrl+C to stop)\n", qPrintable(options.port));
    long long shown = 0;
    int exitStatus = ProgExit::kOk;
    link.OnRxMsg = [&](TLnThreadComm& sender, uint32_t) {
        while (std::unique_ptr<TLocoNetMessage> msg = sender.ReadMessage()) {
            if (!shownKinds.test(static_cast<size_t>(msg->MessageKind())))
                continue;
            std::string text = raw ? msg->RawText() : MakeDecoderMessage(*msg)->ToText();
            if (stamp)
                text = QTime::currentTime().toString("HH:mm:ss.zzz ").toStdString() + text;
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            if (limit > 0 && ++shown >= limit) {
                QCoreApplication::quit();
                return;
            }
        }
    };
    WatchLink(link, options.port, exitStatus);
    QCoreApplication::exec();
    recorder.Stop();
    if (exitStatus == ProgExit::kOk && !recorder.Error().isEmpty())
        exitStatus = kExitFileNotWhole;
    link.OnRxMsg = nullptr;
    link.OnError = nullptr;
    link.OnLinkState = nullptr;
    const TLnFramingStats& stats = link.FramingStats();
    if (stats.bytesDropped > 0)
        std::fprintf(stderr, "note: %llu malformed bytes dropped (%llu invalid frames, %llu cut short)\n",
                     static_cast<unsigned long long>(stats.bytesDropped),
                     static_cast<unsigned long long>(stats.framesInvalid),
                     static_cast<unsigned long long>(stats.framesAbandoned + stats.framesImpossible));
    link.Close();
    return exitStatus;
}

const VarnscopeSubcommand kMonitor("monitor", "Print every message received on a LocoNet port", RunMonitor,
    "0 after SIGINT, SIGTERM or --count messages, or with --replay after the whole recording; 1 when the port "
    "fails while open; 2 for wrong options, or a --replay file that cannot be read, is no recording or is of a "
    "newer format; 3 when the --record or --pcap file could not be written to the end (the monitor went on), or the "
    "--replay recording is cut short or damaged (printed up to its last whole record); 4 when the port or the "
    "--log, --record or --pcap file cannot be opened.");

}  // namespace
