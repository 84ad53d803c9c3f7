// The link's port onto the simulated LocoNet in this process (device "sim"):
// each write is one packet on the wire, and every packet on the wire, our own
// included, comes back as received bytes.
#pragma once

#include "platform/Qtport.h"

#include <QByteArray>
#include <QPointer>

class TSimBus;
class TSimLocoNet;

class TSimPort : public TQtPort {
public:
    explicit TSimPort(TSimLocoNet* net = nullptr);  // null: the process's simulated LocoNet
    ~TSimPort() override;

    bool Open(const std::string& deviceName, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override { return open_; }

    int SetLineSettings(int) override { return 0; }
    TLnLineResult SetDtr(bool, int&) override { return TLnLineResult::Unsupported; }

    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* bytes, int count) override;
    TLnPortStatus ClearError() override;
    void PurgeInput() override { rx_.clear(); }
    void PurgeOutput() override {}

private:
    QPointer<TSimLocoNet> net_;
    QPointer<TSimBus> bus_;
    QByteArray rx_;
    bool open_ = false;
};
