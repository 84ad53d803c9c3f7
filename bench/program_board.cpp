// Programs a full ORT50 and a full PAX66 over the simulated LocoNet in real
// time (16457 baud on the wire, 5 ms board latency) through the real link,
// for each interface kind, and sets the wall time beside the protocol's
// floor: the wire time of every message sent and received (the bus carries
// each once; our own requests come back as that same transmission), the
// boards' latency for each reply, and 20 ms per paced message on the MS100.
#include "boards/core/Boardfactory.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"
#include "programming/Tprogsequencer.h"
#include "sim/Simbus.h"
#include "sim/Simloconet.h"
#include "tests/qt/Simtestsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kBoardLatencyMs = 5;
constexpr double kWireBaud = 16457.0;

struct TResult {
    bool success = false;
    std::string text;
    double wallMs = 0;
    int sent = 0, replies = 0, paced = 0;
    long sentBytes = 0, replyBytes = 0;
    // From a board's reply leaving the wire to our next message reaching it,
    // less the MS100's pause: the link's and the sequencer's own time.
    double ownMs = 0;
};

class TBench : public IProgrammerListener {
public:
    TBench(ELocoNetInterface interface)
        : timeout_(1, [this](uint64_t t) { engine_.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine_.DelayExpired(t); }),
          engine_(*this, &timeout_, &delay_)
    {
        link_.SetDeviceName("sim");
        link_.SetLocoNetInterface(interface);
        link_.SetBaudRate(interface == eMS100 ? br16457 : br57600);
        link_.OnRxMsg = [this](TLnThreadComm&, uint32_t) {
            while (auto m = link_.ReadMessage()) {
                if (m->MessageKind() != eOPCSVACCESS2)
                    continue;
                const TLNSVProgMessage sv(*m);
                if (sv.SvKind() >= eSvWrite1Reply) {
                    ++result_.replies;
                    result_.replyBytes += sv.Length();
                }
                engine_.HandleSvMessage(sv);
            }
        };
        engine_.SetPacedSending(interface == eMS100);
    }
    ~TBench() override
    {
        link_.OnRxMsg = nullptr;
        link_.Close();
    }

    TResult Run(TConfigurableBoard& board)
    {
        link_.Open();
        if (!link_.Enabled()) {
            result_.text = "cannot open the simulated LocoNet: " + link_.LastOpenError();
            return result_;
        }
        clock_.start();
        QObject::connect(&SimulatedLocoNet().Bus(), &TSimBus::Delivered, &context_, [this](const QByteArray& packet) {
            if (packet.size() == 16 && (uint8_t(packet[3]) & kSvReplyBit))
                replyAtNs_ = clock_.nsecsElapsed();
        });
        if (engine_.Start(TProgramMode::eWrite, board))
            loop_.exec();
        result_.wallMs = clock_.nsecsElapsed() / 1e6;
        return result_;
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override
    {
        ++result_.sent;
        result_.sentBytes += m->Length();
        // Every message after the first follows a good reply and waits for the pause.
        const bool paced = engine_.PacedSending() && result_.sent > 1;
        if (paced)
            ++result_.paced;
        if (replyAtNs_ >= 0) {
            result_.ownMs += (clock_.nsecsElapsed() - replyAtNs_) / 1e6 - (paced ? 20.0 : 0.0);
            replyAtNs_ = -1;
        }
        link_.WriteMessage(std::unique_ptr<TLocoNetMessage>(std::move(m)));
    }
    void LogText(const std::string& t) override
    {
        if (t.rfind("Retrying", 0) == 0)
            std::fprintf(stderr, "unexpected: %s\n", t.c_str());
    }
    void TransferEnded(bool ok, const std::string& t) override
    {
        result_.success = ok;
        result_.text = t;
        loop_.exit(0);
    }

private:
    TLocoNetComm link_{MakeLinkPort};
    TScaledTimer timeout_;
    TScaledTimer delay_;
    TProgSequencer engine_;
    QEventLoop loop_;
    TResult result_;
    QElapsedTimer clock_;
    QObject context_;
    qint64 replyAtNs_ = -1;
};

double WireMs(long bytes)
{
    return bytes * 10 * 1000.0 / kWireBaud;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const struct {
        ELocoNetInterface interface;
        const char* name;
    } interfaces[] = {{eMS100, "MS100"}, {eLocoBuffer, "LocoBuffer"}, {ePR3, "PR3"}};
    const int types[] = {btORT50, btPAX66};

    std::printf("%-7s %-10s %5s %7s %9s %9s %8s %8s %8s\n", "board", "interface", "msgs", "replies", "wall[ms]",
                "floor[ms]", "over", "own[ms]", "own");
    int status = 0;
    for (int type : types) {
        for (const auto& kind : interfaces) {
            TSimSettings settings;
            settings.realtime = true;
            settings.latencyMs = kBoardLatencyMs;
            settings.boards = OneBoardOfEachModel(101);
            ConfigureSimulatedLocoNet(settings);
            std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
            board->SetSerialNumber(101 + type);
            TBench bench(kind.interface);
            const TResult r = bench.Run(*board);
            if (!r.success) {
                std::printf("%-7s %-10s failed: %s\n", BoardFactoryRow(type)->shortTypeName, kind.name, r.text.c_str());
                status = 1;
                continue;
            }
            const double floorMs =
                WireMs(r.sentBytes) + WireMs(r.replyBytes) + r.replies * kBoardLatencyMs + r.paced * 20.0;
            const double ownShare = r.ownMs / floorMs * 100.0;
            std::printf("%-7s %-10s %5d %7d %9.0f %9.0f %7.1f%% %8.1f %7.2f%%\n",
                        BoardFactoryRow(type)->shortTypeName, kind.name, r.sent, r.replies, r.wallMs, floorMs,
                        (r.wallMs - floorMs) / floorMs * 100.0, r.ownMs, ownShare);
            if (ownShare > 5.0)
                status = 1;
        }
    }
    std::printf("floor: wire time at 16457 baud + %d ms board latency per reply + 20 ms per paced MS100 message;\n"
                "over: wall time above the floor; own: time from each reply leaving the wire to our next message\n"
                "reaching it (pause excluded), i.e. the link's and the sequencer's share of the wall time.\n",
                kBoardLatencyMs);
    return status;
}
