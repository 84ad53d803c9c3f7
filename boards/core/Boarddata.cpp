#include "boards/core/Boarddata.h"

#include "boards/core/Atomicfile.h"
#include "boards/core/Boardfactory.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

namespace {

constexpr int kGrowth = 10;  // slots added when a full list grows

// The first field of the first line of a stream ("VELA40_BOARD").
std::string FirstRecordName(std::istream& in)
{
    TCsvIo record;
    if (record.ReadLine(in) == 0)
        return {};
    return record.GetTextField(0);
}

// What a board of each type writes first, found by writing a new one, so
// that the record names stay the boards' own.
const std::string& RecordNameOf(int type)
{
    static const auto names = [] {
        std::array<std::string, kBoardTypeCount> out;
        for (int t = 0; t < kBoardTypeCount; ++t) {
            if (std::unique_ptr<TConfigurableBoard> board = MakeBoard(t)) {
                std::stringstream written;
                board->WriteToFile(written);
                out[t] = FirstRecordName(written);
            }
        }
        return out;
    }();
    return names[type];
}

// Opens a board file for reading; false with "<file>: cannot be opened: <why>".
bool OpenForReading(const std::string& fileName, std::ifstream& in, std::string& error)
{
    std::error_code ec;
    errno = 0;
    if (!std::filesystem::is_directory(fileName, ec))
        in.open(fileName, std::ios::binary);
    else
        errno = EISDIR;
    if (in.is_open())
        return true;
    const int saved = errno;
    error = fileName + ": cannot be opened: " +
            (saved != 0 ? std::string(std::strerror(saved)) : std::string("unreadable file"));
    return false;
}

}  // namespace

TBoardData::TBoardData() : TBoardData(MakeBoard) {}

TBoardData::TBoardData(TBoardFactoryFn factory) : factory_(std::move(factory))
{
    SetQuoteTexts(true);
}

TBoardData::~TBoardData() = default;

TBoardData::TBoardList* TBoardData::ListOf(uint8_t type)
{
    return type < kBoardTypeCount ? &lists_[type] : nullptr;
}

const TBoardData::TBoardList* TBoardData::ListOf(uint8_t type) const
{
    return type < kBoardTypeCount ? &lists_[type] : nullptr;
}

int TBoardData::BoardCount(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list ? static_cast<int>(list->boards.size()) : 0;
}

int TBoardData::Capacity(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list ? list->capacity : 0;
}

TConfigurableBoard* TBoardData::BoardAt(uint8_t type, int position) const
{
    const TBoardList* list = ListOf(type);
    if (!list || position < 0 || position >= static_cast<int>(list->boards.size()))
        return nullptr;
    return list->boards[position].get();
}

TConfigurableBoard* TBoardData::BoardForChange(uint8_t type, int position)
{
    TConfigurableBoard* board = BoardAt(type, position);
    if (board)
        lists_[type].modified = true;
    return board;
}

bool TBoardData::InsertBoard(uint8_t type, int position)
{
    lastError_.clear();
    TBoardList* list = ListOf(type);
    if (!list) {
        lastError_ = BoardFactoryError(type);
        return false;
    }
    if (position < 0 || position > static_cast<int>(list->boards.size())) {
        lastError_ = "board position " + std::to_string(position) + " is out of range";
        return false;
    }
    if (static_cast<int>(list->boards.size()) >= kMaxFileBoards) {
        // Saved, a longer list would be a file that does not load again.
        lastError_ = "the " + ShortTypeName(type) + " list holds " + std::to_string(kMaxFileBoards) +
                     " boards, as many as a board file can hold";
        return false;
    }
    std::unique_ptr<TConfigurableBoard> board = factory_ ? factory_(type) : nullptr;
    if (!board) {
        lastError_ = BoardFactoryError(type);
        if (lastError_.empty())
            lastError_ = "board type " + ShortTypeName(type) + " is not available";
        return false;
    }
    if (static_cast<int>(list->boards.size()) == list->capacity) {
        list->capacity += kGrowth;
        list->boards.reserve(list->capacity);
    }
    list->boards.insert(list->boards.begin() + position, std::move(board));
    list->modified = true;
    return true;
}

