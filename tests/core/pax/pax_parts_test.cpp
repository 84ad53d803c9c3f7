#include "boards/core/Csv_io.h"
#include "boards/pax/Tpax60cell.h"
#include "boards/pax/Tpax60extdevtable.h"
#include "boards/pax/Tpax60inputcell.h"
#include "boards/pax/Tpax60route.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::vector<uint8_t> Image()
{
    return std::vector<uint8_t>(512, 0);
}

TPAX60Route RouteAt(int32_t base, int number = 1)
{
    TPAX60Route r;
    r.Number = number;
    r.SetBoardBaseAddress(base);
    return r;
}

std::vector<uint8_t> RouteBytes(const std::vector<uint8_t>& image, int number)
{
    const int first = 63 + 12 * (number - 1) - 1;
    return {image.begin() + first, image.begin() + first + 12};
}

}  // namespace

TEST(Pax60Cell, TypeCodes)
{
    struct Case {
        int type, rate;
        bool invert;
        int code;
        int decodedRate;
        bool decodedInvert;
    } cases[] = {
        {0, 5, false, 0, 1, false},  {1, 3, false, 4, 3, false},  {1, 8, true, 9, 8, false},
        {2, 3, true, 10, 1, false},  {3, 0, false, 11, 0, false}, {4, 3, false, 20, 1, false},
        {5, 8, false, 29, 8, false}, {6, 3, true, 30, 1, false},  {7, 0, false, 31, 0, false},
        {7, 8, true, 49, 8, true},   {8, 3, false, 40, 1, false}, {8, 3, true, 50, 1, true},
    };
    TPAX60ExtDevTable table;
    for (const Case& c : cases) {
        TPAX60Cell cell;
        cell.Number = 3;
        cell.CellType = static_cast<uint8_t>(c.type);
        cell.Rate = c.rate;
        cell.InvertOutputs = c.invert;
        auto image = Image();
        EXPECT_TRUE(cell.Encode(image, table));
        EXPECT_EQ(image[13 - 1], c.code) << "type " << c.type;

        TPAX60Cell back;
        back.Number = 3;
        back.Rate = 7;
        back.InvertOutputs = 1;
        back.Decode(image, table);
        EXPECT_EQ(back.CellType, c.type) << "code " << c.code;
        EXPECT_EQ(back.Rate, c.decodedRate) << "code " << c.code;
        EXPECT_EQ(back.InvertOutputs, c.decodedInvert) << "code " << c.code;
    }
    // A code the model does not know leaves type, rate and invert as they were.
    for (int code : {51, 60, 255}) {
        TPAX60Cell cell;
        cell.Number = 1;
        cell.CellType = 7;
        cell.Rate = 5;
        cell.InvertOutputs = 1;
        auto image = Image();
        image[11 - 1] = static_cast<uint8_t>(code);
        cell.Decode(image, table);
        EXPECT_EQ(cell.CellType, 7);
        EXPECT_EQ(cell.Rate, 5);
        EXPECT_EQ(cell.InvertOutputs, 1);
    }
}

