#include "Smallboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <random>
#include <utility>
#include <vector>

namespace {

using Blocks = std::vector<std::pair<unsigned, unsigned>>;  // first SV, block size

Blocks Walk(const TConfigurableBoard& board)
{
    Blocks blocks;
    unsigned size = 0;
    unsigned sv = board.NextSvBlock(0, size);
    while (size != 0) {
        blocks.emplace_back(sv, size);
        sv = board.NextSvBlock(sv, size);
        if (blocks.size() > 1000)
            break;
    }
    EXPECT_GT(sv, board.SvLength());
    return blocks;
}

// A board with the ORT50's unused SVs.
TSmallBoard Ort50Like()
{
    TSmallBoard board(512);
    for (unsigned sv = 18; sv <= 29; ++sv)
        board.unused.push_back(sv);
    for (unsigned sv = 247; sv <= 256; ++sv)
        board.unused.push_back(sv);
    for (unsigned sv = 509; sv <= 512; ++sv)
        board.unused.push_back(sv);
    return board;
}

}  // namespace

TEST(ConfigurableBoard, BlockWalkOverAnOrt50Image)
{
    const TSmallBoard board = Ort50Like();
    const Blocks blocks = Walk(board);
    ASSERT_GE(blocks.size(), 6u);
    const Blocks start(blocks.begin(), blocks.begin() + 6);
    EXPECT_EQ(start, (Blocks{{5, 1}, {6, 1}, {9, 4}, {13, 4}, {17, 1}, {30, 4}}));
    EXPECT_EQ(blocks.back().first + blocks.back().second - 1, 508u);

    // Every transferable SV is sent exactly once, nothing else is sent.
    std::vector<int> sent(513, 0);
    for (const auto& [sv, size] : blocks) {
        for (unsigned k = 0; k < size; ++k)
            ++sent[sv + k];
    }
    for (unsigned sv = 1; sv <= 512; ++sv) {
        const int expected = sv >= 5 && board.IsTransferable(sv) ? 1 : 0;
        EXPECT_EQ(sent[sv], expected) << "SV " << sv;
    }
}

TEST(ConfigurableBoard, TheLastSvNeverEndsABlockOfFour)
{
    TSmallBoard board(12);
    EXPECT_EQ(Walk(board), (Blocks{{5, 1}, {6, 1}, {9, 1}, {10, 1}, {11, 1}, {12, 1}}));
    TSmallBoard longer(13);
    EXPECT_EQ(Walk(longer), (Blocks{{5, 1}, {6, 1}, {9, 4}, {13, 1}}));
    TSmallBoard nothing(4);
    unsigned size = 99;
    EXPECT_EQ(nothing.NextSvBlock(0, size), 5u);
    EXPECT_EQ(size, 0u);
    TSmallBoard empty(0);
    EXPECT_TRUE(Walk(empty).empty());
}

TEST(ConfigurableBoard, TransferableSvs)
{
    TSmallBoard board(64);
    board.unused = {30, 31};
    for (unsigned sv : {1u, 2u, 7u, 8u, 29u, 30u, 31u})
        EXPECT_FALSE(board.IsTransferable(sv)) << sv;
    for (unsigned sv : {3u, 4u, 5u, 6u, 9u, 28u, 32u, 64u})
        EXPECT_TRUE(board.IsTransferable(sv)) << sv;
}

TEST(ConfigurableBoard, ListingFileFormat)
{
    // 24 SVs minus SV 1, 2, 7, 8 and three unused: 17 transferable.
    TSmallBoard board(24);
    board.unused = {20, 21, 22};
    board.SetName("Yard, east");
    board.SetSerialNumber(300);
    board.ComputeSvImage();
    std::ostringstream out;
    board.WriteSvListingTo(out);
    EXPECT_EQ(out.str(),
              "Board name = Yard, east\r\n"
              "SV Settings:\r\n"
              "SV3=44;  SV4=1;  SV5=12;  SV6=13;  SV9=16;  SV10=17;  SV11=18;  SV12=19;  \r\n"
              "SV13=20;  SV14=21;  SV15=22;  SV16=23;  SV17=24;  SV18=25;  SV19=26;  SV23=30;  \r\n"
              "SV24=31;  ");

    TSmallBoard sixteen(24);  // exactly sixteen entries: the last line ends too
    sixteen.unused = {20, 21, 22, 24};
    std::ostringstream out16;
    sixteen.WriteSvListingTo(out16);
    const std::string text = out16.str();
    EXPECT_EQ(text.substr(text.size() - 11), "SV23=0;  \r\n");
}

TEST(ConfigurableBoard, ListingFileIsWrittenOrReported)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("varnscope_listing_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    TSmallBoard board(24);
    board.ComputeSvImage();
    const std::string name = (dir / "listing.txt").string();
    ASSERT_TRUE(board.WriteSvListing(name));
    EXPECT_EQ(board.ListingErrorText(), "");
    std::ostringstream bytes;
    {
        // Closed before the folder goes: Windows removes no open file.
        std::ifstream in(name, std::ios::binary);
        bytes << in.rdbuf();
    }
    std::ostringstream expected;
    board.WriteSvListingTo(expected);
    EXPECT_EQ(bytes.str(), expected.str());

    const std::string bad = (dir / "missing" / "listing.txt").string();
    EXPECT_FALSE(board.WriteSvListing(bad));
    EXPECT_EQ(board.ListingErrorText().rfind(bad + ": cannot be written", 0), 0u);
    std::filesystem::remove_all(dir);
}

