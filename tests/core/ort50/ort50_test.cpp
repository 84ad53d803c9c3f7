#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/ort50/Tort50board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string FileText(TORT50Board& board)
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

std::vector<uint8_t> SvRange(const TConfigurableBoard& board, unsigned first, unsigned count)
{
    std::vector<uint8_t> bytes;
    for (unsigned sv = first; sv < first + count; ++sv)
        bytes.push_back(board.SvByte(sv));
    return bytes;
}

std::vector<uint8_t> RouteBytes(const TORT50Board& board, int number)
{
    return SvRange(board, TORT50Route::FirstSv(number), 12);
}

void SetPointCell(TORT50Board& board, int number, int32_t address)
{
    TORT50Cell& cell = board.CellAt(number - 1);
    cell.type = kOrtCellPoint;
    cell.address = address;
}

// A board using every cell type, option and route form.
TORT50Board RichBoard()
{
    TORT50Board board;
    board.SetName("Panel, north");
    board.SetSerialNumber(321);
    board.notes = "Left half of the panel, station throat";
    board.sensorBoardNumber = 12;
    board.slaveBlock = 3;
    board.powerUpMode = 2;
    board.routeAddress = 1500;
    board.slaveAddress = 1600;
    board.interlockAddress = 1700;
    board.pointDelay = 25;

    TORT50Cell* c = &board.CellAt(0);
    c->type = kOrtCellPoint;
    c->address = 12;
    c->description = "Point 12";
    c->initialise = 2;
    c->interlockToken = 3;
    c->cascadeCell = 4;
    c->cascadeMode = 2;
    c->usesTurnoutFeedback = true;
    c->actionA = 1;
    c->actionB = kOrtActionExecuteRoute;
    c->routeB = 24;
    c = &board.CellAt(1);
    c->type = kOrtCellPoint;
    c->address = 300;
    c->initialise = 1;
    c->cascadeCell = 1;
    c->cascadeMode = 1;
    c = &board.CellAt(2);
    c->type = kOrtCellSensor;
    c->address = 14;
    c->sensorNumber = 16;
    c->flashUntilKnown = true;
    c->actionA = 5;
    c = &board.CellAt(3);
    c->type = kOrtCellVelaSignal;
    c->address = 2000;
    c->aspect = 4;
    c->usesTurnoutFeedback = true;
    c->actionA = 7;
    c->actionB = 8;
    c = &board.CellAt(4);
    c->type = kOrtCellVelaZone;
    c->address = 77;
    c->flashWhenLocked = true;
    c->usesTurnoutFeedback = true;
    c->actionA = 9;
    c->actionB = 10;
    c = &board.CellAt(5);
    c->type = kOrtCellSe8cRedGreen;
    c->address = 257;
    c->aspect = 0;
    c = &board.CellAt(6);
    c->type = kOrtCellSe8cRedGreenAmber;
    c->address = 258;
    c->aspect = 3;
    c->actionA = 11;
    c = &board.CellAt(7);
    c->type = kOrtCellInterlock;
    c->address = 900;
    c->interlockNumber = 4;
    c->actionA = 6;
    c = &board.CellAt(8);
    c->type = kOrtCellCopy;
    c->address = 1;  // copies the point cell
    c->cascadeCell = 7;
    c->cascadeMode = 2;
    c = &board.CellAt(9);
    c->type = kOrtCellCopy;
    c->address = 4;  // copies the signal cell
    c->aspect = 2;
    c = &board.CellAt(10);
    c->type = kOrtCellBoardMode;
    c->actionA = 13;
    c->actionB = 14;
    c = &board.CellAt(11);
    c->type = kOrtCellRelay;
    c->address = 33;
    c->relayNumber = 3;
    c->actionA = kOrtActionExecuteRoute;
    c->routeA = 1;

    board.RouteAt(0).SetEntries({{12, kOrtStateThrown}, {700, kOrtStateClosed}});
    board.RouteAt(1).SetEntries({{300, kOrtStateClosed}, {2048, kOrtStateThrown}, {1, kOrtStateClosed}});
    board.RouteAt(1).cascade = true;
    board.RouteAt(1).cascadeRoute = 24;
    std::vector<std::pair<int32_t, uint8_t>> twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back({i % 2 ? 12 : 300, i % 3 ? kOrtStateClosed : kOrtStateThrown});
    board.RouteAt(23).SetEntries(twelve);  // every entry has a point cell: fits in 12 bytes
    board.RouteAt(10).cascade = true;      // a route that only invokes another
    board.RouteAt(10).cascadeRoute = 5;
    return board;
}

}  // namespace

