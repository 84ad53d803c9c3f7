#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/muv7/Tmuv7board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>

namespace {

std::string FileText(TMUV7Board& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::array<uint8_t, 6> StepBytes(const TMUV7SequenceStep& step)
{
    std::array<uint8_t, 6> bytes{};
    step.Encode(bytes);
    return bytes;
}

// A board that uses every trigger and action, with names of every length.
TMUV7Board RichBoard()
{
    TMUV7Board board;
    board.SetName("Branch line, east");
    board.SetSerialNumber(4711);
    board.description = "Goods yard shuttle, two ends";
    board.SensorConfig().sensorConfig = 3;
    board.SensorConfig().sensorBoardNumber = 42;
    TMUV7Sequence& seq = board.SequenceAt(1);
    seq.name = "Mixed";
    seq.description = "every kind of step";
    seq.sequenceType = kMuv7UserDefined;
    for (int k = 0; k < 10; ++k) {
        TMUV7SequenceStep& s = seq.StepAt(k);
        s.name = "step " + std::to_string(k + 1);
        s.trigger = static_cast<uint8_t>(k % 4);
        s.action = static_cast<uint8_t>(k + 1 <= 9 ? k + 1 : 9);
        s.delay = 5 + k;
        s.triggerPoint = 100 + k;
        s.sensorBoard = 3 + k;
        s.sensor = 1 + k;
        s.respondEvery = 1 + k;
        s.retriggerStep = k;
        s.rampTime = k % 10;
        s.function = k % 8;
        s.functionTime = 1 + k % 7;
        s.actionPoint = 2000 + k;
    }
    seq.activeSteps = seq.LastUsedStep();
    board.SequenceAt(2).MakeShuttle(10, 1, 10, 10, 2, 10, 2);
    board.SequenceAt(3).MakeStationStop(12, 4, 30, 3, 5);
    return board;
}

}  // namespace

TEST(Muv7Board, NewBoardDefaultsAndImage)
{
    TMUV7Board board;
    EXPECT_EQ(board.Name(), "MUV7 Pendulo");
    EXPECT_EQ(board.BoardTypeName(), "MUV7");
    EXPECT_EQ(board.SvLength(), 512u);
    EXPECT_EQ(board.description, "Unassigned");
    board.SetSerialNumber(0x1234);
    ASSERT_TRUE(board.ComputeSvImage());

    std::vector<uint8_t> expected(512, 0);
    expected[2] = 0x34;
    expected[3] = 0x12;
    expected[11] = 10;
    const std::array<uint8_t, 17> head = {2, 0, 'U', 'n', 'd', 'e', 'f', 'i', 'n', 'e', 'd', 0, 0, 0, 0, 0, 0};
    for (int n = 1; n <= 4; ++n) {
        const size_t at = TMUV7Sequence::FirstSv(n) - 1;
        std::copy(head.begin(), head.end(), expected.begin() + static_cast<long>(at));
        for (int k = 0; k < 16; ++k) {
            const size_t s = at + 17 + 6 * static_cast<size_t>(k);
            expected[s] = 1;      // one-second delay
            expected[s + 2] = 1;  // respond every trigger
        }
    }
    EXPECT_EQ(board.SvImage(), expected);
    EXPECT_EQ(TMUV7Sequence::FirstSv(4) + 112, 481u);
}

TEST(Muv7Board, TransferredSvs)
{
    TMUV7Board board;
    EXPECT_EQ(board.UnusedSvList().size(), 54u);
    EXPECT_EQ(board.SystemSvList(), (std::vector<unsigned>{1, 2, 7, 8, 29}));
    std::vector<unsigned> transferred;
    unsigned size = 0;
    for (unsigned sv = board.NextSvBlock(0, size); size != 0; sv = board.NextSvBlock(sv, size))
        for (unsigned k = 0; k < size; ++k)
            transferred.push_back(sv + k);
    std::vector<unsigned> expected = {10, 11, 12, 13};
    for (unsigned sv = 30; sv <= 481; ++sv)
        expected.push_back(sv);
    EXPECT_EQ(transferred, expected);
}

TEST(Muv7Board, Identity)
{
    TMUV7Board board;
    board.SetSerialNumber(77);
    EXPECT_TRUE(board.MatchesIdentity(1, 6, 77));
    EXPECT_TRUE(board.MatchesIdentity(46, 6, 77));
    EXPECT_FALSE(board.MatchesIdentity(2, 6, 77));
    EXPECT_FALSE(board.MatchesIdentity(46, 5, 77));
    EXPECT_FALSE(board.MatchesIdentity(46, 6, 78));
}

struct StepCodeCase {
    const char* what;
    uint8_t trigger;
    int32_t value1;  // delay, trigger point or sensor board
    int32_t value2;  // sensor
    uint8_t action;
    int32_t a1;  // ramp time, function or action point
    int32_t a2;  // function time
    uint16_t triggerCode;
    uint16_t actionCode;
};

TEST(Muv7Step, TriggerAndActionCodes)
{
    const StepCodeCase cases[] = {
        {"sensor 3 of board 10, stop", 3, 10, 3, 1, 2, 0, 16531, 17},
        {"sensor 16 of board 256", 3, 256, 16, 1, 0, 0, 20480, 1},
        {"delay 1000 kept, start opposite", 0, 1000, 0, 3, 2, 0, 1000, 19},
        {"delay 1500 written as 1000", 0, 1500, 0, 2, 9, 0, 1000, 74},
        {"point 1 closed, function 5 for 3 s", 1, 1, 0, 6, 5, 3, 1025, 143},
        {"point 2048 thrown, dispatch", 2, 2048, 0, 7, 0, 0, 6144, 200},
        {"delay 1, set point 300 thrown", 0, 1, 0, 9, 300, 0, 1, 4396},
        {"delay 7, set point 2048 closed", 0, 7, 0, 8, 2048, 0, 7, 3072},
        {"start direction A, ramp 0", 0, 3, 0, 4, 0, 0, 3, 4},
        {"start direction B, ramp 9", 0, 3, 0, 5, 9, 0, 3, 77},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMUV7SequenceStep step(5);
        step.trigger = c.trigger;
        step.action = c.action;
        if (c.trigger == 0)
            step.delay = c.value1;
        else if (c.trigger == 3) {
            step.sensorBoard = c.value1;
            step.sensor = c.value2;
        } else
            step.triggerPoint = c.value1;
        if (c.action <= 5)
            step.rampTime = c.a1;
        else if (c.action == 6) {
            step.function = c.a1;
            step.functionTime = c.a2;
        } else
            step.actionPoint = c.a1;
        EXPECT_EQ(step.TriggerCode(), c.triggerCode);
        EXPECT_EQ(step.ActionCode(), c.actionCode);
        const auto bytes = StepBytes(step);
        EXPECT_EQ(bytes[0] | bytes[1] << 8, c.triggerCode);
        EXPECT_EQ(bytes[4] | bytes[5] << 8, c.actionCode);

        // Decoding gives the same step back (the delay as the board keeps it).
        TMUV7SequenceStep back(5);
        back.Decode(bytes);
        EXPECT_EQ(back.trigger, c.trigger);
        EXPECT_EQ(back.action, c.action);
        EXPECT_EQ(back.TriggerCode(), c.triggerCode);
        EXPECT_EQ(back.ActionCode(), c.actionCode);
        EXPECT_EQ(back.ListText(), [&] {
            TMUV7SequenceStep cut = step;
            cut.delay = std::min(cut.delay, 1000);
            return cut.ListText();
        }());
    }
    TMUV7SequenceStep sensorStep;
    sensorStep.trigger = 3;
    sensorStep.sensorBoard = 10;
    sensorStep.sensor = 3;
    sensorStep.action = 1;
    const auto bytes = StepBytes(sensorStep);
    EXPECT_EQ(bytes[0], 147);
    EXPECT_EQ(bytes[1], 64);
    TMUV7SequenceStep back;
    back.Decode(bytes);
    EXPECT_EQ(back.sensorBoard, 10);
    EXPECT_EQ(back.sensor, 3);
}

TEST(Muv7Step, RespondEveryKeepsEightBitsAndUnusedDecodesReset)
{
    TMUV7SequenceStep step;
    step.action = 2;
    step.respondEvery = 300;
    step.retriggerStep = 4;
    EXPECT_EQ(StepBytes(step)[2], 44);
    EXPECT_EQ(StepBytes(step)[3], 4);

    // An action code of 0 leaves the step unused whatever the other bytes say.
    const std::array<uint8_t, 6> unused = {0x93, 0x40, 9, 3, 0, 0};
    TMUV7SequenceStep decoded(3);
    decoded.name = "kept";
    decoded.trigger = 2;
    decoded.action = 8;
    decoded.respondEvery = 5;
    decoded.Decode(unused);
    EXPECT_FALSE(decoded.IsUsed());
    EXPECT_EQ(decoded.trigger, 0);
    EXPECT_EQ(decoded.respondEvery, 1);
    EXPECT_EQ(decoded.retriggerStep, 0);
    EXPECT_EQ(decoded.name, "kept");
    EXPECT_EQ(decoded.ListText(), "3: Step not used.");
}

TEST(Muv7Sequence, NameCutTo15Characters)
{
    std::vector<uint8_t> image(512, 0);
    TMUV7Sequence seq(2);
    seq.name = "Station Stop";
    seq.Encode(image);
    const size_t at = TMUV7Sequence::FirstSv(2) - 1 + 2;
    EXPECT_EQ(std::string(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + 15),
              std::string("Station Stop\0\0\0", 15));

    seq.name = "Twenty characters!!!";
    ASSERT_EQ(seq.name.size(), 20u);
    seq.Encode(image);
    EXPECT_EQ(std::string(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + 15),
              "Twenty characte");
    EXPECT_EQ(image[at + 15], 1);  // step 1 follows at once

    TMUV7Sequence back(2);
    back.Decode(image);
    EXPECT_EQ(back.name, "Twenty characte");
}

TEST(Muv7Sequence, WizardStationStopAndShuttle)
{
    TMUV7Sequence stationStop(1);
    stationStop.StepAt(5).name = "old name";
    stationStop.StepAt(5).action = 7;
    stationStop.MakeStationStop(10, 1, 20, 1, 2);
    EXPECT_EQ(stationStop.sequenceType, kMuv7StationStop);
    EXPECT_EQ(stationStop.activeSteps, 2);
    EXPECT_EQ(stationStop.name, "Station Stop");
    EXPECT_EQ(stationStop.description, "Station stop, generated by Wizard");
    EXPECT_EQ(stationStop.StepAt(0).TriggerCode(), 16529);
    EXPECT_EQ(stationStop.StepAt(0).respondEvery, 1);
    EXPECT_EQ(stationStop.StepAt(0).ActionCode(), 17);
    EXPECT_EQ(stationStop.StepAt(1).TriggerCode(), 20);
    EXPECT_EQ(stationStop.StepAt(1).ActionCode(), 18);
    EXPECT_EQ(stationStop.StepAt(0).name, "stop at sensor");
    EXPECT_EQ(stationStop.StepAt(1).name, "start after delay");
    // Reset keeps names: the later steps are unused but keep theirs.
    EXPECT_FALSE(stationStop.StepAt(5).IsUsed());
    EXPECT_EQ(stationStop.StepAt(5).name, "old name");
    EXPECT_EQ(stationStop.LastUsedStep(), 2);

    TMUV7Sequence shuttle(2);
    shuttle.MakeShuttle(10, 1, 10, 10, 2, 10, 2);
    EXPECT_EQ(shuttle.sequenceType, kMuv7Shuttle);
    EXPECT_EQ(shuttle.activeSteps, 4);
    EXPECT_EQ(shuttle.name, "Shuttle");
    EXPECT_EQ(shuttle.description, "Shuttle, generated by Wizard");
    const uint16_t triggers[4] = {16530, 10, 16529, 10};
    const uint16_t actions[4] = {17, 19, 17, 19};
    const int32_t retrigger[4] = {3, 0, 1, 0};
    const char* names[4] = {"stop at sensor 2", "start after delay", "stop at sensor 1", "start after delay"};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(shuttle.StepAt(k).TriggerCode(), triggers[k]);
        EXPECT_EQ(shuttle.StepAt(k).ActionCode(), actions[k]);
        EXPECT_EQ(shuttle.StepAt(k).retriggerStep, retrigger[k]);
        EXPECT_EQ(shuttle.StepAt(k).respondEvery, 1);
        EXPECT_EQ(shuttle.StepAt(k).name, names[k]);
    }
    EXPECT_EQ(shuttle.LastUsedStep(), 4);
}

