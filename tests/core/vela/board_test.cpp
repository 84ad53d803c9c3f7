// The VELA40 and VELA80 models: defaults, SV images, limits, files and reports.
#include "Velatestboards.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using velatest::FileText;
using velatest::RichVela40;
using velatest::RichVela80;

namespace {

std::vector<std::string> Report(const TConfigurableBoard& board)
{
    std::vector<std::string> lines;
    board.DescribeSettings(lines);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---- Defaults and SV maps ----

TEST(Vela40, NewBoardImage)
{
    TVELA40Board b;
    EXPECT_EQ(b.Name(), "VELA40 Signal Controller");
    EXPECT_EQ(b.BoardTypeName(), "VELA40");
    EXPECT_EQ(b.SvLength(), 512u);
    EXPECT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(5), 1);
    EXPECT_EQ(b.SvByte(6), 0);
    EXPECT_EQ(b.SvByte(26), 10);
    EXPECT_EQ(b.SvByte(27), 232);
    EXPECT_EQ(b.SvByte(28), 3);
    EXPECT_EQ(b.SvByte(508), 8);
    for (unsigned sv = 30; sv <= 39; ++sv)
        EXPECT_EQ(b.SvByte(sv), 1) << sv;
    for (unsigned sv = 10; sv <= 19; ++sv)
        EXPECT_EQ(b.SvByte(sv), 2) << sv;
    int nonZero = 0;
    for (unsigned sv = 1; sv <= 512; ++sv)
        nonZero += b.SvByte(sv) != 0;
    EXPECT_EQ(nonZero, 25);
}

TEST(Vela80, NewBoardImage)
{
    TVELA80Board b;
    EXPECT_EQ(b.Name(), "VELA80 Signal Controller");
    EXPECT_EQ(b.BoardTypeName(), "VELA80");
    EXPECT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(5), 1);
    EXPECT_EQ(b.SvByte(508), 8);
    EXPECT_EQ(b.SvByte(510), 8);
    for (unsigned sv = 20; sv <= 25; ++sv)
        EXPECT_EQ(b.SvByte(sv), 0) << sv;
    EXPECT_EQ(b.SvByte(26), 10);
    EXPECT_EQ(b.SvByte(27), 0);
    EXPECT_EQ(b.SvByte(28), 0);
    int nonZero = 0;
    for (unsigned sv = 1; sv <= 512; ++sv)
        nonZero += b.SvByte(sv) != 0;
    EXPECT_EQ(nonZero, 24);
}

TEST(Vela40, SettingsLandOnTheirSvs)
{
    TVELA40Board b = RichVela40();
    b.SetDisplayMode(true);
    ASSERT_TRUE(b.ComputeSvImage());
    const std::vector<std::pair<unsigned, int>> expected = {
        {3, 0x34}, {4, 0x12}, {5, 44}, {6, 1}, {9, 1}, {20, 0}, {21, 1}, {22, 2}, {23, 0},
        {24, 1}, {25, 3}, {26, 200}, {27, 0xDC}, {28, 0x05}, {507, 1}, {508, 7}, {509, 1},
        {510, 0}, {511, 0}, {512, 0}, {255, 0}, {256, 0},
    };
    for (const auto& [sv, value] : expected)
        EXPECT_EQ(b.SvByte(sv), value) << "SV " << sv;
    // The sensor board number keeps its low 8 bits.
    b.SensorConfig().SetSensorBoardNumber(256);
    b.ComputeSvImage();
    EXPECT_EQ(b.SvByte(26), 0);
}

TEST(Vela80, SettingsLandOnTheirSvs)
{
    TVELA80Board b = RichVela80();
    b.SetOutputs5to8(1);
    b.SetBrightnessSimulation(true);
    ASSERT_TRUE(b.ComputeSvImage());
    const std::vector<std::pair<unsigned, int>> expected = {
        {3, 255}, {4, 255}, {5, 44}, {6, 1}, {9, 1}, {20, 3}, {21, 2}, {22, 1}, {23, 1}, {24, 1},
        {25, 1}, {26, 255}, {27, 0}, {28, 0}, {507, 1}, {508, 32}, {509, 1}, {510, 5}, {511, 0}, {512, 0},
    };
    for (const auto& [sv, value] : expected)
        EXPECT_EQ(b.SvByte(sv), value) << "SV " << sv;
}

