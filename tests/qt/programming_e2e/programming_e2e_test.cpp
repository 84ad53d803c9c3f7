// Programming, reading, discovery and renumbering against the simulated
// LocoNet, through the real link: in process with the engines, and through
// the varnscope-cli program.
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"
#include "programming/Tprogsequencer.h"
#include "programming/Trenumberengine.h"
#include "sim/Simloconet.h"
#include "tests/qt/Simtestsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <random>
#include <set>
#include <sstream>

namespace {


class TTransfer : public IProgrammerListener {
public:
    explicit TTransfer(TSimSvLink& bus)
        : bus_(bus),
          timeout_(kTimeScale, [this](uint64_t t) { engine.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine.DelayExpired(t); }),
          engine(*this, &timeout_, &delay_)
    {
        bus_.onSv = [this](const TLNSVProgMessage& m) { engine.HandleSvMessage(m); };
    }
    ~TTransfer() override { bus_.onSv = nullptr; }

    // Runs the transfer to its end; false when it did not end in time.
    bool Run(TProgramMode mode, TConfigurableBoard& board, int limitMs = 60000)
    {
        if (!engine.Start(mode, board))
            return false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] { loop_.exit(2); });
        guard.start(limitMs);
        return loop_.exec() != 2;
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override
    {
        bus_.Send(std::move(m));
    }
    void LogText(const std::string& t) override { log.push_back(t); }
    void TransferEnded(bool ok, const std::string& t) override
    {
        success = ok;
        text = t;
        loop_.exit(0);
    }

    bool success = false;
    std::string text;
    std::vector<std::string> log;

private:
    TSimSvLink& bus_;
    TScaledTimer timeout_;
    TScaledTimer delay_;
    QEventLoop loop_;

public:
    TProgSequencer engine;
};

void Scramble(TSimBoard& board, uint32_t seed)
{
    std::mt19937 dice(seed);
    for (int sv = 5; sv <= board.SvCount(); ++sv)
        board.SetSv(sv, static_cast<uint8_t>(dice()));
}

TEST(ProgrammingE2E, EveryModelProgramsAndReadsBack)
{
    ConfigureSimulatedLocoNet(FastSimulation());
    TSimSvLink bus;
    ASSERT_TRUE(bus.link.Enabled()) << bus.link.LastOpenError();
    for (int type = 0; type < kBoardTypeCount; ++type) {
        SCOPED_TRACE(BoardFactoryRow(type)->shortTypeName);
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        ASSERT_TRUE(board) << BoardFactoryError(type);
        const int serial = 101 + type;
        board->SetSerialNumber(serial);
        TSimBoard* sim = SimulatedLocoNet().FindBoard(static_cast<uint16_t>(serial));
        ASSERT_TRUE(sim);
        Scramble(*sim, 7 + type);

        TTransfer program(bus);
        ASSERT_TRUE(program.Run(TProgramMode::eWrite, *board));
        ASSERT_TRUE(program.success) << program.text;
        EXPECT_EQ(sim->ReconfigureCount(), 1);
        const std::vector<unsigned> svs = TransferredSvs(*board);
        ASSERT_FALSE(svs.empty());
        for (unsigned sv : svs)
            ASSERT_EQ(sim->Sv(static_cast<int>(sv)), board->SvByte(sv)) << "SV " << sv;

        std::unique_ptr<TConfigurableBoard> fresh = MakeBoard(type);
        fresh->SetSerialNumber(serial);
        TTransfer read(bus);
        ASSERT_TRUE(read.Run(TProgramMode::eRead, *fresh));
        ASSERT_TRUE(read.success) << read.text;
        for (unsigned sv : svs)
            ASSERT_EQ(fresh->SvByte(sv), sim->Sv(static_cast<int>(sv))) << "SV " << sv;
        // The configuration decoded from the board computes the same image again.
        ASSERT_TRUE(fresh->ComputeSvImage()) << fresh->SvErrorText();
        for (unsigned sv : svs)
            ASSERT_EQ(fresh->SvByte(sv), board->SvByte(sv)) << "SV " << sv;
        EXPECT_EQ(fresh->SerialNumber(), serial);
    }
}

