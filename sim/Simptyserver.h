// Serves a simulated LocoNet on a pseudo-terminal, as a LocoBuffer on a
// serial port would: what a program writes to the terminal goes on the wire,
// and everything on the wire comes back out of it.
#pragma once

#include "sim/Simpacketizer.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
class TSimBus;

class TSimPtyServer : public QObject {
    Q_OBJECT
public:
    explicit TSimPtyServer(TSimBus& bus, QObject* parent = nullptr);
    ~TSimPtyServer() override;

    // False where the system has no pseudo-terminals (Windows): there the
    // simulated bus is served as an LbServer only.
    static bool Supported();

    // Makes the terminal; false with the reason when it cannot.
    bool Start(QString& error);
    void Stop();
    QString DevicePath() const { return path_; }

private:
    void OnReadable();
    void OnWritable();
    void OnDelivered(const QByteArray& packet);
    void Push();

    TSimBus& bus_;
    int master_ = -1;
    int slave_ = -1;  // held open so the terminal outlives its clients
    QString path_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray out_;
    TSimPacketizer packetizer_;
    QTimer idle_;
};