bool TBoardData::AppendBoard(uint8_t type)
{
    return InsertBoard(type, BoardCount(type));
}

bool TBoardData::DeleteBoard(uint8_t type, int position)
{
    lastError_.clear();
    TBoardList* list = ListOf(type);
    if (!list || position < 0 || position >= static_cast<int>(list->boards.size())) {
        lastError_ = "board position " + std::to_string(position) + " is out of range";
        return false;
    }
    list->boards.erase(list->boards.begin() + position);
    list->modified = true;
    return true;
}

void TBoardData::ClearList(uint8_t type)
{
    if (TBoardList* list = ListOf(type)) {
        list->boards.clear();
        list->modified = false;
        list->partlyRead = false;
    }
}

void TBoardData::CloseList(uint8_t type)
{
    ClearList(type);
    if (TBoardList* list = ListOf(type))
        list->fileName.clear();
}

bool TBoardData::IsModified(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list && list->modified;
}

bool TBoardData::AnyModified() const
{
    for (const TBoardList& list : lists_) {
        if (list.modified)
            return true;
    }
    return false;
}

bool TBoardData::HasFileName(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list && !list->fileName.empty();
}

std::string TBoardData::FileNameOf(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list ? list->fileName : std::string();
}

bool TBoardData::IsPartlyRead(uint8_t type) const
{
    const TBoardList* list = ListOf(type);
    return list && list->partlyRead;
}

TConfigurableBoard* TBoardData::FindBySerial(int32_t serialNumber) const
{
    TConfigurableBoard* found = nullptr;
    for (const TBoardList& list : lists_) {
        for (const auto& board : list.boards) {
            if (board->SerialNumber() == serialNumber)
                found = board.get();
        }
    }
    return found;
}

std::string TBoardData::ShortTypeName(uint8_t type)
{
    const TBoardFactoryRow* row = BoardFactoryRow(type);
    return row ? row->shortTypeName : "";
}

std::string TBoardData::LongTypeName(uint8_t type)
{
    const TBoardFactoryRow* row = BoardFactoryRow(type);
    return row ? row->longTypeName : "";
}

int TBoardData::FileBoardType(const std::string& fileName, std::string& error)
{
    std::ifstream in;
    if (!OpenForReading(fileName, in, error))
        return -1;
    return StreamBoardType(in, fileName, error);
}

int TBoardData::StreamBoardType(std::istream& in, const std::string& sourceName, std::string& error)
{
    std::string name;
    try {
        TCsvFileReading reading(in);  // bounds the line
        name = FirstRecordName(in);
    } catch (const std::exception& e) {
        error = sourceName + ", line 1: " + e.what();
        return -1;
    }
    for (int type = 0; type < kBoardTypeCount; ++type) {
        if (!name.empty() && name == RecordNameOf(type))
            return type;
    }
    error = sourceName + ": not a board file: its first line names no board type" +
            (name.empty() ? std::string() : " (" + TCsvIo::QuotedInput(name) + ")");
    return -1;
}

void TBoardData::WriteList(uint8_t type, std::ostream& out) const
{
    const TBoardList* list = ListOf(type);
    if (!list)
        return;
    for (const auto& board : list->boards)
        board->WriteToFile(out);
}

bool TBoardData::SaveList(uint8_t type)
{
    lastError_.clear();
    TBoardList* list = ListOf(type);
    if (!list) {
        lastError_ = BoardFactoryError(type);
        return false;
    }
    if (list->boards.empty()) {
        // Nothing to save; the file keeps what it holds.
        list->modified = false;
        return false;
    }
    if (list->fileName.empty()) {
        lastError_ = "the " + ShortTypeName(type) + " list has no file name";
        return false;
    }
    if (list->partlyRead) {
        lastError_ = list->fileName + " was read only in part: saving the " + std::to_string(list->boards.size()) +
                     " boards read would replace the whole file; save them with Save As";
        return false;
    }
    if (!WriteFileAtomically(
            list->fileName, [this, type](std::ostream& out) { WriteList(type, out); }, lastError_)) {
        return false;  // still differs from its file
    }
    list->modified = false;
    return true;
}

