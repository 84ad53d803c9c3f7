#include "cli/Proghost.h"

#include "platform/Datafiles.h"
#include "platform/Linkports.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

TQtEngineTimer::TQtEngineTimer(std::function<void(uint64_t)> expired) : expired_(std::move(expired))
{
    timer_.setSingleShot(true);
    // Pacing pauses of 20 ms must not be stretched to a coarse timer's grain.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { expired_(token_); });
}

void TQtEngineTimer::Start(int ms, uint64_t token)
{
    token_ = token;
    timer_.start(ms);
}

void TQtEngineTimer::Stop()
{
    timer_.stop();
}

void AddLinkOptions(QCommandLineParser& parser)
{
    parser.addOption({"port", "The LocoNet port: a serial device, tcp:HOST:PORT or sim.", "DEV"});
    parser.addOption({"interface", "The bus interface: ms100, locobuffer or pr3 (default locobuffer).", "KIND"});
    parser.addOption({"baud", "Line speed: 16457, 19200 or 57600 (default: 16457 for the MS100, else 57600).", "RATE"});
    parser.addOption({"flow",
                      "Flow control of a LocoBuffer or PR3: hardware or none (default hardware; "
                      "the MS100 always runs without).",
                      "MODE"});
}

bool ReadLinkOptions(const QCommandLineParser& parser, TCliLinkOptions& options, QString& error)
{
    options.port = parser.value("port");
    if (options.port.isEmpty()) {
        error = "--port is required";
        return false;
    }
    const QString kind = parser.value("interface").toLower();
    if (kind.isEmpty() || kind == "locobuffer")
        options.interface = eLocoBuffer;
    else if (kind == "ms100")
        options.interface = eMS100;
    else if (kind == "pr3")
        options.interface = ePR3;
    else {
        error = "unknown interface '" + kind + "' (ms100, locobuffer or pr3)";
        return false;
    }
    options.baud = options.interface == eMS100 ? br16457 : br57600;
    if (parser.isSet("baud")) {
        const QString rate = parser.value("baud");
        if (rate == "16457")
            options.baud = br16457;
        else if (rate == "19200")
            options.baud = br19200;
        else if (rate == "57600")
            options.baud = br57600;
        else {
            error = "unknown line speed '" + rate + "' (16457, 19200 or 57600)";
            return false;
        }
    }
    const QString flow = parser.value("flow").toLower();
    if (flow.isEmpty() || flow == "hardware")
        options.flow = TLnFlowControl::Hardware;
    else if (flow == "none")
        options.flow = TLnFlowControl::None;
    else {
        error = "unknown --flow '" + flow + "' (hardware or none)";
        return false;
    }
    return true;
}

bool ParseSubcommand(QCommandLineParser& parser, const QString& name, const QString& usage, const QStringList& args,
                     int& exitStatus)
{
    parser.addHelpOption();
    if (!parser.parse(QStringList{"varnscope-cli " + name} + args)) {
        PrintError(parser.errorText());
        exitStatus = ProgExit::kUsage;
        return false;
    }
    if (parser.isSet("help")) {
        QString help = parser.helpText();
        help.replace(0, help.indexOf('\n'), "Usage: " + usage);
        std::fputs(help.toUtf8().constData(), stdout);
        exitStatus = ProgExit::kOk;
        return false;
    }
    return true;
}

TCliLink::TCliLink() : link_(MakeLinkPort)
{
    link_.OnRxMsg = [this](TLnThreadComm&, uint32_t) { Receive(); };
    link_.OnError = [this](TLnThreadComm&, uint32_t) {
        if (!link_.Enabled() && OnLost)
            OnLost(link_.LastOpenError());
    };
    // A network link reconnects by itself, but whatever was under way when
    // the connection went has lost its messages: it has failed.
    link_.OnLinkState = [this](TLnThreadComm&, bool connected) {
        if (!connected && OnLost)
            OnLost(link_.PortErrorText().empty() ? std::string("the connection was lost") : link_.PortErrorText());
    };
}

TCliLink::~TCliLink()
{
    link_.OnRxMsg = nullptr;
    link_.OnError = nullptr;
    link_.OnLinkState = nullptr;
    if (link_.Enabled())
        link_.Close();
}

bool OpenLinkWith(TLocoNetComm& link, const TCliLinkOptions& options, std::string& reason)
{
    try {
        link.SetDeviceName(options.port.toStdString());
        link.SetBaudRate(options.baud);
        link.SetLocoNetInterface(options.interface);
        link.SetFlowControl(options.flow);
        link.Open();
    } catch (const std::exception& e) {
        reason = e.what();
        return false;
    }
    if (!link.Enabled()) {
        reason = link.LastOpenError();
        return false;
    }
    return true;
}

bool TCliLink::Open(const TCliLinkOptions& options, std::string& reason)
{
    return OpenLinkWith(link_, options, reason);
}

void TCliLink::Send(std::unique_ptr<TLNSVProgMessage> message)
{
    link_.WriteMessage(std::unique_ptr<TLocoNetMessage>(std::move(message)));
}

void TCliLink::Receive()
{
    while (std::unique_ptr<TLocoNetMessage> message = link_.ReadMessage()) {
        if (message->MessageKind() != eOPCSVACCESS2)
            continue;
        const TLNSVProgMessage sv(*message);
        if (OnSvMessage)
            OnSvMessage(sv);
    }
}

bool ReadSerialNumber(const QString& text, int& serial)
{
    bool ok = false;
    serial = text.toInt(&ok);
    return ok && serial >= 1 && serial <= 65535;
}

QString DefaultProductListPath()
{
    return ProductListPath();
}

void PrintError(const QString& text)
{
    std::fprintf(stderr, "error: %s\n", qPrintable(text));
}
