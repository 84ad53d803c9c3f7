// A Windows console takes ANSI sequences only once asked to; a redirected
// output (a file, a pipe) has no console mode at all.
#include "cli/Terminal.h"

#include <windows.h>

bool StdoutRedrawsLines()
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out == INVALID_HANDLE_VALUE || !::GetConsoleMode(out, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    return ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
