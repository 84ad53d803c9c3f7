// The link on real ports: a pseudo-terminal and an LbServer served by
// `varnscope-cli simulate`, the simulated bus in this process, and the
// command line's monitor and send.
#include "link/Lncomm.h"
#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"
#include "platform/Linkports.h"
#include "platform/Portadvice.h"
#include "platform/Serialport.h"
#include "platform/Tcpport.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <asm/termbits.h>
#include <fcntl.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// A running `varnscope-cli simulate`; its pty path / TCP port from what it prints.
class TSimulator {
public:
    explicit TSimulator(const QStringList& args)
    {
        process_.setProgram(VARNSCOPE_CLI);
        process_.setArguments(QStringList{"simulate"} + args);
        process_.start();
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            if (!process_.waitForReadyRead(100) && process_.state() != QProcess::Running)
                break;
            out_ += QString::fromUtf8(process_.readAllStandardOutput());
            if (out_.contains("ready\n"))
                break;
        }
        for (const QString& line : out_.split('\n')) {
            if (line.startsWith("pty: "))
                pty_ = line.mid(5);
            if (line.startsWith("listen: "))
                port_ = line.section(':', -1).toInt();
        }
    }
    ~TSimulator()
    {
        if (process_.state() == QProcess::Running) {
            process_.terminate();
            if (!process_.waitForFinished(3000))
                process_.kill();
            process_.waitForFinished(1000);
        }
    }
    bool Ready() const { return out_.contains("ready\n"); }
    const QString& Pty() const { return pty_; }
    int Port() const { return port_; }
    QProcess& Process() { return process_; }

private:
    QProcess process_;
    QString out_;
    QString pty_;
    int port_ = 0;
};

bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TLocoNetMessage Bytes(std::initializer_list<uint8_t> bytes)
{
    const std::vector<uint8_t> v(bytes);
    return TLocoNetMessage(v.data(), uint32_t(v.size()));
}

// A link that collects everything it receives.
struct TOpenLink {
    TLocoNetComm link{MakeLinkPort};
    std::vector<std::unique_ptr<TLocoNetMessage>> received;
    std::vector<uint32_t> errors;

    explicit TOpenLink(const std::string& device, ELocoNetInterface iface = eLocoBuffer, TBaudRate baud = br16457)
    {
        link.SetDeviceName(device);
        link.SetLocoNetInterface(iface);
        link.SetBaudRate(baud);
        link.OnRxMsg = [this](TLnThreadComm& l, uint32_t) {
            while (auto m = l.ReadMessage())
                received.push_back(std::move(m));
        };
        link.OnError = [this](TLnThreadComm&, uint32_t flags) { errors.push_back(flags); };
        link.Open();
    }
    int Count(const std::function<bool(const TLocoNetMessage&)>& match) const
    {
        int n = 0;
        for (const auto& m : received)
            n += match(*m) ? 1 : 0;
        return n;
    }
    int CountHex(const std::string& hex) const
    {
        return Count([&](const TLocoNetMessage& m) { return m.HexText() == hex; });
    }
};

int CountKind(const TOpenLink& l, int svKind)
{
    return l.Count([&](const TLocoNetMessage& m) { return TLNSVProgMessage(m).SvKind() == svKind; });
}

struct TCliRun {
    int status = -1;
    QString out, err;
};

TCliRun RunCli(const QStringList& args, int timeoutMs = 5000)
{
    QProcess p;
    p.start(VARNSCOPE_CLI, args);
    TCliRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
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

}  // namespace

