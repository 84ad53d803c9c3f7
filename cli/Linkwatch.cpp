#include "cli/Linkwatch.h"

#include "cli/Proghost.h"
#include "link/Lncomm.h"

#include <QCoreApplication>

#include <cstdio>

void WatchLink(TLnThreadComm& link, const QString& port, int& exitStatus)
{
    link.OnError = [port, &exitStatus](TLnThreadComm& sender, uint32_t) {
        if (sender.Enabled())
            return;  // a line error on a working port: the framing drops what it spoilt
        PrintError(port + ": the link failed: " + QString::fromStdString(sender.LastOpenError()));
        exitStatus = kExitLinkLost;
        QCoreApplication::quit();
    };
    link.OnLinkState = [port](TLnThreadComm& sender, bool connected) {
        if (connected)
            std::fprintf(stderr, "%s: reconnected\n", qPrintable(port));
        else
            std::fprintf(stderr, "%s: %s; reconnecting\n", qPrintable(port), sender.PortErrorText().c_str());
    };
}
