// What the bus statistics cost on a full bus: 800 messages a second (a
// message every 1.25 ms) of a busy layout's mix, sensor reports of twenty
// boards, four throttles, points, a board being programmed, for four hours
// of bus time; the share of one core that takes, the memory four hours of
// history hold, and what one repaint of the window costs with an hour shown.
//
// floor: classifying every message by kind (MessageKind), which every
// receiver does anyway; the figures are the median of the runs.
#include "link/Busstatistics.h"
#include "link/Bustraffic.h"

#ifdef VARNSCOPE_HAVE_CHARTS
#include "app/monitor/Formbusstatistics.h"
#include <QApplication>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr uint64_t kHours = 4;
constexpr uint64_t kMinuteMs = 60 * 1000;
constexpr double kGoalPercent = 1.0;  // of one core

using TTimed = std::pair<TLocoNetMessage, uint64_t>;

// One minute of the mix: 800 messages in every second.
std::vector<TTimed> MinuteOfTraffic()
{
    TBusTraffic traffic;
    traffic.Add(320, 0, kMinuteMs, TBusTraffic::Sensors(1, 20));
    for (int slot : {3, 5, 8, 12})
        traffic.Add(70, 0, kMinuteMs, TBusTraffic::LocoSpeed(slot));
    traffic.Add(100, 0, kMinuteMs, TBusTraffic::Switch(12));
    traffic.Add(50, 0, kMinuteMs, TBusTraffic::SvRead(104));
    traffic.Add(50, 0, kMinuteMs, TBusTraffic::SvReply(104));
    std::vector<TTimed> minute;
    traffic.Play([&](const TLocoNetMessage& message, uint64_t timeMs) { minute.emplace_back(message, timeMs); });
    return minute;
}

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Four hours of the minute over and over, fed as the window feeds it: each
// message with its time, the clock moved on twice a second.
void FeedHours(TBusStatistics& stats, const std::vector<TTimed>& minute)
{
    for (uint64_t m = 0; m < kHours * 60; ++m) {
        const uint64_t base = m * kMinuteMs;
        uint64_t tick = base;
        for (const auto& [message, timeMs] : minute) {
            stats.Add(message, base + timeMs);
            if (base + timeMs >= tick + 500) {
                tick += 500;
                stats.Advance(tick);
            }
        }
    }
    stats.Advance(kHours * 60 * kMinuteMs);
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<TTimed> minute = MinuteOfTraffic();
    const double busSeconds = double(kHours * 3600);
    const double messages = double(minute.size() * kHours * 60);
    std::printf("%.0f messages, %llu hours of bus time at %.0f messages a second\n", messages,
                static_cast<unsigned long long>(kHours), messages / busSeconds);

    std::vector<double> feeds, floors;
    size_t memory = 0;
    long residentGrowth = 0;
    for (int run = 0; run < kRuns; ++run) {
        const long before = ResidentKiB();
        auto stats = std::make_unique<TBusStatistics>();
        feeds.push_back(Seconds([&] { FeedHours(*stats, minute); }));
        memory = stats->MemoryBytes();
        if (run == 0)  // later runs reuse what the first one freed
            residentGrowth = ResidentKiB() - before;
        long kinds = 0;
        floors.push_back(Seconds([&] {
            for (uint64_t m = 0; m < kHours * 60; ++m)
                for (const auto& timed : minute)
                    kinds += timed.first.MessageKind();
        }));
        if (kinds == 0)
            std::printf("?");
    }
    const double feed = Median(feeds), floor = Median(floors);
    const double corePercent = feed / busSeconds * 100.0;
    std::printf("%-28s %10.3f us a message\n", "statistics", feed / messages * 1e6);
    std::printf("%-28s %10.3f us a message\n", "floor (kind of each)", floor / messages * 1e6);
    std::printf("%-28s %10.1f\n", "ratio", feed / floor);
    std::printf("%-28s %10.3f %% of one core (goal < %.0f %%)\n", "share at 800 msg/s", corePercent, kGoalPercent);
    std::printf("%-28s %10.2f MB held (%.2f MB resident growth; goal < 5 MB)\n", "four hours of history",
                double(memory) / 1e6, double(residentGrowth) / 1024.0);

    int status = corePercent < kGoalPercent && memory < 5u * 1000 * 1000 ? 0 : 1;
#ifdef VARNSCOPE_HAVE_CHARTS
    // The window with an hour of the evening on its graph: one repaint.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBusStatisticsForm form;
    form.StartFeed(0);
    for (uint64_t m = 0; m < 60; ++m)
        for (const auto& [message, timeMs] : minute)
            form.AddMessage(message, m * kMinuteMs + timeMs);
    form.Advance(60 * kMinuteMs);
    form.show();
    std::vector<double> repaints;
    for (int run = 0; run < 21; ++run) {
        repaints.push_back(Seconds([&] {
            form.Refresh();
            form.repaint();
        }));
    }
    const double repaint = Median(repaints);
    std::printf("%-28s %10.1f ms (%.1f %% of one core at two a second)\n", "window repaint, an hour shown",
                repaint * 1e3, repaint * 2 * 100);
#else
    (void)argc;
    (void)argv;
#endif
    return status;
}
