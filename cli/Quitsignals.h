// Ends the event loop cleanly on SIGINT and SIGTERM, so long-running
// subcommands (monitor, simulate) can tidy up before they exit.
#pragma once

// Installs the handlers; QCoreApplication::exec() then returns 0 on a signal.
void QuitOnSignals();
// True once a signal asked us to stop.
bool QuitSignalled();
