// Comparing boards by setting: a board and its read-back compare equal, one
// changed setting is reported by its name and alone, and what the image does
// not carry is kept apart.
#include "boards/core/Boardcompare.h"
#include "boards/core/Boardfactory.h"
#include "boards/muv7/Tmuv7board.h"
#include "boards/ort50/Tort50board.h"
#include "boards/pax/Tpax60board.h"
#include "boards/pax/Tpax66board.h"
#include "boards/pax/Ttel90board.h"
#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TConfigurableBoard> RandomBoard(int type, std::mt19937& random)
{
    std::vector<uint8_t> image(512);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t& b : image)
        b = static_cast<uint8_t>(byte(random));
    return BoardFromImage(type, image);
}

std::string Settings(const std::vector<const TSettingRow*>& rows)
{
    std::string text;
    for (const TSettingRow* row : rows)
        text += row->setting + " [" + row->a + " | " + row->b + "]\n";
    return text;
}

}  // namespace

TEST(BoardCompare, ABoardAndItsReadBackCompareEqual)
{
    std::mt19937 random(25);
    for (int type = 0; type < kBoardTypeCount; ++type) {
        for (int round = 0; round < 10; ++round) {
            std::unique_ptr<TConfigurableBoard> board = RandomBoard(type, random);
            SCOPED_TRACE(board->BoardTypeName() + " round " + std::to_string(round));
            board->ComputeSvImage();
            std::unique_ptr<TConfigurableBoard> readBack = BoardFromImage(type, board->SvImage());

            const TBoardComparison files = CompareBoards(*board, *readBack);
            EXPECT_TRUE(files.Equal()) << Settings(files.Differences());
            const TBoardComparison verify = CompareBoardWithImage(board->SvImage(), *board);
            EXPECT_TRUE(verify.Equal()) << Settings(verify.Differences());
            EXPECT_TRUE(verify.FileOnly().empty()) << Settings(verify.FileOnly());
            EXPECT_FALSE(files.rows.empty());
        }
    }
}

