// LocoNet over TCP in the LbServer line protocol (JMRI, Rocrail): each
// message goes out as "SEND" and its bytes in hex; "RECEIVE <hex>" lines feed
// the link's framing; other lines (VERSION, SENT OK, SENT ERROR ...) are
// logged and otherwise ignored.
//
// A connection lost after a successful open does not close the port: it
// reconnects by itself, waiting kFirstRetryMs and then twice as long each
// time up to kMaxRetryMs, and raises kLnEvLinkState when the connection goes
// and when it is back. Messages written meanwhile are refused, not kept for
// later: a turnout thrown seconds after the operator asked is a surprise.
//
// A dead peer (a server whose computer went off, a cable pulled, a Wi-Fi
// gone) is noticed within kDeadPeerMs even on an idle bus, by TCP keepalive
// probes at short intervals: the line protocol has no heartbeat of its own.
// A server process that hangs while its computer still answers the probes
// for it is not noticed this way.
//
// A server that sends a line longer than the protocol's longest is given up
// as lost (it is no LbServer, or a broken one) and tried again after the
// longest pause.
#pragma once

#include "platform/Qtport.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

class TTcpPort : public TQtPort {
public:
    static constexpr int kDefaultPort = 1234;
    static constexpr int kConnectTimeoutMs = 5000;
    static constexpr int kFirstRetryMs = 250;
    static constexpr int kMaxRetryMs = 4000;
    static constexpr qint64 kReadChunk = 1 << 16;  // [bytes]
    // Keepalive: the first probe after kKeepAliveIdleMs of silence, then one
    // every kKeepAliveIntervalMs; the connection is given up once no answer
    // came for kDeadPeerMs (also when sent data waits for its acknowledgement).
    static constexpr int kKeepAliveIdleMs = 2000;
    static constexpr int kKeepAliveIntervalMs = 2000;
    static constexpr int kKeepAliveProbes = 3;
    static constexpr int kDeadPeerMs = kKeepAliveIdleMs + kKeepAliveProbes * kKeepAliveIntervalMs;

    TTcpPort() = default;
    ~TTcpPort() override;

    bool Open(const std::string& deviceName, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override;
    bool Connected() const override { return open_ && connected_; }

    int SetLineSettings(int baud) override;
    TLnLineResult SetDtr(bool on, int& code) override;

    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* bytes, int count) override;
    TLnPortStatus ClearError() override;
    void PurgeInput() override;
    void PurgeOutput() override;

    // The server's VERSION line, once it came.
    const QString& ServerVersion() const { return serverVersion_; }
    // RECEIVE lines whose hex could not be read.
    uint64_t MalformedLines() const { return malformedLines_; }
    // Connections made again after a loss since the port was opened.
    int Reconnects() const { return reconnects_; }

    // One line of the protocol: bytes are appended to rx when it is RECEIVE;
    // false when it is RECEIVE with unreadable hex.
    static bool ParseLine(const QByteArray& line, QByteArray& rx, bool& isReceive);

private:
    void OnReadable();
    void ArmConnection();  // a new connection: keepalive and low delay
    // The connection is gone; refusal is set when this side gives it up
    // because the server broke the line protocol.
    void OnLost(const std::string& refusal = {});
    void OnConnected();
    void OnConnectFailed();
    void Retry();

    QTcpSocket* socket_ = nullptr;
    QTimer* retryTimer_ = nullptr;    // the pause before the next attempt
    QTimer* attemptTimer_ = nullptr;  // an attempt that hangs is given up
    std::string host_;
    int port_ = 0;
    int retryMs_ = kFirstRetryMs;
    int reconnects_ = 0;
    bool connected_ = false;
    bool connecting_ = false;  // a reconnection attempt is under way
    QByteArray lineBuffer_;
    QByteArray rx_;
    QString serverVersion_;
    uint64_t malformedLines_ = 0;
    bool open_ = false;
};
