#include "programming/Tsvcompare.h"

#include "boards/core/Tconfigurableboard.h"

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

std::string VerifySummaryText(size_t differenceCount)
{
    if (differenceCount == 0)
        return "Verify completed: board matches its configuration!";
    return "Verify completed: " + std::to_string(differenceCount) +
           (differenceCount == 1 ? " SV differs" : " SVs differ") + " from the configuration";
}
