#include "boards/core/Csv_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <istream>
#include <ostream>

namespace {

// Per-stream reading position, kept in the stream's own storage so that every
// record reading from the same file counts into the same place.
int LinesSlot()
{
    static const int slot = std::ios_base::xalloc();
    return slot;
}

int PastEndSlot()
{
    static const int slot = std::ios_base::xalloc();
    return slot;
}

// A line break inside a text would end its line in the file and shift every
// following record, so texts never carry one.
std::string WithoutLineBreaks(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return result;
}

// What the reader makes of one field written by SetTextField: a double quote
// at its start opens a quote, the next one closes it, and every later double
// quote is an ordinary character (the field never holds a comma outside quotes).
std::string ReadBackField(const std::string& field)
{
    std::string result;
    bool atFieldStart = true;
    bool inQuotes = false;
    for (char ch : field) {
        if (ch == '"' && atFieldStart) {
            inQuotes = true;
        } else if (ch == '"' && inQuotes) {
            inQuotes = false;
        } else {
            result += ch;
        }
        atFieldStart = false;
    }
    return result;
}

// GetTextField drops one enclosing pair of double quotes from what was read,
// and reads a lone double quote as nothing.
bool TakenForEnclosed(const std::string& text)
{
    return !text.empty() && text.front() == '"' && text.back() == '"';
}

// The field that reads back as the text. The reader has no escape: a quote
// opened at the field's start is closed by the next double quote, and cannot
// be opened again; commas are safe only inside it, double quotes only after
// it. So the text goes in two parts: up to its first double quote inside the
// quotes, the rest after them. A text with a comma after a double quote has
// no such form: it loses its double quotes rather than split its line.
std::string TextFieldFor(const std::string& text, bool quoteTexts)
{
    std::string clean = WithoutLineBreaks(text);
    const size_t firstQuote = clean.find('"');
    if (firstQuote != std::string::npos && clean.find(',', firstQuote) != std::string::npos)
        std::erase(clean, '"');
    // What the reader must store so that GetTextField gives the text back.
    const std::string stored = TakenForEnclosed(clean) ? '"' + clean + '"' : clean;
    // Unquoted where quoting is off and the reader would take it whole: the
    // form files have always had.
    if (!quoteTexts && stored.find(',') == std::string::npos && (stored.empty() || stored.front() != '"'))
        return stored;
    const size_t split = std::min(stored.find('"'), stored.size());
    return '"' + stored.substr(0, split) + '"' + stored.substr(split);
}

thread_local TCsvFileReading* activeReading = nullptr;

}  // namespace

TCsvFileReading::TCsvFileReading(std::istream& in) : in_(&in), previous_(activeReading)
{
    activeReading = this;
}

TCsvFileReading::~TCsvFileReading()
{
    activeReading = previous_;
}

TCsvFileReading* TCsvFileReading::Active(const std::istream& in)
{
    for (TCsvFileReading* reading = activeReading; reading != nullptr; reading = reading->previous_) {
        if (reading->in_ == &in)
            return reading;
    }
    return nullptr;
}

void TCsvFileReading::Note(long line, unsigned column, const std::string& text, int32_t value, bool overflow)
{
    if (line_ != 0)
        return;  // once per file: the first says where to look
    line_ = line;
    column_ = column;
    text_ = text;
    value_ = value;
    overflow_ = overflow;
}

std::string TCsvFileReading::Warning() const
{
    if (line_ == 0)
        return {};
    return "line " + std::to_string(line_) + ", field " + std::to_string(column_) + ": " +
           TCsvIo::QuotedInput(text_) + (overflow_ ? " is beyond the 32-bit range" : " is not a whole number") +
           "; read as " + std::to_string(value_);
}

TCsvConversionError::TCsvConversionError(const std::string& text)
    : std::runtime_error(TCsvIo::ConversionMessage(text)), text_(text)
{
}

