// A configuration file of one of the seven board types (the first byte picks
// the type, modulo 7; the rest is the file) read as the collection loads it,
// then every board read, whole or in part, is written, computed, listed and
// described as the program would. What it writes must load again as the same
// boards.
#include "Fuzzsupport.h"
#include "Roundtrip.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t type = static_cast<uint8_t>(data[0] % kBoardTypeCount);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
                          std::ios::in | std::ios::binary);
    TBoardData boards;
    const bool whole = boards.ReadList(type, in, "fuzz.csv");
    FUZZ_CHECK(whole || !boards.LastErrorText().empty());
    const std::string problem = RoundTripProblem(boards, type);
    if (!problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    FUZZ_CHECK(problem.empty());

    std::ostringstream out(std::ios::out | std::ios::binary);
    std::vector<std::string> lines;
    for (int i = 0; i < boards.BoardCount(type); ++i) {
        TConfigurableBoard* board = boards.BoardAt(type, i);
        board->WriteToFile(out);
        if (!board->ComputeSvImage())
            (void)board->SvErrorText();
        board->WriteSvListingTo(out);
        lines.clear();
        board->DescribeSettings(lines);
        (void)board->ListLine();
    }
    return 0;
}
