#include "Enginefakes.h"

#include "boards/core/Boardfactory.h"
#include "boards/vela/Tvela40board.h"
#include "programming/Tprogsequencer.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// Records every output of the sequencer in order, as "kind:text" lines.
class TRecorder : public IProgrammerListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override
    {
        events.push_back("send:" + message->ToText());
        sent.push_back(*message);
    }
    void StatusText(const std::string& t) override { events.push_back("status:" + t); }
    void LogText(const std::string& t) override { events.push_back("log:" + t); }
    void DebugText(const std::string& t) override { events.push_back("debug:" + t); }
    void ClearLog() override { events.push_back("clear"); }
    void ProgressRange(int lo, int hi) override { events.push_back("range:" + std::to_string(lo) + "-" + std::to_string(hi)); }
    void ProgressPosition(int p) override
    {
        position = p;
        events.push_back("pos:" + std::to_string(p));
    }
    void Beep() override { events.push_back("beep"); }
    void TransferEnded(bool ok, const std::string& t) override
    {
        ended = true;
        success = ok;
        endText = t;
        events.push_back(std::string(ok ? "ok:" : "fail:") + t);
    }

    int CountOf(const std::string& event) const
    {
        int n = 0;
        for (const auto& e : events)
            n += e == event;
        return n;
    }
    bool Has(const std::string& event) const { return CountOf(event) > 0; }

    std::vector<std::string> events;
    std::vector<TLNSVProgMessage> sent;
    bool ended = false;
    bool success = false;
    std::string endText;
    int position = -1;
};

class SequencerTest : public ::testing::Test {
protected:
    SequencerTest() : seq(rec, &timeout, &delay) {}

    // Lets the board memory answer the last message sent, as the bus would.
    bool AnswerLast()
    {
        TLNSVProgMessage reply;
        if (rec.sent.empty() || !memory.Answer(rec.sent.back(), reply))
            return false;
        seq.HandleSvMessage(reply);
        return true;
    }

    // Runs the bus until the transfer ends: every request answered, every
    // pacing pause expired.
    void RunToEnd(int limit = 10000)
    {
        size_t answered = 0;
        while (!rec.ended && limit-- > 0) {
            if (delay.running) {
                seq.DelayExpired(delay.armedToken);
            } else if (rec.sent.size() > answered) {
                answered = rec.sent.size();
                if (!AnswerLast())
                    seq.TimeoutExpired(timeout.armedToken);
            } else {
                seq.TimeoutExpired(timeout.armedToken);
            }
        }
    }

    void FireTimeout() { seq.TimeoutExpired(timeout.armedToken); }

    std::vector<std::string> DataRequests(size_t count) const
    {
        std::vector<std::string> out;
        for (const auto& m : rec.sent)
            if (m.SvKind() == eSvWrite1 || m.SvKind() == eSvWrite4 || m.SvKind() == eSvRead1 ||
                (m.SvKind() == eSvRead4 && m.GetSvAccess4().sv != 1))
                if (out.size() < count)
                    out.push_back(m.ToText());
        return out;
    }

    TRecorder rec;
    TFakeTimer timeout;
    TFakeTimer delay;
    TProgSequencer seq;
    TTestBoard board;
    TBoardMemory memory;
};

