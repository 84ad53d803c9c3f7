#include "boards/core/Boardfactory.h"
#include "boards/vela/Extdevtable.h"
#include "boards/vela/Tcondition.h"
#include "boards/vela/Tsignal.h"
#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace {

// An image as read from a board: every position of the external device table
// taken (points 1..48, signals 49..60), each signal of the given type.
std::unique_ptr<TConfigurableBoard> ReadBack(uint8_t boardType, uint8_t signalType)
{
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(boardType);
    board->SetSvByte(3, 5);
    for (int p = 1; p <= TExtDevTable::kPositions; ++p) {
        const unsigned sv = TExtDevTable::kFirstSv + 2 * (p - 1);
        board->SetSvByte(sv, static_cast<uint8_t>(100 + p));
        board->SetSvByte(sv + 1, p <= TExtDevTable::kLastPointPosition ? 0 : 1);
    }
    for (unsigned n = 1; n <= TSignal::kSignalsPerBoard; ++n)
        board->SetSvByte(n + 29, signalType);
    EXPECT_TRUE(board->DecodeSvImage());
    return board;
}

std::unique_ptr<TConfigurableBoard> SavedAndLoaded(TConfigurableBoard& board, uint8_t boardType)
{
    std::stringstream file(std::ios::in | std::ios::out | std::ios::binary);
    board.WriteToFile(file);
    std::unique_ptr<TConfigurableBoard> loaded = MakeBoard(boardType);
    loaded->ReadFromFile(file);
    return loaded;
}

}  // namespace

// A board read back with a full device table failed its calculation (or kept
// the table's unused entries in its image), while the same board saved and
// loaded calculated without them: both must calculate alike.
TEST(VelaReadBack, CalculatesAsTheSavedBoardDoes)
{
    for (uint8_t type : {uint8_t(btVELA40), uint8_t(btVELA80)}) {
        for (uint8_t signalType : {uint8_t(eSignalDiverging), uint8_t(eSignalBlock)}) {
            std::unique_ptr<TConfigurableBoard> read = ReadBack(type, signalType);
            std::unique_ptr<TConfigurableBoard> loaded = SavedAndLoaded(*read, type);
            const bool readOk = read->ComputeSvImage();
            EXPECT_EQ(readOk, loaded->ComputeSvImage()) << int(type) << " " << int(signalType);
            EXPECT_EQ(read->SvImage(), loaded->SvImage()) << int(type) << " " << int(signalType);
            // Block signals name no device: the board calculates, its table empty.
            EXPECT_EQ(readOk, signalType == eSignalBlock);
            if (readOk) {
                EXPECT_EQ(read->SvByte(TExtDevTable::kFirstSv), 0);
            }
        }
    }
}

// Point and signal number 0 read back as an empty entry and a point number
// from 25856 up as a sensor: such devices find no position rather than a
// wrong one, and a diverging signal without a junction point is a calculation
// error, not a junction naming an empty entry.
TEST(VelaReadBack, DevicesTheTableCannotHoldFindNoPosition)
{
    TExtDevTable table;
    EXPECT_FALSE(table.Add(TCondition::Point(0, 0, false)));
    EXPECT_FALSE(table.Add(TCondition::Signal(0, 0, false)));
    EXPECT_FALSE(table.Add(TCondition::Point(25856, 0, false)));
    EXPECT_FALSE(table.Add(TCondition::Sensor(257, 1, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Sensor(256, 1, 0, false)));  // written as 0, as the board's own
    EXPECT_TRUE(table.Add(TCondition::Point(25855, 0, false)));
    EXPECT_TRUE(table.Add(TCondition::Sensor(0, 16, 0, false)));

    TVELA40Board board;
    board.SetSerialNumber(5);
    board.Signal(0).SetType(eSignalDiverging);
    EXPECT_FALSE(board.ComputeSvImage());
    board.Signal(0).SetJunctionPoint(7);
    EXPECT_TRUE(board.ComputeSvImage()) << board.SvErrorText();
}

// A board that cannot be programmed says what cannot, and where; a table
// that every device fits but not all at once gets the general text, with
// the count and the limit after it.
TEST(VelaReadBack, CalculationErrorNamesWhatCannotBeProgrammed)
{
    struct TCase {
        std::function<void(TVELA40Board&)> change;
        bool ok;
        std::string error;
    };
    const std::string prefix = "SV Calculation Error: ";
    const TCase cases[] = {
        {[](TVELA40Board& b) { b.Signal(1).RedSet().InsertAt(2, TCondition::Sensor(256, 3, 1, false)); }, true, ""},
        {[](TVELA40Board& b) { b.Signal(1).RedSet().InsertAt(2, TCondition::Sensor(300, 3, 1, false)); }, false,
         prefix + "signal 2, Red Conditions For Block Signal, condition 3: sensor board 300 cannot be programmed "
                  "(boards 1 to 256)"},
        {[](TVELA40Board& b) { b.Signal(0).SetType(eSignalDiverging); }, false,
         prefix + "signal 1: a diverging signal needs its junction point"},
        {[](TVELA40Board& b) {
             b.Signal(0).SetType(eSignalDiverging);
             b.Signal(0).SetJunctionPoint(30000);
         },
         false, prefix + "signal 1, junction: point 30000 cannot be programmed (points 1 to 25855)"},
        {[](TVELA40Board& b) { b.Zone(2).ShuntSet().InsertAt(0, TCondition::Signal(0, 0, false)); }, false,
         prefix + "zone C, Reverse Zone Shunt Conditions, condition 1: signal 0 cannot be programmed (signals 1 "
                  "to 25855)"},
        {[](TVELA40Board& b) {
             for (int p = 1; p <= 49; ++p)
                 b.Signal((p - 1) / 14).RedSet().InsertAt((p - 1) % 14, TCondition::Point(p, 0, false));
         },
         false,
         std::string(vela::kSvErrorText) + ". Signals and reverse running zones call up 49 points and sensors; the "
                                           "board holds 48; the first without a place is signal 4, Red Conditions "
                                           "For Block Signal, condition 7 (point 49)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TVELA40Board board;
        board.SetSerialNumber(5);
        cases[i].change(board);
        EXPECT_EQ(board.ComputeSvImage(), cases[i].ok) << "case " << i;
        if (!cases[i].ok) {
            EXPECT_EQ(board.SvErrorText(), cases[i].error) << "case " << i;
        }
    }
}
