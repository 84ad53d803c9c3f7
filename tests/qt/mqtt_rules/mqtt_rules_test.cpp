// The bridge's topics and payloads without a broker: what a bus message
// publishes, what a device's publication sends, what is refused and why.
#include "link/Lndecoders.h"
#include "platform/Mqttrules.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

TLocoNetMessage FromHex(const char* hex)
{
    return TLocoNetMessage(std::string_view(hex));
}

QByteArray Hex(const QByteArray& bytes)
{
    return bytes.toHex(' ').toUpper();
}

TEST(MqttRules, EverySensorReportSetsItsOwnRetainedTopic)
{
    const TMqttTopics topics(QStringLiteral("club/ln"));
    for (int board = 1; board <= 256; ++board)
        for (int input = 1; input <= 16; ++input)
            for (bool on : {false, true}) {
                const auto states = topics.StateOf(TLNSensFBMessage(board, input, on));
                ASSERT_EQ(states.size(), 1u) << board << "," << input;
                EXPECT_EQ(states[0], (TMqttPublication{QStringLiteral("club/ln/sensor/%1/%2").arg(board).arg(input),
                                                       on ? "on" : "off", true}))
                    << board << "," << input << " " << on;
            }
}

// A set publication becomes a switch request, and the request's echo from
// the bus sets the retained state the device asked for, on every point.
TEST(MqttRules, SwitchSetRoundTripsThroughTheBusOnEveryPoint)
{
    const TMqttTopics topics(QStringLiteral("loconet"));
    for (int point = 1; point <= 2048; ++point)
        for (const char* word : {"closed", "thrown"}) {
            QByteArray bytes;
            QString reason;
            const QString set = QStringLiteral("loconet/switch/%1/set").arg(point);
            ASSERT_EQ(topics.ReadCommand(set, word, bytes, reason), TMqttTopics::ECommand::Send) << point;
            const TLocoNetMessage echo(reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()));
            ASSERT_TRUE(echo.IsValid()) << point;
            int requested = 0;
            int state = 0;
            ASSERT_TRUE(TLNSwReqMessage(echo).GetSwitchRequest(requested, state));
            EXPECT_EQ(requested, point);
            EXPECT_TRUE(state & 1) << "the output is switched on";
            const auto states = topics.StateOf(echo);
            ASSERT_EQ(states.size(), 1u);
            EXPECT_EQ(states[0], (TMqttPublication{QStringLiteral("loconet/switch/%1").arg(point), word, true}));
        }
}

TEST(MqttRules, PowerAndOtherKinds)
{
    const TMqttTopics topics(QStringLiteral("loconet"));
    struct TCase {
        const char* hex;
        std::vector<TMqttPublication> states;
    } const cases[] = {
        {"83 7C", {{QStringLiteral("loconet/power"), "on", true}}},
        {"82 7D", {{QStringLiteral("loconet/power"), "off", true}}},
        {"85 7A", {}},              // idle: not a power state
        {"A0 01 10 4E", {}},        // a loco's speed
        {"B2 05 47 0D", {}},        // a sensor report with a wrong checksum is no state
    };
    for (const TCase& c : cases)
        EXPECT_EQ(topics.StateOf(FromHex(c.hex)), c.states) << c.hex;
}

TEST(MqttRules, RxJsonCarriesBytesKindTextAndUtcTime)
{
    const QDateTime arrival(QDate(2026, 3, 1), QTime(23, 30, 5, 7), QTimeZone(3600));
    const QByteArray json = TMqttTopics::RxJson(TLNSensFBMessage(3, 5, true), arrival);
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object.value("hex").toString(), QStringLiteral("B2 12 50 0F"));
    EXPECT_EQ(object.value("kind").toString(), QStringLiteral("OPC_SENSORREP"));
    EXPECT_TRUE(object.value("text").toString().contains(QStringLiteral("3,5 On"))) << json.toStdString();
    EXPECT_EQ(object.value("time").toString(), QStringLiteral("2026-03-01T22:30:05.007Z"));
    EXPECT_FALSE(json.contains('\n')) << "one line per message";
    // A message no kind knows still goes out, as what it is.
    const QJsonObject unknown =
        QJsonDocument::fromJson(TMqttTopics::RxJson(FromHex("F0 0F"), arrival)).object();
    EXPECT_EQ(unknown.value("hex").toString(), QStringLiteral("F0 0F"));
    EXPECT_EQ(unknown.value("kind").toString(), QStringLiteral("Unknown"));
}

