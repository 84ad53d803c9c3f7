// The MQTT bridge against a real Mosquitto broker started for each test on a
// free loopback port: raw and objects styles both ways over the simulated
// LocoNet, refused publications, writing off by default, a broker restart in
// the middle of the traffic, and `varnscope-cli mqtt` with its last will.
#include "link/Lncomm.h"
#include "link/Lndecoders.h"
#include "mqtt/Mqttbridge.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <mosquitto.h>

#include <atomic>
#include <csignal>
#include <unistd.h>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

QString BrokerProgram()
{
    QString path = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin")});
    return path;
}

// A broker started by root drops to the user "mosquitto", who cannot read
// the test's private folder: it stays the user it was started as.
QString RunAs()
{
    return ::geteuid() == 0 ? QStringLiteral("user root\n") : QString();
}

// A Mosquitto broker of the test's own, on loopback, keeping nothing on disk:
// what is retained after a restart was published again.
class TBroker {
public:
    TBroker()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
        config.open(QIODevice::WriteOnly);
        config.write((QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                          .arg(port_) +
                      RunAs())
                         .toUtf8());
        config.close();
        Start();
    }
    ~TBroker() { Stop(); }

    bool Start()
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(BrokerProgram(), {QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
        if (!process_.waitForStarted(5000))
            return false;
        return WaitFor([this] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            return socket.waitForConnected(200);
        });
    }
    void Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(2000);
    }
    int Port() const { return port_; }
    QByteArray Output() { return process_.readAll(); }
    const QTemporaryDir& Dir() const { return dir_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// Another device at the broker: subscribes to everything under the prefix
// and publishes what the test asks.
class TDevice {
public:
    explicit TDevice(int port, const char* subscription = "loconet/#")
        : subscription_(subscription)
    {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<TDevice*>(self)->subscription_.constData(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<TDevice*>(self)->subscribed_ = true;
        });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* device = static_cast<TDevice*>(self);
            std::lock_guard<std::mutex> lock(device->mutex_);
            device->received_.push_back({QString::fromUtf8(m->topic),
                                         QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain});
        });
        mosquitto_connect(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
        WaitFor([this] { return subscribed_.load(); });
    }
    ~TDevice()
    {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    bool Subscribed() const { return subscribed_; }
    void Publish(const QString& topic, const QByteArray& payload)
    {
        mosquitto_publish(mosq_, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(), 1,
                          false);
    }
    struct TReceived {
        QString topic;
        QByteArray payload;
        bool retained;
    };
    std::vector<TReceived> On(const QString& topic) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<TReceived> found;
        for (const TReceived& r : received_)
            if (r.topic == topic)
                found.push_back(r);
        return found;
    }
    int Count(const QString& topic) const { return int(On(topic).size()); }
    QByteArray Last(const QString& topic) const
    {
        const auto found = On(topic);
        return found.empty() ? QByteArray() : found.back().payload;
    }
    bool Has(const QString& topic, const QByteArray& payload) const
    {
        for (const TReceived& r : On(topic))
            if (r.payload == payload)
                return true;
        return false;
    }

private:
    QByteArray subscription_;
    mosquitto* mosq_ = nullptr;
    std::atomic<bool> subscribed_{false};
    mutable std::mutex mutex_;
    std::vector<TReceived> received_;
};

// A sensor report from a board on the simulated bus.
void PutSensor(int board, int input, bool on)
{
    const TLNSensFBMessage report(board, input, on);
    SimulatedLocoNet().Bus().Send(QByteArray(reinterpret_cast<const char*>(report.Data()), int(report.Length())));
}

QJsonObject Json(const QByteArray& payload)
{
    return QJsonDocument::fromJson(payload).object();
}