TEST(BoardCompare, OneChangedSettingIsReportedByItsNameAlone)
{
    struct TCase {
        int type;
        std::function<void(TConfigurableBoard&)> change;
        const char* setting;
    };
    const TCase cases[] = {
        {btVELA40, [](TConfigurableBoard& b) { static_cast<TVelaBoard&>(b).Signal(2).SetNextSignal(4); },
         "Signal 3, Next signal"},
        {btVELA40, [](TConfigurableBoard& b) { static_cast<TVELA40Board&>(b).SensorConfig().SetSensorBoardNumber(12); },
         "Sensor Board Addr Number"},
        {btVELA80, [](TConfigurableBoard& b) { static_cast<TVELA80Board&>(b).SetReleaseDelay(9); }, "Delay before change from RED"},
        {btMUV7, [](TConfigurableBoard& b) { static_cast<TMUV7Board&>(b).SensorConfig().sensorConfig = 2; },
         "Sensor config"},
        {btVELA80, [](TConfigurableBoard& b) { static_cast<TVelaBoard&>(b).Signal(9).SetTranspondingZone(33); },
         "Signal 10, Transponding Zone"},
        {btORT50, [](TConfigurableBoard& b) { static_cast<TORT50Board&>(b).pointDelay = 25; },
         "Delay between point outputs"},
        {btORT50, [](TConfigurableBoard& b) { static_cast<TORT50Board&>(b).interlockAddress = 1500; },
         "DCC accessory address to enter INTERLOCKED mode"},
        {btMUV7, [](TConfigurableBoard& b) { static_cast<TMUV7Board&>(b).SensorConfig().sensorBoardNumber = 12; },
         "Sensor Board Addr Number"},
        {btPAX60, [](TConfigurableBoard& b) { static_cast<TPAX60Board&>(b).Parts.CduDelay = 12; }, "CDU delay"},
        {btPAX66, [](TConfigurableBoard& b) { static_cast<TPAX66Board&>(b).Parts.RouteDccBaseAddress = 1200; },
         "DCC Base address to set routes"},
        {btTEL90, [](TConfigurableBoard& b) { static_cast<TTEL90Board&>(b).SensorBoardNumber = 7; },
         "Sensor board number"},
        {btTEL90, [](TConfigurableBoard& b) { static_cast<TTEL90Board&>(b).DeactivateDebounce = 9; },
         "Deactivate debounce time"},
        {btPAX66, [](TConfigurableBoard& b) { static_cast<TPAX66Board&>(b).SetIndividualAddress(3, 777); },
         "Output 3"},
        // Report lines that carry a value without a name get the editors' word.
        {btVELA40, [](TConfigurableBoard& b) { static_cast<TVelaBoard&>(b).Signal(2).SetHeadType(1); },
         "Signal 3, Aspects and LEDs"},
        {btVELA80, [](TConfigurableBoard& b) { static_cast<TVELA80Board&>(b).SetLocoNetSwitchCommands(true); },
         "Switch commands"},
        {btVELA80, [](TConfigurableBoard& b) { static_cast<TVELA80Board&>(b).SetInterrogateResponse(true); },
         "Interrogate response"},
        {btPAX60, [](TConfigurableBoard& b) { static_cast<TPAX60Board&>(b).Parts.LocoNetSwitchCommands = 1; },
         "Switch commands"},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TConfigurableBoard> a = MakeBoard(c.type);
        std::unique_ptr<TConfigurableBoard> b = MakeBoard(c.type);
        if (c.type == btPAX66) {
            // Base address 0: the board's outputs take their individual addresses.
            static_cast<TPAX66Board&>(*a).SetBaseAddress(0);
            static_cast<TPAX66Board&>(*b).SetBaseAddress(0);
        }
        c.change(*b);
        SCOPED_TRACE(a->BoardTypeName() + ": " + c.setting);
        const TBoardComparison comparison = CompareBoards(*a, *b);
        const std::vector<const TSettingRow*> differences = comparison.Differences();
        ASSERT_EQ(differences.size(), 1u) << Settings(differences);
        EXPECT_EQ(differences[0]->setting.rfind(c.setting, 0), 0u) << differences[0]->setting;
        EXPECT_NE(differences[0]->a, differences[0]->b);
        EXPECT_FALSE(comparison.Equal());
    }
}

TEST(BoardCompare, TheBoardsKeepTheirImages)
{
    // A board of the lists may be in the middle of a transfer: its image is
    // what the transfer reads or writes, whatever its settings compute.
    std::mt19937 random(3);
    for (int type = 0; type < kBoardTypeCount; ++type) {
        std::unique_ptr<TConfigurableBoard> a = MakeBoard(type);
        std::unique_ptr<TConfigurableBoard> b = RandomBoard(type, random);
        for (unsigned sv = 1; sv <= a->SvLength(); ++sv)
            a->SetSvByte(sv, static_cast<uint8_t>(sv * 7));
        const std::vector<uint8_t> imageA = a->SvImage();
        const std::vector<uint8_t> imageB = b->SvImage();
        CompareBoards(*a, *b);
        CompareBoardWithImage(imageB, *a);
        EXPECT_EQ(a->SvImage(), imageA) << a->BoardTypeName();
        EXPECT_EQ(b->SvImage(), imageB) << b->BoardTypeName();
    }
}

TEST(BoardCompare, NamesAndNotesAreKeptInTheFileOnly)
{
    TVELA40Board a;
    TVELA40Board b;
    b.SetName("Station throat");
    b.Signal(0).SetName("Up home");
    b.SetDescription("by the bridge");
    const TBoardComparison comparison = CompareBoards(a, b);
    EXPECT_TRUE(comparison.Equal()) << Settings(comparison.Differences());
    const std::string fileOnly = Settings(comparison.FileOnly());
    EXPECT_NE(fileOnly.find("Board name"), std::string::npos) << fileOnly;
    EXPECT_NE(fileOnly.find("Signal 1, Signal Name [unnamed | Up home]"), std::string::npos) << fileOnly;
    EXPECT_NE(fileOnly.find("by the bridge"), std::string::npos) << fileOnly;

    const std::string text = ComparisonText(comparison, "A", "B", false);
    EXPECT_NE(text.find("The boards hold the same settings.\nKept in the file only:\n"), std::string::npos) << text;
}