TEST(ProgrammingE2E, PacedForTheMs100)
{
    TSimSettings settings = FastSimulation();
    settings.answerTwice = true;  // a doubled reply must not disturb the pauses
    ConfigureSimulatedLocoNet(settings);
    TSimSvLink bus;
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(btTEL90);
    board->SetSerialNumber(106);
    TSimBoard* sim = SimulatedLocoNet().FindBoard(106);
    Scramble(*sim, 3);
    TTransfer program(bus);
    program.engine.SetPacedSending(true);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(program.Run(TProgramMode::eWrite, *board));
    ASSERT_TRUE(program.success) << program.text;
    const std::vector<unsigned> svs = TransferredSvs(*board);
    for (unsigned sv : svs)
        ASSERT_EQ(sim->Sv(static_cast<int>(sv)), board->SvByte(sv)) << "SV " << sv;
    unsigned blocks = 0, size = 0;
    for (unsigned sv = board->NextSvBlock(0, size); size != 0; sv = board->NextSvBlock(sv, size))
        ++blocks;
    // Every message after the identify waited 20 ms: version, blocks, reconfigure.
    EXPECT_GE(clock.elapsed(), 20 * (blocks + 2));
}

TEST(ProgrammingE2E, FaultyBusNeverGivesSuccessWithWrongData)
{
    const std::set<std::string> failures = {"ERROR: dest board is not correct type",
                                            "FAIL: readback data does not match.",
                                            "Failure while checking board ID",
                                            "Failure while checking board s/w version",
                                            "Failure while reading or writing",
                                            "Failure while reconfiguring"};
    struct Faults {
        double drop, corrupt;
    };
    // The task's fault rates, and milder ones under which most runs complete.
    for (const Faults faults : {Faults{0.10, 0.05}, Faults{0.02, 0.01}}) {
        int succeeded = 0, failed = 0;
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            for (int type : {int(btORT50), int(btPAX66), int(btTEL90)}) {
                ConfigureSimulatedLocoNet(FastSimulation(faults.drop, faults.corrupt, seed * 31 + type));
                TSimSvLink bus;
                std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
                board->SetSerialNumber(101 + type);
                TSimBoard* sim = SimulatedLocoNet().FindBoard(static_cast<uint16_t>(101 + type));
                Scramble(*sim, seed);
                TTransfer program(bus);
                ASSERT_TRUE(program.Run(TProgramMode::eWrite, *board));
                if (program.success) {
                    ++succeeded;
                    for (unsigned sv : TransferredSvs(*board))
                        ASSERT_EQ(sim->Sv(static_cast<int>(sv)), board->SvByte(sv)) << "seed " << seed << " SV " << sv;
                    EXPECT_EQ(program.text, "Programming Completed Successfully!");
                } else {
                    ++failed;
                    EXPECT_TRUE(failures.count(program.text)) << program.text;
                }
                const TSimBus& wire = SimulatedLocoNet().Bus();
                if (faults.drop > 0.05) {
                    EXPECT_GT(wire.PacketsDropped() + wire.PacketsCorrupted(), 0u);
                }
            }
        }
        std::printf("faults %.0f%% dropped, %.0f%% corrupted: %d runs completed, %d failed\n", faults.drop * 100,
                    faults.corrupt * 100, succeeded, failed);
        if (faults.drop < 0.05) {
            EXPECT_GT(succeeded, 0);
        }
    }
}