TEST_F(SequencerTest, WriteRunWalksTheImageAndReconfigures)
{
    seq.SetLogging(true);
    ASSERT_TRUE(seq.Start(TProgramMode::eWrite, board));
    // Start: log emptied, progress reset, identify sent with its status and debug text, timer on.
    const std::vector<std::string> start = {"clear", "range:0-512", "pos:0",
                                            "status:Checking Destination board identity.....",
                                            "debug:SV Access: Identify VendId=0 DevId=0 Serial=0",
                                            "send:SV Access: Identify VendId=0 DevId=0 Serial=0"};
    EXPECT_EQ(std::vector<std::string>(rec.events.begin(), rec.events.begin() + 6), start);
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), 1234);
    EXPECT_TRUE(timeout.running);
    EXPECT_EQ(timeout.interval, 5000);
    EXPECT_EQ(seq.State(), TProgramState::eCheckingIdentity);
    EXPECT_EQ(seq.RetriesLeft(), 20);

    memory.sv[2] = 7;  // software version
    RunToEnd();
    ASSERT_TRUE(rec.success) << rec.endText;
    EXPECT_EQ(rec.endText, "Programming Completed Successfully!");
    EXPECT_EQ(board.SoftwareVersion(), 7);
    EXPECT_EQ(board.computeCalls, 1);
    EXPECT_TRUE(seq.IsIdle());
    EXPECT_FALSE(timeout.running);
    EXPECT_EQ(rec.position, 512);

    // The first data messages follow the ORT50's blocks.
    const std::vector<std::string> first = {
        "SV Access: Write 1 Byte Dst=1234 Addr=0005 data=26",
        "SV Access: Write 1 Byte Dst=1234 Addr=0006 data=2D",
        "SV Access: Write 4 Bytes Dst=1234 Addr=0009 data=42 49 50 57",
        "SV Access: Write 4 Bytes Dst=1234 Addr=000D data=5E 65 6C 73",
        "SV Access: Write 1 Byte Dst=1234 Addr=0011 data=7A",
        "SV Access: Write 4 Bytes Dst=1234 Addr=001E data=D5 DC E3 EA"};
    EXPECT_EQ(DataRequests(6), first);

    // Every transferable SV from SV 5 on reached the board; SVs 1-4, system and unused SVs were not touched.
    for (unsigned sv = 1; sv <= 512; ++sv)
        EXPECT_EQ(memory.sv[sv], sv >= 5 && board.IsTransferable(sv) ? board.SvByte(sv) : (sv == 2 ? 7 : 0))
            << "SV " << sv;
    // The last data block ends at SV 508, then the reconfigure.
    const TLNSVProgMessage& lastData = rec.sent[rec.sent.size() - 2];
    ASSERT_EQ(lastData.SvKind(), eSvWrite4);
    EXPECT_EQ(lastData.GetSvAccess4().sv, 505);
    EXPECT_EQ(rec.sent.back().SvKind(), eSvReconfigure);

    const std::vector<std::string> tail = {"log:Programming Completed Successfully!", "pos:512",
                                           "status:Board programmer idle", "ok:Programming Completed Successfully!"};
    EXPECT_EQ(std::vector<std::string>(rec.events.end() - 4, rec.events.end()), tail);
    EXPECT_EQ(rec.CountOf("status:Checking Destination board s/w version....."), 1);
    EXPECT_EQ(rec.CountOf("status:Beginning Read or write....."), 1);
    EXPECT_EQ(rec.CountOf("status:Resetting Destination board....."), 1);
}

TEST_F(SequencerTest, Ort50ModelBlockWalk)
{
    std::unique_ptr<TConfigurableBoard> ort50 = MakeBoard(btORT50);
    ASSERT_TRUE(ort50);
    ort50->SetSerialNumber(1234);
    ASSERT_TRUE(seq.Start(TProgramMode::eWrite, *ort50));
    RunToEnd();
    ASSERT_TRUE(rec.success) << rec.endText;
    std::vector<std::pair<int, int>> blocks;  // first SV, size
    for (const auto& m : rec.sent) {
        if (m.SvKind() == eSvWrite1)
            blocks.emplace_back(m.GetSvAccess().sv, 1);
        else if (m.SvKind() == eSvWrite4)
            blocks.emplace_back(m.GetSvAccess4().sv, 4);
    }
    ASSERT_GE(blocks.size(), 6u);
    using TBlocks = std::vector<std::pair<int, int>>;
    const TBlocks expected = {{5, 1}, {6, 1}, {9, 4}, {13, 4}, {17, 1}, {30, 4}};
    EXPECT_EQ(TBlocks(blocks.begin(), blocks.begin() + 6), expected);
    EXPECT_EQ(blocks.back().first + blocks.back().second - 1, 508);
}

