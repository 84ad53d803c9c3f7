// What the programming and numbering subcommands share: the link options,
// opening the link, Qt timers driving the engines' timer interface, and the
// received SV-access messages handed to an engine.
#pragma once

#include "link/Lncomm.h"
#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"

#include <QCommandLineParser>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace ProgExit {
constexpr int kOk = 0;
constexpr int kFailed = 1;     // the board or the bus let the operation fail
constexpr int kUsage = 2;      // bad options, unreadable input file
constexpr int kPortError = 4;  // the port cannot be opened
}  // namespace ProgExit

// A one-shot QTimer behind the engines' timer interface.
class TQtEngineTimer : public IEngineTimer {
public:
    explicit TQtEngineTimer(std::function<void(uint64_t token)> expired);
    void Start(int ms, uint64_t token) override;
    void Stop() override;

private:
    QTimer timer_;
    uint64_t token_ = 0;
    std::function<void(uint64_t)> expired_;
};

struct TCliLinkOptions {
    QString port;
    ELocoNetInterface interface = eLocoBuffer;
    TBaudRate baud = br57600;
    TLnFlowControl flow = TLnFlowControl::Hardware;  // LocoBuffer and PR3 only
};

// --port, --interface, --baud, --flow.
void AddLinkOptions(QCommandLineParser& parser);
// False with the reason when an option is missing or not understood.
bool ReadLinkOptions(const QCommandLineParser& parser, TCliLinkOptions& options, QString& error);

// Sets the link up as the options say and opens it; false with the reason
// (and the link closed) when the port cannot be opened.
bool OpenLinkWith(TLocoNetComm& link, const TCliLinkOptions& options, std::string& reason);

// Standard parsing of a subcommand's words: false with the exit status set
// when the run ends here (help shown, or an error printed).
bool ParseSubcommand(QCommandLineParser& parser, const QString& name, const QString& usage, const QStringList& args,
                     int& exitStatus);

// The open link of a subcommand, handing every SV-access message it receives
// to OnSvMessage.
class TCliLink {
public:
    TCliLink();
    ~TCliLink();

    // False with a one-line reason when the port cannot be opened.
    bool Open(const TCliLinkOptions& options, std::string& reason);
    void Send(std::unique_ptr<TLNSVProgMessage> message);
    TLocoNetComm& Link() { return link_; }

    std::function<void(const TLNSVProgMessage&)> OnSvMessage;
    // The port failed while open (device gone, connection lost, even when a
    // network link then reconnects by itself); the reason.
    std::function<void(const std::string&)> OnLost;

private:
    void Receive();

    TLocoNetComm link_;
};

// A board serial number for the numbering commands, 1 to 65535.
bool ReadSerialNumber(const QString& text, int& serial);

// The product list next to the program.
QString DefaultProductListPath();

// Prints "error: text" on standard error.
void PrintError(const QString& text);
