// One output cell of a PAX60/PAX66, edited on a copy that OK hands back.
#pragma once

#include "boards/pax/Tpax60cell.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class TPAX60OutputCellEditForm : public QDialog {
public:
    // address: the DCC accessory address the cell answers to, when the board
    // knows better than the cell's own base address copy.
    TPAX60OutputCellEditForm(QWidget* parent, TPAX60Cell& cell, std::optional<int32_t> address = std::nullopt);

    // Opens the window modally 30 pixels right of and below the opener's
    // corner; true when closed with OK.
    static bool EditCell(QWidget* opener, TPAX60Cell& cell, std::optional<int32_t> address = std::nullopt);

    void accept() override;

    QLineEdit* DescriptionEdit;
    QComboBox* CellTypeCombo;
    QComboBox* MsgTypeCombo;
    QComboBox* OnTimeCombo;
    QComboBox* FlashRateCombo;
    QCheckBox* FollowBox;
    QSpinBox* FollowSpin;
    QCheckBox* BrightnessBox;
    QCheckBox* InvertBox;
    QSpinBox* ConditionTimeSpin;
    QSpinBox* AdditionalDelaySpin;
    QLabel* ThrownCondLabel;
    QListWidget* ThrownCondListBox;
    QPushButton* DefineThrown;
    QPushButton* LearnThrown;
    QLabel* ClosedCondLabel;
    QListWidget* ClosedCondListBox;
    QPushButton* DefineClosed;
    QPushButton* LearnClosed;
    QListWidget* DontCondListBox;
    QPushButton* DefineDont;
    QPushButton* LearnDont;

    const TPAX60Cell& Copy() const { return FCopy; }

public: // handlers
    void CellTypeComboChange();
    void FollowBoxClick();
    void DefineThrownClick();
    void DefineClosedClick();
    void DefineDontClick();

private:
    QWidget* ConditionColumn(QLabel* label, QListWidget* list, QPushButton* define, QPushButton* learn);
    void RefreshLists();

    TPAX60Cell& FCell;
    TPAX60Cell FCopy;
};
