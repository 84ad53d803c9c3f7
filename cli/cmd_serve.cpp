// varnscope-cli serve: opens a LocoNet interface and serves it on TCP as an
// LbServer (the protocol of simulate --listen) until interrupted, so that
// several computers share the one interface at the layout.
#include "cli/Linkwatch.h"
#include "cli/Proghost.h"
#include "cli/Quitsignals.h"
#include "cli/Subcommand.h"
#include "link/Lncomm.h"
#include "platform/Lbserverlink.h"
#include "platform/Linkports.h"
#include "platform/Listenaddress.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int RunServe(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Serves a LocoNet interface on TCP as an LbServer (JMRI, Rocrail, tcp:HOST:PORT) until interrupted.");
    AddLinkOptions(parser);
    parser.addOption({"listen", "Serve on [HOST:]PORT (loopback unless a host is named; * for every address; 0 picks a port).",
                      "[HOST:]PORT"});
    int status = 0;
    if (!ParseSubcommand(parser, "serve",
                         "varnscope-cli serve --port DEV [--interface ms100|locobuffer|pr3] [--baud N] [--flow hardware|none] "
                         "--listen [HOST:]PORT",
                         args, status))
        return status;
    TCliLinkOptions options;
    QString error;
    if (!ReadLinkOptions(parser, options, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    if (!parser.isSet("listen")) {
        PrintError("--listen is required");
        return ProgExit::kUsage;
    }
    QHostAddress host;
    quint16 port = 0;
    if (!ReadListenAddress(parser.value("listen"), host, port)) {
        PrintError("--listen needs [HOST:]PORT: " + parser.value("listen"));
        return ProgExit::kUsage;
    }

    QuitOnSignals();
    TLocoNetComm link(MakeLinkPort);
    std::string reason;
    if (!OpenLinkWith(link, options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }

    int exitStatus = ProgExit::kOk;
    {
        TLinkLbServer server(link);
        if (!server.Listen(host, port, error)) {
            PrintError("cannot listen on " + parser.value("listen") + ": " + error);
            link.Close();
            return ProgExit::kPortError;
        }
        // The messages are relayed as they are framed; the queue is only emptied.
        link.OnRxMsg = [](TLnThreadComm& sender, uint32_t) {
            while (sender.ReadMessage()) {
            }
        };
        WatchLink(link, options.port, exitStatus);
        QObject::connect(&server, &TLbServer::ClientsChanged, [](int count) {
            std::fprintf(stderr, "clients: %d\n", count);
        });
        std::printf("listen: %s\n", qPrintable(ListenAddressText(server.Address(), server.Port())));
        if (ListensEverywhere(server.Address()))
            std::fprintf(stderr, "%s\n", qPrintable(ListenEverywhereWarning(server.Port())));
        std::printf("ready\n");
        std::fflush(stdout);
        QCoreApplication::exec();
        link.OnRxMsg = nullptr;
        link.OnError = nullptr;
        link.OnLinkState = nullptr;
    }
    link.Close();
    return exitStatus;
}

const VarnscopeSubcommand kServe("serve", "Share a LocoNet interface on the network as an LbServer", RunServe,
    "0 after SIGINT or SIGTERM; 1 when the port fails while open; 2 for wrong options; 4 "
    "when the port cannot be opened or the address cannot be listened on.");

}  // namespace
