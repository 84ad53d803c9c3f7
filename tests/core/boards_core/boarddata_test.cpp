#include "Smallboard.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <random>

namespace fs = std::filesystem;

namespace {

TSmallBoard* Small(TConfigurableBoard* board)
{
    return dynamic_cast<TSmallBoard*>(board);
}

// The names of the list's boards in order.
std::string Names(const TBoardData& data, uint8_t type)
{
    std::string names;
    for (int i = 0; i < data.BoardCount(type); ++i)
        names += data.BoardAt(type, i)->Name();
    return names;
}

void Fill(TBoardData& data, uint8_t type, const std::string& names)
{
    for (char c : names) {
        ASSERT_TRUE(data.AppendBoard(type));
        data.BoardAt(type, data.BoardCount(type) - 1)->SetName(std::string(1, c));
    }
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class BoardDataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("varnscope_boards_core_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
    TBoardData data_{SmallFactory()};
};

}  // namespace

TEST(BoardData, TypeNames)
{
    const char* shortNames[] = {"VELA40", "ORT50", "VELA80", "MUV7", "PAX60", "TEL90", "PAX66"};
    const char* longNames[] = {"VELA40 Signal Controller",     "ORT50 Kestrix",
                               "VELA80 Signal Controller",     "MUV7 Pendulo",
                               "PAX60 Gantrel",                "TEL90 16-channel Sensor Board",
                               "PAX66 Enhanced Accessory Decoder"};
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        EXPECT_EQ(TBoardData::ShortTypeName(type), shortNames[type]);
        EXPECT_EQ(TBoardData::LongTypeName(type), longNames[type]);
        EXPECT_EQ(BoardTypeFromName(shortNames[type]), type);
    }
    EXPECT_EQ(BoardTypeFromName("pax66"), 6);
    EXPECT_EQ(BoardTypeFromName("Vela80"), 2);
    EXPECT_EQ(BoardTypeFromName("VELA"), -1);
    EXPECT_EQ(BoardTypeFromName(""), -1);
    EXPECT_EQ(TBoardData::ShortTypeName(7), "");
    EXPECT_EQ(BoardFactoryRow(7), nullptr);
    EXPECT_EQ(BoardFactoryRow(-1), nullptr);
}

TEST(BoardData, FactoryGivesATextForTypesWithoutModel)
{
    EXPECT_EQ(MakeBoard(7), nullptr);
    EXPECT_EQ(BoardFactoryError(7), "unknown board type 7");
    for (int type = 0; type < kBoardTypeCount; ++type) {
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        if (board) {
            EXPECT_EQ(board->BoardTypeName(), TBoardData::ShortTypeName(type));
            EXPECT_EQ(BoardFactoryError(type), "");
            EXPECT_EQ(board->SerialNumber(), 0);
            EXPECT_EQ(board->SoftwareVersion(), 1);
        } else {
            EXPECT_EQ(BoardFactoryError(type),
                      "board type " + TBoardData::ShortTypeName(type) + " is not available in this build");
        }
    }
    TBoardData data([](int) { return nullptr; });
    EXPECT_FALSE(data.AppendBoard(2));
    EXPECT_FALSE(data.LastErrorText().empty());
    EXPECT_EQ(data.BoardCount(2), 0);
    EXPECT_FALSE(data.IsModified(2));
}

TEST(BoardData, InsertAppendDeleteKeepOrder)
{
    struct Case {
        std::string start;
        int position;
        std::string result;
    };
    const Case inserts[] = {{"ABC", 0, "NABC"}, {"ABC", 2, "ABNC"}, {"ABC", 3, "ABCN"}, {"", 0, "N"}};
    for (const Case& c : inserts) {
        TBoardData data(SmallFactory());
        Fill(data, 0, c.start);
        ASSERT_TRUE(data.InsertBoard(0, c.position));
        data.BoardAt(0, c.position)->SetName("N");
        EXPECT_EQ(Names(data, 0), c.result);
    }
    const Case deletes[] = {{"ABC", 1, "AC"}, {"ABC", 0, "BC"}, {"ABC", 2, "AB"}, {"A", 0, ""}};
    for (const Case& c : deletes) {
        TBoardData data(SmallFactory());
        Fill(data, 0, c.start);
        ASSERT_TRUE(data.DeleteBoard(0, c.position));
        EXPECT_EQ(Names(data, 0), c.result);
    }
}

