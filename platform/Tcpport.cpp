#include "platform/Tcpport.h"

#include "platform/Linkports.h"
#include "sim/Lbprotocol.h"

#include <QLoggingCategory>

#include <cstring>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <mstcpip.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

Q_LOGGING_CATEGORY(lcLbClient, "varnscope.link.tcp", QtWarningMsg)

namespace {

// The system's keepalive timing on one connected socket; false when the
// system refused any of it (the system's default of two hours then holds).
bool SetKeepAliveTiming(qintptr fd)
{
#ifdef Q_OS_WIN
    // Windows sends ten probes before it gives up.
    tcp_keepalive values{1, ULONG(TTcpPort::kKeepAliveIdleMs),
                         ULONG((TTcpPort::kDeadPeerMs - TTcpPort::kKeepAliveIdleMs) / 10)};
    DWORD returned = 0;
    return WSAIoctl(SOCKET(fd), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr) == 0;
#else
    bool ok = true;
    const auto set = [&](int level, int name, int value) {
        ok = setsockopt(int(fd), level, name, &value, socklen_t(sizeof value)) == 0 && ok;
    };
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
#if defined(TCP_KEEPIDLE)
    set(IPPROTO_TCP, TCP_KEEPIDLE, TTcpPort::kKeepAliveIdleMs / 1000);  // [s]
#elif defined(TCP_KEEPALIVE)
    set(IPPROTO_TCP, TCP_KEEPALIVE, TTcpPort::kKeepAliveIdleMs / 1000);  // [s]
#endif
#ifdef TCP_KEEPINTVL
    set(IPPROTO_TCP, TCP_KEEPINTVL, TTcpPort::kKeepAliveIntervalMs / 1000);  // [s]
#endif
#ifdef TCP_KEEPCNT
    set(IPPROTO_TCP, TCP_KEEPCNT, TTcpPort::kKeepAliveProbes);
#endif
#ifdef TCP_USER_TIMEOUT
    // Probes are not sent while written data waits for its acknowledgement;
    // this bounds that wait as well.
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, TTcpPort::kDeadPeerMs);  // [ms]
#endif
    return ok;
#endif
}

}  // namespace

TTcpPort::~TTcpPort()
{
    delete retryTimer_;
    delete attemptTimer_;
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
        // What one read takes in, however long the event loop was held up.
        socket_->setReadBufferSize(kReadChunk);
        QObject::connect(socket_, &QTcpSocket::readyRead, Context(), [this] { OnReadable(); });
        QObject::connect(socket_, &QTcpSocket::bytesWritten, Context(), [this] {
            if (socket_->bytesToWrite() == 0)
                Post(kLnEvTxEmpty);
        });
        QObject::connect(socket_, &QTcpSocket::connected, Context(), [this] { OnConnected(); });
        QObject::connect(socket_, &QTcpSocket::disconnected, Context(), [this] {
            if (open_ && connected_)
                OnLost();
        });
        QObject::connect(socket_, &QTcpSocket::errorOccurred, Context(), [this](QAbstractSocket::SocketError) {
            if (open_ && connected_ && socket_->state() != QAbstractSocket::ConnectedState)
                OnLost();
            else if (open_ && connecting_)
                OnConnectFailed();
        });
        retryTimer_ = new QTimer;
        retryTimer_->setSingleShot(true);
        QObject::connect(retryTimer_, &QTimer::timeout, Context(), [this] { Retry(); });
        attemptTimer_ = new QTimer;
        attemptTimer_->setSingleShot(true);
        QObject::connect(attemptTimer_, &QTimer::timeout, Context(), [this] {
            if (!connecting_)
                return;
            socket_->abort();
            OnConnectFailed();
        });
    }
    retryTimer_->stop();
    attemptTimer_->stop();
    lineBuffer_.clear();
    rx_.clear();
    ClearLost();
    open_ = false;
    connected_ = false;
    connecting_ = false;
    reconnects_ = 0;
    retryMs_ = kFirstRetryMs;
    host_ = host;
    port_ = port;
    socket_->connectToHost(QString::fromStdString(host), quint16(port));
    if (!socket_->waitForConnected(kConnectTimeoutMs)) {
        reason = socket_->errorString().toStdString();
        socket_->abort();
        return false;
    }
    ArmConnection();
    open_ = true;
    connected_ = true;
    return true;
}

