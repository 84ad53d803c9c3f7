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
TEST(Ort50PartialRead, RouteValuesOutsideTheirCodesAreRefused)
{
    struct TCase {
        const char* entry;
        const char* cascade;
        bool ok;
    };
    const TCase cases[] = {
        {"25599 Closed", "24", true},
        {"25600 Closed", "0", false},
        {"14335 Thrown", "0", true},
        {"14336 Thrown", "0", false},
        {"-1 Closed", "0", false},
        {"1 Closed", "25", false},
        {"1 Closed", "2147483647", false},
        {"1 Closed", "-1", false},
    };
    for (const TCase& c : cases) {
        // The entry in column 6, the cascade route in column 17.
        const std::string line =
            std::string(",\"route_config\",1,1,1,1,\"") + c.entry + "\"" + std::string(11, ',') + c.cascade + "\r\n";
        std::istringstream in(line, std::ios::in | std::ios::binary);
        TORT50Route route(3);
        bool ok = true;
        try {
            route.ReadRouteLine(in);
        } catch (const TCsvConversionError&) {
            ok = false;
        }
        EXPECT_EQ(ok, c.ok) << c.entry << " " << c.cascade;
        if (!ok) {
            EXPECT_EQ(route.number, 3);
        }
    }
}
