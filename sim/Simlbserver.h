// Serves the simulated LocoNet as an LbServer (see sim/Lbserver.h): the
// clients' messages go on the simulated bus, and every message delivered on
// it goes to every client.
#pragma once

#include "sim/Lbserver.h"

class TSimBus;

class TSimBusSide : public ILbBusSide {
public:
    // What one client may have waiting for the wire (a real-time bus carries
    // about 1.6 KiB a second) before it is told the bus is busy.
    static constexpr int kMaxPendingBytes = 64 * 1024;

    explicit TSimBusSide(TSimBus& bus) : bus_(bus) {}
    // The simulated bus takes any bytes as they are, so tests can put broken
    // messages on the wire.
    bool Send(const QByteArray& bytes, const void* client, QString& reason) override;
    QByteArray VersionText() const override;

private:
    TSimBus& bus_;
};

class TSimLbServer : public TLbServer {
    Q_OBJECT
public:
    explicit TSimLbServer(TSimBus& bus, QObject* parent = nullptr);

private:
    TSimBusSide side_;
};
