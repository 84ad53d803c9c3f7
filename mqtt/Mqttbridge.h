// The LocoNet bridge to an MQTT broker: every message its owner hands it is
// published (raw style: the message as JSON on rx; objects style: the
// retained state of sensors, switches and track power), and, when writing is
// on, what other devices publish on tx and the set topics goes onto the bus.
// The topics and payloads are those of Mqttrules.h.
//
// libmosquitto runs its own network thread; whatever it reports is handed to
// the bridge's thread, so the bridge, its link and its owner live on one
// thread as the link does. When the broker goes away the library connects
// again by itself, waiting longer each time up to kMaxRetrySeconds; the
// bridge then subscribes again and publishes the retained state anew.
// Messages from the bus meanwhile are counted as dropped, not kept: a queue
// that grows while the broker is away would replay stale switch requests to
// every device at once when it comes back.
#pragma once

#include "platform/Mqttrules.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <map>

struct mosquitto;
struct mosquitto_message;
class TLnThreadComm;

class TMqttBridge : public QObject {
    Q_OBJECT
public:
    // The library's delays are whole seconds: 1 s, then longer up to this.
    static constexpr unsigned kFirstRetrySeconds = 1;
    static constexpr unsigned kMaxRetrySeconds = 4;
    static constexpr int kKeepAliveSeconds = 10;
    // Publications handed to the library and not yet written to the broker;
    // beyond this a broker that does not read is treated as away.
    static constexpr int kMaxPending = 2000;
    // How long Stop waits for the goodbye to reach the broker.
    static constexpr int kGoodbyeMs = 2000;

    enum class EState { Stopped, Connecting, Connected, Reconnecting };

    // The link sends what devices publish; it must outlive the bridge.
    TMqttBridge(TLnThreadComm& link, TMqttSettings settings, QObject* parent = nullptr);
    ~TMqttBridge() override;

    // Starts connecting in the background; false with the reason when the
    // settings cannot work (no password file, no CA file, a host that has no
    // address). A broker that is not there yet is tried again and again.
    bool Start(QString& error);
    // Publishes "offline" and disconnects.
    void Stop();

    // One message from the bus, with the time it arrived.
    void OnMessage(const TLocoNetMessage& message, const QDateTime& arrival = QDateTime::currentDateTimeUtc());

    const TMqttSettings& Settings() const { return settings_; }
    EState State() const { return state_; }
    // "connecting", "connected", "reconnecting", "stopped", with ", N dropped"
    // once any message was dropped.
    QString StateText() const;
    // Bus messages not published because the broker was away, in this run.
    uint64_t Dropped() const { return dropped_; }
    // Publications the broker got from the bridge (rx, state, errors).
    uint64_t Published() const { return published_; }
    // Messages from devices put on the bus, and those refused.
    uint64_t Sent() const { return sent_; }
    uint64_t Refused() const { return refused_; }
    // Connections made again after a loss.
    int Reconnects() const { return reconnects_; }
    // Why the broker refused or dropped the connection last.
    const QString& LastError() const { return lastError_; }

signals:
    void StateChanged(TMqttBridge::EState state);
    // A publication from a device was not put on the bus (also answered on
    // the error topic).
    void CommandRefused(const QString& topic, const QString& reason);
    // The bridge stopped for good: the broker's TLS certificate is not
    // trusted, which trying again will not change (reason as LastError()).
    void Failed(const QString& reason);

private:  // On the bridge's thread
    void OnConnected(int code, const QString& reason);
    void OnDisconnected(int code);
    void OnTlsRefused(const QString& detail);
    void OnCommand(const QString& topic, const QByteArray& payload);
    void Refuse(const QString& topic, const QByteArray& payload, const QString& reason);
    // False when the broker is away: the caller counts the drop.
    bool Publish(const QString& topic, const QByteArray& payload, bool retained, int qos = 0);
    void SetState(EState state);

private:  // On the library's thread
    static void ConnectCallback(mosquitto*, void* self, int code);
    static void DisconnectCallback(mosquitto*, void* self, int code);
    static void MessageCallback(mosquitto*, void* self, const mosquitto_message* message);
    static void PublishCallback(mosquitto*, void* self, int mid);
    static void LogCallback(mosquitto*, void* self, int level, const char* text);

    TLnThreadComm& link_;
    TMqttSettings settings_;
    TMqttTopics topics_;
    mosquitto* mosq_ = nullptr;
    bool loopRunning_ = false;
    EState state_ = EState::Stopped;
    // The retained state as the bus last told it, republished on every connection.
    std::map<QString, QByteArray> retained_;
    uint64_t dropped_ = 0;
    uint64_t droppedAtLoss_ = 0;
    uint64_t published_ = 0;
    uint64_t sent_ = 0;
    uint64_t refused_ = 0;
    int reconnects_ = 0;
    bool everConnected_ = false;
    QString lastError_;
    std::atomic<int> pending_{0};
    std::atomic<bool> disconnected_{false};  // told by the library's thread
};