TEST(Muv7Sequence, CopyIsDeepAndWhole)
{
    TMUV7Sequence original(3);
    original.MakeShuttle(10, 1, 10, 10, 2, 10, 2);
    TMUV7Sequence copy(original);
    EXPECT_EQ(copy.number, 3);
    EXPECT_EQ(copy.StepAt(0).ListText(), original.StepAt(0).ListText());
    copy.StepAt(0).sensor = 9;
    copy.name = "changed";
    EXPECT_EQ(original.StepAt(0).sensor, 2);
    EXPECT_EQ(original.name, "Shuttle");
    original = copy;
    EXPECT_EQ(original.StepAt(0).sensor, 9);
    EXPECT_EQ(original.name, "changed");
}

TEST(Muv7File, RecordLayout)
{
    TMUV7Board board = RichBoard();
    const std::vector<std::string> lines = Lines(FileText(board));
    ASSERT_EQ(lines.size(), 75u);
    EXPECT_EQ(lines[0], "\"MUV7_BOARD\",\"Branch line, east\",4711,,,,,,,,\r");
    EXPECT_EQ(lines[1], ",\"Goods yard shuttle, two ends\",,,,,,,,,\r");
    EXPECT_EQ(lines[2], ",\"sensor_config\",42,3,,,,,,,\r");
    EXPECT_EQ(lines[3], ",\"sequence_1\",\"Undefined\",2,0,,,,,,\r");
    EXPECT_EQ(lines[4], ",,\"\",,,,,,,,\r");
    EXPECT_EQ(lines[5], ",step,1,0,1,0,1,,0,,,\r");
    // Sequence 2: a sensor trigger with a point action, a delay with a function.
    EXPECT_EQ(lines[21], ",\"sequence_2\",\"Mixed\",2,10,,,,,,\r");
    EXPECT_EQ(lines[23], ",step,1,0,1,0,5,,1,0,,step 1\r");
    EXPECT_EQ(lines[24], ",step,2,1,2,1,101,,2,1,,step 2\r");
    EXPECT_EQ(lines[26], ",step,4,3,4,3,6,4,4,3,,step 4\r");
    EXPECT_EQ(lines[28], ",step,6,1,6,5,105,,6,5,6,step 6\r");
    EXPECT_EQ(lines[30], ",step,8,3,8,7,10,8,8,2007,,step 8\r");
}

