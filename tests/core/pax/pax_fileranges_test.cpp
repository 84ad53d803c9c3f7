#include "../boards_core/Fuzzinput.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/pax/Tpax60board.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

std::string CellFileWith(int column, const std::string& value)
{
    TPAX60Board board;
    std::ostringstream out(std::ios::out | std::ios::binary);
    board.WriteToFile(out);
    std::string text = out.str();
    // The first output cell's line: replace one of its number columns.
    size_t line = text.find("OPCell_");
    line = text.rfind('\n', line) + 1;
    const size_t end = text.find('\r', line);
    std::string cells = text.substr(line, end - line);
    size_t start = 0;
    for (int c = 0; c < column; ++c)
        start = cells.find(',', start) + 1;
    const size_t stop = cells.find(',', start);
    cells.replace(start, stop - start, value);
    return text.substr(0, line) + cells + text.substr(end);
}

}  // namespace

// A rate taken unchecked from the file overflowed the cell's type code.
TEST(PaxFileRanges, FuzzedRateIsRefusedWithItsLine)
{
    TBoardData data;
    EXPECT_FALSE(LoadFuzzFile(data, "040a0a2c2c312c312c312c32313437343833363437"));
    EXPECT_EQ(data.LastErrorText(), "fuzz.csv, line 3: cell rate 2147483647 is out of range 0 to 8");
}

// Type and rate share one code and are refused outside it; the values that
// each fill an SV of their own load as the file holds them and keep their low
// byte on the board.
TEST(PaxFileRanges, CellValuesOutsideTheirRangesAreRefusedOrCut)
{
    struct TCase {
        int column;
        const char* value;
        bool ok;
        const char* message;
    };
    const TCase cases[] = {
        {4, "8", true, ""},
        {4, "9", false, "cell type 9 is out of range 0 to 8"},
        {5, "0", true, ""},
        {5, "8", true, ""},
        {5, "9", false, "cell rate 9 is out of range 0 to 8"},
        {5, "-1", false, "cell rate -1 is out of range 0 to 8"},
        {8, "255", true, ""},  // as read back from a board
        {8, "256", true, ""},
        {9, "-1", true, ""},
        {10, "255", true, ""},
        {10, "300", true, ""},
        {11, "-3", true, ""},
    };
    for (const TCase& c : cases) {
        std::istringstream in(CellFileWith(c.column, c.value), std::ios::in | std::ios::binary);
        TBoardData data;
        EXPECT_EQ(data.ReadList(btPAX60, in, "pax.csv"), c.ok) << c.column << " " << c.value;
        if (!c.ok)
            EXPECT_NE(data.LastErrorText().find(c.message), std::string::npos) << data.LastErrorText();
    }
}

// A rate of 9 on a type-1 cell gave the code of the next type.
TEST(PaxFileRanges, TypeCodesStayWithinTheirType)
{
    for (int rate = 0; rate < TPAX60Cell::kRateCount; ++rate)
        EXPECT_EQ(TPAX60Cell::TypeCode(1, rate, false), 1 + rate);
    EXPECT_NE(TPAX60Cell::TypeCode(1, 8, false), TPAX60Cell::TypeCode(2, 0, false));
}

// A board read back with base address 0 and a route entry for its own output
// 1: the entry is point 0. Saved and loaded again it must keep its state, or
// the reloaded board programs another image than the board it was read from.
TEST(PaxFileRanges, RouteEntryForPointZeroSurvivesSaveAndLoad)
{
    for (uint8_t type : {uint8_t(btPAX60), uint8_t(btPAX66)}) {
        std::unique_ptr<TConfigurableBoard> read = MakeBoard(type);
        const std::string head = FuzzBytes("010000000000f9010005");
        for (size_t i = 0; i < head.size(); ++i)
            read->SetSvByte(static_cast<unsigned>(i + 1), static_cast<uint8_t>(head[i]));
        read->SetSvByte(135, 0x0b);  // route 7: own output 1, thrown
        read->DecodeSvImage();

        std::stringstream file(std::ios::in | std::ios::out | std::ios::binary);
        read->WriteToFile(file);
        std::unique_ptr<TConfigurableBoard> loaded = MakeBoard(type);
        loaded->ReadFromFile(file);

        EXPECT_EQ(read->ComputeSvImage(), loaded->ComputeSvImage()) << int(type);
        EXPECT_EQ(read->SvImage(), loaded->SvImage()) << int(type);
        EXPECT_EQ(loaded->SvByte(135), 0x0b) << int(type);
    }
}

TEST(PaxFileRanges, SingleByteValuesAreCutInTheImage)
{
    struct TCase {
        int column;
        const char* value;
        unsigned sv;  // of cell 1
        uint8_t byte;
    };
    const TCase cases[] = {
        {8, "300", 21, 44},
        {9, "-1", 31, 255},
        {10, "300", 161, 44},
        {11, "256", 421, 0},
    };
    for (const TCase& c : cases) {
        std::istringstream in(CellFileWith(c.column, c.value), std::ios::in | std::ios::binary);
        TBoardData data;
        ASSERT_TRUE(data.ReadList(btPAX60, in, "pax.csv")) << data.LastErrorText();
        TConfigurableBoard* board = data.BoardAt(btPAX60, 0);
        ASSERT_TRUE(board->ComputeSvImage()) << c.column;
        EXPECT_EQ(board->SvByte(c.sv), c.byte) << c.column << " " << c.value;
    }
}
