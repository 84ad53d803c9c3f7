// Comparing two boards of one type by setting, as the boards hold them.
//
// Both boards are first put through their SV image and decoded again, so a
// difference is a difference on the board, never a wording or a detail the
// image cannot carry. What differs between the two files but not between
// what the boards would hold (names, notes, descriptions) is listed apart as
// "kept in the file only".
//
// The settings and their values are those of the settings report: one row per
// report line, named by where the line stands (the cell, signal, route, step
// it belongs to) and by the words before its ":" or "=".
#pragma once

#include "boards/core/Tconfigurableboard.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TSettingRow {
    std::string group;    // the report's section: "Signal Settings", "Board"
    std::string setting;  // "Signal 3, Next signal"
    std::string a;        // the value on the first board; empty when absent
    std::string b;
    bool inA = true;  // false: the first board's report has no such line
    bool inB = true;
    bool differs = false;   // differs on the board
    bool fileOnly = false;  // differs in the files only: the board holds neither value

    bool Differs() const { return differs; }
};

struct TBoardComparison {
    // Every setting of either board, in report order.
    std::vector<TSettingRow> rows;
    // Whether the two boards hold the same settings.
    bool Equal() const;
    // Pointers into rows: never taken from a comparison about to go, as in
    // `for (auto* row : CompareBoards(a, b).Differences())`, where the rows
    // are gone before the loop reads them.
    std::vector<const TSettingRow*> Differences() const&;
    std::vector<const TSettingRow*> Differences() const&& = delete;
    std::vector<const TSettingRow*> FileOnly() const&;
    std::vector<const TSettingRow*> FileOnly() const&& = delete;
};

// A board of the type as it reads back from image (SV n at n - 1); nullptr
// when the type has no model.
std::unique_ptr<TConfigurableBoard> BoardFromImage(int boardType, const std::vector<uint8_t>& image);

// Two configurations of one type. Neither board's own image changes: each is
// computed on a copy (the boards are not const only because writing a board's
// file lines uses its field buffer).
TBoardComparison CompareBoards(TConfigurableBoard& a, TConfigurableBoard& b);
// A board's SVs (a, as read from it) against a configuration (b), over the
// SVs a transfer writes (from SV 5 on), as a verify compares them. The
// configuration's own image does not change.
TBoardComparison CompareBoardWithImage(const std::vector<uint8_t>& boardImage, TConfigurableBoard& configured);
// Two SV images of one type (SV n at n - 1), as two boards hold them: each is
// decoded as a read does, and nothing is kept in a file only. Empty when the
// type has no model.
TBoardComparison CompareBoardImages(int boardType, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// The report lines as settings: group, setting and value, in order. Several
// lines of one name (a list of conditions) are told apart by " (2)", " (3)".
struct TReportSetting {
    std::string group;
    std::string setting;  // as shown: "Signal 1, Block occupied conditions (2)"
    std::string value;
    std::string name;  // without the count: "Signal 1, Block occupied conditions"
};
std::vector<TReportSetting> ReportSettings(const std::vector<std::string>& reportLines);

// `<setting>: <nameA> "<a>", <nameB> "<b>"`, one line per difference on the
// board; an absent value reads "(none)".
std::vector<std::string> DifferenceLines(const TBoardComparison& comparison, const std::string& nameA,
                                         const std::string& nameB);
// The same for what is kept in the file only.
std::vector<std::string> FileOnlyLines(const TBoardComparison& comparison, const std::string& nameA,
                                       const std::string& nameB);
// The whole comparison as text: a heading, the differences, then the file-only
// differences under "Kept in the file only:"; everything when all is true.
std::string ComparisonText(const TBoardComparison& comparison, const std::string& nameA, const std::string& nameB,
                           bool all);
