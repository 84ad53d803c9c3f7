#include "boards/core/Boardcompare.h"

#include "boards/core/Boardfactory.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

size_t Indent(const std::string& line)
{
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t;");
    return last < first ? std::string() : text.substr(first, last - first + 1);
}

struct TSplitLine {
    std::string key;
    std::string value;
    bool equals = false;  // "Key = value": a value, never the head of the lines below it
};

// "Key: value", "Key:value" and "Key = value" carry a setting's name; any
// other line is a value alone.
TSplitLine Split(const std::string& text)
{
    const size_t colon = text.find(':');
    const size_t equals = text.find(" = ");
    if (colon == std::string::npos && equals == std::string::npos)
        return {{}, Trimmed(text), false};
    if (equals != std::string::npos && (colon == std::string::npos || equals < colon))
        return {Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 3)), true};
    return {Trimmed(text.substr(0, colon)), Trimmed(text.substr(colon + 1)), false};
}

// "Signal: 3", "Cell: 1", "Zone: A" (one word, a short number or letter):
// the line names the element the lines after it at the same depth describe.
bool IsTitle(const std::string& key, const std::string& value)
{
    if (key.empty() || value.empty() || value.size() > 3)
        return false;
    const auto alnum = [](unsigned char c) { return std::isalnum(c) != 0; };
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    return std::all_of(value.begin(), value.end(), alnum) && std::none_of(key.begin(), key.end(), digit) &&
           std::none_of(key.begin(), key.end(), space);
}

// A section's heading stands after an empty line: "Signal Settings:". A line
// such as "User Description: " with nothing after it is a setting.
bool IsHeading(const std::vector<std::string>& lines, size_t i)
{
    const std::string& line = lines[i];
    if (line.empty() || line[0] == ' ' || (i > 0 && !Trimmed(lines[i - 1]).empty()))
        return false;
    const std::string text = Trimmed(line);
    return text.size() > 1 && text.back() == ':' && text.find(':') == text.size() - 1;
}

struct TContext {
    size_t indent;
    std::string label;
    bool title;
};

std::string Joined(const std::vector<TContext>& stack, const std::string& key)
{
    std::string name;
    for (const TContext& c : stack) {
        if (!name.empty())
            name += ", ";
        name += c.label;
    }
    if (!key.empty())
        name += (name.empty() ? "" : ", ") + key;
    return name;
}

bool Contains(const std::string& text, const std::string& word)
{
    const auto lower = [](std::string t) {
        std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return t;
    };
    return lower(text).find(lower(word)) != std::string::npos;
}

bool EndsWithWord(const std::string& text, const std::string& word)
{
    return text.size() > word.size() + 1 && text.compare(text.size() - word.size(), word.size(), word) == 0 &&
           text[text.size() - word.size() - 1] == ' ';
}

// Many report lines carry a value without a name ("Block signal", "3 aspect,
// common cathode LEDs", "Follows output 42"). A row of a comparison needs a
// name in the modeller's words; these are the words the editors use for the
// settings such lines show. Matching stays on the element (see SameSetting),
// so a name here only says which setting a row is.
std::string NameOfValueLine(const std::string& value)
{
    for (const char* state : {"ENABLED", "DISABLED", "enabled", "disabled"})
        if (EndsWithWord(value, state))
            return value.substr(0, value.size() - std::char_traits<char>::length(state) - 1);
    static const std::pair<const char*, const char*> kNames[] = {
        {"Transponding Zone", "Transponding Zone"},
        {"Reverse Running Zone", "Reverse Running Zone"},
        {"aspect", "Aspects and LEDs"},
        {"head type", "Aspects and LEDs"},
        {"Block signal", "Signal type"},
        {"junction signal", "Signal type"},
        {"interrogate response", "Interrogate response"},
        {"commands", "Switch commands"},
        {"addressing", "Addressing"},
        {"Follows", "Follows"},
        {"message", "Message"},
        {"slave addresses", "Slave addresses"},
        {"occupies", "Addresses occupied"},
        {"Trigger again", "Retrigger"},
        {"invoke route", "Cascade route"},
    };
    for (const auto& [words, name] : kNames)
        if (Contains(value, words))
            return name;
    return {};
}