TEST(PtyLink, EchoAndLocoBufferReply)
{
    TSimulator sim({});
    ASSERT_TRUE(sim.Ready());
    ASSERT_FALSE(sim.Pty().isEmpty());
    TOpenLink l(sim.Pty().toStdString());  // a LocoBuffer: DTR is asked for, which a pty has not
    ASSERT_TRUE(l.link.Enabled()) << l.link.LastOpenError();

    auto gpon = std::make_unique<TLocoNetMessage>();
    gpon->AppendByte(0x83);
    gpon->AppendChecksum();
    l.link.WriteMessage(std::move(gpon));
    EXPECT_TRUE(WaitFor([&] { return l.CountHex("83 7C ") == 1; }));

    l.link.WriteMessage(Bytes({0x81, 0x7E}));
    EXPECT_TRUE(WaitFor([&] {
        return l.Count([](const TLocoNetMessage& m) { return TLNPeerXferMessage(m).IsLocoBufferReply(); }) == 1;
    }));
    EXPECT_EQ(l.CountHex("81 7E "), 1);  // our own query comes back too
    for (const auto& m : l.received) {
        if (TLNPeerXferMessage(*m).IsLocoBufferReply()) {
            EXPECT_EQ(TLNPeerXferMessage(*m).ToText(), "LocoBuffer V1.1.0.0, Bad Frames = 0, Collisions = 0");
        }
    }

    TLNSVProgMessage discover;
    discover.MakeSvDiscover(0);
    l.link.WriteMessage(discover);
    EXPECT_TRUE(WaitFor([&] { return CountKind(l, eSvDiscoverReply) == 7; }));
    EXPECT_TRUE(l.errors.empty());
}

TEST(PtyLink, LineSettingsReallyApplied)
{
    TSimulator sim({});
    ASSERT_TRUE(sim.Ready());
    TOpenLink l(sim.Pty().toStdString(), eMS100, br16457);
    ASSERT_TRUE(l.link.Enabled()) << l.link.LastOpenError();
    // Read the line settings back from the kernel through a second handle.
    const int fd = ::open(sim.Pty().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    auto settings = [fd] {
        termios2 t{};
        EXPECT_EQ(::ioctl(fd, TCGETS2, &t), 0);
        return t;
    };
    termios2 t = settings();
    EXPECT_EQ(t.c_ospeed, 16457u);
    EXPECT_EQ(t.c_ispeed, 16457u);
    EXPECT_EQ(t.c_cflag & CBAUD, tcflag_t(BOTHER));  // a custom rate, not a nearby standard one
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
    // An MS100 is passive: nothing would ever drive CTS, so no output handshake.
    EXPECT_EQ(t.c_cflag & CRTSCTS, tcflag_t(0));
    l.link.SetFlowControl(TLnFlowControl::Hardware);  // not for an MS100
    EXPECT_EQ(settings().c_cflag & CRTSCTS, tcflag_t(0));
    l.link.SetBaudRate(br57600);  // applied at once while open
    EXPECT_EQ(settings().c_ospeed, 57600u);
    l.link.SetBaudRate(br19200);
    EXPECT_EQ(settings().c_ospeed, 19200u);
    ::close(fd);
}

TEST(PtyLink, FlowControlByInterfaceAndChoice)
{
    TSimulator sim({});
    ASSERT_TRUE(sim.Ready());
    struct TCase {
        const char* name;
        ELocoNetInterface iface;
        TLnFlowControl flow;
        bool handshake;
    };
    const TCase cases[] = {
        {"MS100", eMS100, TLnFlowControl::Hardware, false},
        {"LocoBuffer, hardware", eLocoBuffer, TLnFlowControl::Hardware, true},
        {"LocoBuffer, none", eLocoBuffer, TLnFlowControl::None, false},
        {"PR3, hardware", ePR3, TLnFlowControl::Hardware, true},
        {"PR3, none", ePR3, TLnFlowControl::None, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TLocoNetComm link(MakeLinkPort);
        link.SetDeviceName(sim.Pty().toStdString());
        link.SetLocoNetInterface(c.iface);
        link.SetBaudRate(br57600);
        link.SetFlowControl(c.flow);
        link.Open();
        ASSERT_TRUE(link.Enabled()) << link.LastOpenError();
        const int fd = ::open(sim.Pty().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios2 t{};
        EXPECT_EQ(::ioctl(fd, TCGETS2, &t), 0);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.handshake);
        EXPECT_EQ(t.c_ospeed, 57600u);
        if (c.iface != eMS100) {
            // Changed while open: applied at once, the speed kept.
            link.SetFlowControl(c.flow == TLnFlowControl::None ? TLnFlowControl::Hardware : TLnFlowControl::None);
            EXPECT_EQ(::ioctl(fd, TCGETS2, &t), 0);
            EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, !c.handshake);
            EXPECT_EQ(t.c_ospeed, 57600u);
        }
        ::close(fd);
        link.Close();
    }
}

TEST(PtyLink, SimulatorGoingAwayClosesTheLinkWithAnError)
{
    auto sim = std::make_unique<TSimulator>(QStringList{});
    ASSERT_TRUE(sim->Ready());
    TOpenLink l(sim->Pty().toStdString());
    ASSERT_TRUE(l.link.Enabled());
    sim->Process().kill();
    sim->Process().waitForFinished(2000);
    EXPECT_TRUE(WaitFor([&] { return !l.link.Enabled(); }));
    ASSERT_EQ(l.errors.size(), 1u);
    EXPECT_NE(l.errors[0] & kLnErrDeviceLost, 0u);
    EXPECT_FALSE(l.link.LastOpenError().empty());
    // Writing now discards, and nothing more arrives.
    l.link.WriteMessage(Bytes({0x83, 0x7C}));
    EXPECT_EQ(l.link.QueTxMsgCount(), 0u);
    QTest::qWait(100);
    EXPECT_EQ(l.errors.size(), 1u);
}

TEST(PtyLink, SymbolicLinkMadeAndRemoved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("loconet");
    {
        TSimulator sim({"--pty", path});
        ASSERT_TRUE(sim.Ready());
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), sim.Pty());
        TOpenLink l(path.toStdString());
        ASSERT_TRUE(l.link.Enabled());
        l.link.WriteMessage(Bytes({0x83, 0x7C}));
        EXPECT_TRUE(WaitFor([&] { return l.CountHex("83 7C ") == 1; }));
        l.link.Close();
        sim.Process().terminate();
        EXPECT_TRUE(sim.Process().waitForFinished(3000));
        EXPECT_EQ(sim.Process().exitCode(), 0);
    }
    EXPECT_FALSE(QFileInfo(path).isSymLink());
}