void TTcpPort::Close()
{
    if (!socket_)
        return;
    open_ = false;
    connected_ = false;
    connecting_ = false;
    retryTimer_->stop();
    attemptTimer_->stop();
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
    return ParseLbReceiveLine(line, rx, isReceive);
}

void TTcpPort::OnReadable()
{
    if (!connected_)
        return;  // the rest of a connection given up
    lineBuffer_.append(socket_->readAll());
    const qsizetype before = rx_.size();
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < lineBuffer_.size(); ++i)
            if (lineBuffer_[i] == '\r' || lineBuffer_[i] == '\n') {
                end = i;
                break;
            }
        // A server that never ends its line would otherwise grow the buffer
        // without bound: it is no LbServer, or a broken one.
        if ((end < 0 ? lineBuffer_.size() : end) > kLbMaxLineLength) {
            OnLost("the server sent a line longer than " + std::to_string(kLbMaxLineLength) + " characters");
            return;
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
            const TLbLine parts = SplitLbLine(line);
            if (parts.verb == "VERSION")
                serverVersion_ = QString::fromLatin1(parts.argument);
            if (parts.verb == "SENT" && SplitLbLine(parts.argument).verb == "ERROR")
                qCWarning(lcLbClient) << "server refused a message:" << line;
            else
                qCInfo(lcLbClient) << "server:" << line;
        }
    }
    if (rx_.size() > before)
        Post(kLnEvRxChar);
}

void TTcpPort::OnLost(const std::string& refusal)
{
    if (!open_ || !connected_)
        return;
    connected_ = false;
    const std::string why = refusal.empty() ? socket_->errorString().toStdString() : refusal;
    errorText_ = "connection to " + host_ + ":" + std::to_string(port_) + " lost: " + why;
    qCInfo(lcLbClient) << QString::fromStdString(errorText_);  // the link's owner tells the user
    if (refusal.empty()) {
        retryMs_ = kFirstRetryMs;
    } else {
        // A server that broke the protocol is likely to do it again at once.
        lineBuffer_.clear();
        socket_->abort();
        retryMs_ = kMaxRetryMs;
    }
    retryTimer_->start(retryMs_);
    Post(kLnEvLinkState | (rx_.isEmpty() ? 0u : uint32_t(kLnEvRxChar)));
}

void TTcpPort::Retry()
{
    if (!open_ || connected_)
        return;
    connecting_ = true;
    socket_->abort();
    lineBuffer_.clear();  // the rest of a line cut by the loss means nothing now
    attemptTimer_->start(kConnectTimeoutMs);
    socket_->connectToHost(QString::fromStdString(host_), quint16(port_));
}

void TTcpPort::OnConnected()
{
    if (!open_ || !connecting_)
        return;  // the first connection is made inside Open
    connecting_ = false;
    attemptTimer_->stop();
    connected_ = true;
    ++reconnects_;
    retryMs_ = kFirstRetryMs;
    ArmConnection();
    qCInfo(lcLbClient) << "connection to" << QString::fromStdString(host_) << port_ << "is back";
    Post(kLnEvLinkState);
}

void TTcpPort::ArmConnection()
{
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    if (!SetKeepAliveTiming(socket_->socketDescriptor()))
        qCWarning(lcLbClient) << "the system refused a short keepalive; a dead server may go unnoticed for long";
}

void TTcpPort::OnConnectFailed()
{
    if (!connecting_)
        return;
    connecting_ = false;
    attemptTimer_->stop();
    retryMs_ = std::min(2 * retryMs_, int(kMaxRetryMs));
    retryTimer_->start(retryMs_);
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
    if (!open_ || !connected_)
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
    s.outQue = open_ && connected_ ? int32_t((socket_->bytesToWrite() + 2) / 3) : 0;
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