TEST(Pax60Cell, SvPlacesAndBrightnessBits)
{
    TPAX60ExtDevTable table;
    table.SetOwnPointBase(1);
    table.SetOwnSensorBoard(16);
    auto image = Image();
    for (int n = 1; n <= 8; ++n) {
        TPAX60Cell cell;
        cell.Number = n;
        cell.Brightness = (n == 1 || n == 8) ? 1 : 0;
        cell.Follows = n - 1;
        cell.MessageType = 5;
        cell.ConditionDelay = 200 + n;
        cell.ChangeDelay = 300 + n;  // low byte only
        cell.ThrownConditions.At(0) = TPAX60Condition::Point(n, 0, false);
        cell.ClosedConditions.At(6) = TPAX60Condition::Sensor(16, n, 1, false);
        cell.FreezeConditions.At(1) = TPAX60Condition::Point(8, 1, true);
        EXPECT_TRUE(cell.Encode(image, table));
    }
    EXPECT_EQ(image[20 - 1], 129);
    EXPECT_EQ(image[28 - 1], 7);
    EXPECT_EQ(image[38 - 1], 5);
    EXPECT_EQ(image[168 - 1], 208);
    EXPECT_EQ(image[428 - 1], (300 + 8) % 256);
    const int c8 = 251 + 16 * 7 - 1;
    EXPECT_EQ(image[c8], 18);                   // point 8 = own output 8, thrown
    EXPECT_EQ(image[c8 + 13], 8 + 60);          // own input 8, unoccupied
    EXPECT_EQ(image[c8 + 15], 18 + 60 + 128);   // point 8 closed, AND
    EXPECT_EQ(image[c8 + 16], 0);               // SV 379

    TPAX60Cell back;
    back.Number = 8;
    back.Decode(image, table);
    EXPECT_EQ(back.Brightness, 1);
    EXPECT_EQ(back.ThrownConditions.At(0), TPAX60Condition::Point(8, 0, false));
    EXPECT_EQ(back.ClosedConditions.At(6), TPAX60Condition::Sensor(16, 8, 1, false));
    EXPECT_EQ(back.FreezeConditions.At(1), TPAX60Condition::Point(8, 1, true));
    back.Number = 2;
    back.Decode(image, table);
    EXPECT_EQ(back.Brightness, 0);
}

TEST(Pax60Cell, ReportAndListText)
{
    TPAX60Cell cell;
    cell.Number = 3;
    cell.CellType = 7;
    cell.Rate = 4;
    cell.Brightness = 1;
    cell.Follows = 2;
    cell.ConditionDelay = 4;
    cell.ChangeDelay = 15;
    cell.Description = "yard lamps";
    cell.ThrownConditions.At(0) = TPAX60Condition::Signal(7, 0, false);
    std::vector<std::string> lines;
    cell.Report(lines);
    const std::vector<std::string> expected = {
        "     Cell: 3",
        "     Individual flashing lamps",
        "     Description: yard lamps",
        "     No message",
        "     Brightness simulation enabled;",
        "     Flash rate: 5",
        "     Follows output 2",
        "     Delay after conditions assert output = 4s",
        "     Delay after output changes = 1.5s",
        "     conditions to make cell closed:",
        "          (No conditions assigned)",
        "     conditions to make cell thrown:",
        "          Signal 7 is Red",
        "     conditions to freeze cell:",
        "          (No conditions assigned)",
        "",
    };
    EXPECT_EQ(lines, expected);

    TPAX60Cell point;
    point.Number = 1;
    point.ChangeDelay = 20;
    point.Brightness = 1;  // not a lamp cell: not reported
    lines.clear();
    point.Report(lines);
    EXPECT_EQ(lines[4], "     On Time: 0.5s");
    EXPECT_EQ(lines[5], "     Follows no other output");
    EXPECT_EQ(lines[6], "     Delay after output changes = 2s");

    cell.CellType = 6;
    EXPECT_EQ(cell.ListText(), "3\tLamp on or off; yard lamps");
    EXPECT_EQ(point.ListText(), "1\t" + std::string(TPAX60Cell::CellTypeName(point.CellType)) + "; undefined");
}

TEST(Pax60InputCell, TextsAndImage)
{
    TPAX60InputCell in;
    in.Number = 10;
    in.InputType = 4;
    in.MessageType = 1;
    in.Description = "crossing";
    EXPECT_EQ(in.ListText(), "B\tToggle switch, sets point 10; Sensor message; crossing");
    in.InputType = 1;
    EXPECT_EQ(in.ListText(), "B\tPushbutton input, no change to o/p; Sensor message; crossing");
    std::vector<std::string> lines;
    in.InputType = 5;
    in.Report(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"    i/p Cell B: crossing", "       Pushbutton input, sets route 10",
                                               "       Sensor message"}));

    TPAX60ExtDevTable table;
    auto image = Image();
    EXPECT_TRUE(in.Encode(image, table));
    EXPECT_EQ(image[50 - 1], 5);
    EXPECT_EQ(image[60 - 1], 1);
    image[50 - 1] = 6;
    image[60 - 1] = 5;
    in.Decode(image, table);
    EXPECT_EQ(in.InputType, 0);
    EXPECT_EQ(in.MessageType, 0);
}

