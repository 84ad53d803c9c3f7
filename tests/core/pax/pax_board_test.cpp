#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/pax/Tpax60board.h"
#include "boards/pax/Tpax66board.h"
#include "boards/pax/Ttel90board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

template <class TBoard>
std::string FileText(TBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

// A board that uses every kind of setting: own and external devices, local
// and remote route points, odd rates and delays.
void Populate(TPAX60BoardParts& p)
{
    p.SetBaseAddress(100);
    p.UserDescription = "north yard, throat";
    p.Occupies16Addresses = 1;
    p.LocoNetSwitchCommands = 1;
    p.CduDelay = 15;
    p.OutputMemoryLocation = 7;
    p.SensorBoardNumber = 20;
    p.RouteDccBaseAddress = 1999;
    for (int n = 0; n < 8; ++n) {
        TPAX60Cell& c = p.Cells[n];
        c.CellType = static_cast<uint8_t>(n + 1);
        c.Rate = n;
        c.Brightness = n % 2;
        c.InvertOutputs = n >= 6 ? 1 : 0;
        c.Follows = (n + 3) % 9;
        c.MessageType = static_cast<uint8_t>(n % 6);
        c.ConditionDelay = 10 * n;
        c.ChangeDelay = 255 - n;
        c.Description = "cell " + std::to_string(n + 1);
        c.ThrownConditions.At(0) = TPAX60Condition::Point(100 + n, n % 2, true);
        c.ThrownConditions.At(1) = TPAX60Condition::Sensor(20, n + 1, 1, false);
        c.ClosedConditions.At(0) = TPAX60Condition::Sensor(30, n + 1, 0, true);
        c.ClosedConditions.At(1) = TPAX60Condition::Signal(500 + n, 1, false);
        c.FreezeConditions.At(0) = TPAX60Condition::Point(2000 + n, 0, false);
    }
    for (int i = 0; i < 10; ++i) {
        p.Inputs[i].InputType = static_cast<uint8_t>(i % 6);
        p.Inputs[i].MessageType = static_cast<uint8_t>(i % 5);
        p.Inputs[i].Description = "input " + std::to_string(i + 1);
    }
    for (int r = 0; r < 8; ++r) {
        TPAX60Route& route = p.Routes[r];
        for (int e = 0; e <= r; ++e)
            route.SetEntry(e, e % 2 ? 100 + e : 1000 + 37 * e, e % 3 ? kPax60RouteThrown : kPax60RouteClosed);
        route.TriggerConditions.At(r % 5) = TPAX60Condition::Signal(700 + r, r % 2, false);
    }
}

std::vector<uint8_t> ImageOf(TConfigurableBoard& b)
{
    return b.SvImage();
}

template <class TBoard>
void LoadImage(TBoard& b, const std::vector<uint8_t>& image)
{
    for (unsigned sv = 1; sv <= image.size(); ++sv)
        b.SetSvByte(sv, image[sv - 1]);
    b.DecodeSvImage();
}

}  // namespace

TEST(Pax60Board, NewBoardFileLines)
{
    TPAX60Board b;
    const std::vector<std::string> lines = Lines(FileText(b));
    ASSERT_EQ(lines.size(), 68u);
    const std::vector<std::string> first = {
        "\"PAX60_BOARD\",\"PAX60 Accessory Decoder\",0,1,0,0,8,0,16,1000,,,,,,,",
        ",\"Unassigned\",,,,,,,,,,,,,,,",
        ",\"OPCell_\",1,1,1,3,0,0,0,0,0,0,,,,,",
        ",,\"undefined\",,,,,,,,,,,,,,",
        ",,\"Cond_Cell_C\",\"7\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",,,,,,",
        ",,\"Cond_Cell_T\",\"7\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",,,,,,",
        ",,\"Cond_Cell_F\",\"2\",\"Unused\",\"Unused\",,,,,,,,,,,",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), first);
    EXPECT_EQ(lines[42], ",INCell_,1,3,0,,,,,,,,,,,,");
    EXPECT_EQ(lines[52], ",\"route_config\",1,0,0,\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\"");
    EXPECT_EQ(lines[53], ",,\"Cond_Route\",\"5\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",,,,,,,,");
    EXPECT_EQ(lines[67], lines[53]);
}

