#include "Enginefakes.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "programming/Trenumberengine.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

// The list shipped with the program, from the source tree.
const std::string kShippedList = std::string(TEST_DATA_DIR) + "/../../programming/progdevicelist.csv";

class TRecorder : public IRenumberListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override
    {
        events.push_back("send:" + message->ToText());
        sent.push_back(*message);
    }
    void StatusText(const std::string& t) override
    {
        status = t;
        events.push_back("status:" + t);
    }
    void MessageBox(const std::string& t, const std::string& caption) override
    {
        boxes.push_back(caption + " " + t);
        events.push_back("box:" + caption + " " + t);
    }
    void ErrorMessage(const std::string& t) override { events.push_back("error:" + t); }
    void BoardListChanged(const std::vector<std::string>& l) override { lines = l; }
    void BoardCountChanged(int c) override { count = c; }
    void ButtonsChanged(const TRenumberButtons& b) override { buttons = b; }
    void OperationEnded(TRenumberOperation, bool ok) override
    {
        ended = true;
        success = ok;
    }

    std::vector<std::string> events;
    std::vector<TLNSVProgMessage> sent;
    std::vector<std::string> boxes;
    std::vector<std::string> lines;
    std::string status;
    int count = -1;
    TRenumberButtons buttons;
    bool ended = false;
    bool success = false;
};

class RenumberTest : public ::testing::Test {
protected:
    RenumberTest() : engine(rec, &timeout, &delay) { engine.LoadProductList(kShippedList); }

    void Expire() { engine.TimeoutExpired(timeout.armedToken); }

    // Discovers the boards given as (vendor, device, serial).
    void DiscoverBoards(const std::vector<std::array<int, 3>>& boards)
    {
        engine.Discover();
        for (const auto& b : boards)
            engine.HandleSvMessage(Reply::Discover(b[0], b[1], b[2]));
        Expire();
        rec.ended = false;
        rec.boxes.clear();
        rec.sent.clear();
    }

    TRecorder rec;
    TFakeTimer timeout;
    TFakeTimer delay;
    TRenumberEngine engine;
};

TEST_F(RenumberTest, CreationGoesIdleWithEmptyList)
{
    EXPECT_EQ(rec.status, "No Address change active");
    EXPECT_TRUE(rec.lines.empty());
    EXPECT_TRUE(rec.buttons.discover);
    EXPECT_FALSE(rec.buttons.identify || rec.buttons.renumber || rec.buttons.copyNewBoards);
    EXPECT_EQ(engine.Products().Count(), 17);
}

TEST_F(RenumberTest, DiscoveryWithNoBoard)
{
    engine.Discover();
    EXPECT_EQ(rec.lines, (std::vector<std::string>{"Discovering boards on LocoNet (this takes several seconds)....."}));
    EXPECT_EQ(rec.status, "Discovering.....");
    EXPECT_EQ(rec.count, 0);
    EXPECT_FALSE(rec.buttons.discover || rec.buttons.identify || rec.buttons.renumber || rec.buttons.copyNewBoards);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].SvKind(), eSvDiscover);
    EXPECT_EQ(timeout.interval, 5000);
    engine.HandleSvMessage(rec.sent[0]);  // our own discover, echoed
    Expire();
    EXPECT_TRUE(rec.lines.empty());
    EXPECT_EQ(engine.FoundCount(), 0);
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Discover: Discovery complete!"}));
    EXPECT_TRUE(rec.buttons.discover);
    EXPECT_FALSE(rec.buttons.identify || rec.buttons.renumber || rec.buttons.copyNewBoards);
    EXPECT_EQ(rec.status, "No Address change active");
    EXPECT_TRUE(rec.ended && rec.success);
}

TEST_F(RenumberTest, DiscoveryOfThreeBoardsEndsAfterTheLastReply)
{
    engine.Discover();
    const uint64_t first = timeout.armedToken;
    engine.HandleSvMessage(Reply::Discover(46, 2, 301));
    engine.HandleSvMessage(Reply::Discover(1, 10, 17));  // PAX66 only with vendor 46: unknown product
    EXPECT_EQ(rec.count, 2);
    engine.TimeoutExpired(first);  // the first 5 s ran out before the replies restarted it
    EXPECT_EQ(engine.State(), TRenumberState::eDiscovering);
    engine.HandleSvMessage(Reply::Discover(46, 9, 65535));
    EXPECT_EQ(timeout.starts, 4);
    Expire();
    EXPECT_EQ(rec.lines, (std::vector<std::string>{"301\tORT50\tQuorvel\tORT50 Kestrix panel controller",
                                                  "17\t\t\t",
                                                  "65535\tTEL90\tQuorvel\tTEL90 16-channel Sensor Board"}));
    EXPECT_EQ(rec.count, 3);
    EXPECT_TRUE(rec.buttons.identify && rec.buttons.renumber && rec.buttons.copyNewBoards);
    // A second discovery starts from nothing.
    engine.Discover();
    EXPECT_EQ(rec.count, 0);
    EXPECT_TRUE(engine.Boards().empty());
}

