// Signals and reverse running zones: type changes, byte codes, SV layout,
// collection order, file records and reports.
#include "boards/vela/Extdevtable.h"
#include "boards/vela/Trevrunzone.h"
#include "boards/vela/Tsignal.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kNoConditions = std::string(10, ' ') + "(No conditions assigned)";

int Sv(const std::vector<uint8_t>& image, int sv)
{
    return image[size_t(sv - 1)];
}

TSignal MakeSignal(int number, int base)
{
    TSignal s;
    s.SetNumber(number);
    s.SetBaseAddress(base);
    return s;
}

// A diverging signal that uses every field.
TSignal RichDivergingSignal()
{
    TSignal s = MakeSignal(2, 100);
    s.SetType(eSignalDiverging);
    s.SetJunctionPoint(33);
    s.SetName("Up main");
    s.SetDescription("by the box");
    s.SetTranspondingZone(5);
    s.SetRevZoneLink(4);
    s.SetHeadType(12);
    s.SetNextSignal(105);
    s.SetNextMode(eNextVirtual);
    s.SetNextSignalThrown(0);
    s.SetNextModeThrown(eNextAlwaysRed);
    s.BlockSet().SetCondition(0, TCondition::Point(1, 0, true));
    s.BlockSet().SetCondition(1, TCondition::Sensor(2, 3, 0, false));
    s.RedThrownSet()->SetCondition(0, TCondition::Signal(250, 1, false));
    s.AuxSet().SetCondition(0, TCondition::RevZone(0, false));
    return s;
}

TEST(Signal, Defaults)
{
    TSignal s;
    EXPECT_TRUE(s.IsBlock());
    EXPECT_EQ(s.Number(), 1);
    EXPECT_EQ(s.BaseAddress(), 1);
    EXPECT_EQ(s.Name(), "unnamed");
    EXPECT_EQ(s.Description(), "undefined");
    EXPECT_EQ(s.HeadType(), 2);
    EXPECT_EQ(s.RedSet().Kind(), eCondRedNormal);
    EXPECT_EQ(s.BlockThrownSet(), nullptr);
    EXPECT_EQ(s.RedThrownSet(), nullptr);
    EXPECT_EQ(MakeSignal(4, 300).DccAddress(), 303);
    EXPECT_EQ(MakeSignal(4, 300).ListText(), "4\tBlock\tunnamed");

    TSignal changed = RichDivergingSignal();
    EXPECT_EQ(changed.ListText(), "2\tDiverging\tUp main");
    changed.Reset();
    std::ostringstream a, b;
    changed.WriteRecord(a);
    TSignal().WriteRecord(b);
    EXPECT_EQ(a.str(), b.str());
}

TEST(Signal, TypeChangeRemakesTheSets)
{
    TSignal s;
    for (int i = 0; i < 14; ++i)
        s.RedSet().SetCondition(i, TCondition::Point(i + 1, 0, false));
    s.BlockSet().SetCondition(2, TCondition::Point(99, 0, false));
    s.AuxSet().SetCondition(1, TCondition::Point(98, 0, false));

    s.SetType(eSignalDiverging);
    ASSERT_NE(s.BlockThrownSet(), nullptr);
    ASSERT_NE(s.RedThrownSet(), nullptr);
    EXPECT_EQ(s.RedSet().Capacity(), 5);
    EXPECT_EQ(s.RedSet().ConditionAt(4).number, 5);
    EXPECT_EQ(s.RedThrownSet()->Kind(), eCondRedDiverging);
    EXPECT_EQ(s.BlockThrownSet()->Kind(), eCondBlock);
    s.RedThrownSet()->SetCondition(0, TCondition::Point(50, 0, false));
    s.SetType(eSignalDiverging);  // the thrown sets survive a repeated change
    EXPECT_EQ(s.RedThrownSet()->ConditionAt(0).number, 50);

    s.SetType(eSignalBlock);
    EXPECT_EQ(s.BlockThrownSet(), nullptr);
    EXPECT_EQ(s.RedThrownSet(), nullptr);
    EXPECT_EQ(s.RedSet().Capacity(), 14);
    EXPECT_EQ(s.RedSet().ConditionAt(4).number, 5);
    for (int i = 5; i < 14; ++i)
        EXPECT_EQ(s.RedSet().ConditionAt(i), TCondition::None());
    EXPECT_EQ(s.BlockSet().ConditionAt(2).number, 99);
    EXPECT_EQ(s.AuxSet().ConditionAt(1).number, 98);
    s.SetType(eSignalDiverging);
    EXPECT_EQ(s.RedThrownSet()->ConditionAt(0), TCondition::None());
}

