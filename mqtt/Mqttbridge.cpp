#include "mqtt/Mqttbridge.h"

#include "link/Lncomm.h"
#include "platform/Lbserverlink.h"

#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <mosquitto.h>

#include <mutex>

namespace {

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString LibraryError(int code)
{
    if (code == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(code));
}

}  // namespace

TMqttBridge::TMqttBridge(TLnThreadComm& link, TMqttSettings settings, QObject* parent)
    : QObject(parent), link_(link), settings_(std::move(settings)), topics_(settings_.prefix)
{
}

TMqttBridge::~TMqttBridge()
{
    Stop();
}

bool TMqttBridge::Start(QString& error)
{
    if (mosq_)
        return true;
    if (!CheckMqttPrefix(settings_.prefix, error))
        return false;
    QByteArray password;
    if (!settings_.passwordFile.isEmpty() && !ReadPasswordFile(settings_.passwordFile, password, error))
        return false;
    if (!settings_.tlsCa.isEmpty() && !QFileInfo(settings_.tlsCa).isReadable()) {
        error = QStringLiteral("cannot read the CA file ") + settings_.tlsCa;
        return false;
    }
    InitLibrary();
    const QByteArray clientId = settings_.clientId.toUtf8();
    mosq_ = mosquitto_new(clientId.isEmpty() ? nullptr : clientId.constData(), true, this);
    if (!mosq_) {
        error = QStringLiteral("cannot make an MQTT client: ") + LibraryError(MOSQ_ERR_ERRNO);
        return false;
    }
    const auto fail = [this, &error](const QString& what, int code) {
        error = what + QStringLiteral(": ") + LibraryError(code);
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        return false;
    };
    int rc = MOSQ_ERR_SUCCESS;
    if (!settings_.user.isEmpty()) {
        const QByteArray user = settings_.user.toUtf8();
        rc = mosquitto_username_pw_set(mosq_, user.constData(), settings_.passwordFile.isEmpty() ? nullptr
                                                                                                 : password.constData());
        password.fill('\0');
        if (rc != MOSQ_ERR_SUCCESS)
            return fail(QStringLiteral("cannot use the user name"), rc);
    }
    if (!settings_.tlsCa.isEmpty()) {
        const QByteArray ca = QFile::encodeName(settings_.tlsCa);
        rc = mosquitto_tls_set(mosq_, ca.constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return fail(QStringLiteral("cannot use the CA file ") + settings_.tlsCa, rc);
    }
    const QByteArray statusTopic = topics_.Status().toUtf8();
    rc = mosquitto_will_set(mosq_, statusTopic.constData(), 7, "offline", 1, true);
    if (rc != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("cannot set the last will"), rc);
    mosquitto_reconnect_delay_set(mosq_, kFirstRetrySeconds, kMaxRetrySeconds, true);
    // Bus messages are small and go out one at a time: no waiting to fill a segment.
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(mosq_, &TMqttBridge::ConnectCallback);
    mosquitto_disconnect_callback_set(mosq_, &TMqttBridge::DisconnectCallback);
    mosquitto_message_callback_set(mosq_, &TMqttBridge::MessageCallback);
    mosquitto_publish_callback_set(mosq_, &TMqttBridge::PublishCallback);
    mosquitto_log_callback_set(mosq_, &TMqttBridge::LogCallback);

    const QByteArray host = settings_.host.toUtf8();
    rc = mosquitto_connect_async(mosq_, host.constData(), settings_.port, kKeepAliveSeconds);
    // A broker that is not up yet is tried again by the library's loop;
    // a host without an address or a refused setting will not get better.
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_ERRNO)
        return fail(QStringLiteral("cannot connect to %1:%2").arg(settings_.host).arg(settings_.port), rc);
    if (rc == MOSQ_ERR_ERRNO)
        lastError_ = LibraryError(rc);
    rc = mosquitto_loop_start(mosq_);
    if (rc != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("cannot start the MQTT client"), rc);
    loopRunning_ = true;
    SetState(EState::Connecting);
    return true;
}