TEST(Pax60Board, BaseAddressIsCopiedOnlyOnceSet)
{
    TPAX60Board b;
    EXPECT_EQ(b.OutputCell(0).BoardBaseAddress, 1);
    EXPECT_EQ(b.Route(7).BoardBaseAddress, 0);
    EXPECT_EQ(b.ExtDevTable().OwnPointBase(), 0);
    // So a new board's route still takes point 0 as its own output 1.
    b.Route(0).SetEntry(0, 0, kPax60RouteThrown);
    EXPECT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(63), 11);

    b.SetBaseAddress(300);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(b.OutputCell(i).BoardBaseAddress, 300);
        EXPECT_EQ(b.Route(i).BoardBaseAddress, 300);
    }
    EXPECT_EQ(b.ExtDevTable().OwnPointBase(), 300);
    EXPECT_EQ(b.OutputCell(4).DccAddress(), 304);
}

TEST(Pax60Board, DefaultImage)
{
    TPAX60Board b;
    b.SetSerialNumber(0x1234);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvLength(), 512u);
    const struct {
        unsigned sv;
        int value;
    } expected[] = {{3, 0x34}, {4, 0x12}, {5, 1}, {6, 0}, {9, 0}, {19, 8}, {20, 0}, {39, 16}, {61, 232}, {62, 3},
                    {63, 0}, {171, 0}, {251, 0}};
    for (const auto& e : expected)
        EXPECT_EQ(b.SvByte(e.sv), e.value) << "SV " << e.sv;
    for (unsigned sv = 11; sv <= 18; ++sv)
        EXPECT_EQ(b.SvByte(sv), 4) << sv;
    for (unsigned sv = 41; sv <= 50; ++sv)
        EXPECT_EQ(b.SvByte(sv), 3) << sv;

    EXPECT_EQ(b.UnusedSvList().size(), 96u);
    EXPECT_TRUE(b.IsTransferable(428));
    EXPECT_FALSE(b.IsTransferable(429));
    EXPECT_FALSE(b.IsTransferable(40));
    EXPECT_TRUE(b.MatchesIdentity(1, 7, 0x1234));
    EXPECT_TRUE(b.MatchesIdentity(46, 7, 0x1234));
    EXPECT_FALSE(b.MatchesIdentity(46, 10, 0x1234));
    EXPECT_FALSE(b.MatchesIdentity(46, 7, 0x1235));
}

TEST(Pax60Board, FileAndImageRoundTrips)
{
    TPAX60Board b;
    b.SetName("Throat, north");
    b.SetSerialNumber(4711);
    Populate(b.Parts);
    const std::string text = FileText(b);
    ASSERT_TRUE(b.ComputeSvImage());

    TPAX60Board fromFile;
    std::istringstream in(text);
    fromFile.ReadFromFile(in);
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
    EXPECT_EQ(FileText(fromFile), text);
    ASSERT_TRUE(fromFile.ComputeSvImage());
    EXPECT_EQ(ImageOf(fromFile), ImageOf(b));

    TPAX60Board fromImage;
    LoadImage(fromImage, ImageOf(b));
    EXPECT_EQ(fromImage.SerialNumber(), 4711);
    EXPECT_EQ(fromImage.BaseAddress(), 100);
    EXPECT_EQ(fromImage.Route(3).BoardBaseAddress, 100);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(fromImage.OutputCell(i).CellType, b.OutputCell(i).CellType) << i;
        EXPECT_EQ(fromImage.OutputCell(i).Rate, b.OutputCell(i).TypeAddsRate(b.OutputCell(i).CellType)
                                                    ? b.OutputCell(i).Rate : 1) << i;
        EXPECT_TRUE(fromImage.OutputCell(i).ClosedConditions.SameConditions(b.OutputCell(i).ClosedConditions));
        EXPECT_TRUE(fromImage.OutputCell(i).FreezeConditions.SameConditions(b.OutputCell(i).FreezeConditions));
        EXPECT_EQ(fromImage.Route(i).Points, b.Route(i).Points) << i;
    }
    EXPECT_EQ(fromImage.OutputCell(0).Description, "undefined");  // not in the image
    ASSERT_TRUE(fromImage.ComputeSvImage());
    EXPECT_EQ(ImageOf(fromImage), ImageOf(b));
}

