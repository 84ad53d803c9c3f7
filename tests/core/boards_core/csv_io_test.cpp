#include "boards/core/Csv_io.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> FieldsOf(TCsvIo& record)
{
    std::vector<std::string> fields;
    const unsigned count = record.FieldCount();
    for (unsigned i = 0; i < count; ++i)
        fields.push_back(record.GetTextField(i));
    return fields;
}

// Reads every line of the text; each line's raw fields (quotes as the reader left them).
std::vector<std::vector<std::string>> ReadAll(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::vector<std::string>> lines;
    TCsvIo record;
    while (record.ReadLine(in) > 0)
        lines.push_back(FieldsOf(record));
    return lines;
}

}  // namespace

TEST(CsvIoWrite, RecordWithGapAndMinimumFields)
{
    TCsvIo record;
    record.SetQuoteTexts(true);
    record.SetTextField(0, "ABC");
    record.SetIntField(2, 1234);
    std::ostringstream out;
    record.WriteLine(out, 4);
    EXPECT_EQ(out.str(), "\"ABC\",,1234,\r\n");
}

TEST(CsvIoWrite, MinimumAndLongerRecords)
{
    struct Case {
        std::vector<int> values;
        unsigned minimum;
        std::string line;
    };
    const Case cases[] = {
        {{}, 0, "\r\n"},
        {{}, 3, ",,\r\n"},
        {{1}, 1, "1\r\n"},
        {{1, -2, 3}, 2, "1,-2,3\r\n"},
        {{5}, 18, "5,,,,,,,,,,,,,,,,,\r\n"},
    };
    for (const Case& c : cases) {
        TCsvIo record;
        for (size_t i = 0; i < c.values.size(); ++i)
            record.SetIntField(static_cast<unsigned>(i), c.values[i]);
        std::ostringstream out;
        record.WriteLine(out, c.minimum);
        EXPECT_EQ(out.str(), c.line) << c.minimum;
    }
}