TEST(VelaBoards, IdentitiesAndSvLists)
{
    TVELA40Board v40;
    TVELA80Board v80;
    v40.SetSerialNumber(77);
    v80.SetSerialNumber(77);
    struct TCase {
        int vendor, device, serial;
        bool v40, v80;
    };
    const std::vector<TCase> cases = {
        {1, 1, 77, true, false}, {46, 1, 77, true, false}, {1, 5, 77, false, true}, {46, 5, 77, false, true},
        {2, 1, 77, false, false}, {1, 1, 78, false, false}, {46, 5, 76, false, false}, {1, 2, 77, false, false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(v40.MatchesIdentity(c.vendor, c.device, c.serial), c.v40) << c.vendor << "/" << c.device;
        EXPECT_EQ(v80.MatchesIdentity(c.vendor, c.device, c.serial), c.v80) << c.vendor << "/" << c.device;
    }
    EXPECT_EQ(v40.SystemSvList(), (std::vector<unsigned>{1, 2, 7, 8, 29}));
    EXPECT_EQ(v80.SystemSvList(), (std::vector<unsigned>{1, 2, 7, 8, 29}));
    EXPECT_EQ(v40.UnusedSvList(), (std::vector<unsigned>{1, 2, 7, 8, 29, 255, 256, 510, 511, 512}));
    EXPECT_EQ(v80.UnusedSvList(), (std::vector<unsigned>{1, 2, 7, 8, 27, 28, 29, 255, 256, 511, 512}));
    EXPECT_EQ(v40.SvErrorText(), "SV Calculation Error: too many points, sensors or signals called up by board programming");
    EXPECT_EQ(v80.SvErrorText(), v40.SvErrorText());

    // The transfer walk ends with the last SV each model uses, in a block of one.
    unsigned size = 0;
    unsigned sv = v40.NextSvBlock(0, size);
    unsigned last40 = 0;
    while (size != 0) {
        last40 = sv + size - 1;
        sv = v40.NextSvBlock(sv, size);
    }
    EXPECT_EQ(last40, 509u);
    sv = v80.NextSvBlock(0, size);
    EXPECT_EQ(sv, 5u);
    EXPECT_EQ(size, 1u);
    sv = v80.NextSvBlock(sv, size);
    EXPECT_EQ(sv, 6u);
    sv = v80.NextSvBlock(sv, size);
    EXPECT_EQ(sv, 9u);
    EXPECT_EQ(size, 4u);
}

// ---- Signal base address ----

TEST(VelaBoards, SignalBaseAddressReachesEverySignal)
{
    TVELA40Board b;
    b.SetSignalBaseAddress(300);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(5), 44);
    EXPECT_EQ(b.SvByte(6), 1);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(b.Signal(i).DccAddress(), 300 + i);

    TVELA80Board decoded;
    decoded.ComputeSvImage();
    decoded.SetSvByte(5, 100);
    decoded.SetSvByte(6, 0);
    decoded.DecodeSvImage();
    EXPECT_EQ(decoded.SignalBaseAddress(), 100);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(decoded.Signal(i).BaseAddress(), 100);

    // Read from a file, the base address goes to the signals too.
    TVELA40Board read;
    std::istringstream in(FileText(b));
    read.ReadFromFile(in);
    EXPECT_EQ(read.Signal(9).DccAddress(), 309);
}

// ---- The external device table across a calculation ----

