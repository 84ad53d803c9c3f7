// The message display's lines, kept compactly: the bytes of every message in
// one arena, one 32-bit word per line (start offset plus a flag for
// expanded/raw). A line's text is rendered only when it is asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TLocoNetMessage;

class TMessageStore {
public:
    // Keeps the message's bytes and the form its line is shown in; false,
    // keeping nothing, once 2 GiB of message bytes are held.
    bool Append(const TLocoNetMessage& message, bool expanded);
    bool Append(const uint8_t* bytes, uint32_t count, bool expanded);
    void Clear();

    size_t Count() const { return starts_.size(); }
    bool Expanded(size_t line) const { return (starts_[line] & kExpandedFlag) != 0; }
    uint32_t LengthOf(size_t line) const;
    const uint8_t* BytesOf(size_t line) const { return arena_.data() + StartOf(line); }

    // The line as shown: the decoded text when it was added expanded, the raw text otherwise.
    std::string LineText(size_t line) const;

    // Bytes held for the lines, reserve included.
    size_t MemoryBytes() const;

private:
    static constexpr uint32_t kExpandedFlag = 0x80000000u;
    static constexpr uint32_t kOffsetMask = 0x7FFFFFFFu;

    uint32_t StartOf(size_t line) const { return starts_[line] & kOffsetMask; }

    std::vector<uint8_t> arena_;
    std::vector<uint32_t> starts_;
};