// Signals 1 to 255 and points up to 2048 sit on either side of high byte 50
// of an external device entry; each must decode as what it was.
template <class TBoard>
void SignalsAndPointsSurviveTheImage()
{
    TBoard b;
    b.SetSerialNumber(300);
    b.Parts.SetBaseAddress(100);
    const TPAX60Condition devices[] = {
        TPAX60Condition::Signal(7, 0, false),    TPAX60Condition::Signal(1, 1, false),
        TPAX60Condition::Signal(255, 0, false),  TPAX60Condition::Signal(256, 1, false),
        TPAX60Condition::Signal(2047, 0, false), TPAX60Condition::Point(1, 0, false),
        TPAX60Condition::Point(255, 1, false),   TPAX60Condition::Point(2048, 0, false),
    };
    for (int n = 0; n < 8; ++n)
        b.OutputCell(n).ThrownConditions.At(0) = devices[n];
    b.Route(0).TriggerConditions.At(0) = TPAX60Condition::Signal(12, 1, false);
    ASSERT_TRUE(b.ComputeSvImage());
    TBoard back;
    LoadImage(back, ImageOf(b));
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(back.OutputCell(n).ThrownConditions.At(0).FileText(), devices[n].FileText()) << n;
    EXPECT_EQ(back.OutputCell(0).ThrownConditions.At(0).FileText(), "SG 7 RD");
    EXPECT_EQ(back.Route(0).TriggerConditions.At(0).FileText(), "SG 12 NR");
    ASSERT_TRUE(back.ComputeSvImage());
    EXPECT_EQ(ImageOf(back), ImageOf(b));
}

TEST(PaxBoards, LowSignalNumbersDecodeAsSignals)
{
    {
        SCOPED_TRACE("PAX60");
        SignalsAndPointsSurviveTheImage<TPAX60Board>();
    }
    {
        SCOPED_TRACE("PAX66");
        SignalsAndPointsSurviveTheImage<TPAX66Board>();
    }
}

TEST(Pax60Board, CalculationFailures)
{
    // Forty distinct external devices fit, the forty-first does not.
    for (int devices : {40, 41}) {
        TPAX60Board b;
        b.SetBaseAddress(1);
        for (int d = 0; d < devices; ++d)
            b.OutputCell(d / 7).ThrownConditions.At(d % 7) = TPAX60Condition::Signal(d + 1, 0, false);
        EXPECT_EQ(b.ComputeSvImage(), devices == 40) << devices;
        if (devices == 41) {
            EXPECT_EQ(b.SvErrorText(),
                      "SV Calculation Error: too many points, sensors or signals called up by board programming. "
                      "Output cells and routes call up 41 points, sensors and signals besides the board's own "
                      "outputs and inputs; the board holds 40; the first without a place is cell 6, Conditions for "
                      "change to Thrown, condition 6 (signal 41)");
            EXPECT_EQ(b.SvByte(251 + 16 * 5 + 5), 0);  // cell 6's sixth thrown condition, signal 41
            EXPECT_EQ(b.SvByte(251 + 16 * 5 + 4), 60);  // signal 40 in the last entry
            EXPECT_EQ(b.SvByte(5), 1);  // the rest of the image is still written
        }
    }
    TPAX60Board b;
    for (int e = 0; e < 7; ++e)
        b.Route(4).SetEntry(e, 1000 + e, kPax60RouteClosed);
    EXPECT_FALSE(b.ComputeSvImage());
}

TEST(Pax60Board, SensorBoardAndFlags)
{
    TPAX60Board b;
    b.Parts.SensorBoardNumber = 256;
    b.OutputCell(0).ThrownConditions.At(0) = TPAX60Condition::Sensor(256, 3, 0, false);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(39), 0);
    EXPECT_EQ(b.SvByte(251), 3);
    EXPECT_EQ(b.ExtDevTable().UsedEntries(), 0);

    std::vector<uint8_t> image = ImageOf(b);
    image[9 - 1] = 5;
    image[10 - 1] = 0;
    TPAX60Board back;
    LoadImage(back, image);
    EXPECT_EQ(back.Parts.Occupies16Addresses, 1);
    EXPECT_EQ(back.Parts.LocoNetSwitchCommands, 0);
    EXPECT_EQ(back.Parts.SensorBoardNumber, 0);
}

