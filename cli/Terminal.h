// Whether standard output can show one line redrawn in place (carriage return
// and the ANSI erase-line sequence), as a progress bar needs.
#pragma once

bool StdoutRedrawsLines();
