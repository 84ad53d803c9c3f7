// What the MQTT bridge adds between the bus and a device: the simulated
// LocoNet in this process carries sensor reports at a steady rate (800 a
// second by default, a busy layout's load), the bridge publishes each on rx
// to a Mosquitto broker started for the run on a loopback port, and a
// subscriber in this process reads them back. The time runs from the report
// going on the bus to the subscriber holding its JSON, so it includes the
// link's framing, the JSON, the broker and both loopback hops.
//
//   bench_mqtt_bridge [messages a second] [seconds]
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
#include <QTimer>

#include <mosquitto.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU time of a process from /proc, in seconds (Linux).
double ProcessCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15, counted from the pid.
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct TSubscriber {
    std::vector<TClock::time_point> sent;
    std::vector<double> latencyUs;  // by sequence number, -1 until read
    std::atomic<int> received{0};
    std::atomic<bool> ready{false};
    std::atomic<double> cpu{0};  // the subscriber thread's own CPU time [s]
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rate = argc > 1 ? std::max(1, atoi(argv[1])) : 800;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const int total = rate * seconds;
    // One sensor per message in each lap of 4096, so each report is told apart by its bytes.
    constexpr int kSensors = 256 * 16;

    const QString broker = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"),
                                                                                        QStringLiteral("/usr/bin")});
    if (broker.isEmpty()) {
        std::fprintf(stderr, "no mosquitto broker\n");
        return 1;
    }
    QTemporaryDir dir;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    QFile config(dir.filePath(QStringLiteral("mosquitto.conf")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n%2")
                     .arg(port)
                     .arg(geteuid() == 0 ? QStringLiteral("user root\n") : QString())
                     .toUtf8());
    config.close();
    QProcess brokerProcess;
    brokerProcess.start(broker, {QStringLiteral("-c"), config.fileName()});
    brokerProcess.waitForStarted();
    for (QDeadlineTimer up(5000); !up.hasExpired();) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(200))
            break;
    }

    TSimSettings quiet;
    quiet.locoBuffer = false;
    ConfigureSimulatedLocoNet(quiet);
    TLocoNetComm link(MakeLinkPort);
    link.SetDeviceName("sim");
    link.Open();
    TMqttSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    TMqttBridge bridge(link, settings);
    link.OnRxMsg = [&bridge](TLnThreadComm& sender, uint32_t) {
        while (std::unique_ptr<TLocoNetMessage> message = sender.ReadMessage())
            bridge.OnMessage(*message);
    };
    QString error;
    if (!bridge.Start(error)) {
        std::fprintf(stderr, "cannot start the bridge: %s\n", qPrintable(error));
        return 1;
    }

    TSubscriber sub;
    sub.sent.resize(size_t(total));
    sub.latencyUs.assign(size_t(total), -1);
    mosquitto_lib_init();
    mosquitto* client = mosquitto_new(nullptr, true, &sub);
    mosquitto_int_option(client, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(client, [](mosquitto* m, void*, int) {
        mosquitto_subscribe(m, nullptr, "loconet/rx", 0);
    });
    mosquitto_subscribe_callback_set(client, [](mosquitto*, void* self, int, int, const int*) {
        static_cast<TSubscriber*>(self)->ready = true;
    });
    mosquitto_message_callback_set(client, [](mosquitto*, void* self, const mosquitto_message* m) {
        const TClock::time_point now = TClock::now();
        auto* s = static_cast<TSubscriber*>(self);
        const QByteArray hex = QJsonDocument::fromJson(QByteArray(static_cast<const char*>(m->payload), m->payloadlen))
                                   .object()
                                   .value(QStringLiteral("hex"))
                                   .toString()
                                   .toLatin1();
        const TLocoNetMessage report{std::string_view(hex.constData(), size_t(hex.size()))};
        int board = 0;
        int input = 0;
        bool on = false;
        if (TLNSensFBMessage(report).GetSensorReport(board, input, on)) {
            // The lap is told by the state: even laps report on, odd ones off;
            // a report older than two laps would be taken for a newer one.
            const int sensor = (board - 1) * 16 + (input - 1);
            const int done = s->received.load();
            int lap = done / kSensors;
            if ((lap % 2 == 0) != on)
                ++lap;
            const int seq = lap * kSensors + sensor;
            if (seq < int(s->sent.size()) && s->latencyUs[size_t(seq)] < 0) {
                s->latencyUs[size_t(seq)] =
                    double(std::chrono::duration_cast<std::chrono::nanoseconds>(now - s->sent[size_t(seq)]).count()) /
                    1000.0;
                ++s->received;
            }
        }
        s->cpu = ThreadCpuSeconds();
    });
    mosquitto_connect(client, "127.0.0.1", port, 30);
    mosquitto_loop_start(client);
    for (QDeadlineTimer up(5000); !(sub.ready && bridge.State() == TMqttBridge::EState::Connected) && !up.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const double brokerBefore = ProcessCpuSeconds(brokerProcess.processId());
    const TClock::time_point start = TClock::now();
    int next = 0;
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        // Every report that is due by now, so the rate holds on a coarse timer.
        const double elapsed = std::chrono::duration<double>(TClock::now() - start).count();
        const int due = std::min(total, int(elapsed * rate) + 1);
        for (; next < due; ++next) {
            const int sensor = next % kSensors;
            const bool on = (next / kSensors) % 2 == 0;
            const TLNSensFBMessage report(sensor / 16 + 1, sensor % 16 + 1, on);
            sub.sent[size_t(next)] = TClock::now();
            SimulatedLocoNet().Bus().Send(QByteArray(reinterpret_cast<const char*>(report.Data()), int(report.Length())));
        }
        if (next >= total)
            pace.stop();
    });
    pace.start(1);
    // Waiting blocks in the event loop: a loop polling for the end would be
    // counted as the bridge's CPU time. The tick wakes it once the pace is done.
    QTimer tick;
    tick.start(20);
    for (QDeadlineTimer end((seconds + 5) * 1000); sub.received < total && !end.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double wall = std::chrono::duration<double>(TClock::now() - start).count();
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore - sub.cpu.load();
    const double brokerCpu = ProcessCpuSeconds(brokerProcess.processId()) - brokerBefore;

    std::vector<double> us;
    for (double v : sub.latencyUs)
        if (v >= 0)
            us.push_back(v);
    std::sort(us.begin(), us.end());
    const auto at = [&us](double share) {
        return us.empty() ? 0.0 : us[std::min(us.size() - 1, size_t(share * double(us.size())))];
    };
    std::printf("bus to subscriber through a local broker, %d messages at %d a second\n", total, rate);
    std::printf("  received %zu, dropped by the bridge %llu\n", us.size(),
                static_cast<unsigned long long>(bridge.Dropped()));
    std::printf("  p50    %8.1f us\n  p99    %8.1f us\n  max    %8.1f us\n", at(0.5), at(0.99),
                us.empty() ? 0.0 : us.back());
    // The goal: p99 under 5 ms.
    std::printf("  p99 is %.2f of the 5 ms goal\n", at(0.99) / 5000.0);
    std::printf("  CPU of the bus and bridge: %.1f %% of one core (%.0f us a message)\n", 100.0 * cpu / wall,
                1e6 * cpu / double(std::max(1, total)));
    std::printf("  CPU of the broker:         %.1f %% of one core\n", 100.0 * brokerCpu / wall);

    mosquitto_disconnect(client);
    mosquitto_loop_stop(client, false);
    mosquitto_destroy(client);
    bridge.Stop();
    link.OnRxMsg = nullptr;
    link.Close();
    brokerProcess.terminate();
    brokerProcess.waitForFinished(3000);
    return us.size() == size_t(total) ? 0 : 1;
}
