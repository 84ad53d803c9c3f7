#include "boards/core/Csv_io.h"
#include "boards/pax/Tpax60condition.h"
#include "boards/pax/Tpax60conditionset.h"
#include "boards/pax/Tpax60extdevtable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

TPAX60Device Pt(int n) { return {kPax60DevPoint, n, 0}; }
TPAX60Device Se(int b, int o) { return {kPax60DevSensor, b, o}; }
TPAX60Device Sg(int n) { return {kPax60DevSignal, n, 0}; }

TPAX60ExtDevTable OwnTable(int pointBase, int sensorBoard)
{
    TPAX60ExtDevTable t;
    t.SetOwnPointBase(pointBase);
    t.SetOwnSensorBoard(sensorBoard);
    return t;
}

}  // namespace

TEST(Pax60ExtDevTable, OwnDevicesAtTheirBoundaries)
{
    TPAX60ExtDevTable t = OwnTable(100, 16);
    struct Case {
        TPAX60Device device;
        int index;  // 0: not own, goes to the table
    } cases[] = {
        {Pt(100), 11}, {Pt(107), 18}, {Pt(108), 0}, {Pt(99), 0},
        {Se(16, 1), 1}, {Se(16, 10), 10}, {Se(16, 11), 0}, {Se(16, 0), 0}, {Se(17, 3), 0},
        {Sg(100), 0},  // signals are never own devices
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.LookUp(c.device), c.index) << int(c.device.DeviceType) << " " << c.device.Number << ":"
                                               << c.device.Offset;
        if (c.index != 0) {
            EXPECT_EQ(t.DeviceAt(c.index), c.device);
        } else {
            ASSERT_TRUE(t.Add(c.device));
            EXPECT_GE(t.LookUp(c.device), 21);
            EXPECT_EQ(t.DeviceAt(t.LookUp(c.device)), c.device);
        }
    }
    EXPECT_EQ(t.UsedEntries(), 6);
    EXPECT_EQ(t.DeviceAt(19).DeviceType, kPax60DevNone);
    EXPECT_EQ(t.DeviceAt(20).DeviceType, kPax60DevNone);
    // Indices past the table, as a byte read from a board may name them.
    for (int index = 61; index <= 127; ++index)
        EXPECT_EQ(t.DeviceAt(index).DeviceType, kPax60DevNone) << index;
}

