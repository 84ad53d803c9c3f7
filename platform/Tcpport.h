// LocoNet over TCP in the LbServer line protocol (JMRI, Rocrail): each
// message goes out as "SEND" and its bytes in hex; "RECEIVE <hex>" lines feed
// the link's framing; other lines (VERSION, SENT OK, SENT ERROR ...) are
// logged and otherwise ignored. A lost connection is an unplugged port.
#pragma once

#include "platform/Qtport.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

class TTcpPort : public TQtPort {
public:
    static constexpr int kDefaultPort = 1234;
    static constexpr int kConnectTimeoutMs = 5000;

    TTcpPort() = default;
    ~TTcpPort() override;

    bool Open(const std::string& deviceName, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override;

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

    // One line of the protocol: bytes are appended to rx when it is RECEIVE;
    // false when it is RECEIVE with unreadable hex.
    static bool ParseLine(const QByteArray& line, QByteArray& rx, bool& isReceive);

private:
    void OnReadable();
    void OnLost();

    QTcpSocket* socket_ = nullptr;
    QByteArray lineBuffer_;
    QByteArray rx_;
    QString serverVersion_;
    uint64_t malformedLines_ = 0;
    bool open_ = false;
};