// The configured board as its file holds it.
std::string FileText(TConfigurableBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

// Verify against every model: after programming the board matches; one SV
// changed in the board is the one difference; the board is never written or
// reconfigured and the configuration keeps its settings.
// A board as it comes from its maker, read: a configuration that computes
// (no signal without its junction point), whose verify finds nothing to
// change, and which programs back and verifies equal.
TEST(ProgrammingE2E, FactoryBoardsReadBackAndVerifyEqual)
{
    ConfigureSimulatedLocoNet(FastSimulation());
    TSimSvLink bus;
    ASSERT_TRUE(bus.link.Enabled()) << bus.link.LastOpenError();
    for (int type = 0; type < kBoardTypeCount; ++type) {
        SCOPED_TRACE(BoardFactoryRow(type)->shortTypeName);
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        board->SetSerialNumber(101 + type);
        TTransfer read(bus);
        ASSERT_TRUE(read.Run(TProgramMode::eRead, *board));
        ASSERT_TRUE(read.success) << read.text;
        EXPECT_TRUE(board->ComputeSvImage()) << board->SvErrorText();
        for (const TProgramMode mode : {TProgramMode::eVerify, TProgramMode::eWrite, TProgramMode::eVerify}) {
            TTransfer transfer(bus);
            ASSERT_TRUE(transfer.Run(mode, *board));
            EXPECT_TRUE(transfer.success) << transfer.text;
            EXPECT_TRUE(transfer.engine.Differences().empty()) << transfer.engine.Differences().size() << " SVs";
        }
    }
}

TEST(ProgrammingE2E, VerifyEveryModel)
{
    ConfigureSimulatedLocoNet(FastSimulation());
    TSimSvLink bus;
    ASSERT_TRUE(bus.link.Enabled()) << bus.link.LastOpenError();
    for (int type = 0; type < kBoardTypeCount; ++type) {
        SCOPED_TRACE(BoardFactoryRow(type)->shortTypeName);
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        const int serial = 101 + type;
        board->SetSerialNumber(serial);
        TSimBoard* sim = SimulatedLocoNet().FindBoard(static_cast<uint16_t>(serial));
        ASSERT_TRUE(sim);
        Scramble(*sim, 21 + type);
        TTransfer program(bus);
        ASSERT_TRUE(program.Run(TProgramMode::eWrite, *board));
        ASSERT_TRUE(program.success) << program.text;
        const std::string settings = FileText(*board);

        TTransfer verify(bus);
        ASSERT_TRUE(verify.Run(TProgramMode::eVerify, *board));
        ASSERT_TRUE(verify.success) << verify.text;
        EXPECT_EQ(verify.text, "Verify completed: board matches its configuration!");
        EXPECT_TRUE(verify.engine.Differences().empty());

        const std::vector<unsigned> svs = TransferredSvs(*board);
        const unsigned changed = svs[svs.size() / 2];
        const uint8_t wanted = board->SvByte(changed);
        const uint8_t held = static_cast<uint8_t>(wanted ^ 0x5A);
        sim->SetSv(static_cast<int>(changed), held);
        TTransfer again(bus);
        ASSERT_TRUE(again.Run(TProgramMode::eVerify, *board));
        ASSERT_TRUE(again.success) << again.text;
        EXPECT_EQ(again.engine.Differences(), (std::vector<TSvDifference>{{changed, held, wanted}}));
        // The SV's line as before with what it holds after it, then the
        // settings that differ (none when the byte decodes to nothing the
        // board uses), then the verdict.
        const std::string svLine = "SV" + std::to_string(changed) + ": board " + std::to_string(held) +
                                   ", configuration " + std::to_string(wanted);
        const auto line = std::find_if(again.log.begin(), again.log.end(),
                                       [&](const std::string& l) { return l.rfind(svLine + " (", 0) == 0; });
        ASSERT_NE(line, again.log.end());
        EXPECT_EQ(*line, svLine + " (" + board->NameSvImage()[changed - 1] + ")");
        for (auto setting = line + 1; setting + 1 < again.log.end(); ++setting)
            EXPECT_NE(setting->find(": board "), std::string::npos) << *setting;
        EXPECT_EQ(again.log.back(), "Verify completed: 1 SV differs from the configuration");

        EXPECT_EQ(sim->Sv(static_cast<int>(changed)), held);
        EXPECT_EQ(sim->ReconfigureCount(), 1);
        EXPECT_EQ(FileText(*board), settings);
    }
}

// A board that does not answer, or answers as another model, fails the
// verify with the sequencer's text and no differences.
TEST(ProgrammingE2E, VerifyFailures)
{
    TSimSettings settings = FastSimulation();
    settings.boards[btORT50].mute = true;
    ConfigureSimulatedLocoNet(settings);
    TSimSvLink bus;
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(btORT50);
    board->SetSerialNumber(101 + btORT50);
    TTransfer mute(bus);
    ASSERT_TRUE(mute.Run(TProgramMode::eVerify, *board));
    EXPECT_FALSE(mute.success);
    EXPECT_EQ(mute.text, "Failure while checking board ID");
    EXPECT_TRUE(mute.engine.Differences().empty());

    board->SetSerialNumber(101 + btTEL90);
    TTransfer other(bus);
    ASSERT_TRUE(other.Run(TProgramMode::eVerify, *board));
    EXPECT_FALSE(other.success);
    EXPECT_EQ(other.text, "ERROR: dest board is not correct type");
}

// Over a lossy bus a verify either finds exactly the SV that differs or
// fails; it never calls a differing board equal.
TEST(ProgrammingE2E, VerifyOnAFaultyBus)
{
    int completed = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        for (int type : {int(btORT50), int(btTEL90)}) {
            ConfigureSimulatedLocoNet(FastSimulation(0.05, 0.03, seed * 17 + type));
            TSimSvLink bus;
            std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
            board->SetSerialNumber(101 + type);
            ASSERT_TRUE(board->ComputeSvImage());
            TSimBoard* sim = SimulatedLocoNet().FindBoard(static_cast<uint16_t>(101 + type));
            const std::vector<unsigned> svs = TransferredSvs(*board);
            for (unsigned sv : svs)
                sim->SetSv(static_cast<int>(sv), board->SvByte(sv));
            const unsigned changed = svs.back();
            sim->SetSv(static_cast<int>(changed), static_cast<uint8_t>(board->SvByte(changed) + 1));
            TTransfer verify(bus);
            ASSERT_TRUE(verify.Run(TProgramMode::eVerify, *board));
            if (verify.success) {
                ++completed;
                ASSERT_EQ(verify.engine.Differences().size(), 1u) << "seed " << seed;
                EXPECT_EQ(verify.engine.Differences()[0].sv, changed);
            } else {
                EXPECT_TRUE(verify.engine.Differences().empty());
            }
        }
    }
    EXPECT_GT(completed, 0);
}