TEST(TcpLink, TalksToTheLbServer)
{
    TSimulator sim({"--no-pty", "--listen", "0", "--board", "vela40:300", "--board", "TEL90:301"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_GT(sim.Port(), 0);
    TOpenLink l("tcp:127.0.0.1:" + std::to_string(sim.Port()));
    ASSERT_TRUE(l.link.Enabled()) << l.link.LastOpenError();
    l.link.WriteMessage(Bytes({0x83, 0x7C}));
    EXPECT_TRUE(WaitFor([&] { return l.CountHex("83 7C ") == 1; }));
    TLNSVProgMessage discover;
    discover.MakeSvDiscover(0);
    l.link.WriteMessage(discover);
    EXPECT_TRUE(WaitFor([&] { return CountKind(l, eSvDiscoverReply) == 2; }));
    TLNSVProgMessage read;
    read.MakeSvRead4(0, 301, 1);
    l.link.WriteMessage(read);
    EXPECT_TRUE(WaitFor([&] { return CountKind(l, eSvRead4Reply) == 1; }));

    // A lost server does not close the link: it says so and reconnects by
    // itself once a server listens there again; meanwhile writes go nowhere.
    std::vector<bool> states;
    l.link.OnLinkState = [&](TLnThreadComm&, bool connected) { states.push_back(connected); };
    const int port = sim.Port();
    sim.Process().kill();
    sim.Process().waitForFinished(2000);
    ASSERT_TRUE(WaitFor([&] { return states.size() == 1; }));
    EXPECT_FALSE(states[0]);
    EXPECT_TRUE(l.link.Enabled());
    EXPECT_FALSE(l.link.Connected());
    EXPECT_NE(l.link.PortErrorText().find("lost"), std::string::npos) << l.link.PortErrorText();
    EXPECT_TRUE(l.errors.empty());
    l.link.WriteMessage(Bytes({0x83, 0x7C}));
    EXPECT_EQ(l.link.QueTxMsgCount(), 0u);

    TSimulator again({"--no-pty", "--listen", QString::number(port), "--board", "TEL90:301"});
    ASSERT_TRUE(again.Ready());
    ASSERT_TRUE(WaitFor([&] { return states.size() == 2; }, 10000));
    EXPECT_TRUE(states[1]);
    EXPECT_TRUE(l.link.Connected());
    l.received.clear();
    read.MakeSvRead4(0, 301, 1);
    l.link.WriteMessage(read);
    EXPECT_TRUE(WaitFor([&] { return CountKind(l, eSvRead4Reply) == 1; }));
    l.link.OnLinkState = nullptr;
}

TEST(TcpLink, ReadsTheLineProtocol)
{
    struct TCase {
        QByteArray line;
        bool ok;
        bool receive;
        QByteArray bytes;
    };
    const TCase cases[] = {
        {"RECEIVE 83 7C", true, true, QByteArray("\x83\x7C", 2)},
        {"receive b2 00 50 1d", true, true, QByteArray("\xB2\x00\x50\x1D", 4)},
        {"RECEIVE  E5   10 ", true, true, QByteArray("\xE5\x10", 2)},
        {"RECEIVE 83 XY", false, true, {}},
        {"RECEIVE 183", false, true, {}},
        {"VERSION JMRI Server 5.0", true, false, {}},
        {"SENT OK", true, false, {}},
        {"SENT ERROR bad", true, false, {}},
        {"RECEIVE\t83 7C", true, true, QByteArray("\x83\x7C", 2)},  // any white space parts the verb
        {"RECEIVE\t\t83\t7C ", true, true, QByteArray("\x83\x7C", 2)},
        {"RECEIVER 83 7C", true, false, {}},
    };
    for (const TCase& c : cases) {
        QByteArray rx;
        bool isReceive = false;
        EXPECT_EQ(TTcpPort::ParseLine(c.line, rx, isReceive), c.ok) << c.line.constData();
        EXPECT_EQ(isReceive, c.receive) << c.line.constData();
        EXPECT_EQ(rx, c.bytes) << c.line.constData();
    }
    std::string host;
    int port = 0;
    EXPECT_TRUE(ParseTcpDeviceName("tcp:localhost", host, port));
    EXPECT_EQ(host, "localhost");
    EXPECT_EQ(port, 1234);
    EXPECT_TRUE(ParseTcpDeviceName("tcp:192.168.1.5:5550", host, port));
    EXPECT_EQ(host, "192.168.1.5");
    EXPECT_EQ(port, 5550);
    EXPECT_TRUE(ParseTcpDeviceName("tcp:[::1]:99", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_FALSE(ParseTcpDeviceName("tcp:", host, port));
    EXPECT_FALSE(ParseTcpDeviceName("tcp:host:99999", host, port));
    EXPECT_FALSE(ParseTcpDeviceName("/dev/ttyUSB0", host, port));
}

// A server whose line never ends (no LbServer at all, or a broken one) must
// not grow the link without bound: the link gives the connection up with the
// reason and tries again after the longest pause.
TEST(TcpLink, GivesUpAServerWhoseLineNeverEnds)
{
    struct TCase {
        const char* what;
        QByteArray junk;  // sent after a good greeting and message
        int times;
    };
    const TCase cases[] = {
        {"no line end at all", QByteArray(64 * 1024, 'A'), 16},
        {"one line too long", QByteArray(5000, '7') + "\r\n", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        std::vector<QTcpSocket*> accepted;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                accepted.push_back(s);
                s->write("VERSION test\r\nRECEIVE 83 7C\r\n");
                for (int i = 0; i < c.times; ++i)
                    s->write(c.junk);
            }
        });
        TOpenLink l("tcp:127.0.0.1:" + std::to_string(server.serverPort()));
        ASSERT_TRUE(l.link.Enabled()) << l.link.LastOpenError();
        std::vector<bool> states;
        l.link.OnLinkState = [&](TLnThreadComm&, bool connected) { states.push_back(connected); };
        ASSERT_TRUE(WaitFor([&] { return !states.empty(); }));
        EXPECT_FALSE(states[0]);
        EXPECT_EQ(l.CountHex("83 7C "), 1);  // what came before is kept
        EXPECT_NE(l.link.PortErrorText().find("lost: the server sent a line longer than 4096 characters"), std::string::npos)
            << l.link.PortErrorText();
        EXPECT_TRUE(l.link.Enabled());
        EXPECT_TRUE(l.errors.empty());
        // Tried again, not sooner than the longest pause.
        QElapsedTimer since;
        since.start();
        ASSERT_TRUE(WaitFor([&] { return accepted.size() == 2; }, int(TTcpPort::kMaxRetryMs) + 3000));
        EXPECT_GE(since.elapsed(), TTcpPort::kMaxRetryMs - 500);
        l.link.OnLinkState = nullptr;
        l.link.Close();
    }
}

// Raises or lowers the loopback interface of this process's network.
bool SetLoopbackUp(bool up)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strcpy(request.ifr_name, "lo");
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags = short(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
        ok = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return ok;
}

constexpr char kPrivateNetwork[] = "VARNSCOPE_TEST_PRIVATE_NETWORK";

// A server whose computer stops answering: on loopback that is only seen
// when the loopback itself goes silent (a server process that is merely
// stopped still has its system answer for it), so this runs in a network
// namespace of its own, where taking the loopback down is harmless.
TEST(TcpLink, NoticesAServerThatFallsSilent)
{
    QProcess inner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kPrivateNetwork, "1");
    inner.setProcessEnvironment(env);
    inner.start("unshare", {"--user", "--map-root-user", "--net", QCoreApplication::applicationFilePath(),
                            "--gtest_filter=TcpLinkInPrivateNetwork.*"});
    if (!inner.waitForStarted())
        GTEST_SKIP() << "unshare is not installed";
    ASSERT_TRUE(inner.waitForFinished(60000));
    const QString out = QString::fromUtf8(inner.readAllStandardOutput());
    const QString err = QString::fromUtf8(inner.readAllStandardError());
    if (inner.exitCode() != 0 && err.startsWith("unshare:"))
        GTEST_SKIP() << "no network namespace of our own here: " << err.toStdString();
    EXPECT_EQ(inner.exitCode(), 0) << out.toStdString() << err.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST(TcpLinkInPrivateNetwork, SilentServerNoticedOnAnIdleBusAndReconnected)
{
    if (qEnvironmentVariableIsEmpty(kPrivateNetwork))
        GTEST_SKIP() << "run by TcpLink.NoticesAServerThatFallsSilent in a network of its own";
    ASSERT_TRUE(SetLoopbackUp(true));
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    std::vector<QTcpSocket*> accepted;
    QByteArray heard;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            accepted.push_back(s);
            QObject::connect(s, &QTcpSocket::readyRead, [s, &heard] { heard += s->readAll(); });
            s->write("VERSION test\r\n");
        }
    });
    TOpenLink l("tcp:127.0.0.1:" + std::to_string(server.serverPort()));
    ASSERT_TRUE(l.link.Enabled()) << l.link.LastOpenError();
    std::vector<bool> states;
    l.link.OnLinkState = [&](TLnThreadComm&, bool connected) { states.push_back(connected); };
    ASSERT_TRUE(WaitFor([&] { return accepted.size() == 1; }));
    WaitFor([] { return false; }, 500);  // nothing more is said either way

    QElapsedTimer silent;
    silent.start();
    ASSERT_TRUE(SetLoopbackUp(false));
    ASSERT_TRUE(WaitFor([&] { return !states.empty(); }, 20000));
    const qint64 noticedMs = silent.elapsed();
    std::printf("noticed after %lld ms\n", static_cast<long long>(noticedMs));
    EXPECT_LT(noticedMs, 10000);
    EXPECT_GE(noticedMs, TTcpPort::kKeepAliveIdleMs);
    EXPECT_FALSE(states[0]);
    EXPECT_NE(l.link.PortErrorText().find(" lost: "), std::string::npos) << l.link.PortErrorText();
    EXPECT_TRUE(l.link.Enabled());
    EXPECT_TRUE(l.errors.empty());

    // Back as it does after any loss, once the server can be reached again.
    ASSERT_TRUE(SetLoopbackUp(true));
    ASSERT_TRUE(WaitFor([&] { return states.size() == 2; }, int(TTcpPort::kMaxRetryMs) + 3000));
    EXPECT_TRUE(states[1]);
    l.link.WriteMessage(Bytes({0x83, 0x7C}));
    EXPECT_TRUE(WaitFor([&] { return heard.contains("SEND 83 7C\r\n"); }));
    l.link.OnLinkState = nullptr;
}

