// Recording a bus from the command line and reading it back: the replay
// prints what the live monitor printed, the pcap export equals the live pcap,
// and a cut, foreign or newer file is said so with its own exit status.
#include "tests/qt/Simtestsupport.h"

#include "link/Lndecoders.h"
#include "link/Recording.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Messages of many kinds; the boards of the simulated bus answer the SV ones.
const QStringList kTraffic = {
    "83 7C",                                            // OPC_GPON
    "B2 00 50 1D",                                      // sensor report
    "B0 00 30 7F",                                      // switch request
    "A0 01 20 7E",                                      // loco speed
    "BB 01 00 45",                                      // request slot data
    "E5 10 00 07 02 10 00 00 00 00 10 00 00 00 00 0F",  // SV discover: every board answers
    "E5 10 00 02 02 10 65 00 01 00 10 00 00 00 00 6E",  // SV read of board 101
    "81 7E",                                            // LocoBuffer query
    // Every other kind the display decodes, and some it shows raw.
    "E4 09 00 01 02 00 10 00 01",                       // signal aspect
    "B1 05 50 1B",                                      // turnout feedback
    "A1 03 35 68", "A2 03 0B 55", "A3 03 05 5A",        // direction and functions
    "BA 03 04 42", "B5 03 3B 72", "BF 01 02 43",        // slots
    "B4 30 7F 04", "B4 00 01 4A",                       // long acknowledges
    "E5 10 00 05 02 10 65 00 10 00 10 01 02 03 04 7C",  // SV write 4
    "E5 10 00 03 02 10 65 00 05 00 10 7F 0F 00 00 1B",  // SV masked write
    "E5 10 00 09 02 10 07 00 2E 00 10 01 00 65 00 4C",  // SV change address
    "E5 10 00 0F 02 10 65 00 00 00 10 00 00 00 00 62",  // SV reconfigure
    "E5 10 7F 01 02 11 00 00 00 00 10 00 00 00 00 77",  // SV write with a high bit
    "E5 10 01 02 03 00 00 00 00 00 00 00 00 00 00 0A",  // peer transfer
    "E5 10 01 01 01 00 01 00 02 00 10 00 00 00 00 18",  // SV access format 1
    "EF 0E 03 00 00 00 00 00 00 00 00 00 00 1D",        // slot write
    "D0 00 00 00 00 2F",                                // multi-sense
};

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The monitor says on standard error when its port is open.
bool WaitForMonitor(QProcess& monitor)
{
    if (!monitor.waitForStarted())
        return false;
    QByteArray err;
    QDeadlineTimer deadline(5000);
    while (!err.contains("monitoring") && !deadline.hasExpired() && monitor.state() == QProcess::Running) {
        monitor.waitForReadyRead(50);
        err += monitor.readAllStandardError();
    }
    return err.contains("monitoring");
}

// A recording and a live pcap of the traffic on a simulated bus, with what
// the monitor printed meanwhile.
struct TRecordedSession {
    QTemporaryDir dir;
    QString recording = dir.filePath("bus.lnrec");
    QString livePcap = dir.filePath("live.pcap");
    QString printed;
    int status = -1;

