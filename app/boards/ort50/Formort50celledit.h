// The cell editor of the panel controller: one of the board's 30 cells,
// changed in place when closed with OK. Which fields apply follows the
// cell's type (for a copy cell, the copied cell's type).
#pragma once

#include "boards/ort50/Tort50cell.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TORT50CellEditForm : public QDialog {
public:
    // cells: the board's 30 cells; index: the cell to edit, 0 to 29.
    TORT50CellEditForm(TORT50Cells& cells, int index, QWidget* parent = nullptr);
    ~TORT50CellEditForm() override;

public:  // handlers
    void FormShow();
    void CellTypeComboChange();
    void AddrEditChange();
    void SW1ComboChange();
    void SW2ComboChange();
    // With OK every control's value goes into the cell, disabled ones included.
    void FormClose(bool ok);

public:  // controls
    QLineEdit* DescriptionEdit;
    QComboBox* CellTypeCombo;
    QLabel* AddressLabel;
    QSpinBox* AddrEdit;
    QComboBox* SW1Combo;
    QSpinBox* Route1Edit;
    QComboBox* SW2Combo;
    QSpinBox* Route2Edit;
    QComboBox* InitCombo;
    QComboBox* TokenCombo;
    QComboBox* CascadeCombo;
    QSpinBox* CascadeEdit;
    QCheckBox* ToFbCheck;
    QSpinBox* SensorEdit;
    QCheckBox* SensFlashCheck;
    QComboBox* AspectCombo;
    QSpinBox* InterlockNumberEdit;
    QCheckBox* RevZoneCheck;
    QSpinBox* RelayEdit;

    // The address label's text for a cell type.
    static QString AddressLabelText(int type);

protected:
    void done(int result) override;

private:
    // The address label and the type-specific controls the chosen type enables.
    void UpdateTypeControls();

    TORT50Cells& cells_;
    int index_;
};