TEST(Ort50Board, NewBoardImage)
{
    TORT50Board board;
    EXPECT_EQ(board.Name(), "ORT50 Kestrix");
    EXPECT_EQ(board.notes, "Undefined");
    ASSERT_TRUE(board.ComputeSvImage());
    EXPECT_EQ(SvRange(board, 5, 13), (std::vector<uint8_t>{0, 10, 0, 0, 10, 1, 0, 232, 3, 1, 4, 3, 4}));
    for (int n = 1; n <= 30; ++n)
        EXPECT_EQ(SvRange(board, TORT50Cell::FirstSv(n), 6), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0})) << n;
    for (int r = 1; r <= 24; ++r)
        EXPECT_EQ(RouteBytes(board, r), std::vector<uint8_t>(12, 0)) << r;
    EXPECT_EQ(TORT50Cell::FirstSv(30), 204u);
    EXPECT_EQ(TORT50Route::FirstSv(3) + 11, 245u);
    EXPECT_EQ(TORT50Route::FirstSv(4), 257u);
    EXPECT_EQ(TORT50Route::FirstSv(24) + 11, 508u);
}

TEST(Ort50Board, IdentityAndTransferWalk)
{
    TORT50Board board;
    board.SetSerialNumber(65536);
    EXPECT_TRUE(board.MatchesIdentity(46, 3, 65536));
    EXPECT_TRUE(board.MatchesIdentity(1, 2, 65536));
    EXPECT_TRUE(board.MatchesIdentity(1, 4, 65536));
    EXPECT_FALSE(board.MatchesIdentity(46, 1, 65536));
    EXPECT_FALSE(board.MatchesIdentity(46, 3, 0));
    EXPECT_EQ(board.UnusedSvList().size(), 30u);

    std::vector<std::pair<unsigned, unsigned>> walk;
    unsigned size = 0;
    unsigned sv = board.NextSvBlock(0, size);
    unsigned lastEnd = 0;
    while (size != 0) {
        walk.push_back({sv, size});
        lastEnd = sv + size - 1;
        sv = board.NextSvBlock(sv, size);
    }
    ASSERT_GE(walk.size(), 6u);
    const std::vector<std::pair<unsigned, unsigned>> start = {{5, 1}, {6, 1}, {9, 4}, {13, 4}, {17, 1}, {30, 4}};
    using TWalk = std::vector<std::pair<unsigned, unsigned>>;
    EXPECT_EQ(TWalk(walk.begin(), walk.begin() + 6), start);
    EXPECT_EQ(lastEnd, 508u);
}

TEST(Ort50Cell, RecordsOfEveryType)
{
    TORT50Board board = RichBoard();
    ASSERT_TRUE(board.ComputeSvImage());
    struct Case {
        int cell;
        std::vector<uint8_t> bytes;
    } cases[] = {
        // token 3; 12 with feedback; toggle; route 24; cascade thrown 4 + initialise thrown
        {1, {3, 12, 16, 1, 124, 34 + 128}},
        // no token; 300 = 0x012C; cascade closed 1 + initialise closed
        {2, {5, 44, 1, 0, 0, 1 + 64}},
        {3, {6, 14, 16, 5, 0, 1}},                   // sensor board 14, sensor 16, flashes
        {4, {7, 0xD0, 0x07 + 16, 7, 8, 4}},          // 2000 = 0x07D0 with feedback
        {5, {8, 77, 16, 9, 10, 1}},                  // zone with feedback, flashes when locked
        {6, {9, 1, 1, 0, 0, 0}},                     // SE8c 257, aspect 0, no feedback bit
        {7, {10, 2, 1, 11, 0, 3}},
        {8, {11, 0x84, 3, 6, 0, 4}},                 // 900 = 0x0384
        {9, {12, 1, 0, 0, 0, 37}},                   // copy of a point: own cascade thrown 7
        {10, {12, 4, 0, 0, 0, 2}},                   // copy of a signal: own aspect
        {11, {13, 1, 0, 13, 14, 0}},
        {12, {14, 33, 3, 101, 0, 0}},                // relay board 33, relay 3, route 1
    };
    for (const auto& c : cases)
        EXPECT_EQ(SvRange(board, TORT50Cell::FirstSv(c.cell), 6), c.bytes) << "cell " << c.cell;
}

TEST(Ort50Cell, TurnoutFeedbackBitOnlyForPointSignalAndZone)
{
    for (uint8_t type = 0; type < kOrtCellTypeCount; ++type) {
        SCOPED_TRACE(static_cast<int>(type));
        TORT50Board board;
        TORT50Cell& cell = board.CellAt(0);
        cell.type = type;
        cell.address = type == kOrtCellCopy ? 2 : 300;
        cell.usesTurnoutFeedback = true;
        board.ComputeSvImage();
        const bool hasBit = type == kOrtCellPoint || type == kOrtCellVelaSignal || type == kOrtCellVelaZone;
        if (hasBit) {
            EXPECT_EQ(board.SvByte(31), 44);
            EXPECT_EQ(board.SvByte(32), 17);
        } else {
            EXPECT_EQ(board.SvByte(32) & 0x10, 0);
        }
        TORT50Board decoded;
        for (unsigned sv = 30; sv <= 35; ++sv)
            decoded.SetSvByte(sv, board.SvByte(sv));
        decoded.DecodeSvImage();
        EXPECT_EQ(decoded.CellAt(0).type, type);
        EXPECT_EQ(decoded.CellAt(0).usesTurnoutFeedback, hasBit);
        if (hasBit) {
            EXPECT_EQ(decoded.CellAt(0).address, 300);
        }
    }
}

