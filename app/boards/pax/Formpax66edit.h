// The PAX66 board window: the PAX60 window on a copy of a PAX66, with
// individual output addresses. The 16-address tick and the individual
// addresses are written into the board itself at once, so that the address
// window sees them; neither OK nor Cancel of this window takes them back.
#pragma once

#include "app/boards/pax/Formpaxboardedit.h"

#include <array>

class QCheckBox;
class QPushButton;
class QSpinBox;
class TPAX66Board;

class TPAX66EditForm : public TPAXBoardEditForm {
public:
    TPAX66EditForm(QWidget* parent, TPAX66Board& board);

    void accept() override;

    QCheckBox* IndividualAddrsCheck;
    QPushButton* EditAddrsBtn;

public: // handlers
    void EnableIndividualAddrs();
    void Addr16CheckClick();
    void EditAddrsBtnClick();

protected:
    void TakeSettings(TPAXBoard& board) const override;
    std::unique_ptr<TConfigurableBoard> CloneBoard(const TPAXBoard& board) const override;

private:
    TPAX66Board& FBoard;
};

// The sixteen individual addresses, edited on the board itself: OK writes
// them into the board at once.
class TPAX66IndividualAddrsEditForm : public QDialog {
public:
    TPAX66IndividualAddrsEditForm(QWidget* parent, TPAX66Board& board);

    void accept() override;

    // DCCOP1TAddrEdit .. DCCOP8TAddrEdit, then DCCOP1CAddrEdit .. DCCOP8CAddrEdit.
    std::array<QSpinBox*, 16> AddrEdits{};

private:
    TPAX66Board& FBoard;
};