TEST(VelaBoards, CollectionOrderDecidesPositions)
{
    TVELA40Board b;
    // Zones are collected after every signal, signal 1 before signal 2.
    b.Zone(0).WestEastSet().SetCondition(0, TCondition::Point(1, 0, false));
    b.Signal(1).BlockSet().SetCondition(0, TCondition::Point(2, 0, false));
    b.Signal(0).AuxSet().SetCondition(0, TCondition::Point(3, 0, false));
    b.Signal(0).BlockSet().SetCondition(0, TCondition::Point(4, 0, false));
    b.Signal(9).SetNextSignal(50);
    b.Signal(0).RedSet().SetCondition(0, TCondition::Signal(60, 0, false));
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Point(4, 0, false)), 1);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Point(3, 0, false)), 2);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Point(2, 0, false)), 3);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Point(1, 0, false)), 4);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Signal(60, 0, false)), 49);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Signal(50, 0, false)), 50);
    EXPECT_EQ(b.SvByte(40), 4);
    EXPECT_EQ(b.SvByte(46), 1);
    EXPECT_EQ(b.SvByte(257 + 225 + 2), 12);  // signal 10's next signal: position 50

    // A device no longer referred to keeps its position and is still written,
    // so the others keep theirs.
    b.Signal(0).BlockSet().Clear();
    b.Signal(0).AuxSet().SetCondition(1, TCondition::Point(5, 0, false));
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(40), 4);
    EXPECT_EQ(b.ExtDevTable().Find(TCondition::Point(5, 0, false)), 5);
    EXPECT_EQ(b.SvByte(257 + 23), 2);
    EXPECT_EQ(b.SvByte(257 + 24), 5);

    // Loading the board afresh from its file forgets the old positions.
    TVELA40Board fresh;
    std::istringstream in(FileText(b));
    fresh.ReadFromFile(in);
    ASSERT_TRUE(fresh.ComputeSvImage());
    EXPECT_EQ(fresh.ExtDevTable().Find(TCondition::Point(3, 0, false)), 1);
    EXPECT_EQ(fresh.ExtDevTable().Find(TCondition::Point(4, 0, false)), 0);
}

template <class TBoard>
void CheckTableLimits()
{
    // 49 distinct sensors: the 49th finds no position.
    TBoard b;
    int k = 0;
    for (int i = 0; i < 10 && k < 49; ++i) {
        TConditionSet& red = b.Signal(i).RedSet();
        for (int c = 0; c < red.Capacity() && k < 49; ++c, ++k)
            red.SetCondition(c, TCondition::Sensor(1 + k / 16, 1 + k % 16, 0, true));
    }
    EXPECT_FALSE(b.ComputeSvImage());
    // The image is complete: the 48 sensors that fit, the settings after the signals.
    EXPECT_EQ(b.SvByte(40), 1);
    EXPECT_EQ(b.SvByte(41), 101);
    EXPECT_EQ(b.SvByte(134), 3);
    EXPECT_EQ(b.SvByte(135), 116);
    EXPECT_EQ(b.SvByte(257 + 6), 1 + 128);
    EXPECT_EQ(b.SvByte(257 + 75 + 6 + 5), 48 + 128);  // sensor 48 in signal 4's red set
    EXPECT_EQ(b.SvByte(257 + 75 + 6 + 6), 128);      // sensor 49: no position, AND bit kept
    EXPECT_EQ(b.SvByte(508), 8);
    for (unsigned sv = 10; sv <= 19; ++sv)
        EXPECT_EQ(b.SvByte(sv), 2);

    // 13 distinct external signals: the 13th finds no position.
    TBoard s;
    for (int i = 0; i < 10; ++i)
        s.Signal(i).SetNextSignal(500 + i);
    s.Zone(0).FreezeSet().SetCondition(0, TCondition::Signal(600, 0, false));
    s.Zone(0).FreezeSet().SetCondition(1, TCondition::Signal(601, 0, false));
    EXPECT_TRUE(s.ComputeSvImage());
    s.Zone(2).ShuntSet().SetCondition(0, TCondition::Signal(602, 1, false));
    EXPECT_FALSE(s.ComputeSvImage());
    EXPECT_EQ(s.SvByte(230 + 22), 0);
    EXPECT_EQ(s.SvByte(180 + 16), 59);
    EXPECT_EQ(s.SvByte(158), 89);  // 601 at position 60
    EXPECT_EQ(s.SvByte(159), 2);

    // A diverging signal whose junction point cannot be placed fails too.
    TBoard d;
    for (int p = 0; p < 48; ++p)
        d.Signal(p < 40 ? p / 5 : 8).RedSet().SetCondition(p < 40 ? p % 5 : p - 40, TCondition::Point(1000 + p, 0, false));
    d.Signal(9).SetType(eSignalDiverging);
    d.Signal(9).SetJunctionPoint(7);
    EXPECT_FALSE(d.ComputeSvImage());
    EXPECT_EQ(d.SvByte(257 + 225 + 1), 0);
    d.Signal(9).SetJunctionPoint(1047);
    EXPECT_TRUE(d.ComputeSvImage());
    EXPECT_EQ(d.SvByte(257 + 225 + 1), 48);
}