TEST(Signal, NextSignalCodes)
{
    TExtDevTable table;
    table.Add(TCondition::Signal(250, 0, false));  // 49
    struct TCase {
        int32_t number;
        uint8_t mode;
        uint8_t code;
        bool ok;
    };
    const std::vector<TCase> cases = {
        {105, eNextVirtual, 106, true},
        {250, eNextVirtual, 111, true},
        {250, eNextNormal, 11, true},
        {100, eNextNormal, 1, true},
        {109, eNextNormal, 10, true},
        {0, eNextAlwaysRed, 255, true},
        {105, eNextAlwaysRed, 255, true},
        {777, eNextAlwaysGreen, 0, true},
        {0, eNextNormal, 0, true},
        {0, eNextVirtual, 0, true},
        {110, eNextNormal, 0, false},  // not this board's and not in the table
        {99, eNextVirtual, 0, false},
    };
    for (const TCase& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(TSignal::EncodeNextSignal(c.number, c.mode, 100, table, ok), c.code) << c.number;
        EXPECT_EQ(ok, c.ok) << c.number;
    }

    struct TDecodeCase {
        uint8_t code;
        int32_t number;
        uint8_t mode;
        bool ok;
    };
    const std::vector<TDecodeCase> decodes = {
        {0, 0, eNextAlwaysGreen, true},   {255, 0, eNextAlwaysRed, true}, {1, 100, eNextNormal, true},
        {10, 109, eNextNormal, true},     {106, 105, eNextVirtual, true}, {101, 100, eNextVirtual, true},
        {11, 250, eNextNormal, true},     {111, 250, eNextVirtual, true},
        {12, 0, eNextNormal, false},      // empty position 50
        {23, 0, eNextNormal, false},      // names no position
        {100, 0, eNextNormal, false},     {122, 0, eNextVirtual, false}, {254, 0, eNextVirtual, false},
    };
    for (const TDecodeCase& c : decodes) {
        int32_t number = -1;
        uint8_t mode = 99;
        EXPECT_EQ(TSignal::DecodeNextSignal(c.code, 100, table, number, mode), c.ok) << int(c.code);
        EXPECT_EQ(number, c.number) << int(c.code);
        EXPECT_EQ(mode, c.mode) << int(c.code);
    }
}

TEST(Signal, ReverseZoneLinkCodes)
{
    const uint8_t codes[] = {0, 1, 11, 2, 12, 3, 13};
    for (uint8_t link = 0; link <= 6; ++link) {
        EXPECT_EQ(TSignal::EncodeRevZoneLink(link), codes[link]);
        EXPECT_EQ(TSignal::DecodeRevZoneLink(codes[link]), link);
    }
    EXPECT_EQ(TSignal::EncodeRevZoneLink(7), 0);
    for (uint8_t code : {4, 7, 10, 14, 255})
        EXPECT_EQ(TSignal::DecodeRevZoneLink(code), 0) << int(code);
}