TEST(ConfigurableBoard, ListLineAndReportBySerialNumber)
{
    struct Case {
        int32_t serial;
        std::string listLine;
        std::string reportLine;
    };
    const Case cases[] = {
        {0, "not set yet\tSMALL\t Small Board", "Serial number: not set yet"},
        {1, "1\tSMALL\t Small Board", "Serial number: 1"},
        {65535, "65535\tSMALL\t Small Board", "Serial number: 65535"},
        {65536, "not set yet\tSMALL\t Small Board", "Serial number: not set yet"},  // written as 0
        {65537, "not set yet\tSMALL\t Small Board", "Serial number: not set yet"},
        {-4, "not set yet\tSMALL\t Small Board", "Serial number: not set yet"},
    };
    for (const Case& c : cases) {
        TSmallBoard board;
        board.SetSerialNumber(c.serial);
        EXPECT_EQ(board.IsSerialValid(), c.serial >= 1 && c.serial <= 65535) << c.serial;
        EXPECT_EQ(board.ListLine(), c.listLine);
        std::vector<std::string> lines;
        board.DescribeSettings(lines);
        EXPECT_EQ(lines, (std::vector<std::string>{"Board Type: SMALL", c.reportLine, "Board name: Small Board",
                                                   "Value: 7"}));
    }
}

TEST(ConfigurableBoard, BaseImageHoldsTheSerialNumber)
{
    TSmallBoard board(16);
    board.SetSerialNumber(0x1234);
    for (unsigned sv = 1; sv <= 16; ++sv)
        board.SetSvByte(sv, 0xEE);
    board.TConfigurableBoard::ComputeSvImage();
    for (unsigned sv = 1; sv <= 16; ++sv) {
        const uint8_t expected = sv == 3 ? 0x34 : sv == 4 ? 0x12 : 0;
        EXPECT_EQ(board.SvByte(sv), expected) << sv;
    }
    EXPECT_EQ(board.SvWord(3), 0x1234);
    board.SetSerialNumber(65536);  // does not fit 16 bits
    board.TConfigurableBoard::ComputeSvImage();
    EXPECT_EQ(board.SvWord(3), 0);

    board.SetSvWord(3, 0xBEEF);
    board.DecodeSvImage();
    EXPECT_EQ(board.SerialNumber(), 0xBEEF);

    EXPECT_EQ(board.SvByte(0), 0);
    EXPECT_EQ(board.SvByte(17), 0);
    board.SetSvByte(17, 5);  // outside the image: ignored
    board.SetSvByte(0, 5);
    EXPECT_EQ(board.SvImage().size(), 16u);
}

TEST(ConfigurableBoard, CopyTakesTheBoardData)
{
    TSmallBoard board(20);
    board.SetName("Original");
    board.SetSerialNumber(77);
    board.SetSoftwareVersion(4);
    board.SetSvByte(20, 9);
    board.SetQuoteTexts(false);
    TSmallBoard copy(4);
    copy = board;
    EXPECT_EQ(copy.Name(), "Original");
    EXPECT_EQ(copy.SerialNumber(), 77);
    EXPECT_EQ(copy.SoftwareVersion(), 4);
    EXPECT_EQ(copy.SvLength(), 20u);
    EXPECT_EQ(copy.SvByte(20), 9);
    EXPECT_TRUE(copy.QuoteTexts());
    const TSmallBoard constructed(board);
    EXPECT_EQ(constructed.SvImage(), board.SvImage());
    EXPECT_TRUE(constructed.QuoteTexts());
}

TEST(ConfigurableBoard, NewBoardDefaults)
{
    TSmallBoard board;
    EXPECT_EQ(board.SerialNumber(), 0);
    EXPECT_EQ(board.SoftwareVersion(), 1);
    EXPECT_TRUE(board.QuoteTexts());
    EXPECT_FALSE(board.IsSerialValid());
}

TEST(ConfigurableBoard, IdentitiesOfTheBoardTypes)
{
    // Accepted device ids per type; vendor 46 always, vendor 1 except for the PAX66.
    const std::vector<int32_t> devices[kBoardTypeCount] = {{1}, {2, 3, 4}, {5}, {6}, {7}, {9}, {10}};
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        for (int32_t vendor : {0, 1, 2, 45, 46, 47}) {
            for (int32_t device = -1; device <= 12; ++device) {
                const bool deviceOk =
                    std::find(devices[type].begin(), devices[type].end(), device) != devices[type].end();
                const bool vendorOk = vendor == 46 || (vendor == 1 && type != btPAX66);
                EXPECT_EQ(TConfigurableBoard::IdentityAccepted(type, vendor, device), deviceOk && vendorOk)
                    << int(type) << " " << vendor << " " << device;
            }
        }
    }
    EXPECT_FALSE(TConfigurableBoard::IdentityAccepted(7, 46, 1));

    TSmallBoard board;  // answers as a VELA40
    board.SetSerialNumber(12);
    EXPECT_TRUE(board.MatchesIdentity(1, 1, 12));
    EXPECT_TRUE(board.MatchesIdentity(46, 1, 12));
    EXPECT_FALSE(board.MatchesIdentity(46, 1, 13));
    EXPECT_FALSE(board.MatchesIdentity(46, 5, 12));
}