TEST(Pax60Board, Report)
{
    TPAX60Board b;
    b.Parts.CduDelay = 0;
    std::vector<std::string> lines;
    b.DescribeSettings(lines);
    const std::vector<std::string> head = {
        "Board Type: PAX60", "Serial number: not set yet", "Board name: PAX60 Accessory Decoder",
        "Board Base address: 1", "User Description: Unassigned", "occupies 8 addresses", "DCC commands only",
        "CDU delay = 0 s", "sensor board number = 16", "output memory location = 0", "", "Output Cell Settings:",
        "     Cell: 1",
    };
    ASSERT_GT(lines.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + head.size()), head);
    const auto routes = std::find(lines.begin(), lines.end(), "Route Settings:");
    ASSERT_NE(routes, lines.end());
    EXPECT_EQ(*(routes + 1), "DCC Base address to set routes: 1000");
    EXPECT_EQ(*(routes + 2), "  Route 1:not defined.");
    EXPECT_EQ(lines.back(), "  Route 8:not defined.");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Input Cell Settings:"), lines.end());

    b.Parts.CduDelay = 8;
    b.Parts.Occupies16Addresses = 1;
    b.Parts.LocoNetSwitchCommands = 1;
    lines.clear();
    b.DescribeSettings(lines);
    EXPECT_EQ(lines[5], "occupies 16 addresses");
    EXPECT_EQ(lines[6], "responds to LocoNet switch commands");
    EXPECT_EQ(lines[7], "CDU delay = 0.8 s");
}

TEST(Pax66Board, IndividualAddressesInImageAndFile)
{
    TPAX66Board b;
    ASSERT_TRUE(b.ComputeSvImage());
    for (int i = 1; i <= 16; ++i) {
        EXPECT_EQ(b.SvByte(431 + 2 * (i - 1)), i);
        EXPECT_EQ(b.SvByte(432 + 2 * (i - 1)), 0);
    }
    EXPECT_EQ(b.SvByte(5), 1);
    EXPECT_EQ(b.Name(), "PAX66 Enhanced Accessory Decoder");
    EXPECT_EQ(b.UnusedSvList().size(), 64u);
    EXPECT_TRUE(b.IsTransferable(431));
    EXPECT_TRUE(b.IsTransferable(462));
    EXPECT_FALSE(b.IsTransferable(463));
    EXPECT_FALSE(b.IsTransferable(430));
    EXPECT_FALSE(b.MatchesIdentity(1, 10, 0));
    EXPECT_TRUE(b.MatchesIdentity(46, 10, 0));

    b.SetIndividualAddress(16, 2044);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(461), 252);
    EXPECT_EQ(b.SvByte(462), 7);

    const std::vector<std::string> lines = Lines(FileText(b));
    ASSERT_EQ(lines.size(), 84u);
    EXPECT_EQ(lines[0], "\"PAX66_BOARD\",\"PAX66 Enhanced Accessory Decoder\",0,1,0,0,0,8,0,16,1000,,,,,,");
    EXPECT_EQ(lines[68], ",\"Indiv_addr\",1,1,,,,,,,,,,,,,");
    EXPECT_EQ(lines[83], ",\"Indiv_addr\",16,2044,,,,,,,,,,,,,");
}

TEST(Pax66Board, DecodingSwitchesIndividualAddressing)
{
    TPAX66Board src;
    src.SetBaseAddress(0);
    for (int i = 1; i <= 16; ++i)
        src.SetIndividualAddress(i, 2044 - i);
    ASSERT_TRUE(src.ComputeSvImage());

    TPAX66Board b;
    LoadImage(b, ImageOf(src));
    EXPECT_EQ(b.IndividualAddressing, 1);
    EXPECT_EQ(b.BaseAddress(), 0);
    EXPECT_EQ(b.IndividualAddress(1), 2043);
    EXPECT_EQ(b.IndividualAddress(16), 2028);

    std::vector<uint8_t> image = ImageOf(src);
    image[5 - 1] = 45;
    for (int sv = 431; sv <= 462; ++sv)
        image[sv - 1] = 99;
    LoadImage(b, image);
    EXPECT_EQ(b.IndividualAddressing, 0);
    EXPECT_EQ(b.BaseAddress(), 45);
    EXPECT_EQ(b.IndividualAddress(1), 2043);  // kept

    std::vector<std::string> lines;
    b.DescribeSettings(lines);
    EXPECT_EQ(lines[6], "DCC commands only");
    EXPECT_EQ(lines[7], "uses block addressing");
    EXPECT_EQ(lines[8], "CDU delay = 0.8 s");
    // The individual addresses close the report, whichever addressing is on.
    const auto individual = std::find(lines.begin(), lines.end(), "Individual Output Addresses:");
    ASSERT_NE(individual, lines.end());
    EXPECT_EQ(lines.end() - individual, 17);
    EXPECT_EQ(*(individual + 2), "  Output 2: " + std::to_string(b.IndividualAddress(2)));
    b.IndividualAddressing = 1;
    lines.clear();
    b.DescribeSettings(lines);
    EXPECT_EQ(lines[7], "uses individual output addressing");
    EXPECT_EQ(lines.back(), "  Output 16: " + std::to_string(b.IndividualAddress(16)));
}

