// Conditions: texts, file words, SV bytes, and the external device table.
#include "boards/core/Csv_io.h"
#include "boards/vela/Extdevtable.h"
#include "boards/vela/Tcondition.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TTextCase {
    TCondition condition;
    const char* display;
    const char* file;
};

TEST(Condition, DisplayAndFileTexts)
{
    const std::vector<TTextCase> cases = {
        {TCondition::None(), "(No Condition)", "Unused"},
        {TCondition{eVelaNone, 0, 0, 0, 1}, "(No Condition)", "Unused"},
        {TCondition::Point(12, 0, false), "Point 12 is Thrown", "PT 12 TH"},
        {TCondition::Point(12, 1, true), "Point 12 is Closed, AND", "PT 12 CL+"},
        {TCondition::Sensor(16, 3, 1, true), "Sensor 16,3 is Unoccupied, AND", "SE 16:3 UN+"},
        {TCondition::Sensor(1, 16, 0, false), "Sensor 1,16 is Occupied", "SE 1:16 OC"},
        {TCondition::Signal(250, 0, false), "Signal 250 is Red", "SG 250 RD"},
        {TCondition::Signal(250, 1, true), "Signal 250 is not Red, AND", "SG 250 NR+"},
        {TCondition::RevZone(0, false), "Rev Zone A running W-E", "ZN AWE"},
        {TCondition::RevZone(1, false), "Rev Zone A running E-W", "ZN AEW"},
        {TCondition::RevZone(2, false), "Rev Zone B running W-E", "ZN BWE"},
        {TCondition::RevZone(3, false), "Rev Zone B running E-W", "ZN BEW"},
        {TCondition::RevZone(4, false), "Rev Zone C running W-E", "ZN CWE"},
        {TCondition::RevZone(5, true), "Rev Zone C running E-W, AND", "ZN CEW+"},
    };
    for (const TTextCase& c : cases) {
        EXPECT_EQ(c.condition.DisplayText(), c.display) << c.file;
        EXPECT_EQ(c.condition.FileText(), c.file);
        // Every text the program writes reads back as the same condition
        // (a none condition keeps no AND flag).
        TCondition parsed = TCondition::Point(9, 1, true);
        EXPECT_TRUE(parsed.ParseFileText(c.file)) << c.file;
        const TCondition expected = c.condition.deviceType == eVelaNone ? TCondition::None() : c.condition;
        EXPECT_EQ(parsed, expected) << c.file;
    }
}

TEST(Condition, ParsesByWordSearchNotByPosition)
{
    struct TParseCase {
        const char* text;
        bool found;
        TCondition expected;
    };
    const std::vector<TParseCase> cases = {
        // TH is a point word: a sensor keeps state 0.
        {"SE 16:3 TH", true, TCondition::Sensor(16, 3, 0, false)},
        {"PT 5 CL+", true, TCondition::Point(5, 1, true)},
        // The first state word of the list wins, wherever it stands.
        {"SG 7 NR RD", true, TCondition::Signal(7, 0, false)},
        {"PT 7 XX", true, TCondition::Point(7, 0, false)},
        {"ZN + BEW", true, TCondition::RevZone(3, true)},
        {"ZN", true, TCondition::RevZone(0, false)},
        {"Unused+", true, TCondition::None()},
        {"", false, TCondition::None()},
        {"hello", false, TCondition::None()},
        {"pt 5 th", false, TCondition::None()},
    };
    for (const TParseCase& c : cases) {
        TCondition parsed = TCondition::Signal(1, 1, true);
        EXPECT_EQ(parsed.ParseFileText(c.text), c.found) << c.text;
        EXPECT_EQ(parsed, c.expected) << c.text;
    }
}

