// A recording file through the reader: whatever the bytes, it keeps only
// well-formed records, in time order, and stops where the prefix it kept
// reads whole again.
#include "Fuzzsupport.h"
#include "link/Recording.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    TRecording rec;
    rec.Parse(bytes);
    FUZZ_CHECK(rec.StopOffset() <= size);
    FUZZ_CHECK(rec.Whole() == (rec.Stop() == TRecStop::End));
    FUZZ_CHECK(rec.Whole() == rec.StopText().empty());
    int64_t last = 0;
    for (size_t i = 0; i < rec.Count(); ++i) {
        const TRecFrame f = rec.At(i);
        FUZZ_CHECK(f.offsetUs >= last);
        last = f.offsetUs;
        FUZZ_CHECK(!f.bytes.empty() && f.bytes.size() <= RecFormat::kMaxFrameBytes);
        if (f.direction == TRecDirection::Received)
            FUZZ_CHECK((f.bytes[0] & 0x80) != 0);
    }
    // What was kept is a whole recording by itself.
    if (!rec.Whole() && rec.StopOffset() >= static_cast<uint64_t>(RecFormat::kHeaderSize)) {
        TRecording prefix;
        prefix.Parse(bytes.first(rec.StopOffset()));
        FUZZ_CHECK(prefix.Whole());
        FUZZ_CHECK(prefix.Count() == rec.Count());
    }
    return 0;
}