TEST(Signal, SvLayoutOfBlockAndDivergingSignals)
{
    TSignal s = MakeSignal(3, 100);
    s.SetHeadType(7);
    s.SetTranspondingZone(300);
    s.SetRevZoneLink(4);
    s.SetJunctionPoint(33);
    s.SetNextSignal(105);
    s.BlockSet().SetCondition(0, TCondition::RevZone(1, false));
    s.RedSet().SetCondition(13, TCondition::RevZone(2, false));
    s.IsolationSet().SetCondition(2, TCondition::RevZone(3, false));
    s.AuxSet().SetCondition(1, TCondition::RevZone(4, false));
    TExtDevTable table;
    table.Add(TCondition::Point(8, 0, false));
    table.Add(TCondition::Point(33, 0, false));  // position 2

    const int rec = 257 + 50;
    std::vector<uint8_t> image(512, 0);
    EXPECT_TRUE(s.Encode(image, table));
    EXPECT_EQ(Sv(image, 12), 7);
    EXPECT_EQ(Sv(image, 32), 1);
    EXPECT_EQ(Sv(image, 164), 44);
    EXPECT_EQ(Sv(image, 165), 1);
    EXPECT_EQ(Sv(image, rec + 0), 12);
    EXPECT_EQ(Sv(image, rec + 1), 2);  // a block signal writes a junction point it finds
    EXPECT_EQ(Sv(image, rec + 2), 6);
    EXPECT_EQ(Sv(image, rec + 3), 122);
    EXPECT_EQ(Sv(image, rec + 19), 123);
    EXPECT_EQ(Sv(image, rec + 22), 124);
    EXPECT_EQ(Sv(image, rec + 24), 125);
    int written = 0;
    for (int sv = 1; sv <= 512; ++sv)
        written += Sv(image, sv) != 0;
    EXPECT_EQ(written, 11);  // nothing outside the signal's own bytes

    s.SetType(eSignalDiverging);
    s.SetNextSignalThrown(101);
    s.SetNextModeThrown(eNextVirtual);
    s.BlockThrownSet()->SetCondition(2, TCondition::RevZone(5, false));
    s.RedThrownSet()->SetCondition(4, TCondition::RevZone(0, true));
    std::fill(image.begin(), image.end(), 0);
    EXPECT_TRUE(s.Encode(image, table));
    EXPECT_EQ(Sv(image, 32), 0);
    EXPECT_EQ(Sv(image, rec + 3), 102);  // next signal while thrown
    EXPECT_EQ(Sv(image, rec + 4), 122);  // the block set moved on by one
    EXPECT_EQ(Sv(image, rec + 11), 0);   // red set 7..11: the 14th condition is gone
    EXPECT_EQ(Sv(image, rec + 14), 126);
    EXPECT_EQ(Sv(image, rec + 19), 121 + 128);
    EXPECT_EQ(Sv(image, rec + 22), 124);

    // A junction point without a position fails a diverging signal only.
    TExtDevTable empty;
    s.BlockSet().Clear();
    s.RedSet().Clear();
    s.IsolationSet().Clear();
    s.AuxSet().Clear();
    s.BlockThrownSet()->Clear();
    s.RedThrownSet()->Clear();
    s.SetNextModeThrown(eNextAlwaysGreen);
    EXPECT_FALSE(s.Encode(image, empty));
    EXPECT_EQ(Sv(image, rec + 1), 0);
    s.SetType(eSignalBlock);
    EXPECT_TRUE(s.Encode(image, empty));
}

TEST(Signal, CollectionOrder)
{
    TSignal s = RichDivergingSignal();
    s.SetNextSignal(400);
    s.SetNextMode(eNextNormal);
    s.SetNextSignalThrown(401);
    s.SetNextModeThrown(eNextVirtual);
    s.RedSet().SetCondition(0, TCondition::Point(2, 0, false));
    s.BlockThrownSet()->SetCondition(0, TCondition::Point(3, 0, false));
    s.IsolationSet().SetCondition(0, TCondition::Point(4, 0, false));
    s.AuxSet().SetCondition(1, TCondition::Point(5, 0, false));
    TExtDevTable table;
    EXPECT_TRUE(s.CollectDevices(table));
    const std::vector<TExtDevEntry> expected = {
        {eVelaPoint, 33, 0}, {eVelaPoint, 1, 0}, {eVelaSensor, 2, 3}, {eVelaPoint, 2, 0},
        {eVelaPoint, 3, 0},  {eVelaPoint, 4, 0}, {eVelaPoint, 5, 0},
    };
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(table.EntryAt(int(i + 1)), expected[i]) << i;
    EXPECT_EQ(table.EntryAt(49), (TExtDevEntry{eVelaSignal, 400, 0}));
    EXPECT_EQ(table.EntryAt(50), (TExtDevEntry{eVelaSignal, 401, 0}));
    EXPECT_EQ(table.EntryAt(51), (TExtDevEntry{eVelaSignal, 250, 0}));

    // This board's own signals and the fixed modes take no position.
    TSignal own = MakeSignal(1, 100);
    own.SetNextSignal(109);
    TSignal green = MakeSignal(1, 100);
    green.SetNextSignal(500);
    green.SetNextMode(eNextAlwaysGreen);
    TExtDevTable none;
    EXPECT_TRUE(own.CollectDevices(none));
    EXPECT_TRUE(green.CollectDevices(none));
    EXPECT_EQ(none.EntryAt(49), TExtDevEntry{});
    EXPECT_EQ(none.EntryAt(1), TExtDevEntry{});  // a block signal's junction point is not collected
}