TEST(Condition, MalformedNumbersFailTheConversion)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"PT abc TH", "'abc' is not a valid integer value (the point number of 'PT abc TH')"},
        {"PT 12", "'PT 12' has no blank after its number"},
        {"PT 12x TH", "'12x' is not a valid integer value (the point number of 'PT 12x TH')"},
        {"SE 16 OC", "'16' is not a valid sensor board:input"},
        {"SG", "'SG' has no blank after its number"},
        {"SE x:3 OC", "'x' is not a valid integer value (the sensor board of 'SE x:3 OC')"},
        {"SE 16: OC", "'' is not a valid integer value (the sensor input of 'SE 16: OC')"},
        {"SG 99999999999 RD", "'99999999999' is not a valid integer value (the signal number of 'SG 99999999999 RD')"},
    };
    for (const auto& [text, message] : cases) {
        TCondition parsed;
        try {
            parsed.ParseFileText(text);
            ADD_FAILURE() << "no conversion error for " << text;
        } catch (const TCsvConversionError& e) {
            EXPECT_STREQ(e.what(), message) << text;
        }
    }
}

TEST(Condition, EncodesThroughTheTablePositions)
{
    TExtDevTable table;
    ASSERT_TRUE(table.Add(TCondition::Point(1, 0, false)));
    ASSERT_TRUE(table.Add(TCondition::Point(2, 0, false)));
    ASSERT_TRUE(table.Add(TCondition::Sensor(16, 3, 0, false)));
    ASSERT_TRUE(table.Add(TCondition::Point(300, 1, true)));  // state and AND do not matter
    ASSERT_TRUE(table.Add(TCondition::Signal(250, 0, false)));

    struct TEncodeCase {
        TCondition condition;
        uint8_t byte;
        bool ok;
    };
    const std::vector<TEncodeCase> cases = {
        {TCondition::Point(300, 1, true), 192, true},  // 4 + 60 + 128
        {TCondition::Point(300, 0, false), 4, true},
        {TCondition::Sensor(16, 3, 1, false), 63, true},
        {TCondition::Sensor(16, 4, 0, false), 0, false},  // the input must match too
        {TCondition::Signal(250, 0, true), 49 + 128, true},
        {TCondition::Point(250, 0, false), 0, false},  // the type must match
        {TCondition::Point(777, 1, true), 128, false},  // missing: still carries its AND bit
        {TCondition::RevZone(5, true), 254, true},
        {TCondition::RevZone(0, false), 121, true},
        {TCondition{eVelaNone, 0, 0, 0, 1}, 0, true},  // none never encodes its AND flag
    };
    for (const TEncodeCase& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(c.condition.Encode(table, ok), c.byte) << c.condition.FileText();
        EXPECT_EQ(ok, c.ok) << c.condition.FileText();
    }
}

TEST(Condition, DecodesBytes)
{
    TExtDevTable table;
    table.Add(TCondition::Point(300, 0, false));      // 1
    table.Add(TCondition::Sensor(16, 3, 0, false));   // 2
    table.Add(TCondition::Signal(250, 0, false));     // 49

    struct TDecodeCase {
        uint8_t byte;
        TCondition expected;
        bool ok;
    };
    const std::vector<TDecodeCase> cases = {
        {0, TCondition::None(), true},
        {128, TCondition::None(), true},
        {1, TCondition::Point(300, 0, false), true},
        {61 + 128, TCondition::Point(300, 1, true), true},
        {62, TCondition::Sensor(16, 3, 1, false), true},
        {49, TCondition::Signal(250, 0, false), true},
        {109 + 128, TCondition::Signal(250, 1, true), true},
        {254, TCondition::RevZone(5, true), true},
        {121, TCondition::RevZone(0, false), true},
        {3, TCondition::None(), false},    // empty entry
        {120, TCondition::None(), false},  // position 60, empty
        {127, TCondition::None(), false},  // no seventh zone state
    };
    for (const TDecodeCase& c : cases) {
        TCondition decoded = TCondition::Point(5, 1, true);
        EXPECT_EQ(decoded.Decode(c.byte, table), c.ok) << int(c.byte);
        EXPECT_EQ(decoded, c.expected) << int(c.byte);
    }
}

