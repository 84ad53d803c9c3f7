// A byte stream through the framer, every valid frame through its decoder.
#include "Fuzzsupport.h"
#include "link/Lndispatch.h"
#include "link/Lnframer.h"
#include "link/Lnmessage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TLnFramer framer;
    for (size_t i = 0; i < size; ++i) {
        const TLnFramer::TResult result = framer.Feed(data[i]);
        FUZZ_CHECK(framer.Pending() >= 0 && framer.Pending() <= TLnFramer::kMaxFrame);
        if (result != TLnFramer::TResult::Complete)
            continue;
        FUZZ_CHECK(framer.FrameLength() >= 2 && framer.FrameLength() <= TLnFramer::kMaxFrame);
        FUZZ_CHECK((framer.Frame()[0] & 0x80) != 0);
        const TLocoNetMessage message(framer.Frame(), static_cast<uint32_t>(framer.FrameLength()));
        if (message.IsValid()) {
            std::unique_ptr<TLocoNetMessage> decoded = MakeDecoderMessage(message);
            (void)decoded->ToText();
        }
    }
    return 0;
}
