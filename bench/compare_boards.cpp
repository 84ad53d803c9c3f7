// How long a comparison by setting of two boards takes, for each model: two
// boards read back from random 512-SV images (64 for the TEL90), compared as
// the Compare window and `varnscope-cli diff` compare them (each board put
// through its image and decoded again, both settings reports aligned), and
// the naming of every SV a verify adds.
//
// floor: decoding the two images alone, the least a comparison of what two
// boards hold must do; the figures are the median of the runs.
#include "boards/core/Boardcompare.h"
#include "boards/core/Boardfactory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kRuns = 41;
constexpr double kGoalMs = 20.0;

double MedianMs(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
    return times[kRuns / 2];
}

std::vector<uint8_t> RandomImage(std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> image(512);
    for (uint8_t& b : image)
        b = static_cast<uint8_t>(byte(random));
    return image;
}

}  // namespace

int main()
{
    std::mt19937 random(512);
    std::printf("%-8s %10s %10s %7s %10s %8s %10s\n", "model", "compare", "floor", "ratio", "name SVs", "rows",
                "differ");
    bool allWithinGoal = true;
    for (int type = 0; type < kBoardTypeCount; ++type) {
        const std::vector<uint8_t> imageA = RandomImage(random);
        const std::vector<uint8_t> imageB = RandomImage(random);
        std::unique_ptr<TConfigurableBoard> a = BoardFromImage(type, imageA);
        std::unique_ptr<TConfigurableBoard> b = BoardFromImage(type, imageB);
        if (!a || !b)
            continue;

        TBoardComparison comparison;
        const double compareMs = MedianMs([&] { comparison = CompareBoards(*a, *b); });
        const double floorMs = MedianMs([&] {
            BoardFromImage(type, imageA);
            BoardFromImage(type, imageB);
        });
        const double namingMs = MedianMs([&] { a->NameSvImage(); });
        allWithinGoal = allWithinGoal && compareMs < kGoalMs;
        std::printf("%-8s %8.3f ms %7.3f ms %6.1fx %7.3f ms %8zu %10zu\n", a->BoardTypeName().c_str(), compareMs,
                    floorMs, compareMs / floorMs, namingMs, comparison.rows.size(), comparison.Differences().size());
    }
    std::printf("compare: decode both, compute and decode again, align both settings reports (median of %d runs);\n"
                "floor: decoding the two images alone; name SVs: one board's image computed with every SV named;\n"
                "goal: under %.0f ms a comparison: %s\n",
                kRuns, kGoalMs, allWithinGoal ? "met for every model" : "NOT met");
    return 0;
}
