#include "app/monitor/Speedometer.h"

#include <cmath>
#include <cstdio>

namespace {

struct TScaleRow {
    double factor;
};
constexpr TScaleRow kScales[TSpeedometer::kScaleCount] = {{48}, {76}, {87}, {148}, {160}, {220}};

struct TUnitRow {
    double factor;  // from metres per second
    const char* text;
};
// 2.25 rather than 2.237 for miles per hour: the figure the tool has always used.
constexpr TUnitRow kUnits[TSpeedometer::kUnitCount] = {{1.0, "m/s"}, {3.6, "Kph"}, {2.25, "MPH"}};

}  // namespace

double TSpeedometer::ScaleFactorAt(int position)
{
    if (position < 0 || position >= kScaleCount)
        position = 0;
    return kScales[position].factor;
}

double TSpeedometer::UnitFactorAt(int position)
{
    if (position < 0 || position >= kUnitCount)
        position = 0;
    return kUnits[position].factor;
}

std::string TSpeedometer::UnitTextAt(int position)
{
    if (position < 0 || position >= kUnitCount)
        position = 0;
    return kUnits[position].text;
}

bool TSpeedometer::ParseLength(std::string_view text, double& metres)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    double whole = 0.0;
    double fraction = 0.0;
    double scale = 1.0;
    int digits = 0;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (point) {
                scale /= 10.0;
                fraction += (c - '0') * scale;
            } else {
                whole = whole * 10.0 + (c - '0');
            }
        } else {
            return false;  // "1,000" is not a thousand metres, nor one
        }
    }
    const double length = whole + fraction;
    if (digits == 0 || !std::isfinite(length) || length <= 0.0)
        return false;
    metres = length;
    return true;
}

std::string TSpeedometer::FormatSpeed(double speed)
{
    if (!std::isfinite(speed))
        return {};
    // Tenths rounded half away from zero, then printed without padding zeros.
    const double tenths = std::round(speed * 10.0);
    const bool negative = tenths < 0;
    const double magnitude = std::fabs(tenths);
    const double whole = std::floor(magnitude / 10.0);
    const int fraction = static_cast<int>(magnitude - whole * 10.0);
    std::string text;
    if (negative)
        text = "-";
    if (whole > 0) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.0f", whole);
        text += buffer;
    }
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction);
    }
    if (text == "-")
        text.clear();
    return text;
}

void TSpeedometer::Reset()
{
    measuring_ = false;
    result_ = "(Idle)";
}

TSpeedometer::TTimerAction TSpeedometer::SensorReport(int board, int input, bool on, int64_t nowMs)
{
    const TSpeedoParams& p = params_;
    if (p.StartBoard == p.StopBoard && p.StartInput == p.StopInput)
        return TTimerAction::None;
    if (!on)
        return TTimerAction::None;
    const bool isStart = board == p.StartBoard && input == p.StartInput;
    const bool isStop = board == p.StopBoard && input == p.StopInput;
    if (isStart && !measuring_) {
        result_ = "Measuring...";
        measuring_ = true;
        startMs_ = nowMs;
        return TTimerAction::Start;
    }
    if (isStop && measuring_) {
        const int64_t elapsedMs = nowMs - startMs_;
        // Two reports within the same millisecond cannot be a train passing
        // a block: wait for a stop report that can be measured.
        if (elapsedMs <= 0)
            return TTimerAction::None;
        measuring_ = false;
        if (!p.LengthValid) {
            result_ = kNoLengthResult;
            return TTimerAction::Stop;
        }
        const double seconds = static_cast<double>(elapsedMs) / 1000.0;
        const double speed = p.Length * p.ScaleFactor * p.UnitFactor / seconds;
        result_ = FormatSpeed(speed) + p.UnitText;
        return TTimerAction::Stop;
    }
    return TTimerAction::None;
}

void TSpeedometer::Timeout()
{
    measuring_ = false;
    result_ = "Timed Out";
}
