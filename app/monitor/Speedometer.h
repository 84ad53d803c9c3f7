// The speedometer's measuring logic, free of widgets: it is fed sensor
// reports with the time they arrived and a time-out, and reports its result
// text and whether its 20 s time-out must run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TSpeedoParams {
    int StartBoard = 1;
    int StartInput = 1;
    int StopBoard = 1;
    int StopInput = 1;
    double ScaleFactor = 148.0;
    double UnitFactor = 2.25;
    std::string UnitText = "MPH";
    double Length = 1.0;  // [m]
    // False while the length text does not read as a length: no speed is
    // computed then, rather than one from an older length.
    bool LengthValid = true;
};

class TSpeedometer {
public:
    enum class TTimerAction { None, Start, Stop };

    static constexpr int kTimeoutMs = 20000;
    static constexpr int kScaleCount = 6;
    static constexpr int kUnitCount = 3;

    // Tables by list position; positions out of range give the first entry.
    static double ScaleFactorAt(int position);
    static double UnitFactorAt(int position);
    static std::string UnitTextAt(int position);

    // A block length in metres: digits with at most one point as the decimal
    // separator (no group separators, sign or exponent), above zero.
    static bool ParseLength(std::string_view text, double& metres);

    // The result shown when a measurement ends while the length is unreadable.
    static constexpr const char* kNoLengthResult = "No length";

    // "#.#": at most one decimal place, no leading or trailing zeros.
    static std::string FormatSpeed(double speed);

    void SetParams(const TSpeedoParams& params) { params_ = params; }
    const TSpeedoParams& Params() const { return params_; }

    // Back to idle with "(Idle)"; the caller stops its timer.
    void Reset();

    // One sensor report at time nowMs [ms, any monotonic origin].
    TTimerAction SensorReport(int board, int input, bool on, int64_t nowMs);

    // The 20 s time-out ran out.
    void Timeout();

    bool Measuring() const { return measuring_; }
    const std::string& Result() const { return result_; }

private:
    TSpeedoParams params_;
    bool measuring_ = false;
    int64_t startMs_ = 0;
    std::string result_ = "(Idle)";
};
