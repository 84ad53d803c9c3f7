// Condition sets: kinds, editing, file lines, SV bytes and reports.
#include "boards/core/Csv_io.h"
#include "boards/vela/Extdevtable.h"
#include "boards/vela/Tconditionset.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

TConditionSet Numbered(uint8_t kind)
{
    TConditionSet set(kind);
    for (int i = 0; i < set.Capacity(); ++i)
        set.SetCondition(i, TCondition::Point(i + 1, 0, false));
    return set;
}

TEST(ConditionSet, KindTable)
{
    struct TKindCase {
        uint8_t kind;
        int capacity;
        const char* key;
        const char* title;
    };
    const std::vector<TKindCase> cases = {
        {0, 3, "Cond_Block:", "Block Occupancy Conditions"},
        {1, 14, "Cond_Red_Norm:", "Red Conditions For Block Signal"},
        {2, 5, "Cond_redDiverge:", "Red Conditions for Diverging Junction"},
        {3, 3, "Cond_Isol_Override:", "Isolation Zone Override Conditions"},
        {4, 2, "Cond_Aux:", "Auxiliary Conditions"},
        {5, 8, "Cond_Rev_Direction:", "Reverse Zone Direction Conditions"},
        {6, 6, "Cond_Rev_Freeze:", "Reverse Zone Freeze Conditions"},
        {7, 3, "Cond_Rev_Shunt:", "Reverse Zone Shunt Conditions"},
    };
    for (const TKindCase& c : cases) {
        TConditionSet set(c.kind);
        EXPECT_EQ(set.Kind(), c.kind);
        EXPECT_EQ(set.Capacity(), c.capacity);
        EXPECT_EQ(set.FileKey(), c.key);
        EXPECT_EQ(set.Title(), c.title);
        for (int i = 0; i < set.Capacity(); ++i)
            EXPECT_EQ(set.ConditionAt(i), TCondition::None());
    }
}

TEST(ConditionSet, InsertDeleteAndOutOfRange)
{
    TConditionSet set = Numbered(eCondBlock);  // 1 2 3
    set.InsertAt(0, TCondition::Signal(9, 0, false));
    EXPECT_EQ(set.ConditionAt(0), TCondition::Signal(9, 0, false));
    EXPECT_EQ(set.ConditionAt(1).number, 1);
    EXPECT_EQ(set.ConditionAt(2).number, 2);  // 3 is lost

    set = Numbered(eCondBlock);
    set.DeleteAt(2);  // the last index only clears
    EXPECT_EQ(set.ConditionAt(1).number, 2);
    EXPECT_EQ(set.ConditionAt(2), TCondition::None());
    set = Numbered(eCondBlock);
    set.DeleteAt(0);
    EXPECT_EQ(set.ConditionAt(0).number, 2);
    EXPECT_EQ(set.ConditionAt(1).number, 3);
    EXPECT_EQ(set.ConditionAt(2), TCondition::None());

    set = Numbered(eCondBlock);
    const TConditionSet before = set;
    set.InsertAt(3, TCondition::Signal(9, 0, false));
    set.InsertAt(-1, TCondition::Signal(9, 0, false));
    set.DeleteAt(3);
    set.SetCondition(7, TCondition::Signal(9, 0, false));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(set.ConditionAt(i), before.ConditionAt(i));
    EXPECT_EQ(set.ConditionAt(3), TCondition::None());
}

