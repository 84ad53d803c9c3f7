#include "app/monitor/Messagestore.h"

#include "link/Lndispatch.h"
#include "link/Lnmessage.h"


bool TMessageStore::Append(const TLocoNetMessage& message, bool expanded, uint32_t timeMs)
{
    return Keep(message.Data(), message.Length(), expanded, timeMs, message.MessageKind());
}

bool TMessageStore::Append(const uint8_t* bytes, uint32_t count, bool expanded, uint32_t timeMs)
{
    return Keep(bytes, count, expanded, timeMs, TLocoNetMessage(bytes, count).MessageKind());
}

bool TMessageStore::Keep(const uint8_t* bytes, uint32_t count, bool expanded, uint32_t timeMs, int kind)
{
    // The offset must stay below the flag bit: 2 GiB of message bytes is
    // hundreds of millions of lines, far beyond any run on a real bus.
    if (arena_.size() + count > kOffsetMask || starts_.size() >= kOffsetMask)
        return false;
    const uint32_t start = static_cast<uint32_t>(arena_.size());
    if (count > 0)
        arena_.insert(arena_.end(), bytes, bytes + count);
    starts_.push_back(start | (expanded ? kExpandedFlag : 0u));
    times_.push_back(timeMs);
    kinds_.push_back(static_cast<uint8_t>(kind));
    return true;
}

void TMessageStore::Clear()
{
    // Release the memory too: a display cleared after a long run should not keep it.
    std::vector<uint8_t>().swap(arena_);
    std::vector<uint32_t>().swap(starts_);
    std::vector<uint32_t>().swap(times_);
    std::vector<uint8_t>().swap(kinds_);
}

uint32_t TMessageStore::LengthOf(size_t line) const
{
    const uint32_t end = line + 1 < starts_.size() ? StartOf(line + 1) : static_cast<uint32_t>(arena_.size());
    return end - StartOf(line);
}

std::string TMessageStore::LineText(size_t line) const
{
    const TLocoNetMessage message(BytesOf(line), LengthOf(line));
    if (!Expanded(line))
        return message.RawText();
    return MakeDecoderMessage(message)->ToText();
}

size_t TMessageStore::MemoryBytes() const
{
    return arena_.capacity() + starts_.capacity() * sizeof(uint32_t) + times_.capacity() * sizeof(uint32_t)
           + kinds_.capacity();
}
