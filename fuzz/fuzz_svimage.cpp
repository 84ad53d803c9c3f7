// An SV image of one of the seven board types (the first byte picks the type,
// modulo 7; the rest fills the image from SV 1, zeros after it) decoded and
// computed again. For the models whose image holds exactly what they decode,
// the computed image must equal the image decoded, and a second decode and
// compute must change nothing.
#include "Fuzzsupport.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Tconfigurableboard.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int type = data[0] % kBoardTypeCount;
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
    FUZZ_CHECK(board != nullptr);
    const unsigned length = board->SvLength();
    for (unsigned sv = 1; sv <= length && sv < size; ++sv)
        board->SetSvByte(sv, data[sv]);
    if (!board->DecodeSvImage())
        return 0;
    // A board read back from a board must compute as the same board saved
    // and loaded again does.
    std::stringstream file(std::ios::in | std::ios::out | std::ios::binary);
    board->WriteToFile(file);
    std::unique_ptr<TConfigurableBoard> reloaded = MakeBoard(type);
    reloaded->ReadFromFile(file);
    const bool computed = board->ComputeSvImage();
    const bool reloadComputed = reloaded->ComputeSvImage();
    FUZZ_CHECK(computed == reloadComputed);
    if (computed && board->SvImage() != reloaded->SvImage()) {
        for (unsigned sv = 1; sv <= length; ++sv)
            if (board->SvByte(sv) != reloaded->SvByte(sv))
                std::fprintf(stderr, "type %d SV %u: read back %u, loaded %u\n", type, sv, board->SvByte(sv),
                             reloaded->SvByte(sv));
        FUZZ_CHECK(board->SvImage() == reloaded->SvImage());
    }
    std::vector<std::string> lines;
    board->DescribeSettings(lines);
    if (!computed) {
        (void)board->SvErrorText();
        return 0;
    }
    // What a decode and compute gives must be a fixed point: decoding it
    // again and computing again must give the same image.
    const std::vector<uint8_t> first = board->SvImage();
    FUZZ_CHECK(board->DecodeSvImage());
    FUZZ_CHECK(board->ComputeSvImage());
    FUZZ_CHECK(board->SvImage() == first);
    return 0;
}
