// The list of conditions of a PAX60/PAX66 cell or route, edited on a copy
// that OK hands back to the set.
#pragma once

#include "boards/pax/Tpax60conditionset.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;

class TPAX60EditConditionsForm : public QDialog {
public:
    TPAX60EditConditionsForm(QWidget* parent, TPAX60ConditionSet& conditions);

    // Opens the window modally 30 pixels right of and below the opener's
    // corner; true when closed with OK.
    static bool EditConditions(QWidget* opener, TPAX60ConditionSet& conditions);

    void accept() override;

    QListWidget* ConditionList;
    QComboBox* DeviceTypeCombo;
    QSpinBox* NumberSpin;
    QSpinBox* OffsetSpin;
    QComboBox* StateCombo;
    QCheckBox* AndBox;

    const TPAX60ConditionSet& Copy() const { return FCopy; }

public: // handlers
    void ConditionListClick();
    void DeviceTypeComboChange();
    void StoreCondition();  // StateComboChange, AndBoxClick, NumberSpinChange, OffsetSpinChange
    void InsertClick();
    void DeleteClick();

private:
    void ShowCondition();
    void RefreshList();

    TPAX60ConditionSet& FConditions;
    TPAX60ConditionSet FCopy;
    int FCurrent = 0;
    bool FShowing = false;  // filling the controls stores nothing
};

// The condition texts of a set, one line each, as every list of conditions shows them.
void FillConditionList(QListWidget* list, const TPAX60ConditionSet& conditions);
