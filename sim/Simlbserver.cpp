#include "sim/Simlbserver.h"

#include "sim/Simbus.h"

#include <QTcpServer>
#include <QTcpSocket>

TSimLbServer::TSimLbServer(TSimBus& bus, QObject* parent) : QObject(parent), bus_(bus), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TSimLbServer::OnConnection);
    connect(&bus_, &TSimBus::Delivered, this, &TSimLbServer::OnDelivered);
}

TSimLbServer::~TSimLbServer() = default;

bool TSimLbServer::Listen(const QHostAddress& host, quint16 port, QString& error)
{
    if (!server_->listen(host, port)) {
        error = server_->errorString();
        return false;
    }
    return true;
}

quint16 TSimLbServer::Port() const
{
    return server_->serverPort();
}

std::optional<QByteArray> TSimLbServer::ParseHexBytes(const QByteArray& text, QString& reason)
{
    QByteArray bytes;
    for (const QByteArray& word : text.simplified().split(' ')) {
        if (word.isEmpty())
            continue;
        bool ok = false;
        const uint value = word.toUInt(&ok, 16);
        if (!ok || word.size() > 2 || value > 0xFF) {
            reason = QStringLiteral("not a hexadecimal byte: %1").arg(QString::fromLatin1(word));
            return std::nullopt;
        }
        bytes.append(char(value));
    }
    if (bytes.isEmpty()) {
        reason = QStringLiteral("no bytes");
        return std::nullopt;
    }
    return bytes;
}

QByteArray TSimLbServer::HexLine(const char* verb, const QByteArray& bytes)
{
    QByteArray line(verb);
    for (char c : bytes) {
        line.append(' ');
        line.append(QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper());
    }
    line.append("\r\n");
    return line;
}

void TSimLbServer::OnConnection()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        clients_.push_back({socket, {}});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            for (auto it = clients_.begin(); it != clients_.end(); ++it)
                if (it->socket == socket) {
                    clients_.erase(it);
                    break;
                }
            socket->deleteLater();
        });
        socket->write("VERSION varnscope LocoNet simulator " VARNSCOPE_VERSION "\r\n");
    }
}

void TSimLbServer::OnReadable(QTcpSocket* socket)
{
    TClient* client = nullptr;
    for (TClient& c : clients_)
        if (c.socket == socket)
            client = &c;
    if (!client)
        return;
    client->pending.append(socket->readAll());
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < client->pending.size(); ++i)
            if (client->pending[i] == '\r' || client->pending[i] == '\n') {
                end = i;
                break;
            }
        if (end < 0)
            break;
        const QByteArray line = client->pending.left(end);
        client->pending.remove(0, end + 1);
        if (!line.trimmed().isEmpty())
            OnLine(socket, line.trimmed());
        // OnLine may not remove the client, but look it up again to stay safe.
        client = nullptr;
        for (TClient& c : clients_)
            if (c.socket == socket)
                client = &c;
        if (!client)
            return;
    }
}

void TSimLbServer::OnLine(QTcpSocket* socket, const QByteArray& line)
{
    const QByteArray verb = line.left(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' ')).toUpper();
    if (verb != "SEND")
        return;
    QString reason;
    const std::optional<QByteArray> bytes = ParseHexBytes(line.mid(4), reason);
    if (!bytes) {
        socket->write("SENT ERROR " + reason.toLatin1() + "\r\n");
        return;
    }
    bus_.Send(*bytes, socket);
    socket->write("SENT OK\r\n");
}

void TSimLbServer::OnDelivered(const QByteArray& packet)
{
    const QByteArray line = HexLine("RECEIVE", packet);
    for (const TClient& c : clients_)
        c.socket->write(line);
}
