// One input of a PAX60/PAX66. It edits the input of the board window's copy
// directly: OK writes the input type and the message type.
#pragma once

#include "boards/pax/Tpax60inputcell.h"

#include <QDialog>

class QComboBox;

class TPAX60InputCellEditForm : public QDialog {
public:
    TPAX60InputCellEditForm(QWidget* parent, TPAX60InputCell& input);

    // Opens the window modally 30 pixels right of and below the opener's
    // corner; true when closed with OK.
    static bool EditInput(QWidget* opener, TPAX60InputCell& input);

    void accept() override;

    QComboBox* InputCellTypeCombo;
    QComboBox* InputMessageCombo;

private:
    TPAX60InputCell& FInput;
};
