#include "platform/Tcpport.h"

#include "platform/Linkports.h"

#include <QLoggingCategory>

#include <cstring>

Q_LOGGING_CATEGORY(lcLbClient, "varnscope.link.tcp", QtWarningMsg)

TTcpPort::~TTcpPort()
{
    if (socket_) {
        QObject::disconnect(socket_, nullptr, Context(), nullptr);
        socket_->abort();
        socket_->deleteLater();
    }
}

bool TTcpPort::Open(const std::string& deviceName, std::string& reason)
{
    std::string host;
    int port = 0;
    if (!ParseTcpDeviceName(deviceName, host, port)) {
        reason = "not a network address (tcp:HOST:PORT)";
        return false;
    }
    if (!socket_) {
        socket_ = new QTcpSocket;
        QObject::connect(socket_, &QTcpSocket::readyRead, Context(), [this] { OnReadable(); });
        QObject::connect(socket_, &QTcpSocket::bytesWritten, Context(), [this] {
            if (socket_->bytesToWrite() == 0)
                Post(kLnEvTxEmpty);
        });
        QObject::connect(socket_, &QTcpSocket::disconnected, Context(), [this] { OnLost(); });
        QObject::connect(socket_, &QTcpSocket::errorOccurred, Context(), [this](QAbstractSocket::SocketError) {
            if (open_ && socket_->state() != QAbstractSocket::ConnectedState)
                OnLost();
        });
    }
    lineBuffer_.clear();
    rx_.clear();
    ClearLost();
    open_ = false;
    socket_->connectToHost(QString::fromStdString(host), quint16(port));
    if (!socket_->waitForConnected(kConnectTimeoutMs)) {
        reason = socket_->errorString().toStdString();
        socket_->abort();
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    open_ = true;
    return true;
}

void TTcpPort::Close()
{
    if (!socket_)
        return;
    open_ = false;
    if (socket_->state() == QAbstractSocket::ConnectedState) {
        socket_->disconnectFromHost();  // sends what is still buffered first
    } else {
        socket_->abort();
    }
}

bool TTcpPort::IsOpen() const
{
    return open_;
}

int TTcpPort::SetLineSettings(int)
{
    return 0;  // the server owns the line
}

TLnLineResult TTcpPort::SetDtr(bool, int&)
{
    return TLnLineResult::Unsupported;
}

bool TTcpPort::ParseLine(const QByteArray& line, QByteArray& rx, bool& isReceive)
{
    const QByteArray trimmed = line.trimmed();
    isReceive = trimmed.simplified().split(' ').value(0).toUpper() == "RECEIVE";
    if (!isReceive)
        return true;
    QByteArray bytes;
    const QList<QByteArray> words = trimmed.simplified().split(' ');
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool ok = false;
        const uint value = words[i].toUInt(&ok, 16);
        if (!ok || words[i].size() > 2)
            return false;
        bytes.append(char(value));
    }
    rx.append(bytes);
    return true;
}

void TTcpPort::OnReadable()
{
    lineBuffer_.append(socket_->readAll());
    const qsizetype before = rx_.size();
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < lineBuffer_.size(); ++i)
            if (lineBuffer_[i] == '\r' || lineBuffer_[i] == '\n') {
                end = i;
                break;
            }
        if (end < 0)
            break;
        const QByteArray line = lineBuffer_.left(end);
        lineBuffer_.remove(0, end + 1);
        if (line.trimmed().isEmpty())
            continue;
        bool isReceive = false;
        if (!ParseLine(line, rx_, isReceive)) {
            ++malformedLines_;
            qCWarning(lcLbClient) << "unreadable line from the server:" << line;
        } else if (!isReceive) {
            if (line.startsWith("VERSION"))
                serverVersion_ = QString::fromLatin1(line.mid(7).trimmed());
            if (line.startsWith("SENT ERROR"))
                qCWarning(lcLbClient) << "server refused a message:" << line;
            else
                qCInfo(lcLbClient) << "server:" << line;
        }
    }
    if (rx_.size() > before)
        Post(kLnEvRxChar);
}

void TTcpPort::OnLost()
{
    if (!open_)
        return;
    open_ = false;
    NoteError(kLnErrDeviceLost, socket_->errorString().toStdString());
    Post(kLnEvError | (rx_.isEmpty() ? 0u : uint32_t(kLnEvRxChar)));
}

int TTcpPort::Read(uint8_t* buffer, int count)
{
    const int got = int(std::min<qsizetype>(count, rx_.size()));
    std::memcpy(buffer, rx_.constData(), size_t(got));
    rx_.remove(0, got);
    return got;
}

int TTcpPort::Write(const uint8_t* bytes, int count)
{
    if (!open_)
        return -1;
    QByteArray line("SEND");
    for (int i = 0; i < count; ++i) {
        line.append(' ');
        line.append(QByteArray::number(bytes[i], 16).rightJustified(2, '0').toUpper());
    }
    line.append("\r\n");
    return socket_->write(line) < 0 ? -1 : count;
}

TLnPortStatus TTcpPort::ClearError()
{
    TLnPortStatus s;
    s.errors = TakeErrors();
    s.inQue = int32_t(rx_.size());
    // Each message byte is three characters on the line ("SEND" and the line end aside).
    s.outQue = open_ ? int32_t((socket_->bytesToWrite() + 2) / 3) : 0;
    return s;
}

void TTcpPort::PurgeInput()
{
    rx_.clear();
}

void TTcpPort::PurgeOutput()
{
    // Lines already handed to the socket cannot be taken back.
}