TEST_F(RenumberTest, IdentifyOutcomes)
{
    DiscoverBoards({{46, 2, 301}, {46, 5, 302}});
    engine.Identify(-1);
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Error: Select a board in the list first!"}));
    EXPECT_TRUE(rec.sent.empty());
    rec.boxes.clear();

    engine.Identify(1);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].ToText(), "SV Access: Identify VendId=0 DevId=0 Serial=0");
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), 302);
    EXPECT_EQ(rec.status, "Identifying target board...");
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifying);
    EXPECT_FALSE(rec.buttons.discover);
    // Another board, or the right serial with another identity: ignored.
    engine.HandleSvMessage(Reply::Identify(46, 2, 301));
    engine.HandleSvMessage(Reply::Identify(46, 2, 302));
    engine.Discover();  // busy: refused
    EXPECT_EQ(rec.sent.size(), 1u);
    Expire();
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Timout Error: Board did not response to Identify message"}));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_FALSE(rec.success);

    rec.boxes.clear();
    engine.Identify(1);
    engine.HandleSvMessage(Reply::Identify(46, 5, 302));
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Identify: Identify successful!"}));
    EXPECT_FALSE(timeout.running);
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_TRUE(rec.success);
}

TEST_F(RenumberTest, RenumberChangesTheAddressAfterThePause)
{
    DiscoverBoards({{46, 2, 301}, {46, 5, 302}});
    engine.Renumber(0, 302);
    EXPECT_EQ(rec.boxes,
              (std::vector<std::string>{"Error: New number duplicates a board on LocoNet! Choose a different value"}));
    EXPECT_TRUE(rec.sent.empty());
    EXPECT_TRUE(engine.IsIdle());
    rec.boxes.clear();

    engine.Renumber(0, 1000);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), 301);
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifyBeforeChange);
    engine.HandleSvMessage(Reply::Identify(46, 2, 301));
    EXPECT_FALSE(timeout.running);
    EXPECT_TRUE(delay.running);
    EXPECT_EQ(delay.interval, 50);
    EXPECT_EQ(rec.sent.size(), 1u);
    engine.DelayExpired(delay.armedToken);
    ASSERT_EQ(rec.sent.size(), 2u);
    EXPECT_EQ(rec.sent[1].ToText(), "SV Access: ChangeAddress VendId=46 DevId=2 Serial=301 New Adr=1000");
    EXPECT_EQ(rec.status, "Changing address...");
    EXPECT_EQ(engine.State(), TRenumberState::eChangingAddress);
    // A change reply of another board is ignored.
    engine.HandleSvMessage(Reply::ChangeAddress(46, 5, 302, 1000));
    EXPECT_EQ(engine.State(), TRenumberState::eChangingAddress);
    engine.HandleSvMessage(Reply::ChangeAddress(46, 2, 301, 1000));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"change address: Change Address successful. Relabel board now!"}));
    EXPECT_EQ(rec.lines[0], "1000\tORT50\tQuorvel\tORT50 Kestrix panel controller");
    EXPECT_TRUE(rec.success);
    // The new number is now taken.
    rec.boxes.clear();
    engine.Renumber(1, 1000);
    EXPECT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.sent.size(), 2u);
}

TEST_F(RenumberTest, IdentifyBySerialAlone)
{
    engine.IdentifySerial(4711);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].SvPayloadWord(2), 4711);
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifying);
    engine.HandleSvMessage(Reply::Identify(46, 2, 4712));  // another board
    engine.HandleSvMessage(Reply::Discover(46, 2, 4711));  // not an identify reply
    EXPECT_EQ(engine.State(), TRenumberState::eIdentifying);
    engine.HandleSvMessage(Reply::Identify(46, 7, 4711));
    EXPECT_TRUE(engine.IsIdle());
    ASSERT_NE(engine.IdentifiedBoard(), nullptr);
    EXPECT_EQ(engine.IdentifiedBoard()->ListLine(), "4711\tPAX60\tQuorvel\tPAX60 Gantrel accessory decoder");
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Identify: Identify successful!"}));
    EXPECT_TRUE(engine.Boards().empty());  // the discovered list is not touched

    engine.IdentifySerial(5);
    EXPECT_EQ(engine.IdentifiedBoard(), nullptr);
    Expire();
    EXPECT_EQ(rec.boxes.back(), "Timout Error: Board did not response to Identify message");
}

