// Backing up, verifying, comparing and restoring a whole layout against the
// simulated LocoNet, through the real link: in process with the layout
// engine, and through the varnscope-cli program.
#include "boards/core/Boardcompare.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"
#include "programming/Tlayoutengine.h"
#include "programming/Tprogsequencer.h"
#include "programming/Tsnapshotdiff.h"
#include "sim/Simloconet.h"
#include "tests/qt/Simtestsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <random>

#ifndef _WIN32
#include <csignal>
#include <sys/types.h>
#endif

// Differences read as the program prints them.
void PrintTo(const TBoardDifference& d, std::ostream* out)
{
    *out << DifferenceText(d, "before", "after");
}

namespace {


// The layout the tests run on: one board of each model (101 to 107), another
// maker's board at 4000 and one that behaves as an ORT50 at 4001.
TSimSettings Layout(double drop = 0, double corrupt = 0, uint32_t seed = 1)
{
    TSimSettings s = FastSimulation(drop, corrupt, seed);
    s.boards.push_back(Sv2BoardSpec(4000, 33000));
    s.boards.push_back(Sv2BoardSpec(4001, 33001, 46, 7, 2));
    return s;
}

// Fills every board with values a configuration can hold: random bytes
// decoded into a board of its model and computed back.
void FillBoards(TSimLocoNet& net, uint32_t seed)
{
    std::mt19937 dice(seed);
    for (auto& sim : net.Boards()) {
        const int type = sim->Spec().type >= 0 ? sim->Spec().type : (sim->Spec().device == 2 ? int(btORT50) : -1);
        if (type < 0) {
            for (int sv = 5; sv <= sim->SvCount(); ++sv)
                sim->SetSv(sv, static_cast<uint8_t>(dice()));
            continue;
        }
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        board->ComputeSvImage();
        for (unsigned sv = 5; sv <= board->SvLength(); ++sv)
            board->SetSvByte(sv, static_cast<uint8_t>(dice()));
        // Until the image is one the configuration computes again unchanged.
        for (int round = 0; round < 5; ++round) {
            board->DecodeSvImage();
            board->ComputeSvImage();
        }
        for (unsigned sv : TransferredSvs(*board))
            sim->SetSv(static_cast<int>(sv), board->SvByte(sv));
    }
}

class TLayoutRun : public ILayoutListener {
public:
    TLayoutRun()
        : timeout_(kTimeScale, [this](uint64_t t) { engine.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine.DelayExpired(t); }),
          engine(*this, &timeout_, &delay_)
    {
        bus_.onSv = [this](const TLNSVProgMessage& m) { engine.HandleSvMessage(m); };
        engine.LoadProductList(std::string(TEST_DATA_DIR) + "/../../programming/progdevicelist.csv");
    }
    ~TLayoutRun() override { bus_.onSv = nullptr; }

    // Waits for the run started by start; false when it did not end in time.
    bool Run(const std::function<bool(std::string&)>& start, int limitMs = 60000)
    {
        std::string error;
        if (!start(error)) {
            startError = error;
            return false;
        }
        if (!engine.IsRunning())
            return true;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] { loop_.exit(2); });
        guard.start(limitMs);
        return loop_.exec() != 2;
    }

    const TLayoutBoard* Row(int address) const
    {
        for (const TLayoutBoard& row : engine.Boards())
            if (row.entry.address == address)
                return &row;
        return nullptr;
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override
    {
        ++sent;
        if (onSend)
            onSend();
        bus_.Send(std::move(m));
    }
    void RunEnded(bool ok, const std::string& text) override
    {
        success = ok;
        endText = text;
        loop_.exit(0);
    }

    int sent = 0;
    bool success = false;
    std::string endText;
    std::string startError;
    std::function<void()> onSend;

private:
    TSimSvLink bus_;
    TScaledTimer timeout_;
    TScaledTimer delay_;
    QEventLoop loop_;

public:
    TLayoutEngine engine;
};

std::vector<uint8_t> SvMemory(const TSimBoard& board)
{
    std::vector<uint8_t> svs;
    for (int sv = 1; sv <= board.SvCount(); ++sv)
        svs.push_back(board.Sv(sv));
    return svs;
}

