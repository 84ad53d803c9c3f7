// What recording costs and what a recording weighs: the CPU time of
// recording a full bus (800 messages a second) through the link's recorder
// path, as a share of one core; the file's bytes for an hour of a busy
// layout; and the time to open a recording of 1,000,000 messages into the
// message display. Each figure is reported beside its floor.
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistmodel.h"
#include "link/Lndecoders.h"
#include "link/Recording.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double kFullBusPerSecond = 800.0;
constexpr double kCpuFloorPercent = 1.0;      // of one core at a full bus
constexpr double kHourFloorBytes = 50e6;      // an hour of a busy layout
constexpr double kOpenFloorMs = 1000.0;       // 1,000,000 messages into the display
int kMessages = 1000000;                      // VARNSCOPE_BENCH_MESSAGES overrides

// Busy-layout traffic: mostly 4-byte messages, one in ten a 16-byte SV or peer message.
std::vector<std::vector<uint8_t>> TrafficMix()
{
    std::vector<std::vector<uint8_t>> mix;
    auto add = [&mix](const TLocoNetMessage& m) { mix.emplace_back(m.Data(), m.Data() + m.Length()); };
    for (int i = 0; i < 9; ++i)
        add(TLNSensFBMessage(1 + i, 1 + i % 16, i % 2 == 0));
    TLocoNetMessage sv;
    for (int b : {0xE5, 0x10, 0x00, 0x01, 0x02, 0x10, 0x65, 0x00, 0x03, 0x00, 0x10, 0x2A, 0, 0, 0})
        sv.AppendByte(uint8_t(b));
    sv.AppendChecksum();
    add(sv);
    return mix;
}

double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (const QByteArray n = qgetenv("VARNSCOPE_BENCH_MESSAGES"); !n.isEmpty())
        kMessages = n.toInt();
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("bench.lnrec")).toStdString();
    const std::vector<std::vector<uint8_t>> mix = TrafficMix();

    // Writing: each message stamped by the clocks as the recorder does it, the
    // writer's buffer flushed as it would be in a second of a full bus.
    const int64_t stepUs = int64_t(1e6 / kFullBusPerSecond);
    TRecordingWriter writer;
    writer.Open(path, RecWallClockUs());
    const double cpu0 = CpuSeconds();
    for (int i = 0; i < kMessages; ++i) {
        const std::vector<uint8_t>& m = mix[size_t(i) % mix.size()];
        (void)RecSteadyClockUs();
        writer.Append(int64_t(i) * stepUs, TRecDirection::Received, m.data(), m.size());
    }
    writer.Close();
    const double cpuPerMessage = (CpuSeconds() - cpu0) / kMessages;
    const double cpuPercent = cpuPerMessage * kFullBusPerSecond * 100.0;
    std::printf("%-46s %8.3f us/message, %.4f %% of a core at 800 msg/s (floor %.0f %%: %.0fx under)\n",
                "recording a full bus", cpuPerMessage * 1e6, cpuPercent, kCpuFloorPercent, kCpuFloorPercent / cpuPercent);

    const double bytesPerMessage = double(writer.BytesWritten() - RecFormat::kHeaderSize) / kMessages;
    const double hourBytes = bytesPerMessage * kFullBusPerSecond * 3600.0;
    std::printf("%-46s %8.2f bytes/message, %.1f MB an hour at 800 msg/s (floor %.0f MB: %.1fx under)\n",
                "file size, busy layout", bytesPerMessage, hourBytes / 1e6, kHourFloorBytes / 1e6, kHourFloorBytes / hourBytes);

    // Opening: read, parse and put every message into a display's store.
    QElapsedTimer timer;
    timer.start();
    TRecording recording;
    recording.Load(path);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    TDisplayForm form;
    form.ShowRecording(recording, QStringLiteral("bench.lnrec"));
    const double openMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-46s %8.1f ms for %d messages (reading %.1f ms; floor %.0f ms: %.1fx under)\n",
                "opening a recording into the display", openMs, form.Model()->LineCount(), loadMs, kOpenFloorMs,
                kOpenFloorMs / openMs);
    return recording.Whole() && form.Model()->LineCount() == kMessages ? 0 : 1;
}
