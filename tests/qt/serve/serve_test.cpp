// The LbServer serving a link: several clients, lines it cannot use, clients
// that vanish or never read; `varnscope-cli serve` over a simulated
// interface; a transfer over a network link whose server goes away.
#include "boards/core/Boarddata.h"
#include "link/Lncomm.h"
#include "link/Tsvprogmsg.h"
#include "platform/Lbserverlink.h"
#include "platform/Linkports.h"
#include "platform/Listenaddress.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <utility>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// A client of the server that collects what it is sent.
struct TClient {
    QTcpSocket socket;
    QByteArray in;

    explicit TClient(quint16 port, bool reads = true)
    {
        if (reads)
            QObject::connect(&socket, &QTcpSocket::readyRead, [this] { in += socket.readAll(); });
        else
            socket.setReadBufferSize(1);  // takes nothing more off the wire
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(2000);
    }
    int Count(const QByteArray& line) const { return int(in.count(line)); }
    bool Greeted() { return WaitFor([this] { return in.startsWith("VERSION ") && in.contains("\r\n"); }); }
};

// The simulated bus in this process behind an open link, served.
struct TServedLink {
    TLocoNetComm link{MakeLinkPort};
    std::unique_ptr<TLinkLbServer> server;
    QStringList log;

    explicit TServedLink(bool realtime = false)
    {
        TSimSettings s;
        s.boards = OneBoardOfEachModel(10);
        s.realtime = realtime;
        ConfigureSimulatedLocoNet(s);
        SimulatedLocoNet().Start();
        link.SetDeviceName("sim");
        link.OnRxMsg = [](TLnThreadComm& l, uint32_t) {
            while (l.ReadMessage()) {
            }
        };
        link.Open();
        server = std::make_unique<TLinkLbServer>(link);
        server->OnLog = [this](const QString& text) { log << text; };
        QString error;
        EXPECT_TRUE(server->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }
    ~TServedLink()
    {
        server.reset();
        link.OnRxMsg = nullptr;
        link.Close();
    }
    quint16 Port() const { return server->Port(); }
};

TEST(LbServer, RelaysToEveryClientAndAnswersEveryLine)
{
    TServedLink served;
    TClient a(served.Port()), b(served.Port()), c(served.Port());
    ASSERT_TRUE(a.Greeted() && b.Greeted() && c.Greeted());
    EXPECT_EQ(served.server->ClientCount(), 3);
    a.in.clear();
    b.in.clear();
    c.in.clear();

    a.socket.write("SEND\t83 7C\r\n");  // a tab parts the verb as well as a blank
    ASSERT_TRUE(WaitFor([&] { return a.Count("SENT OK\r\n") == 1 && b.Count("RECEIVE 83 7C\r\n") == 1 &&
                                     c.Count("RECEIVE 83 7C\r\n") == 1 && a.Count("RECEIVE 83 7C\r\n") == 1; }));
    EXPECT_EQ(b.Count("SENT"), 0);  // the answer goes to the sender only
    a.in.clear();
    b.in.clear();

    // Each line the server cannot use is answered, in order, and nothing goes on the bus.
    struct TCase {
        QByteArray line;
        QByteArray answer;
    };
    const TCase cases[] = {
        {"SEND 83 zz", "SENT ERROR not a hexadecimal byte: zz"},
        {"SEND", "SENT ERROR no bytes"},
        {"SEND 183 7C", "SENT ERROR not a hexadecimal byte: 183"},
        {"HELLO 83 7C", "SENT ERROR unknown command: HELLO"},
        {"SEND 83 7D", "SENT ERROR not a LocoNet message: wrong length or checksum"},
        {"SEND 83 7C 00", "SENT ERROR not a LocoNet message: wrong length or checksum"},
        {"SEND 03 7C", "SENT ERROR not a LocoNet message: the first byte is no opcode"},
        {"SEND B2 80 50 9D", "SENT ERROR not a LocoNet message: byte 2 has its top bit set"},
        {QByteArray(5000, 'A'), "SENT ERROR line too long"},
    };
    QByteArray expected;
    for (const TCase& t : cases) {
        a.socket.write(t.line + "\r\n");
        expected += t.answer + "\r\n";
    }
    a.socket.write("send 82 7D\n");  // still served after all that
    expected += "SENT OK\r\n";
    ASSERT_TRUE(WaitFor([&] { return b.Count("RECEIVE 82 7D\r\n") == 1 && a.Count("SENT") == int(std::size(cases)) + 1; }))
        << a.in.constData() << "|" << b.in.constData();
    QByteArray answers;
    for (const QByteArray& line : a.in.split('\n'))
        if (line.startsWith("SENT"))
            answers += line + "\n";
    EXPECT_EQ(answers, expected);
    EXPECT_EQ(b.in, "RECEIVE 82 7D\r\n");
    EXPECT_EQ(served.server->ClientCount(), 3);
}

TEST(LbServer, HalfLinesAndClientsThatVanishMidLine)
{
    TServedLink served;
    TClient a(served.Port()), b(served.Port());
    ASSERT_TRUE(a.Greeted() && b.Greeted());

    // A line in pieces is one line.
    a.socket.write("SEN");
    a.socket.flush();
    WaitFor([] { return false; }, 50);
    a.socket.write("D 83 ");
    a.socket.flush();
    WaitFor([] { return false; }, 50);
    a.socket.write("7C\r");
    ASSERT_TRUE(WaitFor([&] { return b.Count("RECEIVE 83 7C\r\n") == 1 && a.Count("SENT OK\r\n") == 1; }));

    // A client gone in the middle of a line, and one that never said anything.
    {
        TClient quitter(served.Port());
        TClient silent(served.Port());
        ASSERT_TRUE(WaitFor([&] { return served.server->ClientCount() == 4; }));
        quitter.socket.write("SEND 83 7");
        quitter.socket.flush();
        WaitFor([] { return false; }, 50);
        quitter.socket.abort();
        silent.socket.disconnectFromHost();
        ASSERT_TRUE(WaitFor([&] { return served.server->ClientCount() == 2; }));
    }
    a.socket.write("SEND 83 7C\r\n");
    ASSERT_TRUE(WaitFor([&] { return b.Count("RECEIVE 83 7C\r\n") == 2 && a.Count("SENT OK\r\n") == 2; }));
    EXPECT_EQ(b.Count("SENT"), 0);
    EXPECT_EQ(a.Count("SENT ERROR"), 0);  // the half line of the client that left reached no one
}

TEST(LbServer, DropsAClientThatNeverReads)
{
    TServedLink served;
    TClient reader(served.Port());
    TClient sleeper(served.Port(), false);
    ASSERT_TRUE(reader.Greeted());
    ASSERT_TRUE(WaitFor([&] { return served.server->ClientCount() == 2; }));
    reader.in.clear();

    // Batches the reader keeps up with, while the sleeper's share piles up.
    const QByteArray message("\xE5\x10\x00\x08\x02\x10\x0B\x00\x00\x00\x10\x00\x00\x00\x00\x00", 16);
    const QByteArray line = TLbServer::HexLine("RECEIVE", message);
    int sent = 0;
    while (served.server->ClientsDropped() == 0 && sent < 2000000) {
        for (int i = 0; i < 2000; ++i)
            served.server->Deliver(message);
        sent += 2000;
        ASSERT_TRUE(WaitFor([&] { return reader.in.size() == qsizetype(sent) * line.size(); }, 10000)) << sent;
    }
    EXPECT_EQ(served.server->ClientsDropped(), 1u);
    EXPECT_EQ(served.server->ClientCount(), 1);
    ASSERT_EQ(served.log.size(), 1);
    EXPECT_TRUE(served.log[0].startsWith("dropped client 127.0.0.1:")) << served.log[0].toStdString();
    EXPECT_TRUE(served.log[0].endsWith("unread")) << served.log[0].toStdString();

    // The one who reads goes on as before.
    reader.socket.write("SEND 83 7C\r\n");
    EXPECT_TRUE(WaitFor([&] { return reader.in.endsWith("RECEIVE 83 7C\r\n") || reader.Count("RECEIVE 83 7C\r\n") == 1; }));
    EXPECT_EQ(reader.Count("SENT OK\r\n"), 1);
}

// A client that reads, but sends a burst whose answers outgrow the unread
// limit, is a fast sender: slowed down, every line answered, never dropped.
TEST(LbServer, AFastSenderThatReadsIsNotTakenForASlowReader)
{
    struct TCase {
        QByteArray line;
        int times;
        QByteArray answer;  // of the last line
    };
    const TCase cases[] = {
        {"SEND 83 7C", 25000, {}},                            // answers and echoes
        {"X", 50000, "SENT ERROR unknown command: X\r\n"},  // each answer ten times its line
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.line.constData());
        TServedLink served;
        TClient a(served.Port()), b(served.Port());
        ASSERT_TRUE(a.Greeted() && b.Greeted());
        a.in.clear();
        QByteArray burst;
        for (int i = 0; i < c.times; ++i)
            burst += c.line + "\r\n";
        a.socket.write(burst);
        ASSERT_TRUE(WaitFor([&] { return a.Count("SENT ") == c.times || served.server->ClientsDropped() > 0; }, 60000))
            << a.Count("SENT ");
        EXPECT_EQ(served.server->ClientsDropped(), 0u) << served.log.join('\n').toStdString();
        EXPECT_EQ(served.server->ClientCount(), 2);
        EXPECT_EQ(a.Count("SENT "), c.times);
        if (!c.answer.isEmpty()) {
            EXPECT_TRUE(a.in.endsWith(c.answer));
        }
    }
}