QString StateOf(const TLayoutRun& run, int address)
{
    const TLayoutBoard* row = run.Row(address);
    return row ? QString::fromStdString(LayoutStateText(row->state, run.engine.Task())) : QString("missing");
}

TEST(LayoutE2E, BackupVerifyDiffAndRestoreAWholeLayout)
{
    ConfigureSimulatedLocoNet(Layout());
    TSimLocoNet& net = SimulatedLocoNet();
    FillBoards(net, 5);
    QTemporaryDir dir;

    TLayoutRun backup;
    ASSERT_TRUE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(dir.path().toStdString(), e); }));
    ASSERT_TRUE(backup.success) << backup.endText;
    const std::string snapshot = backup.engine.Folder();
    EXPECT_EQ(QFileInfo(QString::fromStdString(snapshot)).dir().path(), dir.path());
    ASSERT_EQ(backup.engine.Boards().size(), 9u);
    for (const TLayoutBoard& row : backup.engine.Boards())
        EXPECT_EQ(row.state, TLayoutBoardState::eRead) << row.entry.address << " " << row.reason;

    // The manifest names every board; each file holds what the bus holds.
    std::vector<TSnapshotEntry> manifest;
    std::string error;
    ASSERT_TRUE(SnapshotFiles::ReadManifest(snapshot, manifest, error)) << error;
    ASSERT_EQ(manifest.size(), 9u);
    for (const TSnapshotEntry& e : manifest) {
        SCOPED_TRACE(e.address);
        ASSERT_TRUE(e.IsRead()) << e.result;
        TSimBoard* sim = net.FindBoard(static_cast<uint16_t>(e.address));
        ASSERT_TRUE(sim);
        EXPECT_EQ(e.serial, sim->Serial());
        EXPECT_EQ(e.softwareVersion, sim->Sv(2));
        if (!e.IsFamily()) {
            EXPECT_EQ(e.file, "sv2-4000.txt");
            std::vector<uint8_t> values;
            ASSERT_TRUE(SnapshotFiles::ReadSvValues(snapshot + "/" + e.file, values, error)) << error;
            ASSERT_EQ(values.size(), 256u);
            for (int sv = 1; sv <= 256; ++sv)
                ASSERT_EQ(values[sv - 1], sim->Sv(sv)) << "SV " << sv;
            continue;
        }
        TBoardData files;
        ASSERT_TRUE(files.LoadList(static_cast<uint8_t>(e.type), snapshot + "/" + e.file)) << files.LastErrorText();
        TConfigurableBoard* board = files.BoardAt(static_cast<uint8_t>(e.type), e.boardIndex);
        ASSERT_TRUE(board);
        EXPECT_EQ(board->SerialNumber(), e.address);
        board->ComputeSvImage();
        for (unsigned sv : TransferredSvs(*board))
            ASSERT_EQ(board->SvByte(sv), sim->Sv(static_cast<int>(sv))) << "SV " << sv;
    }
    // Both boards that read as ORT50s share its file.
    const auto ort50 = std::count_if(manifest.begin(), manifest.end(),
                                     [](const TSnapshotEntry& e) { return e.file == "ORT50.csv"; });
    EXPECT_EQ(ort50, 2);

    TLayoutRun verify;
    ASSERT_TRUE(verify.Run([&](std::string& e) { return verify.engine.StartVerify(snapshot, e); }));
    for (const TLayoutBoard& row : verify.engine.Boards()) {
        EXPECT_EQ(row.state, TLayoutBoardState::eSame) << row.entry.address << " " << row.reason;
        // Named in the product list's words, as the backup named it.
        EXPECT_EQ(row.description, backup.Row(row.entry.address)->description) << row.entry.address;
    }
    EXPECT_EQ(verify.Row(102)->description.rfind("ORT50 ", 0), 0u) << verify.Row(102)->description;

    // One setting lost on the ORT50, one SV changed on the other maker's board.
    // The SV lost is one the board reads a setting from (not every bit of
    // every SV is one); the settings are named as the compare of two boards
    // names them.
    TSimBoard* panel = net.FindBoard(102);
    const std::vector<uint8_t> panelBefore = SvMemory(*panel);
    unsigned lost = 0;
    uint8_t kept = 0;
    std::vector<TBoardDifference> lostSettings;
    for (unsigned sv : TransferredSvs(*MakeBoard(btORT50))) {
        std::vector<uint8_t> after = panelBefore;
        after[sv - 1] ^= 0x01;
        const auto value = [](bool held, const std::string& text) { return held ? '"' + text + '"' : "(none)"; };
        const TBoardComparison comparison = CompareBoardImages(btORT50, panelBefore, after);
        for (const TSettingRow* row : comparison.Differences())
            lostSettings.push_back({row->setting, value(row->inA, row->a), value(row->inB, row->b)});
        if (!lostSettings.empty()) {
            lost = sv;
            kept = panelBefore[sv - 1];
            break;
        }
    }
    ASSERT_NE(lost, 0u);
    panel->SetSv(static_cast<int>(lost), static_cast<uint8_t>(kept ^ 0x01));
    TSimBoard* other = net.FindBoard(4000);
    const uint8_t otherKept = other->Sv(200);
    other->SetSv(200, static_cast<uint8_t>(otherKept + 1));

    TLayoutRun changed;
    ASSERT_TRUE(changed.Run([&](std::string& e) { return changed.engine.StartVerify(snapshot, e); }));
    EXPECT_EQ(StateOf(changed, 102), "different");
    EXPECT_EQ(StateOf(changed, 4000), "different");
    EXPECT_EQ(StateOf(changed, 101), "same");
    EXPECT_EQ(changed.Row(102)->differences, lostSettings);
    ASSERT_EQ(changed.Row(4000)->differences.size(), 1u);
    EXPECT_EQ(changed.Row(4000)->differences[0].what, "SV200");

    // A second snapshot differs from the first in exactly those two boards.
    TLayoutRun second;
    ASSERT_TRUE(second.Run([&](std::string& e) { return second.engine.StartBackup(dir.path().toStdString(), e); }));
    EXPECT_NE(second.engine.Folder(), snapshot);  // the same second gets a folder of its own
    std::vector<TSnapshotBoardChange> changes;
    ASSERT_TRUE(DiffSnapshots(snapshot, second.engine.Folder(), changes, error)) << error;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].entry.address, 102);
    EXPECT_EQ(changes[0].change, TSnapshotChange::eChanged);
    EXPECT_EQ(changes[0].differences, changed.Row(102)->differences);
    EXPECT_EQ(changes[1].entry.address, 4000);
    ASSERT_TRUE(DiffSnapshots(snapshot, snapshot, changes, error));
    EXPECT_TRUE(changes.empty());

    // Restoring the ORT50 alone brings its setting back and touches no other board.
    std::vector<int> reconfigures;
    for (auto& sim : net.Boards())
        reconfigures.push_back(sim->ReconfigureCount());
    TLayoutRun restore;
    ASSERT_TRUE(restore.Run([&](std::string& e) { return restore.engine.StartRestore(snapshot, {102}, e); }));
    ASSERT_EQ(restore.engine.Boards().size(), 1u);
    EXPECT_EQ(StateOf(restore, 102), "restored");
    EXPECT_EQ(panel->Sv(static_cast<int>(lost)), kept);
    for (size_t i = 0; i < net.Boards().size(); ++i)
        EXPECT_EQ(net.Boards()[i]->ReconfigureCount(), reconfigures[i] + (net.Boards()[i].get() == panel ? 1 : 0));

    // A board the snapshot does not hold is refused before anything is sent.
    TLayoutRun refused;
    EXPECT_FALSE(refused.Run([&](std::string& e) { return refused.engine.StartRestore(snapshot, {555}, e); }));
    EXPECT_EQ(refused.sent, 0);
    EXPECT_NE(refused.startError.find("holds no board at 555"), std::string::npos) << refused.startError;
}

