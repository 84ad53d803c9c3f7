// Every file the program writes loads again as the same boards, for every
// model: the seed files, boards read back from random images, and damaged
// files (numbers replaced by values at and beyond every range), whose boards
// read so far stay in the list and must write a file that loads.
#include "fuzz/Roundtrip.h"

#include "../boards_core/Fuzzinput.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A list of boards of the type read back from random images.
void AddReadBackBoards(TBoardData& data, uint8_t type, int count, std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> serial(0, 70000);
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(data.AppendBoard(type));
        TConfigurableBoard* board = data.BoardAt(type, data.BoardCount(type) - 1);
        board->SetSerialNumber(serial(random));
        for (unsigned sv = 1; sv <= board->SvLength(); ++sv)
            board->SetSvByte(sv, static_cast<uint8_t>(byte(random)));
        (void)board->DecodeSvImage();
    }
}

// The file with some of its numbers replaced by values at and beyond the
// edges of the fields' ranges, and some by damaged numbers.
std::string Damaged(const std::string& file, std::mt19937& random)
{
    static const char* const kValues[] = {"-1",    "0",    "1",     "7",     "8",          "16",  "17",
                                          "100",   "101",  "115",   "116",   "255",        "256", "257",
                                          "300",   "1000", "1024",  "1025",  "1500",       "2048", "3072",
                                          "4096",  "12288", "16384", "65535", "65536",     "99999",
                                          "2147483647", "-2147483648", "1x2", "1e2", " 3", ""};
    std::uniform_int_distribution<size_t> pick(0, std::size(kValues) - 1);
    std::uniform_int_distribution<int> chance(0, 15);
    std::string out;
    size_t i = 0;
    while (i < file.size()) {
        if (file[i] >= '0' && file[i] <= '9' && (i == 0 || file[i - 1] == ',' || file[i - 1] == '-')) {
            size_t end = i;
            while (end < file.size() && file[end] >= '0' && file[end] <= '9')
                ++end;
            const bool wholeField = end == file.size() || file[end] == ',' || file[end] == '\r';
            if (wholeField && chance(random) == 0) {
                out += kValues[pick(random)];
                i = end;
                continue;
            }
        }
        out += file[i++];
    }
    return out;
}

}  // namespace

TEST(BoardFileRoundTrip, SeedFilesOfEveryModel)
{
    const std::filesystem::path corpus = std::filesystem::path(TEST_DATA_DIR) / ".." / ".." / "fuzz" / "corpus" /
                                         "boardfile";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string bytes = FileBytes(entry.path());
        ASSERT_FALSE(bytes.empty());
        const uint8_t type = FuzzType(bytes);
        TBoardData data;
        std::istringstream in(bytes.substr(1), std::ios::in | std::ios::binary);
        (void)data.ReadList(type, in, entry.path().filename().string());
        EXPECT_EQ(RoundTripProblem(data, type), "") << entry.path();
        ++files;
    }
    EXPECT_GE(files, kBoardTypeCount);
}

TEST(BoardFileRoundTrip, RandomBoardsAndDamagedFilesOfEveryModel)
{
    std::mt19937 random(20261211);
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        TBoardData data;
        AddReadBackBoards(data, type, 40, random);
        ASSERT_EQ(RoundTripProblem(data, type), "") << TBoardData::ShortTypeName(type);

        const std::string file = WrittenList(data, type);
        for (int round = 0; round < 80; ++round) {
            const std::string damaged = Damaged(file, random);
            TBoardData loaded;
            std::istringstream in(damaged, std::ios::in | std::ios::binary);
            (void)loaded.ReadList(type, in, "damaged.csv");
            const std::string problem = RoundTripProblem(loaded, type);
            EXPECT_EQ(problem, "") << TBoardData::ShortTypeName(type) << " round " << round << ": "
                                   << loaded.LastErrorText();
            if (!problem.empty())
                break;
        }
    }
}
