// The message display's lines, kept compactly: the bytes of every message in
// one arena, one 32-bit word per line (start offset plus a flag for
// expanded/raw), its arrival time (32-bit milliseconds, 49 days of run) and
// its kind (one byte, so a filter never has to classify a million messages
// again). A line's text is rendered only when it is asked for.
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
    bool Append(const TLocoNetMessage& message, bool expanded, uint32_t timeMs = 0);
    bool Append(const uint8_t* bytes, uint32_t count, bool expanded, uint32_t timeMs = 0);
    void Clear();

    size_t Count() const { return starts_.size(); }
    bool Expanded(size_t line) const { return (starts_[line] & kExpandedFlag) != 0; }
    uint32_t LengthOf(size_t line) const;
    const uint8_t* BytesOf(size_t line) const { return arena_.data() + StartOf(line); }
    uint32_t TimeOf(size_t line) const { return times_[line]; }  // ms since the link opened
    int KindOf(size_t line) const { return kinds_[line]; }

    // The line as shown: the decoded text when it was added expanded, the raw text otherwise.
    std::string LineText(size_t line) const;

    // Bytes held for the lines, reserve included.
    size_t MemoryBytes() const;

private:
    static constexpr uint32_t kExpandedFlag = 0x80000000u;
    static constexpr uint32_t kOffsetMask = 0x7FFFFFFFu;

    bool Keep(const uint8_t* bytes, uint32_t count, bool expanded, uint32_t timeMs, int kind);
    uint32_t StartOf(size_t line) const { return starts_[line] & kOffsetMask; }

    std::vector<uint8_t> arena_;
    std::vector<uint32_t> starts_;
    std::vector<uint32_t> times_;
    std::vector<uint8_t> kinds_;
};
