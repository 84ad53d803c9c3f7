// The link's framing, queues, transmit rule, log, errors and failure handling,
// driven through a fake port.
#include "link/Lncomm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct TFakeState {
    bool openOk = true;
    std::string openReason = "No such file or directory";
    int lineSettingsError = 0;
    int bufferError = 0;
    TLnLineResult dtrResult = TLnLineResult::Ok;
    int dtrCode = 0;
    std::vector<bool> dtr;   // every DTR change asked for
    std::vector<int> bauds;  // every line setting applied
    Bytes in;
    Bytes written;
    std::vector<int> writeSizes;
    int32_t outQue = 0;
    uint32_t errors = 0;
    int opens = 0;
    int closes = 0;
    int maxRead = 0;  // largest single read asked for
};

class TFakePort : public TLnPort {
public:
    explicit TFakePort(TFakeState& s) : s_(s) {}
    bool Open(const std::string&, std::string& reason) override
    {
        ++s_.opens;
        if (!s_.openOk)
            reason = s_.openReason;
        open_ = s_.openOk;
        return s_.openOk;
    }
    void Close() override
    {
        ++s_.closes;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    int SetBufferSizes(int, int) override { return s_.bufferError; }
    int SetLineSettings(int baud) override
    {
        s_.bauds.push_back(baud);
        return s_.lineSettingsError;
    }
    TLnLineResult SetDtr(bool on, int& code) override
    {
        s_.dtr.push_back(on);
        code = s_.dtrCode;
        return s_.dtrResult;
    }
    int Read(uint8_t* buffer, int count) override
    {
        s_.maxRead = std::max(s_.maxRead, count);
        const int n = std::min<int>(count, static_cast<int>(s_.in.size()));
        std::copy(s_.in.begin(), s_.in.begin() + n, buffer);
        s_.in.erase(s_.in.begin(), s_.in.begin() + n);
        return n;
    }
    int Write(const uint8_t* bytes, int count) override
    {
        s_.written.insert(s_.written.end(), bytes, bytes + count);
        s_.writeSizes.push_back(count);
        s_.outQue += count;  // until the test says the bytes went out
        return count;
    }
    TLnPortStatus ClearError() override
    {
        TLnPortStatus st{s_.errors, static_cast<int32_t>(s_.in.size()), s_.outQue};
        s_.errors = 0;
        return st;
    }
    void PurgeInput() override { s_.in.clear(); }
    void PurgeOutput() override {}
    std::string ErrorText() const override { return "Resource temporarily unavailable"; }

    void Fire(uint32_t mask) { RaiseEvent(mask); }

private:
    TFakeState& s_;
    bool open_ = false;
};

// A link on a fake port; the fake's state outlives any one port object.
struct TLinkFixture : ::testing::Test {
    TFakeState state;
    TFakePort* port = nullptr;
    TLocoNetComm link{[this](const std::string&) {
        auto p = std::make_unique<TFakePort>(state);
        port = p.get();
        return p;
    }};
    std::vector<uint32_t> rxEvents;

    void SetUp() override
    {
        link.SetDeviceName("/dev/fake");
        link.OnRxMsg = [this](TLnThreadComm&, uint32_t count) { rxEvents.push_back(count); };
        link.Open();
        ASSERT_TRUE(link.Enabled());
    }

    void Receive(const Bytes& bytes)
    {
        state.in.insert(state.in.end(), bytes.begin(), bytes.end());
        port->Fire(kLnEvRxChar);
    }

    std::vector<std::string> Drain()
    {
        std::vector<std::string> texts;
        while (auto m = link.ReadMessage())
            texts.push_back(m->HexText());
        return texts;
    }
};

Bytes Sv2Discover()
{
    Bytes b = {0xE5, 0x10, 0x00, 0x07, 0x02, 0x10, 0, 0, 0, 0, 0x10, 0, 0, 0, 0};
    uint8_t c = 0xFF;
    for (uint8_t x : b)
        c ^= x;
    b.push_back(c);
    return b;
}

std::string Hex(const Bytes& b)
{
    std::string s;
    char t[4];
    for (uint8_t x : b) {
        std::snprintf(t, sizeof t, "%02X ", x);
        s += t;
    }
    return s;
}

}  // namespace