TEST_F(SequencerTest, BoardHoldingTheImageStillGetsEveryBlock)
{
    board.ComputeSvImage();
    for (unsigned sv = 1; sv <= 512; ++sv)
        memory.sv[sv] = board.SvByte(sv);
    ASSERT_TRUE(seq.Start(TProgramMode::eWrite, board));
    RunToEnd();
    ASSERT_TRUE(rec.success);
    unsigned blocks = 0;
    unsigned size = 0;
    for (unsigned sv = board.NextSvBlock(0, size); size != 0; sv = board.NextSvBlock(sv, size))
        ++blocks;
    // identify, version, every block, reconfigure
    EXPECT_EQ(rec.sent.size(), blocks + 3);
}

TEST_F(SequencerTest, ReadRunStoresRepliesAndDecodes)
{
    for (unsigned sv = 1; sv <= 512; ++sv)
        memory.sv[sv] = static_cast<uint8_t>(255 - sv % 256);
    board.SetSerialNumber(1234);
    ASSERT_TRUE(seq.Start(TProgramMode::eRead, board));
    RunToEnd();
    ASSERT_TRUE(rec.success);
    EXPECT_EQ(rec.endText, "Board data read completed successfully!");
    EXPECT_EQ(board.decodeCalls, 1);
    EXPECT_EQ(board.SerialNumber(), 1234);  // SVs 3 and 4 come from the computed image, not the bus
    for (unsigned sv = 5; sv <= 512; ++sv) {
        if (board.IsTransferable(sv)) {
            ASSERT_EQ(board.SvByte(sv), memory.sv[sv]) << "SV " << sv;
        }
    }
    // No reconfigure after a read; idle comes before the completion text.
    for (const auto& m : rec.sent)
        EXPECT_NE(m.SvKind(), eSvReconfigure);
    const std::vector<std::string> tail = {"status:Board programmer idle", "log:Board data read completed successfully!",
                                           "ok:Board data read completed successfully!"};
    EXPECT_EQ(std::vector<std::string>(rec.events.end() - 3, rec.events.end()), tail);
    EXPECT_EQ(DataRequests(3), (std::vector<std::string>{"SV Access: Read 1 Byte Dst=1234 Addr=0005 data=00",
                                                        "SV Access: Read 1 Byte Dst=1234 Addr=0006 data=00",
                                                        "SV Access: Read 4 Bytes Dst=1234 Addr=0009 data=00 00 00 00"}));
}

TEST_F(SequencerTest, SuccessfulRunsEndWithTheBarFull)
{
    board.SetSerialNumber(1234);
    ASSERT_TRUE(board.ComputeSvImage());
    for (unsigned sv = 1; sv <= 512; ++sv)
        memory.sv[sv] = board.SvByte(sv);
    for (TProgramMode mode : {TProgramMode::eWrite, TProgramMode::eRead, TProgramMode::eVerify}) {
        rec = TRecorder();
        ASSERT_TRUE(seq.Start(mode, board));
        RunToEnd();
        ASSERT_TRUE(rec.success) << rec.endText;
        EXPECT_EQ(rec.position, static_cast<int>(board.SvLength())) << static_cast<int>(mode);
    }
}

TEST_F(SequencerTest, RefusedStarts)
{
    board.SetSerialNumber(0);
    EXPECT_FALSE(seq.Start(TProgramMode::eWrite, board));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"log:Serial number must be between 1 & 65535"}));
    // Two bytes on the bus: 65536 would address board 0.
    board.SetSerialNumber(65536);
    EXPECT_FALSE(seq.Start(TProgramMode::eVerify, board));
    board.SetSerialNumber(65537);
    EXPECT_FALSE(seq.Start(TProgramMode::eRead, board));
    EXPECT_TRUE(rec.sent.empty());

    board.SetSerialNumber(1234);
    ASSERT_TRUE(seq.Start(TProgramMode::eWrite, board));
    const size_t before = rec.events.size();
    TTestBoard other(99);
    EXPECT_FALSE(seq.Start(TProgramMode::eRead, other));  // busy: nothing happens
    EXPECT_EQ(rec.events.size(), before);
    EXPECT_EQ(seq.BoardAddress(), 1234);
}

