// Small builders for the link tests.
#pragma once

#include "link/Lnmessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace linktest {

using Bytes = std::vector<uint8_t>;

inline TLocoNetMessage FromBytes(const Bytes& b)
{
    return TLocoNetMessage(b.data(), static_cast<uint32_t>(b.size()));
}

// The bytes typed as hex, checksum included.
inline TLocoNetMessage Hex(const std::string& text)
{
    TLocoNetMessage m{std::string_view(text)};
    EXPECT_GE(m.Length(), 2u) << "bad test text: " << text;
    return m;
}

// The bytes typed as hex, with the checksum appended.
inline TLocoNetMessage HexChecked(const std::string& text)
{
    TLocoNetMessage m{std::string_view(text)};
    EXPECT_GE(m.Length(), 2u) << "bad test text: " << text;
    m.AppendChecksum();
    return m;
}

inline Bytes BytesOf(const TLocoNetMessage& m)
{
    return m.Length() ? Bytes(m.Data(), m.Data() + m.Length()) : Bytes{};
}

}  // namespace linktest
