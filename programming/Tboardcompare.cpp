#include "programming/Tboardcompare.h"

#include "boards/core/Boardcompare.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Tconfigurableboard.h"
#include "programming/Tsvcompare.h"

#include <algorithm>

std::vector<TBoardDifference> CompareBoardSvs(const TConfigurableBoard& before, const TConfigurableBoard& after)
{
    std::vector<TBoardDifference> differences;
    for (const TSvDifference& d : CompareSvImages(before, after.SvImage()))
        differences.push_back({"SV" + std::to_string(d.sv), std::to_string(d.configuration), std::to_string(d.board)});
    return differences;
}

std::vector<TBoardDifference> CompareBoardSettings(const TConfigurableBoard& before, const TConfigurableBoard& after)
{
    std::vector<TBoardDifference> svs = CompareBoardSvs(before, after);
    if (svs.empty())
        return svs;
    const int type = BoardTypeFromName(before.BoardTypeName());
    const TBoardComparison comparison = CompareBoardImages(type, before.SvImage(), after.SvImage());
    std::vector<TBoardDifference> settings;
    const auto quoted = [](bool held, const std::string& value) {
        return held ? "\"" + value + "\"" : std::string("(none)");
    };
    for (const TSettingRow* row : comparison.Differences())
        settings.push_back({row->setting, quoted(row->inA, row->a), quoted(row->inB, row->b)});
    // Only SVs the model never decodes differ: name them, or a board shown
    // as differing would show nothing.
    return settings.empty() ? svs : settings;
}

std::vector<TBoardDifference> CompareSvValues(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after)
{
    std::vector<TBoardDifference> differences;
    const size_t count = std::max(before.size(), after.size());
    const auto text = [](const std::vector<uint8_t>& values, size_t i) {
        return i < values.size() ? std::to_string(values[i]) : std::string("-");
    };
    for (size_t i = 0; i < count; ++i) {
        if (i < before.size() && i < after.size() && before[i] == after[i])
            continue;
        differences.push_back({"SV" + std::to_string(i + 1), text(before, i), text(after, i)});
    }
    return differences;
}

std::string DifferenceText(const TBoardDifference& difference, const std::string& beforeName,
                           const std::string& afterName)
{
    return difference.what + ": " + beforeName + " " + difference.before + ", " + afterName + " " + difference.after;
}