TEST(LbServer, AFloodOfMessagesIsRefusedOnceTheInterfaceIsBusy)
{
    TServedLink served(true);  // the bus carries about 400 short messages a second
    TClient a(served.Port());
    ASSERT_TRUE(a.Greeted());
    a.in.clear();
    constexpr int kSent = 3000;
    QByteArray flood;
    for (int i = 0; i < kSent; ++i)
        flood += "SEND 83 7C\r\n";
    a.socket.write(flood);
    ASSERT_TRUE(WaitFor([&] { return a.Count("SENT") == kSent; }, 10000)) << a.Count("SENT");
    EXPECT_GT(a.Count("SENT ERROR the interface is busy\r\n"), 0);
    EXPECT_EQ(a.Count("SENT OK\r\n") + a.Count("SENT ERROR the interface is busy\r\n"), kSent);
    EXPECT_LE(served.link.QueTxMsgCount(), TLinkBusSide::kMaxQueuedMessages);
}

TEST(LbServer, ListenAddresses)
{
    struct TCase {
        QString text;
        bool ok;
        QString shown;
    };
    const TCase cases[] = {
        {"1234", true, "127.0.0.1:1234"},
        {"localhost:0", true, "127.0.0.1:0"},
        {"*:5550", true, "*:5550"},  // both every IPv4 and every IPv6 address
        {"0.0.0.0:5550", true, "*:5550"},
        {"192.168.1.5:1234", true, "192.168.1.5:1234"},
        {"[::1]:99", true, "[::1]:99"},
        {"host.example:1234", false, {}},
        {"65536", false, {}},
        {"", false, {}},
    };
    for (const TCase& c : cases) {
        QHostAddress host;
        quint16 port = 0;
        EXPECT_EQ(ReadListenAddress(c.text, host, port), c.ok) << c.text.toStdString();
        if (c.ok) {
            EXPECT_EQ(ListenAddressText(host, port), c.shown);
            EXPECT_EQ(ListensEverywhere(host), c.shown.startsWith("*")) << c.text.toStdString();
        }
    }
}

