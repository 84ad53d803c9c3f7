// What the tests and benchmarks on the simulated LocoNet share: engine
// timers (scaled down for the fast simulation), the link that hands SV
// messages to an engine, the fast bus, the SVs a board model transfers, and
// running the command-line program.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "link/Lncomm.h"
#include "link/Tsvprogmsg.h"
#include "platform/Linkports.h"
#include "programming/Tenginetimer.h"
#include "sim/Simsettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// Engine timers on QTimer, with the engines' intervals divided by a scale:
// in the fast simulation a reply takes well under a millisecond, so the 5 s
// reply timeout can shrink to 10 ms without changing what the engines see.
// Scale 1 keeps every interval as it is, for runs at the bus's own pace.
class TScaledTimer : public IEngineTimer {
public:
    TScaledTimer(int scale, std::function<void(uint64_t)> expired) : scale_(scale), expired_(std::move(expired))
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { expired_(token_); });
    }
    void Start(int ms, uint64_t token) override
    {
        token_ = token;
        timer_.start(scale_ == 1 ? ms : std::max(1, ms / scale_));
    }
    void Stop() override { timer_.stop(); }

private:
    int scale_;
    QTimer timer_;
    uint64_t token_ = 0;
    std::function<void(uint64_t)> expired_;
};

constexpr int kTimeScale = 500;  // 10 ms reply timeouts

// The link on the in-process simulated LocoNet (opened as the port "sim"),
// handing each SV message received to onSv.
class TSimSvLink {
public:
    TSimSvLink()
    {
        link.SetDeviceName("sim");
        link.SetLocoNetInterface(eLocoBuffer);
        link.SetBaudRate(br57600);
        link.OnRxMsg = [this](TLnThreadComm&, uint32_t) {
            while (auto m = link.ReadMessage())
                if (m->MessageKind() == eOPCSVACCESS2 && onSv)
                    onSv(TLNSVProgMessage(*m));
        };
        link.Open();
    }
    ~TSimSvLink()
    {
        link.OnRxMsg = nullptr;
        link.Close();
    }
    TSimSvLink(const TSimSvLink&) = delete;
    TSimSvLink& operator=(const TSimSvLink&) = delete;

    void Send(std::unique_ptr<TLNSVProgMessage> m) { link.WriteMessage(std::unique_ptr<TLocoNetMessage>(std::move(m))); }

    TLocoNetComm link{MakeLinkPort};
    std::function<void(const TLNSVProgMessage&)> onSv;
};

// The simulated LocoNet as fast as it goes (no wire time, no latency), with
// one board of each model at serials 101 to 107 and the faults given.
inline TSimSettings FastSimulation(double drop = 0, double corrupt = 0, uint32_t seed = 1)
{
    TSimSettings s;
    s.realtime = false;
    s.latencyMs = 0;
    s.dropRate = drop;
    s.corruptRate = corrupt;
    s.seed = seed;
    s.boards = OneBoardOfEachModel(101);
    return s;
}

// Every SV the board model transfers, from SV 5 on.
inline std::vector<unsigned> TransferredSvs(const TConfigurableBoard& board)
{
    std::vector<unsigned> svs;
    unsigned size = 0;
    for (unsigned sv = board.NextSvBlock(0, size); size != 0; sv = board.NextSvBlock(sv, size))
        for (unsigned i = 0; i < size; ++i)
            svs.push_back(sv + i);
    return svs;
}

#ifdef VARNSCOPE_CLI  // the programs built beside the tests, not the benchmarks
struct TCliRun {
    int status = -1;
    QString out, err;
};

// Runs varnscope-cli to its end; status -1 when it did not end in time.
inline TCliRun RunCli(const QStringList& args, int limitMs = 120000)
{
    QProcess p;
    p.start(VARNSCOPE_CLI, args);
    TCliRun r;
    if (!p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Starts `varnscope-cli simulate` with args and returns what it printed up
// to "ready" (without "ready" when it did not get there within 10 s).
inline QByteArray StartSimulator(QProcess& sim, const QStringList& args)
{
    sim.start(VARNSCOPE_CLI, QStringList{"simulate"} + args);
    QByteArray banner;
    QElapsedTimer clock;
    clock.start();
    while (!banner.contains("ready\n") && clock.elapsed() < 10000 && sim.state() != QProcess::NotRunning)
        if (sim.waitForReadyRead(200))
            banner += sim.readAllStandardOutput();
    return banner;
}
#endif  // VARNSCOPE_CLI