std::vector<std::string> ReportOf(const TConfigurableBoard& board)
{
    std::vector<std::string> lines;
    board.DescribeSettings(lines);
    return lines;
}

// A configuration as the board would hold it. The image is computed on a
// copy (through the board's file lines, which load again unchanged), so that
// a board of the lists keeps the image it has: a transfer may be using it.
std::unique_ptr<TConfigurableBoard> AsOnBoard(TConfigurableBoard& board)
{
    const int type = BoardTypeFromName(board.BoardTypeName());
    std::unique_ptr<TConfigurableBoard> copy = MakeBoard(type);
    if (!copy)
        return nullptr;
    std::stringstream lines;
    board.WriteToFile(lines);
    try {
        copy->ReadFromFile(lines);
    } catch (const std::exception&) {
        return nullptr;  // compared as the file has it
    }
    copy->SetSoftwareVersion(board.SoftwareVersion());
    copy->ComputeSvImage();
    std::unique_ptr<TConfigurableBoard> held = BoardFromImage(type, copy->SvImage());
    if (held)
        held->SetSoftwareVersion(board.SoftwareVersion());
    return held;
}

bool SameSetting(const TReportSetting& a, const TReportSetting& b)
{
    return a.group == b.group && a.name == b.name;
}

// One is a line of an element without a name of its own, the other a named
// line of the same element: "Signal 3" and "Signal 3, Transponding Zone".
bool Related(const TReportSetting& a, const TReportSetting& b)
{
    if (a.group != b.group)
        return false;
    const std::string& shorter = a.name.size() < b.name.size() ? a.name : b.name;
    const std::string& longer = a.name.size() < b.name.size() ? b.name : a.name;
    return longer.size() > shorter.size() + 2 && longer.compare(0, shorter.size(), shorter) == 0 &&
           longer.compare(shorter.size(), 2, ", ") == 0;
}

TSettingRow Row(const TReportSetting* a, const TReportSetting* b)
{
    // A pair of related lines goes by the named one.
    const TReportSetting& s = !a ? *b : !b || a->name.size() >= b->name.size() ? *a : *b;
    TSettingRow row{s.group, s.setting, a ? a->value : std::string(), b ? b->value : std::string(), a != nullptr,
                    b != nullptr, false, false};
    row.differs = !a || !b || a->value != b->value;
    return row;
}