TEST(Pax60InputCell, FileLineKeepsACommaInTheDescription)
{
    TPAX60InputCell in;
    in.Number = 2;
    std::ostringstream plain;
    in.WriteLines(plain);
    EXPECT_EQ(plain.str(), ",INCell_,2,3,0,,,,,,,,,,,,\r\n");

    in.Description = "east, platform 2";
    std::ostringstream out;
    in.WriteLines(out);
    TPAX60InputCell back;
    back.Number = 2;
    std::istringstream is(out.str());
    back.ReadLines(is);
    EXPECT_EQ(back.Description, "east, platform 2");
}

TEST(Pax60Route, EncodingWithBaseAddress100)
{
    TPAX60ExtDevTable table;
    TPAX60Route r = RouteAt(100, 2);
    r.SetEntry(0, 100, kPax60RouteClosed);
    r.SetEntry(1, 107, kPax60RouteThrown);
    r.SetEntry(2, 300, kPax60RouteThrown);
    r.SetEntry(3, 2048, kPax60RouteClosed);
    r.SetEntry(4, 99, kPax60RouteClosed);
    auto image = Image();
    EXPECT_TRUE(r.Encode(image, table));
    EXPECT_EQ(RouteBytes(image, 2), (std::vector<uint8_t>{1, 18, 201, 44, 108, 0, 100, 99, 0, 0, 0, 0}));
    EXPECT_EQ(RouteBytes(image, 1), std::vector<uint8_t>(12, 0));

    TPAX60Route back = RouteAt(100, 2);
    back.Decode(image, table);
    ASSERT_EQ(back.EntryCount, 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(back.PointAt(i), r.PointAt(i));
        EXPECT_EQ(back.StateAt(i), r.StateAt(i));
    }
    EXPECT_EQ(back.PointAt(5), 1);
    EXPECT_EQ(back.StateAt(5), 0);
}