TEST(Muv7File, RoundTripGivesSameBytesAndSameBoard)
{
    TMUV7Board board = RichBoard();
    const std::string first = FileText(board);
    std::istringstream in(first);
    TMUV7Board read;
    read.ReadFromFile(in);
    EXPECT_EQ(FileText(read), first);
    EXPECT_EQ(read.Name(), "Branch line, east");
    EXPECT_EQ(read.SerialNumber(), 4711);
    EXPECT_EQ(read.SequenceAt(3).StepAt(0).respondEvery, 3);

    std::vector<std::string> a, b;
    board.DescribeSettings(a);
    read.DescribeSettings(b);
    EXPECT_EQ(a, b);
}

TEST(Muv7File, TextsWithCommasReadBackWhole)
{
    TMUV7Board board;
    board.SequenceAt(0).name = "A,B";
    board.SequenceAt(0).description = "up, then down";
    TMUV7SequenceStep& step = board.SequenceAt(0).StepAt(2);
    step.action = kMuv7ActionDispatch;
    step.name = "wait, then go";
    const std::string text = FileText(board);
    std::istringstream in(text);
    TMUV7Board read;
    read.ReadFromFile(in);
    EXPECT_EQ(read.SequenceAt(0).name, "A,B");
    EXPECT_EQ(read.SequenceAt(0).description, "up, then down");
    EXPECT_EQ(read.SequenceAt(0).StepAt(2).name, "wait, then go");
    EXPECT_EQ(read.SequenceAt(0).StepAt(2).action, kMuv7ActionDispatch);
    EXPECT_EQ(FileText(read), text);
}

