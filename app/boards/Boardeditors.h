// The editor table: for each board type, the function that opens the model's
// editor window modally on a board. The board configuration window knows the
// editors only through this table.
#pragma once

#include <QPoint>
#include <QString>

class QWidget;
class TConfigurableBoard;

// Opens the editor modally on board (owned by the board collection) with
// parent as its parent window, at position; the editor changes the board as
// its model's windows say (in place, or a copy assigned back on OK).
// Returns true when the editor was closed with OK.
using TBoardEditorFn = bool (*)(QWidget* parent, const QPoint& position, TConfigurableBoard& board);

struct TBoardEditorRow {
    TBoardEditorFn edit;  // nullptr while the model has no editor
};

// The row of a board type 0..6; nullptr for any other value.
const TBoardEditorRow* BoardEditorRow(int boardType);
// Whether the type's board can be edited, and if not, why (a tooltip text).
bool HasBoardEditor(int boardType);
QString NoBoardEditorText(int boardType);
