#include "cli/Terminal.h"

#include <cstdio>
#include <unistd.h>

bool StdoutRedrawsLines()
{
    return ::isatty(::fileno(stdout)) != 0;
}
