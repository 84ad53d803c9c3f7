#include "platform/Mqttrules.h"

#include "link/Lndecoders.h"
#include "link/Lndispatch.h"
#include "platform/Lbserverlink.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr int kMaxPoint = 2048;
constexpr uint8_t kOpcGpOn = 0x83;
constexpr uint8_t kOpcGpOff = 0x82;
// Switch request states: bit 0 output on, bit 1 closed direction.
constexpr int kThrownPressed = 1;
constexpr int kClosedPressed = 3;
// A password file holds one line; anything larger is not one.
constexpr qint64 kMaxPasswordFile = 4096;  // [bytes]

struct TStyleName {
    EMqttStyle style;
    const char* name;
};
constexpr TStyleName kStyleNames[] = {
    {EMqttStyle::Raw, "raw"}, {EMqttStyle::Objects, "objects"}, {EMqttStyle::Both, "both"}};

bool IsDecimal(QStringView text)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QByteArray OpcodeMessage(uint8_t opcode)
{
    TLocoNetMessage message;
    message.AppendByte(opcode);
    message.AppendChecksum();
    return QByteArray(reinterpret_cast<const char*>(message.Data()), qsizetype(message.Length()));
}

QByteArray Bytes(const TLocoNetMessage& message)
{
    return QByteArray(reinterpret_cast<const char*>(message.Data()), qsizetype(message.Length()));
}

// "on", "ON", " off\n": what home-automation tools send for a two-state value.
QString Word(const QByteArray& payload)
{
    return QString::fromUtf8(payload).trimmed().toLower();
}

}  // namespace

bool ReadMqttStyle(const QString& text, EMqttStyle& style)
{
    for (const TStyleName& row : kStyleNames)
        if (text == QLatin1String(row.name)) {
            style = row.style;
            return true;
        }
    return false;
}

QString MqttStyleName(EMqttStyle style)
{
    for (const TStyleName& row : kStyleNames)
        if (row.style == style)
            return QString::fromLatin1(row.name);
    return {};
}

bool ReadBrokerAddress(const QString& text, int defaultPort, QString& host, int& port, QString& reason)
{
    QString rest = text.trimmed();
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0) {
            reason = QStringLiteral("no ] after the IPv6 address");
            return false;
        }
        host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':'))) {
                reason = QStringLiteral("a port follows the address after a colon");
                return false;
            }
            portText = after.mid(1);
        }
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0 && rest.indexOf(QLatin1Char(':')) != colon) {
            reason = QStringLiteral("an IPv6 address goes in brackets: [::1]:1883");
            return false;
        }
        host = colon < 0 ? rest : rest.left(colon);
        if (colon >= 0)
            portText = rest.mid(colon + 1);
    }
    if (host.isEmpty()) {
        reason = QStringLiteral("no host name");
        return false;
    }
    port = defaultPort;
    if (!portText.isNull()) {
        const int value = IsDecimal(portText) ? portText.toInt() : 0;
        if (value < 1 || value > 65535) {
            reason = QStringLiteral("the port is a number from 1 to 65535: ") + portText;
            return false;
        }
        port = value;
    }
    return true;
}

bool CheckMqttPrefix(const QString& prefix, QString& reason)
{
    if (prefix.isEmpty()) {
        reason = QStringLiteral("the prefix is empty");
        return false;
    }
    if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#'))) {
        reason = QStringLiteral("the prefix holds a wildcard (+ or #)");
        return false;
    }
    if (prefix.startsWith(QLatin1Char('/')) || prefix.endsWith(QLatin1Char('/')) ||
        prefix.contains(QStringLiteral("//"))) {
        reason = QStringLiteral("the prefix has an empty level");
        return false;
    }
    if (prefix.contains(QChar(0))) {
        reason = QStringLiteral("the prefix holds a NUL character");
        return false;
    }
    return true;
}