TEST_F(SequencerTest, IdentityJudgedByTheBoardWhoeverAnswers)
{
    struct Case {
        int vendor, device, serial;
        bool accepted;
    };
    const Case cases[] = {{46, 2, 1234, true}, {1, 2, 1234, true}, {46, 5, 1234, false},
                          {2, 2, 1234, false}, {46, 2, 999, false}};
    for (const Case& c : cases) {
        TRecorder r;
        TFakeTimer t, d;
        TProgSequencer s(r, &t, &d);
        TTestBoard b;
        s.Start(TProgramMode::eWrite, b);
        s.HandleSvMessage(Reply::Identify(c.vendor, c.device, c.serial));
        if (c.accepted) {
            EXPECT_EQ(s.State(), TProgramState::eCheckingVersion);
            EXPECT_EQ(r.sent.back().ToText(), "SV Access: Read 4 Bytes Dst=1234 Addr=0001 data=00 00 00 00");
        } else {
            EXPECT_TRUE(s.IsIdle());
            EXPECT_EQ(r.events[r.events.size() - 3], "log:ERROR: dest board is not correct type");
            EXPECT_EQ(r.endText, "ERROR: dest board is not correct type");
            EXPECT_FALSE(t.running);
        }
    }
}

TEST_F(SequencerTest, RepliesThatDoNotMatchAreIgnored)
{
    seq.Start(TProgramMode::eWrite, board);
    // Our own request echoed by the bus, and replies of other kinds, while checking identity.
    seq.HandleSvMessage(rec.sent.back());
    seq.HandleSvMessage(Reply::Four(0x46, 1234, 1, 0, 1, 0, 0));
    EXPECT_EQ(seq.State(), TProgramState::eCheckingIdentity);
    AnswerLast();
    ASSERT_EQ(seq.State(), TProgramState::eCheckingVersion);
    // Version read answered by another board, or at another SV.
    seq.HandleSvMessage(Reply::Four(0x46, 999, 1, 0, 5, 0, 0));
    seq.HandleSvMessage(Reply::Four(0x46, 1234, 2, 0, 5, 0, 0));
    seq.HandleSvMessage(Reply::One(0x42, 1234, 1, 0));
    EXPECT_EQ(seq.State(), TProgramState::eCheckingVersion);
    EXPECT_TRUE(timeout.running);
    FireTimeout();
    EXPECT_EQ(rec.sent.back().ToText(), "SV Access: Read 4 Bytes Dst=1234 Addr=0001 data=00 00 00 00");
    EXPECT_EQ(seq.RetriesLeft(), 19);
    AnswerLast();
    ASSERT_EQ(seq.State(), TProgramState::eTransferring);
    ASSERT_EQ(seq.CurrentSv(), 5);
    // Data phase: wrong board, wrong SV, wrong kind (a four-byte reply to a one-byte write).
    seq.HandleSvMessage(Reply::One(0x41, 999, 5, board.SvByte(5)));
    seq.HandleSvMessage(Reply::One(0x41, 1234, 6, board.SvByte(6)));
    seq.HandleSvMessage(Reply::Four(0x45, 1234, 5, board.SvByte(5), 0, 0, 0));
    EXPECT_EQ(seq.CurrentSv(), 5);
    seq.HandleSvMessage(Reply::One(0x41, 1234, 5, board.SvByte(5)));
    EXPECT_EQ(seq.CurrentSv(), 6);
}

