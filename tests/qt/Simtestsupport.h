// What the tests on the simulated LocoNet share: engine timers scaled down
// for the fast simulation, the SVs a board model transfers, and running the
// command-line program.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "programming/Tenginetimer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Engine timers on QTimer, with the engines' intervals divided by a scale:
// in the fast simulation a reply takes well under a millisecond, so the 5 s
// reply timeout can shrink to 10 ms without changing what the engines see.
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
        timer_.start(std::max(1, ms / scale_));
    }
    void Stop() override { timer_.stop(); }

private:
    int scale_;
    QTimer timer_;
    uint64_t token_ = 0;
    std::function<void(uint64_t)> expired_;
};

constexpr int kTimeScale = 500;  // 10 ms reply timeouts

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
