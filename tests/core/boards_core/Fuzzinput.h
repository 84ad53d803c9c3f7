// Inputs kept from fuzzing runs: hexadecimal text whose first byte picks the
// board type (modulo 7) and whose other bytes are a configuration file or an
// SV image.
#pragma once

#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <cstdint>
#include <sstream>
#include <string>

inline std::string FuzzBytes(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

inline uint8_t FuzzType(const std::string& bytes)
{
    return static_cast<uint8_t>(static_cast<uint8_t>(bytes.at(0)) % kBoardTypeCount);
}

// Loads the file part of the input into data as the program loads a file.
inline bool LoadFuzzFile(TBoardData& data, const std::string& hex, const std::string& name = "fuzz.csv")
{
    const std::string bytes = FuzzBytes(hex);
    std::istringstream in(bytes.substr(1), std::ios::in | std::ios::binary);
    return data.ReadList(FuzzType(bytes), in, name);
}