TEST(BoardData, PositionsOutOfRangeChangeNothing)
{
    TBoardData data(SmallFactory());
    Fill(data, 0, "AB");
    EXPECT_FALSE(data.InsertBoard(0, 3));
    EXPECT_FALSE(data.InsertBoard(0, -1));
    EXPECT_FALSE(data.DeleteBoard(0, 2));
    EXPECT_FALSE(data.DeleteBoard(0, -1));
    EXPECT_FALSE(data.DeleteBoard(9, 0));
    EXPECT_EQ(data.BoardAt(0, 2), nullptr);
    EXPECT_EQ(data.BoardAt(0, -1), nullptr);
    EXPECT_EQ(data.BoardAt(8, 0), nullptr);
    EXPECT_EQ(data.BoardForChange(1, 0), nullptr);
    EXPECT_FALSE(data.IsModified(1));
    EXPECT_EQ(Names(data, 0), "AB");
}

TEST(BoardData, CapacityGrowsByTen)
{
    TBoardData data(SmallFactory());
    EXPECT_EQ(data.Capacity(0), 10);
    std::string names;
    for (int i = 0; i < 21; ++i) {
        names += static_cast<char>('a' + i);
        data.AppendBoard(0);
        data.BoardAt(0, i)->SetName(names.substr(i));
        const int expected = i < 10 ? 10 : (i < 20 ? 20 : 30);
        EXPECT_EQ(data.Capacity(0), expected) << "after board " << i + 1;
    }
    std::string order;
    for (int i = 0; i < 21; ++i)
        order += data.BoardAt(0, i)->Name();
    EXPECT_EQ(order, names);
    data.ClearList(0);
    EXPECT_EQ(data.Capacity(0), 30);  // lists never shrink
    EXPECT_EQ(data.Capacity(1), 10);
}

TEST(BoardData, ModifiedFlags)
{
    TBoardData data(SmallFactory());
    EXPECT_FALSE(data.AnyModified());
    data.AppendBoard(1);
    EXPECT_TRUE(data.IsModified(1));
    EXPECT_FALSE(data.IsModified(0));
    EXPECT_TRUE(data.AnyModified());
    data.ClearList(1);  // clearing forgets the changes
    EXPECT_FALSE(data.AnyModified());
    EXPECT_EQ(data.BoardAt(1, 0), nullptr);
}

TEST_F(BoardDataFiles, LookingIsNoChangeButHandingOutIs)
{
    Fill(data_, 0, "AB");
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("ab.csv")));
    EXPECT_FALSE(data_.IsModified(0));
    data_.BoardAt(0, 1);
    EXPECT_FALSE(data_.IsModified(0));
    EXPECT_EQ(data_.BoardForChange(0, 1)->Name(), "B");
    EXPECT_TRUE(data_.IsModified(0));
    ASSERT_TRUE(data_.SaveList(0));
    data_.DeleteBoard(0, 0);
    EXPECT_TRUE(data_.IsModified(0));
}

TEST_F(BoardDataFiles, ClearKeepsAndCloseForgetsTheFileName)
{
    Fill(data_, 0, "AB");
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("ab.csv")));
    EXPECT_TRUE(data_.HasFileName(0));
    data_.ClearList(0);
    EXPECT_EQ(data_.FileNameOf(0), PathOf("ab.csv"));
    EXPECT_EQ(data_.BoardCount(0), 0);
    data_.AppendBoard(0);
    data_.CloseList(0);
    EXPECT_FALSE(data_.HasFileName(0));
    EXPECT_EQ(data_.FileNameOf(0), "");
    EXPECT_FALSE(data_.IsModified(0));
    EXPECT_EQ(data_.BoardCount(0), 0);
}

TEST(BoardData, FindBySerialTakesTheLastOne)
{
    TBoardData data(SmallFactory());
    Fill(data, 0, "ABC");
    Fill(data, 1, "DE");
    data.BoardAt(0, 0)->SetSerialNumber(5);
    data.BoardAt(0, 2)->SetSerialNumber(5);
    data.BoardAt(1, 0)->SetSerialNumber(6);
    data.BoardAt(0, 1)->SetSerialNumber(6);
    EXPECT_EQ(data.FindBySerial(5)->Name(), "C");
    EXPECT_EQ(data.FindBySerial(6)->Name(), "D");  // higher type wins over later position
    EXPECT_EQ(data.FindBySerial(7), nullptr);
    EXPECT_EQ(data.FindBySerial(0)->Name(), "E");  // new boards have serial 0
}