// A varnscope-cli run in the background, its banner read up to "ready".
class TBackground {
public:
    explicit TBackground(const QStringList& args)
    {
        process_.start(VARNSCOPE_CLI, args);
        QDeadlineTimer deadline(10000);
        while (!out_.contains("ready\n") && !deadline.hasExpired() && process_.state() != QProcess::NotRunning)
            if (process_.waitForReadyRead(100))
                out_ += process_.readAllStandardOutput();
        for (const QByteArray& line : out_.split('\n'))
            if (line.startsWith("listen: ")) {
                listen_ = QString::fromUtf8(line.mid(8));
                port_ = line.mid(line.lastIndexOf(':') + 1).toInt();
            }
    }
    ~TBackground()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    bool Ready() const { return out_.contains("ready\n"); }
    quint16 Port() const { return quint16(port_); }
    const QString& Listen() const { return listen_; }  // the listen line's address
    QProcess& Process() { return process_; }

private:
    QProcess process_;
    QString listen_;
    QByteArray out_;
    int port_ = 0;
};

int RunCli(const QStringList& args, QString* err = nullptr)
{
    QProcess p;
    p.start(VARNSCOPE_CLI, args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(ServeCli, ServesAnInterfaceUntilStopped)
{
    QTemporaryDir dir;
    const QString pty = dir.filePath("loconet");
    TBackground sim({"simulate", "--pty", pty, "--board", "TEL90:301"});
    ASSERT_TRUE(sim.Ready());
    TBackground serve({"serve", "--port", pty, "--listen", "0"});
    ASSERT_TRUE(serve.Ready());
    ASSERT_GT(serve.Port(), 0);

    TClient a(serve.Port()), b(serve.Port());
    ASSERT_TRUE(a.Greeted() && b.Greeted());
    // An SV discover through the interface: the board's reply reaches both.
    TLNSVProgMessage discover;
    discover.MakeSvDiscover(0);
    const QByteArray bytes(reinterpret_cast<const char*>(discover.Data()), qsizetype(discover.Length()));
    a.socket.write(TLbServer::HexLine("SEND", bytes));
    ASSERT_TRUE(WaitFor([&] { return a.Count("SENT OK\r\n") == 1 && b.Count("RECEIVE E5 10") >= 2; }, 5000))
        << a.in.constData() << "|" << b.in.constData();
    EXPECT_TRUE(b.in.contains(TLbServer::HexLine("RECEIVE", bytes))) << b.in.constData();

    ::kill(pid_t(serve.Process().processId()), SIGTERM);
    ASSERT_TRUE(serve.Process().waitForFinished(5000));
    EXPECT_EQ(serve.Process().exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return a.socket.state() == QAbstractSocket::UnconnectedState; }));

    QString err;
    EXPECT_EQ(RunCli({"serve", "--port", dir.filePath("no-such-tty"), "--listen", "0"}, &err), 4);
    EXPECT_TRUE(err.startsWith("error: cannot open ")) << err.toStdString();
    EXPECT_EQ(RunCli({"serve", "--port", "sim"}, &err), 2);
    EXPECT_EQ(err, "error: --listen is required\n");
    EXPECT_EQ(RunCli({"serve", "--port", "sim", "--listen", "nowhere:12"}, &err), 2);
}