// The quiet simulated LocoNet (no boards, no trains) behind an open link
// whose messages all go to the bridge, as the command line wires them.
class TBridgeRig {
public:
    TBridgeRig(int brokerPort, EMqttStyle style, bool write)
    {
        TSimSettings quiet;
        quiet.locoBuffer = false;
        ConfigureSimulatedLocoNet(quiet);
        SimulatedLocoNet().Start();
        link.SetDeviceName("sim");
        link.Open();
        TMqttSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = brokerPort;
        settings.style = style;
        settings.write = write;
        bridge = std::make_unique<TMqttBridge>(link, settings);
        link.OnRxMsg = [this](TLnThreadComm& sender, uint32_t) {
            while (std::unique_ptr<TLocoNetMessage> message = sender.ReadMessage()) {
                bus.push_back(QByteArray(reinterpret_cast<const char*>(message->Data()), int(message->Length())));
                bridge->OnMessage(*message);
            }
        };
        QString error;
        EXPECT_TRUE(bridge->Start(error)) << error.toStdString();
        EXPECT_TRUE(WaitFor([this] { return bridge->State() == TMqttBridge::EState::Connected; }));
    }
    ~TBridgeRig()
    {
        bridge.reset();
        link.OnRxMsg = nullptr;
        link.Close();
    }
    bool BusHas(const QByteArray& hex) const
    {
        for (const QByteArray& m : bus)
            if (m.toHex(' ').toUpper() == hex)
                return true;
        return false;
    }

    TLocoNetComm link{MakeLinkPort};
    std::unique_ptr<TMqttBridge> bridge;
    std::vector<QByteArray> bus;  // what the link received, our own messages too
};

class MqttBroker : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (BrokerProgram().isEmpty())
            GTEST_SKIP() << "no mosquitto broker on this computer";
        broker = std::make_unique<TBroker>();
    }
    std::unique_ptr<TBroker> broker;
};

TEST_F(MqttBroker, RawStyleBothWaysAndMalformedTxRefused)
{
    TDevice device(broker->Port());
    ASSERT_TRUE(device.Subscribed());
    TBridgeRig rig(broker->Port(), EMqttStyle::Raw, true);
    ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/status", "online"); }));

    PutSensor(3, 5, true);
    ASSERT_TRUE(WaitFor([&] { return device.Count("loconet/rx") == 1; }));
    const QJsonObject sensor = Json(device.Last("loconet/rx"));
    EXPECT_EQ(sensor.value("hex").toString(), QStringLiteral("B2 12 50 0F"));
    EXPECT_EQ(sensor.value("kind").toString(), QStringLiteral("OPC_SENSORREP"));
    EXPECT_FALSE(sensor.value("time").toString().isEmpty());
    EXPECT_EQ(device.Count("loconet/sensor/3/5"), 0) << "the raw style keeps no state topics";

    // A device's message goes onto the bus, and comes back from it on rx.
    device.Publish("loconet/tx", "B0 0B 30 74");
    ASSERT_TRUE(WaitFor([&] { return rig.BusHas("B0 0B 30 74"); }));
    ASSERT_TRUE(WaitFor([&] { return device.Count("loconet/rx") == 2; }));
    EXPECT_EQ(Json(device.Last("loconet/rx")).value("kind").toString(), QStringLiteral("OPC_SWREQ"));

    const QByteArray malformed[] = {"B0 0B 30 75", "B0 0B", "0B B0 30 74", "B0 8B 30 74", "hello", "", "{\"hex\":1}"};
    for (const QByteArray& payload : malformed)
        device.Publish("loconet/tx", payload);
    ASSERT_TRUE(WaitFor([&] { return device.Count("loconet/error") == int(std::size(malformed)); }));
    for (const auto& error : device.On("loconet/error")) {
        const QJsonObject answer = Json(error.payload);
        EXPECT_EQ(answer.value("topic").toString(), QStringLiteral("loconet/tx"));
        EXPECT_FALSE(answer.value("error").toString().isEmpty()) << error.payload.toStdString();
        EXPECT_FALSE(error.retained);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.bus.size(), 2u) << "nothing malformed reached the bus";
    EXPECT_EQ(rig.bridge->Sent(), 1u);
    EXPECT_EQ(rig.bridge->Refused(), std::size(malformed));
}