TEST_F(BoardDataFiles, SavedFileReadsBackToTheSameBytes)
{
    Fill(data_, 0, "ABC");
    Small(data_.BoardAt(0, 0))->part.note = "up, then down";
    Small(data_.BoardAt(0, 1))->part.note = "\"Main\" platform";
    Small(data_.BoardAt(0, 1))->value = -40;
    data_.BoardAt(0, 2)->SetName("C, the last");
    data_.BoardAt(0, 2)->SetSerialNumber(65536);
    Small(data_.BoardAt(0, 2))->part.point = 300;
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("first.csv")));
    const std::string bytes = ReadBytes(PathOf("first.csv"));
    const std::string firstBoard = "\"SMALL_BOARD\",\"A\",0,7,,\r\n,note,\"up, then down\",1 Closed,\r\n";
    EXPECT_EQ(bytes.substr(0, firstBoard.size()), firstBoard);

    TBoardData back(SmallFactory());
    ASSERT_TRUE(back.LoadList(1, PathOf("first.csv"))) << back.LastErrorText();
    EXPECT_EQ(back.LastErrorText(), "");
    ASSERT_EQ(back.BoardCount(1), 3);
    EXPECT_EQ(Names(back, 1), "ABC, the last");
    EXPECT_EQ(Small(back.BoardAt(1, 0))->part.note, "up, then down");
    EXPECT_EQ(Small(back.BoardAt(1, 1))->part.note, "\"Main\" platform");
    EXPECT_EQ(Small(back.BoardAt(1, 1))->value, -40);
    EXPECT_EQ(Small(back.BoardAt(1, 2))->part.point, 300);
    EXPECT_EQ(back.BoardAt(1, 2)->SerialNumber(), 65536);
    EXPECT_FALSE(back.IsModified(1));
    EXPECT_EQ(back.FileNameOf(1), PathOf("first.csv"));

    ASSERT_TRUE(back.SaveListAs(1, PathOf("second.csv")));
    EXPECT_EQ(ReadBytes(PathOf("second.csv")), bytes);
}

TEST_F(BoardDataFiles, LoadingAppendsToTheList)
{
    Fill(data_, 0, "AB");
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("ab.csv")));
    ASSERT_TRUE(data_.LoadList(0, PathOf("ab.csv")));
    EXPECT_EQ(Names(data_, 0), "ABAB");
    EXPECT_FALSE(data_.IsModified(0));
}

TEST_F(BoardDataFiles, SavingAnEmptyListLeavesTheFileAlone)
{
    WriteBytes(PathOf("old.csv"), "old content\r\n");
    Fill(data_, 0, "A");
    data_.SaveListAs(0, PathOf("old.csv"));
    WriteBytes(PathOf("old.csv"), "old content\r\n");
    data_.DeleteBoard(0, 0);
    EXPECT_TRUE(data_.IsModified(0));
    EXPECT_FALSE(data_.SaveList(0));
    EXPECT_EQ(data_.LastErrorText(), "");
    EXPECT_FALSE(data_.IsModified(0));
    EXPECT_EQ(ReadBytes(PathOf("old.csv")), "old content\r\n");
}

