// Windows has no pseudo-terminals: a program there reaches the simulated bus
// through the LbServer (tcp:HOST:PORT) instead, so this server never starts.
#include "sim/Simptyserver.h"

#include "sim/Simbus.h"

TSimPtyServer::TSimPtyServer(TSimBus& bus, QObject* parent)
    : QObject(parent), bus_(bus), packetizer_([this](const QByteArray& p) { bus_.Send(p, this); })
{
}

bool TSimPtyServer::Supported()
{
    return false;
}

TSimPtyServer::~TSimPtyServer() = default;

bool TSimPtyServer::Start(QString& error)
{
    error = QStringLiteral("Windows has no pseudo-terminals");
    return false;
}

void TSimPtyServer::Stop() {}