bool TBoardData::SaveListAs(uint8_t type, const std::string& fileName)
{
    if (TBoardList* list = ListOf(type)) {
        list->fileName = fileName;
        list->partlyRead = false;
    }
    return SaveList(type);
}

bool TBoardData::ReadList(uint8_t type, std::istream& in, const std::string& sourceName)
{
    lastError_.clear();
    lastWarning_.clear();
    TCsvFileReading reading(in);
    const bool whole = ReadBoards(type, in, sourceName);
    if (!reading.Warning().empty())
        lastWarning_ = sourceName + ", " + reading.Warning();
    return whole;
}

bool TBoardData::ReadBoards(uint8_t type, std::istream& in, const std::string& sourceName)
{
    TBoardList* list = ListOf(type);
    if (!list) {
        lastError_ = sourceName + ": " + BoardFactoryError(type);
        return false;
    }
    TCsvIo::ResetReadPosition(in);
    auto failAt = [&](const std::string& message) {
        lastError_ = sourceName + ", line " + std::to_string(TCsvIo::LinesRead(in)) + ": " + message;
        return false;
    };
    // Past the end every number is missing; say so rather than what a
    // missing number did.
    auto endedInside = [&]() { return failAt("the file ends inside a " + ShortTypeName(type) + " board"); };
    // A damaged file (a run of empty lines makes a board every few dozen
    // lines) must not take the memory of thousands of boards before it is
    // found wanting: reading stops where no layout's list can reach.
    int boardsRead = 0;
    while (in.peek() != std::char_traits<char>::eof()) {
        if (boardsRead == kMaxFileBoards)
            return failAt("more than " + std::to_string(kMaxFileBoards) + " " + ShortTypeName(type) +
                          " boards, more than any layout needs; the rest of the file is not read");
        const std::streamoff at = in.tellg();
        if (at > kMaxFileBytes)
            return failAt("the file is longer than " + std::to_string(kMaxFileBytes / (1024 * 1024)) +
                          " MB, more than any list of boards needs; the rest of the file is not read");
        ++boardsRead;
        if (!AppendBoard(type)) {
            lastError_ = sourceName + ": " + lastError_;
            return false;
        }
        TConfigurableBoard* board = list->boards.back().get();
        const long linesBefore = TCsvIo::LinesRead(in);
        try {
            board->ReadFromFile(in);
        } catch (const std::exception& e) {
            return TCsvIo::ReadPastEnd(in) ? endedInside() : failAt(e.what());
        }
        if (TCsvIo::ReadPastEnd(in))
            return endedInside();
        if (TCsvIo::LinesRead(in) == linesBefore) {
            // A board that takes no line would be appended for ever.
            return failAt("a " + ShortTypeName(type) + " board could not be read");
        }
        if (in.bad()) {
            return failAt("read error");
        }
    }
    return true;
}

bool TBoardData::LoadList(uint8_t type, const std::string& fileName)
{
    lastError_.clear();
    lastWarning_.clear();
    TBoardList* list = ListOf(type);
    if (!list) {
        lastError_ = fileName + ": " + BoardFactoryError(type);
        return false;
    }
    std::ifstream in;
    if (!OpenForReading(fileName, in, lastError_)) {
        // The list keeps the name all the same, so that a file missing at
        // start-up is not forgotten when the names are stored at exit.
        list->fileName = fileName;
        list->modified = false;
        return false;
    }
    if (!ReadList(type, in, fileName)) {
        // The list keeps what was read and stays modified. It takes the name,
        // so that the file is loaded again next time rather than forgotten,
        // but the part read must not be saved over the whole.
        list->fileName = fileName;
        list->partlyRead = true;
        return false;
    }
    list->fileName = fileName;
    list->modified = false;
    list->partlyRead = false;
    return true;
}

bool TBoardData::OpenList(uint8_t type, const std::string& fileName)
{
    TBoardList* list = ListOf(type);
    if (!list)
        return LoadList(type, fileName);
    TBoardList previous = std::move(*list);
    list->boards.clear();
    list->capacity = previous.capacity;
    list->modified = false;
    list->partlyRead = false;
    if (LoadList(type, fileName))
        return true;
    *list = std::move(previous);
    return false;
}