TEST_F(TLinkFixture, FramesStreamsIntoMessages)
{
    struct TCase {
        const char* name;
        std::vector<Bytes> reads;
        std::vector<std::string> messages;
    };
    const Bytes sv = Sv2Discover();
    const std::vector<TCase> cases = {
        {"frame straddling two reads", {{0x83}, {0x7C}}, {"83 7C "}},
        {"leading data bytes ignored", {{0x00, 0x7C, 0x83, 0x7C}}, {"83 7C "}},
        // After a collision the interrupting opcode is the retransmitted message's first byte.
        {"opcode inside a frame abandons it and starts the next",
         {{0xB2, 0x05, 0xB2, 0x00, 0x50, 0x1D, 0x83, 0x7C}}, {"B2 00 50 1D ", "83 7C "}},
        {"opcode inside a frame, two reads", {{0xB2, 0x05}, {0x85, 0x7A}}, {"85 7A "}},
        {"frame cut twice", {{0xE5, 0x10, 0x01, 0xB2, 0x05, 0x83, 0x7C}}, {"83 7C "}},
        {"bad checksum dropped, next frame kept", {{0xB2, 0x00, 0x50, 0x1E, 0xB2, 0x00, 0x50, 0x1D}}, {"B2 00 50 1D "}},
        {"variable length over three reads", {Bytes(sv.begin(), sv.begin() + 1), Bytes(sv.begin() + 1, sv.begin() + 9),
                                              Bytes(sv.begin() + 9, sv.end())}, {Hex(sv)}},
        {"opcode in the count byte position", {{0xE5, 0x83, 0x7C, 0x83, 0x7C}}, {"83 7C ", "83 7C "}},
        // A count byte of 0, 1 or 2 can never complete; the next opcode starts afresh.
        {"impossible count byte", {{0xE5, 0x02, 0x83, 0x7C}}, {"83 7C "}},
        {"six-byte frame", {{0xD0, 0x01, 0x02, 0x03, 0x04}, {static_cast<uint8_t>(0xFF ^ 0xD0 ^ 1 ^ 2 ^ 3 ^ 4)}},
         {"D0 01 02 03 04 " + Hex({static_cast<uint8_t>(0xFF ^ 0xD0 ^ 1 ^ 2 ^ 3 ^ 4)})}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        link.PurgeIn();
        for (const Bytes& r : c.reads)
            Receive(r);
        EXPECT_EQ(Drain(), c.messages);
    }
}

TEST_F(TLinkFixture, OneRxEventPerReadThatFillsTheEmptyQueue)
{
    Bytes ten;
    for (int i = 0; i < 10; ++i)
        ten.insert(ten.end(), {0x83, 0x7C});
    Receive(ten);
    EXPECT_EQ(rxEvents, std::vector<uint32_t>{10});
    Receive({0x82, 0x7D});  // queue was not empty: no event
    EXPECT_EQ(rxEvents.size(), 1u);
    EXPECT_EQ(link.QueRxMsgCount(), 11u);
    Drain();
    Receive({0xB2, 0x00});  // nothing complete: no event
    EXPECT_EQ(rxEvents.size(), 1u);
    Receive({0x50, 0x1D});
    EXPECT_EQ(rxEvents, (std::vector<uint32_t>{10, 1}));
}

TEST_F(TLinkFixture, LargeReadsGoInPiecesOfTheScratchSize)
{
    Bytes many;
    for (int i = 0; i < 6000; ++i)
        many.insert(many.end(), {0x83, 0x7C});
    Receive(many);
    EXPECT_EQ(link.QueRxMsgCount(), 6000u);
    EXPECT_EQ(rxEvents, std::vector<uint32_t>{6000});
    EXPECT_LE(state.maxRead, TLnThreadComm::kReadChunk);
}

TEST_F(TLinkFixture, CountsWhatTheFramingDrops)
{
    Receive({0x00, 0x7C, 0xB2, 0x05, 0x85, 0x7A, 0xB2, 0x00, 0x50, 0x1E, 0xE5, 0x01, 0x83, 0x7C});
    const TLnFramingStats& s = link.FramingStats();
    EXPECT_EQ(s.bytesIn, 14u);
    EXPECT_EQ(s.framesAbandoned, 1u);
    EXPECT_EQ(s.framesCutIn, 1u);  // 85 began the frame 85 7A
    EXPECT_EQ(s.framesInvalid, 1u);
    EXPECT_EQ(s.framesImpossible, 1u);
    EXPECT_EQ(s.bytesIgnored, 2u);  // 00 7C
    EXPECT_EQ(s.bytesDropped, 10u);  // everything but the two good frames
    EXPECT_EQ(link.QueRxMsgCount(), 2u);
}

TEST_F(TLinkFixture, PurgeInForgetsTheHalfFrameAndTheQueue)
{
    Receive({0x83, 0x7C, 0xB2, 0x00});
    link.PurgeIn();
    EXPECT_EQ(link.QueRxMsgCount(), 0u);
    Receive({0x50, 0x1D});
    EXPECT_EQ(link.QueRxMsgCount(), 0u);
}

TEST_F(TLinkFixture, KickTxWritesWholeMessagesOnlyWhenTheyFit)
{
    const Bytes sv = Sv2Discover();
    state.outQue = TLnThreadComm::kOutBufferSize - 16;  // room 16: a 16-byte message is not less than it
    link.WriteMessage(std::make_unique<TLocoNetMessage>(sv.data(), 16));
    link.WriteMessage(std::make_unique<TLocoNetMessage>(reinterpret_cast<const uint8_t*>("\x83\x7C"), 2));
    EXPECT_TRUE(state.written.empty());
    EXPECT_EQ(link.QueTxMsgCount(), 2u);

    state.outQue = TLnThreadComm::kOutBufferSize - 17;  // room 17: fits
    port->Fire(kLnEvTxEmpty);
    EXPECT_EQ(link.QueTxMsgCount(), 1u);  // the 16 bytes written leave no room for the next
    state.outQue = 0;
    port->Fire(kLnEvTxEmpty);
    EXPECT_EQ(link.QueTxMsgCount(), 0u);
    EXPECT_EQ(state.writeSizes, (std::vector<int>{16, 2}));  // never split, in order
    EXPECT_EQ(Hex(state.written), Hex(sv) + "83 7C ");
}

TEST_F(TLinkFixture, TxEmptyEventOnlyWhenNothingIsQueued)
{
    int empties = 0;
    link.OnTxEmpty = [&](TLnThreadComm&) { ++empties; };
    port->Fire(kLnEvTxEmpty);
    EXPECT_EQ(empties, 1);
    state.outQue = TLnThreadComm::kOutBufferSize;
    link.WriteMessage(std::make_unique<TLocoNetMessage>(reinterpret_cast<const uint8_t*>("\x83\x7C"), 2));
    state.outQue = 0;
    port->Fire(kLnEvTxEmpty);  // kicks the queue instead
    EXPECT_EQ(empties, 1);
    EXPECT_EQ(state.written.size(), 2u);
}

TEST_F(TLinkFixture, ClosedLinkDiscardsWrittenMessages)
{
    link.Close();
    link.WriteMessage(std::make_unique<TLocoNetMessage>(reinterpret_cast<const uint8_t*>("\x83\x7C"), 2));
    EXPECT_EQ(link.QueTxMsgCount(), 0u);
    EXPECT_TRUE(state.written.empty());
    EXPECT_EQ(link.OutQueCount(), -1);
    EXPECT_EQ(link.InQueCount(), -1);
    uint8_t b[4];
    EXPECT_EQ(link.Write(b, 2), -1);
    EXPECT_EQ(link.Read(b, 2), -1);
}

TEST_F(TLinkFixture, LineErrorsReachOnErrorAndTheLinkCarriesOn)
{
    std::vector<uint32_t> errors;
    link.OnError = [&](TLnThreadComm&, uint32_t flags) { errors.push_back(flags); };
    state.errors = kLnErrFrame | kLnErrOverrun;
    state.in = {0x83, 0x7C};
    port->Fire(kLnEvError | kLnEvRxChar);
    EXPECT_EQ(errors, std::vector<uint32_t>{kLnErrFrame | kLnErrOverrun});
    EXPECT_TRUE(link.Enabled());
    EXPECT_EQ(link.QueRxMsgCount(), 1u);
}

TEST_F(TLinkFixture, LostDeviceDeliversWhatCameClosesAndReports)
{
    bool enabledInHandler = true;
    uint32_t flags = 0;
    link.OnError = [&](TLnThreadComm& l, uint32_t f) {
        enabledInHandler = l.Enabled();
        flags = f;
    };
    state.errors = kLnErrDeviceLost;
    state.in = {0x83, 0x7C};
    port->Fire(kLnEvError | kLnEvRxChar);
    EXPECT_EQ(link.QueRxMsgCount(), 1u);
    EXPECT_FALSE(link.Enabled());
    EXPECT_FALSE(enabledInHandler);
    EXPECT_EQ(flags, uint32_t(kLnErrDeviceLost));
    EXPECT_EQ(link.LastOpenError(), "Resource temporarily unavailable");
    EXPECT_EQ(state.closes, 1);
    link.Open();  // a new port, as after plugging the interface back in
    EXPECT_TRUE(link.Enabled());
    EXPECT_EQ(link.LastOpenError(), "");
}

TEST_F(TLinkFixture, OwnerMayReopenFromInsideTheFailureEvent)
{
    int reopened = 0;
    link.OnError = [&](TLnThreadComm& l, uint32_t) {
        l.Open();  // destroys the failing port while its event is being raised
        ++reopened;
    };
    state.errors = kLnErrDeviceLost;
    port->Fire(kLnEvError);
    EXPECT_EQ(reopened, 1);
    EXPECT_TRUE(link.Enabled());
    EXPECT_EQ(state.opens, 2);
}

TEST_F(TLinkFixture, SettingsWhileOpen)
{
    link.SetDeviceName("/dev/other");  // ignored while open
    EXPECT_EQ(link.DeviceName(), "/dev/fake");
    link.SetBaudRate(br57600);  // applied at once
    link.SetBaudRate(br57600);  // same value: nothing
    EXPECT_EQ(state.bauds, (std::vector<int>{19200, 57600}));
    link.Close();
    link.SetDeviceName("/dev/other");
    EXPECT_EQ(link.DeviceName(), "/dev/other");
    link.SetBaudRate(br16457);  // closed: stored only
    EXPECT_EQ(state.bauds.size(), 2u);
    link.Open();
    EXPECT_EQ(state.bauds.back(), 16457);
}

TEST(LinkOpen, DefaultsAndDtrByInterface)
{
    TLocoNetComm link;
    EXPECT_EQ(link.DeviceName(), "Com1");
    EXPECT_EQ(link.BaudRate(), br19200);
    EXPECT_EQ(link.LocoNetInterface(), eMS100);
    EXPECT_FALSE(link.LogToFile());

    struct TCase {
        ELocoNetInterface iface;
        bool dtr;
    };
    for (TCase c : {TCase{eMS100, false}, TCase{eLocoBuffer, true}, TCase{ePR3, true}}) {
        TFakeState s;
        TLocoNetComm l([&](const std::string&) { return std::make_unique<TFakePort>(s); });
        l.SetLocoNetInterface(c.iface);
        l.Open();
        EXPECT_EQ(s.dtr, std::vector<bool>{c.dtr}) << c.iface;
    }
}

TEST(LinkOpen, FailuresAndTheirTexts)
{
    TFakeState s;
    TLocoNetComm link([&](const std::string&) { return std::make_unique<TFakePort>(s); });

    s.openOk = false;  // cannot open: closed, no exception, reason kept
    EXPECT_NO_THROW(link.Open());
    EXPECT_FALSE(link.Enabled());
    EXPECT_EQ(link.LastOpenError(), "No such file or directory");

    s.openOk = true;
    link.Open();
    try {
        link.Open();
        ADD_FAILURE() << "no exception";
    } catch (const TLnCommError& e) {
        EXPECT_STREQ(e.what(), "Port already assigned (open) (Error: -1)");
        EXPECT_EQ(e.Code(), -1);
    }
    link.Close();
    link.Close();  // closing a closed link does nothing
    EXPECT_THROW(link.SetDTRState(true), TLnCommError);
    try {
        link.SetDTRState(true);
    } catch (const TLnCommError& e) {
        EXPECT_STREQ(e.what(), "Port not open (Error: -1)");
    }

    // No modem lines (a pseudo-terminal): the link works without them.
    s.dtrResult = TLnLineResult::Unsupported;
    link.SetLocoNetInterface(eLocoBuffer);
    EXPECT_NO_THROW(link.Open());
    EXPECT_TRUE(link.Enabled());
    link.Close();

    // A real failure of the modem line is raised.
    s.dtrResult = TLnLineResult::Failed;
    s.dtrCode = 5;
    try {
        link.Open();
        ADD_FAILURE() << "no exception";
    } catch (const TLnCommError& e) {
        EXPECT_STREQ(e.what(), "EscapeCommFunction failure (Error: 5)");
    }
    link.Close();
    s.dtrResult = TLnLineResult::Ok;

    s.bufferError = 7;  // raised after the port is otherwise running
    try {
        link.Open();
        ADD_FAILURE() << "no exception";
    } catch (const TLnCommError& e) {
        EXPECT_STREQ(e.what(), "Error initializing Read/Write Buffers (Error: 7)");
    }
    EXPECT_TRUE(link.Enabled());
    link.Close();
    s.bufferError = 0;

    s.lineSettingsError = 3;  // a port that cannot take the line settings is not left open
    try {
        link.Open();
        ADD_FAILURE() << "no exception";
    } catch (const TLnCommError& e) {
        EXPECT_STREQ(e.what(), "Error updating DataControlBlock (Error: 3)");
    }
    EXPECT_FALSE(link.Enabled());
    EXPECT_EQ(link.LastOpenError(), "Error updating DataControlBlock (Error: 3)");
}

TEST(LinkOpen, NoPortFactoryLeavesTheLinkClosed)
{
    TLocoNetComm link;
    link.Open();
    EXPECT_FALSE(link.Enabled());
    EXPECT_FALSE(link.LastOpenError().empty());
}

TEST(LinkLog, WritesBytesAndVerdicts)
{
    const std::string path = ::testing::TempDir() + "lncomm_log.txt";
    TFakeState s;
    TFakePort* port = nullptr;
    TLocoNetComm link([&](const std::string&) {
        auto p = std::make_unique<TFakePort>(s);
        port = p.get();
        return p;
    });
    link.SetLogToFile(true);
    link.SetLogFileName(path);
    link.Open();
    s.in = {0x83, 0x7C};
    port->Fire(kLnEvRxChar);
    auto read = [&] {
        // A text file: lines end as the system's own (CR LF on Windows).
        std::ifstream f(path);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    };
    EXPECT_EQ(read(), "83\n7c\nOPC_GPON:83 7C ");
    s.in = {0x07, 0xB2, 0x05, 0x85, 0xB2, 0x00, 0x50, 0x1E};
    port->Fire(kLnEvRxChar);
    // 85 cuts the sensor frame short and begins a frame that the next b2 cuts short in turn.
    EXPECT_EQ(read(), "83\n7c\nOPC_GPON:83 7C 7\nb2\n5\n85\nrejected because top bit set in payload bytes"
                      "b2\nrejected because top bit set in payload bytes0\n50\n1e\nrejected as invalid");
    link.Close();
    // Opening again starts a fresh log.
    link.Open();
    link.Close();
    EXPECT_EQ(read(), "");
    std::remove(path.c_str());
}

// A recording keeps every frame the link handles: the messages framed and
// written, and the runs the framing dropped; together they are every byte.
TEST_F(TLinkFixture, HandsEveryFrameToItsRecorder)
{
    std::vector<std::string> seen;
    link.OnTraffic = [&](TRecDirection d, const uint8_t* b, int n) {
        seen.push_back(std::string(RecDirectionName(d)) + " " + Hex(Bytes(b, b + n)));
    };
    // stray 00 7C; B2 05 cut short by 85; 85 7A good; B2 00 50 1E bad checksum;
    // E5 01 impossible length; 83 7C good.
    Receive({0x00, 0x7C, 0xB2, 0x05, 0x85, 0x7A, 0xB2, 0x00, 0x50, 0x1E, 0xE5, 0x01, 0x83, 0x7C});
    link.WriteMessage(TLocoNetMessage(Sv2Discover().data(), 16));
    EXPECT_EQ(seen, (std::vector<std::string>{"rejected 00 ", "rejected 7C ", "rejected B2 05 ", "received 85 7A ",
                                              "rejected B2 00 50 1E ", "rejected E5 01 ", "received 83 7C ",
                                              "sent " + Hex(Sv2Discover())}));
}