TEST_F(SequencerTest, TimeoutsRetryUntilTheBudgetIsSpent)
{
    struct Case {
        TProgramState state;
        const char* retrying;
        const char* failure;
    };
    const Case cases[] = {
        {TProgramState::eCheckingIdentity, "Timeout while checking board ID.. retrying", "Failure while checking board ID"},
        {TProgramState::eCheckingVersion, "Timeout while checking board s/w version.. retrying",
         "Failure while checking board s/w version"},
        {TProgramState::eTransferring, "Timeout while reading or writing.. retrying", "Failure while reading or writing"},
        {TProgramState::eReconfiguring, "Timeout while reconfiguring.. retrying", "Failure while reconfiguring"},
    };
    for (const Case& c : cases) {
        TRecorder r;
        TFakeTimer t, d;
        TProgSequencer s(r, &t, &d);
        s.SetLogging(true);
        TTestBoard b(1234, 12);  // SVs 5, 6, 9, 10, 11 and 12 transferable
        TBoardMemory mem;
        s.Start(TProgramMode::eWrite, b);
        while (s.State() != c.state) {
            TLNSVProgMessage reply;
            ASSERT_TRUE(mem.Answer(r.sent.back(), reply));
            s.HandleSvMessage(reply);
        }
        const size_t sentBefore = r.sent.size();
        const std::string request = r.sent.back().ToText();
        for (int i = 0; i < 20; ++i) {
            s.TimeoutExpired(t.armedToken);
            ASSERT_EQ(s.State(), c.state);
            EXPECT_EQ(r.sent.back().ToText(), request);  // the same message again, at once
        }
        EXPECT_EQ(r.CountOf(std::string("debug:") + c.retrying), 20);
        EXPECT_EQ(r.sent.size(), sentBefore + 20);  // 21 sends of the phase's message in all
        s.TimeoutExpired(t.armedToken);
        EXPECT_TRUE(s.IsIdle());
        EXPECT_EQ(r.sent.size(), sentBefore + 20);
        EXPECT_EQ(r.events[r.events.size() - 3], std::string("log:") + c.failure);
        EXPECT_EQ(r.events[r.events.size() - 2], "status:Board programmer idle");
        EXPECT_FALSE(r.success);
        EXPECT_EQ(r.endText, c.failure);
        EXPECT_EQ(s.RetriesLeft(), 0);
    }
}

TEST_F(SequencerTest, RetryTextsAreDebugOnlyWhenLogging)
{
    seq.Start(TProgramMode::eWrite, board);
    FireTimeout();
    for (const auto& e : rec.events)
        EXPECT_NE(e.rfind("debug:", 0), 0u) << e;
    EXPECT_EQ(rec.sent.size(), 2u);
}

TEST_F(SequencerTest, OneBudgetCoversDataAndReconfigure)
{
    TTestBoard small(1234, 12);
    seq.Start(TProgramMode::eWrite, small);
    AnswerLast();  // identify
    AnswerLast();  // version: budget back to 20
    ASSERT_EQ(seq.State(), TProgramState::eTransferring);
    // Five timeouts in the data phase, spread over two blocks.
    for (int i = 0; i < 3; ++i)
        FireTimeout();
    AnswerLast();
    for (int i = 0; i < 2; ++i)
        FireTimeout();
    EXPECT_EQ(seq.RetriesLeft(), 15);
    while (seq.State() == TProgramState::eTransferring)
        AnswerLast();
    ASSERT_EQ(seq.State(), TProgramState::eReconfiguring);
    EXPECT_EQ(seq.RetriesLeft(), 15);  // not refilled before the reconfigure
    for (int i = 0; i < 15; ++i)
        FireTimeout();
    EXPECT_EQ(seq.State(), TProgramState::eReconfiguring);
    FireTimeout();
    EXPECT_TRUE(seq.IsIdle());
    EXPECT_EQ(rec.endText, "Failure while reconfiguring");
}

