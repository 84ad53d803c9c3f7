// The board collection: one ordered list of owned boards per board type, each
// list tied to its own configuration file.
#pragma once

#include "boards/core/Csv_io.h"
#include "boards/core/Tconfigurableboard.h"

#include <array>
#include <cstdint>
#include <functional>
#include <ios>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// Makes a new board of a type with its defaults; nullptr when it cannot.
using TBoardFactoryFn = std::function<std::unique_ptr<TConfigurableBoard>(int boardType)>;

class TBoardData : public TCsvIo {
public:
    // Reading a file stops, with an error, beyond these (and beyond the line
    // limits of TCsvFileReading), so that memory stays bounded.
    static constexpr int kMaxFileBoards = 1024;
    static constexpr std::streamoff kMaxFileBytes = 32LL * 1024 * 1024;

    TBoardData();
    // With another factory than the board factory table (tests).
    explicit TBoardData(TBoardFactoryFn factory);
    ~TBoardData();
    TBoardData(const TBoardData&) = delete;
    TBoardData& operator=(const TBoardData&) = delete;

public:  // the lists (type 0..6; other types and positions give nothing)
    int BoardCount(uint8_t type) const;
    int Capacity(uint8_t type) const;  // slots allocated, grows by 10
    TConfigurableBoard* BoardAt(uint8_t type, int position) const;
    // As BoardAt, and the list becomes modified (the board goes to an editor
    // or is read from the bus).
    TConfigurableBoard* BoardForChange(uint8_t type, int position);
    // A new board of the type at position 0..count; false (LastErrorText) when
    // the type's model is not available or the position is out of range.
    bool InsertBoard(uint8_t type, int position);
    bool AppendBoard(uint8_t type);
    bool DeleteBoard(uint8_t type, int position);
    void ClearList(uint8_t type);  // the file name stays; modified cleared
    void CloseList(uint8_t type);  // ClearList and forget the file name
    bool IsModified(uint8_t type) const;
    bool AnyModified() const;
    bool HasFileName(uint8_t type) const;
    std::string FileNameOf(uint8_t type) const;
    // The list holds only the part of its file read before the file turned
    // out damaged: SaveList will not write that part over the whole file.
    bool IsPartlyRead(uint8_t type) const;
    // The last board, in type order then list order, with this serial number.
    TConfigurableBoard* FindBySerial(int32_t serialNumber) const;

public:  // names of the types
    static std::string ShortTypeName(uint8_t type);
    static std::string LongTypeName(uint8_t type);
    // The type whose boards a file holds, known by the first field of its
    // first line, as a board of that type writes it ("VELA40_BOARD"); -1 with
    // the reason in error when the file cannot be read or names no type.
    static int FileBoardType(const std::string& fileName, std::string& error);
    static int StreamBoardType(std::istream& in, const std::string& sourceName, std::string& error);

public:  // files
    // Writes the list to its file, replacing the file only once it is written
    // whole. An empty list writes nothing and gives false with an empty
    // LastErrorText; a write failure, or a list that is partly read (its file
    // holds more than was read), gives false with the reason and leaves the
    // list modified. Otherwise true and modified cleared.
    bool SaveList(uint8_t type);
    // As SaveList under another name, which the operator chose: a partly
    // read list may be written there, even over the file it came from.
    bool SaveListAs(uint8_t type, const std::string& fileName);
    // Appends the file's boards; the list takes the file name and is not
    // modified. False with LastErrorText when the file cannot be opened (no
    // board added; the list still takes the name, so that it is not forgotten)
    // or, as "<file>, line <n>: <message>", when a board in it is unreadable or
    // the file ends inside a board: the loading stops there, the boards read so
    // far stay, the list is modified, takes the file name (so that it is
    // not forgotten either) and counts as partly read.
    bool LoadList(uint8_t type, const std::string& fileName);
    // Replaces the list with the file's boards, as the File, Open command
    // does. Only a file read whole replaces it: otherwise false with
    // LastErrorText, and the list stays as it was, boards, name and state.
    bool OpenList(uint8_t type, const std::string& fileName);
    // Every board of the list, as in its file, to a stream.
    void WriteList(uint8_t type, std::ostream& out) const;
    // Reads boards from a stream as LoadList does; sourceName names it in errors.
    bool ReadList(uint8_t type, std::istream& in, const std::string& sourceName);
    // Why the last failing operation failed; empty after one that succeeded.
    const std::string& LastErrorText() const { return lastError_; }
    // After LoadList or ReadList, whole or not: the first number field of the
    // file that is not a clean decimal integer, read as the format reads it
    // ("<file>, line <n>, field <c>: '1x02' is not a whole number; read as 1");
    // empty when there was none.
    const std::string& LastWarningText() const { return lastWarning_; }

private:
    struct TBoardList {
        std::vector<std::unique_ptr<TConfigurableBoard>> boards;
        int capacity = 10;
        std::string fileName;
        bool modified = false;
        bool partlyRead = false;
    };
    bool ReadBoards(uint8_t type, std::istream& in, const std::string& sourceName);
    TBoardList* ListOf(uint8_t type);
    const TBoardList* ListOf(uint8_t type) const;

    TBoardFactoryFn factory_;
    std::array<TBoardList, kBoardTypeCount> lists_;
    std::string lastError_;
    std::string lastWarning_;
};