TEST(Vela40, TableLimitsFailTheCalculation)
{
    CheckTableLimits<TVELA40Board>();
}

TEST(Vela80, TableLimitsFailTheCalculation)
{
    CheckTableLimits<TVELA80Board>();
}

// ---- SV image round trips ----

template <class TBoard>
void CheckImageRoundTrip(TBoard original)
{
    ASSERT_TRUE(original.ComputeSvImage());
    TBoard decoded;
    for (unsigned sv = 1; sv <= original.SvLength(); ++sv)
        decoded.SetSvByte(sv, original.SvByte(sv));
    EXPECT_TRUE(decoded.DecodeSvImage());
    ASSERT_TRUE(decoded.ComputeSvImage());
    EXPECT_EQ(decoded.SvImage(), original.SvImage());
    // Names and descriptions are not in the image; everything else is.
    EXPECT_EQ(FileText(decoded), FileText(original));
}

TEST(Vela40, ImageRoundTrip)
{
    CheckImageRoundTrip(RichVela40());
    TVELA40Board display = RichVela40();
    display.SetDisplayMode(true);
    CheckImageRoundTrip(display);
}

TEST(Vela80, ImageRoundTrip)
{
    CheckImageRoundTrip(RichVela80());
}

TEST(VelaBoards, ImageRoundTripOfANewBoardIsStableButNotExact)
{
    // "No next signal, Normal" and "always Green" share the byte 0: the image is
    // the same, the decoded mode is always Green.
    TVELA40Board b;
    ASSERT_TRUE(b.ComputeSvImage());
    TVELA40Board decoded;
    for (unsigned sv = 1; sv <= 512; ++sv)
        decoded.SetSvByte(sv, b.SvByte(sv));
    EXPECT_TRUE(decoded.DecodeSvImage());
    EXPECT_EQ(decoded.Signal(0).NextMode(), eNextAlwaysGreen);
    ASSERT_TRUE(decoded.ComputeSvImage());
    EXPECT_EQ(decoded.SvImage(), b.SvImage());
}

TEST(VelaBoards, DecodingEmptyPositionsLeavesItemsEmpty)
{
    TVELA40Board b = RichVela40();
    ASSERT_TRUE(b.ComputeSvImage());
    // Wipe position 1 of the table: the conditions naming it become none.
    const int pos1Condition = b.SvByte(257 + 3);  // signal 1's first block condition
    ASSERT_EQ(pos1Condition & 0x7F, 1);
    b.SetSvByte(40, 0);
    b.SetSvByte(41, 0);
    TVELA40Board decoded;
    for (unsigned sv = 1; sv <= 512; ++sv)
        decoded.SetSvByte(sv, b.SvByte(sv));
    EXPECT_FALSE(decoded.DecodeSvImage());
    EXPECT_EQ(decoded.Signal(0).BlockSet().ConditionAt(0), TCondition::None());
    EXPECT_EQ(decoded.Signal(0).AuxSet().ConditionAt(1), TCondition::Signal(300, 0, false));
    EXPECT_EQ(decoded.HighCurrentConfig().DccBaseAddress(), 1500);
}

// ---- Files ----

TEST(VelaBoards, FileRoundTripGivesTheSameBytes)
{
    TVELA40Board v40 = RichVela40();
    v40.SetName("Yard, east");
    v40.SetDescription("Notes, with commas");
    v40.Signal(3).SetName("Home");
    v40.Zone(1).SetDescription("loop");
    const std::string text40 = FileText(v40);
    TVELA40Board read40;
    std::istringstream in40(text40);
    read40.ReadFromFile(in40);
    EXPECT_EQ(FileText(read40), text40);
    EXPECT_EQ(read40.Description(), "Notes, with commas");
    EXPECT_EQ(in40.peek(), std::char_traits<char>::eof());

    TVELA80Board v80 = RichVela80();
    v80.SetDescription("");
    const std::string text80 = FileText(v80);
    TVELA80Board read80;
    std::istringstream in80(text80);
    read80.ReadFromFile(in80);
    EXPECT_EQ(FileText(read80), text80);
    EXPECT_EQ(in80.peek(), std::char_traits<char>::eof());
}

