// The --listen [HOST:]PORT option of the commands that serve an LbServer.
#pragma once

#include <QHostAddress>
#include <QString>

// "1234" and "localhost:1234" listen on loopback, "*:1234" and "0.0.0.0:1234"
// everywhere, "192.168.1.5:1234" and "[::1]:1234" on that address; port 0
// picks a free one. False when the text is none of these.
bool ReadListenAddress(const QString& text, QHostAddress& host, quint16& port);
// "127.0.0.1:1234", "[::1]:1234"; "*:1234" for every address, IPv4 and IPv6
// alike (what "*" and "0.0.0.0" listen on), as ss and netstat show it.
QString ListenAddressText(const QHostAddress& host, quint16 port);
// Whether host is every address of the computer, of either protocol or both.
bool ListensEverywhere(const QHostAddress& host);
// The one-line warning for a server listening on every address: it asks
// for no password.
QString ListenEverywhereWarning(quint16 port);
