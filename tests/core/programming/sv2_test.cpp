// Boards of other makers that keep their bus address (the destination of
// their replies) apart from a fixed serial number, next to the family's
// boards, which answer at their serial number.
#include "Enginefakes.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "programming/Tprogsequencer.h"
#include "programming/Trenumberengine.h"

#include <gtest/gtest.h>

namespace {

const std::string kShippedList = std::string(TEST_DATA_DIR) + "/../../programming/progdevicelist.csv";

constexpr int kAddress = 4000;
constexpr int kSerial = 33000;

int Vendor(int manufacturer, int developer) { return manufacturer | developer << 8; }

TEST(SeparateAddressTest, RepliesTellTheAddressApart)
{
    struct TCase {
        const char* what;
        TLNSVProgMessage reply;
        bool separate;
        int address;
        int manufacturer;
        int developer;
    };
    const TCase cases[] = {
        {"family discover reply (destination 0)", Reply::Discover(46, 2, 301), false, 301, 46, 0},
        {"family identify reply (destination = serial)", Reply::IdentifyAt(46, 2, 301, 301), false, 301, 46, 0},
        {"other maker, discover", Reply::DiscoverAt(Vendor(13, 7), 1, kSerial, kAddress), true, kAddress, 13, 7},
        {"other maker, identify, high bits", Reply::IdentifyAt(Vendor(0xA5, 0x81), 0x80, 0x8081, 0x80FF), true,
         0x80FF, 0xA5, 0x81},
        {"other maker at its serial number", Reply::IdentifyAt(Vendor(13, 1), 1, 77, 77), false, 77, 13, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.reply.SvHasSeparateAddress(), c.separate);
        EXPECT_EQ(c.reply.SvReplyAddress(), c.address);
        EXPECT_EQ(c.reply.SvManufacturer(), c.manufacturer);
        EXPECT_EQ(c.reply.SvDeveloper(), c.developer);
    }
}

class TNumberRecorder : public IRenumberListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override { sent.push_back(*message); }
    void MessageBox(const std::string& t, const std::string& caption) override { boxes.push_back(caption + " " + t); }
    void BoardListChanged(const std::vector<std::string>& l) override { lines = l; }
    void OperationEnded(TRenumberOperation, bool ok) override { success = ok; }

    std::vector<TLNSVProgMessage> sent;
    std::vector<std::string> boxes;
    std::vector<std::string> lines;
    bool success = false;
};

class SeparateAddressNumbering : public ::testing::Test {
protected:
    SeparateAddressNumbering() : engine(rec, &timeout, &delay) { engine.LoadProductList(kShippedList); }

    void Expire() { engine.TimeoutExpired(timeout.armedToken); }

    // A family ORT50 at 301, a DIY board at 4000 (serial 33000) and a board of
    // developer 7 built as an ORT50 (manufacturer 46) at 4001 (serial 33001).
    void DiscoverMixedBus()
    {
        engine.Discover();
        engine.HandleSvMessage(Reply::Discover(46, 2, 301));
        engine.HandleSvMessage(Reply::DiscoverAt(Vendor(13, 1), 1, kSerial, kAddress));
        engine.HandleSvMessage(Reply::DiscoverAt(Vendor(46, 7), 2, kSerial + 1, kAddress + 1));
        Expire();
        rec.sent.clear();
        rec.boxes.clear();
    }

    TNumberRecorder rec;
    TFakeTimer timeout;
    TFakeTimer delay;
    TRenumberEngine engine;
};

TEST_F(SeparateAddressNumbering, DiscoveryListsEachBoardUnderItsAddress)
{
    DiscoverMixedBus();
    EXPECT_EQ(engine.ListLines(), (std::vector<std::string>{
                                      "301\tORT50\tQuorvel\tORT50 Kestrix panel controller",
                                      "4000\t\t\t\tserial 33000",
                                      "4001\tORT50\tQuorvel\tORT50 Kestrix panel controller\tserial 33001",
                                  }));
    const TRenumberableBoard& diy = *engine.Boards()[1];
    EXPECT_EQ(diy.Address(), kAddress);
    EXPECT_EQ(diy.SerialNumber(), kSerial);
    EXPECT_EQ(diy.Manufacturer8(), 13);
    EXPECT_EQ(diy.Developer8(), 1);
}

TEST_F(SeparateAddressNumbering, IdentifyAddressesTheBoardAndAcceptsItsReplyByDestination)
{
    DiscoverMixedBus();
    engine.Identify(1);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].ToText(), "SV Access: Identify VendId=0 DevId=0 Serial=0");
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), kAddress);
    // Same board identity at another address, or the right address with another serial: not this board.
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, 4002));
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial + 5, kAddress));
    // The serial number alone, as a family board would answer, is not this board either.
    engine.HandleSvMessage(Reply::Identify(Vendor(13, 1), 1, kSerial));
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifying);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, kAddress));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Identify: Identify successful!"}));
}