TEST(BoardCompare, VerifyLinesSpeakOfTheSettings)
{
    TVELA40Board configured;
    configured.Signal(2).SetNextSignal(4);
    TVELA40Board onBoard;
    onBoard.ComputeSvImage();
    const TBoardComparison comparison = CompareBoardWithImage(onBoard.SvImage(), configured);
    const std::vector<std::string> lines = DifferenceLines(comparison, "board", "configuration");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Signal 3, Next signal: board \"", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\", configuration \""), std::string::npos) << lines[0];
}

TEST(ReportSettings, NamesLinesByWhereTheyStand)
{
    const std::vector<std::string> report = {
        "Board Type: VELA40",
        "User Description: ",
        "Report signal passed at danger DISABLED",
        "Delay for power isolation zone = 2 s",
        "",
        "Signal Settings:",
        "     Signal: 1",
        "     Block signal",
        "     No assigned Transponding Zone;",
        "     3 aspect, common cathode LEDs;",
        "     Next signal: signal number 0, Normal",
        "     Block occupied conditions:",
        "          Sensor 5 is active",
        "          Point 3 is thrown",
        "     Force to Red conditions:",
        "          (No conditions assigned)",
        "",
        "     Signal: 2",
        "     Next signal: signal number 4, Normal",
        "",
        "Cell settings: ",
        "    Cell 1: point",
        "       Pushbutton A effect: No Action",
        "  Route 1:not defined.",
        "  Route 2:",
        "      Point 1 Closed; ",
        "      Point 7 Thrown; ",
        "      then invoke route 12",
        "",
        "Output Cell Settings:",
        "  Cell 2: Individual flashing lamps",
        "      Follows output 42",
        "      No message",
        "",
        "Sequence 1: name=Undefined",
        "  Number of Steps = 1",
        "    Step 1: ",
        "      Step not used.",
    };
    const std::vector<TReportSetting> settings = ReportSettings(report);
    std::vector<std::string> named;
    for (const TReportSetting& s : settings)
        named.push_back(s.group + " | " + s.setting + " | " + s.value);
    const std::vector<std::string> expected = {
        "Board | Board Type | VELA40",
        "Board | User Description | ",
        "Board | Report signal passed at danger | Report signal passed at danger DISABLED",
        "Board | Delay for power isolation zone | 2 s",
        "Signal Settings | Signal 1, Signal type | Block signal",
        "Signal Settings | Signal 1, Transponding Zone | No assigned Transponding Zone",
        "Signal Settings | Signal 1, Aspects and LEDs | 3 aspect, common cathode LEDs",
        "Signal Settings | Signal 1, Next signal | signal number 0, Normal",
        "Signal Settings | Signal 1, Block occupied conditions, condition 1 | Sensor 5 is active",
        "Signal Settings | Signal 1, Block occupied conditions, condition 2 | Point 3 is thrown",
        "Signal Settings | Signal 1, Force to Red conditions | (No conditions assigned)",
        "Signal Settings | Signal 2, Next signal | signal number 4, Normal",
        "Cell settings | Cell 1 | point",
        "Cell settings | Cell 1, Pushbutton A effect | No Action",
        "Cell settings | Route 1 | not defined.",
        "Cell settings | Route 2, entry 1 | Point 1 Closed",
        "Cell settings | Route 2, entry 2 | Point 7 Thrown",
        "Cell settings | Route 2, Cascade route | then invoke route 12",
        "Output Cell Settings | Cell 2 | Individual flashing lamps",
        "Output Cell Settings | Cell 2, Follows | Follows output 42",
        "Output Cell Settings | Cell 2, Message | No message",
        "Output Cell Settings | Sequence 1 | name=Undefined",
        "Output Cell Settings | Sequence 1, Number of Steps | 1",
        "Output Cell Settings | Sequence 1, Step 1 | Step not used.",
    };
    EXPECT_EQ(named, expected);
}
