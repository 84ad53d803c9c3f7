// varnscope-cli mqtt: bridges a LocoNet interface to an MQTT broker until
// interrupted: the bus messages go to the broker, and with --write what
// devices publish comes onto the bus.
#include "cli/Linkwatch.h"
#include "cli/Proghost.h"
#include "cli/Quitsignals.h"
#include "cli/Subcommand.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"
#include "platform/Mqttrules.h"

#ifdef VARNSCOPE_HAVE_MQTT
#include "mqtt/Mqttbridge.h"
#endif

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {

// False with the reason when an option is not understood.
bool ReadMqttOptions(const QCommandLineParser& parser, TMqttSettings& settings, QString& error)
{
    if (!parser.isSet("broker")) {
        error = QStringLiteral("--broker is required");
        return false;
    }
    settings.tlsCa = parser.value("tls-ca");
    const int defaultPort = settings.tlsCa.isEmpty() ? TMqttSettings::kDefaultPort : TMqttSettings::kDefaultTlsPort;
    QString reason;
    if (!ReadBrokerAddress(parser.value("broker"), defaultPort, settings.host, settings.port, reason)) {
        error = QStringLiteral("--broker needs HOST[:PORT]: ") + reason;
        return false;
    }
    if (parser.isSet("prefix"))
        settings.prefix = parser.value("prefix");
    if (!CheckMqttPrefix(settings.prefix, reason)) {
        error = QStringLiteral("--prefix: ") + reason;
        return false;
    }
    if (parser.isSet("style") && !ReadMqttStyle(parser.value("style"), settings.style)) {
        error = QStringLiteral("--style is raw, objects or both: ") + parser.value("style");
        return false;
    }
    settings.write = parser.isSet("write");
    settings.clientId = parser.value("client-id");
    settings.user = parser.value("user");
    settings.passwordFile = parser.value("password-file");
    if (!settings.passwordFile.isEmpty() && settings.user.isEmpty()) {
        error = QStringLiteral("--password-file needs --user");
        return false;
    }
    return true;
}

int RunMqtt(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Bridges a LocoNet interface to an MQTT broker until interrupted: bus messages are published under the "
        "prefix (raw: <prefix>/rx as JSON; objects: retained <prefix>/sensor/<board>/<input>, "
        "<prefix>/switch/<point>, <prefix>/power); with --write, <prefix>/tx and the set topics "
        "(<prefix>/switch/<point>/set closed|thrown, <prefix>/power/set on|off) go onto the bus. "
        "<prefix>/status is online, or offline as the broker's last will.");
    AddLinkOptions(parser);
    parser.addOption({"broker", "The MQTT broker (port 1883, or 8883 with --tls-ca, unless named).", "HOST[:PORT]"});
    parser.addOption({"prefix", "The topics' first levels (default loconet).", "PREFIX"});
    parser.addOption({"style", "raw, objects or both (default raw).", "STYLE"});
    parser.addOption({"write", "Put what devices publish on tx and the set topics onto the bus (off unless given)."});
    parser.addOption({"client-id", "The client identifier at the broker (default: one made up).", "ID"});
    parser.addOption({"user", "The user name at the broker.", "USER"});
    parser.addOption({"password-file", "A file whose first line is the password (never taken on the command line).",
                      "FILE"});
    parser.addOption({"tls-ca", "Connect with TLS, trusting the certificate authorities in FILE.", "FILE"});
    int status = 0;
    if (!ParseSubcommand(parser, "mqtt",
                         "varnscope-cli mqtt --port DEV [--interface ms100|locobuffer|pr3] [--baud N] [--flow "
                         "hardware|none] --broker HOST[:PORT] [--prefix loconet] [--style raw|objects|both] [--write] "
                         "[--client-id ID] [--user U --password-file F] [--tls-ca FILE]",
                         args, status))
        return status;
    TCliLinkOptions options;
    TMqttSettings settings;
    QString error;
    if (!ReadLinkOptions(parser, options, error) || !ReadMqttOptions(parser, settings, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
#ifndef VARNSCOPE_HAVE_MQTT
    PrintError("the MQTT bridge is not in this build (it was built without libmosquitto)");
    return ProgExit::kPortError;
#else
    QuitOnSignals();
    TLocoNetComm link(MakeLinkPort);
    std::string reason;
    if (!OpenLinkWith(link, options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }
    int exitStatus = ProgExit::kOk;
    {
        TMqttBridge bridge(link, settings);
        if (!bridge.Start(error)) {
            PrintError(error);
            link.Close();
            return ProgExit::kPortError;
        }
        link.OnRxMsg = [&bridge](TLnThreadComm& sender, uint32_t) {
            while (std::unique_ptr<TLocoNetMessage> message = sender.ReadMessage())
                bridge.OnMessage(*message, QDateTime::currentDateTimeUtc());
        };
        WatchLink(link, options.port, exitStatus);
        uint64_t droppedShown = 0;
        QObject::connect(&bridge, &TMqttBridge::StateChanged, [&](TMqttBridge::EState state) {
            QString line = QStringLiteral("broker: ") + bridge.StateText();
            if (state == TMqttBridge::EState::Connected && bridge.Dropped() > droppedShown)
                line = QStringLiteral("broker: connected; %1 messages dropped while it was away")
                           .arg(bridge.Dropped() - droppedShown);
            else if (!bridge.LastError().isEmpty() && state != TMqttBridge::EState::Connected)
                line += QStringLiteral(" (") + bridge.LastError() + QLatin1Char(')');
            droppedShown = bridge.Dropped();
            std::fprintf(stderr, "%s\n", qPrintable(line));
        });
        QObject::connect(&bridge, &TMqttBridge::Failed, [&exitStatus](const QString& reason) {
            PrintError(reason);
            exitStatus = ProgExit::kPortError;
            QCoreApplication::exit(exitStatus);
        });
        QObject::connect(&bridge, &TMqttBridge::CommandRefused, [](const QString& topic, const QString& why) {
            std::fprintf(stderr, "refused %s: %s\n", qPrintable(topic), qPrintable(why));
        });
        std::printf("broker: %s:%d, prefix %s, style %s, write %s\n", qPrintable(settings.host), settings.port,
                    qPrintable(settings.prefix), qPrintable(MqttStyleName(settings.style)),
                    settings.write ? "on" : "off");
        std::printf("ready\n");
        std::fflush(stdout);
        QCoreApplication::exec();
        link.OnRxMsg = nullptr;
        link.OnError = nullptr;
        link.OnLinkState = nullptr;
        bridge.Stop();
        std::fprintf(stderr, "published %llu, dropped %llu, sent %llu, refused %llu\n",
                     static_cast<unsigned long long>(bridge.Published()),
                     static_cast<unsigned long long>(bridge.Dropped()),
                     static_cast<unsigned long long>(bridge.Sent()),
                     static_cast<unsigned long long>(bridge.Refused()));
    }
    link.Close();
    return exitStatus;
#endif
}

const VarnscopeSubcommand kMqtt("mqtt", "Bridge a LocoNet interface to an MQTT broker", RunMqtt,
    "0 after SIGINT or SIGTERM; 1 when the port fails while open; 2 for wrong options; 4 "
    "when the port cannot be opened, the password or CA file cannot be read, the broker's host has no "
    "address, its TLS certificate is not trusted, or the bridge is not in this build.");

}  // namespace