class TNumbering : public IRenumberListener {
public:
    explicit TNumbering(TSimSvLink& bus)
        : bus_(bus),
          timeout_(kTimeScale, [this](uint64_t t) { engine.TimeoutExpired(t); }),
          delay_(1, [this](uint64_t t) { engine.DelayExpired(t); }),
          engine(*this, &timeout_, &delay_)
    {
        bus_.onSv = [this](const TLNSVProgMessage& m) { engine.HandleSvMessage(m); };
        engine.LoadProductList(std::string(TEST_DATA_DIR) + "/../../programming/progdevicelist.csv");
    }
    ~TNumbering() override { bus_.onSv = nullptr; }

    bool Wait()
    {
        if (engine.IsIdle())
            return false;
        return loop_.exec() == 0;
    }
    void SendMessage(std::unique_ptr<TLNSVProgMessage> m) override
    {
        bus_.Send(std::move(m));
    }
    void MessageBox(const std::string& t, const std::string& c) override { boxes.push_back(c + " " + t); }
    void OperationEnded(TRenumberOperation, bool ok) override { loop_.exit(ok ? 0 : 1); }

    std::vector<std::string> boxes;

private:
    TSimSvLink& bus_;
    TScaledTimer timeout_;
    TScaledTimer delay_;
    QEventLoop loop_;

public:
    TRenumberEngine engine;
};

TEST(ProgrammingE2E, DiscoverIdentifyRenumber)
{
    ConfigureSimulatedLocoNet(FastSimulation());
    TSimSvLink bus;
    TNumbering numbering(bus);
    ASSERT_TRUE((numbering.engine.Discover(), numbering.Wait()));
    const std::vector<std::string> lines = numbering.engine.ListLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "102\tORT50\tQuorvel\tORT50 Kestrix panel controller");
    EXPECT_EQ(lines[6], "107\tPAX66\tQuorvel\tPAX66 Enhanced Accessory Decoder");

    numbering.engine.Identify(2);
    EXPECT_TRUE(numbering.Wait());
    EXPECT_EQ(numbering.boxes.back(), "Identify: Identify successful!");

    numbering.engine.Renumber(3, 105);  // another board's number
    EXPECT_FALSE(numbering.Wait());
    EXPECT_EQ(numbering.boxes.back(), "Error: New number duplicates a board on LocoNet! Choose a different value");

    numbering.engine.Renumber(3, 2000);
    ASSERT_TRUE(numbering.Wait()) << numbering.boxes.back();
    EXPECT_EQ(numbering.boxes.back(), "change address: Change Address successful. Relabel board now!");
    EXPECT_EQ(numbering.engine.ListLines()[3], "2000\tMUV7\tQuorvel\tMUV7 Pendulo train shuttle");
    TSimBoard* moved = SimulatedLocoNet().FindBoard(2000);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->Sv(3) + 256 * moved->Sv(4), 2000);
    EXPECT_FALSE(SimulatedLocoNet().FindBoard(104));

    // The board answers at its new number only.
    numbering.engine.IdentifySerial(104);
    EXPECT_FALSE(numbering.Wait());
    EXPECT_EQ(numbering.boxes.back(), "Timout Error: Board did not response to Identify message");
    numbering.engine.IdentifySerial(2000);
    EXPECT_TRUE(numbering.Wait());
    ASSERT_TRUE(numbering.engine.IdentifiedBoard());
    EXPECT_EQ(numbering.engine.IdentifiedBoard()->Product(), "MUV7");

    // Copy into the configuration: every discovered board, once.
    TBoardData boards;
    EXPECT_EQ(numbering.engine.CopyNewBoards(boards), 7);
    EXPECT_EQ(numbering.engine.CopyNewBoards(boards), 0);
    EXPECT_EQ(boards.BoardAt(btMUV7, 0)->SerialNumber(), 2000);
}

