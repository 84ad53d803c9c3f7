// Serves a simulated LocoNet over TCP in the LbServer line protocol that
// JMRI and Rocrail speak: the server greets with "VERSION ...", a client sends
// "SEND <hex bytes>" and is answered "SENT OK" (or "SENT ERROR <reason>"),
// and every message on the wire, the sender's own included, goes to every
// client as "RECEIVE <hex bytes>". Lines end in CR LF; CR, LF or both are read.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;
class TSimBus;

class TSimLbServer : public QObject {
    Q_OBJECT
public:
    explicit TSimLbServer(TSimBus& bus, QObject* parent = nullptr);
    ~TSimLbServer() override;

    // Listens; port 0 picks a free one. False with the reason when it cannot.
    bool Listen(const QHostAddress& host, quint16 port, QString& error);
    quint16 Port() const;
    int ClientCount() const { return int(clients_.size()); }

    // Parses "83 7C" / "837c"-free hex words into bytes; the reason when not.
    static std::optional<QByteArray> ParseHexBytes(const QByteArray& text, QString& reason);
    static QByteArray HexLine(const char* verb, const QByteArray& bytes);

private:
    struct TClient {
        QTcpSocket* socket;
        QByteArray pending;
    };
    void OnConnection();
    void OnReadable(QTcpSocket* socket);
    void OnLine(QTcpSocket* socket, const QByteArray& line);
    void OnDelivered(const QByteArray& packet);

    TSimBus& bus_;
    QTcpServer* server_;
    std::vector<TClient> clients_;
};