// Rows for the settings of both lists, aligned as a text comparison aligns
// lines: the longest run of settings both hold alike stays in step, so a
// line one report has and the other has not (a list of conditions one entry
// longer) does not put every line after it out of step.
std::vector<TSettingRow> Rows(const std::vector<TReportSetting>& a, const std::vector<TReportSetting>& b)
{
    const size_t n = a.size();
    const size_t m = b.size();
    auto alike = [&](size_t i, size_t j) { return SameSetting(a[i], b[j]) && a[i].value == b[j].value; };
    // Only the part between the common head and the common tail is aligned.
    size_t head = 0;
    while (head < n && head < m && alike(head, head))
        ++head;
    size_t tail = 0;
    while (tail < n - head && tail < m - head && alike(n - 1 - tail, m - 1 - tail))
        ++tail;
    const size_t rows = n - head - tail;
    const size_t cols = m - head - tail;
    std::vector<uint16_t> length((rows + 1) * (cols + 1), 0);
    auto at = [&](size_t i, size_t j) -> uint16_t& { return length[i * (cols + 1) + j]; };
    for (size_t i = rows; i-- > 0;)
        for (size_t j = cols; j-- > 0;)
            at(i, j) = alike(head + i, head + j) ? uint16_t(at(i + 1, j + 1) + 1)
                                                 : std::max(at(i + 1, j), at(i, j + 1));

    std::vector<TSettingRow> out;
    out.reserve(n + m);
    for (size_t k = 0; k < head; ++k)
        out.push_back(Row(&a[k], &b[k]));
    // Between two settings held alike: settings of the same name pair up in
    // order, the rest stand alone.
    std::vector<size_t> gapA;
    std::vector<size_t> gapB;
    auto flush = [&]() {
        constexpr size_t kNone = SIZE_MAX;
        std::vector<size_t> partner(gapA.size(), kNone);
        std::vector<bool> usedB(gapB.size(), false);
        // Settings of one name first, then a line without a name of its own
        // ("No assigned Transponding Zone") with the named line of the same
        // element that took its place ("Transponding Zone: 12").
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t k = 0; k < gapA.size(); ++k) {
                if (partner[k] != kNone)
                    continue;
                for (size_t l = 0; l < gapB.size(); ++l) {
                    if (!usedB[l] && (pass == 0 ? SameSetting(a[gapA[k]], b[gapB[l]])
                                                : Related(a[gapA[k]], b[gapB[l]]))) {
                        partner[k] = l;
                        usedB[l] = true;
                        break;
                    }
                }
            }
        }
        std::vector<bool> shownB(gapB.size(), false);
        for (size_t k = 0; k < gapA.size(); ++k) {
            if (partner[k] == kNone) {
                out.push_back(Row(&a[gapA[k]], nullptr));
                continue;
            }
            for (size_t l = 0; l < partner[k]; ++l) {
                if (!usedB[l] && !shownB[l]) {
                    out.push_back(Row(nullptr, &b[gapB[l]]));
                    shownB[l] = true;
                }
            }
            out.push_back(Row(&a[gapA[k]], &b[gapB[partner[k]]]));
        }
        for (size_t l = 0; l < gapB.size(); ++l)
            if (!usedB[l] && !shownB[l])
                out.push_back(Row(nullptr, &b[gapB[l]]));
        gapA.clear();
        gapB.clear();
    };
    size_t i = 0;
    size_t j = 0;
    while (i < rows || j < cols) {
        if (i < rows && j < cols && alike(head + i, head + j)) {
            flush();
            out.push_back(Row(&a[head + i], &b[head + j]));
            ++i;
            ++j;
        } else if (j >= cols || (i < rows && at(i + 1, j) >= at(i, j + 1))) {
            gapA.push_back(head + i++);
        } else {
            gapB.push_back(head + j++);
        }
    }
    flush();
    for (size_t k = 0; k < tail; ++k)
        out.push_back(Row(&a[n - tail + k], &b[m - tail + k]));
    return out;
}

std::string Quoted(const TSettingRow& row, bool first)
{
    if (first ? !row.inA : !row.inB)
        return "(none)";
    return "\"" + (first ? row.a : row.b) + "\"";
}

std::vector<std::string> Lines(const std::vector<const TSettingRow*>& rows, const std::string& nameA,
                               const std::string& nameB)
{
    std::vector<std::string> lines;
    for (const TSettingRow* row : rows)
        lines.push_back(row->setting + ": " + nameA + " " + Quoted(*row, true) + ", " + nameB + " " +
                        Quoted(*row, false));
    return lines;
}

TBoardComparison Compared(const TConfigurableBoard& fileA, const TConfigurableBoard* heldA,
                          const TConfigurableBoard& fileB, const TConfigurableBoard* heldB)
{
    TBoardComparison comparison;
    const std::vector<TReportSetting> a = ReportSettings(ReportOf(heldA ? *heldA : fileA));
    const std::vector<TReportSetting> b = ReportSettings(ReportOf(heldB ? *heldB : fileB));
    comparison.rows = Rows(a, b);

    // What the files say beyond the board: the settings of the files that
    // differ where the boards' do not.
    std::map<std::string, const TSettingRow*> onBoard;
    for (const TSettingRow& row : comparison.rows)
        onBoard[row.group + '\n' + row.setting] = &row;
    const std::vector<TReportSetting> fa = ReportSettings(ReportOf(fileA));
    const std::vector<TReportSetting> fb = ReportSettings(ReportOf(fileB));
    std::vector<TSettingRow> fileRows = Rows(fa, fb);
    std::vector<TSettingRow> notOnBoard;
    for (TSettingRow& row : fileRows) {
        if (!row.differs)
            continue;
        const auto held = onBoard.find(row.group + '\n' + row.setting);
        if (held != onBoard.end() && held->second->differs)
            continue;
        row.differs = false;
        row.fileOnly = true;
        if (held != onBoard.end()) {
            // Shown in the row of the board's setting, with the files' values.
            TSettingRow& shown = comparison.rows[size_t(held->second - comparison.rows.data())];
            shown.fileOnly = true;
            shown.a = row.a;
            shown.b = row.b;
            shown.inA = row.inA;
            shown.inB = row.inB;
        } else {
            notOnBoard.push_back(row);
        }
    }
    comparison.rows.insert(comparison.rows.end(), notOnBoard.begin(), notOnBoard.end());
    return comparison;
}

}  // namespace

