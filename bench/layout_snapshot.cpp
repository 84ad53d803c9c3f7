// Backs up layouts of 7, 25 and 50 boards (the seven models in turn) on the
// simulated LocoNet in real time (16457 baud on the wire, 5 ms board
// latency) through the real link, and shows how the time grows with the
// layout: the discovery (5 s after the last reply), the reading, and the
// reading's time per board. For seven boards it also reads each board on its
// own, as `varnscope-cli read` does, and sets the snapshot's reading beside
// the sum of those seven transfers: the floor a snapshot cannot beat.
#include "boards/core/Boardfactory.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"
#include "programming/Tlayoutengine.h"
#include "programming/Tprogsequencer.h"
#include "sim/Simloconet.h"
#include "tests/qt/Simtestsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <functional>

namespace {

void Configure(int boards)
{
    TSimSettings s;
    s.realtime = true;
    s.latencyMs = 5;
    s.locoBuffer = false;
    for (int i = 0; i < boards; ++i) {
        TSimBoardSpec b;
        b.type = i % kBoardTypeCount;
        b.serial = static_cast<uint16_t>(101 + i);
        s.boards.push_back(b);
    }
    ConfigureSimulatedLocoNet(s);
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    return 0;
}

class TBackup : public ILayoutListener {
public:
    explicit TBackup(TSimSvLink& bus)
        : bus_(bus),
          timeout_(1, [this](uint64_t t) { engine.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine.DelayExpired(t); }),
          engine(*this, &timeout_, &delay_)
    {
        bus_.onSv = [this](const TLNSVProgMessage& m) { engine.HandleSvMessage(m); };
    }
    ~TBackup() override { bus_.onSv = nullptr; }

    bool Run(const std::string& folder)
    {
        std::string error;
        clock_.start();
        if (!engine.StartBackup(folder, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        loop_.exec();
        totalMs = clock_.nsecsElapsed() / 1e6;
        return success;
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override { bus_.Send(std::move(m)); }
    void BoardChanged(int row) override
    {
        if (discoveryMs == 0 && engine.Boards()[static_cast<size_t>(row)].state == TLayoutBoardState::eBusy)
            discoveryMs = clock_.nsecsElapsed() / 1e6;
    }
    void RunEnded(bool ok, const std::string&) override
    {
        success = ok;
        loop_.exit(0);
    }

    double discoveryMs = 0;
    double totalMs = 0;
    bool success = false;

private:
    TSimSvLink& bus_;
    TScaledTimer timeout_;
    TScaledTimer delay_;
    QEventLoop loop_;
    QElapsedTimer clock_;

public:
    TLayoutEngine engine;
};

class TSingleRead : public IProgrammerListener {
public:
    explicit TSingleRead(TSimSvLink& bus)
        : bus_(bus),
          timeout_(1, [this](uint64_t t) { engine.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine.DelayExpired(t); }),
          engine(*this, &timeout_, &delay_)
    {
        bus_.onSv = [this](const TLNSVProgMessage& m) { engine.HandleSvMessage(m); };
    }
    ~TSingleRead() override { bus_.onSv = nullptr; }

    // The wall time of one read [ms]; negative when it failed.
    double Run(TConfigurableBoard& board)
    {
        QElapsedTimer clock;
        clock.start();
        if (!engine.Start(TProgramMode::eRead, board))
            return -1;
        loop_.exec();
        return success ? clock.nsecsElapsed() / 1e6 : -1;
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override { bus_.Send(std::move(m)); }
    void TransferEnded(bool ok, const std::string&) override
    {
        success = ok;
        loop_.exit(0);
    }

private:
    TSimSvLink& bus_;
    TScaledTimer timeout_;
    TScaledTimer delay_;
    QEventLoop loop_;
    bool success = false;

public:
    TProgSequencer engine;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    Configure(kBoardTypeCount);
    double singles = 0;
    {
        TSimSvLink bus;
        for (int type = 0; type < kBoardTypeCount; ++type) {
            std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
            board->SetSerialNumber(101 + type);
            TSingleRead read(bus);
            const double ms = read.Run(*board);
            if (ms < 0) {
                std::fprintf(stderr, "the read of board %d failed\n", 101 + type);
                return 1;
            }
            singles += ms;
        }
    }

    std::printf("| boards | discovery [ms] | reading [ms] | per board [ms] | per board / 7-board figure | RSS [KiB] |\n");
    std::printf("|---|---|---|---|---|---|\n");
    double perBoardOfSeven = 0;
    double readingOfSeven = 0;
    for (int boards : {7, 25, 50}) {
        Configure(boards);
        TSimSvLink bus;
        TBackup backup(bus);
        if (!backup.Run(dir.path().toStdString()) || backup.engine.Boards().size() != static_cast<size_t>(boards)) {
            std::fprintf(stderr, "the backup of %d boards failed\n", boards);
            return 1;
        }
        for (const TLayoutBoard& row : backup.engine.Boards())
            if (row.state != TLayoutBoardState::eRead) {
                std::fprintf(stderr, "board %d was not read: %s\n", row.entry.address, row.reason.c_str());
                return 1;
            }
        const double reading = backup.totalMs - backup.discoveryMs;
        const double perBoard = reading / boards;
        if (boards == 7) {
            perBoardOfSeven = perBoard;
            readingOfSeven = reading;
        }
        std::printf("| %d | %.0f | %.0f | %.1f | %.3f | %ld |\n", boards, backup.discoveryMs, reading, perBoard,
                    perBoard / perBoardOfSeven, ResidentKiB());
        std::fflush(stdout);
    }
    std::printf("\nseven boards read one by one: %.0f ms; the snapshot's reading of the same seven: %.0f ms (%.2f%%)\n",
                singles, readingOfSeven, 100.0 * (readingOfSeven / singles - 1.0));
    return 0;
}
