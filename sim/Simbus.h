// The simulated LocoNet wire: every packet put on it reaches every party, the
// sender included, as the real interfaces return it. Packets are byte strings
// as written (whole messages, or whatever a client sent). Fast mode hands
// each on at the next turn of the event loop; real-time mode holds each for
// its time on the wire (10 bits a byte at 16457 baud), one after another.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <random>

class TSimBus : public QObject {
    Q_OBJECT
public:
    explicit TSimBus(QObject* parent = nullptr);

    void SetRealtime(bool on) { realtime_ = on; }
    bool Realtime() const { return realtime_; }
    // Fractions 0..1 of the packets lost and corrupted; seed of the dice.
    void SetFaults(double dropRate, double corruptRate, uint32_t seed);

    // Puts a packet on the wire. sender identifies the party for Transmitted.
    void Send(const QByteArray& packet, const void* sender = nullptr);
    // Bytes this sender has put on the bus that are not yet delivered.
    int PendingBytes(const void* sender) const;

    // Wire time of count bytes [us].
    static int64_t WireTimeUs(int count) { return int64_t(count) * 10 * 1000000 / 16457; }

    uint64_t PacketsDropped() const { return dropped_; }
    uint64_t PacketsCorrupted() const { return corrupted_; }

signals:
    // Every party receives every packet here.
    void Delivered(const QByteArray& packet);
    // A sender's packet has left the wire (delivered or lost).
    void Transmitted(const void* sender, int bytes);

private:
    struct TPending {
        QByteArray packet;
        const void* sender;
        int64_t leavesWireUs;  // real time: when its last bit has been sent
    };
    void Pump();
    // Real time: the timer waits for the first packet to leave the wire.
    void ScheduleNext();
    void Corrupt(QByteArray& packet);

    std::deque<TPending> queue_;
    QTimer timer_;
    bool realtime_ = false;
    // Wire time is kept in microseconds on a clock of the bus's own; the
    // timer's whole milliseconds only say when to look, so they never add up
    // (rounded up per packet, they held the bus near 330 messages a second
    // instead of about 410).
    QElapsedTimer clock_;
    int64_t wireFreeUs_ = 0;
    double dropRate_ = 0, corruptRate_ = 0;
    std::mt19937 dice_{1};
    uint64_t dropped_ = 0, corrupted_ = 0;
};