TEST(LayoutE2E, MissingAndNewBoards)
{
    ConfigureSimulatedLocoNet(Layout());
    FillBoards(SimulatedLocoNet(), 9);
    QTemporaryDir dir;
    TLayoutRun backup;
    ASSERT_TRUE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(dir.path().toStdString(), e); }));
    const std::string snapshot = backup.engine.Folder();

    // The TEL90 at 106 has gone silent, a PAX60 at 300 has joined.
    TSimSettings later = Layout();
    later.boards[5].mute = true;
    later.boards.push_back({btPAX60, 300});
    ConfigureSimulatedLocoNet(later);
    TLayoutRun verify;
    ASSERT_TRUE(verify.Run([&](std::string& e) { return verify.engine.StartVerify(snapshot, e); }));
    EXPECT_EQ(StateOf(verify, 106), "not answering");
    EXPECT_EQ(StateOf(verify, 300), "new");
    EXPECT_EQ(verify.Row(300)->entry.product, "PAX60");

    TLayoutRun after;
    ASSERT_TRUE(after.Run([&](std::string& e) { return after.engine.StartBackup(dir.path().toStdString(), e); }));
    std::vector<TSnapshotBoardChange> changes;
    std::string error;
    ASSERT_TRUE(DiffSnapshots(snapshot, after.engine.Folder(), changes, error)) << error;
    std::vector<std::pair<int, TSnapshotChange>> seen;
    for (const TSnapshotBoardChange& c : changes)
        if (c.change != TSnapshotChange::eChanged)
            seen.push_back({c.entry.address, c.change});
    EXPECT_EQ(seen, (std::vector<std::pair<int, TSnapshotChange>>{{106, TSnapshotChange::eRemoved},
                                                                   {300, TSnapshotChange::eAdded}}));
    // The silent board does not answer the discovery: the new snapshot does not hold it.
    std::vector<TSnapshotEntry> manifest;
    ASSERT_TRUE(SnapshotFiles::ReadManifest(after.engine.Folder(), manifest, error));
    EXPECT_EQ(manifest.size(), 9u);
    EXPECT_TRUE(std::none_of(manifest.begin(), manifest.end(), [](const TSnapshotEntry& e) { return e.address == 106; }));
}

