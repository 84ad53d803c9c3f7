#include "platform/Simport.h"

#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <cstring>

TSimPort::TSimPort(TSimLocoNet* net) : net_(net) {}

TSimPort::~TSimPort()
{
    Close();
}

bool TSimPort::Open(const std::string&, std::string& reason)
{
    if (!net_)
        net_ = &SimulatedLocoNet();
    if (!net_) {
        reason = "no simulated LocoNet";
        return false;
    }
    bus_ = &net_->Bus();
    rx_.clear();
    ClearLost();
    QObject::connect(bus_, &TSimBus::Delivered, Context(), [this](const QByteArray& packet) {
        rx_.append(packet);
        Post(kLnEvRxChar);
    });
    QObject::connect(bus_, &TSimBus::Transmitted, Context(), [this](const void* sender, int) {
        if (sender == this && bus_ && bus_->PendingBytes(this) == 0)
            Post(kLnEvTxEmpty);
    });
    // A simulated LocoNet that goes away is an unplugged interface.
    QObject::connect(bus_, &QObject::destroyed, Context(), [this] {
        if (!open_)
            return;
        open_ = false;
        NoteError(kLnErrDeviceLost, "the simulated LocoNet was shut down");
        Post(kLnEvError);
    });
    net_->Start();
    open_ = true;
    return true;
}

void TSimPort::Close()
{
    open_ = false;
    if (bus_)
        QObject::disconnect(bus_, nullptr, Context(), nullptr);
}

int TSimPort::Read(uint8_t* buffer, int count)
{
    const int got = int(std::min<qsizetype>(count, rx_.size()));
    std::memcpy(buffer, rx_.constData(), size_t(got));
    rx_.remove(0, got);
    return got;
}

int TSimPort::Write(const uint8_t* bytes, int count)
{
    if (!open_ || !bus_)
        return -1;
    bus_->Send(QByteArray(reinterpret_cast<const char*>(bytes), count), this);
    return count;
}

TLnPortStatus TSimPort::ClearError()
{
    TLnPortStatus s;
    s.errors = TakeErrors();
    s.inQue = int32_t(rx_.size());
    s.outQue = open_ && bus_ ? bus_->PendingBytes(this) : 0;
    return s;
}