TEST(Pax60ExtDevTable, FortyFirstDeviceFindsNoPlace)
{
    TPAX60ExtDevTable t = OwnTable(1, 16);
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(t.Add(Pt(500 + i)));
    EXPECT_TRUE(t.Add(Pt(500)));      // already there
    EXPECT_TRUE(t.Add(Se(16, 4)));    // own input needs no entry
    EXPECT_FALSE(t.Add(Sg(7)));
    EXPECT_EQ(t.LookUp(Pt(539)), 60);

    bool ok = true;
    EXPECT_EQ(TPAX60Condition::Signal(7, 1, true).Encode(t, ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(TPAX60Condition::Point(539, 1, true).Encode(t, ok), 60 + 60 + 128);
    EXPECT_TRUE(ok);

    t.Clear();
    EXPECT_EQ(t.UsedEntries(), 0);
    EXPECT_TRUE(t.Add(Sg(7)));
    EXPECT_EQ(t.LookUp(Sg(7)), 21);
}

TEST(Pax60ExtDevTable, EntriesInTheSvImage)
{
    TPAX60ExtDevTable t = OwnTable(1, 16);
    for (int i = 0; i < 4; ++i)
        t.Add(Pt(2000 + i));
    t.Add(Pt(300));  // entry 4
    t.Add(Se(200, 16));
    t.Add(Sg(1000));
    std::vector<uint8_t> image(512, 0xEE);
    t.WriteSvs(image);
    EXPECT_EQ(image[171 + 2 * 4 - 1], 44);
    EXPECT_EQ(image[172 + 2 * 4 - 1], 1);
    EXPECT_EQ(image[171 + 2 * 5 - 1], 200);
    EXPECT_EQ(image[172 + 2 * 5 - 1], 116);
    EXPECT_EQ(image[171 + 2 * 6 - 1], 1000 % 256);
    EXPECT_EQ(image[172 + 2 * 6 - 1], 1000 / 256 + 50);
    EXPECT_EQ(image[249 - 1], 0);  // entry 39, empty
    EXPECT_EQ(image[250 - 1], 0);
    EXPECT_EQ(image[170 - 1], 0xEE);  // outside the table's SVs
    EXPECT_EQ(image[251 - 1], 0xEE);

    bool ok = false;
    EXPECT_EQ(TPAX60Condition::Point(300, 1, true).Encode(t, ok), 213);
    EXPECT_TRUE(ok);

    TPAX60ExtDevTable back = OwnTable(1, 16);
    back.ReadSvs(image);
    for (int p = 0; p < TPAX60ExtDevTable::kEntryCount; ++p)
        EXPECT_EQ(back.Entry(p), t.Entry(p)) << p;
}

TEST(Pax60Condition, SvByteRoundTrip)
{
    TPAX60ExtDevTable t = OwnTable(100, 16);
    const TPAX60Condition conditions[] = {
        TPAX60Condition::Point(100, 0, false), TPAX60Condition::Point(107, 1, true),
        TPAX60Condition::Point(2048, 1, false), TPAX60Condition::Sensor(16, 10, 1, true),
        TPAX60Condition::Sensor(16, 11, 0, false), TPAX60Condition::Sensor(255, 16, 1, false),
        TPAX60Condition::Signal(1, 0, true), TPAX60Condition::Signal(2047, 1, false),
    };
    for (const TPAX60Condition& c : conditions)
        ASSERT_TRUE(t.Add({c.DeviceType, c.Number, c.Offset}));
    for (const TPAX60Condition& c : conditions) {
        bool ok = false;
        const uint8_t b = c.Encode(t, ok);
        EXPECT_TRUE(ok);
        TPAX60Condition back = TPAX60Condition::Point(9, 1, true);
        back.Decode(b, t);
        EXPECT_EQ(back, c) << c.DisplayText();
    }
    // Empty: byte 0 both ways; unused indices and empty entries decode empty.
    bool ok = false;
    EXPECT_EQ(TPAX60Condition::Empty().Encode(t, ok), 0);
    EXPECT_TRUE(ok);
    for (uint8_t b : {uint8_t(0), uint8_t(19), uint8_t(80), uint8_t(128 + 20), uint8_t(59), uint8_t(127)}) {
        TPAX60Condition c = TPAX60Condition::Point(9, 1, true);
        c.Decode(b, t);
        EXPECT_TRUE(c.IsEmpty()) << int(b);
    }
}

TEST(Pax60Condition, Texts)
{
    struct Case {
        TPAX60Condition condition;
        const char* display;
        const char* file;
    } cases[] = {
        {TPAX60Condition::Empty(), "(No Condition)", "Unused"},
        {TPAX60Condition::Point(12, 0, true), "Point 12 is Thrown, AND", "PT 12 TH+"},
        {TPAX60Condition::Point(12, 1, false), "Point 12 is Closed", "PT 12 CL"},
        {TPAX60Condition::Sensor(16, 3, 1, true), "Sensor 16,3 is Unoccupied, AND", "SE 16:3 UN+"},
        {TPAX60Condition::Sensor(16, 3, 0, false), "Sensor 16,3 is Occupied", "SE 16:3 OC"},
        {TPAX60Condition::Signal(7, 0, false), "Signal 7 is Red", "SG 7 RD"},
        {TPAX60Condition::Signal(7, 1, true), "Signal 7 is not Red, AND", "SG 7 NR+"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.condition.DisplayText(), c.display);
        EXPECT_EQ(c.condition.FileText(), c.file);
        TPAX60Condition back;
        back.ParseFileText(c.file);
        if (c.condition.IsEmpty())
            EXPECT_TRUE(back.IsEmpty());
        else
            EXPECT_EQ(back, c.condition) << c.file;
    }
    TPAX60Condition odd = TPAX60Condition::Point(1, 0, false);
    odd.DeviceType = 9;
    EXPECT_EQ(odd.DisplayText(), "");
}

TEST(Pax60Condition, ParsingKeepsWhatTheTextDoesNotSay)
{
    TPAX60Condition c = TPAX60Condition::Point(1, 0, false);
    c.ParseFileText("PT 5 CL+");
    EXPECT_EQ(c, TPAX60Condition::Point(5, 1, true));

    c = TPAX60Condition::Point(1, 1, false);
    c.ParseFileText("PT 5 XX");
    EXPECT_EQ(c, TPAX60Condition::Point(5, 1, false));  // state kept

    c = TPAX60Condition::Sensor(1, 1, 1, true);
    c.ParseFileText("SE 16:3 TH");  // TH is no sensor state
    EXPECT_EQ(c, TPAX60Condition::Sensor(16, 3, 1, true));  // and next is never cleared

    c = TPAX60Condition::Signal(3, 0, false);
    c.ParseFileText("nothing here");
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_EQ(c.Number, 3);
}

TEST(Pax60Condition, NumbersAreConvertedStrictly)
{
    for (const char* text : {"PT abc TH", "PT 12x TH", "PT 5", "PT 5CL", "SE 16 OC", "SE 16:x OC", "SE :3 OC",
                             "SG  RD", "PT 99999999999 TH"}) {
        TPAX60Condition c;
        EXPECT_THROW(c.ParseFileText(text), TCsvConversionError) << text;
    }
    try {
        TPAX60Condition c;
        c.ParseFileText("SE 16 OC");
    } catch (const TCsvConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("16"), std::string::npos) << e.what();
    }
    TPAX60Condition c;
    EXPECT_NO_THROW(c.ParseFileText("PT -3 TH"));
    EXPECT_EQ(c.Number, -3);
}

TEST(Pax60ConditionSet, KindsInsertAndDelete)
{
    const int capacities[] = {7, 7, 2, 5};
    for (uint8_t k = 0; k < 4; ++k)
        EXPECT_EQ(TPAX60ConditionSet(k).Capacity(), capacities[k]);
    EXPECT_EQ(TPAX60ConditionSet(kPax60CondCellFreeze).Title(), "Conditions to freeze cell");
    EXPECT_EQ(TPAX60ConditionSet(kPax60CondRoute).FileKey(), "Cond_Route");

    TPAX60ConditionSet s(kPax60CondCellThrown);
    for (int i = 0; i < 7; ++i)
        s.At(i) = TPAX60Condition::Point(i + 1, 0, false);
    s.InsertAt(0, TPAX60Condition::Signal(9, 0, false));
    EXPECT_EQ(s.At(0), TPAX60Condition::Signal(9, 0, false));
    EXPECT_EQ(s.At(1).Number, 1);
    EXPECT_EQ(s.At(6).Number, 6);  // point 7 dropped
    s.InsertAt(6, TPAX60Condition::Signal(8, 0, false));
    EXPECT_EQ(s.At(6).Number, 8);
    EXPECT_EQ(s.At(5).Number, 5);
    s.DeleteAt(0);
    EXPECT_EQ(s.At(0).Number, 1);
    EXPECT_TRUE(s.At(6).IsEmpty());

    // A set made from another takes over as many conditions as both hold.
    TPAX60ConditionSet freeze(kPax60CondCellFreeze, s);
    EXPECT_EQ(freeze.Capacity(), 2);
    EXPECT_EQ(freeze.At(1).Number, 2);
    TPAX60ConditionSet copy(kPax60CondRoute);
    copy = s;
    EXPECT_EQ(copy.Capacity(), 7);
    EXPECT_TRUE(copy.SameConditions(s));
}

TEST(Pax60ConditionSet, FileLine)
{
    TPAX60ConditionSet s(kPax60CondCellThrown);
    s.At(0) = TPAX60Condition::Point(12, 0, true);
    s.At(1) = TPAX60Condition::Sensor(16, 3, 0, false);
    std::ostringstream out;
    s.WriteConditionLine(out);
    EXPECT_EQ(out.str(), ",,\"Cond_Cell_T\",\"7\",\"PT 12 TH+\",\"SE 16:3 OC\",\"Unused\",\"Unused\",\"Unused\","
                         "\"Unused\",\"Unused\",,,,,,\r\n");

    std::istringstream in(out.str());
    TPAX60ConditionSet back(kPax60CondCellThrown);
    back.ReadConditionLine(in);
    EXPECT_TRUE(back.SameConditions(s));

    // The count is taken as written: surplus texts and a negative count are ignored,
    // and entries beyond the count keep what they held.
    TPAX60ConditionSet f(kPax60CondCellFreeze);
    f.At(1) = TPAX60Condition::Signal(4, 1, false);
    std::istringstream few(",,\"Cond_Cell_F\",\"1\",\"PT 3 CL\",\"PT 4 CL\"\r\n"
                           ",,x,9,PT 1 TH,PT 2 TH,PT 3 TH,PT 4 TH\r\n"
                           ",,x,-4,PT 1 TH\r\n");
    f.ReadConditionLine(few);
    EXPECT_EQ(f.At(0), TPAX60Condition::Point(3, 1, false));
    EXPECT_EQ(f.At(1), TPAX60Condition::Signal(4, 1, false));
    f.ReadConditionLine(few);
    EXPECT_EQ(f.At(1), TPAX60Condition::Point(2, 0, false));
    f.ReadConditionLine(few);
    EXPECT_EQ(f.At(0), TPAX60Condition::Point(1, 0, false));
}

TEST(Pax60ConditionSet, ReportGroupsAndedConditions)
{
    TPAX60ConditionSet s(kPax60CondCellClosed);
    std::vector<std::string> lines;
    s.Report(lines);
    EXPECT_EQ(lines, std::vector<std::string>{"          (No conditions assigned)"});

    s.At(0) = TPAX60Condition::Point(1, 0, true);
    s.At(1) = TPAX60Condition::Point(2, 1, false);
    s.At(2) = TPAX60Condition::Signal(3, 0, true);  // AND on the last reported one
    s.At(4) = TPAX60Condition::Signal(5, 0, false); // after the first empty one: not reported
    lines.clear();
    s.Report(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"          Point 1 is Thrown, AND Point 2 is Closed",
                                               "          Signal 3 is Red, AND"}));
}
