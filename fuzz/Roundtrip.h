// Every file the program writes must load again as the same boards: the
// boards of a list, written, loaded into a fresh list and written again, give
// the same bytes, the same number of boards and the same SV images. Shared by
// the board file fuzz target and the tests over fixtures and random boards.
#pragma once

#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// What the boards of a list hold as the program sees them after a write:
// their file and, per board, whether the image computes and its bytes.
inline std::string WrittenList(const TBoardData& data, uint8_t type)
{
    std::ostringstream out(std::ios::out | std::ios::binary);
    data.WriteList(type, out);
    return out.str();
}

inline std::vector<std::vector<uint8_t>> ComputedImages(const TBoardData& data, uint8_t type)
{
    std::vector<std::vector<uint8_t>> images;
    for (int i = 0; i < data.BoardCount(type); ++i) {
        TConfigurableBoard* board = data.BoardAt(type, i);
        // The flag goes in front so that a board that stops calculating differs.
        std::vector<uint8_t> image{static_cast<uint8_t>(board->ComputeSvImage() ? 1 : 0)};
        image.insert(image.end(), board->SvImage().begin(), board->SvImage().end());
        images.push_back(std::move(image));
    }
    return images;
}

// Empty when the list's boards survive a write and a load unchanged; otherwise
// what differed.
inline std::string RoundTripProblem(const TBoardData& data, uint8_t type)
{
    const std::string first = WrittenList(data, type);
    TBoardData again;
    std::istringstream in(first, std::ios::in | std::ios::binary);
    if (!again.ReadList(type, in, "written.csv"))
        return "the written file does not load: " + again.LastErrorText();
    if (!again.LastWarningText().empty())
        return "the written file loads with a warning: " + again.LastWarningText();
    if (again.BoardCount(type) != data.BoardCount(type))
        return "the written file loads " + std::to_string(again.BoardCount(type)) + " boards instead of " +
               std::to_string(data.BoardCount(type));
    if (WrittenList(again, type) != first)
        return "the loaded file is written differently";
    // Images last: computing may change what a board holds beside its image.
    if (ComputedImages(data, type) != ComputedImages(again, type))
        return "the loaded boards compute other images";
    return {};
}