TEST(LinkOpenFailure, ReasonKept)
{
    TOpenLink serial("/dev/varnscope-no-such-device");
    EXPECT_FALSE(serial.link.Enabled());
    EXPECT_FALSE(serial.link.LastOpenError().empty());

    TOpenLink tcp("tcp:127.0.0.1:1");  // nothing listens there
    EXPECT_FALSE(tcp.link.Enabled());
    EXPECT_FALSE(tcp.link.LastOpenError().empty());
}

TEST(LinkOpenFailure, ReasonsAModellerCanActOn)
{
    struct TCase {
        const char* device;
        QSerialPort::SerialPortError error;
        TPortAccess access;
        const char* expected;  // a part of the reason
    };
    const TCase cases[] = {
        {"/dev/ttyUSB0", QSerialPort::PermissionError, {true, false, "dialout"}, "add the user to the group \"dialout\""},
        {"/dev/ttyACM0", QSerialPort::PermissionError, {true, false, "uucp"}, "sudo usermod -aG uucp $USER"},
        {"/dev/ttyUSB0", QSerialPort::PermissionError, {true, false, ""}, "group \"dialout\""},
        {"/dev/ttyUSB0", QSerialPort::PermissionError, {true, true, "dialout"}, "in use by another program"},
        {"/dev/ttyUSB9", QSerialPort::DeviceNotFoundError, {false, false, ""}, "no such port"},
        {"", QSerialPort::OpenError, {false, false, ""}, "no port chosen"},
        {"/dev/ttyUSB0", QSerialPort::ResourceError, {true, true, "dialout"}, "the driver's own words"},
    };
    for (const TCase& c : cases) {
        const QString reason = PortOpenAdvice(c.device, c.error, "the driver's own words", c.access);
        EXPECT_TRUE(reason.contains(c.expected)) << c.device << ": " << reason.toStdString();
    }
}

