// The LbServer line protocol, apart from any socket: splitting a line into
// its verb and argument, the hex bytes of SEND and RECEIVE, and the server's
// answer to a client's line. Shared by the server (sim/Lbserver) and the
// client link (platform/Tcpport), and fuzzed on its own.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The longest line either side takes; a SEND or RECEIVE of the longest
// LocoNet message (127 bytes) takes under 400 characters.
constexpr qsizetype kLbMaxLineLength = 4096;

// A line's verb and its argument, split at the first run of white space
// (blank, tab, ...); the verb in upper case.
struct TLbLine {
    QByteArray verb;
    QByteArray argument;
};
TLbLine SplitLbLine(const QByteArray& line);

// Parses "83 7C" (words of one or two hex digits) into bytes; the reason when not.
std::optional<QByteArray> ParseLbHexBytes(const QByteArray& text, QString& reason);
// "VERB 83 7C\r\n"
QByteArray LbHexLine(const char* verb, const QByteArray& bytes);

// The server's answer to one client line: "SENT OK\r\n" when the line is a
// SEND whose bytes send() put on the bus, else "SENT ERROR <reason>\r\n".
using TLbSend = std::function<bool(const QByteArray& bytes, QString& reason)>;
QByteArray LbAnswer(const QByteArray& line, const TLbSend& send);

// A line the client receives: when it is RECEIVE its bytes are appended to
// rx; false when it is RECEIVE with unreadable hex.
bool ParseLbReceiveLine(const QByteArray& line, QByteArray& rx, bool& isReceive);
