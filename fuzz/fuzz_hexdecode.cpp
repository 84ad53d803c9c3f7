// Typed hexadecimal text through the parser, then the message through the
// decoder of its kind; the input's bytes are also decoded as a message as they
// stand, so that every kind's decoder sees bytes no parser has checked.
#include "Fuzzsupport.h"
#include "link/Lndispatch.h"
#include "link/Lnmessage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Decode(const TLocoNetMessage& message)
{
    (void)message.IsValid();
    (void)message.HexText();
    (void)message.RawText();
    std::unique_ptr<TLocoNetMessage> decoded = MakeDecoderMessage(message);
    FUZZ_CHECK(decoded != nullptr);
    FUZZ_CHECK(decoded->Length() == message.Length());
    (void)decoded->ToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    std::string reason;
    if (TLocoNetMessage::ParseHexText(text, bytes, reason)) {
        const TLocoNetMessage parsed(reinterpret_cast<const uint8_t*>(bytes.data()),
                                     static_cast<uint32_t>(bytes.size()));
        Decode(parsed);
        // The parser must take back the text it writes.
        std::string again;
        FUZZ_CHECK(TLocoNetMessage::ParseHexText(parsed.HexText(), again));
        FUZZ_CHECK(again == bytes);
    } else {
        FUZZ_CHECK(!reason.empty());
    }
    Decode(TLocoNetMessage(text));
    if (size <= 256)
        Decode(TLocoNetMessage(data, static_cast<uint32_t>(size)));
    return 0;
}
