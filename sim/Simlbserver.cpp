#include "sim/Simlbserver.h"

#include "sim/Simbus.h"

bool TSimBusSide::Send(const QByteArray& bytes, const void* client, QString& reason)
{
    if (bus_.PendingBytes(client) >= kMaxPendingBytes) {
        reason = QStringLiteral("the bus is busy");
        return false;
    }
    bus_.Send(bytes, client);
    return true;
}

QByteArray TSimBusSide::VersionText() const
{
    return "varnscope LocoNet simulator " VARNSCOPE_VERSION;
}

// The side is built before the server uses it: the base only keeps the reference.
TSimLbServer::TSimLbServer(TSimBus& bus, QObject* parent) : TLbServer(side_, parent), side_(bus)
{
    connect(&bus, &TSimBus::Delivered, this, &TSimLbServer::Deliver);
}
