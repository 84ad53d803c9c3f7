#include "programming/Tsvcompare.h"

#include "boards/core/Boardcompare.h"
#include "boards/core/Tconfigurableboard.h"

#include <utility>

std::vector<TSvDifference> CompareSvImages(const TConfigurableBoard& configured,
                                           const std::vector<uint8_t>& boardImage)
{
    std::vector<TSvDifference> differences;
    unsigned size = 0;
    for (unsigned first = configured.NextSvBlock(0, size); size != 0; first = configured.NextSvBlock(first, size)) {
        for (unsigned sv = first; sv < first + size; ++sv) {
            const uint8_t held = sv >= 1 && sv <= boardImage.size() ? boardImage[sv - 1] : 0;
            const uint8_t wanted = configured.SvByte(sv);
            if (held != wanted)
                differences.push_back({sv, held, wanted});
        }
    }
    return differences;
}

std::string SvDifferenceText(const TSvDifference& difference)
{
    return "SV" + std::to_string(difference.sv) + ": board " + std::to_string(difference.board) +
           ", configuration " + std::to_string(difference.configuration);
}

std::string SvDifferenceText(const TSvDifference& difference, const std::string& svName)
{
    return SvDifferenceText(difference) + " (" + svName + ")";
}

std::vector<std::string> VerifyDifferenceLines(TConfigurableBoard& configured,
                                               const std::vector<TSvDifference>& differences,
                                               const std::vector<uint8_t>& boardImage)
{
    std::vector<std::string> lines;
    if (differences.empty())
        return lines;
    const std::vector<std::string> names = configured.NameSvImage();
    for (const TSvDifference& difference : differences) {
        const bool named = difference.sv >= 1 && difference.sv <= names.size();
        lines.push_back(named ? SvDifferenceText(difference, names[difference.sv - 1]) : SvDifferenceText(difference));
    }
    const TBoardComparison comparison = CompareBoardWithImage(boardImage, configured);
    for (std::string& line : DifferenceLines(comparison, "board", "configuration"))
        lines.push_back(std::move(line));
    return lines;
}

std::string VerifySummaryText(size_t differenceCount)
{
    if (differenceCount == 0)
        return "Verify completed: board matches its configuration!";
    return "Verify completed: " + std::to_string(differenceCount) +
           (differenceCount == 1 ? " SV differs" : " SVs differ") + " from the configuration";
}