TEST(Ort50Cell, CopyCellsAbove30OrBelow1CopyCell1)
{
    for (int32_t address : {45, 31, 0, -3}) {
        SCOPED_TRACE(address);
        TORT50Board board;
        SetPointCell(board, 1, 12);
        TORT50Cell& copy = board.CellAt(4);
        copy.type = kOrtCellCopy;
        copy.address = address;
        copy.cascadeCell = 2;
        copy.cascadeMode = 1;
        board.ComputeSvImage();
        EXPECT_EQ(copy.address, 1);
        EXPECT_EQ(SvRange(board, TORT50Cell::FirstSv(5), 6), (std::vector<uint8_t>{12, 1, 0, 0, 0, 2}));
        EXPECT_EQ(copy.CellListLine(), "5: undefined; Copy of Another Cell, Copies cell 1");

        // The same from the image: the address read is put right while decoding.
        board.SetSvByte(TORT50Cell::FirstSv(5) + 1, static_cast<uint8_t>(address & 0xFF));
        TORT50Board decoded;
        for (unsigned sv = 1; sv <= 512; ++sv)
            decoded.SetSvByte(sv, board.SvByte(sv));
        decoded.DecodeSvImage();
        EXPECT_EQ(decoded.CellAt(4).address, 1);
        EXPECT_EQ(decoded.CellAt(4).cascadeMode, 1);
        EXPECT_EQ(decoded.CellAt(4).cascadeCell, 2);
    }
}

TEST(Ort50Cell, FinishCopyCellByCopiedType)
{
    TORT50Board board;
    SetPointCell(board, 1, 5);
    board.CellAt(1).type = kOrtCellSe8cRedGreenAmber;
    board.CellAt(2).type = kOrtCellSensor;
    struct Case {
        int32_t copied;
        uint8_t option;
        uint8_t mode;
        int32_t cascadeCell;
        uint8_t aspect;
    } cases[] = {
        {1, 0, 0, 0, 1},   // point: no cascade
        {1, 30, 1, 30, 1}, // point: closed cell 30
        {1, 31, 2, 1, 1},  // point: thrown cell 1
        {1, 60, 2, 30, 1},
        {2, 4, 0, 0, 4},   // signal: the option byte is the aspect
        {3, 9, 0, 0, 1},   // sensor: nothing more
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copied * 1000 + c.option);
        TORT50Cell copy(10);
        copy.type = kOrtCellCopy;
        copy.address = c.copied;
        copy.optionByte = c.option;
        copy.FinishCopyCell(board.Cells());
        EXPECT_EQ(copy.cascadeMode, c.mode);
        EXPECT_EQ(copy.cascadeCell, c.cascadeCell);
        EXPECT_EQ(copy.aspect, c.aspect);
    }
}