TEST(LayoutE2E, TwoBoardsAtOneSerialAreNotRead)
{
    TSimSettings s = Layout();
    s.boards = {{btORT50, 500}, {btORT50, 500}, {btTEL90, 600}};
    ConfigureSimulatedLocoNet(s);
    QTemporaryDir dir;
    TLayoutRun backup;
    int toFiveHundred = 0;
    ASSERT_TRUE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(dir.path().toStdString(), e); }));
    ASSERT_EQ(backup.engine.Boards().size(), 3u);
    for (const TLayoutBoard& row : backup.engine.Boards()) {
        if (row.entry.address != 500)
            continue;
        ++toFiveHundred;
        EXPECT_EQ(row.state, TLayoutBoardState::eFailed);
        EXPECT_EQ(row.reason, "two boards answer at serial 500; neither is read");
    }
    EXPECT_EQ(toFiveHundred, 2);
    EXPECT_EQ(StateOf(backup, 600), "read");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(backup.engine.Folder()) + "/ORT50.csv"));
    for (auto& sim : SimulatedLocoNet().Boards())
        EXPECT_EQ(sim->ReconfigureCount(), 0);
}

TEST(LayoutE2E, UnwritableFolderIsReportedBeforeTheBusIsTouched)
{
    ConfigureSimulatedLocoNet(Layout());
    QTemporaryDir dir;
    const QString file = dir.filePath("plain-file");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    for (const QString& parent : {file, file + "/below"}) {
        TLayoutRun backup;
        EXPECT_FALSE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(parent.toStdString(), e); }));
        EXPECT_EQ(backup.sent, 0);
        EXPECT_NE(backup.startError.find(file.toStdString()), std::string::npos) << backup.startError;
        EXPECT_FALSE(backup.engine.IsRunning());
    }
}