TEST_F(SequencerTest, ReadbackMismatchRetriesTheBlockThenFails)
{
    memory.stuckSv = 9;  // SV 9 never takes the written value
    seq.Start(TProgramMode::eWrite, board);
    RunToEnd();
    EXPECT_FALSE(rec.success);
    EXPECT_EQ(rec.endText, "FAIL: readback data does not match.");
    EXPECT_EQ(rec.CountOf("log:Retrying data write..."), 20);
    // The block of SV 9 went out 21 times, identically.
    int sends = 0;
    for (const auto& m : rec.sent)
        sends += m.SvKind() == eSvWrite4 && m.GetSvAccess4().sv == 9;
    EXPECT_EQ(sends, 21);
    EXPECT_EQ(rec.events[rec.events.size() - 3], "log:FAIL: readback data does not match.");

    // A single mismatch in D4 of a block is caught too, and the retry then succeeds.
    TRecorder r;
    TFakeTimer t, d;
    TProgSequencer s(r, &t, &d);
    TTestBoard b;
    s.Start(TProgramMode::eWrite, b);
    s.HandleSvMessage(Reply::Identify(46, 2, 1234));
    s.HandleSvMessage(Reply::Four(0x46, 1234, 1, 1, 1, 0, 0));
    s.HandleSvMessage(Reply::One(0x41, 1234, 5, b.SvByte(5)));
    s.HandleSvMessage(Reply::One(0x41, 1234, 6, b.SvByte(6)));
    ASSERT_EQ(s.CurrentSv(), 9);
    s.HandleSvMessage(Reply::Four(0x45, 1234, 9, b.SvByte(9), b.SvByte(10), b.SvByte(11), b.SvByte(12) ^ 1));
    EXPECT_EQ(s.CurrentSv(), 9);
    EXPECT_EQ(s.RetriesLeft(), 19);
    EXPECT_EQ(r.events[r.events.size() - 3], "log:Retrying data write...");
    s.HandleSvMessage(Reply::Four(0x45, 1234, 9, b.SvByte(9), b.SvByte(10), b.SvByte(11), b.SvByte(12)));
    EXPECT_EQ(s.CurrentSv(), 13);
}

TEST_F(SequencerTest, FailedImageCalculationBeepsAndGoesIdle)
{
    for (TProgramMode mode : {TProgramMode::eWrite, TProgramMode::eRead, TProgramMode::eVerify}) {
        TRecorder r;
        TFakeTimer t, d;
        TProgSequencer s(r, &t, &d);
        TTestBoard b;
        b.computeOk = false;
        s.Start(mode, b);
        s.HandleSvMessage(Reply::Identify(46, 2, 1234));
        s.HandleSvMessage(Reply::Four(0x46, 1234, 1, 1, 4, 0, 0));
        EXPECT_TRUE(s.IsIdle());
        const std::vector<std::string> tail = {"log:SV Calculation Error: too many test entries", "beep",
                                               "status:Board programmer idle",
                                               "fail:SV Calculation Error: too many test entries"};
        EXPECT_EQ(std::vector<std::string>(r.events.end() - 4, r.events.end()), tail);
        EXPECT_EQ(b.SoftwareVersion(), 4);
        EXPECT_FALSE(t.running);
    }
}

TEST_F(SequencerTest, PacedSendingWaitsForTheDelayExceptOnRetries)
{
    seq.SetPacedSending(true);
    seq.Start(TProgramMode::eWrite, board);
    AnswerLast();
    EXPECT_EQ(rec.sent.size(), 1u);  // version read waits for the pause
    EXPECT_TRUE(delay.running);
    EXPECT_EQ(delay.interval, 20);
    EXPECT_FALSE(timeout.running);
    EXPECT_EQ(seq.PendingState(), TProgramState::eCheckingVersion);
    seq.DelayExpired(delay.armedToken + 1);  // not ours
    EXPECT_EQ(rec.sent.size(), 1u);
    seq.DelayExpired(delay.armedToken);
    ASSERT_EQ(rec.sent.size(), 2u);
    EXPECT_EQ(seq.State(), TProgramState::eCheckingVersion);
    EXPECT_TRUE(timeout.running);
    seq.DelayExpired(delay.armedToken);  // an expiry reported twice sends nothing more
    EXPECT_EQ(rec.sent.size(), 2u);
    // A timeout's retry goes out at once.
    FireTimeout();
    EXPECT_EQ(rec.sent.size(), 3u);
    EXPECT_FALSE(delay.running);
}