TEST_F(MqttBroker, ObjectsStyleBothWaysWithRetainedState)
{
    TBridgeRig rig(broker->Port(), EMqttStyle::Objects, true);
    {
        TDevice device(broker->Port());
        ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/status", "online"); }));
        device.Publish("loconet/switch/7/set", "closed");
        device.Publish("loconet/switch/2048/set", "thrown");
        device.Publish("loconet/power/set", "on");
        device.Publish("loconet/switch/2049/set", "closed");
        PutSensor(2, 16, true);
        ASSERT_TRUE(WaitFor([&] {
            return device.Has("loconet/switch/7", "closed") && device.Has("loconet/switch/2048", "thrown") &&
                   device.Has("loconet/power", "on") && device.Has("loconet/sensor/2/16", "on") &&
                   device.Count("loconet/error") == 1;
        }));
        EXPECT_TRUE(rig.BusHas("83 7C"));
        EXPECT_EQ(device.Count("loconet/rx"), 0) << "the objects style sends no raw messages";
        // A repeated report changes nothing, so it is not published again.
        PutSensor(2, 16, true);
        PutSensor(2, 16, false);
        ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/sensor/2/16", "off"); }));
        EXPECT_EQ(device.Count("loconet/sensor/2/16"), 2);
    }
    // A device that comes later is told the state at once, by the broker.
    TDevice later(broker->Port());
    ASSERT_TRUE(WaitFor([&] {
        return later.Count("loconet/switch/7") == 1 && later.Count("loconet/power") == 1 &&
               later.Count("loconet/sensor/2/16") == 1 && later.Count("loconet/status") == 1;
    }));
    for (const char* topic : {"loconet/switch/7", "loconet/power", "loconet/sensor/2/16", "loconet/status"})
        EXPECT_TRUE(later.On(topic).front().retained) << topic;
    EXPECT_EQ(later.Last("loconet/sensor/2/16"), "off");
    EXPECT_EQ(later.Last("loconet/status"), "online");
}

TEST_F(MqttBroker, WritingIsOffUnlessAsked)
{
    TDevice device(broker->Port());
    TBridgeRig rig(broker->Port(), EMqttStyle::Both, false);
    // The bridge says it is online after it subscribed, and the broker keeps that order.
    ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/status", "online"); }));
    device.Publish("loconet/tx", "83 7C");
    device.Publish("loconet/switch/3/set", "closed");
    device.Publish("loconet/power/set", "off");
    ASSERT_TRUE(WaitFor([&] { return device.Count("loconet/error") == 3; }));
    for (const auto& error : device.On("loconet/error"))
        EXPECT_TRUE(Json(error.payload).value("error").toString().contains(QStringLiteral("off")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.bus.empty());
    EXPECT_EQ(rig.bridge->Sent(), 0u);
}

// The broker goes away in the middle of the traffic and comes back empty
// (it keeps nothing on disk): the bridge connects again by itself, says what
// it dropped meanwhile, and the retained state is there again.
TEST_F(MqttBroker, BrokerRestartMidStream)
{
    TBridgeRig rig(broker->Port(), EMqttStyle::Both, true);
    {
        TDevice device(broker->Port());
        PutSensor(1, 1, true);
        ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/sensor/1/1", "on"); }));
    }
    broker->Stop();
    ASSERT_TRUE(WaitFor([&] { return rig.bridge->State() == TMqttBridge::EState::Reconnecting; }));
    constexpr int kWhileAway = 25;
    for (int i = 0; i < kWhileAway; ++i)
        PutSensor(4, 1 + i % 16, i % 2 == 0);
    ASSERT_TRUE(WaitFor([&] { return rig.bus.size() == 1u + kWhileAway; }));
    EXPECT_EQ(rig.bridge->Dropped(), uint64_t(kWhileAway));
    EXPECT_TRUE(rig.bridge->StateText().contains(QStringLiteral("reconnecting")));
    EXPECT_TRUE(rig.bridge->StateText().contains(QStringLiteral("25 dropped"))) << rig.bridge->StateText().toStdString();

    ASSERT_TRUE(broker->Start());
    ASSERT_TRUE(WaitFor([&] { return rig.bridge->State() == TMqttBridge::EState::Connected; },
                        int(TMqttBridge::kMaxRetrySeconds + 4) * 1000));
    EXPECT_EQ(rig.bridge->Reconnects(), 1);
    TDevice device(broker->Port());
    // The broker hands retained topics over in an order of its own: wait for all of them.
    ASSERT_TRUE(WaitFor([&] {
        for (int input = 1; input <= 16; ++input)
            if (device.Count(QStringLiteral("loconet/sensor/4/%1").arg(input)) != 1)
                return false;
        return device.Has("loconet/sensor/1/1", "on") && device.Has("loconet/status", "online");
    }));
    // The last report of each sensor while away is the state given back.
    EXPECT_EQ(device.Last("loconet/sensor/4/9"), "on");
    EXPECT_EQ(device.Last("loconet/sensor/4/10"), "off");
    // Subscribed again: devices are heard as before.
    device.Publish("loconet/power/set", "off");
    ASSERT_TRUE(WaitFor([&] { return device.Has("loconet/power", "off"); }));
    EXPECT_EQ(rig.bridge->Dropped(), uint64_t(kWhileAway)) << "nothing dropped once connected";
}

struct TCliRun {
    QProcess process;
    QByteArray err;

    explicit TCliRun(const QStringList& args)
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] { err += process.readAllStandardError(); });
        process.start(QStringLiteral(VARNSCOPE_CLI), args);
    }
    ~TCliRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

