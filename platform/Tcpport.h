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
    void OnLost();
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