TEST_F(SequencerTest, LateTimeoutsAreIgnored)
{
    seq.Start(TProgramMode::eWrite, board);
    const uint64_t identifyToken = timeout.armedToken;
    AnswerLast();  // the identify reply switched that timer off
    seq.TimeoutExpired(identifyToken);
    EXPECT_EQ(seq.RetriesLeft(), 20);
    EXPECT_EQ(rec.sent.size(), 2u);
    EXPECT_EQ(seq.State(), TProgramState::eCheckingVersion);

    // After the transfer ended, a stale expiry does not reach the idle branch.
    RunToEnd();
    const size_t events = rec.events.size();
    seq.TimeoutExpired(timeout.armedToken);
    EXPECT_EQ(rec.events.size(), events);
}

TEST_F(SequencerTest, ReplyAfterRetryIsNotCountedTwice)
{
    seq.Start(TProgramMode::eWrite, board);
    AnswerLast();
    AnswerLast();
    ASSERT_EQ(seq.CurrentSv(), 5);
    FireTimeout();  // the board was slow: SV 5 goes out again
    const TLNSVProgMessage late = Reply::One(0x41, 1234, 5, board.SvByte(5));
    seq.HandleSvMessage(late);
    EXPECT_EQ(seq.CurrentSv(), 6);
    seq.HandleSvMessage(late);  // the answer to the retry arrives too
    EXPECT_EQ(seq.CurrentSv(), 6);
    EXPECT_EQ(seq.RetriesLeft(), 19);
}

// Verify reads like read mode, but into the sequencer's own image; the
// configured board only computes its image for the board's software version.
TEST_F(SequencerTest, VerifyComparesTheBoardWithTheConfiguration)
{
    TTestBoard reference;
    reference.SetSoftwareVersion(7);
    ASSERT_TRUE(reference.ComputeSvImage());
    for (unsigned sv = 5; sv <= 512; ++sv)
        memory.sv[sv] = reference.SvByte(sv);
    memory.sv[2] = 7;
    const uint8_t sv9 = reference.SvByte(9);
    const uint8_t sv31 = reference.SvByte(31);
    memory.sv[9] = static_cast<uint8_t>(sv9 + 1);
    memory.sv[31] = static_cast<uint8_t>(sv31 ^ 0x80);
    // Neither system nor unused SVs are written by a transfer, so they do not count.
    memory.sv[7] = 99;
    memory.sv[20] = 99;
    memory.sv[510] = 99;

    ASSERT_TRUE(seq.Start(TProgramMode::eVerify, board));
    RunToEnd();
    ASSERT_TRUE(rec.success) << rec.endText;
    const std::vector<TSvDifference> expected = {{9, static_cast<uint8_t>(sv9 + 1), sv9},
                                                 {31, static_cast<uint8_t>(sv31 ^ 0x80), sv31}};
    EXPECT_EQ(seq.Differences(), expected);
    const std::string summary = "Verify completed: 2 SVs differ from the configuration";
    const std::vector<std::string> tail = {
        "status:Board programmer idle",
        "log:SV9: board " + std::to_string(sv9 + 1) + ", configuration " + std::to_string(sv9) + " (unused)",
        "log:SV31: board " + std::to_string(sv31 ^ 0x80) + ", configuration " + std::to_string(sv31) + " (unused)",
        "log:" + summary, "ok:" + summary};
    EXPECT_EQ(std::vector<std::string>(rec.events.end() - 5, rec.events.end()), tail);

    // Nothing was written, nothing decoded: the board holds the image its
    // configuration computes, not what was read.
    for (const auto& m : rec.sent) {
        EXPECT_NE(m.SvKind(), eSvWrite1);
        EXPECT_NE(m.SvKind(), eSvWrite4);
        EXPECT_NE(m.SvKind(), eSvReconfigure);
    }
    EXPECT_EQ(board.decodeCalls, 0);
    EXPECT_EQ(board.SoftwareVersion(), 7);
    EXPECT_EQ(board.SvImage(), reference.SvImage());

    // Board in step with its configuration; then a board that does not answer
    // fails and leaves no differences of the run before.
    memory.sv[9] = sv9;
    memory.sv[31] = sv31;
    rec = TRecorder();
    ASSERT_TRUE(seq.Start(TProgramMode::eVerify, board));
    RunToEnd();
    ASSERT_TRUE(rec.success);
    EXPECT_EQ(rec.endText, "Verify completed: board matches its configuration!");
    EXPECT_TRUE(seq.Differences().empty());

    memory.sv[9] = static_cast<uint8_t>(sv9 + 1);
    rec = TRecorder();
    ASSERT_TRUE(seq.Start(TProgramMode::eVerify, board));
    RunToEnd();
    ASSERT_EQ(seq.Differences().size(), 1u);
    memory.serial = 4321;
    rec = TRecorder();
    ASSERT_TRUE(seq.Start(TProgramMode::eVerify, board));
    RunToEnd();
    EXPECT_TRUE(rec.ended);
    EXPECT_FALSE(rec.success);
    EXPECT_EQ(rec.endText, "Failure while checking board ID");
    EXPECT_TRUE(seq.Differences().empty());
}

