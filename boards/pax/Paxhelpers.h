// Small helpers shared by the PAX60, PAX66 and TEL90 models.
#pragma once

#include "boards/core/Csv_io.h"

#include <cstdint>
#include <string>

// A number inside a configuration text that has the wrong shape altogether
// (a sensor without ":", a route entry without its state): like a failed
// conversion it ends the loading of the file, with a message that says what
// was expected.
class TPaxTextError : public TCsvConversionError {
public:
    TPaxTextError(const std::string& text, const std::string& expected)
        : TCsvConversionError(text), message_(TCsvIo::QuotedInput(text) + " " + expected)
    {
    }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Strict decimal conversion of a number inside a configuration text; throws
// TCsvConversionError, which ends the loading of the file, naming what the
// number is of ("the point number of 'PT 1x TH'").
inline int32_t PaxStrictInt(const std::string& text, const std::string& what)
{
    return TCsvIo::StrictInt(text, what);
}

[[noreturn]] inline void PaxConversionFailed(const std::string& text, const std::string& expected)
{
    throw TPaxTextError(text, expected);
}

// Tenths as a decimal in its shortest form: 15 gives "1.5", 20 gives "2".
inline std::string PaxTenthsText(int32_t tenths)
{
    const int64_t v = tenths;
    const int64_t a = v < 0 ? -v : v;
    std::string s;
    if (v < 0)
        s += '-';
    s += std::to_string(a / 10);
    if (a % 10 != 0) {
        s += '.';
        s += std::to_string(a % 10);
    }
    return s;
}