TEST(LinkOpenFailure, PortHeldByAnotherProgram)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));

    QSerialPort holder(slave);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();
    TSerialPort second;
    std::string reason;
    EXPECT_FALSE(second.Open(slave.toStdString(), reason));
    EXPECT_NE(reason.find("in use by another program"), std::string::npos) << reason;
    holder.close();
    ::close(master);
}

TEST(SimLink, InProcessBus)
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel(500);
    ConfigureSimulatedLocoNet(s);
    TOpenLink l("sim");
    ASSERT_TRUE(l.link.Enabled());
    int empties = 0;
    l.link.OnTxEmpty = [&](TLnThreadComm&) { ++empties; };
    TLNSVProgMessage identify;
    identify.MakeSvIdentify(0, 506);
    l.link.WriteMessage(identify);
    EXPECT_TRUE(WaitFor([&] { return CountKind(l, eSvIdentifyReply) == 1; }));
    EXPECT_EQ(CountKind(l, eSvIdentify), 1);  // the echo of our own request
    EXPECT_GE(empties, 1);
    l.link.WriteMessage(Bytes({0x81, 0x7E}));
    EXPECT_TRUE(WaitFor([&] {
        return l.Count([](const TLocoNetMessage& m) { return TLNPeerXferMessage(m).IsLocoBufferReply(); }) == 1;
    }));
}