bool TBoardComparison::Equal() const
{
    return std::none_of(rows.begin(), rows.end(), [](const TSettingRow& r) { return r.differs; });
}

std::vector<const TSettingRow*> TBoardComparison::Differences() const&
{
    std::vector<const TSettingRow*> out;
    for (const TSettingRow& row : rows)
        if (row.differs)
            out.push_back(&row);
    return out;
}

std::vector<const TSettingRow*> TBoardComparison::FileOnly() const&
{
    std::vector<const TSettingRow*> out;
    for (const TSettingRow& row : rows)
        if (row.fileOnly)
            out.push_back(&row);
    return out;
}

std::unique_ptr<TConfigurableBoard> BoardFromImage(int boardType, const std::vector<uint8_t>& image)
{
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(boardType);
    if (!board)
        return nullptr;
    for (unsigned sv = 1; sv <= board->SvLength(); ++sv)
        board->SetSvByte(sv, sv <= image.size() ? image[sv - 1] : 0);
    board->DecodeSvImage();
    return board;
}

TBoardComparison CompareBoards(TConfigurableBoard& a, TConfigurableBoard& b)
{
    const std::unique_ptr<TConfigurableBoard> heldA = AsOnBoard(a);
    const std::unique_ptr<TConfigurableBoard> heldB = AsOnBoard(b);
    return Compared(a, heldA.get(), b, heldB.get());
}

TBoardComparison CompareBoardWithImage(const std::vector<uint8_t>& boardImage, TConfigurableBoard& configured)
{
    const int type = BoardTypeFromName(configured.BoardTypeName());
    const std::unique_ptr<TConfigurableBoard> heldConfigured = AsOnBoard(configured);
    // Only the SVs a transfer writes count: the rest (the serial number, the
    // system SVs a read leaves out) are taken as the configuration has them.
    std::vector<uint8_t> image(heldConfigured ? heldConfigured->SvImage() : configured.SvImage());
    for (unsigned sv = 1; sv <= image.size(); ++sv) {
        if (configured.IsTransferable(sv) && sv >= 5)
            image[sv - 1] = sv <= boardImage.size() ? boardImage[sv - 1] : 0;
    }
    const std::unique_ptr<TConfigurableBoard> read = BoardFromImage(type, image);
    const std::unique_ptr<TConfigurableBoard> heldRead = read ? AsOnBoard(*read) : nullptr;
    if (!read)
        return Compared(configured, heldConfigured.get(), configured, heldConfigured.get());
    // Names and notes are not on the board, so there is nothing kept in the
    // file only to tell: the read board stands for both files.
    return Compared(*read, heldRead.get(), *read, heldConfigured.get());
}

TBoardComparison CompareBoardImages(int boardType, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    // Decoded as read, not put through a file and computed again: an image a
    // configuration cannot compute (a factory board, a board filled by other
    // means) is still compared by what it holds.
    const std::unique_ptr<TConfigurableBoard> boardA = BoardFromImage(boardType, a);
    const std::unique_ptr<TConfigurableBoard> boardB = BoardFromImage(boardType, b);
    if (!boardA || !boardB)
        return {};
    return Compared(*boardA, boardA.get(), *boardB, boardB.get());
}

