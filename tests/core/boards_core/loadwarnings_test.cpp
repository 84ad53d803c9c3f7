// Damaged numbers load as the format reads them but are reported once per
// file; errors quote hostile input briefly and safely; a file no list could
// need stops loading before it takes the memory of thousands of boards.
#include "boards/core/Boarddata.h"
#include "boards/core/Csv_io.h"
#include "boards/pax/Ttel90board.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string Tel90File(const std::string& serial)
{
    TTEL90Board board;
    board.SetSerialNumber(102);
    std::ostringstream out(std::ios::out | std::ios::binary);
    board.WriteToFile(out);
    std::string text = out.str();
    const size_t at = text.find(",102,");
    return text.substr(0, at + 1) + serial + text.substr(at + 4);
}

}  // namespace

TEST(LoadWarnings, DamagedNumbersLoadAsReadAndAreReportedOnce)
{
    struct TCase {
        std::string serial;
        int32_t read;
        std::string warning;
    };
    const TCase cases[] = {
        {"102", 102, ""},
        {"-5", -5, ""},      // a clean number, if not a valid serial
        {"102 ", 102, ""},   // trailing blanks are allowed
        {"1x02", 1, "tel.csv, line 1, field 2: '1x02' is not a whole number; read as 1"},
        {"1e2", 1, "tel.csv, line 1, field 2: '1e2' is not a whole number; read as 1"},
        {"abc", 0, "tel.csv, line 1, field 2: 'abc' is not a whole number; read as 0"},
        {"99999999999", 2147483647, "tel.csv, line 1, field 2: '99999999999' is beyond the 32-bit range; read as 2147483647"},
    };
    for (const TCase& c : cases) {
        // Two boards, both damaged: one warning, for the first.
        const std::string one = Tel90File(c.serial);
        std::istringstream in(one + one, std::ios::in | std::ios::binary);
        TBoardData data;
        ASSERT_TRUE(data.ReadList(btTEL90, in, "tel.csv")) << data.LastErrorText();
        ASSERT_EQ(data.BoardCount(btTEL90), 2);
        EXPECT_EQ(data.BoardAt(btTEL90, 0)->SerialNumber(), c.read) << c.serial;
        EXPECT_EQ(data.LastWarningText(), c.warning) << c.serial;
    }
}

TEST(LoadWarnings, HostileInputIsQuotedBrieflyAndSafely)
{
    struct TCase {
        std::string text;
        std::string quoted;
    };
    const TCase cases[] = {
        {"12x", "'12x'"},
        {"", "''"},
        {std::string("a\nb\r\t\x1b[2J\x7f\xff", 11), "'a\\nb\\r\\t\\x1b[2J\\x7f\\xff'"},
        {std::string(80, '7'), "'" + std::string(80, '7') + "'"},
        {std::string(2'000'000, '7'), "'" + std::string(80, '7') + "...'"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TCsvIo::QuotedInput(c.text), c.quoted);
    EXPECT_EQ(TCsvConversionError(std::string(5000, 'z')).what(), "'" + std::string(80, 'z') + "...' is not a valid integer value");
}

TEST(LoadWarnings, FilesNoListNeedsStopLoadingWithFileAndLine)
{
    struct TCase {
        std::string file;
        std::string error;
    };
    const TCase cases[] = {
        {std::string(TCsvFileReading::kMaxLineLength + 10, 'x') + "\r\n",
         "big.csv, line 1: the line is longer than 65536 characters, more than any board needs"},
        {"\r\n" + std::string(1000, ',') + "\r\n",
         "big.csv, line 2: the line has more than 256 fields, more than any board needs"},
        {std::string(200000, '\n'),
         "big.csv, line 2048: more than 1024 TEL90 boards, more than any layout needs; the rest of the file is not read"},
    };
    for (const TCase& c : cases) {
        std::istringstream in(c.file, std::ios::in | std::ios::binary);
        TBoardData data;
        EXPECT_FALSE(data.ReadList(btTEL90, in, "big.csv"));
        EXPECT_EQ(data.LastErrorText(), c.error);
        EXPECT_LE(data.BoardCount(btTEL90), TBoardData::kMaxFileBoards);
    }
}

// A list holds no more boards than a file can load, so that every list the
// program saves loads again whole.
TEST(LoadWarnings, ListsStopAtWhatAFileCanLoad)
{
    TBoardData data;
    for (int i = 0; i < TBoardData::kMaxFileBoards; ++i)
        ASSERT_TRUE(data.AppendBoard(btTEL90)) << i;
    EXPECT_FALSE(data.AppendBoard(btTEL90));
    EXPECT_FALSE(data.InsertBoard(btTEL90, 0));
    EXPECT_EQ(data.LastErrorText(), "the TEL90 list holds 1024 boards, as many as a board file can hold");
    EXPECT_EQ(data.BoardCount(btTEL90), TBoardData::kMaxFileBoards);

    std::ostringstream out(std::ios::out | std::ios::binary);
    data.WriteList(btTEL90, out);
    std::istringstream in(out.str(), std::ios::in | std::ios::binary);
    TBoardData again;
    EXPECT_TRUE(again.ReadList(btTEL90, in, "tel.csv")) << again.LastErrorText();
    EXPECT_EQ(again.BoardCount(btTEL90), TBoardData::kMaxFileBoards);
}
