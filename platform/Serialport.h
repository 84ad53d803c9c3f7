// A serial device (/dev/ttyUSB0, /dev/ttyACM0, COM3) on QSerialPort: 8 data
// bits, no parity, one stop bit, RTS/CTS handshake or none with RTS raised,
// at 16457, 19200 or 57600 baud (16457 is a custom rate, applied as such on Linux).
#pragma once

#include "platform/Qtport.h"

#include <QByteArray>
#include <QSerialPort>

class TSerialPort : public TQtPort {
public:
    TSerialPort() = default;
    ~TSerialPort() override;

    bool Open(const std::string& deviceName, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override;

    void SetFlowControl(TLnFlowControl flow) override { flow_ = flow; }
    int SetLineSettings(int baud) override;
    TLnLineResult SetDtr(bool on, int& code) override;

    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* bytes, int count) override;
    TLnPortStatus ClearError() override;
    void PurgeInput() override;
    void PurgeOutput() override;

private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort* serial_ = nullptr;
    QByteArray salvaged_;    // bytes read before the device failed
    TLnFlowControl flow_ = TLnFlowControl::Hardware;
    bool configuring_ = false;  // errors of our own calls are answered by their results
};