TEST(SimLink, BusShutDownUnderAnOpenLink)
{
    ConfigureSimulatedLocoNet(TSimSettings{});
    TOpenLink l("sim");
    ASSERT_TRUE(l.link.Enabled());
    ConfigureSimulatedLocoNet(TSimSettings{});  // the old bus goes away
    // A status query before the failure's event arrives must not hide the failure.
    l.link.OutQueCount();
    l.link.WriteMessage(Bytes({0x83, 0x7C}));
    EXPECT_TRUE(WaitFor([&] { return !l.link.Enabled(); }));
    ASSERT_EQ(l.errors.size(), 1u);
    EXPECT_NE(l.errors[0] & kLnErrDeviceLost, 0u);
    EXPECT_EQ(l.link.LastOpenError(), "the simulated LocoNet was shut down");
    l.link.Open();  // the new one
    EXPECT_TRUE(l.link.Enabled());
}

TEST(Cli, MonitorShowsWhatSendSends)
{
    TSimulator sim({"--no-pty", "--listen", "0"});
    ASSERT_TRUE(sim.Ready());
    const QString port = QString("tcp:127.0.0.1:%1").arg(sim.Port());
    QProcess monitor;
    monitor.start(VARNSCOPE_CLI, {"monitor", "--port", port, "--count", "3"});
    ASSERT_TRUE(WaitForMonitor(monitor));
    EXPECT_EQ(RunCli({"send", "--port", port, "B2", "00", "50", "1D"}).status, 0);
    EXPECT_EQ(RunCli({"send", "--port", port, "83 7C"}).status, 0);
    EXPECT_EQ(RunCli({"send", "--port", port, "B0", "00", "30", "7F"}).status, 0);
    ASSERT_TRUE(monitor.waitForFinished(5000));
    EXPECT_EQ(monitor.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(monitor.readAllStandardOutput()),
              "OPC_SENSORREP sensor report:1,1 On\n"
              "OPC_GPON:83 7C \n"
              "OPC_SWREQ: Switch request, point number = 1, CLOSED Pressed\n");
}

