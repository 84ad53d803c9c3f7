#include "boards/core/Csv_io.h"

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

}  // namespace

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
}

std::string& TCsvIo::FieldAt(unsigned column)
{
    if (fields_.size() <= column)
        fields_.resize(static_cast<size_t>(column) + 1);
    return fields_[column];
}

void TCsvIo::SetIntField(unsigned column, int32_t value)
{
    FieldAt(column) = std::to_string(value);
}

void TCsvIo::SetTextField(unsigned column, const std::string& text)
{
    const std::string clean = WithoutLineBreaks(text);
    std::string& field = FieldAt(column);
    if (quoteTexts_) {
        field = '"' + clean + '"';
    } else if (clean.find(',') != std::string::npos) {
        // Unquoted, the comma would split the text into two fields.
        field = '"' + clean + '"';
    } else if (!clean.empty() && clean.front() == '"') {
        // Unquoted, the reader would take the leading quote as an opening
        // quote and drop it; an empty quoted pair in front keeps it.
        field = "\"\"" + clean;
    } else {
        field = clean;
    }
}

int32_t TCsvIo::GetIntField(unsigned column)
{
    const std::string& field = FieldAt(column);
    if (field.empty()) {
        badValue_ = true;
        return 0;
    }
    const char* begin = field.c_str();
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(begin, &end, 10);
    if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) {
        badValue_ = true;
        value = value < 0 ? INT32_MIN : INT32_MAX;
    }
    for (const char* p = end; *p != '\0'; ++p) {
        if (*p != ' ') {
            badValue_ = true;
            break;
        }
    }
    return static_cast<int32_t>(value);
}

std::string TCsvIo::GetTextField(unsigned column)
{
    const std::string& field = FieldAt(column);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        return field.substr(1, field.size() - 2);
    if (field == "\"")
        return {};
    return field;
}

unsigned TCsvIo::ReadLine(std::istream& in)
{
    fields_.clear();
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
    return "'" + text + "' is not a valid integer value";
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
