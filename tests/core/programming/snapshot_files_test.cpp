// The files of a layout snapshot: the manifest and the SV listings load
// again as written, damaged ones are refused with file and line, and the
// comparison of two listings names every SV that differs, that of two boards
// of the family every setting.
#include "boards/core/Boardcompare.h"
#include "boards/core/Boardfactory.h"
#include "programming/Tboardcompare.h"
#include "programming/Tsnapshotfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SnapshotFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = (fs::temp_directory_path() /
                   ("snapshot-files-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
                      .string();
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void WriteText(const std::string& name, const std::string& text)
    {
        std::ofstream(SnapshotFiles::JoinPath(folder_, name), std::ios::binary) << text;
    }

    std::string folder_;
};

TEST_F(SnapshotFilesTest, ManifestLoadsAgainAsWritten)
{
    TSnapshotEntry family;
    family.address = family.serial = 102;
    family.vendor = 46;
    family.device = 2;
    family.product = "ORT50";
    family.type = 1;
    family.softwareVersion = 3;
    family.file = "ORT50.csv";
    family.boardIndex = 0;
    family.listing = "ORT50-102.txt";
    family.time = "20:15:03";
    family.result = TSnapshotEntry::kResultRead;
    TSnapshotEntry other;
    other.address = 4000;
    other.serial = 33000;
    other.vendor = 13 + 256;
    other.device = 1;
    other.product = "Signal, \"deluxe\" edition";
    other.result = "failed: not answering, Failure while reading SVs";
    TSnapshotEntry pending;
    pending.address = pending.serial = 0;
    pending.result = TSnapshotEntry::kResultPending;

    std::string error;
    ASSERT_TRUE(SnapshotFiles::WriteManifest(folder_, {family, other, pending}, error)) << error;
    std::vector<TSnapshotEntry> read;
    ASSERT_TRUE(SnapshotFiles::ReadManifest(folder_, read, error)) << error;
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].listing, "ORT50-102.txt");
    EXPECT_EQ(read[0].type, 1);
    EXPECT_EQ(read[0].softwareVersion, 3);
    EXPECT_TRUE(read[0].IsRead());
    EXPECT_EQ(read[1].address, 4000);
    EXPECT_EQ(read[1].serial, 33000);
    EXPECT_EQ(read[1].type, -1);
    EXPECT_EQ(read[1].boardIndex, -1);
    EXPECT_EQ(read[1].product, other.product);
    EXPECT_EQ(read[1].result, other.result);
    EXPECT_EQ(read[2].result, TSnapshotEntry::kResultPending);

    // Written again from what was read, the file is the same.
    std::string before;
    {
        // Closed before the file is replaced: Windows refuses to replace a file that is open.
        std::ifstream first(SnapshotFiles::JoinPath(folder_, SnapshotFiles::kManifestName), std::ios::binary);
        before.assign(std::istreambuf_iterator<char>(first), {});
    }
    ASSERT_TRUE(SnapshotFiles::WriteManifest(folder_, read, error));
    std::ifstream second(SnapshotFiles::JoinPath(folder_, SnapshotFiles::kManifestName), std::ios::binary);
    EXPECT_EQ(before, std::string((std::istreambuf_iterator<char>(second)), {}));
}

TEST_F(SnapshotFilesTest, DamagedManifestsAreRefusedWithTheirLine)
{
    const std::string heading = "serial,address,vendor,device,product,type,software version,file,board index,listing,time,result\r\n";
    const struct {
        std::string text;
        std::string expected;  // the end of the error
    } cases[] = {
        {"", "not a snapshot manifest (no heading line)"},
        {"101,,46,1\r\n", "not a snapshot manifest (no heading line)"},
        {heading + "1x,,46,1,,VELA40,1,VELA40.csv,0,VELA40-1.txt,,read\r\n", "line 2: not a board line of a snapshot"},
        {heading + "101,,46,1,,VELA99,1,VELA40.csv,0,VELA40-101.txt,,read\r\n", "line 2: not a board line of a snapshot"},
        {heading + "101,70000,46,1,,,1,,,,,\r\n", "line 2: not a board line of a snapshot"},
        {heading + "101,,46,1,,VELA40,1,../VELA40.csv,0,VELA40-101.txt,,read\r\n",
         "line 2: the file '../VELA40.csv' lies outside the snapshot"},
        {heading + "101,,46,1,,VELA40,1,VELA40.csv,,VELA40-101.txt,,read\r\n", "line 2: a board read without its file"},
        {heading + "4000,,13,1,,,1,,,,,read\r\n", "line 2: a board read without its file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteText(SnapshotFiles::kManifestName, c.text);
        std::vector<TSnapshotEntry> read;
        std::string error;
        EXPECT_FALSE(SnapshotFiles::ReadManifest(folder_, read, error));
        EXPECT_TRUE(error.ends_with(c.expected)) << error;
        EXPECT_TRUE(error.starts_with(SnapshotFiles::JoinPath(folder_, SnapshotFiles::kManifestName))) << error;
    }
}

TEST_F(SnapshotFilesTest, ListingsLoadAgainAndDamagedOnesAreRefused)
{
    std::vector<uint8_t> values(21);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint8_t>(i * 13);
    const std::string file = SnapshotFiles::JoinPath(folder_, "sv2-4000.txt");
    std::string error;
    ASSERT_TRUE(SnapshotFiles::WriteSvValues(file, "board at 4000", values, error)) << error;
    std::vector<uint8_t> read;
    ASSERT_TRUE(SnapshotFiles::ReadSvValues(file, read, error)) << error;
    EXPECT_EQ(read, values);

    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"Board name = x\r\nSV1=3;\r\n", "not an SV listing (no \"SV Settings:\" line)"},
        {"SV Settings:\r\nSV1=256;\r\n", "line 2: 'SV1=256;' is not SV<n>=<value>;"},
        {"SV Settings:\r\nSV0=1;\r\n", "line 2: 'SV0=1;' is not SV<n>=<value>;"},
        {"SV Settings:\r\nSV1=1;  SV2=x;\r\n", "line 2: 'SV2=x;' is not SV<n>=<value>;"},
        {"SV Settings:\r\nSV1=1\r\n", "line 2: 'SV1=1' is not SV<n>=<value>;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteText("bad.txt", c.text);
        EXPECT_FALSE(SnapshotFiles::ReadSvValues(SnapshotFiles::JoinPath(folder_, "bad.txt"), read, error));
        EXPECT_TRUE(error.ends_with(c.expected)) << error;
    }
}

