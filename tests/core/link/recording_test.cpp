// The recording format: what is written reads back the same, and a cut,
// damaged, foreign or newer file keeps every whole record and says why.
#include "link/Pcap.h"
#include "link/Recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kGpon = {0x83, 0x7C};
const Bytes kSensor = {0xB2, 0x05, 0x50, 0x18};  // checksum 0x18: 0xB2^0x05^0x50^0xFF
const Bytes kSvWrite = {0xE5, 0x10, 0x00, 0x01, 0x02, 0x10, 0x05, 0x00, 0x03, 0x00, 0x10, 0x2A, 0, 0, 0, 0x00};

Bytes WithChecksum(Bytes b)
{
    uint8_t c = 0xFF;
    for (size_t i = 0; i + 1 < b.size(); ++i)
        c ^= b[i];
    b.back() = c;
    return b;
}

std::string TempPath(const std::string& name)
{
    // Tests of several builds may run at once: each run its own names.
    static const std::string run = std::to_string(std::random_device{}());
    return (std::filesystem::temp_directory_path() / ("varnscope-" + run + "-" + name)).string();
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct TRecorded {
    int64_t offsetUs;
    TRecDirection direction;
    Bytes bytes;
    bool operator==(const TRecorded&) const = default;
};

std::vector<TRecorded> Frames(const TRecording& rec)
{
    std::vector<TRecorded> out;
    rec.ForEach([&](const TRecFrame& f) { out.push_back({f.offsetUs, f.direction, Bytes(f.bytes.begin(), f.bytes.end())}); });
    return out;
}

// A small recording with every direction, a long pause and a rejected run
// longer than one record holds.
struct TRecordingFixture : ::testing::Test {
    std::string path = TempPath("rec.lnrec");
    std::vector<TRecorded> written;
    Bytes file;

    void SetUp() override
    {
        const Bytes longRun(200, 0x11);
        written = {
            {0, TRecDirection::Received, kGpon},
            {1250, TRecDirection::Sent, WithChecksum(kSvWrite)},
            {1250, TRecDirection::Received, WithChecksum(kSvWrite)},
            {3'600'000'000LL, TRecDirection::Received, kSensor},  // an hour later
            {3'600'000'001LL, TRecDirection::Rejected, Bytes(longRun.begin(), longRun.begin() + 127)},
            {3'600'000'001LL, TRecDirection::Rejected, Bytes(longRun.begin() + 127, longRun.end())},
        };
        TRecordingWriter writer;
        ASSERT_TRUE(writer.Open(path, 1'765'400'000'000'000LL));
        for (size_t i = 0; i < 4; ++i)
            writer.Append(written[i].offsetUs, written[i].direction, written[i].bytes.data(), written[i].bytes.size());
        writer.Append(3'600'000'001LL, TRecDirection::Rejected, longRun.data(), longRun.size());
        writer.Close();
        EXPECT_FALSE(writer.Failed()) << writer.Error();
        EXPECT_EQ(writer.Records(), 6u);
        file = ReadAll(path);
        EXPECT_EQ(writer.BytesWritten(), file.size());
    }
    void TearDown() override { std::remove(path.c_str()); }
};

}  // namespace

TEST_F(TRecordingFixture, ReadsBackWhatWasWritten)
{
    TRecording rec;
    ASSERT_TRUE(rec.Load(path));
    EXPECT_TRUE(rec.Whole()) << rec.StopText();
    EXPECT_EQ(rec.StartUs(), 1'765'400'000'000'000LL);
    EXPECT_EQ(rec.Version(), RecFormat::kVersion);
    EXPECT_EQ(Frames(rec), written);
    EXPECT_EQ(rec.DurationUs(), 3'600'000'001LL);
    EXPECT_EQ(rec.StopOffset(), file.size());
}

// Every place a file can end keeps exactly the records wholly before it.
TEST_F(TRecordingFixture, ACutFileKeepsEveryWholeRecord)
{
    // Where each record ends, from reading the whole file.
    std::vector<size_t> ends;
    {
        TRecording whole;
        for (size_t cut = 0; cut <= file.size(); ++cut) {
            whole.Parse(std::span(file.data(), cut));
            if (whole.Whole() && cut >= static_cast<size_t>(RecFormat::kHeaderSize))
                ends.push_back(cut);
        }
    }
    ASSERT_EQ(ends.size(), written.size() + 1);  // the bare header, then each record
    for (size_t cut = 0; cut < file.size(); ++cut) {
        TRecording rec;
        rec.Parse(std::span(file.data(), cut));
        const size_t whole = std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin();
        const size_t records = whole == 0 ? 0 : whole - 1;
        ASSERT_EQ(rec.Count(), records) << "cut at " << cut;
        if (std::find(ends.begin(), ends.end(), cut) != ends.end())
            continue;
        EXPECT_EQ(rec.Stop(), TRecStop::Cut) << "cut at " << cut;
        EXPECT_EQ(rec.StopOffset(), records == 0 ? (cut < ends[0] ? 0 : ends[0]) : ends[whole - 1]) << "cut at " << cut;
        EXPECT_NE(rec.StopText().find("cut short"), std::string::npos);
    }
}

TEST_F(TRecordingFixture, SaysWhyItStopped)
{
    const size_t firstRecord = RecFormat::kHeaderSize;
    const size_t secondRecord = firstRecord + 1 + 2 + kGpon.size();
    const size_t thirdRecord = secondRecord + 2 + 2 + 16;  // after a two-byte time step
    struct TCase {
        const char* what;
        size_t at;
        uint8_t value;
        TRecStop stop;
        size_t records;
        const char* text;
    } cases[] = {
        {"other magic", 0, 'X', TRecStop::Foreign, 0, "not a LocoNet recording"},
        {"newer version", 8, 2, TRecStop::Newer, 0, "format version 2, newer"},
        {"version 0", 8, 0, TRecStop::Foreign, 0, "not a LocoNet recording"},
        {"header too short", 10, 4, TRecStop::Damaged, 0, "damaged at byte 10"},
        {"unknown direction", secondRecord + 2, 3, TRecStop::Damaged, 1, "damaged at byte 25 after 1 record"},
        {"zero length", secondRecord + 3, 0, TRecStop::Damaged, 1, "damaged"},
        {"length beyond a frame", secondRecord + 3, 128, TRecStop::Damaged, 1, "damaged"},
        // A received message is what the framer delivered: a bad checksum
        // or a length its opcode does not give is damage, not a message.
        {"received with bad checksum", thirdRecord + 3 + 15, 0x7F, TRecStop::Damaged, 2, "damaged at byte 45 after 2 records"},
        {"received with wrong length", firstRecord + 3, 0xA0, TRecStop::Damaged, 0, "damaged"},
    };
    for (const TCase& c : cases) {
        Bytes damaged = file;
        damaged[c.at] = c.value;
        TRecording rec;
        rec.Parse(damaged);
        EXPECT_EQ(rec.Stop(), c.stop) << c.what;
        EXPECT_EQ(rec.Count(), c.records) << c.what;
        EXPECT_NE(rec.StopText().find(c.text), std::string::npos) << c.what << ": " << rec.StopText();
    }
    // A sent message is kept as written, whatever it holds.
    Bytes sentChanged = file;
    sentChanged[secondRecord + 4 + 15] ^= 0x01;
    TRecording rec;
    rec.Parse(sentChanged);
    EXPECT_EQ(rec.Count(), written.size());

    TRecording missing;
    EXPECT_FALSE(missing.Load(TempPath("no-such-file.lnrec")));
    EXPECT_EQ(missing.Stop(), TRecStop::Unreadable);
    EXPECT_NE(missing.StopText().find("cannot read"), std::string::npos);
}

// A time step so large that the total would pass 2^63 microseconds is damage,
// never a wrapped, negative time.
TEST(Recording, TimeNeverOverflows)
{
    Bytes file = {'V', 'S', 'L', 'N', 'R', 'E', 'C', 0x1A, 1, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes record = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 2, 0x83, 0x7C};  // 2^63 - 1
    file.insert(file.end(), record.begin(), record.end());
    TRecording rec;
    rec.Parse(file);
    EXPECT_TRUE(rec.Whole());
    file.insert(file.end(), {0x01, 0, 2, 0x83, 0x7C});
    rec.Parse(file);
    EXPECT_EQ(rec.Stop(), TRecStop::Damaged);
    EXPECT_EQ(rec.Count(), 1u);
    EXPECT_GT(rec.At(0).offsetUs, 0);
}

// The buffer goes out once its oldest record is a second old, by the
// records' times or by a tick on a quiet bus, never before.
TEST(Recording, WriterFlushesWithinASecond)
{
    const std::string path = TempPath("flush.lnrec");
    TRecordingWriter writer;
    ASSERT_TRUE(writer.Open(path, 0));
    const uint64_t header = ReadAll(path).size();
    EXPECT_EQ(header, static_cast<uint64_t>(RecFormat::kHeaderSize));
    writer.Append(100, TRecDirection::Received, kGpon.data(), kGpon.size());
    writer.Append(999'000, TRecDirection::Received, kGpon.data(), kGpon.size());
    EXPECT_EQ(ReadAll(path).size(), header);
    writer.Tick(1'000'099);
    EXPECT_EQ(ReadAll(path).size(), header);
    writer.Tick(1'000'100);
    EXPECT_EQ(ReadAll(path).size(), header + 5 + 7);  // time steps of 1 and 3 bytes
    writer.Append(2'000'000, TRecDirection::Received, kGpon.data(), kGpon.size());
    writer.Append(3'000'000, TRecDirection::Received, kGpon.data(), kGpon.size());
    EXPECT_EQ(ReadAll(path).size(), writer.Size());
    writer.Close();
    std::remove(path.c_str());
}

// A full disk stops the recording with a reason and ignores what follows.
TEST(Recording, AWriteErrorStopsTheRecording)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TRecordingWriter writer;
    EXPECT_FALSE(writer.Open("/dev/full", 0));
    EXPECT_TRUE(writer.Failed());
    EXPECT_NE(writer.Error().find("the recording stopped"), std::string::npos) << writer.Error();
    writer.Append(0, TRecDirection::Received, kGpon.data(), kGpon.size());
    EXPECT_FALSE(writer.Flush());
    EXPECT_FALSE(writer.IsOpen());

    TRecordingWriter nowhere;
    EXPECT_FALSE(nowhere.Open(TempPath("no-such-dir/x.lnrec"), 0));
    EXPECT_NE(nowhere.Error().find("cannot create"), std::string::npos);
}

// pcap: the global header names link type 147 and each received message is
// one packet at start + offset; sent and rejected records are not packets.
TEST_F(TRecordingFixture, ExportsReceivedMessagesToPcap)
{
    TRecording rec;
    ASSERT_TRUE(rec.Load(path));
    const std::string pcapPath = TempPath("rec.pcap");
    std::string error;
    uint64_t packets = 0;
    ASSERT_TRUE(ExportRecordingToPcap(rec, pcapPath, error, &packets)) << error;
    EXPECT_EQ(packets, 3u);
    const Bytes pcap = ReadAll(pcapPath);
    std::remove(pcapPath.c_str());
    ASSERT_EQ(pcap.size(), 24u + 3 * 16 + kGpon.size() + 16 + kSensor.size());
    auto le32 = [&](size_t at) { return pcap[at] | pcap[at + 1] << 8 | pcap[at + 2] << 16 | uint32_t(pcap[at + 3]) << 24; };
    EXPECT_EQ(le32(0), 0xA1B2C3D4u);
    EXPECT_EQ(le32(20), 147u);
    EXPECT_EQ(le32(24), 1'765'400'000u);  // seconds
    EXPECT_EQ(le32(28), 0u);              // microseconds
    EXPECT_EQ(le32(32), 2u);
    const size_t second = 24 + 16 + 2;
    EXPECT_EQ(le32(second + 4), 1250u);
    EXPECT_EQ(le32(second + 8), 16u);
    const size_t third = second + 16 + 16;
    EXPECT_EQ(le32(third), 1'765'400'000u + 3600u);
    EXPECT_EQ(Bytes(pcap.begin() + third + 16, pcap.end()), kSensor);
}