TEST_F(SeparateAddressNumbering, IdentifyByNumberTakesTheAddress)
{
    // The reply to an identify sent to 4000 carries 4000 as destination and
    // 33000 as serial number: it answers 4000, not 33000.
    engine.IdentifySerial(kSerial);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, kAddress));
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifying);
    Expire();
    engine.IdentifySerial(kAddress);
    EXPECT_EQ(rec.sent.back().SvPayloadWord(2), kAddress);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, kAddress));
    EXPECT_TRUE(engine.IsIdle());
    ASSERT_NE(engine.IdentifiedBoard(), nullptr);
    EXPECT_EQ(engine.IdentifiedBoard()->ListLine(), "4000\t\t\t\tserial 33000");
}

TEST_F(SeparateAddressNumbering, RenumberChangesTheAddressAndKeepsTheSerial)
{
    DiscoverMixedBus();
    // Addresses are what must not clash, serial numbers of other makers do not count.
    engine.Renumber(1, 4001);
    EXPECT_EQ(rec.boxes,
              (std::vector<std::string>{"Error: New number duplicates a board on LocoNet! Choose a different value"}));
    EXPECT_TRUE(rec.sent.empty());
    rec.boxes.clear();

    engine.Renumber(1, 5000);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), kAddress);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, kAddress));
    engine.DelayExpired(delay.armedToken);
    ASSERT_EQ(rec.sent.size(), 2u);
    EXPECT_EQ(rec.sent[1].ToText(), "SV Access: ChangeAddress VendId=269 DevId=1 Serial=33000 New Adr=5000");
    engine.HandleSvMessage(Reply::ChangeAddress(Vendor(13, 1), 1, kSerial, 5000));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"change address: Change Address successful. Relabel board now!"}));
    EXPECT_EQ(rec.lines[1], "5000\t\t\t\tserial 33000");

    // It is reached at its new address from now on.
    engine.Identify(1);
    EXPECT_EQ(rec.sent.back().SvPayloadWord(2), 5000);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, 5000));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(rec.boxes.back(), "Identify: Identify successful!");
}

TEST_F(SeparateAddressNumbering, AddressEqualToTheSerialNumberAndBackKeepsTheSerial)
{
    DiscoverMixedBus();
    const auto renumber = [this](int from, int to) {
        engine.Renumber(1, to);
        engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, kSerial, from));
        engine.DelayExpired(delay.armedToken);
        engine.HandleSvMessage(Reply::ChangeAddress(Vendor(13, 1), 1, kSerial, to));
        ASSERT_TRUE(engine.IsIdle());
        EXPECT_EQ(rec.boxes.back(), "change address: Change Address successful. Relabel board now!");
    };
    renumber(kAddress, kSerial);
    EXPECT_EQ(engine.ListLines()[1], "33000\t\t\t");
    renumber(kSerial, 4100);
    EXPECT_EQ(engine.ListLines()[1], "4100\t\t\t\tserial 33000");
}

TEST_F(SeparateAddressNumbering, BoardFirstSeenAtItsSerialNumberIsFoundAfterARenumber)
{
    // Address and serial number equal: nothing tells it from a family board yet.
    engine.Discover();
    engine.HandleSvMessage(Reply::DiscoverAt(Vendor(13, 1), 1, 77, 77));
    Expire();
    EXPECT_EQ(engine.ListLines()[0], "77\t\t\t");
    engine.Renumber(0, 78);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, 77, 77));
    engine.DelayExpired(delay.armedToken);
    engine.HandleSvMessage(Reply::ChangeAddress(Vendor(13, 1), 1, 77, 78));
    ASSERT_TRUE(engine.IsIdle());
    // Its identify reply shows the two apart; the board keeps answering and
    // can be renumbered again with its true serial number.
    engine.Identify(0);
    engine.HandleSvMessage(Reply::IdentifyAt(Vendor(13, 1), 1, 77, 78));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(rec.boxes.back(), "Identify: Identify successful!");
    EXPECT_EQ(engine.ListLines()[0], "78\t\t\t\tserial 77");
    EXPECT_EQ(engine.Boards()[0]->MakeChangeAddressMessage(79)->ToText(),
              "SV Access: ChangeAddress VendId=269 DevId=1 Serial=77 New Adr=79");
}

