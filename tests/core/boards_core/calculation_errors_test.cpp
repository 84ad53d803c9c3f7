// A board that does not compute says which part does not fit and the limit,
// in the words of its editors, after the model's general error text.
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
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kVelaPax = "SV Calculation Error: too many points, sensors or signals called up by board programming. ";
const std::string kOrt = "SV Calculation Error: one or more routes has too many entries. ";

// Points 1..count in the red conditions of signals 1, 2, ..., fourteen each.
void FillRedSets(TVelaBoard& board, int count, int firstPoint = 1)
{
    for (int p = 0; p < count; ++p)
        board.Signal(p / 14).RedSet().SetCondition(p % 14, TCondition::Point(firstPoint + p, 0, false));
}

std::vector<std::pair<int32_t, uint8_t>> Points(int first, int count)
{
    std::vector<std::pair<int32_t, uint8_t>> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({first + i, kOrtStateClosed});
    return entries;
}

struct TCase {
    const char* what;
    std::function<std::unique_ptr<TConfigurableBoard>()> make;
    std::string error;  // empty: the board computes
};

}  // namespace

TEST(CalculationErrors, SayWhatDoesNotFitAndTheLimit)
{
    const TCase cases[] = {
        {"VELA40, 48 points fit",
         [] {
             auto b = std::make_unique<TVELA40Board>();
             FillRedSets(*b, 48);
             return b;
         },
         ""},
        {"VELA40, the 49th point",
         [] {
             auto b = std::make_unique<TVELA40Board>();
             FillRedSets(*b, 49);
             return b;
         },
         kVelaPax + "Signals and reverse running zones call up 49 points and sensors; the board holds 48; the first "
                    "without a place is signal 4, Red Conditions For Block Signal, condition 7 (point 49)"},
        {"VELA80, a sensor and a point in a zone past the limit",
         [] {
             auto b = std::make_unique<TVELA80Board>();
             FillRedSets(*b, 47);
             b->Zone(1).FreezeSet().SetCondition(0, TCondition::Sensor(16, 3, 0, false));
             b->Zone(1).FreezeSet().SetCondition(1, TCondition::Point(2000, 0, false));
             return b;
         },
         kVelaPax + "Signals and reverse running zones call up 49 points and sensors; the board holds 48; the first "
                    "without a place is zone B, Reverse Zone Freeze Conditions, condition 2 (point 2000)"},
        {"VELA80, thirteen signals of other boards",
         [] {
             auto b = std::make_unique<TVELA80Board>();
             b->Signal(0).SetNextSignal(300);
             for (int i = 0; i < 12; ++i)
                 b->Signal(1).RedSet().SetCondition(i, TCondition::Signal(101 + i, 0, false));
             return b;
         },
         kVelaPax + "Signals and reverse running zones call up 13 signals as next signals or in conditions; the board "
                    "holds 12; the first without a place is signal 2, Red Conditions For Block Signal, condition 12 "
                    "(signal 112)"},
        {"VELA40, places kept for points no longer called up",
         [] {
             auto b = std::make_unique<TVELA40Board>();
             FillRedSets(*b, 48);
             EXPECT_TRUE(b->ComputeSvImage());
             FillRedSets(*b, 2, 1001);
             return b;
         },
         kVelaPax + "Signals and reverse running zones call up 48 points and sensors, but places kept for ones no "
                    "longer called up fill the board's 48; save the board list and open it again to free them; the "
                    "first without a place is signal 1, Red Conditions For Block Signal, condition 1 (point 1001)"},
        {"PAX60, 41 devices outside the board",
         [] {
             auto b = std::make_unique<TPAX60Board>();
             b->SetBaseAddress(1);
             // The board's own outputs and inputs take no place.
             b->OutputCell(7).FreezeConditions.At(0) = TPAX60Condition::Point(3, 0, false);
             for (int d = 0; d < 41; ++d)
                 b->OutputCell(d / 7).ThrownConditions.At(d % 7) = TPAX60Condition::Signal(d + 1, 0, false);
             return b;
         },
         kVelaPax + "Output cells and routes call up 41 points, sensors and signals besides the board's own outputs "
                    "and inputs; the board holds 40; the first without a place is cell 6, Conditions for change to "
                    "Thrown, condition 6 (signal 41)"},
        {"PAX66, a route of seven points elsewhere",
         [] {
             auto b = std::make_unique<TPAX66Board>();
             b->SetBaseAddress(1);
             // Twelve bytes: five points elsewhere, two of this board's.
             for (int e = 0; e < 5; ++e)
                 b->Route(4).SetEntry(e, 1000 + e, kPax60RouteClosed);
             b->Route(4).SetEntry(5, 2, kPax60RouteThrown);
             b->Route(4).SetEntry(6, 3, kPax60RouteClosed);
             b->Route(6).SetEntry(0, 5, kPax60RouteClosed);
             for (int e = 0; e < 7; ++e)
                 b->Route(7).SetEntry(e, 1000 + e, kPax60RouteClosed);
             return b;
         },
         kVelaPax + "Route 8 needs 14 bytes; a route holds 12: a point of this board takes 1, any other point 2"},
        {"ORT50, two routes too long",
         [] {
             auto b = std::make_unique<TORT50Board>();
             b->RouteAt(2).SetEntries(Points(1000, 12));
             b->RouteAt(6).cascade = true;
             b->RouteAt(6).SetEntries(Points(1000, 6));
             b->RouteAt(7).SetEntries(Points(1000, 6));  // exactly twelve bytes
             return b;
         },
         kOrt + "Route 3 needs 24 bytes, route 7 needs 13 bytes; a route holds 12: a point on one of this board's "
                "cells takes 1, any other point 2, the from and to buttons 2, a cascade 1"},
        {"MUV7", [] { return std::make_unique<TMUV7Board>(); }, ""},
        {"TEL90", [] { return std::make_unique<TTEL90Board>(); }, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<TConfigurableBoard> board = c.make();
        ASSERT_EQ(board->ComputeSvImage(), c.error.empty());
        if (!c.error.empty()) {
            EXPECT_EQ(board->SvErrorText(), c.error);
        }
    }
}
