// The LbServer line protocol that JMRI and Rocrail speak, served over TCP:
// the server greets with "VERSION ...", a client sends "SEND <hex bytes>" and
// is answered "SENT OK" (or "SENT ERROR <reason>"), and every message on the
// bus, the sender's own included, goes to every client as "RECEIVE <hex
// bytes>". Lines end in CR LF; CR, LF or both are read.
//
// The server does not know what it serves: a bus side (the simulated bus, an
// open link on a real interface) takes the clients' messages and hands it
// every message on the bus through Deliver().
//
// No client can harm the others: a line that cannot be parsed is answered
// SENT ERROR, an over-long line is refused without being kept, and a client
// that does not read what it is sent is dropped once more than
// kMaxQueuedBytes wait for it.
//
// A client that sends faster than it reads its answers is a fast sender, not
// a slow reader: its lines are read only while less than kPauseQueuedBytes
// wait for it, and the rest stays in the network until it has read, so its
// own answers never put it over the limit. Only what the bus sends it can.
#pragma once

#include "sim/Lbprotocol.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;

// What the server serves.
class ILbBusSide {
public:
    virtual ~ILbBusSide() = default;
    // Puts a client's message on the bus; false with the reason when it cannot.
    // client identifies the sending client for the bus side's bookkeeping.
    virtual bool Send(const QByteArray& bytes, const void* client, QString& reason) = 0;
    // The server's VERSION line, without the verb.
    virtual QByteArray VersionText() const = 0;
};


class TLbServer : public QObject {
    Q_OBJECT
public:
    // What a client may leave unread before it is dropped.
    static constexpr qint64 kMaxQueuedBytes = 1 << 20;
    // What a client may leave unread before its own lines wait.
    static constexpr qint64 kPauseQueuedBytes = 1 << 16;
    // What is taken of a client's lines at one time. [bytes]
    static constexpr qint64 kReadChunk = 1 << 14;
    // The longest line a client may send.
    static constexpr qsizetype kMaxLineLength = kLbMaxLineLength;

    explicit TLbServer(ILbBusSide& bus, QObject* parent = nullptr);
    ~TLbServer() override;

    // Listens; port 0 picks a free one. False with the reason when it cannot.
    bool Listen(const QHostAddress& host, quint16 port, QString& error);
    void Stop();  // closes the listener and every client
    bool IsListening() const;
    quint16 Port() const;
    QHostAddress Address() const;
    int ClientCount() const { return int(clients_.size()); }
    uint64_t ClientsDropped() const { return dropped_; }

    // A message on the bus: sent to every client as RECEIVE.
    void Deliver(const QByteArray& bytes);

    // Log lines (a client dropped); by default printed on standard error.
    std::function<void(const QString&)> OnLog;

    // Parses "83 7C" (words of one or two hex digits) into bytes; the reason when not.
    static std::optional<QByteArray> ParseHexBytes(const QByteArray& text, QString& reason)
    {
        return ParseLbHexBytes(text, reason);
    }
    static QByteArray HexLine(const char* verb, const QByteArray& bytes) { return LbHexLine(verb, bytes); }

signals:
    void ClientsChanged(int count);

private:
    struct TClient {
        QTcpSocket* socket;
        QByteArray pending;
        bool overlong = false;  // inside a line past kMaxLineLength: skipped up to its end
    };
    void OnConnection();
    void OnReadable(QTcpSocket* socket);
    // One piece of a client's input; false when the client was dropped meanwhile.
    bool TakeLines(QTcpSocket* socket, const QByteArray& data);
    void OnLine(QTcpSocket* socket, const QByteArray& line);
    void Write(TClient& client, const QByteArray& line);
    void Drop(QTcpSocket* socket, const QString& why);
    void Forget(QTcpSocket* socket);
    TClient* Find(QTcpSocket* socket);
    void Log(const QString& text);

    ILbBusSide& bus_;
    QTcpServer* server_;
    std::vector<TClient> clients_;
    uint64_t dropped_ = 0;
};
