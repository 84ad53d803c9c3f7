// How long the LbServer takes to relay a message from the interface to ten
// clients over loopback: the simulated LocoNet in this process stands for
// the interface, an open link on it is served as `varnscope-cli serve` serves
// one, and ten TCP clients read every RECEIVE line. The time runs from the
// message going on the bus to the last client having read its line, so it
// includes the link's framing, the server's writes and the clients' reads.
#include "link/Lncomm.h"
#include "platform/Lbserverlink.h"
#include "platform/Linkports.h"
#include "sim/Simbus.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kClients = 10;
constexpr int kRounds = 5000;

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSimSettings quiet;
    quiet.boards.clear();
    quiet.locoBuffer = false;
    ConfigureSimulatedLocoNet(quiet);
    TLocoNetComm link(MakeLinkPort);
    link.SetDeviceName("sim");
    link.OnRxMsg = [](TLnThreadComm& l, uint32_t) {
        while (l.ReadMessage()) {
        }
    };
    link.Open();
    TLinkLbServer server(link);
    QString error;
    if (!link.Enabled() || !server.Listen(QHostAddress::LocalHost, 0, error)) {
        std::fprintf(stderr, "cannot set up: %s\n", qPrintable(error));
        return 1;
    }

    std::vector<std::unique_ptr<QTcpSocket>> clients;
    std::vector<int> lines(kClients, 0);
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket* socket = clients.back().get();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QObject::connect(socket, &QTcpSocket::readyRead, [socket, &lines, i] {
            while (socket->canReadLine()) {
                if (socket->readLine().startsWith("RECEIVE"))
                    ++lines[size_t(i)];
            }
        });
        socket->connectToHost(QHostAddress::LocalHost, server.Port());
        socket->waitForConnected(2000);
    }
    while (server.ClientCount() < kClients)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    // A sensor report, as a busy layout sends most.
    const QByteArray message("\xB2\x05\x50\x18", 4);
    std::vector<double> us;
    us.reserve(kRounds);
    QElapsedTimer clock;
    for (int round = 1; round <= kRounds; ++round) {
        clock.start();
        SimulatedLocoNet().Bus().Send(message);
        while (std::any_of(lines.begin(), lines.end(), [round](int n) { return n < round; }))
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        us.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    std::sort(us.begin(), us.end());
    const auto at = [&us](double share) { return us[std::min(us.size() - 1, size_t(share * double(us.size())))]; };
    std::printf("relay of one message to %d clients over loopback, %d rounds\n", kClients, kRounds);
    std::printf("  median %8.1f us\n  p90    %8.1f us\n  p99    %8.1f us\n  max    %8.1f us\n", at(0.5), at(0.9),
                at(0.99), us.back());
    const auto within = std::lower_bound(us.begin(), us.end(), 1000.0) - us.begin();
    // The slow tail is the scheduler on a loaded machine: the process is off the CPU.
    std::printf("  %.1f %% of the rounds under 1 ms\n", 100.0 * double(within) / double(us.size()));
    link.Close();
    return 0;
}
