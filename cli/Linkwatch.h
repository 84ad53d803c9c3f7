// What the subcommands that keep a link open until interrupted (monitor, serve, mqtt, stats)
// say about it: a port that fails ends the run with exit status 1; a network
// link that loses its server and reconnects by itself is reported on
// standard error, both ways.
#pragma once

#include <QString>

class TLnThreadComm;

constexpr int kExitLinkLost = 1;

// Sets the link's OnError and OnLinkState; exitStatus and the link must
// outlive the run, whose owner clears the events afterwards.
void WatchLink(TLnThreadComm& link, const QString& port, int& exitStatus);