TEST_F(RenumberTest, RenumberTimeouts)
{
    DiscoverBoards({{46, 2, 301}});
    engine.Renumber(0, 500);
    Expire();
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Timout Error: Board did not response to Identify message"}));
    EXPECT_TRUE(engine.IsIdle());

    rec.boxes.clear();
    engine.Renumber(0, 500);
    engine.HandleSvMessage(Reply::Identify(46, 2, 301));
    engine.DelayExpired(delay.armedToken);
    Expire();
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Timout Error: Board did not response to ChangeAddress message"}));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_EQ(engine.Boards()[0]->SerialNumber(), 301);

    // A selection out of range, and a number the spin edit would not allow.
    rec.boxes.clear();
    engine.Renumber(1, 500);
    engine.Renumber(0, 0);
    engine.Renumber(0, 65536);
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"Error: Select a board in the list first!",
                                                   "Error: New serial number must be between 1 and 65535",
                                                   "Error: New serial number must be between 1 and 65535"}));
}

TEST_F(RenumberTest, CopyNewBoardsOnce)
{
    TBoardData boards;
    engine.CopyNewBoards(boards);
    EXPECT_EQ(rec.events.back(), "error:You need to discover some boards first");

    if (!MakeBoard(btORT50) || !MakeBoard(btTEL90))
        GTEST_SKIP() << "board models not built in";
    ASSERT_TRUE(boards.AppendBoard(btTEL90));
    boards.BoardAt(btTEL90, 0)->SetSerialNumber(302);  // already configured
    DiscoverBoards({{46, 2, 301}, {46, 9, 302}, {46, 77, 303}, {1, 3, 304}});
    EXPECT_EQ(engine.CopyNewBoards(boards), 2);
    ASSERT_EQ(boards.BoardCount(btORT50), 2);
    EXPECT_EQ(boards.BoardAt(btORT50, 0)->SerialNumber(), 301);
    EXPECT_EQ(boards.BoardAt(btORT50, 1)->SerialNumber(), 304);
    EXPECT_EQ(boards.BoardCount(btTEL90), 1);
    EXPECT_TRUE(boards.IsModified(btORT50));
    EXPECT_EQ(engine.CopyNewBoards(boards), 0);
    EXPECT_EQ(boards.BoardCount(btORT50), 2);
}

TEST(ProductListTest, ShippedListNamesEveryModel)
{
    TProductList list;
    ASSERT_TRUE(list.Load(kShippedList)) << list.Warning();
    struct Case {
        int vendor, device;
        const char* product;
    };
    const Case cases[] = {{46, 1, "VELA40"}, {1, 1, "VELA40"}, {46, 2, "ORT50"},  {1, 3, "ORT50"},
                          {46, 4, "ORT50"},  {46, 5, "VELA80"}, {1, 6, "MUV7"},  {46, 7, "PAX60"},
                          {1, 9, "TEL90"},   {46, 10, "PAX66"}, {1, 10, ""},     {46, 8, ""}};
    for (const Case& c : cases) {
        TRenumberableBoard board(c.vendor, c.device, 5);
        board.LookUpProduct(list);
        EXPECT_EQ(board.Product(), c.product) << c.vendor << "/" << c.device;
        if (*c.product) {
            EXPECT_EQ(board.Manufacturer(), "Quorvel");
            EXPECT_EQ(BoardTypeFromName(board.Product()) >= 0, true);
        }
    }
}

