// The condition editor: edits a working copy of one condition set, one
// condition at a time, and hands the copy back to the set on OK.
#pragma once

#include <QDialog>

#include "boards/vela/Tconditionset.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

class TEditConditionsForm : public QDialog {
public:
    explicit TEditConditionsForm(TConditionSet& set, QWidget* parent = nullptr);

    // Opens the editor modally on set, 30 pixels from its opener's corner;
    // true when OK replaced the set.
    static bool Edit(QWidget* opener, TConditionSet& set);

    const TConditionSet& WorkingCopy() const { return copy_; }
    int CurrentIndex() const { return current_; }

public:  // controls
    QListWidget* ConditionList;
    QComboBox* DeviceTypeCombo;
    QSpinBox* NumberSpin;
    QSpinBox* OffsetSpin;
    QComboBox* StateCombo;
    QCheckBox* AndBox;
    QLabel* SetNameLabel;
    QAction* Insert1;
    QAction* Delete1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* helpButton;

public:  // handlers
    void FormShow();
    void ConditionListClick(int row);
    void DeviceTypeComboChange(int index);
    void ControlsChange();  // StateComboChange, AndBoxClick, NumberSpinChange, OffsetSpinChange
    void Insert1Click();
    void Delete1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void LoadCondition();
    void StoreControls();
    void FillList();

    TConditionSet& set_;
    TConditionSet copy_;
    int current_ = 0;
    bool loaded_ = false;  // off while controls are loaded, so half-loaded values are not stored
    bool shown_ = false;
};
