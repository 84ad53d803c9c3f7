// Serves an open link (a real interface, or any port the link opens) as an
// LbServer: the clients' messages are queued on the link, and every message
// the link frames goes to every client. The link stays its owner's: only its
// OnFramed event is taken while serving.
#pragma once

#include "sim/Lbserver.h"

class TLnThreadComm;

class TLinkBusSide : public ILbBusSide {
public:
    // Messages the link may hold back for the interface before clients are
    // told it is busy: about 2.5 s of a full bus. A client sending faster than
    // the bus carries cannot make the queue grow without bound.
    static constexpr uint32_t kMaxQueuedMessages = 1000;

    explicit TLinkBusSide(TLnThreadComm& link) : link_(link) {}
    // A real bus gets only well-formed messages: opcode first, data bytes
    // below 0x80, the length the opcode says, a good checksum.
    bool Send(const QByteArray& bytes, const void* client, QString& reason) override;
    QByteArray VersionText() const override;

    static bool CheckMessage(const QByteArray& bytes, QString& reason);

private:
    TLnThreadComm& link_;
};

class TLinkLbServer : public TLbServer {
    Q_OBJECT
public:
    // Takes the link's OnFramed until destroyed.
    explicit TLinkLbServer(TLnThreadComm& link, QObject* parent = nullptr);
    ~TLinkLbServer() override;

private:
    TLnThreadComm& link_;
    TLinkBusSide side_;
};
