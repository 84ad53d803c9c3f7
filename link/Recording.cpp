#include "link/Recording.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t GetLe(const uint8_t* in, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(in[i]) << (8 * i);
    return value;
}

// Unsigned LEB128: seven bits a byte, low first; a byte with bit 7 clear ends it.
void PutVarint(std::vector<uint8_t>& out, uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

enum class TVarint { Ok, Cut, TooLong };

// A time step is at most 63 bits: nine bytes, the ninth without its bit 7.
TVarint GetVarint(std::span<const uint8_t> data, size_t& pos, uint64_t& value)
{
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (pos >= data.size())
            return TVarint::Cut;
        const uint8_t byte = data[pos++];
        value |= static_cast<uint64_t>(byte & 0x7F) << (7 * i);
        if ((byte & 0x80) == 0)
            return TVarint::Ok;
    }
    return TVarint::TooLong;
}

// What the framer delivers: an opcode, data bytes, the length the opcode
// (or its count byte) gives and a good checksum.
bool IsWellFormedMessage(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 2 || (bytes[0] & 0x80) == 0)
        return false;
    size_t expected = ((bytes[0] & 0x60u) >> 4) + 2;
    if (expected == 8)
        expected = bytes[1];
    if (bytes.size() != expected)
        return false;
    uint8_t x = bytes[0];
    for (size_t i = 1; i < bytes.size(); ++i) {
        if (bytes[i] & 0x80)
            return false;
        x ^= bytes[i];
    }
    return x == 0xFF;
}

}  // namespace

const char* RecDirectionName(TRecDirection direction)
{
    switch (direction) {
    case TRecDirection::Received: return "received";
    case TRecDirection::Sent: return "sent";
    case TRecDirection::Rejected: return "rejected";
    }
    return "unknown";
}

// ---- Reading --------------------------------------------------------------

void TRecording::Fail(TRecStop stop, uint64_t offset)
{
    stop_ = stop;
    stopOffset_ = offset;
}

void TRecording::Parse(std::span<const uint8_t> data)
{
    entries_.clear();
    pool_.clear();
    startUs_ = 0;
    version_ = 0;
    stop_ = TRecStop::End;
    stopOffset_ = 0;
    ioError_.clear();

    // A file shorter than the magic that agrees with it so far is a cut recording.
    const size_t magicSeen = std::min(data.size(), sizeof RecFormat::kMagic);
    if (magicSeen > 0 && std::memcmp(data.data(), RecFormat::kMagic, magicSeen) != 0)
        return Fail(TRecStop::Foreign, 0);
    if (data.size() < 12)
        return Fail(TRecStop::Cut, 0);
    version_ = static_cast<uint16_t>(GetLe(&data[8], 2));
    const uint16_t headerSize = static_cast<uint16_t>(GetLe(&data[10], 2));
    if (version_ == 0)
        return Fail(TRecStop::Foreign, 8);
    if (version_ > RecFormat::kVersion)
        return Fail(TRecStop::Newer, 8);
    if (headerSize < RecFormat::kHeaderSize)
        return Fail(TRecStop::Damaged, 10);
    if (data.size() < headerSize)
        return Fail(TRecStop::Cut, 0);
    startUs_ = static_cast<int64_t>(GetLe(&data[12], 8));

    // Records average under ten bytes: reserving for that spares regrowing.
    entries_.reserve((data.size() - headerSize) / 8);
    pool_.reserve(data.size() - headerSize);
    size_t pos = headerSize;
    int64_t offsetUs = 0;
    while (pos < data.size()) {
        const size_t begin = pos;
        uint64_t step = 0;
        const TVarint got = GetVarint(data, pos, step);
        if (got == TVarint::Cut)
            return Fail(TRecStop::Cut, begin);
        if (got == TVarint::TooLong || step > static_cast<uint64_t>(std::numeric_limits<int64_t>::max() - offsetUs))
            return Fail(TRecStop::Damaged, begin);
        if (pos + 2 > data.size())
            return Fail(TRecStop::Cut, begin);
        const uint8_t direction = data[pos];
        const uint8_t length = data[pos + 1];
        if (direction >= kRecDirectionCount || length == 0 || length > RecFormat::kMaxFrameBytes)
            return Fail(TRecStop::Damaged, begin);
        pos += 2;
        if (data.size() - pos < length)
            return Fail(TRecStop::Cut, begin);
        const std::span<const uint8_t> bytes = data.subspan(pos, length);
        if (static_cast<TRecDirection>(direction) == TRecDirection::Received && !IsWellFormedMessage(bytes))
            return Fail(TRecStop::Damaged, begin);
        pos += length;
        offsetUs += static_cast<int64_t>(step);
        if (pool_.size() > std::numeric_limits<uint32_t>::max() - length)
            return Fail(TRecStop::Damaged, begin);  // beyond 4 GB of frames: more than this reader holds
        entries_.push_back({offsetUs, static_cast<uint32_t>(pool_.size()), length, static_cast<TRecDirection>(direction)});
        pool_.insert(pool_.end(), bytes.begin(), bytes.end());
    }
    stopOffset_ = pos;
}