    explicit TRecordedSession(const QStringList& monitorOptions = {})
    {
        QProcess sim;
        const QByteArray banner = StartSimulator(sim, {"--no-pty", "--listen", "0"});
        const int at = banner.indexOf("listen: ");
        EXPECT_GE(at, 0) << banner.toStdString();
        const QString port = "tcp:127.0.0.1:" + QString::fromLatin1(banner.mid(at).split('\n')[0]).section(':', -1);
        QProcess monitor;
        monitor.start(VARNSCOPE_CLI, QStringList{"monitor", "--port", port, "--record", recording, "--pcap", livePcap} +
                                         monitorOptions);
        EXPECT_TRUE(WaitForMonitor(monitor));
        for (const QString& hex : kTraffic)
            EXPECT_EQ(RunCli({"send", "--port", port, hex}).status, 0) << hex.toStdString();
        QThread::msleep(300);  // the boards' last answers
        monitor.terminate();
        EXPECT_TRUE(monitor.waitForFinished(5000));
        status = monitor.exitCode();
        printed = QString::fromUtf8(monitor.readAllStandardOutput());
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

}  // namespace

TEST(CliRecording, ReplayPrintsWhatTheLiveMonitorPrinted)
{
    TRecordedSession session;
    ASSERT_EQ(session.status, 0);
    // Every message sent came back, and the four boards answered the discover.
    EXPECT_GE(session.printed.count('\n'), kTraffic.size() + 4) << session.printed.toStdString();
    EXPECT_TRUE(session.printed.contains("OPC_SENSORREP sensor report:1,1 On"));

    const TCliRun replay = RunCli({"monitor", "--replay", session.recording});
    EXPECT_EQ(replay.status, 0) << replay.err.toStdString();
    EXPECT_EQ(replay.out, session.printed);

    // The same filters and options as a live monitor.
    const TCliRun raw = RunCli({"monitor", "--replay", session.recording, "--raw", "--kinds", "OPC_GPON,OPC_SWREQ"});
    EXPECT_EQ(raw.out, "OPC_GPON:83 7C \nOPC_SWREQ:B0 00 30 7F \n");
    const TCliRun counted = RunCli({"monitor", "--replay", session.recording, "--count", "2", "--elapsed"});
    const QStringList lines = counted.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    // Seconds since the start, then the line; the first message came after the start.
    EXPECT_TRUE(QRegularExpression(R"(^ +\d+\.\d{3} OPC_GPON:83 7C $)").match(lines[0]).hasMatch()) << lines[0].toStdString();
    const TCliRun clock = RunCli({"monitor", "--replay", session.recording, "--count", "1", "--time"});
    EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3} OPC_GPON:83 7C \n$)").match(clock.out).hasMatch())
        << clock.out.toStdString();

    // The export of the recording is the pcap written live, byte for byte.
    const QString exported = session.dir.filePath("exported.pcap");
    const TCliRun exportRun = RunCli({"export-pcap", session.recording, exported});
    EXPECT_EQ(exportRun.status, 0) << exportRun.err.toStdString();
    EXPECT_EQ(ReadFile(exported), ReadFile(session.livePcap));
    EXPECT_GT(ReadFile(exported).size(), 24 + (kTraffic.size() + 4) * 18);
}

TEST(CliRecording, ACutOrStrangeRecordingSaysWhereAndWhy)
{
    TRecordedSession session;
    const QByteArray whole = ReadFile(session.recording);
    ASSERT_GT(whole.size(), 40);
    const TCliRun all = RunCli({"monitor", "--replay", session.recording});
    const QStringList allLines = all.out.split('\n', Qt::SkipEmptyParts);

    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    // Cut inside the last record: every line but the last message's.
    const QString cut = write("cut.lnrec", whole.left(whole.size() - 1));
    const TCliRun cutRun = RunCli({"monitor", "--replay", cut});
    EXPECT_EQ(cutRun.status, 3);
    EXPECT_EQ(cutRun.out.split('\n', Qt::SkipEmptyParts), allLines.mid(0, allLines.size() - 1));
    EXPECT_TRUE(cutRun.err.contains("cut short at byte")) << cutRun.err.toStdString();
    EXPECT_EQ(RunCli({"export-pcap", cut, dir.filePath("cut.pcap")}).status, 3);

    QByteArray newer = whole;
    newer[8] = 9;
    const struct {
        QString file;
        QString said;
    } refused[] = {
        {write("newer.lnrec", newer), "format version 9, newer"},
        {write("text.lnrec", "OPC_GPON:83 7C\r\n"), "not a LocoNet recording"},
        {dir.filePath("missing.lnrec"), "cannot read"},
    };
    for (const auto& c : refused) {
        const TCliRun r = RunCli({"monitor", "--replay", c.file});
        EXPECT_EQ(r.status, 2) << c.file.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
        EXPECT_EQ(RunCli({"export-pcap", c.file, dir.filePath("x.pcap")}).status, 2);
    }
}