TEST(ExtDevTable, PointsAndSensorsTake1To48SignalsTake49To60)
{
    TExtDevTable table;
    EXPECT_TRUE(table.Add(TCondition::Signal(500, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Point(7, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Sensor(7, 1, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Sensor(7, 2, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Point(7, 1, true)));  // already there
    EXPECT_FALSE(table.Add(TCondition::RevZone(0, false)));
    EXPECT_EQ(table.Find(TCondition::Signal(500, 1, false)), 49);
    EXPECT_EQ(table.Find(TCondition::Point(7, 0, false)), 1);
    EXPECT_EQ(table.Find(TCondition::Sensor(7, 1, 0, false)), 2);
    EXPECT_EQ(table.Find(TCondition::Sensor(7, 2, 0, false)), 3);
    EXPECT_EQ(table.Find(TCondition::Signal(7, 0, false)), 0);
    EXPECT_EQ(table.EntryAt(4), TExtDevEntry{});
    EXPECT_EQ(table.EntryAt(0), TExtDevEntry{});
    EXPECT_EQ(table.EntryAt(61), TExtDevEntry{});

    for (int p = 4; p <= 48; ++p)
        EXPECT_TRUE(table.Add(TCondition::Point(1000 + p, 0, false)));
    EXPECT_FALSE(table.Add(TCondition::Point(2000, 0, false)));  // the 49th point or sensor
    EXPECT_FALSE(table.Add(TCondition::Sensor(2000, 1, 0, false)));
    for (int s = 2; s <= 12; ++s)
        EXPECT_TRUE(table.Add(TCondition::Signal(600 + s, 0, false)));
    EXPECT_FALSE(table.Add(TCondition::Signal(700, 0, false)));  // the 13th signal
    EXPECT_EQ(table.Find(TCondition::Signal(612, 0, false)), 60);
}

TEST(ExtDevTable, SvBytes)
{
    TExtDevTable table;
    table.SetEntry(4, {eVelaPoint, 300, 0});
    table.SetEntry(1, {eVelaSensor, 300, 3});   // a board above 255 loses its high bits
    table.SetEntry(48, {eVelaPoint, 25855, 0});  // high byte 100: still a point
    table.SetEntry(49, {eVelaSignal, 1025, 0});
    table.SetEntry(60, {eVelaSignal, 5, 0});
    std::vector<uint8_t> image(512, 0xEE);
    table.WriteSvs(image);
    auto sv = [&](int n) { return int(image[size_t(n - 1)]); };
    EXPECT_EQ(sv(39), 0xEE);  // untouched around the table
    EXPECT_EQ(sv(160), 0xEE);
    EXPECT_EQ(sv(40), 44);
    EXPECT_EQ(sv(41), 103);
    EXPECT_EQ(sv(42), 0);  // empty entries are written as 0, 0
    EXPECT_EQ(sv(43), 0);
    EXPECT_EQ(sv(46), 44);
    EXPECT_EQ(sv(47), 1);
    EXPECT_EQ(sv(134), 255);
    EXPECT_EQ(sv(135), 100);
    EXPECT_EQ(sv(136), 1);
    EXPECT_EQ(sv(137), 4);
    EXPECT_EQ(sv(158), 5);
    EXPECT_EQ(sv(159), 0);

    TExtDevTable read;
    read.SetEntry(2, {eVelaPoint, 9, 0});  // every entry is replaced
    read.ReadSvs(image);
    EXPECT_EQ(read.EntryAt(1), (TExtDevEntry{eVelaSensor, 44, 3}));
    EXPECT_EQ(read.EntryAt(2), TExtDevEntry{});
    EXPECT_EQ(read.EntryAt(4), (TExtDevEntry{eVelaPoint, 300, 0}));
    EXPECT_EQ(read.EntryAt(48), (TExtDevEntry{eVelaPoint, 25855, 0}));
    EXPECT_EQ(read.EntryAt(49), (TExtDevEntry{eVelaSignal, 1025, 0}));
    EXPECT_EQ(read.EntryAt(60), (TExtDevEntry{eVelaSignal, 5, 0}));
    // The second byte decides sensor against point: above 100 is a sensor.
    image[41 - 1] = 100;
    read.ReadSvs(image);
    EXPECT_EQ(read.EntryAt(1), (TExtDevEntry{eVelaPoint, 44 + 25600, 0}));
}

}  // namespace
