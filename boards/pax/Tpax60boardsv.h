// Image helpers shared by the PAX60 and PAX66 models.
#pragma once

#include "boards/core/Tconfigurableboard.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// Stores a computed image into the board, SV n from image[n - 1].
inline void StorePaxImage(TConfigurableBoard& board, const std::vector<uint8_t>& image)
{
    for (unsigned sv = 1; sv <= image.size(); ++sv)
        board.SetSvByte(sv, image[sv - 1]);
}

// The listed SVs, then every SV from firstFreeTail to 512.
inline std::vector<unsigned> PaxUnusedSvs(std::initializer_list<unsigned> svs, unsigned firstFreeTail)
{
    std::vector<unsigned> list(svs);
    for (unsigned sv = firstFreeTail; sv <= 512; ++sv)
        list.push_back(sv);
    return list;
}
