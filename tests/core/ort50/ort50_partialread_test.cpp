#include "../boards_core/Fuzzinput.h"
#include "boards/core/Boarddata.h"
#include "boards/ort50/Tort50board.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

// A route line whose entry is no number stopped the load after the route had
// taken the file's route number: the board left in the list saved its first
// route as route 17, and its image lost route 1.
TEST(Ort50PartialRead, RouteKeepsItsNumberWhenItsLineIsRefused)
{
    std::string hex = "01";
    for (int i = 0; i < 32; ++i)
        hex += "0a";
    hex += "2c2c31372c2c2c312c30";
    TBoardData data;
    EXPECT_FALSE(LoadFuzzFile(data, hex));
    EXPECT_EQ(data.LastErrorText(), "fuzz.csv, line 33: route entry '0' is not a point number and a state (such as 12 Closed)");
    ASSERT_EQ(data.BoardCount(btORT50), 1);
    auto* board = dynamic_cast<TORT50Board*>(data.BoardAt(btORT50, 0));
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->RouteAt(0).number, 1);

    // Saved and read again, the board holds route 1 and no route 17.
    std::ostringstream out(std::ios::out | std::ios::binary);
    board->WriteToFile(out);
    std::istringstream in(out.str(), std::ios::in | std::ios::binary);
    TBoardData again;
    ASSERT_TRUE(again.ReadList(btORT50, in, "again.csv")) << again.LastErrorText();
    const std::string text = out.str();
    const size_t first = text.find("route_config");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.compare(first, 16, "route_config\",1,"), 0) << text.substr(first, 40);
}

// A cascade route of 2147483647 in a route line overflowed its code (found by
// fuzzing); a point too large for its two bytes wrapped into another code.
// Such values load as the file holds them: the board's calculation fails and
// says which route and what, and a point on one of the board's cells, which
// takes one byte whatever its number, programs.
TEST(Ort50PartialRead, RouteValuesOutsideTheirCodesLoadAndFailTheCalculation)
{
    struct TCase {
        const char* entry;
        const char* cascade;
        int32_t cellAddress;  // of cell 5, a point cell; 0 for none
        const char* error;    // empty when the board calculates
    };
    const TCase cases[] = {
        {"25599 Closed", "24", 0, ""},
        {"25600 Closed", "0", 0, "entry 1: point 25600 cannot be programmed (points 0 to 25599, or a point on one of this board's cells)"},
        {"25600 UNDEF", "0", 0, "entry 1: point 25600 cannot be programmed (points 0 to 25599, or a point on one of this board's cells)"},  // written as closed
        {"14335 Thrown", "0", 0, ""},
        {"14336 Thrown", "0", 0, "entry 1: point 14336 cannot be programmed (points 0 to 14335 thrown, or a point on one of this board's cells)"},
        {"30000 Thrown", "0", 30000, ""},
        {"-1 Closed", "0", 0, "entry 1: point -1 cannot be programmed (points 0 to 25599, or a point on one of this board's cells)"},
        {"1 Closed", "25", 0, "cascade route 25 cannot be programmed (routes 1 to 24)"},
        {"1 Closed", "2147483647", 0, "cascade route 2147483647 cannot be programmed (routes 1 to 24)"},
        {"1 Closed", "-1", 0, "cascade route -1 cannot be programmed (routes 1 to 24)"},
    };
    for (const TCase& c : cases) {
        // The entry in column 6, the cascade route in column 17.
        const std::string line =
            std::string(",\"route_config\",3,1,1,1,\"") + c.entry + "\"" + std::string(11, ',') + c.cascade + "\r\n";
        std::istringstream in(line, std::ios::in | std::ios::binary);
        TORT50Board board;
        if (c.cellAddress != 0) {
            board.CellAt(4).type = kOrtCellPoint;
            board.CellAt(4).address = c.cellAddress;
        }
        TORT50Route& route = board.RouteAt(2);
        ASSERT_NO_THROW(route.ReadRouteLine(in)) << c.entry << " " << c.cascade;
        EXPECT_EQ(route.Unprogrammable(board.Cells()), c.error) << c.entry << " " << c.cascade;
        EXPECT_EQ(board.ComputeSvImage(), std::string(c.error).empty()) << c.entry << " " << c.cascade;
        if (*c.error != '\0')
            EXPECT_EQ(board.SvErrorText(), std::string("SV Calculation Error: route 3, ") + c.error);

        // Written and read again, the route holds what the file held.
        std::ostringstream out(std::ios::out | std::ios::binary);
        route.WriteRouteLine(out);
        std::istringstream again(out.str(), std::ios::in | std::ios::binary);
        TORT50Route back(3);
        ASSERT_NO_THROW(back.ReadRouteLine(again));
        EXPECT_EQ(back.RoutePointAt(0), route.RoutePointAt(0)) << c.entry;
        EXPECT_EQ(back.cascade, route.cascade) << c.cascade;
        EXPECT_EQ(back.cascadeRoute, route.cascadeRoute) << c.cascade;
    }
}