TEST(MqttRules, CommandsReadOrRefused)
{
    const TMqttTopics topics(QStringLiteral("ln"));
    using C = TMqttTopics::ECommand;
    struct TCase {
        const char* topic;
        QByteArray payload;
        C expected;
        const char* bytesOrReason;  // the bytes sent, or a word of the reason
    } const cases[] = {
        {"ln/tx", "B2 11 72 2E", C::Send, "B2 11 72 2E"},
        {"ln/tx", " b2 11 72 2e\n", C::Send, "B2 11 72 2E"},
        {"ln/tx", "B211722E", C::Send, "B2 11 72 2E"},
        {"ln/tx", "b2,11,72,2e", C::Send, "B2 11 72 2E"},
        {"ln/tx", R"({"hex":"83 7C","kind":"OPC_GPON"})", C::Send, "83 7C"},
        {"ln/tx", "B2 11 72 2F", C::Refused, "checksum"},
        {"ln/tx", "B2 11 72", C::Refused, "length"},
        {"ln/tx", "11 B2 72 2E", C::Refused, "opcode"},
        {"ln/tx", "B2 91 72 2E", C::Refused, "byte 2"},
        {"ln/tx", "B2 111 72 2E", C::Refused, "111"},
        {"ln/tx", "B2 1G 72 2E", C::Refused, "1G"},
        {"ln/tx", "B211722", C::Refused, "odd"},
        {"ln/tx", "", C::Refused, "no bytes"},
        {"ln/tx", R"({"hex":7})", C::Refused, "hex"},
        {"ln/tx", R"({"hex":"83 7C")", C::Refused, "JSON"},
        {"ln/power/set", "on", C::Send, "83 7C"},
        {"ln/power/set", "OFF\n", C::Send, "82 7D"},
        {"ln/power/set", "1", C::Refused, "\"on\""},
        {"ln/switch/1/set", "thrown", C::Send, "B0 00 10 5F"},
        {"ln/switch/2048/set", "Closed", C::Send, "B0 7F 3F 0F"},
        {"ln/switch/0/set", "closed", C::Refused, "2048"},
        {"ln/switch/2049/set", "closed", C::Refused, "2048"},
        {"ln/switch/+5/set", "closed", C::Refused, "2048"},
        {"ln/switch/x/set", "closed", C::Refused, "2048"},
        {"ln/switch/5/set", "open", C::Refused, "\"closed\""},
        {"ln/switch/5", "closed", C::NotOurs, ""},   // the state topic itself
        {"ln/rx", "B2 11 72 2E", C::NotOurs, ""},
        {"other/tx", "B2 11 72 2E", C::NotOurs, ""},
        {"ln/txx", "B2 11 72 2E", C::NotOurs, ""},
    };
    for (const TCase& c : cases) {
        QByteArray bytes;
        QString reason;
        const C got = topics.ReadCommand(QString::fromLatin1(c.topic), c.payload, bytes, reason);
        EXPECT_EQ(int(got), int(c.expected)) << c.topic << " " << c.payload.toStdString() << ": "
                                             << reason.toStdString();
        if (got == C::Send && c.expected == C::Send)
            EXPECT_EQ(Hex(bytes), QByteArray(c.bytesOrReason)) << c.topic << " " << c.payload.toStdString();
        if (c.expected == C::Refused)
            EXPECT_TRUE(reason.contains(QString::fromLatin1(c.bytesOrReason))) << c.payload.toStdString() << ": "
                                                                               << reason.toStdString();
    }
}

TEST(MqttRules, BrokerAddressesPrefixesAndStyles)
{
    struct TCase {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } const cases[] = {
        {"localhost", true, "localhost", 1883},  {"127.0.0.1:18830", true, "127.0.0.1", 18830},
        {"[::1]:1884", true, "::1", 1884},       {"[::1]", true, "::1", 1883},
        {"broker.lan:0", false, "", 0},          {"broker.lan:65536", false, "", 0},
        {"broker.lan:x", false, "", 0},          {":1883", false, "", 0},
        {"::1:1883", false, "", 0},              {"[::1", false, "", 0},
    };
    for (const TCase& c : cases) {
        QString host;
        int port = 0;
        QString reason;
        ASSERT_EQ(ReadBrokerAddress(QString::fromLatin1(c.text), 1883, host, port, reason), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, QString::fromLatin1(c.host)) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        } else {
            EXPECT_FALSE(reason.isEmpty()) << c.text;
        }
    }
    for (const char* good : {"loconet", "club/hall 2/loconet"}) {
        QString reason;
        EXPECT_TRUE(CheckMqttPrefix(QString::fromUtf8(good), reason)) << good;
    }
    for (const char* bad : {"", "a/+/b", "loconet/#", "/loconet", "loconet/", "a//b"}) {
        QString reason;
        EXPECT_FALSE(CheckMqttPrefix(QString::fromUtf8(bad), reason)) << bad;
    }
    for (EMqttStyle style : {EMqttStyle::Raw, EMqttStyle::Objects, EMqttStyle::Both}) {
        EMqttStyle read = EMqttStyle::Raw;
        ASSERT_TRUE(ReadMqttStyle(MqttStyleName(style), read));
        EXPECT_EQ(read, style);
    }
    EMqttStyle read = EMqttStyle::Both;
    EXPECT_FALSE(ReadMqttStyle(QStringLiteral("Raw"), read));
}

TEST(MqttRules, PasswordFileGivesItsFirstLineOnly)
{
    QTemporaryDir dir;
    struct TCase {
        QByteArray content;
        bool ok;
        QByteArray password;
    } const cases[] = {
        {"s3cret\n", true, "s3cret"},
        {"s3cret\r\nsecond line\n", true, "s3cret"},
        {"no line end", true, "no line end"},
        {" spaces kept \n", true, " spaces kept "},
        {"", true, ""},
        {QByteArray(5000, 'x'), false, ""},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const QString path = dir.filePath(QStringLiteral("pw%1").arg(n++));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        QByteArray password;
        QString reason;
        ASSERT_EQ(ReadPasswordFile(path, password, reason), c.ok) << c.content.left(20).toStdString();
        if (c.ok)
            EXPECT_EQ(password, c.password);
        else
            EXPECT_FALSE(reason.contains(QStringLiteral("xxxx"))) << "the file's content is never said";
    }
    QByteArray password;
    QString reason;
    EXPECT_FALSE(ReadPasswordFile(dir.filePath(QStringLiteral("missing")), password, reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("missing")));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
