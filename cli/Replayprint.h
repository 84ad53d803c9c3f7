// The printing of a recording as the monitor prints a live bus.
#pragma once

#include "link/Lnmessage.h"

#include <QString>

enum class TReplayStamp { None, TimeOfDay, SinceStart };
enum class TReplayOutcome { Whole, Stopped, Unreadable };

struct TReplayPrintOptions {
    bool raw = false;
    TReplayStamp stamp = TReplayStamp::None;
    TKindSet kinds = TKindSet().set();
    long long limit = -1;  // lines, -1 for all
};

// Prints the received messages of the recording at path to standard output;
// says on standard error why a recording that is not whole stopped.
TReplayOutcome PrintRecording(const QString& path, const TReplayPrintOptions& options);