TEST(VelaBoards, FileRecordLines)
{
    TVELA40Board v40 = RichVela40();
    const std::string text = FileText(v40);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::string pad13(13, ',');
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "\"VELA40_BOARD\",\"VELA40 Signal Controller\",4660,300,1,7,0,1,,,,,,,,,,\r");
    EXPECT_EQ(lines[1], ",\"Unassigned\"" + std::string(16, ',') + "\r");
    EXPECT_EQ(lines[2], ",\"sensor_config\",200,0,1,2,0" + std::string(11, ',') + "\r");
    EXPECT_EQ(lines[3], ",\"highcurrent_config\",1500,1,3" + pad13 + "\r");
    // 4 board lines, 7 block signals of 6 lines, 3 diverging of 8, 3 zones of 5.
    EXPECT_EQ(lines.size(), 4u + 7 * 6 + 3 * 8 + 3 * 5);

    TVELA80Board v80 = RichVela80();
    const std::string text80 = FileText(v80);
    EXPECT_EQ(text80.substr(0, text80.find('\n')),
              "\"VELA80_BOARD\",\"VELA80 Signal Controller\",65535,300,1,32,1,0,1,1,0,1,5,,,,,\r");
    EXPECT_NE(text80.find("\r\n,\"sensor_config\",255,3,2" + pad13 + "\r\n,\"Signal_1\""), std::string::npos);
}

TEST(VelaBoards, NewBoardsMatchTheirStoredFiles)
{
    TVELA40Board v40;
    TVELA80Board v80;
    EXPECT_EQ(FileText(v40), ReadWhole(TEST_DATA_DIR "/vela/vela40_new.csv"));
    EXPECT_EQ(FileText(v80), ReadWhole(TEST_DATA_DIR "/vela/vela80_new.csv"));
}

TEST(VelaBoards, FlagsReadAsSetForAnyValueButZero)
{
    TVELA80Board b;
    std::string text = FileText(b);
    text.replace(0, text.find('\r'), "\"VELA80_BOARD\",\"x\",5,1,7,8,2,3,4,-1,9,2,6");
    std::istringstream in(text);
    b.ReadFromFile(in);
    EXPECT_TRUE(b.ReportSpad());
    EXPECT_TRUE(b.InterrogateResponse());
    EXPECT_TRUE(b.BrightnessSimulation());
    EXPECT_TRUE(b.LocoNetSwitchCommands());
    EXPECT_EQ(b.Outputs1to4(), 2);
    EXPECT_EQ(b.Outputs5to8(), 3);
    EXPECT_EQ(b.AuxOutputs(), 4);
    EXPECT_EQ(b.ReleaseDelay(), 6);
    ASSERT_TRUE(b.ComputeSvImage());
    EXPECT_EQ(b.SvByte(9), 1);
    EXPECT_EQ(b.SvByte(507), 1);
    EXPECT_EQ(b.SvByte(23), 1);
}

// ---- Reading malformed files through the collection ----

TEST(VelaBoards, CollectionSavesAndLoadsLists)
{
    const std::string path = ::testing::TempDir() + "vela_list_test.csv";
    TBoardData data;
    for (uint8_t type : {uint8_t(btVELA40), uint8_t(btVELA80)}) {
        ASSERT_TRUE(data.AppendBoard(type)) << data.LastErrorText();
        ASSERT_TRUE(data.AppendBoard(type));
        ASSERT_TRUE(data.AppendBoard(type));
        data.BoardAt(type, 1)->SetName("second");
        data.BoardAt(type, 2)->SetSerialNumber(99);
        ASSERT_TRUE(data.SaveListAs(type, path)) << data.LastErrorText();
        const std::string written = ReadWhole(path);
        data.ClearList(type);
        ASSERT_TRUE(data.LoadList(type, path)) << data.LastErrorText();
        ASSERT_EQ(data.BoardCount(type), 3);
        EXPECT_EQ(data.BoardAt(type, 1)->Name(), "second");
        EXPECT_EQ(data.BoardAt(type, 2)->SerialNumber(), 99);
        std::ostringstream again;
        data.WriteList(type, again);
        EXPECT_EQ(again.str(), written);
    }
    std::remove(path.c_str());
}