// Only the kinds asked for are printed, and --count counts only those.
TEST(Cli, MonitorKindFilters)
{
    TSimulator sim({"--no-pty", "--listen", "0"});
    ASSERT_TRUE(sim.Ready());
    const QString port = QString("tcp:127.0.0.1:%1").arg(sim.Port());
    const struct {
        QStringList options;
        QString expected;
    } cases[] = {
        {{"--kinds", "OPC_GPON,opc_swreq"}, "OPC_GPON:83 7C \nOPC_SWREQ:B0 00 30 7F \n"},
        {{"--hide-kinds", "OPC_SENSORREP:"}, "OPC_GPON:83 7C \nOPC_SWREQ:B0 00 30 7F \n"},
        {{"--kinds", "OPC_SENSORREP,OPC_GPON", "--hide-kinds", "OPC_GPON"},
         "OPC_SENSORREP:B2 00 50 1D \nOPC_SENSORREP:B2 01 50 1C \n"},
    };
    for (const auto& c : cases) {
        QProcess monitor;
        monitor.start(VARNSCOPE_CLI, QStringList{"monitor", "--port", port, "--raw", "--count", "2"} + c.options);
        ASSERT_TRUE(WaitForMonitor(monitor));
        EXPECT_EQ(RunCli({"send", "--port", port, "B2 00 50 1D"}).status, 0);
        EXPECT_EQ(RunCli({"send", "--port", port, "83 7C"}).status, 0);
        EXPECT_EQ(RunCli({"send", "--port", port, "B0 00 30 7F"}).status, 0);
        EXPECT_EQ(RunCli({"send", "--port", port, "B2 01 50 1C"}).status, 0);
        ASSERT_TRUE(monitor.waitForFinished(5000));
        EXPECT_EQ(monitor.exitCode(), 0);
        EXPECT_EQ(QString::fromUtf8(monitor.readAllStandardOutput()), c.expected) << c.options.join(' ').toStdString();
    }
}