TEST(Muv7File, StepLineWithoutActionLeavesStepReset)
{
    TMUV7SequenceStep step(4);
    step.name = "before";
    step.action = 3;
    step.trigger = 3;
    step.sensorBoard = 9;
    std::istringstream in(",step,11,3,7,5,20,9,0,4,5,a name\r\n");
    step.ReadStepLine(in);
    EXPECT_FALSE(step.IsUsed());
    EXPECT_EQ(step.number, 4);
    EXPECT_EQ(step.name, "before");
    EXPECT_EQ(step.trigger, 0);
    EXPECT_EQ(step.delay, 1);
    EXPECT_EQ(step.sensorBoard, 1);
    EXPECT_EQ(step.respondEvery, 1);
    EXPECT_EQ(step.retriggerStep, 0);
    EXPECT_EQ(step.rampTime, 2);

    // With an action the line's values are taken as its trigger and action need them.
    std::istringstream used(",step,11,3,7,5,20,9,6,4,5,a name\r\n");
    step.ReadStepLine(used);
    EXPECT_EQ(step.number, 11);
    EXPECT_EQ(step.name, "a name");
    EXPECT_EQ(step.sensorBoard, 20);
    EXPECT_EQ(step.sensor, 9);
    EXPECT_EQ(step.respondEvery, 7);
    EXPECT_EQ(step.retriggerStep, 5);
    EXPECT_EQ(step.function, 4);
    EXPECT_EQ(step.functionTime, 5);
    EXPECT_EQ(step.delay, 1);
}