TEST(VelaBoards, MalformedFilesReadWithoutHarm)
{
    TVELA40Board good = RichVela40();
    const std::string one = FileText(good);

    // Every line cut short to its first two fields: missing columns read as empty or 0.
    std::string shortLines;
    {
        std::istringstream in(one);
        for (std::string line; std::getline(in, line);) {
            size_t comma = line.find(',');
            comma = comma == std::string::npos ? comma : line.find(',', comma + 1);
            shortLines += line.substr(0, comma) + "\r\n";
        }
    }
    // Without the padding of empty fields every line reads the same.
    std::string unpadded;
    {
        std::istringstream in(one);
        for (std::string line; std::getline(in, line);) {
            line.pop_back();  // CR
            while (!line.empty() && line.back() == ',')
                line.pop_back();
            unpadded += line + "\n";
        }
    }
    // Garbage in number columns reads tolerantly.
    std::string garbage = one;
    garbage.replace(0, garbage.find('\r'), "\"VELA40_BOARD\",\"g\",12x,abc,, 7 ,-3,1.5");

    const std::string truncated = one + one.substr(0, one.size() / 2);
    long truncatedLines = truncated.back() == '\n' ? 0 : 1;
    for (char c : truncated)
        truncatedLines += c == '\n';

    struct TCase {
        const char* what;
        std::string text;
        bool ok;
        int boards;
        std::string error;
    };
    const std::vector<TCase> cases = {
        {"unpadded lines", unpadded, true, 1, ""},
        // A signal line without its type reads as a diverging signal, which has two
        // set lines more: the reading runs past the end.
        {"short lines", shortLines, false, 1, "t.csv, line 85: the file ends inside a VELA40 board"},
        {"garbage numbers", garbage, true, 1, ""},
        {"two boards", one + one, true, 2, ""},
        {"truncated", truncated, false, 2,
         "t.csv, line " + std::to_string(truncatedLines) + ": the file ends inside a VELA40 board"},
        {"truncated mid-line", one.substr(0, 10), false, 1, "t.csv, line 1: the file ends inside a VELA40 board"},
        {"last line without end", one.substr(0, one.size() - 2), true, 1, ""},
        {"empty", "", true, 0, ""},
        {"blank line", "\r\n", false, 1, "t.csv, line 1: the file ends inside a VELA40 board"},
    };
    for (const TCase& c : cases) {
        TBoardData data;
        std::istringstream in(c.text);
        EXPECT_EQ(data.ReadList(btVELA40, in, "t.csv"), c.ok) << c.what;
        EXPECT_EQ(data.BoardCount(btVELA40), c.boards) << c.what;
        EXPECT_EQ(data.LastErrorText(), c.error) << c.what;
    }

    TBoardData data;
    std::istringstream in(garbage);
    data.ReadList(btVELA40, in, "t.csv");
    const auto* b = static_cast<const TVELA40Board*>(data.BoardAt(btVELA40, 0));
    EXPECT_EQ(b->SerialNumber(), 12);
    EXPECT_EQ(b->SignalBaseAddress(), 0);
    EXPECT_FALSE(b->ReportSpad());
    EXPECT_EQ(b->IsolationDelay(), 7);
    EXPECT_TRUE(b->DisplayMode());
    EXPECT_TRUE(b->BrightnessSimulation());
    EXPECT_EQ(b->Signal(0).BaseAddress(), 0);

    // Cut anywhere, a file reads without harm and any failure is told with its line
    // (a cut inside a condition text is a conversion error, elsewhere the file ends early).
    for (size_t cut = 0; cut < one.size(); cut += 29) {
        TBoardData cutData;
        std::istringstream cutIn(one.substr(0, cut));
        if (!cutData.ReadList(btVELA40, cutIn, "t.csv")) {
            EXPECT_EQ(cutData.LastErrorText().rfind("t.csv, line ", 0), 0u) << cut;
        }
        EXPECT_EQ(cutData.BoardCount(btVELA40), cut == 0 ? 0 : 1) << cut;
    }

    TBoardData unpaddedData;
    std::istringstream unpaddedIn(unpadded);
    ASSERT_TRUE(unpaddedData.ReadList(btVELA40, unpaddedIn, "t.csv"));
    EXPECT_EQ(FileText(*unpaddedData.BoardAt(btVELA40, 0)), one);
}

