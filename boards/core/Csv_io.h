// One line of a comma-separated configuration file: the base of every object
// stored in a configuration file (the board collection, the boards, their parts).
//
// Writing a record: ClearFields, the setters in any column order (gaps become
// empty fields), then WriteLine. Reading: ReadLine, then the getters.
// Streams should be opened in binary mode: WriteLine writes CR LF itself and
// ReadLine accepts LF and CR LF line ends alike.
//
// Strict conversions. A few numbers inside texts (route entries, condition
// texts) must be decimal integers or the file is unreadable from that point on.
// While reading a file, convert them with StrictInt(): on failure it throws
// TCsvConversionError, which ends the loading of the file; TBoardData::LoadList
// catches it and reports it with the file name and the line number (the count
// of lines ReadLine has taken from that stream). Outside file reading (editors),
// use TryStrictInt(), which never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

// A text read from a file that should hold a decimal integer does not.
// what() is the conversion's own message, e.g. "'12x' is not a valid integer value".
class TCsvConversionError : public std::runtime_error {
public:
    explicit TCsvConversionError(const std::string& text);
    // With a message of its own, for a text that fails for another reason
    // than its digits (e.g. a point entry with no blank after its number).
    TCsvConversionError(const std::string& text, const std::string& message);
    const std::string& Text() const { return text_; }  // the offending text

private:
    std::string text_;
};

// The reading of one file, for as long as it lives (on this thread): every
// record that reads its lines from that stream notes there the first number
// field that is not a clean decimal integer, and a line longer than any board
// needs ends the reading (ReadLine throws TCsvConversionError), so that
// memory stays bounded whatever the file holds.
class TCsvFileReading {
public:
    static constexpr size_t kMaxLineLength = 64 * 1024;  // no record comes near
    static constexpr size_t kMaxFields = 256;            // records have up to 20

    explicit TCsvFileReading(std::istream& in);
    ~TCsvFileReading();
    TCsvFileReading(const TCsvFileReading&) = delete;
    TCsvFileReading& operator=(const TCsvFileReading&) = delete;

    // "line 3, field 2: '1x02' is not a whole number; read as 1", or empty
    // when every number field read was clean (empty fields are not counted:
    // the formats leave fields that do not apply empty).
    std::string Warning() const;

private:
    friend class TCsvIo;
    static TCsvFileReading* Active(const std::istream& in);
    void Note(long line, unsigned column, const std::string& text, int32_t value, bool overflow);

    std::istream* in_;
    TCsvFileReading* previous_;
    long line_ = 0;
    unsigned column_ = 0;
    std::string text_;
    int32_t value_ = 0;
    bool overflow_ = false;
};

class TCsvIo {
public:
    TCsvIo() = default;

public:  // the field record
    void ClearFields();
    unsigned FieldCount() const { return static_cast<unsigned>(fields_.size()); }

    // Every operation naming a column first extends the record with empty
    // fields up to that column; reading beyond the line gives "" or 0.
    void SetIntField(unsigned column, int32_t value);
    void SetTextField(unsigned column, const std::string& text);
    int32_t GetIntField(unsigned column);      // tolerant; see BadValue()
    // GetIntField's conversion of a text: leading digits or 0; bad is set
    // when the text is empty or has more than blanks after its number.
    static int32_t ParseTolerantInt(const std::string& text, bool& bad);
    // As above; overflow is set when the number does not fit 32 bits.
    static int32_t ParseTolerantInt(const std::string& text, bool& bad, bool& overflow);
    std::string GetTextField(unsigned column);  // one enclosing pair of quotes removed

    // Replaces the record by the fields of the next line; returns their number
    // (0 at end of input with nothing left to read).
    unsigned ReadLine(std::istream& in);
    // Writes the record as one line of at least minFields fields, CR LF, flush.
    void WriteLine(std::ostream& out, unsigned minFields);

public:  // flags
    // Set when an integer column was empty or had characters other than blanks
    // after its number; never cleared.
    bool BadValue() const { return badValue_; }
    bool QuoteTexts() const { return quoteTexts_; }
    void SetQuoteTexts(bool on) { quoteTexts_ = on; }

public:  // strict conversion of numbers inside texts
    // Optional sign and decimal digits only, within the 32-bit signed range.
    static bool TryStrictInt(const std::string& text, int32_t& value);
    // As TryStrictInt; throws TCsvConversionError when the text is no number.
    static int32_t StrictInt(const std::string& text);
    // As above; the message also names what the number is of, so that the
    // modeller knows what was expected: "'1x' is not a valid integer value
    // (the point number of 'PT 1x TH')".
    static int32_t StrictInt(const std::string& text, const std::string& what);
    // The message of a failed strict conversion of this text.
    static std::string ConversionMessage(const std::string& text);
    // A text from a file as errors and warnings quote it: in single quotes,
    // at most kQuotedLength characters of it followed by "...", control and
    // non-ASCII bytes as escapes (\n, \x1b), so that hostile input neither
    // floods nor drives the terminal.
    static std::string QuotedInput(const std::string& text);
    static constexpr size_t kQuotedLength = 80;
    // A number read from a file that the board can only store within
    // low..high: the value itself, or TCsvConversionError saying
    // "<what> <value> is out of range <low> to <high>", which ends the loading.
    static int32_t InRange(int32_t value, int32_t low, int32_t high, const std::string& what);

public:  // reading position of a stream (kept on the stream itself)
    // Lines ReadLine has taken from this stream since the last reset.
    static long LinesRead(std::istream& in);
    // True once ReadLine was asked for a line when nothing was left to read.
    static bool ReadPastEnd(std::istream& in);
    static void ResetReadPosition(std::istream& in);

private:
    std::string& FieldAt(unsigned column);

    std::vector<std::string> fields_;
    std::vector<bool> written_;  // per field: stored by SetTextField in its file form
    long fileLine_ = 0;          // the file line the fields came from; 0 when not from a watched file
    const TCsvFileReading* reading_ = nullptr;  // that file's reading; compared, never followed
    bool badValue_ = false;
    bool quoteTexts_ = false;
};