TEST(Muv7Image, ImageDecodeImageRoundTrip)
{
    TMUV7Board board = RichBoard();
    board.SequenceAt(0).name = "A name longer than fifteen";
    ASSERT_TRUE(board.ComputeSvImage());
    const std::vector<uint8_t> image = board.SvImage();

    TMUV7Board decoded;
    for (unsigned sv = 1; sv <= 512; ++sv)
        decoded.SetSvByte(sv, image[sv - 1]);
    ASSERT_TRUE(decoded.DecodeSvImage());
    EXPECT_EQ(decoded.SerialNumber(), 0);  // the serial number is not taken from the image
    EXPECT_EQ(decoded.SequenceAt(0).name, "A name longer t");
    EXPECT_EQ(decoded.SensorConfig().sensorBoardNumber, 42);
    EXPECT_EQ(decoded.SensorConfig().sensorConfig, 3);
    for (int n = 0; n < 4; ++n)
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(decoded.SequenceAt(n).StepAt(k).ListText(), board.SequenceAt(n).StepAt(k).ListText())
                << "sequence " << n + 1 << " step " << k + 1;
    decoded.SetSerialNumber(board.SerialNumber());
    ASSERT_TRUE(decoded.ComputeSvImage());
    EXPECT_EQ(decoded.SvImage(), image);
}