// The command line connects, says so, and when it dies without a word the
// broker tells the devices it is offline; a clean end says so too.
TEST_F(MqttBroker, CommandLineBridgeAndItsLastWill)
{
    TDevice device(broker->Port(), "bus1/#");
    const QStringList args = {"mqtt", "--port", "sim", "--broker", QStringLiteral("127.0.0.1:%1").arg(broker->Port()),
                              "--prefix", "bus1", "--style", "objects", "--write"};
    {
        TCliRun cli(args);
        ASSERT_TRUE(WaitFor([&] { return cli.err.contains("broker: connected"); }, 8000)) << cli.err.toStdString();
        ASSERT_TRUE(WaitFor([&] { return device.Has("bus1/status", "online"); }));
        device.Publish("bus1/power/set", "on");
        ASSERT_TRUE(WaitFor([&] { return device.Has("bus1/power", "on"); })) << cli.err.toStdString();
        ::kill(pid_t(cli.process.processId()), SIGKILL);
        ASSERT_TRUE(WaitFor([&] { return device.Has("bus1/status", "offline"); }));
    }
    TCliRun cli(args);
    ASSERT_TRUE(WaitFor([&] { return device.Count("bus1/status") == 3; }, 8000)) << cli.err.toStdString();
    cli.process.terminate();
    ASSERT_TRUE(cli.process.waitForFinished(5000));
    EXPECT_EQ(cli.process.exitCode(), 0) << cli.err.toStdString();
    // The clean end's own "offline"; the broker may add its will as the socket closes.
    ASSERT_TRUE(WaitFor([&] { return device.Count("bus1/status") >= 4; })) << [&] {
        std::string seen;
        for (const auto& r : device.On("bus1/status"))
            seen += r.payload.toStdString() + " ";
        return seen + cli.err.toStdString();
    }();
    EXPECT_EQ(device.Last("bus1/status"), "offline");
}

// A broker that asks for a password: the password comes from its file, is
// never printed, and a wrong one is said, not taken for a connection.
TEST_F(MqttBroker, PasswordFromItsFileOnly)
{
    const QString passwd = QStandardPaths::findExecutable(QStringLiteral("mosquitto_passwd"));
    if (passwd.isEmpty())
        GTEST_SKIP() << "no mosquitto_passwd";
    broker->Stop();
    const QString users = broker->Dir().filePath(QStringLiteral("users"));
    ASSERT_EQ(QProcess::execute(passwd, {"-c", "-b", users, "signalman", "Semaphore-42"}), 0);
    QFile config(broker->Dir().filePath(QStringLiteral("mosquitto.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write((QStringLiteral("listener %1 127.0.0.1\nallow_anonymous false\npassword_file %2\npersistence false\n")
                      .arg(broker->Port())
                      .arg(users) +
                  RunAs())
                     .toUtf8());
    config.close();
    ASSERT_TRUE(broker->Start()) << broker->Output().toStdString();

    const auto passwordFile = [&](const char* name, const QByteArray& content) {
        QFile file(broker->Dir().filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return file.fileName();
    };
    const QString broker1 = QStringLiteral("127.0.0.1:%1").arg(broker->Port());
    const QStringList base = {"mqtt", "--port", "sim", "--broker", broker1, "--user", "signalman"};
    {
        TCliRun good(base + QStringList{"--password-file", passwordFile("good", "Semaphore-42\n")});
        ASSERT_TRUE(WaitFor([&] { return good.err.contains("broker: connected"); }, 8000)) << good.err.toStdString();
        good.process.terminate();
        ASSERT_TRUE(good.process.waitForFinished(5000));
        const QByteArray out = good.process.readAllStandardOutput() + good.err;
        EXPECT_FALSE(out.contains("Semaphore")) << out.toStdString();
    }
    {
        TCliRun wrong(base + QStringList{"--password-file", passwordFile("wrong", "Semaphore-43\n")});
        ASSERT_TRUE(WaitFor([&] { return wrong.err.contains("not authorised") || wrong.err.contains("not authorized"); },
                            8000))
            << wrong.err.toStdString();
        EXPECT_FALSE(wrong.err.contains("broker: connected"));
        EXPECT_FALSE(wrong.err.contains("Semaphore"));
    }
    struct TUsage {
        QStringList args;
        int status;
    } const usages[] = {
        {{"mqtt", "--port", "sim", "--broker", broker1, "--user", "signalman", "--password", "Semaphore-42"}, 2},
        {{"mqtt", "--port", "sim", "--broker", broker1, "--password-file", passwordFile("alone", "x\n")}, 2},
        {{"mqtt", "--port", "sim", "--broker", broker1, "--user", "u", "--password-file", "/nonexistent/pw"}, 4},
        {{"mqtt", "--port", "sim", "--broker", broker1, "--tls-ca", "/nonexistent/ca.pem"}, 4},
        {{"mqtt", "--port", "sim"}, 2},
        {{"mqtt", "--port", "sim", "--broker", broker1, "--style", "json"}, 2},
        {{"mqtt", "--port", "sim", "--broker", broker1, "--prefix", "a/#"}, 2},
    };
    for (const TUsage& usage : usages) {
        QProcess process;
        process.start(QStringLiteral(VARNSCOPE_CLI), usage.args);
        ASSERT_TRUE(process.waitForFinished(8000)) << usage.args.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), usage.status) << usage.args.join(' ').toStdString();
        EXPECT_FALSE(process.readAll().contains("Semaphore"));
    }
}