TEST_F(BoardDataFiles, MalformedFilesLoadWithoutCrashing)
{
    struct Case {
        const char* what;
        std::string content;
        bool ok;
        int boards;
        std::string error;  // what the text holds after the file name; empty when ok
    };
    const std::string good = "\"SMALL_BOARD\",\"G\",12,34,,\r\n,\"note\",text,5 Closed,\r\n";
    const Case cases[] = {
        {"empty", "", true, 0, ""},
        {"missing columns", "SMALL_BOARD\n,note,,5\n", true, 1, ""},
        {"garbage numbers", "SMALL_BOARD,\"X\",abc,12x\n,note,t,7 Thrown\n", true, 1, ""},
        {"LF line ends", "SMALL_BOARD,X,1,2\n,note,t,7\n" + good, true, 2, ""},
        {"no final line end", good + "SMALL_BOARD,X,1,2\r\n,note,t,7 Closed", true, 2, ""},
        {"conversion error", good + good + "SMALL_BOARD,X,1,2\r\n,note,t,1x Closed\r\n" + good, false, 3,
         ", line 6: '1x' is not a valid integer value"},
        {"conversion error in the first board", "SMALL_BOARD\n\n", false, 1, ", line 2: '' is not a valid integer value"},
        {"truncated", good + "SMALL_BOARD,X,1,2\r\n", false, 2, ", line 3: the file ends inside a VELA40 board"},
        {"binary junk", std::string("\0\xff\x01,\"\n\r", 7), false, 1, ", line 2: '' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const std::string path = PathOf("malformed.csv");
        WriteBytes(path, c.content);
        TBoardData data(SmallFactory());
        data.SaveListAs(0, PathOf("before.csv"));  // an earlier name, never saved over with these boards
        const bool ok = data.LoadList(0, path);
        EXPECT_EQ(ok, c.ok) << c.what << ": " << data.LastErrorText();
        EXPECT_EQ(data.BoardCount(0), c.boards) << c.what;
        EXPECT_EQ(data.FileNameOf(0), path) << c.what;
        EXPECT_EQ(data.IsPartlyRead(0), !c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(data.LastErrorText(), "") << c.what;
            EXPECT_FALSE(data.IsModified(0)) << c.what;
        } else {
            EXPECT_EQ(data.LastErrorText(), path + c.error) << c.what;
            EXPECT_TRUE(data.IsModified(0)) << c.what;
            // Saving the part read would cut the damaged file short.
            EXPECT_FALSE(data.SaveList(0)) << c.what;
            EXPECT_EQ(ReadBytes(path), c.content) << c.what;
        }
    }
}

TEST_F(BoardDataFiles, BoardsBeforeAConversionErrorStay)
{
    WriteBytes(PathOf("bad.csv"),
               "SMALL_BOARD,One,1,10\r\n,note,first,4 Closed\r\nSMALL_BOARD,Two,2,20\r\n,note,second,x4 Closed\r\n");
    EXPECT_FALSE(data_.LoadList(0, PathOf("bad.csv")));
    ASSERT_EQ(data_.BoardCount(0), 2);
    EXPECT_EQ(Small(data_.BoardAt(0, 0))->part.point, 4);
    EXPECT_EQ(data_.BoardAt(0, 1)->Name(), "Two");  // the last one partly read
    EXPECT_EQ(Small(data_.BoardAt(0, 1))->part.note, "second");
    EXPECT_EQ(data_.LastErrorText(), PathOf("bad.csv") + ", line 4: 'x4' is not a valid integer value");
}

TEST_F(BoardDataFiles, APartlyReadListIsSavedOnlyUnderAChosenName)
{
    const std::string damaged = "SMALL_BOARD,One,1,10\r\n,note,first,4 Closed\r\nSMALL_BOARD,Two,2,20\r\n,note,x,y\r\n";
    WriteBytes(PathOf("damaged.csv"), damaged);
    EXPECT_FALSE(data_.LoadList(0, PathOf("damaged.csv")));
    ASSERT_TRUE(data_.IsPartlyRead(0));
    EXPECT_FALSE(data_.SaveList(0));
    EXPECT_EQ(data_.LastErrorText(), PathOf("damaged.csv") +
                                         " was read only in part: saving the 2 boards read would replace the whole "
                                         "file; save them with Save As");
    EXPECT_TRUE(data_.IsModified(0));
    EXPECT_EQ(ReadBytes(PathOf("damaged.csv")), damaged);

    // A name the operator chose takes them, even the damaged file's own.
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("damaged.csv"))) << data_.LastErrorText();
    EXPECT_FALSE(data_.IsPartlyRead(0));
    EXPECT_FALSE(data_.IsModified(0));
    EXPECT_NE(ReadBytes(PathOf("damaged.csv")), damaged);
    EXPECT_TRUE(data_.SaveList(0));

    // Emptying the list ends it too.
    WriteBytes(PathOf("damaged.csv"), damaged);
    EXPECT_FALSE(data_.LoadList(1, PathOf("damaged.csv")));
    data_.ClearList(1);
    EXPECT_FALSE(data_.IsPartlyRead(1));
}

