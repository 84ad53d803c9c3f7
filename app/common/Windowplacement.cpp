#include "app/common/Windowplacement.h"

#include <QWidget>

#include <algorithm>

void FitIntoRoom(QWidget* window, const QRect& room)
{
    if (window == nullptr || room.isEmpty())
        return;
    // The frame may be bigger than the client area; both change together.
    const QSize frameExtra = window->frameGeometry().size() - window->size();
    const QSize roomForClient = room.size() - frameExtra;
    const QSize fitted = window->size().boundedTo(roomForClient).expandedTo(window->minimumSize());
    if (fitted != window->size())
        window->resize(fitted);
    QRect frame = window->frameGeometry();
    // Right and bottom first: a window larger than the room keeps its title
    // bar and left edge in sight.
    if (frame.right() > room.right())
        frame.moveRight(room.right());
    if (frame.bottom() > room.bottom())
        frame.moveBottom(room.bottom());
    frame.moveLeft(std::max(frame.left(), room.left()));
    frame.moveTop(std::max(frame.top(), room.top()));
    if (frame.topLeft() != window->frameGeometry().topLeft())
        window->move(frame.topLeft());
}