TEST(Pax66Board, FileRoundTripAndAddressLinesByPosition)
{
    TPAX66Board b;
    Populate(b.Parts);
    b.IndividualAddressing = 1;
    for (int i = 1; i <= 16; ++i)
        b.SetIndividualAddress(i, 100 * i);
    const std::string text = FileText(b);
    TPAX66Board back;
    std::istringstream in(text);
    back.ReadFromFile(in);
    EXPECT_EQ(FileText(back), text);
    ASSERT_TRUE(b.ComputeSvImage());
    ASSERT_TRUE(back.ComputeSvImage());
    EXPECT_EQ(ImageOf(back), ImageOf(b));

    // Field 2 of the address lines is not consulted.
    std::vector<std::string> lines = Lines(text);
    std::string shuffled;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (i >= 68)
            line = ",\"Indiv_addr\",7," + std::to_string(i - 67 + 1000);
        shuffled += line + "\r\n";
    }
    std::istringstream in2(shuffled);
    back.ReadFromFile(in2);
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(back.IndividualAddress(i), 1000 + i);
}

TEST(Tel90Board, ImageFileAndReport)
{
    TTEL90Board b;
    EXPECT_EQ(b.SvLength(), 64u);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(9), 1);
    EXPECT_EQ(b.SvByte(30), 50);
    EXPECT_EQ(b.UnusedSvList().size(), 30u);
    EXPECT_TRUE(b.MatchesIdentity(1, 9, 0));
    EXPECT_EQ(FileText(b), "\"TEL90_BOARD\",\"TEL90 16-channel Sensor Board\",0,1,500,,,,,,,,,,,,,\r\n"
                           ",\"Undefined\",,,,,,,,,,,,,,,,\r\n");

    for (auto [ms, stored] : {std::pair{2555, 255}, std::pair{5, 0}, std::pair{10, 1}, std::pair{-15, -1}}) {
        std::istringstream in("\"TEL90_BOARD\",\"T\",12,200," + std::to_string(ms) + "\r\n,\"notes\"\r\n");
        b.ReadFromFile(in);
        EXPECT_EQ(b.DeactivateDebounce, stored) << ms;
    }
    EXPECT_EQ(b.SerialNumber(), 12);
    EXPECT_EQ(b.SensorBoardNumber, 200);
    EXPECT_EQ(b.UserDescription, "notes");

    b.DeactivateDebounce = 255;
    ASSERT_TRUE(b.ComputeSvImage());
    TTEL90Board back;
    LoadImage(back, ImageOf(b));
    EXPECT_EQ(back.SerialNumber(), 12);
    EXPECT_EQ(back.SensorBoardNumber, 200);
    EXPECT_EQ(back.DeactivateDebounce, 255);

    std::vector<std::string> lines;
    b.DescribeSettings(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"Board Type: TEL90", "Serial number: 12", "Board name: T",
                                               "User Description: notes", "Sensor board number: 200",
                                               "Deactivate debounce time: 2550 ms"}));
}