TEST(SvCompare, OnlyTransferredSvsCount)
{
    TTestBoard board;
    ASSERT_TRUE(board.ComputeSvImage());
    std::vector<uint8_t> image = board.SvImage();
    EXPECT_TRUE(CompareSvImages(board, image).empty());

    // SVs 1-4, the system SVs 7, 8, 29 and the unused SVs are never transferred.
    for (unsigned sv : {1u, 2u, 3u, 4u, 7u, 8u, 18u, 29u, 247u, 256u, 509u, 512u})
        image[sv - 1] ^= 0xFF;
    EXPECT_TRUE(CompareSvImages(board, image).empty());

    // A short image reads as 0 past its end; differences come in SV order.
    image.resize(30);
    image[5] ^= 1;  // SV 6
    const std::vector<TSvDifference> differences = CompareSvImages(board, image);
    ASSERT_GE(differences.size(), 2u);
    EXPECT_EQ(differences[0], (TSvDifference{6, static_cast<uint8_t>(board.SvByte(6) ^ 1), board.SvByte(6)}));
    EXPECT_EQ(differences[1], (TSvDifference{31, 0, board.SvByte(31)}));
    EXPECT_EQ(differences.back().sv, 508u);
}

TEST(SvCompare, Texts)
{
    EXPECT_EQ(SvDifferenceText({9, 0, 255}), "SV9: board 0, configuration 255");
    EXPECT_EQ(SvDifferenceText({512, 17, 3}), "SV512: board 17, configuration 3");
    EXPECT_EQ(SvDifferenceText({26, 0, 10}, "signal 3: next signal"),
              "SV26: board 0, configuration 10 (signal 3: next signal)");
    EXPECT_EQ(VerifySummaryText(0), "Verify completed: board matches its configuration!");
    EXPECT_EQ(VerifySummaryText(1), "Verify completed: 1 SV differs from the configuration");
    EXPECT_EQ(VerifySummaryText(40), "Verify completed: 40 SVs differ from the configuration");
}

}  // namespace

// A verify of a real model names each SV and then says which settings differ,
// in the editors' words.
TEST(SvCompare, VerifyLinesNameTheSvsAndTheSettings)
{
    TVELA40Board onBoard;
    ASSERT_TRUE(onBoard.ComputeSvImage());
    TVELA40Board configured;
    configured.SetIsolationDelay(12);
    configured.Signal(2).SetTranspondingZone(300);
    ASSERT_TRUE(configured.ComputeSvImage());
    const std::vector<TSvDifference> differences = CompareSvImages(configured, onBoard.SvImage());
    ASSERT_EQ(differences.size(), 3u);

    const std::vector<std::string> lines = VerifyDifferenceLines(configured, differences, onBoard.SvImage());
    const std::vector<std::string> expected = {
        SvDifferenceText(differences[0], "signal 3: transponding zone, low byte"),
        SvDifferenceText(differences[1], "signal 3: transponding zone, high byte"),
        SvDifferenceText(differences[2], "isolation delay"),
        "Delay for power isolation zone: board \"2 s\", configuration \"3 s\"",
        "Signal 3, Transponding Zone: board \"No assigned Transponding Zone\", configuration \"300\"",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(VerifyDifferenceLines(configured, {}, onBoard.SvImage()).empty());
}