// Cancel lets the exchange under way end and sends nothing more: the boards
// finished are complete in their files and the manifest says which.
TEST(LayoutE2E, CancelLeavesCompleteFiles)
{
    ConfigureSimulatedLocoNet(Layout());
    QTemporaryDir dir;
    TLayoutRun backup;
    int sentAtCancel = -1;
    backup.onSend = [&] {
        const TLayoutBoard* second = backup.Row(102);
        if (sentAtCancel < 0 && second && second->state == TLayoutBoardState::eBusy && backup.sent > 5) {
            sentAtCancel = backup.sent;
            backup.engine.Cancel();
        }
    };
    ASSERT_TRUE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(dir.path().toStdString(), e); }));
    EXPECT_FALSE(backup.success);
    EXPECT_EQ(backup.endText, "Cancelled");
    EXPECT_EQ(backup.sent, sentAtCancel);  // the request that was going out, nothing after it
    EXPECT_EQ(StateOf(backup, 101), "read");
    EXPECT_EQ(StateOf(backup, 102), "skipped");
    std::vector<TSnapshotEntry> manifest;
    std::string error;
    ASSERT_TRUE(SnapshotFiles::ReadManifest(backup.engine.Folder(), manifest, error)) << error;
    ASSERT_EQ(manifest.size(), 9u);
    EXPECT_TRUE(manifest[0].IsRead());
    for (size_t i = 1; i < manifest.size(); ++i)
        EXPECT_EQ(manifest[i].result, "failed: not reached: the run was cancelled") << i;
    TBoardData files;
    EXPECT_TRUE(files.LoadList(btVELA40, backup.engine.Folder() + "/VELA40.csv")) << files.LastErrorText();
    EXPECT_EQ(files.BoardCount(btVELA40), 1);
}

// On a bus that loses and damages messages nothing that failed is shown as
// read, same or restored, and nothing read is wrong.
TEST(LayoutE2E, FaultyBusGivesNoFalseResult)
{
    QTemporaryDir dir;
    ConfigureSimulatedLocoNet(Layout());
    FillBoards(SimulatedLocoNet(), 3);
    TLayoutRun clean;
    ASSERT_TRUE(clean.Run([&](std::string& e) { return clean.engine.StartBackup(dir.path().toStdString(), e); }));
    const std::string reference = clean.engine.Folder();

    int read = 0, same = 0, restored = 0;
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE(seed);
        ConfigureSimulatedLocoNet(Layout(0.1, 0.05, seed));
        TSimLocoNet& net = SimulatedLocoNet();
        FillBoards(net, 3);
        TLayoutRun backup;
        ASSERT_TRUE(backup.Run([&](std::string& e) { return backup.engine.StartBackup(dir.path().toStdString(), e); }));
        read += static_cast<int>(std::count_if(backup.engine.Boards().begin(), backup.engine.Boards().end(),
                                               [](const TLayoutBoard& b) { return b.state == TLayoutBoardState::eRead; }));
        std::vector<TSnapshotBoardChange> changes;
        std::string error;
        ASSERT_TRUE(DiffSnapshots(reference, backup.engine.Folder(), changes, error)) << error;
        for (const TSnapshotBoardChange& c : changes)
            EXPECT_EQ(c.change, TSnapshotChange::eRemoved) << c.entry.address << " " << c.note;

        TLayoutRun verify;
        ASSERT_TRUE(verify.Run([&](std::string& e) { return verify.engine.StartVerify(reference, e); }));
        for (const TLayoutBoard& row : verify.engine.Boards())
            same += row.state == TLayoutBoardState::eSame;
        for (const TLayoutBoard& row : verify.engine.Boards())
            EXPECT_TRUE(row.state == TLayoutBoardState::eSame || row.state == TLayoutBoardState::eNotAnswering ||
                        row.state == TLayoutBoardState::eFailed)
                << row.entry.address << " " << LayoutStateText(row.state, TLayoutTask::eVerify);

        // Restore over boards scrambled again: restored means the board holds the snapshot.
        FillBoards(net, 100 + seed);
        TLayoutRun restore;
        ASSERT_TRUE(restore.Run([&](std::string& e) { return restore.engine.StartRestore(reference, {}, e); }));
        for (const TLayoutBoard& row : restore.engine.Boards()) {
            if (row.state != TLayoutBoardState::eRestored)
                continue;
            ++restored;
            TBoardData files;
            ASSERT_TRUE(files.LoadList(static_cast<uint8_t>(row.entry.type), reference + "/" + row.entry.file));
            TConfigurableBoard* board = files.BoardAt(static_cast<uint8_t>(row.entry.type), row.entry.boardIndex);
            board->ComputeSvImage();
            TSimBoard* sim = net.FindBoard(static_cast<uint16_t>(row.entry.address));
            for (unsigned sv : TransferredSvs(*board))
                ASSERT_EQ(sim->Sv(static_cast<int>(sv)), board->SvByte(sv)) << row.entry.address << " SV " << sv;
        }
    }
    // Some work gets done: the checks above are not empty. (A whole board
    // needs a hundred or more exchanges; with one in four lost, many boards
    // use up the 20 retries a transfer has and fail, as they must.)
    EXPECT_GT(read, 0);
    EXPECT_GT(same, 0);
    EXPECT_GT(restored, 0);
}