TEST(Ort50Route, EncodingExamples)
{
    TORT50Board board;
    SetPointCell(board, 7, 12);
    TORT50Route& route = board.RouteAt(4);
    route.SetEntries({{12, kOrtStateThrown}, {700, kOrtStateClosed}});
    ASSERT_TRUE(board.ComputeSvImage());
    EXPECT_EQ(RouteBytes(board, 5), (std::vector<uint8_t>{37, 102, 188, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    route.SetEntries({{12, kOrtStateClosed}, {2048, kOrtStateThrown}});
    board.SetToFromNumbering(true);
    route.fromButton = 3;
    route.toButton = 17;
    route.cascade = true;
    route.cascadeRoute = 24;
    ASSERT_TRUE(board.ComputeSvImage());
    EXPECT_EQ(board.SvByte(5), 1);
    EXPECT_EQ(RouteBytes(board, 5), (std::vector<uint8_t>{3, 17, 7, 208, 0, 84, 0, 0, 0, 0, 0, 0}));

    std::vector<std::string> lines;
    route.DescribeRoute(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"  Route 5:", "      Point 12 Closed; ", "      Point 2048 Thrown; ",
                                               "      then invoke route 24"}));
    EXPECT_EQ(route.RouteListLine(board.Cells()), "Route 5:Points 12C; 2048T; ; then cascade route 24");
    EXPECT_EQ(route.RoutePointText(1, board.Cells()), "Point 12 Closed (Cell 7)");
    EXPECT_EQ(route.RoutePointText(2, board.Cells()), "Point 2048 Thrown  (no cell)");
    EXPECT_EQ(route.RoutePointText(3, board.Cells()), "not defined.");
}

TEST(Ort50Route, ThirteenBytesFailWithoutSpilling)
{
    // Route 3 is the last before the unused SV 246; route 5 sits between others.
    for (int number : {3, 5, 24}) {
        SCOPED_TRACE(number);
        TORT50Board board;
        std::vector<std::pair<int32_t, uint8_t>> entries;
        for (int i = 0; i < 12; ++i)
            entries.push_back({1000 + i, kOrtStateClosed});
        board.RouteAt(number - 1).SetEntries(entries);
        EXPECT_FALSE(board.RouteAt(number - 1).RouteFits(board.Cells()));
        EXPECT_FALSE(board.ComputeSvImage());
        EXPECT_EQ(board.SvErrorText(), "SV Calculation Error: one or more routes has too many entries. Route " +
                                           std::to_string(number) +
                                           " needs 24 bytes; a route holds 12: a point on one of this board's cells "
                                           "takes 1, any other point 2, the from and to buttons 2, a cascade 1");
        EXPECT_EQ(RouteBytes(board, number), (std::vector<uint8_t>{103, 232, 103, 233, 103, 234, 103, 235, 103, 236, 103, 237}));
        EXPECT_EQ(board.SvByte(TORT50Route::FirstSv(number) + 12), 0);
        EXPECT_EQ(board.SvByte(246), 0);
        const std::string line = board.RouteAt(number - 1).RouteListLine(board.Cells());
        EXPECT_EQ(line.substr(line.size() - 17), "!TOO MANY ENTRIES");
        // The image is complete all the same.
        EXPECT_EQ(board.SvByte(6), 10);
    }

    // Twelve one-byte entries and a cascade need 13 bytes as well.
    TORT50Board board;
    SetPointCell(board, 1, 12);
    std::vector<std::pair<int32_t, uint8_t>> entries(12, {12, kOrtStateClosed});
    board.RouteAt(0).SetEntries(entries);
    EXPECT_TRUE(board.ComputeSvImage());
    board.RouteAt(0).cascade = true;
    EXPECT_FALSE(board.ComputeSvImage());
    EXPECT_EQ(RouteBytes(board, 1), std::vector<uint8_t>(12, 1));
}

TEST(Ort50Route, DecodingBytes)
{
    TORT50Board board;
    SetPointCell(board, 7, 12);
    board.CellAt(14).type = kOrtCellSensor;  // cell 15 is no point cell
    const TORT50Cells& cells = board.Cells();
    struct Case {
        const char* what;
        bool toFrom;
        std::vector<uint8_t> bytes;
        std::vector<std::pair<int32_t, uint8_t>> entries;
        bool cascade;
        int32_t cascadeRoute;
        bool error;
    } cases[] = {
        {"cells and two-byte points", false, {37, 102, 188, 7, 208, 0}, {{12, 2}, {700, 1}, {12, 1}, {2048, 2}}, false, 1, false},
        {"non-point cell 15", false, {15, 7}, {{1, 1}, {12, 1}}, false, 1, true},
        {"thrown non-point cell 15", false, {45}, {{1, 2}}, false, 1, true},
        {"cascade 61 and 84", false, {61, 7, 84}, {{12, 1}}, true, 24, false},
        {"two-byte point cut by the end", false, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 101}, {{12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {12, 1}, {1, 1}}, false, 1, true},
        {"point above 2048", false, {109, 0}, {{1, 1}}, false, 1, true},
        {"bytes 85 to 99 are skipped", false, {85, 99, 7}, {{12, 1}}, false, 1, true},
        {"to/from buttons", true, {3, 17, 37, 0, 7}, {{12, 2}}, false, 1, false},
        {"zero ends the route", false, {0, 7}, {}, false, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> image(512, 0);
        std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + TORT50Route::FirstSv(2) - 1);
        TORT50Route route(2);
        route.toFromMode = c.toFrom;
        EXPECT_EQ(route.DecodeRoute(image, cells), c.error);
        ASSERT_EQ(route.Length(), c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(route.RoutePointAt(static_cast<int>(i)), c.entries[i].first) << i;
            EXPECT_EQ(route.RouteStateAt(static_cast<int>(i)), c.entries[i].second) << i;
        }
        EXPECT_EQ(route.cascade, c.cascade);
        EXPECT_EQ(route.cascadeRoute, c.cascadeRoute);
        if (c.toFrom) {
            EXPECT_EQ(route.fromButton, 3);
            EXPECT_EQ(route.toButton, 17);
        }
    }
}

TEST(Ort50Route, CapacityAndSetRoutePoint)
{
    TORT50Route route;
    EXPECT_EQ(route.EntryCapacity(), 12);
    route.toFromMode = true;
    route.cascade = true;
    EXPECT_EQ(route.EntryCapacity(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(route.SetRoutePoint(i, 100 + i, kOrtStateClosed));
    EXPECT_EQ(route.Length(), 9u);
    route.SetRoutePoint(9, 500, kOrtStateThrown);
    EXPECT_EQ(route.Length(), 9u);
    EXPECT_EQ(route.RoutePointAt(9), 1);

    // A state set beyond the length appends at the end, not at that row.
    TORT50Route open;
    open.SetRoutePoint(0, 10, kOrtStateClosed);
    EXPECT_FALSE(open.SetRoutePoint(5, 20, kOrtStateThrown));
    EXPECT_EQ(open.Length(), 2u);
    EXPECT_EQ(open.RoutePointAt(1), 20);
    EXPECT_EQ(open.RouteStateAt(1), kOrtStateThrown);
    open.SetRoutePoint(2, 30, kOrtStateClosed);
    open.SetRoutePoint(3, 40, kOrtStateClosed);

    // Undefined in the middle removes the entry and the rest move up.
    EXPECT_TRUE(open.SetRoutePoint(1, 1, kOrtStateUndefined));
    ASSERT_EQ(open.Length(), 3u);
    EXPECT_EQ(open.RoutePointAt(0), 10);
    EXPECT_EQ(open.RoutePointAt(1), 30);
    EXPECT_EQ(open.RoutePointAt(2), 40);
    // Undefined on the last entry shortens the route.
    open.SetRoutePoint(2, 1, kOrtStateUndefined);
    EXPECT_EQ(open.Length(), 2u);
    // Changing an entry in place.
    EXPECT_FALSE(open.SetRoutePoint(0, 11, kOrtStateThrown));
    EXPECT_EQ(open.RoutePointAt(0), 11);
    EXPECT_EQ(open.RouteStateAt(0), kOrtStateThrown);
    // Indexes outside the twelve entries change nothing.
    EXPECT_FALSE(open.SetRoutePoint(12, 5, kOrtStateClosed));
    EXPECT_FALSE(open.SetRoutePoint(-1, 5, kOrtStateClosed));
    EXPECT_EQ(open.Length(), 2u);
}

TEST(Ort50Route, FitTestCountsCellsAndCapacity)
{
    TORT50Board board;
    SetPointCell(board, 1, 12);
    TORT50Route& route = board.RouteAt(0);
    std::vector<std::pair<int32_t, uint8_t>> entries(5, {500, kOrtStateClosed});  // 10 bytes
    route.SetEntries(entries);
    EXPECT_TRUE(route.RouteFits(board.Cells()));
    board.SetToFromNumbering(true);  // capacity 10
    EXPECT_TRUE(route.RouteFits(board.Cells()));
    route.cascade = true;  // capacity 9
    EXPECT_FALSE(route.RouteFits(board.Cells()));
    entries[0] = {12, kOrtStateThrown};  // one byte less
    route.SetEntries(entries);
    EXPECT_TRUE(route.RouteFits(board.Cells()));
    EXPECT_TRUE(board.ComputeSvImage());
}

TEST(Ort50File, SectionLayout)
{
    TORT50Board board = RichBoard();
    const std::vector<std::string> lines = Lines(FileText(board));
    ASSERT_EQ(lines.size(), 56u);
    EXPECT_EQ(lines[0], "\"ORT50_BOARD\",\"Panel, north\",321,0,12,3,2,1500,1600,1700,25,,,,,,,\r");
    EXPECT_EQ(lines[1], ",\"Left half of the panel, station throat\",,,,,,,,,,,,,,,,\r");
    EXPECT_EQ(lines[2], ",Cell_,1,1,12,1,19,1,24,2,3,4,2,1,Point 12,,,\r");
    EXPECT_EQ(lines[4], ",Cell_,3,2,14,5,0,1,1,16,1,,,,undefined,,,\r");
    EXPECT_EQ(lines[5], ",Cell_,4,3,2000,7,8,1,1,4,0,0,1,,undefined,,,\r");
    EXPECT_EQ(lines[9], ",Cell_,8,7,900,6,0,1,1,4,,,,,undefined,,,\r");
    EXPECT_EQ(lines[13], ",Cell_,12,10,33,19,0,1,1,3,,,,,undefined,,,\r");
    EXPECT_EQ(lines[31], ",Cell_,30,0,1,0,0,1,1,,,,,,undefined,,,\r");
    EXPECT_EQ(lines[32],
              ",\"route_config\",1,1,1,2,\"12 Thrown\",\"700 Closed\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",0\r");
    EXPECT_EQ(lines[33],
              ",\"route_config\",2,1,1,3,\"300 Closed\",\"2048 Thrown\",\"1 Closed\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",24\r");
    // Twelve entries: the twelfth after the cascade column.
    EXPECT_EQ(lines[55],
              ",\"route_config\",24,1,1,12,\"300 Thrown\",\"12 Closed\",\"300 Closed\",\"12 Thrown\",\"300 Closed\","
              "\"12 Closed\",\"300 Thrown\",\"12 Closed\",\"300 Closed\",\"12 Thrown\",\"300 Closed\",0,\"12 Closed\"\r");
}

TEST(Ort50File, RoundTripsSameBytesAndSameBoard)
{
    TORT50Board board = RichBoard();
    board.SetToFromNumbering(true);
    board.RouteAt(5).fromButton = 4;
    board.RouteAt(5).toButton = 9;
    board.CellAt(20).description = "comma, inside";
    board.CellAt(21).description = "\"quoted\" start";
    const std::string first = FileText(board);
    std::istringstream in(first);
    TORT50Board read;
    read.ReadFromFile(in);
    EXPECT_EQ(FileText(read), first);
    EXPECT_TRUE(read.ToFromNumbering());
    EXPECT_TRUE(read.RouteAt(7).toFromMode);
    EXPECT_EQ(read.CellAt(20).description, "comma, inside");
    EXPECT_EQ(read.CellAt(21).description, "\"quoted\" start");
    EXPECT_EQ(read.RouteAt(23).Length(), 12u);
    EXPECT_EQ(read.RouteAt(23).RoutePointAt(11), 12);
    EXPECT_EQ(read.RouteAt(23).RouteStateAt(11), kOrtStateClosed);
    EXPECT_FALSE(read.RouteAt(23).cascade);
    EXPECT_TRUE(read.RouteAt(1).cascade);
    EXPECT_EQ(read.RouteAt(1).cascadeRoute, 24);
    EXPECT_TRUE(read.RouteAt(10).cascade);
    EXPECT_EQ(read.RouteAt(10).cascadeRoute, 5);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(read.CellAt(i).CellListLine(), board.CellAt(i).CellListLine());
    std::vector<std::string> a, b;
    board.DescribeSettings(a);
    read.DescribeSettings(b);
    EXPECT_EQ(a, b);

    // A twelve-entry route with a cascade (it cannot fit the board) reads back too.
    board.RouteAt(23).cascade = true;
    board.RouteAt(23).cascadeRoute = 2;
    const std::string second = FileText(board);
    std::istringstream in2(second);
    TORT50Board read2;
    read2.ReadFromFile(in2);
    EXPECT_EQ(FileText(read2), second);
    EXPECT_EQ(read2.RouteAt(23).Length(), 12u);
    EXPECT_TRUE(read2.RouteAt(23).cascade);
    EXPECT_EQ(read2.RouteAt(23).cascadeRoute, 2);
}

TEST(Ort50File, OlderRouteLinesReadTheSame)
{
    // Eleven entries with the cascade in column 17; a cascade column of 0; no cascade column.
    std::istringstream in(
        ",\"route_config\",4,2,3,11,\"1 Closed\",\"2 Thrown\",\"3 UNDEF\",\"4 Closed\",\"5 Closed\",\"6 Closed\","
        "\"7 Closed\",\"8 Closed\",\"9 Closed\",\"10 Closed\",\"11 Thrown\",7\r\n"
        ",\"route_config\",5,1,1,1,\"40 Thrown\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",0\r\n"
        ",route_config,6,1,1,1,40 Closed\n"
        // Twelve entries with the twelfth in the cascade column.
        ",\"route_config\",7,1,1,12,\"1 Closed\",\"2 Closed\",\"3 Closed\",\"4 Closed\",\"5 Closed\",\"6 Closed\","
        "\"7 Closed\",\"8 Closed\",\"9 Closed\",\"10 Closed\",\"11 Closed\",\"12 Thrown\"\r\n");
    TORT50Route route;
    route.ReadRouteLine(in);
    EXPECT_EQ(route.number, 4);
    EXPECT_EQ(route.fromButton, 2);
    EXPECT_EQ(route.toButton, 3);
    ASSERT_EQ(route.Length(), 11u);
    EXPECT_EQ(route.RouteStateAt(1), kOrtStateThrown);
    EXPECT_EQ(route.RouteStateAt(2), kOrtStateUndefined);
    EXPECT_EQ(route.RoutePointAt(10), 11);
    EXPECT_TRUE(route.cascade);
    EXPECT_EQ(route.cascadeRoute, 7);

    route.ReadRouteLine(in);
    ASSERT_EQ(route.Length(), 1u);
    EXPECT_EQ(route.RoutePointAt(0), 40);
    EXPECT_FALSE(route.cascade);
    EXPECT_EQ(route.cascadeRoute, 1);

    route.cascade = true;
    route.ReadRouteLine(in);
    EXPECT_EQ(route.RouteStateAt(0), kOrtStateClosed);
    EXPECT_FALSE(route.cascade);
    EXPECT_EQ(route.cascadeRoute, 1);

    route.ReadRouteLine(in);
    ASSERT_EQ(route.Length(), 12u);
    EXPECT_EQ(route.RoutePointAt(11), 12);
    EXPECT_EQ(route.RouteStateAt(11), kOrtStateThrown);
    EXPECT_FALSE(route.cascade);
}

TEST(Ort50File, BadRouteEntryStopsLoadingWithFileAndLine)
{
    TORT50Board board = RichBoard();
    std::string text = FileText(board);
    const std::string good = "\"700 Closed\"";
    text.replace(text.find(good), good.size(), "\"7x0 Closed\"");

    const std::string path = (std::filesystem::temp_directory_path() / "ort50_bad_entry_test.csv").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << text << text;
    }
    TBoardData data;
    EXPECT_FALSE(data.LoadList(btORT50, path));
    EXPECT_NE(data.LastErrorText().find(path + ", line 33:"), std::string::npos) << data.LastErrorText();
    EXPECT_NE(data.LastErrorText().find("7x0"), std::string::npos) << data.LastErrorText();
    EXPECT_EQ(data.BoardCount(btORT50), 1);
    EXPECT_TRUE(data.IsModified(btORT50));
    std::remove(path.c_str());

    // An entry without a blank is a conversion error too.
    std::istringstream noBlank(",\"route_config\",1,1,1,1,\"700\",,,,,,,,,,,0\r\n");
    TORT50Route route;
    EXPECT_THROW(route.ReadRouteLine(noBlank), TCsvConversionError);
}

TEST(Ort50Image, ImageDecodeImageRoundTrip)
{
    for (bool toFrom : {false, true}) {
        SCOPED_TRACE(toFrom);
        TORT50Board board = RichBoard();
        board.SetToFromNumbering(toFrom);
        if (toFrom) {
            board.RouteAt(23).SetEntries({{12, kOrtStateThrown}});
            board.RouteAt(1).fromButton = 5;
            board.RouteAt(1).toButton = 6;
        }
        ASSERT_TRUE(board.ComputeSvImage());
        const std::vector<uint8_t> image = board.SvImage();

        TORT50Board decoded;
        for (unsigned sv = 1; sv <= 512; ++sv)
            decoded.SetSvByte(sv, image[sv - 1]);
        decoded.DecodeSvImage();
        EXPECT_EQ(decoded.SerialNumber(), 321);
        EXPECT_EQ(decoded.ToFromNumbering(), toFrom);
        EXPECT_EQ(decoded.routeAddress, 1500);
        EXPECT_EQ(decoded.interlockAddress, 1700);
        EXPECT_EQ(decoded.pointDelay, 25);
        for (int i = 0; i < 30; ++i) {
            TORT50Cell expected = board.CellAt(i);
            expected.description = "undefined";  // not part of the image
            EXPECT_EQ(decoded.CellAt(i).CellListLine(), expected.CellListLine()) << i;
        }
        for (int r = 0; r < 24; ++r)
            EXPECT_EQ(decoded.RouteAt(r).RouteListLine(decoded.Cells()), board.RouteAt(r).RouteListLine(board.Cells()))
                << r;
        EXPECT_TRUE(decoded.ComputeSvImage());
        EXPECT_EQ(decoded.SvImage(), image);
    }

    // SV 5 = 7 turns to/from numbering on; each route takes its buttons from its first two SVs.
    TORT50Board board;
    board.SetSvByte(5, 7);
    board.SetSvByte(TORT50Route::FirstSv(1), 4);
    board.SetSvByte(TORT50Route::FirstSv(1) + 1, 9);
    board.SetSvByte(TORT50Route::FirstSv(20), 11);
    board.SetSvByte(TORT50Route::FirstSv(20) + 1, 12);
    board.DecodeSvImage();
    EXPECT_TRUE(board.ToFromNumbering());
    for (int r = 0; r < 24; ++r)
        EXPECT_TRUE(board.RouteAt(r).toFromMode);
    EXPECT_EQ(board.RouteAt(0).fromButton, 4);
    EXPECT_EQ(board.RouteAt(0).toButton, 9);
    EXPECT_EQ(board.RouteAt(19).fromButton, 11);
    EXPECT_EQ(board.RouteAt(19).toButton, 12);
    EXPECT_EQ(board.RouteAt(5).fromButton, 0);
    EXPECT_EQ(board.RouteAt(0).Length(), 0u);
}

TEST(Ort50Texts, ListLinesAndReport)
{
    TORT50Board board = RichBoard();
    const char* expected[] = {
        "1: Point 12; Point Cell, Addr 12 (TO F/B), Interlock 3, Cascades from cell 4 Thrown",
        "2: undefined; Point Cell, Addr 300, Cascades from cell 1 Closed",
        "3: undefined; Sensor Cell, Board = 14, Sensor = 16, flashes until known",
        "4: undefined; VELA80 Signal Cell, Address = 2000 (TO F/B)",
        "5: undefined; VELA80 Reverse Running Zone Cell, Address = 77 (TO F/B), Flashes when locked",
        "6: undefined; SE8c Signal Cell, Red/Green, Address = 257",
        "7: undefined; SE8c Signal Cell, Red/Green/Amber, Address = 258",
        "8: undefined; RR&Co Interlock Cell 4, DCC Address = 900",
        "9: undefined; Copy of Another Cell, Copies cell 1",
        "10: undefined; Copy of Another Cell, Copies cell 4",
        "11: undefined; Display Board Mode Cell",
        "12: undefined; PM42 Relay Cell, Board = 33, Relay number = 3",
        "13: undefined; Undefined",
    };
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(board.CellAt(i).CellListLine(), expected[i]);
    EXPECT_EQ(board.RouteAt(0).RouteListLine(board.Cells()), "Route 1:Points 12T; 700C; ");
    EXPECT_EQ(board.RouteAt(2).RouteListLine(board.Cells()), "Route 3:not defined.");

    std::vector<std::string> lines;
    board.DescribeSettings(lines);
    const std::vector<std::string> head = {
        "Board Type: ORT50",
        "Serial number: 321",
        "Board name: Panel, north",
        "",
        "Cell settings: ",
        "    Cell 1: Point 12",
        "       Point Cell, Point Address 12 (Uses Turnout Feedback)",
        "       Assigned to Interlock 3",
        "       Cascades from cell 4 Thrown",
        "       Pushbutton A effect: Change point state on each press",
        "       Pushbutton B effect: Execute Route 24",
        "    Cell 2: undefined",
        "       Point Cell, Point Address 300",
        "       Cascades from cell 1 Closed",
        "       Pushbutton A effect: No Action",
        "       Pushbutton B effect: No Action",
    };
    ASSERT_GT(lines.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(head.size())), head);
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("       VELA80 Signal Cell, Address = 2000 (Uses Turnout Feedback)"));
    EXPECT_TRUE(has("       RR&Co Interlock Cell, Interlock number = 4, DCC Address = 900"));
    EXPECT_TRUE(has("       PM42 Relay Cell, Board = 33, Relay = 3"));
    EXPECT_TRUE(has("       Pushbutton A effect: Execute Route 1"));
    EXPECT_TRUE(has("       Pushbutton A effect: Set VELA80 signal to Red"));

    const std::vector<std::string> tail = {
        "",
        "Board mode settings: ",
        "  Board is in INTERLOCKED mode after power up",
        "  DCC accessory address to enter INTERLOCKED mode: 1700",
        "  DCC accessory address to enter SLAVE mode: 1600",
        "  Sensor board number in SLAVE or INTERLOCKED mode: 12",
        "  Delay between point outputs = 2.5 s",
        "  Board can occupy 4 slave addresses, 9-12",
    };
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(tail.size()), lines.end()), tail);
    const auto routes = std::find(lines.begin(), lines.end(), "Route settings: ");
    ASSERT_NE(routes, lines.end());
    EXPECT_EQ(*(routes + 1), "  Routes use single button press");
    EXPECT_EQ(*(routes + 2), "  DCC accessory address to activate routes: 1500");
    EXPECT_EQ(*(routes + 3), "  Route 1:");
    EXPECT_EQ(*(routes + 4), "      Point 12 Thrown; ");
    EXPECT_TRUE(has("  Route 3:not defined."));
    EXPECT_TRUE(has("      then invoke route 24"));

    TORT50Board fresh;
    fresh.routeAddress = 0;
    fresh.slaveBlock = 0;
    fresh.SetToFromNumbering(true);
    std::vector<std::string> freshLines;
    fresh.DescribeSettings(freshLines);
    auto freshHas = [&](const std::string& line) {
        return std::find(freshLines.begin(), freshLines.end(), line) != freshLines.end();
    };
    EXPECT_TRUE(freshHas("  Routes use to, from button presses"));
    EXPECT_TRUE(freshHas("  Routes not invoked by any DCC accessory address"));
    EXPECT_TRUE(freshHas("  Board is in STANDALONE mode after power up"));
    EXPECT_TRUE(freshHas("  Board can be used in SLAVE mode, and occupies 4 board addresses;"));
}

