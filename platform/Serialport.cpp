#include "platform/Serialport.h"

#include "platform/Portadvice.h"

#include <cstring>

TSerialPort::~TSerialPort()
{
    if (serial_) {
        QObject::disconnect(serial_, nullptr, Context(), nullptr);
        serial_->close();
        serial_->deleteLater();
    }
}

bool TSerialPort::Open(const std::string& deviceName, std::string& reason)
{
    if (!serial_) {
        serial_ = new QSerialPort;
        QObject::connect(serial_, &QSerialPort::readyRead, Context(), [this] { Post(kLnEvRxChar); });
        QObject::connect(serial_, &QSerialPort::bytesWritten, Context(), [this] {
            if (serial_->bytesToWrite() == 0)
                Post(kLnEvTxEmpty);
        });
        QObject::connect(serial_, &QSerialPort::errorOccurred, Context(),
                         [this](QSerialPort::SerialPortError e) { OnError(e); });
    }
    salvaged_.clear();
    ClearLost();
    serial_->setPortName(QString::fromStdString(deviceName));
    configuring_ = true;
    const bool ok = serial_->open(QIODevice::ReadWrite);
    configuring_ = false;
    if (!ok) {
        const QString name = QString::fromStdString(deviceName);
        reason = PortOpenAdvice(name, serial_->error(), serial_->errorString(), ProbePortAccess(name)).toStdString();
        serial_->clearError();
        return false;
    }
    return true;
}

void TSerialPort::Close()
{
    if (serial_ && serial_->isOpen())
        serial_->close();
}

bool TSerialPort::IsOpen() const
{
    return serial_ && serial_->isOpen();
}

int TSerialPort::SetLineSettings(int baud)
{
    if (!IsOpen())
        return -1;
    configuring_ = true;
    // The flow control, data bits, parity and stop bits first: QSerialPort
    // rewrites the whole line record each time, and a custom rate must survive.
    const bool hardware = flow_ == TLnFlowControl::Hardware;
    const bool ok = serial_->setDataBits(QSerialPort::Data8) && serial_->setParity(QSerialPort::NoParity) &&
                    serial_->setStopBits(QSerialPort::OneStop) &&
                    serial_->setFlowControl(hardware ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl) &&
                    serial_->setBaudRate(baud);
    const int code = ok ? 0 : int(serial_->error());
    serial_->clearError();
    // Without the handshake nobody else drives RTS, and an MS100 is powered
    // from it. A pseudo-terminal has no modem lines; that is no failure.
    if (ok && !hardware) {
        serial_->setRequestToSend(true);
        serial_->clearError();
    }
    configuring_ = false;
    return code;
}

TLnLineResult TSerialPort::SetDtr(bool on, int& code)
{
    if (!IsOpen()) {
        code = -1;
        return TLnLineResult::Failed;
    }
    configuring_ = true;
    const bool ok = serial_->setDataTerminalReady(on);
    const QSerialPort::SerialPortError error = serial_->error();
    serial_->clearError();
    configuring_ = false;
    if (ok)
        return TLnLineResult::Ok;
    // A pseudo-terminal has no modem lines.
    if (error == QSerialPort::UnsupportedOperationError)
        return TLnLineResult::Unsupported;
    code = int(error);
    return TLnLineResult::Failed;
}

int TSerialPort::Read(uint8_t* buffer, int count)
{
    int got = 0;
    if (!salvaged_.isEmpty()) {
        got = int(std::min<qsizetype>(count, salvaged_.size()));
        std::memcpy(buffer, salvaged_.constData(), size_t(got));
        salvaged_.remove(0, got);
    }
    if (got < count && IsOpen()) {
        const qint64 more = serial_->read(reinterpret_cast<char*>(buffer) + got, count - got);
        if (more < 0)
            return got > 0 ? got : -1;
        got += int(more);
    }
    return got;
}

int TSerialPort::Write(const uint8_t* bytes, int count)
{
    if (!IsOpen())
        return -1;
    return int(serial_->write(reinterpret_cast<const char*>(bytes), count));
}

TLnPortStatus TSerialPort::ClearError()
{
    TLnPortStatus s;
    s.errors = TakeErrors();
    s.inQue = int32_t(salvaged_.size() + (IsOpen() ? serial_->bytesAvailable() : 0));
    s.outQue = IsOpen() ? int32_t(serial_->bytesToWrite()) : 0;
    return s;
}

void TSerialPort::PurgeInput()
{
    salvaged_.clear();
    if (IsOpen())
        serial_->clear(QSerialPort::Input);
}

void TSerialPort::PurgeOutput()
{
    if (IsOpen())
        serial_->clear(QSerialPort::Output);
}

void TSerialPort::OnError(QSerialPort::SerialPortError error)
{
    if (configuring_ || error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::UnsupportedOperationError)
        return;
    const std::string text = serial_->errorString().toStdString();
    switch (error) {
    case QSerialPort::ResourceError:  // unplugged
    case QSerialPort::ReadError:      // a pseudo-terminal whose other end closed
    case QSerialPort::PermissionError:
    case QSerialPort::DeviceNotFoundError:
        // Keep what arrived before, then close: a dead device would keep
        // reporting the same failure.
        if (serial_->isOpen()) {
            salvaged_.append(serial_->readAll());
            serial_->close();
        }
        NoteError(kLnErrDeviceLost, text);
        Post(kLnEvError | (salvaged_.isEmpty() ? 0u : uint32_t(kLnEvRxChar)));
        break;
    case QSerialPort::WriteError:
        NoteError(kLnErrIo, text);
        serial_->clearError();
        Post(kLnEvError);
        break;
    default:
        NoteError(kLnErrIo, text);
        serial_->clearError();
        Post(kLnEvError);
        break;
    }
}
