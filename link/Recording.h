// A recording of a LocoNet bus: every frame received, every frame sent and
// every run of bytes the framer rejected, each with its time. The file is a
// fixed header and then compact records, appended as they happen, so a file
// cut off by a crash or a pulled plug is still read up to its last whole
// record. doc/recording-format.md describes the bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

enum class TRecDirection : uint8_t {
    Received = 0,  // a valid message framed from the link
    Sent = 1,      // a message this program wrote to the link
    Rejected = 2,  // bytes the framer dropped (bad checksum, cut short, stray)
};
constexpr int kRecDirectionCount = 3;

const char* RecDirectionName(TRecDirection direction);  // "received", "sent", "rejected"

namespace RecFormat {
inline constexpr uint8_t kMagic[8] = {'V', 'S', 'L', 'N', 'R', 'E', 'C', 0x1A};
inline constexpr uint16_t kVersion = 1;
inline constexpr int kHeaderSize = 20;  // magic, version, header size, start time
inline constexpr int kMaxFrameBytes = 127;  // a LocoNet frame's longest length
}  // namespace RecFormat

// Why reading stopped.
enum class TRecStop {
    End,      // every byte read: the recording is whole
    Cut,      // the file ends inside a record (or inside the header)
    Damaged,  // a record that cannot be one (bad direction, length or message)
    Foreign,  // not a recording at all
    Newer,    // a recording of a format version this program does not know
    Unreadable,  // the file could not be opened or read
};

// One record as read; bytes point into the recording that holds them.
struct TRecFrame {
    int64_t offsetUs;  // since the start of the recording
    TRecDirection direction;
    std::span<const uint8_t> bytes;
};

// A whole recording in memory: compact entries over one pool of bytes, so
// a million messages cost a few tens of megabytes and no allocation each.
class TRecording {
public:  // Reading
    // Parses a recording's bytes; keeps every whole record before a fault.
    void Parse(std::span<const uint8_t> data);
    // Reads a file; Stop() says Unreadable when it cannot be read.
    bool Load(const std::string& path);

    TRecStop Stop() const { return stop_; }
    bool Whole() const { return stop_ == TRecStop::End; }
    // Where reading stopped: the byte offset of the first byte not taken.
    uint64_t StopOffset() const { return stopOffset_; }
    uint16_t Version() const { return version_; }
    // A sentence on why reading stopped ("cut short at byte 1234 after 56
    // records"); empty for a whole recording.
    std::string StopText() const;

public:  // The records
    int64_t StartUs() const { return startUs_; }  // wall clock, microseconds since 1970 UTC
    size_t Count() const { return entries_.size(); }
    TRecFrame At(size_t index) const;
    int64_t DurationUs() const { return entries_.empty() ? 0 : entries_.back().offsetUs; }
    // Every record in order, with its time: the way another consumer (a
    // display, a statistics window, an exporter) takes a recording.
    void ForEach(const std::function<void(const TRecFrame&)>& visit) const;

private:
    struct TEntry {
        int64_t offsetUs;
        uint32_t pool;  // first byte in pool_
        uint8_t length;
        TRecDirection direction;
    };
    void Fail(TRecStop stop, uint64_t offset);

    std::vector<TEntry> entries_;
    std::vector<uint8_t> pool_;
    int64_t startUs_ = 0;
    uint16_t version_ = 0;
    TRecStop stop_ = TRecStop::End;
    uint64_t stopOffset_ = 0;
    std::string ioError_;
};

// Appends records to a file through a buffer. The buffer goes to the file
// when it holds a second's worth of records (by their times), when it grows
// large, on Flush and on Close: a crash loses at most about a second. A
// failed write stops the recording: Failed() then says so and Error() why,
// and every later Append is ignored, so the caller's work goes on.
class TRecordingWriter {
public:
    TRecordingWriter() = default;
    ~TRecordingWriter();
    TRecordingWriter(const TRecordingWriter&) = delete;
    TRecordingWriter& operator=(const TRecordingWriter&) = delete;

    // Creates (replaces) the file and writes the header. startUs: wall clock
    // of the start, microseconds since 1970 UTC.
    bool Open(const std::string& path, int64_t startUs);
    // offsetUs: since the start; an offset earlier than the last is taken as the last.
    void Append(int64_t offsetUs, TRecDirection direction, const uint8_t* bytes, size_t count);
    // Writes what is buffered when it is older than a second at nowUs (a
    // timer calls it, so a quiet bus is written too).
    void Tick(int64_t nowUs);
    bool Flush();
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    bool Failed() const { return failed_; }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }
    uint64_t BytesWritten() const { return written_; }         // header and records on disk
    uint64_t Size() const { return written_ + buffer_.size(); }  // with what is buffered
    uint64_t Records() const { return records_; }

    static constexpr int64_t kFlushIntervalUs = 1000000;
    static constexpr size_t kFlushBytes = 64 * 1024;

private:
    bool WriteOut(const uint8_t* bytes, size_t count);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    bool failed_ = false;
    std::vector<uint8_t> buffer_;
    int64_t lastOffsetUs_ = 0;
    int64_t bufferedSinceUs_ = -1;  // time of the oldest buffered record, -1 when none
    uint64_t written_ = 0;
    uint64_t records_ = 0;
};

// The wall clock in microseconds since 1970 UTC, and a steady clock in
// microseconds from an arbitrary start, for callers that stamp records.
int64_t RecWallClockUs();
int64_t RecSteadyClockUs();