TEST(VelaBoards, AConversionErrorStopsTheLoadAndNamesTheLine)
{
    const std::string path = ::testing::TempDir() + "vela_bad_condition.csv";
    TVELA80Board good = RichVela80();
    const std::string one = FileText(good);
    std::string bad = one;
    const size_t at = bad.find("\"PT 509 TH\"");  // signal 10's last red condition
    ASSERT_NE(at, std::string::npos);
    bad.replace(at, 11, "\"PT 5o9 TH\"");
    size_t line = 1;
    for (size_t i = 0; i < at; ++i)
        line += bad[i] == '\n';
    size_t linesOfOne = 0;
    for (char c : one)
        linesOfOne += c == '\n';
    {
        std::ofstream out(path, std::ios::binary);
        out << one << bad << one;
    }
    TBoardData data;
    EXPECT_FALSE(data.LoadList(btVELA80, path));
    EXPECT_EQ(data.LastErrorText(),
              path + ", line " + std::to_string(line + linesOfOne) + ": '5o9' is not a valid integer value (the point number of 'PT 5o9 TH')");
    EXPECT_EQ(data.BoardCount(btVELA80), 2);  // the good board and the one partly read
    EXPECT_TRUE(data.IsModified(btVELA80));
    // The file keeps its place as the list's file, but is not saved over.
    EXPECT_EQ(data.FileNameOf(btVELA80), path);
    EXPECT_TRUE(data.IsPartlyRead(btVELA80));
    const auto* partly = static_cast<const TVELA80Board*>(data.BoardAt(btVELA80, 1));
    EXPECT_EQ(partly->Signal(8).NextMode(), good.Signal(8).NextMode());
    std::remove(path.c_str());
}

// ---- Reports ----

TEST(Vela40, Report)
{
    TVELA40Board b;
    const std::vector<std::string> lines = Report(b);
    const std::vector<std::string> head = {
        "Board Type: VELA40",
        "Serial number: not set yet",
        "Board name: VELA40 Signal Controller",
        "Signal Base address: 1",
        "User Description: Unassigned",
        "Report signal passed at danger DISABLED",
        "Delay for power isolation zone = 2 s",
        "Simulation of lamp brightness DISABLED",
        "",
        "Sensor Board Addr Number: 10",
        "Sensor Input 1,2 config = Not Used",
        "Sensor Input 3,4 config = Not Used",
        "Sensor Input 5,6 config = Not Used",
        "Sensor Input 7,8 config = Not Used",
        "",
        "High current o/p DCC base addr: 1000",
        "High current o/p 1-4 config = Power Isolating Relay",
        "High current o/p 5-8 config = Power Isolating Relay",
        "",
        "Signal Settings:",
        "     Signal: 1",
    };
    ASSERT_EQ(lines.size(), 225u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + long(head.size())), head);
    EXPECT_EQ(lines[190], "");
    EXPECT_EQ(lines[191], "reverse Run Zone Settings:");
    EXPECT_EQ(lines[192], "     Zone: A");
    EXPECT_EQ(lines.back(), "");

    TVELA40Board rich = RichVela40();
    const std::vector<std::string> richLines = Report(rich);
    for (const char* line : {"Serial number: 4660", "Report signal passed at danger ENABLED",
                             "Delay for power isolation zone = 1.75 s", "Simulation of lamp brightness ENABLED",
                             "Sensor Input 3,4 config = General Sensor Inputs",
                             "Sensor Input 5,6 config = Turnout Feedback Inputs",
                             "High current o/p 1-4 config = Indiviaual On/Off Control",
                             "High current o/p 5-8 config = Solenoid type point"})
        EXPECT_TRUE(Contains(richLines, line)) << line;

    rich.SetDisplayMode(true);
    const std::vector<std::string> display = Report(rich);
    ASSERT_EQ(display.size(), richLines.size() + 1);
    EXPECT_EQ(display[5], "Board operates in Display Mode only");
    // The settings the board keeps in display mode follow.
    EXPECT_EQ(std::vector<std::string>(display.begin() + 6, display.end()),
              std::vector<std::string>(richLines.begin() + 5, richLines.end()));
}

