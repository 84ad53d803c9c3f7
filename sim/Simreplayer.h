// Puts a recording's received messages back on a simulated LocoNet at the
// pace they were recorded, some times faster, or as fast as the bus takes
// them. Only whole, valid messages are ever sent: what the sender sent and
// what the framing rejected stay in the file.
#pragma once

#include "link/Recording.h"
#include "sim/Simbus.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

class TSimReplayer : public QObject {
    Q_OBJECT
public:
    // speed: times faster than recorded; 0 for as fast as the bus takes them.
    TSimReplayer(TSimBus& bus, const TRecording& recording, double speed, QObject* parent = nullptr);

    // The first message goes at once; the rest keep their distance to it.
    void Start();
    void Stop();
    bool Running() const { return running_; }
    size_t Count() const { return packets_.size(); }
    size_t Sent() const { return next_; }
    // The replay's length at its speed [us]; 0 at full speed.
    int64_t DurationUs() const;

signals:
    void Finished();

private:
    void Pump();

    TSimBus& bus_;
    std::vector<QByteArray> packets_;
    std::vector<int64_t> dueUs_;  // since the first message, at speed 1
    double speed_;
    size_t next_ = 0;
    bool running_ = false;
    QElapsedTimer clock_;
    QTimer timer_;
};