TEST(Ort50Collection, FactoryAndMalformedFilesNeverCrash)
{
    auto made = MakeBoard(btORT50);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->BoardTypeName(), "ORT50");
    EXPECT_EQ(made->ListLine(), "not set yet\tORT50\t ORT50 Kestrix");

    TORT50Board rich = RichBoard();
    const std::string good = FileText(rich);
    std::mt19937 random(11);
    std::vector<std::string> bad = {
        "",
        "\n",
        good.substr(0, good.size() / 2),
        // numbers far out of range everywhere a number goes
        "\"ORT50_BOARD\",x,-1,9,99999,300,77,-5,70000,0,-1\r\n,n\r\n"
        ",Cell_,99,8,-7,255,19,-4,9999,7,7,7,7,7,d\r\n,Cell_,-1,200,65537,19,300,0,0\r\n"
        ",route_config,-5,300,-2,-1\r\n,route_config,900,1,1,4000000000,\"1 Closed\"\r\n",
    };
    for (int i = 0; i < 200; ++i) {
        std::string text = good;
        for (int j = 0; j < 20; ++j)
            text[random() % text.size()] = "0123456789,\"\n -x\r"[random() % 17];
        bad.push_back(text);
    }
    for (const auto& text : bad) {
        TBoardData data;
        std::istringstream in(text);
        data.ReadList(btORT50, in, "bad.csv");
        for (int i = 0; i < data.BoardCount(btORT50); ++i) {
            auto* board = static_cast<TORT50Board*>(data.BoardAt(btORT50, i));
            board->ComputeSvImage();
            std::vector<std::string> lines;
            board->DescribeSettings(lines);
            for (int c = 0; c < 30; ++c)
                board->CellAt(c).CellListLine();
            for (int r = 0; r < 24; ++r) {
                board->RouteAt(r).RouteListLine(board->Cells());
                for (int e = 1; e <= 12; ++e)
                    board->RouteAt(r).RoutePointText(e, board->Cells());
            }
            board->DecodeSvImage();
            board->ComputeSvImage();
        }
    }

    // Every image byte pattern decodes without harm.
    for (int i = 0; i < 200; ++i) {
        TORT50Board board;
        for (unsigned sv = 1; sv <= 512; ++sv)
            board.SetSvByte(sv, static_cast<uint8_t>(random()));
        board.DecodeSvImage();
        board.ComputeSvImage();
        std::vector<std::string> lines;
        board.DescribeSettings(lines);
    }
}