TEST(ProductListTest, DamagedListsKeepWhatCanBeReadAndWarnOnce)
{
    const std::string ort = "\"ORT50\",2,\"Q\",46,\"d\"\r\n";
    struct TCase {
        const char* name;
        std::string text;
        int count;            // products read
        std::string warning;  // "" for a clean file
    };
    const TCase cases[] = {
        {"clean", "\"Products\",1\r\nh\r\n" + ort, 1, ""},
        {"empty", "", 0, "Product list \"p.csv\" is empty: discovered boards are shown without product names"},
        {"no count", "\"Products\"\r\n", 0,
         "Product list \"p.csv\" line 1: the product count \"\" reads as 0: discovered boards are shown without "
         "product names"},
        {"count not a number", "\"Products\",x\r\nh\r\n" + ort, 0,
         "Product list \"p.csv\" line 1: the product count \"x\" reads as 0: discovered boards are shown without "
         "product names"},
        {"count with junk reads its digits", "\"Products\",1x\r\nh\r\n" + ort + ort, 1,
         "Product list \"p.csv\" line 1: the product count \"1x\" reads as 1"},
        {"negative count", "\"Products\",-1\r\n", 0,
         "Product list \"p.csv\" line 1: the product count \"-1\" reads as 0: discovered boards are shown without "
         "product names"},
        {"count beyond the lines", "\"Products\",3\r\nh\r\n" + ort, 1,
         "Product list \"p.csv\" line 4: the file ends after 1 of 3 products"},
        {"bad ids cost only their line", "\"Products\",3\r\nh\r\n\"PAX60\",two,\"Q\",46x,\"p\"\r\n" + ort +
                                             "\"TEL90\",9,\"Q\",,\"t\"\r\n",
         3, "Product list \"p.csv\" line 3: the device id \"two\" reads as 0 (and 1 more line not clean)"},
        {"short line reads empty texts", "\"Products\",1\r\nh\r\n\"ORT50\",2,\"Q\",46\r\n", 1, ""},
        // Hostile input is quoted at most 80 characters long, control bytes as escapes.
        {"long damaged id quoted in part", "\"Products\",1\r\nh\r\n\"ORT50\",\x1b[2J" + std::string(2000, 'x') + "\r\n", 1,
         "Product list \"p.csv\" line 3: the device id \"\\x1b[2J" + std::string(76, 'x') + "...\" reads as 0"},
        {"line longer than any product needs", "\"Products\",1\r\nh\r\n" + std::string(70000, 'x') + "\r\n", 0,
         "Product list \"p.csv\" line 3: the line is longer than 65536 characters, more than any board needs: "
         "discovered boards are shown without product names"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TProductList list;
        std::istringstream in(c.text);
        EXPECT_EQ(list.Load(in, "p.csv"), c.warning.empty());
        EXPECT_EQ(list.Count(), c.count);
        EXPECT_EQ(list.Warning(), c.warning);
    }

    TProductList partial;
    std::istringstream partialIn("\"Products\",4\r\nh\r\n\"PAX60\",two,\"Q\",46x,\"p\"\r\n" + ort +
                          "\"TEL90\",9,\"Q\",,\"t\"\r\n");
    EXPECT_FALSE(partial.Load(partialIn, "p.csv"));
    ASSERT_EQ(partial.Count(), 3);
    EXPECT_EQ(partial.Product(0), "PAX60");
    EXPECT_EQ(partial.DeviceId(0), 0);
    EXPECT_EQ(partial.VendorId(0), 46);
    EXPECT_EQ(partial.Description(0), "p");
    EXPECT_EQ(partial.Find(46, 2), 1);  // the good line still names its boards
    EXPECT_EQ(partial.VendorId(2), 0);
    EXPECT_EQ(partial.Description(2), "t");
    // One warning, for the first line, however many are not clean.
    EXPECT_EQ(partial.Warning(), "Product list \"p.csv\" line 3: the device id \"two\" reads as 0 (and 2 more lines "
                                 "not clean)");

    TProductList missing;
    EXPECT_FALSE(missing.Load("/nonexistent/progdevicelist.csv"));
    EXPECT_NE(missing.Warning().find("cannot be opened"), std::string::npos);

    // LF line ends and a quoted comma read as well.
    TProductList lf;
    std::istringstream in("N,1\nh\nORT50,2,Quorvel,46,\"panel, 8 cells\"\n");
    ASSERT_TRUE(lf.Load(in, "lf.csv"));
    EXPECT_EQ(lf.Description(0), "panel, 8 cells");
    EXPECT_EQ(lf.Find(46, 2), 0);
}

TEST(RenumberableBoardTest, FromMessages)
{
    TRenumberableBoard fromDiscover(Reply::Discover(46, 2, 40000));
    EXPECT_EQ(fromDiscover.ListLine(), "40000\t\t\t");
    EXPECT_EQ(fromDiscover.VendorId(), 46);
    TRenumberableBoard fromIdentify(Reply::Identify(1, 7, 9));
    EXPECT_EQ(fromIdentify.SerialNumber(), 9);
    TRenumberableBoard other(Reply::Reconfigure(9));
    EXPECT_EQ(other.SerialNumber(), 65535);
    EXPECT_EQ(other.VendorId(), 65535);
    EXPECT_EQ(other.DeviceId(), 65535);
    EXPECT_EQ(fromDiscover.MakeChangeAddressMessage(12)->ToText(),
              "SV Access: ChangeAddress VendId=46 DevId=2 Serial=40000 New Adr=12");
}

}  // namespace