TEST(CsvIoRead, CharacterRules)
{
    using Lines = std::vector<std::vector<std::string>>;
    struct Case {
        std::string input;
        Lines lines;
    };
    const Case cases[] = {
        {",,\n", {{"", "", ""}}},
        {"\n", {{""}}},
        {"", {}},
        {"a,b\r\nc\n", {{"a", "b"}, {"c"}}},
        {"a,b\nc\n", {{"a", "b"}, {"c"}}},
        {"\"a,b\",c\n", {{"a,b", "c"}}},
        {"a\"b,c\n", {{"a\"b", "c"}}},                    // quote inside an unquoted field is kept
        {"\"say \"hi\"\"\n", {{"say hi\"\""}}},            // quotes are never doubled or escaped
        {"\"open,\nnext\n", {{"open,"}, {"next"}}},        // a line end ends the line inside quotes
        // A lone CR does not end the line; a text reads it as the space it is
        // written as.
        {"a\rb\n", {{"a b"}}},
        {"x\r\r\n", {{"x "}}},
        {"last", {{"last"}}},                              // a last line without its line end
        {"\"\"\"lead\n", {{"\"lead"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadAll(c.input), c.lines) << c.input;
}

TEST(CsvIoRead, EndOfInputGivesNoFields)
{
    std::istringstream in("one\n");
    TCsvIo record;
    EXPECT_EQ(record.ReadLine(in), 1u);
    EXPECT_FALSE(TCsvIo::ReadPastEnd(in));
    EXPECT_EQ(record.ReadLine(in), 0u);
    EXPECT_EQ(record.FieldCount(), 0u);
    EXPECT_EQ(record.GetTextField(3), "");  // columns beyond the line read empty
    EXPECT_TRUE(TCsvIo::ReadPastEnd(in));
    EXPECT_EQ(TCsvIo::LinesRead(in), 1);
}

TEST(CsvIoRead, IntegerColumns)
{
    struct Case {
        std::string field;
        int32_t value;
        bool bad;
    };
    const Case cases[] = {
        {"12", 12, false},        {"12 ", 12, false},  {"12x", 12, true},
        {"abc", 0, true},         {"", 0, true},       {"-5", -5, false},
        {" 7", 7, false},         {"7\t", 7, true},    {"+3", 3, false},
        {"2147483647", INT32_MAX, false},              {"-2147483648", INT32_MIN, false},
        {"99999999999", INT32_MAX, true},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.field + "\n");
        TCsvIo record;
        record.ReadLine(in);
        EXPECT_EQ(record.GetIntField(0), c.value) << '"' << c.field << '"';
        EXPECT_EQ(record.BadValue(), c.bad) << '"' << c.field << '"';
    }
}

TEST(CsvIoRead, BadValueIsNeverCleared)
{
    std::istringstream in("x,5\n");
    TCsvIo record;
    record.ReadLine(in);
    record.GetIntField(0);
    EXPECT_EQ(record.GetIntField(1), 5);
    record.ReadLine(in);
    EXPECT_TRUE(record.BadValue());
}

TEST(CsvIoText, StoredQuotedTextReadsWithoutQuotes)
{
    TCsvIo record;
    record.SetQuoteTexts(true);
    record.SetTextField(1, "Main line");
    EXPECT_EQ(record.GetTextField(1), "Main line");
    EXPECT_EQ(record.GetTextField(0), "");
}

// Every text a record writes and reads back, with quoting on and off.
TEST(CsvIoText, WrittenTextsReadBack)
{
    struct Case {
        bool quote;
        std::string text;
        std::string field;  // as written between the commas
        std::string back;   // as read back
    };
    const Case cases[] = {
        {true, "plain", "\"plain\"", "plain"},
        {true, "a,b", "\"a,b\"", "a,b"},
        // No escape for quotes: the text up to its first quote goes inside the quotes, the rest after.
        {true, "say \"hi\"", "\"say \"\"hi\"", "say \"hi\""},
        {true, "", "\"\"", ""},
        {false, "plain", "plain", "plain"},
        {false, "", "", ""},
        {false, "a,b", "\"a,b\"", "a,b"},
        {false, "up, then down", "\"up, then down\"", "up, then down"},
        {false, "\"Main\" platform", "\"\"\"Main\" platform", "\"Main\" platform"},
        {false, "mid\"quote", "mid\"quote", "mid\"quote"},
        {true, "two\r\nlines", "\"two  lines\"", "two  lines"},
        {false, "two\nlines", "two lines", "two lines"},
    };
    for (const Case& c : cases) {
        TCsvIo writer;
        writer.SetQuoteTexts(c.quote);
        writer.SetIntField(0, 1);
        writer.SetTextField(1, c.text);
        writer.SetIntField(2, 2);
        std::ostringstream out;
        writer.WriteLine(out, 3);
        EXPECT_EQ(out.str(), "1," + c.field + ",2\r\n") << c.text;

        std::istringstream in(out.str());
        TCsvIo reader;
        EXPECT_EQ(reader.ReadLine(in), 3u) << c.text;
        EXPECT_EQ(reader.GetTextField(1), c.back) << c.text;
        EXPECT_EQ(reader.GetIntField(2), 2) << c.text;
    }
}

TEST(CsvIoText, UnquotedPlainTextsKeepTheirOldForm)
{
    // Files written before keep reading the same: plain texts stay unquoted.
    TCsvIo record;
    record.SetTextField(0, "Signal 1 (west)");
    std::ostringstream out;
    record.WriteLine(out, 2);
    EXPECT_EQ(out.str(), "Signal 1 (west),\r\n");
}

TEST(CsvIoStrict, Conversions)
{
    struct Case {
        std::string text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"12", true, 12},          {"-3", true, -3},        {"+4", true, 4},
        {"0", true, 0},            {"", false, 0},          {"-", false, 0},
        {"12x", false, 0},         {" 12", false, 0},       {"12 ", false, 0},
        {"1.5", false, 0},         {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},                   {"2147483648", false, 0},
        {"99999999999999999999", false, 0},                 {"abc", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = -77;
        EXPECT_EQ(TCsvIo::TryStrictInt(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
            EXPECT_EQ(TCsvIo::StrictInt(c.text), c.value);
        } else {
            EXPECT_EQ(value, -77) << "a failed conversion leaves the value alone";
            try {
                TCsvIo::StrictInt(c.text);
                ADD_FAILURE() << "no exception for " << c.text;
            } catch (const TCsvConversionError& e) {
                EXPECT_EQ(std::string(e.what()), "'" + c.text + "' is not a valid integer value");
                EXPECT_EQ(e.Text(), c.text);
            }
        }
    }
}

TEST(CsvIoRead, LinesAreCountedPerStream)
{
    std::istringstream in("a\r\nb\n\nc");
    TCsvIo first;
    TCsvIo second;
    first.ReadLine(in);
    second.ReadLine(in);
    EXPECT_EQ(TCsvIo::LinesRead(in), 2);
    first.ReadLine(in);
    second.ReadLine(in);
    EXPECT_EQ(TCsvIo::LinesRead(in), 4);
    EXPECT_FALSE(TCsvIo::ReadPastEnd(in));
    TCsvIo::ResetReadPosition(in);
    EXPECT_EQ(TCsvIo::LinesRead(in), 0);

    std::istringstream other("x\n");
    EXPECT_EQ(TCsvIo::LinesRead(other), 0);
}