TEST_F(SeparateAddressNumbering, CopyUsesTheAddressAsTheConfiguredNumber)
{
    TBoardData boards;
    if (!MakeBoard(btORT50))
        GTEST_SKIP() << "board models not built in";
    DiscoverMixedBus();
    EXPECT_EQ(engine.CopyNewBoards(boards), 2);
    ASSERT_EQ(boards.BoardCount(btORT50), 2);
    EXPECT_EQ(boards.BoardAt(btORT50, 0)->SerialNumber(), 301);
    EXPECT_EQ(boards.BoardAt(btORT50, 1)->SerialNumber(), kAddress + 1);
    EXPECT_EQ(engine.CopyNewBoards(boards), 0);
}

// ---- Programming ----

class TProgRecorder : public IProgrammerListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override { sent.push_back(*message); }
    void LogText(const std::string& t) override { log.push_back(t); }
    void TransferEnded(bool ok, const std::string& t) override
    {
        ended = true;
        success = ok;
        endText = t;
    }

    std::vector<TLNSVProgMessage> sent;
    std::vector<std::string> log;
    bool ended = false;
    bool success = false;
    std::string endText;
};

class SeparateAddressProgramming : public ::testing::Test {
protected:
    SeparateAddressProgramming() : seq(rec, &timeout, &delay), board(kAddress)
    {
        memory.address = kAddress;
        memory.serial = kSerial;
        memory.vendor = Vendor(46, 7);
    }

    void RunToEnd()
    {
        size_t answered = 0;
        for (int limit = 10000; !rec.ended && limit > 0; --limit) {
            TLNSVProgMessage reply;
            if (rec.sent.size() > answered && memory.Answer(rec.sent.back(), reply)) {
                answered = rec.sent.size();
                seq.HandleSvMessage(reply);
            } else {
                answered = rec.sent.size();
                seq.TimeoutExpired(timeout.armedToken);
            }
        }
    }

    TProgRecorder rec;
    TFakeTimer timeout;
    TFakeTimer delay;
    TProgSequencer seq;
    TTestBoard board;
    TBoardMemory memory;
};

TEST_F(SeparateAddressProgramming, WritesAndReadsTheBoardAtItsAddress)
{
    ASSERT_TRUE(seq.Start(TProgramMode::eWrite, board));
    RunToEnd();
    ASSERT_TRUE(rec.success) << rec.endText;
    EXPECT_EQ(rec.endText, ProgTexts::kProgramCompleted);
    for (const TLNSVProgMessage& m : rec.sent)
        EXPECT_EQ(m.SvPayloadWord(2), kAddress) << m.ToText();
    for (unsigned sv = 5; sv <= board.SvLength(); ++sv)
        if (board.IsTransferable(sv)) {
            ASSERT_EQ(memory.sv[sv], board.SvByte(sv)) << "SV " << sv;
        }

    TTestBoard readBack(kAddress);
    rec = TProgRecorder{};
    ASSERT_TRUE(seq.Start(TProgramMode::eRead, readBack));
    RunToEnd();
    ASSERT_TRUE(rec.success) << rec.endText;
    EXPECT_EQ(readBack.decodeCalls, 1);
    for (unsigned sv = 5; sv <= board.SvLength(); ++sv)
        if (board.IsTransferable(sv)) {
            ASSERT_EQ(readBack.SvByte(sv), board.SvByte(sv)) << "SV " << sv;
        }
}

TEST_F(SeparateAddressProgramming, IdentityJudgedByManufacturerProductAndAddress)
{
    struct TCase {
        const char* what;
        TLNSVProgMessage reply;
        bool accepted;
    };
    const TCase cases[] = {
        {"family manufacturer, any developer", Reply::IdentifyAt(Vendor(46, 7), 2, kSerial, kAddress), true},
        {"family manufacturer 1", Reply::IdentifyAt(Vendor(1, 200), 2, kSerial, kAddress), true},
        {"another manufacturer", Reply::IdentifyAt(Vendor(13, 0), 2, kSerial, kAddress), false},
        {"another product", Reply::IdentifyAt(Vendor(46, 7), 5, kSerial, kAddress), false},
        {"another address", Reply::IdentifyAt(Vendor(46, 7), 2, kAddress, kSerial), false},
        {"family board at the number", Reply::IdentifyAt(46, 2, kAddress, kAddress), true},
        {"developer byte makes the word no family vendor", Reply::Identify(Vendor(46, 7), 2, kAddress), false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        rec = TProgRecorder{};
        ASSERT_TRUE(seq.Start(TProgramMode::eWrite, board));
        seq.HandleSvMessage(c.reply);
        EXPECT_EQ(seq.State(), c.accepted ? TProgramState::eCheckingVersion : TProgramState::eIdle);
        if (!c.accepted) {
            EXPECT_EQ(rec.endText, ProgTexts::kWrongType);
        }
        seq.GoIdle();
    }
}

}  // namespace