// TLS: the broker's certificate is checked against the CA file given; a
// certificate from another authority is never taken for the broker.
TEST_F(MqttBroker, TlsTrustsOnlyTheCaGiven)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        GTEST_SKIP() << "no openssl to make certificates with";
    broker->Stop();
    const QTemporaryDir& dir = broker->Dir();
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const auto run = [&openssl](const QStringList& args) { return QProcess::execute(openssl, args); };
    {
        QFile san(path("san.ext"));
        ASSERT_TRUE(san.open(QIODevice::WriteOnly));
        san.write("subjectAltName=IP:127.0.0.1\n");
    }
    for (const char* ca : {"ca", "other-ca"})
        ASSERT_EQ(run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path(ca) + ".key", "-out",
                       path(ca) + ".pem", "-days", "2", "-subj", QStringLiteral("/CN=%1").arg(ca)}),
                  0);
    ASSERT_EQ(run({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", path("server.key"), "-out", path("server.csr"),
                   "-subj", "/CN=127.0.0.1"}),
              0);
    ASSERT_EQ(run({"x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
                   "-CAcreateserial", "-out", path("server.pem"), "-days", "2", "-extfile", path("san.ext")}),
              0);
    QFile config(path("mosquitto.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write((QStringLiteral("listener %1 127.0.0.1\ncafile %2\ncertfile %3\nkeyfile %4\nallow_anonymous true\n"
                                 "persistence false\n")
                      .arg(broker->Port())
                      .arg(path("ca.pem"), path("server.pem"), path("server.key")) +
                  RunAs())
                     .toUtf8());
    config.close();
    ASSERT_TRUE(broker->Start()) << broker->Output().toStdString();

    const QString address = QStringLiteral("127.0.0.1:%1").arg(broker->Port());
    {
        TCliRun trusted({"mqtt", "--port", "sim", "--broker", address, "--tls-ca", path("ca.pem")});
        ASSERT_TRUE(WaitFor([&] { return trusted.err.contains("broker: connected"); }, 8000))
            << trusted.err.toStdString();
    }
    // Refused at the handshake: said at once, as a setting that will not get better.
    TCliRun stranger({"mqtt", "--port", "sim", "--broker", address, "--tls-ca", path("other-ca.pem")});
    ASSERT_TRUE(stranger.process.waitForFinished(8000))
        << (stranger.err + stranger.process.readAllStandardError()).toStdString();
    stranger.err += stranger.process.readAllStandardError();
    EXPECT_EQ(stranger.process.exitCode(), 4) << stranger.err.toStdString();
    EXPECT_TRUE(stranger.err.contains("TLS")) << stranger.err.toStdString();
    EXPECT_FALSE(stranger.err.contains("broker: connected"));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
