// A pcap capture file of LocoNet messages, as Wireshark and tshark read them:
// link type DLT_USER0 (147), each packet one LocoNet message with its time.
#pragma once

#include "link/Recording.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace Pcap {
inline constexpr uint32_t kLinkTypeUser0 = 147;
}

class TPcapWriter {
public:
    TPcapWriter() = default;
    ~TPcapWriter();
    TPcapWriter(const TPcapWriter&) = delete;
    TPcapWriter& operator=(const TPcapWriter&) = delete;

    bool Open(const std::string& path);
    // timeUs: wall clock, microseconds since 1970 UTC.
    bool Write(int64_t timeUs, const uint8_t* bytes, size_t count);
    bool Close();
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    // Written to the file at once, so a live capture can be followed.
    void SetFlushEach(bool on) { flushEach_ = on; }

private:
    bool Put(const uint8_t* bytes, size_t count);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    bool flushEach_ = false;
};

// The received messages of a recording into a pcap file: what was on the
// bus. Sent messages come back from the bus as received ones; rejected bytes
// are no message. Returns false with the reason in error.
bool ExportRecordingToPcap(const TRecording& recording, const std::string& path, std::string& error,
                           uint64_t* packets = nullptr);
