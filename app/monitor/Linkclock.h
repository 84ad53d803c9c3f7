// The one clock of the bus monitor: milliseconds since the link was last
// opened, so the times a display keeps read as the run of the layout.
#pragma once

#include <cstdint>

void RestartLinkClock();
uint32_t LinkClockMs();
