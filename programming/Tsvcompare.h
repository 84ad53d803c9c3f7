// Comparing what a board holds with what its configuration computes: the
// SVs that differ, over the SVs a transfer writes, and their texts. Shared
// by the sequencer's verify mode, the command line and the windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TConfigurableBoard;

struct TSvDifference {
    unsigned sv = 0;
    uint8_t board = 0;          // the value read from the board
    uint8_t configuration = 0;  // the value the configuration computes

    bool operator==(const TSvDifference&) const = default;
};

// Compares configured's SV image with boardImage (SV n at index n - 1) over
// the SVs a transfer writes (NextSvBlock from SV 5 on); SVs past the end of
// boardImage count as 0. In SV order.
std::vector<TSvDifference> CompareSvImages(const TConfigurableBoard& configured,
                                           const std::vector<uint8_t>& boardImage);

// "SV<n>: board <b>, configuration <c>", decimal.
std::string SvDifferenceText(const TSvDifference& difference);
// The same with what the SV holds after it: "... configuration 10 (signal 3: next signal)".
std::string SvDifferenceText(const TSvDifference& difference, const std::string& svName);

// What a verify shows of the differences: each SV's line with its name, then
// the settings that differ, "Signal 3, Next signal: board "...", configuration "..."".
// Computes configured's image.
std::vector<std::string> VerifyDifferenceLines(TConfigurableBoard& configured,
                                               const std::vector<TSvDifference>& differences,
                                               const std::vector<uint8_t>& boardImage);

// The last line of a verify: "Verify completed: board matches its
// configuration!", or how many SVs differ.
std::string VerifySummaryText(size_t differenceCount);
