#include "app/monitor/Linkclock.h"

#include <QElapsedTimer>

namespace {
QElapsedTimer& Clock()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}
}  // namespace

void RestartLinkClock()
{
    Clock().restart();
}

uint32_t LinkClockMs()
{
    return static_cast<uint32_t>(Clock().elapsed());
}