TEST(VelaBoards, DelaySeconds)
{
    const std::vector<std::pair<int, const char*>> cases = {
        {0, "0"}, {1, "0.25"}, {2, "0.5"}, {6, "1.5"}, {7, "1.75"}, {8, "2"}, {32, "8"}, {255, "63.75"}, {-3, "-0.75"},
    };
    for (const auto& [quarters, text] : cases) {
        TVELA40Board v40;
        v40.SetIsolationDelay(quarters);
        EXPECT_TRUE(Contains(Report(v40), std::string("Delay for power isolation zone = ") + text + " s")) << quarters;
        TVELA80Board v80;
        v80.SetReleaseDelay(quarters);
        EXPECT_TRUE(Contains(Report(v80), std::string("Delay before change from RED = ") + text + " s")) << quarters;
    }
}

TEST(Vela80, Report)
{
    TVELA80Board b;
    const std::vector<std::string> lines = Report(b);
    const std::vector<std::string> head = {
        "Board Type: VELA80",
        "Serial number: not set yet",
        "Board name: VELA80 Signal Controller",
        "Signal Base address: 1",
        "User Description: Unassigned",
        "Report signal passed at danger DISABLED",
        "Delay for power isolation zone = 2 s",
        "Delay before change from RED = 2 s",
        "Signals 1-4 have 3 LEDs each",
        "Signals 5-8 have 3 LEDs each",
        "Aux outputs drive isolating relays for signals 1-8",
        "Board generates interrogate response on demand only",
        "Signal lamp brighness simulation DISABLED",
        "Uses DCC switch commands",
        "",
        "Sensor Board Addr Number: 10",
        "On-board Input config = Not Used",
        "External Input config = Not Used",
        "",
        "Signal Settings:",
        "     Signal: 1",
    };
    ASSERT_EQ(lines.size(), 225u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + long(head.size())), head);
    EXPECT_EQ(lines[191], "Reverse Run Zone Settings:");

    TVELA80Board rich = RichVela80();
    rich.SetOutputs5to8(1);
    rich.SetBrightnessSimulation(true);
    rich.SetReleaseDelay(0);
    const std::vector<std::string> richLines = Report(rich);
    const std::vector<std::string> settings = {
        "Report signal passed at danger ENABLED",
        "Delay for power isolation zone = 8 s",
        "Delay before change from RED = 0 s",
        "Signals 1-3 have 4 LEDs each, signal 4 has no outputs",
        "Signals 5-7 have 4 LEDs each, signal 8 has no outputs",
        "Aux outputs drive LEDs for signals 9&10",
        "Board generates interrogate response after power up & on demand",
        "Signal lamp brighness simulation ENABLED",
        "Uses LocoNet switch commands",
        "",
        "Sensor Board Addr Number: 255",
        "On-board Input config = Locally connected inputs, to make signals red",
        "External Input config = General Sensor Inputs, numbers 9 to 16",
    };
    EXPECT_EQ(std::vector<std::string>(richLines.begin() + 5, richLines.begin() + 5 + long(settings.size())), settings);
    EXPECT_EQ(TVELA80SensorConfig::CodeItem(1), "Sensor numbers 1-8");
    EXPECT_EQ(TVELA80SensorConfig::CodeText(1), "General Sensor Inputs, numbers 1 to 8");
}

TEST(VelaBoards, Factory)
{
    std::unique_ptr<TConfigurableBoard> v40 = MakeBoard(btVELA40);
    std::unique_ptr<TConfigurableBoard> v80 = MakeBoard(btVELA80);
    ASSERT_NE(v40, nullptr);
    ASSERT_NE(v80, nullptr);
    EXPECT_NE(dynamic_cast<TVELA40Board*>(v40.get()), nullptr);
    EXPECT_NE(dynamic_cast<TVELA80Board*>(v80.get()), nullptr);
    EXPECT_EQ(v40->ListLine(), "not set yet\tVELA40\t VELA40 Signal Controller");
}

}  // namespace