TEST(SnapshotCompare, ListingsNameEverySvThatDiffers)
{
    EXPECT_TRUE(CompareSvValues({1, 2, 3}, {1, 2, 3}).empty());
    EXPECT_EQ(CompareSvValues({1, 2, 3}, {1, 5, 3, 0}),
              (std::vector<TBoardDifference>{{"SV2", "2", "5"}, {"SV4", "-", "0"}}));
    EXPECT_EQ(CompareSvValues({7, 8}, {7}), (std::vector<TBoardDifference>{{"SV2", "8", "-"}}));
}

// A board of the family as a snapshot or the bus holds it: the image of a new
// board of the type, or every SV 0 past the serial number (an erased board).
std::unique_ptr<TConfigurableBoard> HeldBoard(int type, bool erased)
{
    std::unique_ptr<TConfigurableBoard> fresh = MakeBoard(type);
    fresh->SetSerialNumber(300);
    fresh->ComputeSvImage();
    std::vector<uint8_t> image = fresh->SvImage();
    if (erased)
        std::fill(image.begin() + 4, image.end(), uint8_t(0));
    return BoardFromImage(type, image);
}

TEST(SnapshotCompare, BoardsOfTheFamilyDifferBySetting)
{
    // Alike: nothing, whatever the type.
    for (int type = 0; type < kBoardTypeCount; ++type)
        EXPECT_TRUE(CompareBoardSettings(*HeldBoard(type, false), *HeldBoard(type, false)).empty()) << type;

    // Settings by name, values as the report words them.
    EXPECT_EQ(CompareBoardSettings(*HeldBoard(btTEL90, true), *HeldBoard(btTEL90, false)),
              (std::vector<TBoardDifference>{{"Sensor board number", "\"0\"", "\"1\""},
                                             {"Deactivate debounce time", "\"0 ms\"", "\"500 ms\""}}));

    // An erased signal board decodes to diverging signals without a junction
    // point, which no configuration computes: still compared as it reads, and
    // a setting only one side has reads "(none)".
    const std::vector<TBoardDifference> signals =
        CompareBoardSettings(*HeldBoard(btVELA40, true), *HeldBoard(btVELA40, false));
    for (const TBoardDifference& expected :
         {TBoardDifference{"Signal 1, Signal type", "\"Diverging junction signal, controlled by point 0\"", "\"Block signal\""},
          TBoardDifference{"Signal 10, Next signal if point is thrown", "\"is always Green\"", "(none)"},
          TBoardDifference{"Signal 10, Next signal", "(none)", "\"is always Green\""}})
        EXPECT_NE(std::find(signals.begin(), signals.end(), expected), signals.end()) << expected.what;

    // Unused MUV7 steps erased (0) or as a configuration writes them (1, 0,
    // 1): the same settings in different SVs. A board that differs names the
    // SVs rather than nothing.
    const std::unique_ptr<TConfigurableBoard> erased = HeldBoard(btMUV7, true);
    const std::unique_ptr<TConfigurableBoard> rewritten = BoardFromImage(btMUV7, erased->SvImage());
    rewritten->ComputeSvImage();
    const std::vector<TBoardDifference> steps = CompareBoardSettings(*erased, *rewritten);
    ASSERT_FALSE(steps.empty());
    for (const TBoardDifference& d : steps)
        EXPECT_TRUE(d.what.starts_with("SV") && d.before == "0" && d.after == "1") << DifferenceText(d, "a", "b");
}

TEST_F(SnapshotFilesTest, FoldersAreNamedAfterTheTimeAndNeverReused)
{
    const auto when = std::chrono::system_clock::now();
    std::string first, second, error;
    ASSERT_TRUE(SnapshotFiles::CreateSnapshotFolder(folder_, when, first, error)) << error;
    ASSERT_TRUE(SnapshotFiles::CreateSnapshotFolder(folder_, when, second, error)) << error;
    EXPECT_EQ(fs::path(first).filename().string(), SnapshotFiles::FolderName(when));
    EXPECT_EQ(fs::path(second).filename().string(), SnapshotFiles::FolderName(when) + "-2");
    std::vector<TSnapshotEntry> entries;
    EXPECT_TRUE(SnapshotFiles::ReadManifest(first, entries, error)) << error;
    EXPECT_TRUE(entries.empty());
}

}  // namespace