// Boards of other makers keep their bus address apart from a fixed serial
// number: found, identified, renumbered and programmed at their address, next
// to a family board that answers at its serial number.
TEST(ProgrammingE2E, BoardsWithTheirOwnAddress)
{
    TSimSettings settings = FastSimulation();
    settings.boards = {Sv2BoardSpec(4000, 33000), Sv2BoardSpec(4001, 33001, 46, 7, 2)};
    settings.boards.push_back(OneBoardOfEachModel(500)[btORT50]);
    ConfigureSimulatedLocoNet(settings);
    TSimSvLink bus;
    TNumbering numbering(bus);
    ASSERT_TRUE((numbering.engine.Discover(), numbering.Wait()));
    EXPECT_EQ(numbering.engine.ListLines(), (std::vector<std::string>{
                                                "4000\t\t\t\tserial 33000",
                                                "4001\tORT50\tQuorvel\tORT50 Kestrix panel controller\tserial 33001",
                                                "501\tORT50\tQuorvel\tORT50 Kestrix panel controller",
                                            }));

    numbering.engine.IdentifySerial(4000);
    ASSERT_TRUE(numbering.Wait()) << numbering.boxes.back();
    ASSERT_TRUE(numbering.engine.IdentifiedBoard());
    EXPECT_EQ(numbering.engine.IdentifiedBoard()->SerialNumber(), 33000);

    numbering.engine.Renumber(1, 501);  // the family board's number
    EXPECT_FALSE(numbering.Wait());
    numbering.engine.Renumber(1, 4100);
    ASSERT_TRUE(numbering.Wait()) << numbering.boxes.back();
    EXPECT_EQ(numbering.engine.ListLines()[1], "4100\tORT50\tQuorvel\tORT50 Kestrix panel controller\tserial 33001");
    TSimBoard* moved = SimulatedLocoNet().FindBoard(4100);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->Serial(), 33001);
    EXPECT_EQ(moved->Sv(3) + 256 * moved->Sv(4), 4100);
    numbering.engine.Identify(1);
    EXPECT_TRUE(numbering.Wait()) << numbering.boxes.back();
    numbering.engine.IdentifySerial(4001);
    EXPECT_FALSE(numbering.Wait());

    TBoardData boards;
    EXPECT_EQ(numbering.engine.CopyNewBoards(boards), 2);  // the DIY board names no model
    ASSERT_EQ(boards.BoardCount(btORT50), 2);
    ASSERT_EQ(boards.BoardAt(btORT50, 0)->SerialNumber(), 4100);

    // Program and read the board built as an ORT50 at its new address.
    TConfigurableBoard& board = *boards.BoardAt(btORT50, 0);
    Scramble(*moved, 3);
    TTransfer program(bus);
    ASSERT_TRUE(program.Run(TProgramMode::eWrite, board));
    ASSERT_TRUE(program.success) << program.text;
    EXPECT_EQ(moved->ReconfigureCount(), 1);
    const std::vector<unsigned> svs = TransferredSvs(board);
    for (unsigned sv : svs)
        ASSERT_EQ(moved->Sv(static_cast<int>(sv)), board.SvByte(sv)) << "SV " << sv;
    std::unique_ptr<TConfigurableBoard> fresh = MakeBoard(btORT50);
    fresh->SetSerialNumber(4100);
    TTransfer read(bus);
    ASSERT_TRUE(read.Run(TProgramMode::eRead, *fresh));
    ASSERT_TRUE(read.success) << read.text;
    for (unsigned sv : svs)
        ASSERT_EQ(fresh->SvByte(sv), board.SvByte(sv)) << "SV " << sv;
    EXPECT_EQ(fresh->SerialNumber(), 4100);  // from SV 3 and 4: the address

    // The DIY board is no ORT50.
    std::unique_ptr<TConfigurableBoard> diy = MakeBoard(btORT50);
    diy->SetSerialNumber(4000);
    TTransfer refused(bus);
    ASSERT_TRUE(refused.Run(TProgramMode::eWrite, *diy));
    EXPECT_FALSE(refused.success);
    EXPECT_EQ(refused.text, "ERROR: dest board is not correct type");
}

