#include "../boards_core/Fuzzinput.h"
#include "fuzz/Roundtrip.h"
#include "boards/core/Boarddata.h"
#include "boards/muv7/Tmuv7board.h"
#include "boards/muv7/Tsequence.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

// The ramp time taken unchecked from the file overflowed the action code.
TEST(Muv7FileRanges, FuzzedRampTimeIsRefusedWithItsLine)
{
    TBoardData data;
    EXPECT_FALSE(LoadFuzzFile(data, "030a0a0a0a0a2c737465702c312c302c312c302c312c2c312c32313437343833363437"));
    EXPECT_EQ(data.LastErrorText(), "fuzz.csv, line 6: acceleration time 2147483647 is out of range 0 to 12");
}

// Every step value is either refused or encoded to a code that decodes to
// the same step: no value may spill into another kind's code range.
TEST(Muv7FileRanges, StepValuesAreRefusedOrSurviveTheImage)
{
    struct TCase {
        const char* line;  // trigger, respond, retrigger, p1, p2, action, a1, a2
        bool ok;
    };
    const TCase cases[] = {
        {",step,1,0,1,0,1000,,1,9,", true},
        {",step,1,0,1,0,1025,,1,9,", true},  // cut to 1000 in the image
        {",step,1,0,1,0,-1,,1,9,", false},   // would wrap into a sensor code
        {",step,1,0,1,0,5,,1,12,", true},    // code 97: still a start/stop action
        {",step,1,0,1,0,5,,5,12,", false},   // code 101 would read back as a function
        {",step,1,1,1,0,3072,,1,2,", true},
        {",step,1,1,1,0,3073,,1,2,", false},  // would read back as a thrown point
        {",step,1,2,1,0,12288,,1,2,", true},
        {",step,1,2,1,0,12289,,1,2,", false},  // would read back as a sensor
        {",step,1,3,255,16,3072,15,1,2,", true},
        {",step,1,3,255,16,3072,16,1,2,", false},  // code 65536
        {",step,1,3,256,16,1,1,1,2,", true},  // respond every keeps its low 8 bits
        {",step,1,3,1,0,3073,1,1,2,", false},  // past 16 bits
        {",step,1,3,1,0,1,17,1,2,", false},
        {",step,1,0,1,0,5,,6,12,3", true},
        {",step,1,0,1,0,5,,6,115,4", true},  // code 1024
        {",step,1,0,1,0,5,,6,115,5", false},
        {",step,1,0,1,0,5,,6,12,4", false},  // code 200 is a dispatch
        {",step,1,0,1,0,5,,6,0,0", false},  // code 100 would read back as a ramp
        {",step,1,0,1,0,5,,8,3072,", true},
        {",step,1,0,1,0,5,,8,3073,", false},
        {",step,1,0,1,0,5,,9,61439,", true},
        {",step,1,0,1,0,5,,9,61440,", false},
        {",step,1,0,1,0,5,,9,0,", false},
        {",step,1,4,1,0,5,,1,2,", false},
        {",step,1,0,1,0,5,,10,2,", false},
    };
    for (const TCase& c : cases) {
        std::istringstream in(std::string(c.line) + "\r\n", std::ios::in | std::ios::binary);
        TMUV7SequenceStep step(1);
        bool ok = true;
        try {
            step.ReadStepLine(in);
        } catch (const TCsvConversionError&) {
            ok = false;
        }
        EXPECT_EQ(ok, c.ok) << c.line;
        if (!ok)
            continue;
        uint8_t bytes[kMuv7StepBytes] = {};
        step.Encode(bytes);
        TMUV7SequenceStep back(1);
        back.Decode(bytes);
        EXPECT_EQ(back.trigger, step.trigger) << c.line;
        EXPECT_EQ(back.action, step.action) << c.line;
        EXPECT_EQ(back.ActionCode(), step.ActionCode()) << c.line;
        EXPECT_EQ(back.TriggerCode(), step.TriggerCode()) << c.line;
    }
}