TEST_F(BoardDataFiles, OpeningReplacesTheListOnlyWithAFileReadWhole)
{
    Fill(data_, 0, "AB");
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("old.csv")));
    data_.BoardForChange(0, 1)->SetName("C");  // an unsaved change, kept when the open fails
    const std::string oldBytes = ReadBytes(PathOf("old.csv"));
    WriteBytes(PathOf("damaged.csv"), "SMALL_BOARD,One,1,10\r\n,note,first,4 Closed\r\nSMALL_BOARD,Two\r\n");
    WriteBytes(PathOf("good.csv"), "SMALL_BOARD,X,1,10\r\n,note,first,4 Closed\r\n");

    for (const char* name : {"damaged.csv", "missing.csv"}) {
        EXPECT_FALSE(data_.OpenList(0, PathOf(name))) << name;
        EXPECT_EQ(data_.LastErrorText().rfind(PathOf(name), 0), 0u) << data_.LastErrorText();
        EXPECT_EQ(Names(data_, 0), "AC") << name;
        EXPECT_EQ(data_.FileNameOf(0), PathOf("old.csv")) << name;
        EXPECT_TRUE(data_.IsModified(0)) << name;
        EXPECT_FALSE(data_.IsPartlyRead(0)) << name;
    }
    EXPECT_EQ(ReadBytes(PathOf("old.csv")), oldBytes);

    ASSERT_TRUE(data_.OpenList(0, PathOf("good.csv"))) << data_.LastErrorText();
    EXPECT_EQ(Names(data_, 0), "X");
    EXPECT_EQ(data_.FileNameOf(0), PathOf("good.csv"));
    EXPECT_FALSE(data_.IsModified(0));
}

TEST_F(BoardDataFiles, AFileThatCannotBeOpenedAddsNoBoard)
{
    Fill(data_, 0, "A");
    EXPECT_FALSE(data_.LoadList(0, PathOf("missing.csv")));
    EXPECT_EQ(data_.LastErrorText(), PathOf("missing.csv") + ": cannot be opened: No such file or directory");
    EXPECT_EQ(data_.BoardCount(0), 1);
    EXPECT_EQ(data_.FileNameOf(0), PathOf("missing.csv"));  // kept, so that it is not forgotten

    EXPECT_FALSE(data_.LoadList(0, dir_.string()));
    EXPECT_NE(data_.LastErrorText().find("cannot be opened"), std::string::npos);
    EXPECT_EQ(data_.BoardCount(0), 1);
}

TEST_F(BoardDataFiles, AFailedWriteLeavesTheOldFileWhole)
{
    Fill(data_, 0, "ABC");
    ASSERT_TRUE(data_.SaveListAs(0, PathOf("list.csv")));
    const std::string before = ReadBytes(PathOf("list.csv"));

    data_.BoardForChange(0, 2)->SetName("Changed");
    Small(data_.BoardAt(0, 1))->failWrite = true;
    EXPECT_FALSE(data_.SaveList(0));
    EXPECT_EQ(data_.LastErrorText().rfind(PathOf("list.csv") + ": cannot be written", 0), 0u)
        << data_.LastErrorText();
    EXPECT_TRUE(data_.IsModified(0));
    EXPECT_EQ(ReadBytes(PathOf("list.csv")), before);
    // Nothing is left behind next to it.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    Small(data_.BoardAt(0, 1))->failWrite = false;
    EXPECT_TRUE(data_.SaveList(0));
    EXPECT_FALSE(data_.IsModified(0));
    EXPECT_NE(ReadBytes(PathOf("list.csv")), before);
}

