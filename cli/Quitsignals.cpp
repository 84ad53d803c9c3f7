#include "cli/Quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gSignalled = 0;
std::function<void()> gHandler;

void OnSignal(int)
{
    gSignalled = 1;
    const char c = 1;
    // Only async-signal-safe calls here; the event loop reads the pipe.
    [[maybe_unused]] ssize_t n = ::write(gPipe[1], &c, 1);
}

}  // namespace

void QuitOnSignals()
{
    if (gPipe[0] >= 0)
        return;
    if (::pipe(gPipe) != 0)
        return;
    ::fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(gPipe[0], &c, 1);
        if (gHandler)
            gHandler();
        else
            QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

bool QuitSignalled()
{
    return gSignalled != 0;
}

void SetQuitHandler(std::function<void()> handler)
{
    gHandler = std::move(handler);
}