// The command-line program against `varnscope-cli simulate` on a
// pseudo-terminal: one board of each model and another maker's board; the
// TEL90 forgets its sensor board number in each restart.
TEST(LayoutCli, BackupVerifyAllRestoreAndDiff)
{
    QTemporaryDir dir;
    const std::vector<std::string> tel90Svs = MakeBoard(btTEL90)->NameSvImage();
    const unsigned forgotten =
        unsigned(std::find(tel90Svs.begin(), tel90Svs.end(), "sensor board number") - tel90Svs.begin()) + 1;
    ASSERT_LE(forgotten, tel90Svs.size());
    const QString pty = dir.filePath("loconet");
    QStringList simArgs = {"--pty", pty, "--board", "sv2:4000:33000", "--forget", QString("106:%1").arg(forgotten)};
    for (int type = 0; type < kBoardTypeCount; ++type)
        simArgs << "--board" << QString("%1:%2").arg(BoardFactoryRow(type)->shortTypeName).arg(101 + type);
    QProcess sim;
    const QByteArray banner = StartSimulator(sim, simArgs);
    ASSERT_TRUE(banner.contains("ready\n")) << banner.constData() << sim.readAllStandardError().constData();

    const QString snapshots = dir.filePath("snapshots");
    TCliRun r = RunCli({"backup", "--port", pty, "-o", snapshots, "--svs", "64"});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    ASSERT_TRUE(r.out.startsWith("Snapshot: " + snapshots + "/")) << qPrintable(r.out);
    const QString first = r.out.section('\n', 0, 0).mid(10);
    EXPECT_TRUE(r.out.contains("106\tTEL90\tread\n")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("4000 (serial 33000)\t\tread\n")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith("8 read\n")) << qPrintable(r.out);
    std::vector<uint8_t> values;
    std::string error;
    ASSERT_TRUE(SnapshotFiles::ReadSvValues((first + "/sv2-4000.txt").toStdString(), values, error)) << error;
    EXPECT_EQ(values.size(), 64u);

    r = RunCli({"verify-all", "--port", pty, first});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith("8 same\n")) << qPrintable(r.out);

    // Programming the TEL90 from the snapshot makes it forget its SV.
    r = RunCli({"restore", "--port", pty, first, "--serial", "106"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    EXPECT_EQ(r.out, "106\tTEL90\trestored\n1 restored\n");

    r = RunCli({"verify-all", "--port", pty, first});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("106\tTEL90\tdifferent\n    Sensor board number: snapshot \"1\", board \"255\"\n"))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith("1 different, 7 same\n")) << qPrintable(r.out);

    r = RunCli({"backup", "--port", pty, "-o", snapshots});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QString second = r.out.section('\n', 0, 0).mid(10);
    sim.terminate();
    sim.waitForFinished(5000);

    // The second snapshot lists 256 SVs of the other maker's board, the first 64.
    r = RunCli({"diff-snapshots", first, second});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith("106\tTEL90\tchanged\n    Sensor board number: A \"1\", B \"255\"\n"))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("4000 (serial 33000)\t\tchanged\n    SV65: A -, B 0\n")) << qPrintable(r.out);
    r = RunCli({"diff-snapshots", first, first});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);

    // Errors: a folder that cannot be made, a snapshot that is none, a serial it does not hold, options.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    r = RunCli({"backup", "--port", "sim", "-o", dir.filePath("plain")});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.startsWith("error: " + dir.filePath("plain"))) << qPrintable(r.err);
    r = RunCli({"verify-all", "--port", "sim", dir.path()});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("manifest.csv")) << qPrintable(r.err);
    r = RunCli({"restore", "--port", "sim", first, "--serial", "555"});
    EXPECT_EQ(r.status, 3);
    r = RunCli({"diff-snapshots", first, dir.path()});
    EXPECT_EQ(r.status, 3);
    r = RunCli({"backup", "--port", "sim", "--svs", "0"});
    EXPECT_EQ(r.status, 2);
    r = RunCli({"verify-all", "--port", "sim"});
    EXPECT_EQ(r.status, 2);
    r = RunCli({"restore", "--port", dir.filePath("no-such-tty"), first});
    EXPECT_EQ(r.status, 4);
}

}  // namespace