TEST(ConditionSet, RemakingKeepsTheLeadingConditions)
{
    const TConditionSet red = Numbered(eCondRedNormal);
    const TConditionSet diverging(eCondRedDiverging, &red);
    ASSERT_EQ(diverging.Capacity(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(diverging.ConditionAt(i).number, i + 1);
    const TConditionSet back(eCondRedNormal, &diverging);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(back.ConditionAt(i).number, i + 1);
    for (int i = 5; i < 14; ++i)
        EXPECT_EQ(back.ConditionAt(i), TCondition::None());

    TConditionSet assigned(eCondAux);
    assigned = red;  // takes the kind and capacity too
    EXPECT_EQ(assigned.Kind(), eCondRedNormal);
    EXPECT_EQ(assigned.Capacity(), 14);
    EXPECT_EQ(assigned.ConditionAt(13).number, 14);
}

TEST(ConditionSet, FileLine)
{
    TConditionSet set(eCondBlock);
    set.SetCondition(0, TCondition::Point(12, 0, true));
    set.SetCondition(1, TCondition::Sensor(16, 3, 0, false));
    std::ostringstream out;
    set.WriteRecord(out);
    EXPECT_EQ(out.str(), ",,\"Cond_Block:\",\"3\",\"PT 12 TH+\",\"SE 16:3 OC\",\"Unused\",,,,,,,,,,,\r\n");

    // A red set fills exactly the 18 fields.
    std::ostringstream red;
    Numbered(eCondRedNormal).WriteRecord(red);
    EXPECT_EQ(red.str().substr(0, 40), ",,\"Cond_Red_Norm:\",\"14\",\"PT 1 TH\",\"PT 2 ");
    EXPECT_EQ(red.str().substr(red.str().size() - 12), "\"PT 14 TH\"\r\n");

    TConditionSet read = Numbered(eCondBlock);
    std::istringstream in(out.str());
    read.ReadRecord(in);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(read.ConditionAt(i), set.ConditionAt(i));
}

TEST(ConditionSet, ReadingTakesTheCountFromTheLine)
{
    struct TReadCase {
        const char* line;
        std::vector<int> numbers;  // point numbers of conditions 0..2, 0 for none
    };
    const std::vector<TReadCase> cases = {
        // No key check; conditions beyond the count keep what they held.
        {",,\"Whatever\",\"1\",\"PT 40 TH\",\"PT 41 TH\"\r\n", {40, 2, 3}},
        {",,\"Cond_Block:\",\"2\",\"PT 40 TH\"\r\n", {40, 0, 3}},
        {",,\"Cond_Block:\",\"9\",\"PT 40 TH\",\"PT 41 TH\",\"PT 42 TH\",\"PT 43 TH\"\r\n", {40, 41, 42}},
        {",,\"Cond_Block:\",\"-4\",\"PT 40 TH\"\r\n", {1, 2, 3}},
        {",,\"Cond_Block:\",\"x\",\"PT 40 TH\"\r\n", {1, 2, 3}},
        {"", {1, 2, 3}},
    };
    for (const TReadCase& c : cases) {
        TConditionSet set = Numbered(eCondBlock);
        std::istringstream in(c.line);
        set.ReadRecord(in);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(set.ConditionAt(i).number, c.numbers[size_t(i)]) << c.line << " condition " << i;
    }
}

TEST(ConditionSet, AConversionErrorStopsTheRead)
{
    TConditionSet set(eCondBlock);
    std::istringstream in(",,\"Cond_Block:\",\"3\",\"PT 4 TH\",\"PT four TH\",\"PT 6 TH\"\r\n");
    EXPECT_THROW(set.ReadRecord(in), TCsvConversionError);
}

TEST(ConditionSet, Report)
{
    struct TReportCase {
        std::vector<TCondition> conditions;
        std::vector<std::string> lines;
    };
    const std::string ten(10, ' ');
    const std::vector<TReportCase> cases = {
        {{}, {ten + "(No conditions assigned)"}},
        // Conditions after the first none are not reported.
        {{TCondition::None(), TCondition::Point(1, 0, false)}, {ten + "(No conditions assigned)"}},
        {{TCondition::Point(1, 0, true), TCondition::Sensor(2, 3, 1, false), TCondition::Signal(4, 0, false)},
         {ten + "Point 1 is Thrown, AND Sensor 2,3 is Unoccupied", ten + "Signal 4 is Red"}},
        // The last reported condition ends its line even with its AND.
        {{TCondition::Point(1, 0, false), TCondition::Point(2, 1, true), TCondition::None(),
          TCondition::Point(3, 0, false)},
         {ten + "Point 1 is Thrown", ten + "Point 2 is Closed, AND"}},
        {{TCondition::RevZone(2, true), TCondition::RevZone(3, true), TCondition::RevZone(4, false)},
         {ten + "Rev Zone B running W-E, AND Rev Zone B running E-W, AND Rev Zone C running W-E"}},
    };
    for (const TReportCase& c : cases) {
        TConditionSet set(eCondRevDirection);
        for (size_t i = 0; i < c.conditions.size(); ++i)
            set.SetCondition(int(i), c.conditions[i]);
        std::vector<std::string> lines{"before"};
        set.Report(lines);
        lines.erase(lines.begin());
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(ConditionSet, CollectsEveryDeviceAndEncodesInOrder)
{
    TConditionSet set(eCondRevDirection);
    set.SetCondition(0, TCondition::Sensor(5, 1, 0, true));
    set.SetCondition(1, TCondition::RevZone(1, false));
    set.SetCondition(2, TCondition::None());
    set.SetCondition(3, TCondition::Signal(300, 1, false));  // after a none: still collected
    set.SetCondition(4, TCondition::Point(8, 1, false));
    TExtDevTable table;
    EXPECT_TRUE(set.CollectDevices(table));
    EXPECT_EQ(table.Find(TCondition::Sensor(5, 1, 0, false)), 1);
    EXPECT_EQ(table.Find(TCondition::Point(8, 0, false)), 2);
    EXPECT_EQ(table.Find(TCondition::Signal(300, 0, false)), 49);

    std::vector<uint8_t> bytes(8, 0xEE);
    EXPECT_TRUE(set.Encode(bytes, table));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{129, 122, 0, 109, 62, 0, 0, 0}));

    TConditionSet decoded(eCondRevDirection);
    EXPECT_TRUE(decoded.Decode(bytes, table));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(decoded.ConditionAt(i), set.ConditionAt(i)) << i;

    // A device missing from the table fails the set; the other bytes are still written.
    TExtDevTable other;
    other.Add(TCondition::Point(8, 0, false));
    EXPECT_FALSE(set.Encode(bytes, other));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{128, 122, 0, 0, 61, 0, 0, 0}));
    // Decoding goes on past a failure.
    std::vector<uint8_t> broken{5, 61, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(decoded.Decode(broken, other));
    EXPECT_EQ(decoded.ConditionAt(0), TCondition::None());
    EXPECT_EQ(decoded.ConditionAt(1), TCondition::Point(8, 1, false));
}

}  // namespace
