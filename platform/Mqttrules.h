// What the MQTT bridge publishes and what it accepts, without a broker: the
// topics under the prefix, the JSON of a received message, the retained state
// a message changes, and the reading of what other devices publish.
//
// Topics under <prefix>:
//   rx                       every bus message as JSON (raw style)
//   tx                       a message for the bus: hex text, or JSON {"hex": ...}
//   error                    why something published to tx or a set topic was refused
//   sensor/<board>/<input>   "on" / "off", retained (objects style)
//   switch/<point>           "closed" / "thrown", retained
//   switch/<point>/set       "closed" / "thrown"
//   power                    "on" / "off", retained
//   power/set                "on" / "off"
//   status                   "online" / "offline" (the broker's last will), retained
#pragma once

#include "link/Lnmessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

enum class EMqttStyle { Raw, Objects, Both };

struct TMqttSettings {
    static constexpr int kDefaultPort = 1883;
    static constexpr int kDefaultTlsPort = 8883;

    QString host;
    int port = kDefaultPort;
    QString prefix = QStringLiteral("loconet");
    EMqttStyle style = EMqttStyle::Raw;
    bool write = false;  // the bus takes nothing from the broker unless asked
    QString clientId;    // empty: the library makes one up
    QString user;
    QString passwordFile;  // the password is read from here, never kept elsewhere
    QString tlsCa;         // a CA file turns TLS on

    bool Raw() const { return style != EMqttStyle::Objects; }
    bool Objects() const { return style != EMqttStyle::Raw; }
};

// "raw", "objects", "both"; false for anything else.
bool ReadMqttStyle(const QString& text, EMqttStyle& style);
QString MqttStyleName(EMqttStyle style);
// "HOST[:PORT]" and "[v6]:PORT"; without a port, defaultPort. False with the reason.
bool ReadBrokerAddress(const QString& text, int defaultPort, QString& host, int& port, QString& reason);
// A prefix is one or more topic levels without wildcards: "loconet", "club/loconet".
bool CheckMqttPrefix(const QString& prefix, QString& reason);
// The password file's first line (without its line end); false with the reason.
bool ReadPasswordFile(const QString& path, QByteArray& password, QString& reason);

struct TMqttPublication {
    QString topic;
    QByteArray payload;
    bool retained = false;

    bool operator==(const TMqttPublication& other) const = default;
};

class TMqttTopics {
public:
    explicit TMqttTopics(QString prefix) : prefix_(std::move(prefix)) {}

    QString Rx() const { return Level("rx"); }
    QString Tx() const { return Level("tx"); }
    QString Error() const { return Level("error"); }
    QString Status() const { return Level("status"); }
    QString Power() const { return Level("power"); }
    QString Sensor(int board, int input) const;
    QString Switch(int point) const;
    // What the bridge listens to: tx and every set topic.
    QStringList Subscriptions() const;

    // {"hex":"B2 05 47 0D","kind":"OPC_INPUT_REP","text":"...","time":"2026-12-11T07:15:08.123Z"}
    static QByteArray RxJson(const TLocoNetMessage& message, const QDateTime& arrival);
    // The retained state topics a message sets (none for most kinds).
    std::vector<TMqttPublication> StateOf(const TLocoNetMessage& message) const;

    enum class ECommand {
        NotOurs,  // a topic the bridge does not answer
        Send,     // bytes holds a well-formed message for the bus
        Refused,  // reason says why; it is answered on the error topic
    };
    // Reads one publication to tx or a set topic.
    ECommand ReadCommand(const QString& topic, const QByteArray& payload, QByteArray& bytes, QString& reason) const;
    // The error topic's JSON for a refused publication.
    static QByteArray ErrorJson(const QString& topic, const QByteArray& payload, const QString& reason);

private:
    QString Level(const char* name) const { return prefix_ + QLatin1Char('/') + QLatin1String(name); }
    static bool ReadTxPayload(const QByteArray& payload, QByteArray& bytes, QString& reason);

    QString prefix_;
};