bool TRecording::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> data;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size >= 0) {
            data.resize(static_cast<size_t>(size));
            in.read(reinterpret_cast<char*>(data.data()), size);
        }
    }
    if (!in) {
        Parse({});
        stop_ = TRecStop::Unreadable;
        ioError_ = std::strerror(errno);
        return false;
    }
    Parse(data);
    return true;
}

std::string TRecording::StopText() const
{
    const std::string where = "at byte " + std::to_string(stopOffset_) + " after " + std::to_string(Count()) +
                              (Count() == 1 ? " record" : " records");
    switch (stop_) {
    case TRecStop::End: return {};
    case TRecStop::Cut: return "the recording is cut short " + where;
    case TRecStop::Damaged: return "the recording is damaged " + where;
    case TRecStop::Foreign: return "not a LocoNet recording";
    case TRecStop::Newer:
        return "a recording of format version " + std::to_string(version_) + ", newer than this program reads (" +
               std::to_string(RecFormat::kVersion) + ")";
    case TRecStop::Unreadable: return "cannot read the file: " + ioError_;
    }
    return {};
}

TRecFrame TRecording::At(size_t index) const
{
    const TEntry& e = entries_[index];
    return {e.offsetUs, e.direction, std::span<const uint8_t>(pool_.data() + e.pool, e.length)};
}

void TRecording::ForEach(const std::function<void(const TRecFrame&)>& visit) const
{
    for (size_t i = 0; i < entries_.size(); ++i)
        visit(At(i));
}

// ---- Writing --------------------------------------------------------------

TRecordingWriter::~TRecordingWriter()
{
    Close();
}

bool TRecordingWriter::Open(const std::string& path, int64_t startUs)
{
    Close();
    path_ = path;
    error_.clear();
    failed_ = false;
    written_ = 0;
    records_ = 0;
    lastOffsetUs_ = 0;
    bufferedSinceUs_ = -1;
    buffer_.clear();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        error_ = "cannot create " + path + ": " + std::strerror(errno);
        failed_ = true;
        return false;
    }
    // The recording is ours alone: the writer's own buffer decides when bytes go out.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    std::vector<uint8_t> header(std::begin(RecFormat::kMagic), std::end(RecFormat::kMagic));
    PutLe(header, RecFormat::kVersion, 2);
    PutLe(header, RecFormat::kHeaderSize, 2);
    PutLe(header, static_cast<uint64_t>(startUs), 8);
    return WriteOut(header.data(), header.size());
}

void TRecordingWriter::Append(int64_t offsetUs, TRecDirection direction, const uint8_t* bytes, size_t count)
{
    if (file_ == nullptr)
        return;
    // Longer runs of rejected bytes go in pieces a record can hold.
    while (count > 0) {
        const size_t piece = std::min<size_t>(count, RecFormat::kMaxFrameBytes);
        if (offsetUs < lastOffsetUs_)
            offsetUs = lastOffsetUs_;
        PutVarint(buffer_, static_cast<uint64_t>(offsetUs - lastOffsetUs_));
        buffer_.push_back(static_cast<uint8_t>(direction));
        buffer_.push_back(static_cast<uint8_t>(piece));
        buffer_.insert(buffer_.end(), bytes, bytes + piece);
        lastOffsetUs_ = offsetUs;
        ++records_;
        bytes += piece;
        count -= piece;
    }
    if (bufferedSinceUs_ < 0)
        bufferedSinceUs_ = offsetUs;
    if (buffer_.size() >= kFlushBytes || offsetUs - bufferedSinceUs_ >= kFlushIntervalUs)
        Flush();
}

void TRecordingWriter::Tick(int64_t nowUs)
{
    if (file_ != nullptr && bufferedSinceUs_ >= 0 && nowUs - bufferedSinceUs_ >= kFlushIntervalUs)
        Flush();
}

bool TRecordingWriter::Flush()
{
    if (file_ == nullptr)
        return !failed_;
    if (buffer_.empty())
        return true;
    const bool ok = WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    bufferedSinceUs_ = -1;
    return ok;
}

bool TRecordingWriter::WriteOut(const uint8_t* bytes, size_t count)
{
    errno = 0;
    const size_t done = std::fwrite(bytes, 1, count, file_);
    written_ += done;
    if (done == count && std::fflush(file_) == 0)
        return true;
    error_ = "cannot write " + path_ + ": " + std::strerror(errno ? errno : EIO) + "; the recording stopped";
    failed_ = true;
    std::fclose(file_);
    file_ = nullptr;
    buffer_.clear();
    return false;
}

void TRecordingWriter::Close()
{
    if (file_ == nullptr)
        return;
    Flush();
    if (file_ != nullptr && std::fclose(file_) != 0 && !failed_) {
        error_ = "cannot write " + path_ + ": " + std::strerror(errno) + "; the recording stopped";
        failed_ = true;
    }
    file_ = nullptr;
}

int64_t RecWallClockUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t RecSteadyClockUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
