// An input of a PAX60/PAX66: pushbutton, toggle switch or sensor input,
// with the message it sends.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Csv_io.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60ExtDevTable;

class TPAX60InputCell : public TCsvIo {
public:
    static constexpr int kInputTypeCount = 6;
    static constexpr int kMessageTypeCount = 5;

    TPAX60InputCell();

    static const char* InputTypeName(int inputType);  // empty outside 0..5
    static const char* MessageTypeName(int msgType);  // empty outside 0..4

public: // fields
    int32_t Number = 1;  // 1 to 10, fixed by the board
    std::string Description;
    uint8_t InputType = 3;
    uint8_t MessageType = 0;

public: // board operations
    char Label() const;  // "12345678AB"
    bool Encode(TSvWriter image, const TPAX60ExtDevTable& table) const;
    void Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable& table);
    void WriteLines(std::ostream& out);
    void ReadLines(std::istream& in);
    void Report(std::vector<std::string>& lines) const;
    std::string ListText() const;
};
