// varnscope-cli simulate: serves a simulated LocoNet (virtual boards, an
// emulated LocoBuffer, scripted sensors and trains) on a pseudo-terminal
// and/or as an LbServer on TCP, until interrupted.
#include "cli/Proghost.h"
#include "cli/Quitsignals.h"
#include "cli/Subcommand.h"
#include "link/Recording.h"
#include "sim/Simreplayer.h"
#include "platform/Listenaddress.h"
#include "sim/Simlbserver.h"
#include "sim/Simloconet.h"
#include "sim/Simptyserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

bool ReadInt(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

bool ReadRate(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= 0.0 && value <= 1.0;
}

// "B,I" with board 1..256 and input 1..16.
bool ReadSensor(const QString& text, int& board, int& input)
{
    const QStringList parts = text.split(',');
    return parts.size() == 2 && ReadInt(parts[0], 1, 256, board) && ReadInt(parts[1], 1, 16, input);
}

bool ReadSettings(const QCommandLineParser& parser, TSimSettings& s, QString& error)
{
    s = TSimSettings{};
    s.realtime = parser.isSet("realtime");
    s.latencyMs = s.realtime ? 5 : 0;
    if (parser.isSet("latency") && !ReadInt(parser.value("latency"), 0, 60000, s.latencyMs))
        return error = "--latency needs milliseconds (0 to 60000)", false;
    if (parser.isSet("drop") && !ReadRate(parser.value("drop"), s.dropRate))
        return error = "--drop needs a fraction from 0 to 1", false;
    if (parser.isSet("corrupt") && !ReadRate(parser.value("corrupt"), s.corruptRate))
        return error = "--corrupt needs a fraction from 0 to 1", false;
    int seed = 1;
    if (parser.isSet("seed") && !ReadInt(parser.value("seed"), 0, 0x7FFFFFFF, seed))
        return error = "--seed needs a number", false;
    s.seed = uint32_t(seed);
    s.answerTwice = parser.isSet("twice");
    s.locoBuffer = !parser.isSet("no-locobuffer");

    for (const QString& b : parser.values("board")) {
        const QStringList parts = b.split(':');
        if (parts.value(0).compare("sv2", Qt::CaseInsensitive) == 0) {
            // ADDRESS:SERIAL[:MANUFACTURER:DEVELOPER:PRODUCT]
            int address = 0, serial = 0, manufacturer = 13, developer = 1, product = 1;
            const bool full = parts.size() == 6;
            if ((parts.size() != 3 && !full) || !ReadInt(parts[1], 1, 65535, address) ||
                !ReadInt(parts[2], 1, 65535, serial) ||
                (full && (!ReadInt(parts[3], 0, 255, manufacturer) || !ReadInt(parts[4], 0, 255, developer) ||
                          !ReadInt(parts[5], 0, 65535, product))))
                return error = "--board sv2 needs sv2:ADDRESS:SERIAL[:MANUFACTURER:DEVELOPER:PRODUCT] (address and "
                               "serial 1 to 65535, manufacturer and developer 0 to 255, product 0 to 65535): " + b,
                       false;
            s.boards.push_back(Sv2BoardSpec(uint16_t(address), uint16_t(serial), manufacturer, developer, product));
            continue;
        }
        TSimBoardSpec spec;
        spec.type = SimBoardTypeFromName(parts.value(0).toStdString());
        int serial = 0;
        if (parts.size() != 2 || spec.type < 0 || !ReadInt(parts[1], 1, 65535, serial))
            return error = "--board needs TYPE:SERIAL (VELA40, ORT50, VELA80, MUV7, PAX60, TEL90, PAX66; serial 1 to 65535): " + b,
                   false;
        spec.serial = uint16_t(serial);
        s.boards.push_back(spec);
    }
    // A replayed layout brings its own boards' answers.
    if (s.boards.empty() && !parser.isSet("replay"))
        s.boards = OneBoardOfEachModel();
    int vendor = 46;
    if (parser.isSet("vendor") && !ReadInt(parser.value("vendor"), 0, 65535, vendor))
        return error = "--vendor needs a number", false;
    int version = 1;
    if (parser.isSet("sw-version") && !ReadInt(parser.value("sw-version"), 0, 255, version))
        return error = "--sw-version needs a number from 0 to 255", false;
    for (TSimBoardSpec& spec : s.boards) {
        // Another maker's board reports its own manufacturer and developer.
        if (spec.address == 0)
            spec.vendor = vendor;
        spec.softwareVersion = version;
    }
    for (const QString& m : parser.values("mute")) {
        int serial = 0;
        if (!ReadInt(m, 1, 65535, serial))
            return error = "--mute needs a serial number", false;
        for (TSimBoardSpec& spec : s.boards)
            if (SimBoardAddress(spec) == serial)
                spec.mute = true;
    }
    for (const QString& b : parser.values("blank")) {
        int serial = 0;
        if (!ReadInt(b, 1, 65535, serial))
            return error = "--blank needs a serial number", false;
        for (TSimBoardSpec& spec : s.boards)
            if (SimBoardAddress(spec) == serial)
                spec.blank = true;
    }
    for (const QString& st : parser.values("stuck")) {
        const QStringList parts = st.split(':');
        int serial = 0, sv = 0;
        if (parts.size() != 2 || !ReadInt(parts[0], 1, 65535, serial) || !ReadInt(parts[1], 1, 65535, sv))
            return error = "--stuck needs SERIAL:SV", false;
        for (TSimBoardSpec& spec : s.boards)
            if (SimBoardAddress(spec) == serial)
                spec.stuckSv = sv;
    }
    for (const QString& f : parser.values("forget")) {
        const QStringList parts = f.split(':');
        int serial = 0, sv = 0;
        if (parts.size() != 2 || !ReadInt(parts[0], 1, 65535, serial) || !ReadInt(parts[1], 5, 65535, sv))
            return error = "--forget needs SERIAL:SV (SV from 5)", false;
        for (TSimBoardSpec& spec : s.boards)
            if (SimBoardAddress(spec) == serial)
                spec.forgetSv = sv;
    }
    for (const QString& e : parser.values("sensor")) {
        // B,I@T[:off]
        const QStringList at = e.split('@');
        TSimSensorEvent ev;
        QStringList when = at.value(1).split(':');
        if (at.size() != 2 || !ReadSensor(at[0], ev.board, ev.input) || !ReadInt(when.value(0), 0, 86400000, ev.atMs) ||
            when.size() > 2 || (when.size() == 2 && when[1] != "on" && when[1] != "off"))
            return error = "--sensor needs B,I@MS or B,I@MS:off: " + e, false;
        ev.on = when.size() < 2 || when[1] == "on";
        s.sensors.push_back(ev);
    }
    for (const QString& t : parser.values("train")) {
        // A-B[:GAP[:PERIOD]], A and B as B,I
        const QStringList parts = t.split(':');
        const QStringList ends = parts.value(0).split('-');
        TSimTrain train;
        if (ends.size() != 2 || !ReadSensor(ends[0], train.boardA, train.inputA) ||
            !ReadSensor(ends[1], train.boardB, train.inputB) || parts.size() > 3 ||
            (parts.size() > 1 && !ReadInt(parts[1], 1, 3600000, train.gapMs)) ||
            (parts.size() > 2 && !ReadInt(parts[2], 1, 3600000, train.periodMs)))
            return error = "--train needs B,I-B,I[:GAP_MS[:PERIOD_MS]]: " + t, false;
        if (parts.size() <= 2)
            train.periodMs = std::max(train.periodMs, 2 * (train.gapMs + train.occupiedMs));
        train.startMs = 500;
        s.trains.push_back(train);
    }
    return true;
}

// The recording and the speed of --replay; false with the reason when the
// file cannot be replayed. A cut or damaged one is replayed up to its last
// whole record.
bool LoadReplay(const QCommandLineParser& parser, TRecording& recording, double& speed, QString& error)
{
    const QString path = parser.value("replay");
    const QString speedText = parser.value("speed");
    speed = 1.0;
    if (speedText == "max") {
        speed = 0;
    } else if (!speedText.isEmpty()) {
        bool ok = false;
        speed = speedText.toDouble(&ok);
        if (!ok || !(speed > 0) || speed > 1e6)
            return error = "--speed needs a factor above 0 (2 for twice as fast) or max: " + speedText, false;
    }
    recording.Load(path.toStdString());
    if (recording.Stop() == TRecStop::Unreadable || recording.Stop() == TRecStop::Foreign ||
        recording.Stop() == TRecStop::Newer)
        return error = path + ": " + QString::fromStdString(recording.StopText()), false;
    if (!recording.Whole())
        std::fprintf(stderr, "%s: %s; replayed up to there\n", qPrintable(path), recording.StopText().c_str());
    return true;
}

// Starts the replay when the first LbServer client arrives, or at once.
void StartReplay(std::optional<TSimReplayer>& replayer, TSimBus& bus, const TRecording& recording, double speed,
                 TLbServer* server)
{
    replayer.emplace(bus, recording, speed);
    TSimReplayer* r = &*replayer;
    QObject::connect(r, &TSimReplayer::Finished, [r] {
        std::printf("replay: done, %zu messages\n", r->Sent());
        std::fflush(stdout);
    });
    auto begin = [r] {
        std::printf("replay: %zu messages\n", r->Count());
        std::fflush(stdout);
        r->Start();
    };
    if (server == nullptr) {
        begin();
        return;
    }
    QObject::connect(server, &TLbServer::ClientsChanged, r, [r, begin](int count) {
        if (count > 0 && !r->Running() && r->Sent() == 0)
            begin();
    });
}

int RunSimulate(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Serves a simulated LocoNet on a pseudo-terminal and/or as an LbServer on TCP until interrupted.");
    parser.addOption({"pty", "Also make LINK a symbolic link to the pseudo-terminal.", "LINK"});
    parser.addOption({"no-pty", "Serve no pseudo-terminal (only --listen)."});
    parser.addOption({"listen", "Serve as an LbServer on [HOST:]PORT (loopback unless a host is named; 0 picks a port).",
                      "[HOST:]PORT"});
    parser.addOption({"board",
                      "A virtual board TYPE:SERIAL, or another maker's SV format 2 board "
                      "sv2:ADDRESS:SERIAL[:MANUFACTURER:DEVELOPER:PRODUCT] (default 13:1:1) answering at ADDRESS "
                      "(repeatable; default one of each model, serials 101-107).",
                      "TYPE:SERIAL"});
    parser.addOption({"realtime", "Hold each message for its time on the wire; replies 5 ms late."});
    parser.addOption({"latency", "Delay of each board's reply [ms].", "MS"});
    parser.addOption({"drop", "Fraction of messages lost (0 to 1).", "P"});
    parser.addOption({"corrupt", "Fraction of messages corrupted: a flipped data bit or a bad checksum (0 to 1).", "P"});
    parser.addOption({"seed", "Seed of the fault dice.", "N"});
    parser.addOption({"twice", "Every board answers twice."});
    parser.addOption({"mute", "The board with this serial number (address) never answers (repeatable).", "SERIAL"});
    parser.addOption({"blank", "The board SERIAL (address) holds 0 in every SV from 5 on, as one whose memory was "
                               "cleared, rather than what a new board of its model computes (repeatable).", "SERIAL"});
    parser.addOption({"stuck", "Writes to SV of the board SERIAL (address) do not stick (repeatable).", "SERIAL:SV"});
    parser.addOption({"forget", "SV of the board SERIAL (address) reads 255 after each reconfigure (repeatable).", "SERIAL:SV"});
    parser.addOption({"vendor", "Vendor id the boards report (default 46).", "N"});
    parser.addOption({"sw-version", "Software version in SV 2 of every board (default 1).", "N"});
    parser.addOption({"no-locobuffer", "Do not answer the LocoBuffer status query."});
    parser.addOption({"sensor", "Sensor B,I occupied (or :off) MS after the start (repeatable).", "B,I@MS[:off]"});
    parser.addOption({"train", "A train passing sensor A then B every PERIOD ms (repeatable).", "B,I-B,I[:GAP[:PERIOD]]"});
    parser.addOption({"replay", "Put the received messages of a recording (monitor --record) on the bus, from the first "
                                "LbServer client's arrival (at once without --listen); no boards unless --board.", "FILE"});
    parser.addOption({"speed", "With --replay: X times faster than recorded, or max (as fast as the bus takes).", "X"});
    int status = 0;
    if (!ParseSubcommand(parser, "simulate",
                         "varnscope-cli simulate [--pty LINK] [--listen [HOST:]PORT] [--board TYPE:SERIAL ...] "
                         "[--realtime] [--latency MS] [--drop P] [--corrupt P] [--replay FILE [--speed X|max]] ...",
                         args, status))
        return status;
    TSimSettings settings;
    QString error;
    if (!ReadSettings(parser, settings, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    QHostAddress host;
    quint16 port = 0;
    if (parser.isSet("listen") && !ReadListenAddress(parser.value("listen"), host, port)) {
        PrintError("--listen needs [HOST:]PORT: " + parser.value("listen"));
        return ProgExit::kUsage;
    }
    if (!TSimPtyServer::Supported() && parser.isSet("pty")) {
        PrintError("--pty: Windows has no pseudo-terminals; serve with --listen [HOST:]PORT and connect to "
                   "tcp:HOST:PORT");
        return ProgExit::kUsage;
    }
    const bool servePty = !parser.isSet("no-pty") && TSimPtyServer::Supported();
    if (!servePty && !parser.isSet("listen")) {
        PrintError(TSimPtyServer::Supported()
                       ? "--no-pty needs --listen"
                       : "Windows has no pseudo-terminals: simulate serves only an LbServer, give --listen [HOST:]PORT");
        return ProgExit::kUsage;
    }
    const QString linkPath = parser.value("pty");
    if (!linkPath.isEmpty()) {
        const QFileInfo info(linkPath);
        if (info.exists() && !info.isSymLink()) {
            PrintError("will not replace " + linkPath + ": it is not a symbolic link");
            return ProgExit::kUsage;
        }
    }

    TRecording recording;
    double speed = 1.0;
    if (parser.isSet("replay") && !LoadReplay(parser, recording, speed, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    if (!parser.isSet("replay") && parser.isSet("speed")) {
        PrintError("--speed is for --replay");
        return ProgExit::kUsage;
    }

    QuitOnSignals();
    TSimLocoNet net(settings);
    std::optional<TSimPtyServer> pty;
    std::optional<TSimLbServer> lb;
    if (servePty) {
        pty.emplace(net.Bus());
        if (!pty->Start(error)) {
            PrintError("cannot make a pseudo-terminal: " + error);
            return ProgExit::kPortError;
        }
        std::printf("pty: %s\n", qPrintable(pty->DevicePath()));
        if (!linkPath.isEmpty()) {
            QFile::remove(linkPath);
            if (!QFile::link(pty->DevicePath(), linkPath)) {
                PrintError("cannot make the link " + linkPath);
                return ProgExit::kPortError;
            }
            std::printf("link: %s -> %s\n", qPrintable(linkPath), qPrintable(pty->DevicePath()));
        }
    }
    if (parser.isSet("listen")) {
        lb.emplace(net.Bus());
        if (!lb->Listen(host, port, error)) {
            PrintError("cannot listen on " + parser.value("listen") + ": " + error);
            if (!linkPath.isEmpty())
                QFile::remove(linkPath);
            return ProgExit::kPortError;
        }
        std::printf("listen: %s\n", qPrintable(ListenAddressText(lb->Address(), lb->Port())));
        if (ListensEverywhere(lb->Address()))
            std::fprintf(stderr, "%s\n", qPrintable(ListenEverywhereWarning(lb->Port())));
    }
    for (const auto& board : net.Boards()) {
        if (board->Spec().address != 0)
            std::printf("board: sv2 address %u serial %u manufacturer %d developer %d product %d\n",
                        unsigned(board->Address()), unsigned(board->Serial()), board->Vendor() & 0xFF,
                        board->Vendor() >> 8, board->Device());
        else
            std::printf("board: %s serial %u vendor %d device %d\n", SimBoardTypeName(board->Spec().type),
                        unsigned(board->Serial()), board->Vendor(), board->Device());
    }
    std::printf("ready\n");
    std::fflush(stdout);

    net.Start();
    std::optional<TSimReplayer> replayer;
    if (parser.isSet("replay"))
        StartReplay(replayer, net.Bus(), recording, speed, lb ? &*lb : nullptr);
    QCoreApplication::exec();

    if (!linkPath.isEmpty() && QFileInfo(linkPath).isSymLink())
        QFile::remove(linkPath);
    return ProgExit::kOk;
}

const VarnscopeSubcommand kSimulate("simulate", "Serve a simulated LocoNet on a pseudo-terminal or TCP", RunSimulate,
    "0 after SIGINT or SIGTERM; 2 for wrong options, or a --replay file that cannot be read, is no recording or is "
    "of a newer format; 4 when the pseudo-terminal, the "
    "symbolic link or the listening socket cannot be made.");

}  // namespace