TEST(Cli, MonitorUnknownKindIsAUsageError)
{
    for (const QString& option : {QStringLiteral("--kinds"), QStringLiteral("--hide-kinds")}) {
        const TCliRun r = RunCli({"monitor", "--port", "sim", option, "OPC_GPON,OPC_NOSUCH"});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains("OPC_NOSUCH")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("OPC_SVACCESS_Type_2")) << r.err.toStdString();  // the valid names listed
        EXPECT_FALSE(r.err.contains("monitoring")) << r.err.toStdString();
    }
}

TEST(Cli, MonitorRawTimeAndLog)
{
    TSimulator sim({"--no-pty", "--listen", "0"});
    ASSERT_TRUE(sim.Ready());
    const QString port = QString("tcp:127.0.0.1:%1").arg(sim.Port());
    QTemporaryDir dir;
    const QString log = dir.filePath("rx.log");
    QProcess monitor;
    monitor.start(VARNSCOPE_CLI, {"monitor", "--port", port, "--count", "1", "--raw", "--time", "--log", log});
    ASSERT_TRUE(WaitForMonitor(monitor));
    EXPECT_EQ(RunCli({"send", "--port", port, "B2 00 50 1D"}).status, 0);
    ASSERT_TRUE(monitor.waitForFinished(5000));
    const QString line = QString::fromUtf8(monitor.readAllStandardOutput());
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d OPC_SENSORREP:B2 00 50 1D \n$").match(line).hasMatch())
        << line.toStdString();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "b2\n0\n50\n1d\nOPC_SENSORREP:B2 00 50 1D ");
}

TEST(Cli, MonitorLogThatCannotBeOpened)
{
    TSimulator sim({"--no-pty", "--listen", "0"});
    ASSERT_TRUE(sim.Ready());
    const QString port = QString("tcp:127.0.0.1:%1").arg(sim.Port());
    const TCliRun r = RunCli({"monitor", "--port", port, "--log", "/nonexistent/dir/log.txt"});
    EXPECT_EQ(r.status, 4);
    EXPECT_FALSE(r.err.contains("monitoring")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("/nonexistent/dir/log.txt")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("No such file or directory")) << r.err.toStdString();
}

TEST(Cli, FlowOption)
{
    TSimulator sim({});
    ASSERT_TRUE(sim.Ready());
    EXPECT_EQ(RunCli({"send", "--port", sim.Pty(), "--flow", "none", "83 7C"}).status, 0);
    EXPECT_EQ(RunCli({"send", "--port", sim.Pty(), "--flow", "hardware", "83 7C"}).status, 0);
    const TCliRun bad = RunCli({"send", "--port", sim.Pty(), "--flow", "xon", "83 7C"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains("--flow")) << bad.err.toStdString();
    // Every command that opens a link takes the same port options.
    for (const QStringList& args : {QStringList{"monitor"}, QStringList{"serve", "--listen", "0"}}) {
        const QString cmd = args.first();
        const TCliRun r = RunCli(args + QStringList{"--port", sim.Pty(), "--flow", "xon"});
        EXPECT_EQ(r.status, 2) << cmd.toStdString();
        EXPECT_TRUE(r.err.contains("--flow")) << cmd.toStdString() << ": " << r.err.toStdString();
    }
}

TEST(Cli, PortThatCannotBeOpened)
{
    for (const char* cmd : {"monitor", "send"}) {
        QStringList args{cmd, "--port", "/dev/varnscope-no-such-device"};
        if (QString(cmd) == "send")
            args << "83" << "7C";
        const TCliRun r = RunCli(args);
        EXPECT_EQ(r.status, 4) << cmd;
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("error: cannot open /dev/varnscope-no-such-device: ")) << r.err.toStdString();
    }
    EXPECT_EQ(RunCli({"send", "--port", "sim", "83,7C"}).status, 2);  // unreadable message
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
