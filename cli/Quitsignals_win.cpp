// Windows sends no signals: Ctrl+C, Ctrl+Break and closing the console window
// reach a console program as control events, each on a thread of its own.
#include "cli/Quitsignals.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

#include <atomic>
#include <utility>

namespace {

std::atomic<bool> gSignalled{false};
bool gInstalled = false;
std::function<void()> gHandler;  // read on the event loop's thread only

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    gSignalled = true;
    // Queued: this thread is not the event loop's.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app,
            [] {
                if (gHandler)
                    gHandler();
                else
                    QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return TRUE;
    default:
        // Closing the console, logging off, shutting down: Windows ends the
        // process as soon as this returns, so wait here while the program
        // tidies up and exits (the system's own time limit still applies).
        ::Sleep(INFINITE);
        return TRUE;
    }
}

}  // namespace

void QuitOnSignals()
{
    if (gInstalled)
        return;
    gInstalled = ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

bool QuitSignalled()
{
    return gSignalled;
}

void SetQuitHandler(std::function<void()> handler)
{
    gHandler = std::move(handler);
}