void TMqttBridge::Stop()
{
    if (!mosq_)
        return;
    const bool connected = state_ == EState::Connected;
    // Set first: the disconnection the library reports next is ours.
    state_ = EState::Stopped;
    if (connected) {
        // A clean disconnection does not raise the last will: say it here.
        mosquitto_publish(mosq_, nullptr, topics_.Status().toUtf8().constData(), 7, "offline", 1, true);
    }
    disconnected_ = !connected;
    mosquitto_disconnect(mosq_);
    // The library's thread ends once its goodbye is written; a broker that
    // stopped reading would keep it (and the window closing) waiting for good.
    QDeadlineTimer goodbye(kGoodbyeMs);
    while (!disconnected_ && !goodbye.hasExpired())
        QThread::msleep(5);
    if (loopRunning_)
        mosquitto_loop_stop(mosq_, !disconnected_);
    loopRunning_ = false;
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    emit StateChanged(state_);
}

void TMqttBridge::OnMessage(const TLocoNetMessage& message, const QDateTime& arrival)
{
    bool lost = false;
    if (settings_.Raw())
        lost = !Publish(topics_.Rx(), TMqttTopics::RxJson(message, arrival), false);
    if (settings_.Objects()) {
        for (TMqttPublication& state : topics_.StateOf(message)) {
            QByteArray& known = retained_[state.topic];
            if (known == state.payload)
                continue;
            known = state.payload;
            // The state is kept even when the broker is away: it is published on return.
            lost = !Publish(state.topic, state.payload, true) || lost;
        }
    }
    if (lost)
        ++dropped_;
}

QString TMqttBridge::StateText() const
{
    QString text;
    switch (state_) {
    case EState::Stopped:
        text = QStringLiteral("stopped");
        break;
    case EState::Connecting:
        text = QStringLiteral("connecting");
        break;
    case EState::Connected:
        text = QStringLiteral("connected");
        break;
    case EState::Reconnecting:
        text = QStringLiteral("reconnecting");
        break;
    }
    if (dropped_ > 0)
        text += QStringLiteral(", %1 dropped").arg(dropped_);
    return text;
}

bool TMqttBridge::Publish(const QString& topic, const QByteArray& payload, bool retained, int qos)
{
    if (state_ != EState::Connected || pending_.load() >= kMaxPending)
        return false;
    const QByteArray name = topic.toUtf8();
    const int rc = mosquitto_publish(mosq_, nullptr, name.constData(), int(payload.size()), payload.constData(), qos,
                                     retained);
    if (rc != MOSQ_ERR_SUCCESS)
        return false;
    ++pending_;
    ++published_;
    return true;
}

void TMqttBridge::SetState(EState state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit StateChanged(state_);
}

void TMqttBridge::OnConnected(int code, const QString& reason)
{
    if (state_ == EState::Stopped)
        return;
    if (code != 0) {
        // The library tries again; the reason stays for the operator.
        lastError_ = reason;
        emit StateChanged(state_);
        return;
    }
    lastError_.clear();
    // What the library held for the lost connection went with it.
    pending_ = 0;
    for (const QString& topic : topics_.Subscriptions()) {
        const bool wanted = topic == topics_.Tx() ? settings_.Raw() : settings_.Objects();
        if (wanted)
            mosquitto_subscribe(mosq_, nullptr, topic.toUtf8().constData(), 1);
    }
    if (everConnected_)
        ++reconnects_;
    everConnected_ = true;
    state_ = EState::Connected;
    Publish(topics_.Status(), "online", true, 1);
    for (const auto& [topic, payload] : retained_)
        Publish(topic, payload, true);
    emit StateChanged(state_);
}

