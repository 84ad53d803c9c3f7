// The editor table's rows for the PAX60, TEL90 and PAX66: each opens the
// model's board window modally at a position; true when closed with OK.
// A window is made for each call and destroyed when it closes, its working
// copy with it.
#pragma once

#include <QPoint>

class QWidget;
class TConfigurableBoard;

bool EditPAX60Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
bool EditTEL90Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
bool EditPAX66Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
