// A simulated LocoNet: the wire, the virtual boards on it, the emulated
// LocoBuffer and the scripted sensors and trains, built from TSimSettings.
// Ports (the in-process "sim" device, a pseudo-terminal, an LbServer) attach
// to Bus().
#pragma once

#include "sim/Simboard.h"
#include "sim/Simbus.h"
#include "sim/Simlocobuffer.h"
#include "sim/Simsettings.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <vector>

class QTimer;

class TSimLocoNet : public QObject {
    Q_OBJECT
public:
    explicit TSimLocoNet(const TSimSettings& settings, QObject* parent = nullptr);
    ~TSimLocoNet() override;

    TSimBus& Bus() { return bus_; }
    const TSimSettings& Settings() const { return settings_; }
    std::vector<std::unique_ptr<TSimBoard>>& Boards() { return boards_; }
    // The board answering at this address (its serial number for the family).
    TSimBoard* FindBoard(uint16_t serial);
    TSimLocoBuffer* LocoBuffer() { return locoBuffer_.get(); }

    // Starts the sensor scripts and trains (times count from here).
    void Start();

private:
    void OnPacket(const QByteArray& packet);
    void Reply(const TLocoNetMessage& msg);
    void SendSensor(int board, int input, bool on);
    void StartTrain(const TSimTrain& train);

    TSimSettings settings_;
    TSimBus bus_;
    std::vector<std::unique_ptr<TSimBoard>> boards_;
    std::unique_ptr<TSimLocoBuffer> locoBuffer_;
    bool started_ = false;
};
