// Keeps a window inside the room it is shown in (a screen's work area, the
// main window's workspace), so that no part of it opens out of reach.
#pragma once

#include <QRect>

class QWidget;

// Moves window so that its frame lies inside room, first shrinking it to
// room where it is larger (never below its minimum size). A window already
// inside is left where it is.
void FitIntoRoom(QWidget* window, const QRect& room);