TEST(CliRecording, OptionsThatDoNotGoTogether)
{
    const struct {
        QStringList args;
        int status;
        const char* said;
    } cases[] = {
        {{"monitor", "--replay", "x.lnrec", "--port", "sim"}, 2, "takes no --port"},
        {{"monitor", "--replay", "x.lnrec", "--record", "y.lnrec"}, 2, "takes no"},
        {{"monitor", "--port", "sim", "--elapsed"}, 2, "--elapsed is for --replay"},
        {{"export-pcap", "only-one.lnrec"}, 2, "needs a recording and a pcap file"},
        {{"monitor", "--port", "sim", "--record", "/no/such/dir/r.lnrec"}, 4, "cannot create /no/such/dir/r.lnrec"},
    };
    for (const auto& c : cases) {
        const TCliRun r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
    }
}

// The dissector shipped for Wireshark decodes every frame of a pcap made on
// the simulated bus with the display's texts, and takes SV access apart.
TEST(CliRecording, WiresharkDissectorDecodesAsTheDisplay)
{
    const QString tshark = QStandardPaths::findExecutable("tshark");
    if (tshark.isEmpty())
        GTEST_SKIP() << "no tshark here";
    TRecordedSession session;
    const QString pcap = session.dir.filePath("bus.pcap");
    ASSERT_EQ(RunCli({"export-pcap", session.recording, pcap}).status, 0);

    QProcess run;
    // A Wireshark of its own: no preferences or plugins of whoever runs the test.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WIRESHARK_CONFIG_DIR", session.dir.filePath("wireshark"));
    run.setProcessEnvironment(env);
    run.start(tshark, {"-X", "lua_script:" + QStringLiteral(VARNSCOPE_DISSECTOR), "-r", pcap, "-T", "fields",
                       "-E", "separator=|", "-e", "vsloconet.hex", "-e", "vsloconet.text", "-e", "vsloconet.sv.command",
                       "-e", "vsloconet.sv.source", "-e", "vsloconet.sv.destination", "-e", "vsloconet.sv.address",
                       "-e", "vsloconet.sv.data"});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    // Lua refused (as for root without leave) or the script failed: never a silent pass.
    EXPECT_FALSE(err.contains("Lua")) << err.toStdString();
    ASSERT_EQ(run.exitCode(), 0) << err.toStdString();
    const QStringList frames = QString::fromUtf8(run.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(frames.size(), kTraffic.size() + 4) << err.toStdString();

    QStringList hex;
    QStringList dissected;
    for (const QString& frame : frames) {
        const QStringList fields = frame.split('|');
        ASSERT_EQ(fields.size(), 7) << frame.toStdString();
        hex << fields[0];
        dissected << fields[1];
    }
    QProcess decode;
    decode.start(VARNSCOPE_CLI, {"decode"});
    decode.write((hex.join('\n') + '\n').toUtf8());
    decode.closeWriteChannel();
    ASSERT_TRUE(decode.waitForFinished(10000));
    const QStringList decoded = QString::fromUtf8(decode.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(decoded.size(), dissected.size());
    for (int i = 0; i < decoded.size(); ++i)
        EXPECT_EQ(dissected[i], decoded[i]) << "frame " << i + 1 << ": " << hex[i].toStdString();

    // The SV fields, frame by frame, against the display's text of the same frame.
    const QRegularExpression access(R"(^SV Access: .* Dst=(\d+) Addr=([0-9A-F]{4}) data=([0-9A-F ]+?)( mask=.*)?$)");
    int checked = 0;
    for (int i = 0; i < frames.size(); ++i) {
        const QStringList fields = frames[i].split('|');
        const QRegularExpressionMatch m = access.match(decoded[i]);
        if (!m.hasMatch())
            continue;
        ++checked;
        EXPECT_EQ(fields[2].toUInt(nullptr, 0), hex[i].split(' ')[3].toUInt(nullptr, 16)) << decoded[i].toStdString();
        EXPECT_EQ(fields[3].toUInt(), hex[i].split(' ')[2].toUInt(nullptr, 16));
        EXPECT_EQ(fields[4], m.captured(1)) << decoded[i].toStdString();
        EXPECT_EQ(fields[5].toUInt(nullptr, 0), m.captured(2).toUInt(nullptr, 16)) << decoded[i].toStdString();
        QStringList data;
        for (const QString& d : fields[6].split(','))
            data << QString("%1").arg(d.toUInt(nullptr, 0), 2, 16, QChar('0')).toUpper();
        EXPECT_EQ(data.join(' '), m.captured(3)) << decoded[i].toStdString();
    }
    EXPECT_GE(checked, 6);  // the requests above and the boards' replies
}

// A recording put back on the bus keeps its pace (within 2 % of its span),
// or its pace sped up, and sends only its received, well-formed messages.
TEST(CliRecording, ReplayOntoTheBusKeepsItsPace)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source.lnrec");
    // Sensor reports at uneven gaps over 2.4 s, with what must never be replayed between them.
    std::vector<int64_t> offsets;
    QList<QByteArray> sent;
    {
        TRecordingWriter writer;
        ASSERT_TRUE(writer.Open(source.toStdString(), RecWallClockUs()));
        const uint8_t junk[] = {0xB2, 0x05, 0x7F};  // cut short / bad checksum
        int64_t at = 500000;  // a quiet start that the replay leaves out
        for (int i = 0; i < 16; ++i) {
            const TLNSensFBMessage report(1 + i / 8, 1 + i % 8, i % 2 == 0);
            writer.Append(at, TRecDirection::Received, report.Data(), report.Length());
            offsets.push_back(at - 500000);
            sent << QByteArray(reinterpret_cast<const char*>(report.Data()), report.Length());
            writer.Append(at + 10, i % 2 ? TRecDirection::Rejected : TRecDirection::Sent, junk, sizeof junk);
            at += 40000 + (i % 4) * 100000;
        }
        writer.Close();
        ASSERT_FALSE(writer.Failed());
    }
    const int64_t span = offsets.back();
    ASSERT_GT(span, 2000000);

    for (const QString& speed : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("max")}) {
        QProcess sim;
        const QByteArray banner =
            StartSimulator(sim, {"--no-pty", "--listen", "0", "--replay", source, "--speed", speed});
        const int at = banner.indexOf("listen: ");
        ASSERT_GE(at, 0) << banner.toStdString();
        const QString port = "tcp:127.0.0.1:" + QString::fromLatin1(banner.mid(at).split('\n')[0]).section(':', -1);
        const QString copy = dir.filePath("copy-" + speed + ".lnrec");
        const TCliRun monitor = RunCli({"monitor", "--port", port, "--record", copy, "--count", "16", "--raw"}, 20000);
        sim.terminate();
        sim.waitForFinished(3000);
        ASSERT_EQ(monitor.status, 0) << monitor.err.toStdString();
        // Nothing malformed came over: the framing dropped no byte.
        EXPECT_FALSE(monitor.err.contains("malformed")) << monitor.err.toStdString();

        TRecording heard;
        ASSERT_TRUE(heard.Load(copy.toStdString()));
        std::vector<int64_t> times;
        QList<QByteArray> messages;
        heard.ForEach([&](const TRecFrame& f) {
            EXPECT_EQ(f.direction, TRecDirection::Received);
            times.push_back(f.offsetUs);
            messages << QByteArray(reinterpret_cast<const char*>(f.bytes.data()), qsizetype(f.bytes.size()));
        });
        ASSERT_EQ(messages.size(), sent.size());
        EXPECT_EQ(messages, sent);
        if (speed == "max") {
            EXPECT_LT(times.back() - times.front(), span / 4);
            continue;
        }
        const double factor = speed.toDouble();
        const double tolerance = 0.02 * static_cast<double>(span) / factor;
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR(static_cast<double>(times[i] - times.front()), static_cast<double>(offsets[i]) / factor, tolerance)
                << "message " << i << " at speed " << speed.toStdString();
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