TCsvConversionError::TCsvConversionError(const std::string& text, const std::string& message)
    : std::runtime_error(message), text_(text)
{
}

void TCsvIo::ClearFields()
{
    fields_.clear();
    written_.clear();
    fileLine_ = 0;
}

std::string& TCsvIo::FieldAt(unsigned column)
{
    if (fields_.size() <= column) {
        fields_.resize(static_cast<size_t>(column) + 1);
        written_.resize(fields_.size(), false);
    }
    return fields_[column];
}

void TCsvIo::SetIntField(unsigned column, int32_t value)
{
    FieldAt(column) = std::to_string(value);
    written_[column] = false;
}

void TCsvIo::SetTextField(unsigned column, const std::string& text)
{
    FieldAt(column) = TextFieldFor(text, quoteTexts_);
    written_[column] = true;
}

int32_t TCsvIo::GetIntField(unsigned column)
{
    bool bad = false;
    bool overflow = false;
    const std::string& field = FieldAt(column);
    const int32_t value = ParseTolerantInt(field, bad, overflow);
    if (bad) {
        badValue_ = true;
        // Read as the format says, but a damaged number (a serial 1x02 read
        // as 1) could program the wrong board: the file's reader says so.
        if (!field.empty() && fileLine_ != 0 && !written_[column]) {
            // Only while the reading of the line's file lasts.
            for (TCsvFileReading* reading = activeReading; reading != nullptr; reading = reading->previous_) {
                if (reading == reading_)
                    reading->Note(fileLine_, column, field, value, overflow);
            }
        }
    }
    return value;
}

int32_t TCsvIo::ParseTolerantInt(const std::string& field, bool& bad)
{
    bool overflow = false;
    return ParseTolerantInt(field, bad, overflow);
}

int32_t TCsvIo::ParseTolerantInt(const std::string& field, bool& bad, bool& overflow)
{
    if (field.empty()) {
        bad = true;
        return 0;
    }
    const char* begin = field.c_str();
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(begin, &end, 10);
    if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) {
        bad = true;
        overflow = true;
        value = value < 0 ? INT32_MIN : INT32_MAX;
    }
    for (const char* p = end; *p != '\0'; ++p) {
        if (*p != ' ') {
            bad = true;
            break;
        }
    }
    return static_cast<int32_t>(value);
}

std::string TCsvIo::GetTextField(unsigned column)
{
    const std::string& stored = FieldAt(column);
    // A text set and not yet written reads as it will read from the file.
    const std::string field = written_[column] ? ReadBackField(stored) : stored;
    // A lone carriage return does not end a line, so a field can hold one; the
    // text is taken as it will be written (a space in its place), or a board
    // saved and loaded again would compute another image than the one loaded.
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        return WithoutLineBreaks(field.substr(1, field.size() - 2));
    if (field == "\"")
        return {};
    return WithoutLineBreaks(field);
}