TEST(Signal, ImageRoundTrip)
{
    const TSignal s = RichDivergingSignal();
    TExtDevTable table;
    ASSERT_TRUE(s.CollectDevices(table));
    std::vector<uint8_t> image(512, 0);
    ASSERT_TRUE(s.Encode(image, table));

    TSignal decoded = MakeSignal(2, 100);
    ASSERT_TRUE(decoded.Decode(image, table));
    EXPECT_FALSE(decoded.IsBlock());
    EXPECT_EQ(decoded.JunctionPoint(), 33);
    EXPECT_EQ(decoded.HeadType(), 12);
    EXPECT_EQ(decoded.TranspondingZone(), 5);
    EXPECT_EQ(decoded.RevZoneLink(), 4);
    EXPECT_EQ(decoded.NextSignal(), 105);
    EXPECT_EQ(decoded.NextMode(), eNextVirtual);
    EXPECT_EQ(decoded.NextModeThrown(), eNextAlwaysRed);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(decoded.BlockSet().ConditionAt(i), s.BlockSet().ConditionAt(i));
    EXPECT_EQ(decoded.RedThrownSet()->ConditionAt(0), s.RedThrownSet()->ConditionAt(0));
    EXPECT_EQ(decoded.AuxSet().ConditionAt(0), s.AuxSet().ConditionAt(0));
    std::vector<uint8_t> again(512, 0);
    EXPECT_TRUE(decoded.Encode(again, table));
    EXPECT_EQ(again, image);

    // A junction position naming a sensor keeps the old junction point and fails.
    TExtDevTable wrong;
    wrong.SetEntry(1, {eVelaSensor, 33, 1});
    image[size_t(257 + 25 + 1 - 1)] = 1;
    TSignal stale = MakeSignal(2, 100);
    stale.SetJunctionPoint(77);
    EXPECT_FALSE(stale.Decode(image, wrong));
    EXPECT_EQ(stale.JunctionPoint(), 77);
    image[size_t(257 + 25 + 1 - 1)] = 61;  // above 60: no junction point at all
    EXPECT_FALSE(stale.Decode(image, wrong));
    EXPECT_EQ(stale.JunctionPoint(), 0);
}

TEST(Signal, FileRecord)
{
    TSignal block = MakeSignal(3, 1);
    std::ostringstream out;
    block.WriteRecord(out);
    const std::string text = out.str();
    const std::string commas6(6, ',');
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), ",\"Signal_3\",\"unnamed\",1,2,0,0,0,0,0,0,0" + commas6 + "\r\n");
    EXPECT_NE(text.find("\r\n,,\"undefined\"" + std::string(15, ',') + "\r\n,,\"Cond_Block:\""), std::string::npos);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 6u);

    TSignal diverging = RichDivergingSignal();
    std::ostringstream first;
    diverging.WriteRecord(first);
    lines = 0;
    for (char c : first.str())
        lines += c == '\n';
    EXPECT_EQ(lines, 8u);
    EXPECT_EQ(first.str().substr(0, 51), ",\"Signal_2\",\"Up main\",0,12,33,5,4,105,0,1,3,,,,,,\r\n");

    // Read into a block signal: the type read first decides the set lines.
    std::istringstream in(first.str() + "next");
    TSignal read = MakeSignal(2, 100);
    read.ReadRecord(in);
    std::ostringstream second;
    read.WriteRecord(second);
    EXPECT_EQ(second.str(), first.str());
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, "next");
}

TEST(Signal, Reports)
{
    std::vector<std::string> lines;
    RichDivergingSignal().Report(lines);
    const std::vector<std::string> expected = {
        "     Signal: 2",
        "     Diverging junction signal, controlled by point 33",
        "     Signal Name: Up main",
        "     Description: by the box",
        "     Transponding Zone: 5",
        "     Reverse Running Zone B, East to West",
        "     US 3 aspect, approach lit, common cathode LEDs;",
        "     Next signal if point is closed: signal number 105, Virtual",
        "     Next signal if point is thrown: is always Red",
        "     Block occupied conditions when point is closed:",
        "          Point 1 is Thrown, AND Sensor 2,3 is Occupied",
        "     Force to Red conditions when point is closed:",
        kNoConditions,
        "     Block occupied conditions when point is thrown:",
        kNoConditions,
        "     Force to Red conditions when point is thrown:",
        "          Signal 250 is not Red",
        "     Isolation zone override conditions:",
        kNoConditions,
        "     Auxiliary output conditions:",
        "          Rev Zone A running W-E",
        "",
    };
    EXPECT_EQ(lines, expected);

    lines.clear();
    TSignal block;
    block.SetTranspondingZone(0);
    block.SetNextMode(eNextAlwaysGreen);
    block.SetHeadType(0);
    block.Report(lines);
    const std::vector<std::string> blockExpected = {
        "     Signal: 1",
        "     Block signal",
        "     Signal Name: unnamed",
        "     Description: undefined",
        "     No assigned Transponding Zone;",
        "     No Reverse Running Zone assigned",
        "     4 aspect, common cathode LEDs;",
        "     Next signal: is always Green",
        "     Block occupied conditions:",
        kNoConditions,
        "     Force to Red conditions:",
        kNoConditions,
        "     Isolation zone override conditions:",
        kNoConditions,
        "     Auxiliary output conditions:",
        kNoConditions,
        "",
    };
    EXPECT_EQ(lines, blockExpected);
}