TEST_F(BoardDataFiles, AnUnwritableTargetIsReported)
{
    Fill(data_, 0, "A");
    EXPECT_FALSE(data_.SaveListAs(0, PathOf("no/such/folder/list.csv")));
    EXPECT_EQ(data_.LastErrorText().rfind(PathOf("no/such/folder/list.csv") + ": cannot be written", 0), 0u)
        << data_.LastErrorText();
    EXPECT_TRUE(data_.IsModified(0));

    EXPECT_FALSE(data_.SaveListAs(0, dir_.string()));  // a folder
    EXPECT_TRUE(fs::is_directory(dir_));

    ASSERT_TRUE(data_.SaveListAs(0, PathOf("kept.csv")));
    const std::string before = ReadBytes(PathOf("kept.csv"));
    data_.BoardForChange(0, 0)->SetName("New name");
    fs::permissions(dir_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    // Permissions do not stop a privileged user: then there is nothing to see.
    const bool guarded = !std::ofstream(PathOf("probe")).is_open();
    if (guarded) {
        EXPECT_FALSE(data_.SaveList(0));
        EXPECT_NE(data_.LastErrorText().find("cannot be written"), std::string::npos);
        EXPECT_EQ(ReadBytes(PathOf("kept.csv")), before);
    }
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(BoardDataFiles, SavingWithoutAFileNameIsAnError)
{
    Fill(data_, 0, "A");
    EXPECT_FALSE(data_.SaveList(0));
    EXPECT_FALSE(data_.LastErrorText().empty());
    EXPECT_TRUE(data_.IsModified(0));
}

TEST(BoardData, ReadingFromAStreamNamesTheSource)
{
    TBoardData data(SmallFactory());
    std::istringstream in("SMALL_BOARD,A,1,2\n,note,n,bad\n");
    EXPECT_FALSE(data.ReadList(0, in, "pasted text"));
    EXPECT_EQ(data.LastErrorText(), "pasted text, line 2: 'bad' is not a valid integer value");
}

// Every built-in model through the collection: saved, loaded, saved again to the same bytes.
TEST_F(BoardDataFiles, EveryModelReadsBackItsOwnFile)
{
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        if (!BoardFactoryRow(type)->make)
            continue;
        SCOPED_TRACE(TBoardData::ShortTypeName(type));
        TBoardData data;
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(data.AppendBoard(type)) << data.LastErrorText();
            data.BoardAt(type, i)->SetSerialNumber(100 + i);
            data.BoardAt(type, i)->SetName("Board, number " + std::to_string(i));
        }
        const std::string first = PathOf(TBoardData::ShortTypeName(type) + ".csv");
        ASSERT_TRUE(data.SaveListAs(type, first)) << data.LastErrorText();

        TBoardData back;
        ASSERT_TRUE(back.LoadList(type, first)) << back.LastErrorText();
        ASSERT_EQ(back.BoardCount(type), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(back.BoardAt(type, i)->SerialNumber(), 100 + i);
            EXPECT_EQ(back.BoardAt(type, i)->Name(), "Board, number " + std::to_string(i));
            EXPECT_EQ(back.BoardAt(type, i)->ListLine(),
                      std::to_string(100 + i) + "\t" + TBoardData::ShortTypeName(type) + "\t Board, number " +
                          std::to_string(i));
        }
        const std::string second = PathOf(TBoardData::ShortTypeName(type) + ".again.csv");
        ASSERT_TRUE(back.SaveListAs(type, second));
        EXPECT_EQ(ReadBytes(second), ReadBytes(first));
    }
}

// A file says which list it belongs to by its first line, as its boards
// write it: every model's own file is recognised; anything else is refused
// with the file's name and a reason, and nothing past the first line is read.
TEST_F(BoardDataFiles, AFileNamesTheTypeOfItsList)
{
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        SCOPED_TRACE(TBoardData::ShortTypeName(type));
        TBoardData data;
        ASSERT_TRUE(data.AppendBoard(type));
        const std::string path = PathOf(TBoardData::ShortTypeName(type) + ".csv");
        ASSERT_TRUE(data.SaveListAs(type, path));
        std::string error;
        EXPECT_EQ(TBoardData::FileBoardType(path, error), type);
        EXPECT_EQ(error, "");
    }
    const struct {
        const char* name;
        std::string bytes;
        std::string error;  // after "<path>"
    } strangers[] = {
        {"empty", "", ": not a board file: its first line names no board type"},
        {"blank first line", "\r\n\"VELA40_BOARD\",x\r\n", ": not a board file: its first line names no board type"},
        {"another program's", "Name,Address\r\n",
         ": not a board file: its first line names no board type ('Name')"},
        {"only a near name", "\"VELA40_BOARDS\",x\r\n",
         ": not a board file: its first line names no board type ('VELA40_BOARDS')"},
        {"endless first line", std::string(200000, 'x'), ", line 1: "},
    };
    for (const auto& stranger : strangers) {
        SCOPED_TRACE(stranger.name);
        const std::string path = PathOf("stranger.csv");
        WriteBytes(path, stranger.bytes);
        std::string error;
        EXPECT_EQ(TBoardData::FileBoardType(path, error), -1);
        EXPECT_EQ(error.substr(0, path.size() + stranger.error.size()), path + stranger.error);
    }
    std::string error;
    EXPECT_EQ(TBoardData::FileBoardType(PathOf("missing.csv"), error), -1);
    EXPECT_EQ(error, PathOf("missing.csv") + ": cannot be opened: No such file or directory");
    EXPECT_EQ(TBoardData::FileBoardType(dir_.string(), error), -1);
    EXPECT_EQ(error, dir_.string() + ": cannot be opened: Is a directory");
}