void TMqttBridge::OnDisconnected(int code)
{
    if (state_ == EState::Stopped)
        return;
    // The handshake may fail inside the library's loop rather than in the
    // first connect, depending on when the broker's answer comes; either way
    // the library gives up on the connection and an untrusted certificate
    // stays untrusted: stop, as when the first connect refused it.
    if (code == MOSQ_ERR_TLS || code == MOSQ_ERR_TLS_HANDSHAKE) {
        OnTlsRefused(LibraryError(code));
        return;
    }
    if (code != 0)
        lastError_ = QStringLiteral("the broker connection was lost");
    SetState(everConnected_ ? EState::Reconnecting : EState::Connecting);
}

void TMqttBridge::OnCommand(const QString& topic, const QByteArray& payload)
{
    QByteArray bytes;
    QString reason;
    switch (topics_.ReadCommand(topic, payload, bytes, reason)) {
    case TMqttTopics::ECommand::NotOurs:
        return;
    case TMqttTopics::ECommand::Refused:
        Refuse(topic, payload, reason);
        return;
    case TMqttTopics::ECommand::Send:
        break;
    }
    if (!settings_.write) {
        Refuse(topic, payload, QStringLiteral("writing to the bus is off in this bridge"));
        return;
    }
    TLinkBusSide bus(link_);
    if (!bus.Send(bytes, this, reason)) {
        Refuse(topic, payload, reason);
        return;
    }
    ++sent_;
}

void TMqttBridge::OnTlsRefused(const QString& detail)
{
    if (state_ == EState::Stopped)
        return;
    lastError_ = QStringLiteral("TLS: the broker's certificate is not trusted by %1 (%2)").arg(settings_.tlsCa, detail);
    SetState(EState::Stopped);
    emit Failed(lastError_);
}

void TMqttBridge::Refuse(const QString& topic, const QByteArray& payload, const QString& reason)
{
    ++refused_;
    Publish(topics_.Error(), TMqttTopics::ErrorJson(topic, payload, reason), false);
    emit CommandRefused(topic, reason);
}

void TMqttBridge::ConnectCallback(mosquitto*, void* self, int code)
{
    auto* bridge = static_cast<TMqttBridge*>(self);
    const QString reason = QString::fromUtf8(mosquitto_connack_string(code));
    QMetaObject::invokeMethod(bridge, [bridge, code, reason] { bridge->OnConnected(code, reason); },
                              Qt::QueuedConnection);
}

void TMqttBridge::LogCallback(mosquitto*, void* self, int level, const char* text)
{
    // Some paths of a failed handshake end the library's loop without a
    // disconnection callback; its error log line is then the only word of it.
    if (level != MOSQ_LOG_ERR || !text || !std::strstr(text, "certificate verify failed"))
        return;
    auto* bridge = static_cast<TMqttBridge*>(self);
    const QString detail = QString::fromUtf8(text);
    QMetaObject::invokeMethod(bridge, [bridge, detail] { bridge->OnTlsRefused(detail); }, Qt::QueuedConnection);
}

void TMqttBridge::DisconnectCallback(mosquitto*, void* self, int code)
{
    auto* bridge = static_cast<TMqttBridge*>(self);
    bridge->disconnected_ = true;
    QMetaObject::invokeMethod(bridge, [bridge, code] { bridge->OnDisconnected(code); }, Qt::QueuedConnection);
}

void TMqttBridge::MessageCallback(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* bridge = static_cast<TMqttBridge*>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    QMetaObject::invokeMethod(bridge, [bridge, topic, payload] { bridge->OnCommand(topic, payload); },
                              Qt::QueuedConnection);
}

void TMqttBridge::PublishCallback(mosquitto*, void* self, int)
{
    auto* bridge = static_cast<TMqttBridge*>(self);
    int pending = bridge->pending_.load();
    while (pending > 0 && !bridge->pending_.compare_exchange_weak(pending, pending - 1)) {
    }
}