#ifndef _WIN32
// Ctrl+C (SIGINT) during each long command: the exchange under way ends,
// nothing more is done, the boards finished keep their result, and a
// backup's manifest names the complete boards.
TEST(LayoutCli, InterruptIsCancel)
{
    QTemporaryDir dir;
    const QString pty = dir.filePath("loconet");
    QStringList simArgs = {"--pty", pty};
    for (int type = 0; type < kBoardTypeCount; ++type)
        simArgs << "--board" << QString("%1:%2").arg(BoardFactoryRow(type)->shortTypeName).arg(101 + type);
    QProcess sim;
    const QByteArray banner = StartSimulator(sim, simArgs);
    ASSERT_TRUE(banner.contains("ready\n")) << banner.constData() << sim.readAllStandardError().constData();
    TCliRun r = RunCli({"backup", "--port", pty, "-o", dir.filePath("full")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    const QString full = r.out.section('\n', 0, 0).mid(10);

    const struct {
        QStringList args;
        const char* finished;  // the state of a board done before the signal
    } cases[] = {
        {{"backup", "--port", pty, "-o", dir.filePath("cut")}, "read"},
        {{"verify-all", "--port", pty, full}, "same"},
        {{"restore", "--port", pty, full}, "restored"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.first()));
        QProcess cli;
        cli.start(VARNSCOPE_CLI, c.args);
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        const QByteArray done = QByteArray("\t") + c.finished + "\n";
        while (!out.contains(done) && clock.elapsed() < 30000 && cli.state() != QProcess::NotRunning)
            if (cli.waitForReadyRead(100))
                out += cli.readAllStandardOutput();
        ASSERT_TRUE(out.contains(done)) << out.constData();
        ::kill(pid_t(cli.processId()), SIGINT);
        clock.restart();
        ASSERT_TRUE(cli.waitForFinished(10000));
        // One exchange (with its retries) is all it waits for.
        EXPECT_LT(clock.elapsed(), 5000);
        out += cli.readAllStandardOutput();
        const QString text = QString::fromUtf8(out);
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 1) << qPrintable(err);
        EXPECT_TRUE(text.endsWith("\nCancelled\n")) << qPrintable(text);
        EXPECT_TRUE(err.startsWith("Cancelling after the message exchange under way")) << qPrintable(err);
        const qsizetype finished = text.count(QString("\t") + c.finished + "\n");
        EXPECT_GE(finished, 1);
        EXPECT_LT(finished, kBoardTypeCount) << qPrintable(text);
        // A board left half programmed says so; none is shown done that is not.
        for (const QString& line : text.split('\n'))
            if (line.contains('\t'))
                EXPECT_TRUE(line.endsWith(c.finished) || line.endsWith("\tfailed")) << qPrintable(line);

        if (c.args.first() != "backup")
            continue;
        const QString cut = text.section('\n', 0, 0).mid(10);
        std::vector<TSnapshotEntry> manifest;
        std::string error;
        ASSERT_TRUE(SnapshotFiles::ReadManifest(cut.toStdString(), manifest, error)) << error;
        ASSERT_EQ(manifest.size(), size_t(kBoardTypeCount));
        qsizetype read = 0;
        for (const TSnapshotEntry& e : manifest) {
            SCOPED_TRACE(e.address);
            if (!e.IsRead()) {
                EXPECT_EQ(e.result, "failed: not reached: the run was cancelled");
                continue;
            }
            ++read;
            TBoardData files;
            ASSERT_TRUE(files.LoadList(static_cast<uint8_t>(e.type), (cut + "/" + QString::fromStdString(e.file)).toStdString()))
                << files.LastErrorText();
            EXPECT_TRUE(files.BoardAt(static_cast<uint8_t>(e.type), e.boardIndex));
        }
        EXPECT_EQ(read, finished);
    }
    sim.terminate();
    sim.waitForFinished(5000);
}
#endif

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