std::vector<TReportSetting> ReportSettings(const std::vector<std::string>& reportLines)
{
    std::vector<TReportSetting> settings;
    std::string group = "Board";
    std::vector<TContext> stack;
    std::map<std::string, int> seen;
    std::map<std::string, int> shown;
    auto add = [&](const std::string& setting, const std::string& value, bool named) {
        const std::string name = setting.empty() ? group : setting;
        const int count = ++seen[group + '\n' + name];
        std::string display = count == 1 ? name : name + " (" + std::to_string(count) + ")";
        if (!named) {
            // A list's lines are its entries, counted as the editors count them.
            const size_t comma = name.rfind(", ");
            const std::string last = comma == std::string::npos ? name : name.substr(comma + 2);
            std::string label = NameOfValueLine(value);
            // "(No conditions assigned)" is the list itself, not an entry of it.
            if (!setting.empty() && value.rfind('(', 0) == 0)
                label.clear();
            else if (!setting.empty() && (Contains(last, "conditions") || EndsWithWord(last, "Settings")))
                label = "condition " + std::to_string(count);
            else if (label.empty() && last.rfind("Route ", 0) == 0)
                label = "entry " + std::to_string(count);
            else if (label.empty() && last.rfind("Cell ", 0) == 0 &&
                     (count == 1 || Contains(value, "Cell") || value == "Undefined" || value == "Unknown"))
                label = "Cell type";
            if (!label.empty()) {
                display = setting.empty() ? label : setting + ", " + label;
                const int again = ++shown[group + '\n' + display];
                if (again > 1)
                    display += " (" + std::to_string(again) + ")";
            }
        }
        settings.push_back({group, display, value, name});
    };

    for (size_t i = 0; i < reportLines.size(); ++i) {
        const std::string& line = reportLines[i];
        if (Trimmed(line).empty())
            continue;
        if (IsHeading(reportLines, i)) {
            group = Trimmed(line);
            group.pop_back();
            stack.clear();
            continue;
        }
        const size_t indent = Indent(line);
        size_t next = i + 1;
        while (next < reportLines.size() && Trimmed(reportLines[next]).empty())
            ++next;
        const bool hasNext = next < reportLines.size() && !IsHeading(reportLines, next);
        const size_t nextIndent = hasNext ? Indent(reportLines[next]) : 0;

        const auto [key, value, equals] = Split(line);
        const bool title = indent > 0 && hasNext && nextIndent == indent && IsTitle(key, value);
        while (!stack.empty() &&
               (stack.back().indent > indent || (stack.back().indent == indent && (!stack.back().title || title))))
            stack.pop_back();

        if (title) {
            stack.push_back({indent, key + " " + value, true});
        } else if (hasNext && nextIndent > indent && !equals) {
            if (!value.empty())
                add(Joined(stack, key), value, !key.empty());
            stack.push_back({indent, key.empty() ? value : key, false});
        } else {
            add(Joined(stack, key), value, !key.empty());
        }
    }
    return settings;
}

std::vector<std::string> DifferenceLines(const TBoardComparison& comparison, const std::string& nameA,
                                         const std::string& nameB)
{
    return Lines(comparison.Differences(), nameA, nameB);
}

std::vector<std::string> FileOnlyLines(const TBoardComparison& comparison, const std::string& nameA,
                                       const std::string& nameB)
{
    return Lines(comparison.FileOnly(), nameA, nameB);
}

std::string ComparisonText(const TBoardComparison& comparison, const std::string& nameA, const std::string& nameB,
                           bool all)
{
    std::string text;
    if (all) {
        std::string group;
        for (const TSettingRow& row : comparison.rows) {
            if (row.group != group) {
                group = row.group;
                text += "\n" + group + ":\n";
            }
            const char* mark = row.differs ? "* " : row.fileOnly ? "~ " : "  ";
            text += mark + row.setting + ": " + nameA + " " + Quoted(row, true) + ", " + nameB + " " +
                    Quoted(row, false) + "\n";
        }
        return text;
    }
    const std::vector<std::string> differences = DifferenceLines(comparison, nameA, nameB);
    if (differences.empty())
        text += "The boards hold the same settings.\n";
    else
        text += std::to_string(differences.size()) +
                (differences.size() == 1 ? " setting differs:\n" : " settings differ:\n");
    for (const std::string& line : differences)
        text += line + "\n";
    const std::vector<std::string> fileOnly = FileOnlyLines(comparison, nameA, nameB);
    if (!fileOnly.empty()) {
        text += "Kept in the file only:\n";
        for (const std::string& line : fileOnly)
            text += line + "\n";
    }
    return text;
}