TEST(Pax60Route, FittingIntoTwelveBytes)
{
    TPAX60ExtDevTable table;
    TPAX60Route local = RouteAt(1);
    for (int i = 0; i < 12; ++i)
        local.SetEntry(i, 1 + i % 8, kPax60RouteThrown);
    EXPECT_TRUE(local.Fits());
    auto image = Image();
    EXPECT_TRUE(local.Encode(image, table));
    EXPECT_EQ(RouteBytes(image, 1)[11], 11 + 11 % 8);

    TPAX60Route remote = RouteAt(1);
    for (int i = 0; i < 6; ++i)
        remote.SetEntry(i, 1000 + i, kPax60RouteClosed);
    EXPECT_TRUE(remote.Fits());
    EXPECT_TRUE(remote.Encode(image, table));

    remote.SetEntry(6, 2000, kPax60RouteClosed);
    EXPECT_FALSE(remote.Fits());
    EXPECT_NE(remote.ListText().find("!TOO MANY ENTRIES"), std::string::npos);
    image = Image();
    EXPECT_FALSE(remote.Encode(image, table));
    const auto bytes = RouteBytes(image, 1);
    EXPECT_EQ(bytes[10], 103);
    EXPECT_EQ(bytes[11], 1005 % 256);  // the sixth entry, the seventh left out
    EXPECT_EQ(image[63 + 12 - 1], 0);

    // One remote entry in front of eleven local ones needs 13 bytes: the last is left out.
    TPAX60Route mixed = RouteAt(1);
    mixed.SetEntry(0, 500, kPax60RouteThrown);
    for (int i = 1; i < 12; ++i)
        mixed.SetEntry(i, 1, kPax60RouteClosed);
    EXPECT_FALSE(mixed.Fits());
    image = Image();
    EXPECT_FALSE(mixed.Encode(image, table));
    EXPECT_EQ(RouteBytes(image, 1), (std::vector<uint8_t>{201, 244, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(Pax60Route, TriggerConditionsFailTheEncoding)
{
    TPAX60ExtDevTable table;
    TPAX60Route r = RouteAt(1, 8);
    r.TriggerConditions.At(4) = TPAX60Condition::Signal(3, 1, false);
    auto image = Image();
    EXPECT_FALSE(r.Encode(image, table));
    ASSERT_TRUE(r.CollectDevices(table));
    EXPECT_TRUE(r.Encode(image, table));
    EXPECT_EQ(image[420 - 1], 21 + 60);
}

TEST(Pax60Route, DecodingOddBytes)
{
    TPAX60ExtDevTable table;
    auto image = Image();
    // 150 at the last byte has no second byte; 9 and 50 are never written; 255, 255 is above 2048.
    const uint8_t bytes[12] = {9, 15, 50, 255, 255, 3, 0, 7};
    std::copy(std::begin(bytes), std::end(bytes), image.begin() + 62);
    TPAX60Route r = RouteAt(40);
    r.Decode(image, table);
    ASSERT_EQ(r.EntryCount, 5u);
    EXPECT_EQ(r.PointAt(0), 1);
    EXPECT_EQ(r.StateAt(0), kPax60RouteClosed);
    EXPECT_EQ(r.PointAt(1), 44);
    EXPECT_EQ(r.StateAt(1), kPax60RouteThrown);
    EXPECT_EQ(r.PointAt(2), 1);
    EXPECT_EQ(r.PointAt(3), 1);  // (155 * 256 + 255) is no point
    EXPECT_EQ(r.StateAt(3), kPax60RouteThrown);
    EXPECT_EQ(r.PointAt(4), 42);

    std::fill(image.begin() + 62, image.begin() + 74, 0);
    image[62 + 11] = 150;
    r.Decode(image, table);
    EXPECT_EQ(r.EntryCount, 0u);
    std::fill(image.begin() + 62, image.begin() + 74, 1);
    image[62 + 11] = 150;
    r.Decode(image, table);
    ASSERT_EQ(r.EntryCount, 12u);
    EXPECT_EQ(r.PointAt(11), 1);
}

TEST(Pax60Route, SetEntryAndCompaction)
{
    TPAX60Route r = RouteAt(1);
    EXPECT_FALSE(r.SetEntry(0, 12, kPax60RouteClosed));
    EXPECT_FALSE(r.SetEntry(1, 40, kPax60RouteThrown));
    EXPECT_FALSE(r.SetEntry(5, 9, kPax60RouteClosed));  // appended at position 2
    ASSERT_EQ(r.EntryCount, 3u);
    EXPECT_EQ(r.PointAt(2), 9);
    EXPECT_FALSE(r.SetEntry(7, 9, kPax60RouteUndef));   // beyond the entries, state 0: nothing
    EXPECT_EQ(r.EntryCount, 3u);

    EXPECT_TRUE(r.SetEntry(0, 12, kPax60RouteUndef));   // a middle entry goes by compaction
    ASSERT_EQ(r.EntryCount, 2u);
    EXPECT_EQ(r.PointAt(0), 40);
    EXPECT_EQ(r.PointAt(1), 9);
    EXPECT_FALSE(r.SetEntry(1, 9, kPax60RouteUndef));   // the last one simply goes
    EXPECT_EQ(r.EntryCount, 1u);
    EXPECT_FALSE(r.SetEntry(12, 5, kPax60RouteClosed));  // no position 12
    EXPECT_EQ(r.EntryCount, 1u);

    for (int i = 1; i < 12; ++i)
        r.SetEntry(i, i, kPax60RouteClosed);
    EXPECT_EQ(r.EntryCount, 12u);
    r.SetEntry(11, 77, kPax60RouteThrown);
    EXPECT_EQ(r.EntryCount, 12u);
    EXPECT_EQ(r.PointAt(11), 77);
}

TEST(Pax60Route, Texts)
{
    TPAX60Route r = RouteAt(10, 2);
    EXPECT_EQ(r.ListText(), "2\tnot defined.");
    std::vector<std::string> lines;
    r.Report(lines);
    EXPECT_EQ(lines, std::vector<std::string>{"  Route 2:not defined."});

    r.SetEntry(0, 12, kPax60RouteClosed);
    r.SetEntry(1, 40, kPax60RouteThrown);
    EXPECT_EQ(r.ListText(), "2\tPoints 12C; 40T; ");
    EXPECT_EQ(r.EntryText(1), "Point 12 Closed (on this decoder) ");
    EXPECT_EQ(r.EntryText(2), "Point 40 Thrown  (not this decoder)");
    EXPECT_EQ(r.EntryText(3), "not defined.");
    r.States[1] = kPax60RouteUndef;
    EXPECT_EQ(r.EntryText(2), "Point 40 UNDEF");
    EXPECT_EQ(r.ListText(), "2\tPoints 12C; 40U; ");
    r.States[1] = kPax60RouteThrown;

    lines.clear();
    r.Report(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"  Route 2:", "      Point 12 Closed; ", "      Point 40 Thrown; ",
                                               "      conditions to trigger route:",
                                               "          (No conditions assigned)"}));
}

TEST(Pax60Route, FileLines)
{
    TPAX60Route r = RouteAt(1, 3);
    r.SetEntry(0, 12, kPax60RouteClosed);
    r.SetEntry(1, 2000, kPax60RouteThrown);
    r.TriggerConditions.At(0) = TPAX60Condition::Sensor(5, 2, 0, false);
    std::ostringstream out;
    r.WriteLines(out);
    EXPECT_EQ(out.str(),
              ",\"route_config\",3,2,1,\"12 Closed\",\"2000 Thrown\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\","
              "\"0\",\"0\",\"0\"\r\n"
              ",,\"Cond_Route\",\"5\",\"SE 5:2 OC\",\"Unused\",\"Unused\",\"Unused\",\"Unused\",,,,,,,,\r\n");
    TPAX60Route back = RouteAt(0, 3);
    std::istringstream in(out.str());
    back.ReadLines(in);
    EXPECT_EQ(back.EntryCount, 2u);
    EXPECT_EQ(back.Points, r.Points);
    EXPECT_EQ(back.States, r.States);
    EXPECT_EQ(back.BoardBaseAddress, 1);
    EXPECT_TRUE(back.TriggerConditions.SameConditions(r.TriggerConditions));

    // Point 0 keeps its state (a board's own output 1 at base address 0); an
    // unknown state name reads UNDEF; an entry count past 12 reads 12 entries.
    std::istringstream odd(",route_config,3,40,1,0 Thrown,5 Sideways,7 Thrown,1 a,1 a,1 a,1 a,1 a,1 a,1 a,1 a,1 a\r\n"
                           ",,Cond_Route,5\r\n");
    back.ReadLines(odd);
    EXPECT_EQ(back.EntryCount, 12u);
    EXPECT_EQ(back.PointAt(0), 0);
    EXPECT_EQ(back.StateAt(0), kPax60RouteThrown);
    EXPECT_EQ(back.StateAt(1), kPax60RouteUndef);
    EXPECT_EQ(back.StateAt(2), kPax60RouteThrown);

    for (const char* entry : {"12", "x Closed", "12x Closed", ""}) {
        std::istringstream bad(std::string(",route_config,1,1,1,") + entry + "\r\n,,Cond_Route,5\r\n");
        EXPECT_THROW(back.ReadLines(bad), TCsvConversionError) << entry;
    }
}