// A board read back must calculate as the same board saved and loaded again:
// a name with a line break or a double quote, and a step whose action code
// names no action but whose trigger bytes are set, came back different.
TEST(Muv7FileRanges, ReadBackBoardCalculatesAsWhenSavedAndLoaded)
{
    TMUV7Board read;
    read.SetSerialNumber(7);
    const unsigned first = TMUV7Sequence::FirstSv(1);
    const std::string name = "a\nb\"c\rd";
    for (size_t i = 0; i < name.size(); ++i)
        read.SetSvByte(first + 2 + static_cast<unsigned>(i), static_cast<uint8_t>(name[i]));
    const unsigned step = first + 17;  // step 1: trigger word, respond, retrigger, action word
    read.SetSvWord(step, 1100);
    read.SetSvByte(step + 2, 3);
    read.SetSvWord(step + 4, 16);  // 8 * 2 + 0: no action
    ASSERT_TRUE(read.DecodeSvImage());
    EXPECT_EQ(read.SequenceAt(0).name, "a b'c d");
    EXPECT_FALSE(read.SequenceAt(0).StepAt(0).IsUsed());

    std::stringstream file(std::ios::in | std::ios::out | std::ios::binary);
    read.WriteToFile(file);
    TMUV7Board loaded;
    loaded.ReadFromFile(file);
    ASSERT_TRUE(read.ComputeSvImage());
    ASSERT_TRUE(loaded.ComputeSvImage());
    EXPECT_EQ(read.SvImage(), loaded.SvImage());
}

// Values the image cuts load as the file holds them, are written back so,
// and reach the board cut: a delay above 1000 as 1000, respond every and the
// retrigger step as their low 8 bits. Files of older editors hold them.
TEST(Muv7FileRanges, CutValuesLoadAndAreCutInTheImage)
{
    struct TCase {
        const char* line;  // trigger, respond, retrigger, p1, p2, action, a1, a2
        int32_t delay, respondEvery, retriggerStep;
        uint8_t bytes[kMuv7StepBytes];
    };
    const TCase cases[] = {
        {",step,1,0,300,0,5,,1,2,", 5, 300, 0, {5, 0, 44, 0, 17, 0}},
        {",step,1,0,1,300,1500,,1,2,", 1500, 1, 300, {0xE8, 0x03, 1, 44, 17, 0}},
        {",step,1,0,1000,255,1000,,7,,", 1000, 1000, 255, {0xE8, 0x03, 0xE8, 255, 200, 0}},
        {",step,1,0,256,1,0,,2,0,", 0, 256, 1, {0, 0, 0, 1, 2, 0}},
    };
    for (const TCase& c : cases) {
        std::istringstream in(std::string(c.line) + "\r\n", std::ios::in | std::ios::binary);
        TMUV7SequenceStep step(1);
        ASSERT_NO_THROW(step.ReadStepLine(in)) << c.line;
        EXPECT_EQ(step.delay, c.delay) << c.line;
        EXPECT_EQ(step.respondEvery, c.respondEvery) << c.line;
        EXPECT_EQ(step.retriggerStep, c.retriggerStep) << c.line;
        uint8_t bytes[kMuv7StepBytes] = {};
        step.Encode(bytes);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + kMuv7StepBytes),
                  std::vector<uint8_t>(c.bytes, c.bytes + kMuv7StepBytes))
            << c.line;

        std::ostringstream out(std::ios::out | std::ios::binary);
        step.WriteStepLine(out);
        std::istringstream again(out.str(), std::ios::in | std::ios::binary);
        TMUV7SequenceStep back(1);
        back.ReadStepLine(again);
        EXPECT_EQ(back.delay, c.delay) << c.line;
        EXPECT_EQ(back.respondEvery, c.respondEvery) << c.line;
        EXPECT_EQ(back.retriggerStep, c.retriggerStep) << c.line;
    }
}

// A refused step line ends the loading; the board read so far stays in the
// list. Its step had already taken the refused function and was written
// with a code the reader refuses, so the saved list no longer loaded.
TEST(Muv7FileRanges, BoardKeptAfterARefusedLineWritesAFileThatLoads)
{
    TMUV7Board board;
    std::stringstream file(std::ios::in | std::ios::out | std::ios::binary);
    board.WriteToFile(file);
    std::string text = file.str();
    const std::string firstStep = ",step,1,0,1,0,1,,0,,,\r\n";
    const size_t at = text.find(firstStep);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, firstStep.size(), ",step,1,0,1,0,1,,6,0,0,flash\r\n");

    TBoardData data;
    std::istringstream in(text, std::ios::in | std::ios::binary);
    EXPECT_FALSE(data.ReadList(btMUV7, in, "muv7.csv"));
    EXPECT_EQ(data.LastErrorText(), "muv7.csv, line 6: function code 100 is out of range 101 to 1024");
    ASSERT_EQ(data.BoardCount(btMUV7), 1);
    EXPECT_FALSE(static_cast<TMUV7Board*>(data.BoardAt(btMUV7, 0))->SequenceAt(0).StepAt(0).IsUsed());
    EXPECT_EQ(RoundTripProblem(data, btMUV7), "");
}