TEST(Signal, HeadTypeTexts)
{
    EXPECT_EQ(TSignal::HeadTypeItem(0), "4 aspect common cathode");
    EXPECT_EQ(TSignal::HeadTypeItem(13), "US approach lit 3 aspect, com anode");
    EXPECT_EQ(TSignal::HeadTypeReportLine(4), "     2 wire searchlight signal;");
    EXPECT_EQ(TSignal::HeadTypeReportLine(7), "     Euro Distant, common anode LEDs;");
    EXPECT_EQ(TSignal::HeadTypeItem(14), "");
    TSignal odd;
    odd.SetHeadType(40);  // never offered by the editor; reported without harm
    std::vector<std::string> lines;
    odd.Report(lines);
    EXPECT_EQ(lines[6], "     Unknown head type 40;");
}

TEST(RevRunZone, LayoutFileAndReport)
{
    TRevRunZone zone;
    zone.SetNumber(3);
    EXPECT_EQ(zone.Letter(), "C");
    zone.SetName("Loop");
    EXPECT_EQ(zone.ListText(), "C\tLoop");
    zone.WestEastSet().SetCondition(0, TCondition::Point(1, 0, false));
    zone.EastWestSet().SetCondition(7, TCondition::Point(2, 1, false));
    zone.FreezeSet().SetCondition(5, TCondition::Sensor(3, 4, 0, false));
    zone.ShuntSet().SetCondition(2, TCondition::Signal(300, 0, true));

    TExtDevTable table;
    EXPECT_TRUE(zone.CollectDevices(table));
    EXPECT_EQ(table.Find(TCondition::Point(1, 0, false)), 1);
    EXPECT_EQ(table.Find(TCondition::Point(2, 0, false)), 2);
    EXPECT_EQ(table.Find(TCondition::Sensor(3, 4, 0, false)), 3);

    std::vector<uint8_t> image(512, 0);
    EXPECT_TRUE(zone.Encode(image, table));
    EXPECT_EQ(Sv(image, 230), 1);
    EXPECT_EQ(Sv(image, 245), 62);
    EXPECT_EQ(Sv(image, 251), 3);
    EXPECT_EQ(Sv(image, 254), 49 + 128);  // zone C's shunt set ends at SV 254
    EXPECT_EQ(Sv(image, 255), 0);

    TRevRunZone decoded;
    decoded.SetNumber(3);
    EXPECT_TRUE(decoded.Decode(image, table));
    EXPECT_EQ(decoded.ShuntSet().ConditionAt(2), zone.ShuntSet().ConditionAt(2));
    EXPECT_EQ(decoded.FreezeSet().ConditionAt(5), zone.FreezeSet().ConditionAt(5));

    std::ostringstream out;
    zone.SetDescription("outer");
    zone.WriteRecord(out);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1),
              ",\"Zone_3\",\"Loop\",\"outer\"" + std::string(14, ',') + "\r\n");
    std::istringstream in(out.str());
    TRevRunZone read;
    read.SetNumber(3);
    read.ReadRecord(in);
    std::ostringstream again;
    read.WriteRecord(again);
    EXPECT_EQ(again.str(), out.str());

    std::vector<std::string> lines;
    zone.Report(lines);
    const std::vector<std::string> expected = {
        "     Zone: C",
        "     Zone Name: Loop",
        "     West - East Settings:",
        "          Point 1 is Thrown",
        "     East - West Settings:",
        kNoConditions,
        "     Freeze from changing Settings:",
        kNoConditions,
        "     Shunt Mode Settings:",
        kNoConditions,
        "",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