unsigned TCsvIo::ReadLine(std::istream& in)
{
    fields_.clear();
    written_.clear();
    fileLine_ = 0;
    TCsvFileReading* const reading = TCsvFileReading::Active(in);
    size_t lineLength = 0;
    std::string current;
    bool atFieldStart = true;
    bool inQuotes = false;
    bool anyCharacter = false;
    // Characters straight from the stream's buffer: a sentry per character
    // (istream::get) made reading a file several times slower.
    std::streambuf* buffer = in.good() ? in.rdbuf() : nullptr;
    constexpr int kEof = std::char_traits<char>::eof();
    for (;;) {
        const int c = buffer ? buffer->sbumpc() : kEof;
        if (c == kEof) {
            // As istream::get at the end: end of file and nothing extracted.
            in.setstate(std::ios::eofbit | std::ios::failbit);
            // A last line without its line end still counts as a line.
            if (anyCharacter) {
                fields_.push_back(std::move(current));
                in.iword(LinesSlot()) += 1;
            } else {
                in.iword(PastEndSlot()) = 1;
            }
            break;
        }
        anyCharacter = true;
        if (reading != nullptr && (++lineLength > TCsvFileReading::kMaxLineLength ||
                                   fields_.size() >= TCsvFileReading::kMaxFields)) {
            // The line so far is not kept: memory stays bounded.
            const long line = LinesRead(in) + 1;
            fields_.clear();
            written_.clear();
            in.iword(LinesSlot()) = line;
            throw TCsvConversionError(
                "", lineLength > TCsvFileReading::kMaxLineLength
                        ? "the line is longer than " + std::to_string(TCsvFileReading::kMaxLineLength) +
                              " characters, more than any board needs"
                        : "the line has more than " + std::to_string(TCsvFileReading::kMaxFields) +
                              " fields, more than any board needs");
        }
        const char ch = static_cast<char>(c);
        if (ch == '\r' && buffer->sgetc() == '\n')
            continue;  // CR before LF belongs to the line end
        if (ch == '\n') {
            fields_.push_back(std::move(current));
            in.iword(LinesSlot()) += 1;
            break;
        }
        if (ch == '"' && atFieldStart) {
            inQuotes = true;
            atFieldStart = false;
        } else if (ch == '"' && inQuotes) {
            inQuotes = false;
        } else if (ch == ',' && !inQuotes) {
            fields_.push_back(std::move(current));
            current.clear();
            atFieldStart = true;
        } else {
            current += ch;
            atFieldStart = false;
        }
    }
    written_.assign(fields_.size(), false);
    if (reading != nullptr)
        fileLine_ = LinesRead(in);
    reading_ = reading;
    return FieldCount();
}

void TCsvIo::WriteLine(std::ostream& out, unsigned minFields)
{
    std::string line;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (i > 0)
            line += ',';
        line += fields_[i];
    }
    for (size_t i = fields_.size(); i < minFields; ++i) {
        if (i > 0)
            line += ',';
    }
    line += "\r\n";
    out << line;
    out.flush();
}

bool TCsvIo::TryStrictInt(const std::string& text, int32_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
        if (result > static_cast<long long>(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > INT32_MAX || result < INT32_MIN)
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

int32_t TCsvIo::StrictInt(const std::string& text)
{
    int32_t value = 0;
    if (!TryStrictInt(text, value))
        throw TCsvConversionError(text);
    return value;
}

int32_t TCsvIo::StrictInt(const std::string& text, const std::string& what)
{
    int32_t value = 0;
    if (!TryStrictInt(text, value))
        throw TCsvConversionError(text, ConversionMessage(text) + " (" + what + ")");
    return value;
}

int32_t TCsvIo::InRange(int32_t value, int32_t low, int32_t high, const std::string& what)
{
    if (value < low || value > high) {
        const std::string text = std::to_string(value);
        throw TCsvConversionError(text, what + " " + text + " is out of range " + std::to_string(low) + " to " +
                                            std::to_string(high));
    }
    return value;
}

std::string TCsvIo::ConversionMessage(const std::string& text)
{
    return QuotedInput(text) + " is not a valid integer value";
}

std::string TCsvIo::QuotedInput(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string quoted = "'";
    const size_t shown = std::min(text.size(), kQuotedLength);
    for (size_t i = 0; i < shown; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            quoted += "\\n";
        } else if (byte == '\r') {
            quoted += "\\r";
        } else if (byte == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte >= 0x7F) {
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0x0F];
        } else {
            quoted += static_cast<char>(byte);
        }
    }
    if (shown < text.size())
        quoted += "...";
    return quoted + "'";
}

long TCsvIo::LinesRead(std::istream& in)
{
    return in.iword(LinesSlot());
}

bool TCsvIo::ReadPastEnd(std::istream& in)
{
    return in.iword(PastEndSlot()) != 0;
}

void TCsvIo::ResetReadPosition(std::istream& in)
{
    in.iword(LinesSlot()) = 0;
    in.iword(PastEndSlot()) = 0;
}
