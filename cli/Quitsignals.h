// Ends the event loop cleanly on SIGINT and SIGTERM, so long-running
// subcommands (monitor, simulate) can tidy up before they exit.
#pragma once

#include <functional>

// Installs the handlers; QCoreApplication::exec() then returns 0 on a signal.
void QuitOnSignals();
// True once a signal asked us to stop.
bool QuitSignalled();
// While set, a signal calls handler on the event loop's thread instead of
// ending the loop: for a command that must stop at a safe point (after the
// message exchange under way) and then ends itself. Empty: quit again.
void SetQuitHandler(std::function<void()> handler);