// The command-line program on its own in-process simulated LocoNet (real-time
// bus, 5 ms board latency).
TEST(ProgrammingCli, ProgramReadAndFailures)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("pax66.csv");
    {
        TBoardData boards;
        ASSERT_TRUE(boards.AppendBoard(btPAX66));
        ASSERT_TRUE(boards.AppendBoard(btPAX66));
        boards.BoardAt(btPAX66, 1)->SetSerialNumber(107);
        ASSERT_TRUE(boards.SaveListAs(btPAX66, file.toStdString())) << boards.LastErrorText();
    }
    TCliRun r = RunCli({"program", "--port", "sim", "--type", "PAX66", file, "--index", "1"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("Checking Destination board identity.....\n"));
    EXPECT_TRUE(r.out.endsWith("Programming Completed Successfully!\nBoard programmer idle\n")) << qPrintable(r.out);

    // Board 0 has no serial number yet.
    r = RunCli({"program", "--port", "sim", "--type", "PAX66", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("Serial number must be between 1 & 65535"));

    const QString out = dir.filePath("read.csv");
    r = RunCli({"read", "--port", "sim", "--type", "PAX66", file, "--index", "1", "-o", out});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("Board data read completed successfully!"));
    TBoardData readBack;
    ASSERT_TRUE(readBack.LoadList(btPAX66, out.toStdString()));
    EXPECT_EQ(readBack.BoardCount(btPAX66), 2);
    EXPECT_EQ(readBack.BoardAt(btPAX66, 1)->SerialNumber(), 107);

    // The board at 101 is a VELA40: the read fails at once and writes nothing.
    {
        TBoardData boards;
        ASSERT_TRUE(boards.LoadList(btPAX66, file.toStdString()));
        boards.BoardAt(btPAX66, 1)->SetSerialNumber(101);
        ASSERT_TRUE(boards.SaveListAs(btPAX66, file.toStdString()));
    }
    QFile::remove(out);
    const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    r = RunCli({"read", "--port", "sim", "--type", "PAX66", file, "--index", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: dest board is not correct type\n");
    const QByteArray after = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_EQ(before, after);

    r = RunCli({"program", "--port", dir.filePath("no-such-tty"), "--type", "PAX66", file, "--index", "1"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.startsWith("error: cannot open " + dir.filePath("no-such-tty") + ": ")) << qPrintable(r.err);
    EXPECT_EQ(r.err.count('\n'), 1);

    r = RunCli({"program", "--port", "sim", "--type", "PAX99", file});
    EXPECT_EQ(r.status, 2);
}

TEST(ProgrammingCli, DiscoverIdentifyRenumber)
{
    TCliRun r = RunCli({"discover", "--port", "sim"});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "101\tVELA40\tQuorvel\tVELA40 Signal Controller");
    EXPECT_EQ(lines[7], "no. boards found: 7");

    r = RunCli({"identify", "--port", "sim", "--serial", "106"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "Identify successful!\n106\tTEL90\tQuorvel\tTEL90 16-channel Sensor Board\n");

    r = RunCli({"renumber", "--port", "sim", "--serial", "102", "--to", "103"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("New number duplicates a board on LocoNet! Choose a different value"));

    r = RunCli({"renumber", "--port", "sim", "--serial", "102", "--to", "3000"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith("Change Address successful. Relabel board now!\n3000\tORT50\tQuorvel\tORT50 Kestrix panel controller\n"))
        << qPrintable(r.out);
}

// The command-line program against `varnscope-cli simulate` on a
// pseudo-terminal: a board that answers every request twice, and a board
// whose SV 9 never takes a write.
TEST(ProgrammingCli, OverPseudoTerminal)
{
    QTemporaryDir dir;
    const QString pty = dir.filePath("loconet");
    QProcess sim;
    const QByteArray banner = StartSimulator(sim, {"--pty", pty, "--board", "ORT50:500", "--board", "ORT50:501", "--twice",
                              "--stuck", "501:9", "--blank", "501"});
    ASSERT_TRUE(banner.contains("ready\n")) << banner.constData() << sim.readAllStandardError().constData();

    const QString file = dir.filePath("ort50.csv");
    {
        TBoardData boards;
        ASSERT_TRUE(boards.AppendBoard(btORT50));
        ASSERT_TRUE(boards.AppendBoard(btORT50));
        boards.BoardAt(btORT50, 0)->SetSerialNumber(500);
        boards.BoardAt(btORT50, 1)->SetSerialNumber(501);
        ASSERT_TRUE(boards.SaveListAs(btORT50, file.toStdString()));
    }
    TCliRun r = RunCli({"program", "--port", pty, "--type", "ORT50", file, "--index", "0"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains("Retrying"));

    r = RunCli({"program", "--port", pty, "--type", "ORT50", file, "--index", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "FAIL: readback data does not match.\n");
    EXPECT_EQ(r.out.count("Retrying data write...\n"), 20);

    r = RunCli({"discover", "--port", pty});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith("no. boards found: 4\n")) << qPrintable(r.out);  // each board answers twice

    sim.terminate();
    sim.waitForFinished(5000);
}

// varnscope-cli verify against `varnscope-cli simulate`: an ORT50 and a TEL90
// programmed from their files; the TEL90 forgets one SV in its restart.
TEST(ProgrammingCli, Verify)
{
    QTemporaryDir dir;
    const QString ort50File = dir.filePath("ort50.csv");
    const QString tel90File = dir.filePath("tel90.csv");
    unsigned forgotten = 0;
    uint8_t configured = 0;
    QString svName;  // what the forgotten SV holds
    {
        TBoardData boards;
        ASSERT_TRUE(boards.AppendBoard(btORT50));
        boards.BoardAt(btORT50, 0)->SetSerialNumber(500);
        ASSERT_TRUE(boards.SaveListAs(btORT50, ort50File.toStdString()));
        ASSERT_TRUE(boards.AppendBoard(btTEL90));
        ASSERT_TRUE(boards.AppendBoard(btTEL90));
        TConfigurableBoard* tel90 = boards.BoardAt(btTEL90, 1);
        tel90->SetSerialNumber(600);
        ASSERT_TRUE(boards.SaveListAs(btTEL90, tel90File.toStdString()));
        ASSERT_TRUE(tel90->ComputeSvImage());
        for (unsigned sv : TransferredSvs(*tel90))
            if (forgotten == 0 && tel90->SvByte(sv) != 255)
                forgotten = sv;
        ASSERT_NE(forgotten, 0u);
        configured = tel90->SvByte(forgotten);
        svName = QString::fromStdString(tel90->NameSvImage()[forgotten - 1]);
    }
    const QString pty = dir.filePath("loconet");
    QProcess sim;
    const QByteArray banner = StartSimulator(sim, {"--pty", pty, "--board", "ORT50:500", "--board", "TEL90:600", "--forget",
                              QString("600:%1").arg(forgotten), "--blank", "500", "--blank", "600"});
    ASSERT_TRUE(banner.contains("ready\n")) << banner.constData() << sim.readAllStandardError().constData();

    // Cleared boards hold none of their configuration.
    TCliRun r = RunCli({"verify", "--port", pty, "--type", "ort50", ort50File});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    // Each line as before, then what the SV holds.
    const QRegularExpression zeroLine("^SV\\d+: board 0, configuration \\d+ \\([a-z].*\\)$",
                                      QRegularExpression::MultilineOption);
    EXPECT_GT(r.out.count(zeroLine), 0) << qPrintable(r.out);
    // Then the settings that differ, in the report's words.
    EXPECT_TRUE(r.out.contains("DCC accessory address to enter SLAVE mode: board \"0\", configuration \"1025\"\n"))
        << qPrintable(r.out);
    r = RunCli({"diff", "--port", pty, "--type", "ORT50", ort50File});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("DCC accessory address to enter SLAVE mode: file \"1025\", board \"0\"\n"))
        << qPrintable(r.out);

    r = RunCli({"program", "--port", pty, "--type", "ORT50", ort50File});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    r = RunCli({"program", "--port", pty, "--type", "TEL90", tel90File, "--index", "1"});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);

    const QByteArray before = [&] { QFile f(ort50File); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    r = RunCli({"verify", "--port", pty, "--type", "ORT50", ort50File});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith("Board programmer idle\nVerify completed: board matches its configuration!\n"))
        << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QRegularExpression("^SV", QRegularExpression::MultilineOption)));
    const QByteArray after = [&] { QFile f(ort50File); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_EQ(before, after);

    r = RunCli({"verify", "--port", pty, "--type", "TEL90", tel90File, "--index", "1"});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    // The SV with what it holds: the TEL90 keeps nothing in SV 5, so no setting
    // differs, and a comparison by setting finds the boards alike.
    ASSERT_EQ(forgotten, 5u);
    EXPECT_EQ(svName, "unused");
    EXPECT_TRUE(r.out.endsWith(QString("Board programmer idle\nSV%1: board 255, configuration %2 (unused)\n"
                                       "Verify completed: 1 SV differs from the configuration\n")
                                   .arg(forgotten)
                                   .arg(configured)))
        << qPrintable(r.out);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    r = RunCli({"diff", "--port", pty, "--type", "TEL90", tel90File + ":1"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    // The board holds no description: nothing is kept in the file only.
    EXPECT_TRUE(r.out.endsWith("Board data read completed successfully!\nThe boards hold the same settings.\n"))
        << qPrintable(r.out);
    r = RunCli({"diff", "--port", pty, "--type", "ORT50", ort50File});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("The boards hold the same settings.\n")) << qPrintable(r.out);

    // The TEL90 file's board 0 has no serial number; the ORT50 at 500 is not a TEL90.
    r = RunCli({"verify", "--port", pty, "--type", "TEL90", tel90File});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("Serial number must be between 1 & 65535"));
    {
        TBoardData boards;
        ASSERT_TRUE(boards.LoadList(btTEL90, tel90File.toStdString()));
        boards.BoardAt(btTEL90, 0)->SetSerialNumber(500);
        ASSERT_TRUE(boards.SaveList(btTEL90));
    }
    r = RunCli({"verify", "--port", pty, "--type", "TEL90", tel90File});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err, "ERROR: dest board is not correct type\n");
    EXPECT_FALSE(r.out.contains("Verify completed"));

    sim.terminate();
    sim.waitForFinished(5000);

    // File and port errors.
    r = RunCli({"verify", "--port", "sim", "--type", "ORT50", dir.filePath("missing.csv")});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.startsWith("error: " + dir.filePath("missing.csv"))) << qPrintable(r.err);
    r = RunCli({"verify", "--port", "sim", "--type", "ORT50", ort50File, "--index", "1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("board index 1 is out of range")) << qPrintable(r.err);
    r = RunCli({"verify", "--port", "sim", "--type", "ORT99", ort50File});
    EXPECT_EQ(r.status, 3);
    r = RunCli({"verify", "--port", dir.filePath("no-such-tty"), "--type", "ORT50", ort50File});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.startsWith("error: cannot open " + dir.filePath("no-such-tty") + ": ")) << qPrintable(r.err);
    r = RunCli({"verify", "--type", "ORT50", ort50File});
    EXPECT_EQ(r.status, 2);
}

// The command-line program against boards of other makers simulated by
// `varnscope-cli simulate --board sv2:...`.
TEST(ProgrammingCli, BoardsWithTheirOwnAddress)
{
    QTemporaryDir dir;
    const QString pty = dir.filePath("loconet");
    QProcess sim;
    const QByteArray banner = StartSimulator(sim, {"--pty", pty, "--board", "sv2:4000:33000", "--board",
                              "sv2:4001:33001:46:7:2", "--board", "ORT50:500"});
    ASSERT_TRUE(banner.contains("ready\n")) << banner.constData() << sim.readAllStandardError().constData();
    EXPECT_TRUE(banner.contains("board: sv2 address 4000 serial 33000 manufacturer 13 developer 1 product 1\n"))
        << banner.constData();
    EXPECT_TRUE(banner.contains("board: ORT50 serial 500 vendor 46 device 2\n")) << banner.constData();

    TCliRun r = RunCli({"discover", "--port", pty});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "4000\t\t\t\tserial 33000\n"
                     "4001\tORT50\tQuorvel\tORT50 Kestrix panel controller\tserial 33001\n"
                     "500\tORT50\tQuorvel\tORT50 Kestrix panel controller\n"
                     "no. boards found: 3\n");

    r = RunCli({"identify", "--port", pty, "--serial", "4000"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "Identify successful!\n4000\t\t\t\tserial 33000\n");

    // Named by its fixed serial number; the new address must not be another board's.
    r = RunCli({"renumber", "--port", pty, "--serial", "33001", "--to", "500"});
    EXPECT_EQ(r.status, 1);
    r = RunCli({"renumber", "--port", pty, "--serial", "4001", "--to", "4100"});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith("Change Address successful. Relabel board now!\n"
                               "4100\tORT50\tQuorvel\tORT50 Kestrix panel controller\tserial 33001\n"))
        << qPrintable(r.out);

    const QString file = dir.filePath("ort50.csv");
    {
        TBoardData boards;
        ASSERT_TRUE(boards.AppendBoard(btORT50));
        boards.BoardAt(btORT50, 0)->SetSerialNumber(4100);
        ASSERT_TRUE(boards.SaveListAs(btORT50, file.toStdString()));
    }
    r = RunCli({"program", "--port", pty, "--type", "ORT50", file});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    const QString out = dir.filePath("read.csv");
    r = RunCli({"read", "--port", pty, "--type", "ORT50", file, "--index", "0", "-o", out});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err) << qPrintable(r.out);
    TBoardData readBack;
    ASSERT_TRUE(readBack.LoadList(btORT50, out.toStdString()));
    EXPECT_EQ(readBack.BoardAt(btORT50, 0)->SerialNumber(), 4100);

    sim.terminate();
    sim.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