TEST(PaxBoards, FactoryRowsAndCollectionRoundTrip)
{
    const struct {
        uint8_t type;
        const char* name;
        size_t lines;
    } rows[] = {{btPAX60, "PAX60", 68}, {btTEL90, "TEL90", 2}, {btPAX66, "PAX66", 84}};
    for (const auto& row : rows) {
        auto board = MakeBoard(row.type);
        ASSERT_TRUE(board) << row.name;
        EXPECT_EQ(board->BoardTypeName(), row.name);
        std::ostringstream out;
        board->WriteToFile(out);
        EXPECT_EQ(Lines(out.str()).size(), row.lines);

        TBoardData data;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(data.AppendBoard(row.type));
        data.BoardAt(row.type, 1)->SetSerialNumber(77);
        std::ostringstream file;
        data.WriteList(row.type, file);
        TBoardData back;
        std::istringstream in(file.str());
        ASSERT_TRUE(back.ReadList(row.type, in, "boards.csv")) << back.LastErrorText();
        ASSERT_EQ(back.BoardCount(row.type), 3);
        EXPECT_EQ(back.BoardAt(row.type, 1)->SerialNumber(), 77);
        std::ostringstream again;
        back.WriteList(row.type, again);
        EXPECT_EQ(again.str(), file.str());
    }
}

TEST(PaxBoards, BadConditionTextStopsTheLoadAtItsLine)
{
    TPAX60Board b;
    b.OutputCell(1).ThrownConditions.At(0) = TPAX60Condition::Point(12, 0, false);
    std::string text = FileText(b);
    const std::string good = text;
    text.replace(text.find("PT 12 TH"), 8, "PT 1x TH");
    std::istringstream in(good + text);
    TBoardData data;
    EXPECT_FALSE(data.ReadList(btPAX60, in, "pax.csv"));
    EXPECT_EQ(data.BoardCount(btPAX60), 2);  // the partly read board stays
    // Board 2, cell 2: line 68 + 2 + 5 + 2 (closed) + 2 (thrown).
    EXPECT_EQ(data.LastErrorText(), "pax.csv, line 79: '1x' is not a valid integer value (the point number of 'PT 1x TH')");

    std::string sensor = good;
    sensor.replace(sensor.find("PT 12 TH"), 8, "SE 12 OC");
    std::istringstream in2(sensor);
    TBoardData data2;
    EXPECT_FALSE(data2.ReadList(btPAX60, in2, "pax.csv"));
    EXPECT_NE(data2.LastErrorText().find("line 11: '12' is not a valid sensor number"), std::string::npos)
        << data2.LastErrorText();
}

// Whatever a file holds, reading it, calculating, decoding, reporting and
// writing the boards must not crash.
TEST(PaxBoards, MalformedFilesNeverCrash)
{
    const std::vector<std::string> junk = {
        "", ",", "\"", "x,y,z", ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,", "-2147483648,-1,-99999,9999999",
        ",route_config,-1,2147483647,-5,1 Thrown", ",,Cond_Cell_T,2147483647,PT 5,SE,SG 3 RD",
        ",,Cond_Route,100,SE 1:-5 UN+,PT -7 CL,SG 2147483647 NR", ",OPCell_,999,-3,250,-9,7,7,-1,200,99999,-5",
        ",INCell_,0,255,-1,desc", "\"PAX60_BOARD\",\"a\",99999999,-1,1,1,-1,-1,-1,-1",
    };
    for (uint8_t type : {uint8_t(btPAX60), uint8_t(btTEL90), uint8_t(btPAX66)}) {
        TPAX60Board pax;
        Populate(pax.Parts);
        TPAX66Board pax66;
        Populate(pax66.Parts);
        std::string valid = type == btPAX60 ? FileText(pax) : type == btPAX66 ? FileText(pax66) : [] {
            TTEL90Board t;
            return FileText(t) + FileText(t);
        }();
        const std::vector<std::string> lines = Lines(valid);
        std::vector<std::string> variants;
        for (size_t cut = 0; cut < valid.size(); cut += 37)
            variants.push_back(valid.substr(0, cut));
        for (size_t i = 0; i < lines.size(); ++i) {
            for (const std::string& j : junk) {
                std::string v;
                for (size_t k = 0; k < lines.size(); ++k)
                    v += (k == i ? j : lines[k]) + "\r\n";
                variants.push_back(v);
            }
        }
        for (const std::string& v : variants) {
            TBoardData data;
            std::istringstream in(v);
            data.ReadList(type, in, "junk.csv");
            for (int i = 0; i < data.BoardCount(type); ++i) {
                TConfigurableBoard* b = data.BoardAt(type, i);
                b->ComputeSvImage();
                b->DecodeSvImage();
                std::vector<std::string> report;
                b->DescribeSettings(report);
                std::ostringstream out;
                b->WriteToFile(out);
                b->WriteSvListingTo(out);
            }
        }
    }
}
