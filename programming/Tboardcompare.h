// What differs between two states of one board: as a snapshot holds it and
// as the bus (or a later snapshot) holds it. Every layout command reports its
// differences through these functions and prints them with DifferenceText:
// a board of the family by setting, a board of another maker by SV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TConfigurableBoard;

struct TBoardDifference {
    std::string what;    // "SV12", or a setting: "Signal 3, Next signal"
    // The value the snapshot (or the older snapshot) holds, and the board (or
    // the newer snapshot): an SV's number, "-" for none; a setting's text in
    // quotes, "(none)" when that side has no such setting.
    std::string before;
    std::string after;

    bool operator==(const TBoardDifference&) const = default;
};

// Two boards of one type, each holding its SV image: compared over the SVs a
// transfer of before writes (from SV 5 on, system and unused SVs left out).
std::vector<TBoardDifference> CompareBoardSvs(const TConfigurableBoard& before, const TConfigurableBoard& after);

// The same two boards by setting, in the words of the settings report, as
// the compare of two boards names them. SVs that differ without changing any
// setting (bytes the model does not read back) are listed as SVs, so that a
// board whose SVs differ always shows why.
std::vector<TBoardDifference> CompareBoardSettings(const TConfigurableBoard& before, const TConfigurableBoard& after);

// Two SV listings of a board of another maker (SV n at n - 1): every SV either
// holds; an SV only one of them lists counts as a difference ("-" for none).
std::vector<TBoardDifference> CompareSvValues(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after);

// `<what>: <beforeName> <before>, <afterName> <after>`.
std::string DifferenceText(const TBoardDifference& difference, const std::string& beforeName,
                           const std::string& afterName);