// What the listen line says is what takes connections, and listening on
// every address says once that anyone there may drive the layout.
TEST(ServeCli, ListenLineAndWarning)
{
    QTcpServer probe;
    const bool ipv6 = probe.listen(QHostAddress::LocalHostIPv6, 0);
    probe.close();
    struct TCase {
        QStringList args;
        QString shown;  // the listen line up to the port
        bool warns;
        bool takesIpv4;
        bool takesIpv6;
    };
    const TCase cases[] = {
        {{"simulate", "--no-pty", "--listen", "0.0.0.0:0"}, "*:", true, true, true},
        {{"serve", "--port", "sim", "--listen", "*:0"}, "*:", true, true, true},
        {{"simulate", "--no-pty", "--listen", "0"}, "127.0.0.1:", false, true, false},
        {{"serve", "--port", "sim", "--listen", "[::1]:0"}, "[::1]:", false, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        if (!ipv6 && c.shown == "[::1]:")
            continue;
        TBackground server(c.args);
        ASSERT_TRUE(server.Ready());
        ASSERT_GT(server.Port(), 0);
        EXPECT_EQ(server.Listen(), c.shown + QString::number(server.Port()));
        for (const auto& [address, takes] : {std::pair{QHostAddress(QHostAddress::LocalHost), c.takesIpv4},
                                             std::pair{QHostAddress(QHostAddress::LocalHostIPv6), c.takesIpv6 && ipv6}}) {
            QTcpSocket client;
            client.connectToHost(address, server.Port());
            EXPECT_EQ(client.waitForConnected(2000), takes) << address.toString().toStdString();
        }
        server.Process().terminate();
        ASSERT_TRUE(server.Process().waitForFinished(5000));
        const QString err = QString::fromUtf8(server.Process().readAllStandardError());
        const QString warning = QString("warning: listening on every address without authentication: anyone who "
                                        "reaches port %1 can drive the layout\n")
                                    .arg(server.Port());
        EXPECT_EQ(err.count(warning), c.warns ? 1 : 0) << err.toStdString();
        EXPECT_EQ(err.count("warning"), c.warns ? 1 : 0) << err.toStdString();
    }
}

TEST(ServeCli, TransferEndsAsAFailureWhenTheServerGoes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("pax66.csv");
    {
        TBoardData boards;
        ASSERT_TRUE(boards.AppendBoard(btPAX66));
        boards.BoardAt(btPAX66, 0)->SetSerialNumber(107);
        ASSERT_TRUE(boards.SaveListAs(btPAX66, file.toStdString())) << boards.LastErrorText();
    }
    TBackground sim({"simulate", "--no-pty", "--listen", "0", "--realtime", "--board", "PAX66:107"});
    ASSERT_TRUE(sim.Ready());
    const QString port = QString("tcp:127.0.0.1:%1").arg(sim.Port());
    QProcess program;
    program.start(VARNSCOPE_CLI, {"program", "--port", port, "--type", "PAX66", file});
    QByteArray out;
    QDeadlineTimer deadline(10000);
    // Into the data blocks, where the sequencer waits for each reply.
    while (!out.contains("Beginning Read or write") && !deadline.hasExpired() && program.state() != QProcess::NotRunning)
        if (program.waitForReadyRead(50))
            out += program.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Beginning Read or write")) << out.constData();
    program.waitForFinished(200);
    ASSERT_EQ(program.state(), QProcess::Running) << out.constData();
    sim.Process().kill();
    sim.Process().waitForFinished(2000);
    ASSERT_TRUE(program.waitForFinished(10000));
    out += program.readAllStandardOutput();
    const QString err = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(program.exitCode(), 1) << out.constData();
    EXPECT_TRUE(err.startsWith("error: " + port + ": the link failed: connection to 127.0.0.1:")) << err.toStdString();
    EXPECT_TRUE(err.contains(" lost: ")) << err.toStdString();
    EXPECT_FALSE(out.contains("Successfully")) << out.constData();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