TEST(Muv7Texts, ListTextsAndReport)
{
    TMUV7Board board = RichBoard();
    EXPECT_EQ(board.SequenceAt(2).ListText(), "3\tShuttle");
    EXPECT_EQ(board.SequenceAt(2).StepAt(0).ListText(),
              "1: trigger when sensor 10,2 occupied; Stop train.");
    EXPECT_EQ(board.SequenceAt(1).StepAt(1).ListText(), "2: trigger when point 101 set Closed; Start train same direction");
    EXPECT_EQ(board.SequenceAt(1).StepAt(2).ListText(), "3: trigger when point 102 set Thrown; Start train opposite direction");
    EXPECT_EQ(board.SequenceAt(1).StepAt(8).ListText(), "9: trigger after 13 seconds; Set point 2008 Thrown");

    std::vector<std::string> lines;
    board.DescribeSettings(lines);
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines[0], "Board Type: MUV7");
    EXPECT_EQ(lines[1], "Serial number: 4711");
    EXPECT_EQ(lines[2], "Board name: Branch line, east");
    EXPECT_EQ(lines[3], "Description: Goods yard shuttle, two ends");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "Sensor Board Addr Number: 42");
    EXPECT_EQ(lines[6], "Sensor config = General Sensor Inputs, numbers 9 to 12");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "Sequence 1: name=Undefined");
    EXPECT_EQ(lines[9], "  Description: ");
    EXPECT_EQ(lines[10], "  Type =      user defined;");
    EXPECT_EQ(lines[11], "  Number of Steps = 0");
    EXPECT_EQ(lines[12], "    Step 1: ");
    EXPECT_EQ(lines[13], "      Step not used.");

    auto find = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(find("  Type =      shuttle;"));
    EXPECT_TRUE(find("  Type =      station stop;"));
    EXPECT_TRUE(find("      Trigger when sensor 10,2 occupied; respond every trigger."));
    EXPECT_TRUE(find("      Action: Stop train, decelerating over 2 seconds."));
    EXPECT_TRUE(find("      Can Trigger again after step 3 has triggered."));
    EXPECT_TRUE(find("      Trigger when sensor 12,4 occupied; respond every 3 triggers."));
    EXPECT_TRUE(find("      Action: Set Loco function 5 on for 6 seconds"));
    EXPECT_TRUE(find("      Action: Dispatch Loco"));
    EXPECT_TRUE(find("      Action: Set point 2007 to Closed"));
    EXPECT_TRUE(find("      Trigger when point 101 set Closed; respond every 2 triggers."));
    EXPECT_TRUE(find("      Can Trigger again immediately."));

    TMUV7Board fresh;
    std::vector<std::string> freshLines;
    fresh.DescribeSettings(freshLines);
    EXPECT_EQ(freshLines[1], "Serial number: not set yet");
    EXPECT_EQ(freshLines[6], "Sensor config = Not Used");
    // 3 base lines, description, 3 sensor lines, 4 x (5 + 16 x 2).
    EXPECT_EQ(freshLines.size(), 3u + 1u + 3u + 4u * (5u + 32u));
}

TEST(Muv7Collection, FactoryListAndMalformedFilesNeverCrash)
{
    auto made = MakeBoard(btMUV7);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->BoardTypeName(), "MUV7");
    EXPECT_EQ(made->Name(), "MUV7 Pendulo");
    EXPECT_EQ(made->ListLine(), "not set yet\tMUV7\t MUV7 Pendulo");

    // Two boards through the collection read back in order.
    TMUV7Board one = RichBoard();
    TMUV7Board two;
    two.SetSerialNumber(9);
    std::ostringstream out;
    one.WriteToFile(out);
    two.WriteToFile(out);
    {
        TBoardData data;
        std::istringstream in(out.str());
        ASSERT_TRUE(data.ReadList(btMUV7, in, "muv7.csv")) << data.LastErrorText();
        ASSERT_EQ(data.BoardCount(btMUV7), 2);
        EXPECT_EQ(data.BoardAt(btMUV7, 0)->SerialNumber(), 4711);
        EXPECT_EQ(data.BoardAt(btMUV7, 1)->SerialNumber(), 9);
        std::ostringstream again;
        data.WriteList(btMUV7, again);
        EXPECT_EQ(again.str(), out.str());
    }

    // Truncations, garbage and flipped characters: loading may fail, never crash.
    const std::string good = out.str();
    std::mt19937 random(7);
    std::vector<std::string> bad = {"", "\n", ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\n", "\"\n\"\"\",\n",
                                    good.substr(0, good.size() / 3), good.substr(0, 200)};
    for (int i = 0; i < 200; ++i) {
        std::string text = good;
        for (int j = 0; j < 20; ++j)
            text[random() % text.size()] = "0123456789,\"\n -x\r\xff"[random() % 17];
        bad.push_back(text);
    }
    for (const auto& text : bad) {
        TBoardData data;
        std::istringstream in(text);
        data.ReadList(btMUV7, in, "bad.csv");
        for (int i = 0; i < data.BoardCount(btMUV7); ++i) {
            TConfigurableBoard* board = data.BoardAt(btMUV7, i);
            board->ComputeSvImage();
            board->DecodeSvImage();
            std::vector<std::string> lines;
            board->DescribeSettings(lines);
        }
    }
}
