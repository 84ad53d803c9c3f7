// varnscope-cli send: sends one typed message on a LocoNet port, the bytes
// as typed (no checksum added, none checked), and exits once it is written.
#include "cli/Proghost.h"
#include "cli/Subcommand.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace {

constexpr int kWriteTimeoutMs = 5000;

int RunSend(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Sends one message, typed as hexadecimal bytes, on a LocoNet port.");
    AddLinkOptions(parser);
    parser.addPositionalArgument("HEX", "The message bytes in hexadecimal, checksum included (83 7C).", "HEX...");
    int status = 0;
    if (!ParseSubcommand(parser, "send",
                         "varnscope-cli send --port DEV [--interface ms100|locobuffer|pr3] [--baud N] [--flow hardware|none] HEX ...", args,
                         status))
        return status;
    TCliLinkOptions options;
    QString error;
    if (!ReadLinkOptions(parser, options, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    const QString typed = parser.positionalArguments().join(' ');
    auto msg = std::make_unique<TLocoNetMessage>(typed.toStdString());
    if (msg->Length() == 0) {
        PrintError("cannot read the message '" + typed + "' (two or more hexadecimal bytes separated by spaces)");
        return ProgExit::kUsage;
    }

    TLocoNetComm link(MakeLinkPort);
    std::string reason;
    if (!OpenLinkWith(link, options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }
    link.WriteMessage(std::move(msg));
    // Written means handed on whole: nothing queued, nothing left in the port's buffer.
    QDeadlineTimer deadline(kWriteTimeoutMs);
    while (link.Enabled() && (link.QueTxMsgCount() > 0 || link.OutQueCount() > 0) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const bool written = link.Enabled() && link.QueTxMsgCount() == 0 && link.OutQueCount() == 0;
    const std::string lost = link.LastOpenError();
    link.Close();
    if (!written) {
        PrintError("the message was not written to " + options.port +
                   (lost.empty() ? QString() : ": " + QString::fromStdString(lost)));
        return ProgExit::kFailed;
    }
    return ProgExit::kOk;
}

const VarnscopeSubcommand kSend("send", "Send one typed message on a LocoNet port", RunSend,
    "0 when written; 1 when the message could not be written within 5 s; 2 for wrong "
    "options or a message that cannot be read; 4 when the port cannot be opened.");

}  // namespace
