#include "sim/Lbserver.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

QString PeerName(const QTcpSocket* socket)
{
    const QHostAddress address = socket->peerAddress();
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + address.toString() + "]"
                                                                             : address.toString();
    return host + ":" + QString::number(socket->peerPort());
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

TLbServer::TLbServer(ILbBusSide& bus, QObject* parent) : QObject(parent), bus_(bus), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TLbServer::OnConnection);
}

TLbServer::~TLbServer()
{
    Stop();
}

bool TLbServer::Listen(const QHostAddress& host, quint16 port, QString& error)
{
    if (!server_->listen(host, port)) {
        error = server_->errorString();
        return false;
    }
    return true;
}

void TLbServer::Stop()
{
    server_->close();
    std::vector<TClient> clients;
    clients.swap(clients_);
    for (TClient& c : clients) {
        c.socket->disconnect(this);
        c.socket->abort();
        c.socket->deleteLater();
    }
    if (!clients.empty())
        emit ClientsChanged(0);
}

bool TLbServer::IsListening() const
{
    return server_->isListening();
}

quint16 TLbServer::Port() const
{
    return server_->serverPort();
}

QHostAddress TLbServer::Address() const
{
    return server_->serverAddress();
}

TLbServer::TClient* TLbServer::Find(QTcpSocket* socket)
{
    for (TClient& c : clients_)
        if (c.socket == socket)
            return &c;
    return nullptr;
}

void TLbServer::OnConnection()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // Lines not yet read stay in the network, where they slow the sender down.
        socket->setReadBufferSize(kReadChunk);
        clients_.push_back({socket, {}});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (socket->bytesAvailable() > 0)
                OnReadable(socket);  // lines held back while the client had much to read
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Forget(socket); });
        Write(clients_.back(), "VERSION " + bus_.VersionText() + "\r\n");
        emit ClientsChanged(ClientCount());
    }
}

void TLbServer::Forget(QTcpSocket* socket)
{
    const auto it = std::find_if(clients_.begin(), clients_.end(), [socket](const TClient& c) { return c.socket == socket; });
    if (it == clients_.end())
        return;
    clients_.erase(it);
    socket->disconnect(this);
    socket->deleteLater();
    emit ClientsChanged(ClientCount());
}

void TLbServer::Drop(QTcpSocket* socket, const QString& why)
{
    if (!Find(socket))
        return;
    ++dropped_;
    Log("dropped client " + PeerName(socket) + ": " + why);
    Forget(socket);
    socket->abort();
}

void TLbServer::Log(const QString& text)
{
    if (OnLog)
        OnLog(text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void TLbServer::OnReadable(QTcpSocket* socket)
{
    // A client with much still to read gets its further lines answered once
    // it has read (bytesWritten calls again).
    while (socket->bytesAvailable() > 0 && socket->bytesToWrite() < kPauseQueuedBytes)
        if (!TakeLines(socket, socket->read(kReadChunk)))
            return;
}

bool TLbServer::TakeLines(QTcpSocket* socket, const QByteArray& data)
{
    TClient* client = Find(socket);
    if (!client)
        return false;
    // Whole lines are taken one by one; what follows the last line end waits
    // for the rest of its line, but never more than a line's length of it.
    qsizetype from = 0;
    while (from < data.size()) {
        qsizetype end = from;
        while (end < data.size() && !IsLineEnd(data[end]))
            ++end;
        const bool complete = end < data.size();
        if (client->overlong) {
            if (complete)
                client->overlong = false;
        } else {
            client->pending.append(data.constData() + from, end - from);
            if (client->pending.size() > kMaxLineLength) {
                client->pending.clear();
                client->overlong = !complete;
                Write(*client, "SENT ERROR line too long\r\n");
            } else if (complete) {
                const QByteArray line = std::exchange(client->pending, QByteArray());
                if (!line.trimmed().isEmpty())
                    OnLine(socket, line);
            }
        }
        // A line's answer may have dropped the client.
        client = Find(socket);
        if (!client)
            return false;
        from = end + 1;
    }
    return true;
}

void TLbServer::OnLine(QTcpSocket* socket, const QByteArray& line)
{
    const QByteArray answer =
        LbAnswer(line, [&](const QByteArray& bytes, QString& reason) { return bus_.Send(bytes, socket, reason); });
    if (TClient* client = Find(socket))
        Write(*client, answer);
}

void TLbServer::Write(TClient& client, const QByteArray& line)
{
    client.socket->write(line);
    if (client.socket->bytesToWrite() > kMaxQueuedBytes)
        Drop(client.socket, QStringLiteral("more than %1 bytes unread").arg(kMaxQueuedBytes));
}

void TLbServer::Deliver(const QByteArray& bytes)
{
    if (clients_.empty())
        return;
    const QByteArray line = LbHexLine("RECEIVE", bytes);
    std::vector<QTcpSocket*> slow;
    for (const TClient& c : clients_) {
        c.socket->write(line);
        if (c.socket->bytesToWrite() > kMaxQueuedBytes)
            slow.push_back(c.socket);
    }
    for (QTcpSocket* socket : slow)
        Drop(socket, QStringLiteral("more than %1 bytes unread").arg(kMaxQueuedBytes));
}