bool ReadPasswordFile(const QString& path, QByteArray& password, QString& reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("cannot read the password file ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QByteArray content = file.read(kMaxPasswordFile + 1);
    if (content.size() > kMaxPasswordFile) {
        reason = QStringLiteral("the password file ") + path + QStringLiteral(" is longer than one line");
        return false;
    }
    qsizetype end = content.indexOf('\n');
    if (end < 0)
        end = content.size();
    password = content.left(end);
    if (password.endsWith('\r'))
        password.chop(1);
    return true;
}

QString TMqttTopics::Sensor(int board, int input) const
{
    return Level("sensor") + QStringLiteral("/%1/%2").arg(board).arg(input);
}

QString TMqttTopics::Switch(int point) const
{
    return Level("switch") + QStringLiteral("/%1").arg(point);
}

QStringList TMqttTopics::Subscriptions() const
{
    return {Tx(), Level("switch") + QStringLiteral("/+/set"), Level("power") + QStringLiteral("/set")};
}

QByteArray TMqttTopics::RxJson(const TLocoNetMessage& message, const QDateTime& arrival)
{
    QString kind = QString::fromLatin1(LnKindName(message.MessageKind()));
    if (kind.endsWith(QLatin1Char(':')))
        kind.chop(1);
    const std::unique_ptr<TLocoNetMessage> decoded = MakeDecoderMessage(message);
    const QJsonObject object{
        {QStringLiteral("hex"), QString::fromStdString(message.HexText()).trimmed()},
        {QStringLiteral("kind"), kind},
        {QStringLiteral("text"), QString::fromStdString(decoded->ToText()).trimmed()},
        {QStringLiteral("time"), arrival.toUTC().toString(Qt::ISODateWithMs)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::vector<TMqttPublication> TMqttTopics::StateOf(const TLocoNetMessage& message) const
{
    switch (message.MessageKind()) {
    case eOPCSENS: {
        int board = 0;
        int input = 0;
        bool on = false;
        if (TLNSensFBMessage(message).GetSensorReport(board, input, on))
            return {{Sensor(board, input), on ? "on" : "off", true}};
        break;
    }
    case eOPCSWREQ: {
        int point = 0;
        int state = 0;
        if (TLNSwReqMessage(message).GetSwitchRequest(point, state))
            return {{Switch(point), (state & 2) ? "closed" : "thrown", true}};
        break;
    }
    case eOPCGPON:
        return {{Power(), "on", true}};
    case eOPCGPOFF:
        return {{Power(), "off", true}};
    default:
        break;
    }
    return {};
}

bool TMqttTopics::ReadTxPayload(const QByteArray& payload, QByteArray& bytes, QString& reason)
{
    // Either the hex text itself or the rx JSON's shape with its "hex".
    QString text = QString::fromUtf8(payload).trimmed();
    if (text.startsWith(QLatin1Char('{'))) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
        if (!document.isObject()) {
            reason = QStringLiteral("not JSON: ") + error.errorString();
            return false;
        }
        const QJsonValue hex = document.object().value(QStringLiteral("hex"));
        if (!hex.isString()) {
            reason = QStringLiteral("the JSON has no \"hex\" text");
            return false;
        }
        text = hex.toString().trimmed();
    }
    // Bytes of one or two digits apart ("B2 05 47 0D", "b2,5,47,d"), or
    // written together ("B205470D").
    QStringList words = text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (words.size() == 1 && words.first().size() > 2) {
        const QString joined = words.first();
        if (joined.size() % 2 != 0) {
            reason = QStringLiteral("an odd number of hexadecimal digits");
            return false;
        }
        words.clear();
        for (qsizetype i = 0; i < joined.size(); i += 2)
            words << joined.mid(i, 2);
    }
    if (words.isEmpty()) {
        reason = QStringLiteral("no bytes");
        return false;
    }
    bytes.clear();
    for (const QString& word : words) {
        bool ok = false;
        const uint value = word.toUInt(&ok, 16);
        if (!ok || word.size() > 2 || word.startsWith(QLatin1Char('+')) || word.startsWith(QLatin1Char('-'))) {
            reason = QStringLiteral("not a hexadecimal byte: ") + word;
            return false;
        }
        bytes.append(char(value));
    }
    return TLinkBusSide::CheckMessage(bytes, reason);
}

TMqttTopics::ECommand TMqttTopics::ReadCommand(const QString& topic, const QByteArray& payload, QByteArray& bytes,
                                               QString& reason) const
{
    if (topic == Tx())
        return ReadTxPayload(payload, bytes, reason) ? ECommand::Send : ECommand::Refused;
    if (topic == Level("power") + QStringLiteral("/set")) {
        const QString word = Word(payload);
        if (word == QLatin1String("on") || word == QLatin1String("off")) {
            bytes = OpcodeMessage(word == QLatin1String("on") ? kOpcGpOn : kOpcGpOff);
            return ECommand::Send;
        }
        reason = QStringLiteral("power is set \"on\" or \"off\"");
        return ECommand::Refused;
    }
    const QString switches = Level("switch") + QLatin1Char('/');
    if (topic.startsWith(switches) && topic.endsWith(QStringLiteral("/set"))) {
        const QStringView number = QStringView(topic).mid(switches.size(), topic.size() - switches.size() - 4);
        const int point = IsDecimal(number) ? number.toInt() : 0;
        if (point < 1 || point > kMaxPoint) {
            reason = QStringLiteral("the switch is a number from 1 to %1").arg(kMaxPoint);
            return ECommand::Refused;
        }
        const QString word = Word(payload);
        if (word != QLatin1String("closed") && word != QLatin1String("thrown")) {
            reason = QStringLiteral("a switch is set \"closed\" or \"thrown\"");
            return ECommand::Refused;
        }
        bytes = Bytes(TLNSwReqMessage(point, word == QLatin1String("closed") ? kClosedPressed : kThrownPressed));
        return ECommand::Send;
    }
    return ECommand::NotOurs;
}

QByteArray TMqttTopics::ErrorJson(const QString& topic, const QByteArray& payload, const QString& reason)
{
    const QJsonObject object{
        {QStringLiteral("topic"), topic},
        {QStringLiteral("payload"), QString::fromUtf8(payload.left(256))},
        {QStringLiteral("error"), reason},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
