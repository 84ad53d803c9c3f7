#include "link/Pcap.h"

#include <cerrno>
#include <cstring>

namespace {

void Le32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

TPcapWriter::~TPcapWriter()
{
    Close();
}

bool TPcapWriter::Open(const std::string& path)
{
    Close();
    path_ = path;
    error_.clear();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        error_ = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    // Microsecond timestamps, version 2.4, UTC, snapshot length 65535.
    uint8_t header[24] = {};
    Le32(header, 0xA1B2C3D4);
    header[4] = 2;
    header[6] = 4;
    Le32(header + 16, 65535);
    Le32(header + 20, Pcap::kLinkTypeUser0);
    return Put(header, sizeof header);
}

bool TPcapWriter::Write(int64_t timeUs, const uint8_t* bytes, size_t count)
{
    if (file_ == nullptr)
        return false;
    if (timeUs < 0)
        timeUs = 0;
    uint8_t record[16];
    Le32(record, static_cast<uint32_t>(timeUs / 1000000));
    Le32(record + 4, static_cast<uint32_t>(timeUs % 1000000));
    Le32(record + 8, static_cast<uint32_t>(count));
    Le32(record + 12, static_cast<uint32_t>(count));
    if (!Put(record, sizeof record) || !Put(bytes, count))
        return false;
    if (flushEach_ && std::fflush(file_) != 0) {
        error_ = "cannot write " + path_ + ": " + std::strerror(errno);
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

bool TPcapWriter::Put(const uint8_t* bytes, size_t count)
{
    errno = 0;
    if (std::fwrite(bytes, 1, count, file_) == count)
        return true;
    error_ = "cannot write " + path_ + ": " + std::strerror(errno ? errno : EIO);
    std::fclose(file_);
    file_ = nullptr;
    return false;
}

bool TPcapWriter::Close()
{
    if (file_ == nullptr)
        return error_.empty();
    if (std::fclose(file_) != 0 && error_.empty())
        error_ = "cannot write " + path_ + ": " + std::strerror(errno);
    file_ = nullptr;
    return error_.empty();
}

bool ExportRecordingToPcap(const TRecording& recording, const std::string& path, std::string& error,
                           uint64_t* packets)
{
    TPcapWriter writer;
    uint64_t count = 0;
    if (writer.Open(path)) {
        for (size_t i = 0; i < recording.Count() && !writer.Failed(); ++i) {
            const TRecFrame frame = recording.At(i);
            if (frame.direction != TRecDirection::Received)
                continue;
            if (writer.Write(recording.StartUs() + frame.offsetUs, frame.bytes.data(), frame.bytes.size()))
                ++count;
        }
        writer.Close();
    }
    if (packets != nullptr)
        *packets = count;
    error = writer.Error();
    return error.empty();
}
