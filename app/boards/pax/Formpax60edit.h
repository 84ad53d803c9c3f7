// The PAX60 board window: edits a copy of the board; OK assigns it back,
// Cancel leaves the board as it was.
#pragma once

#include "app/boards/pax/Formpaxboardedit.h"

class TPAX60Board;

class TPAX60EditForm : public TPAXBoardEditForm {
public:
    TPAX60EditForm(QWidget* parent, TPAX60Board& board);

    void accept() override;

protected:
    std::unique_ptr<TConfigurableBoard> CloneBoard(const TPAXBoard& board) const override;

private:
    TPAX60Board& FBoard;
};
