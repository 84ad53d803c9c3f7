// The MUV7 sequence editor: a sequence's name and notes and its sixteen steps,
// one at a time. It edits a copy of the sequence; OK hands the copy back.
#pragma once

#include "boards/muv7/Tsequence.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class TMUV7SequenceEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TMUV7SequenceEditForm(TMUV7Sequence& sequence, QWidget* parent = nullptr);

    // The working copy, handed to the sequence on OK.
    const TMUV7Sequence& WorkingCopy() const { return copy_; }
    int CurrentStep() const { return currentStep_; }

    // Controls
    QLineEdit* NameEdit = nullptr;
    QLineEdit* DescriptionEdit = nullptr;
    QComboBox* SequenceTypeCombo = nullptr;
    QLineEdit* ActiveStepEdit = nullptr;
    QListWidget* StepList = nullptr;
    QComboBox* TriggerCombo = nullptr;
    QLabel* TrigParam1 = nullptr;
    QSpinBox* TrigSpin1 = nullptr;
    QLabel* TrigParam2 = nullptr;
    QSpinBox* TrigSpin2 = nullptr;
    QSpinBox* IterationSpin = nullptr;
    QComboBox* RetrigCombo = nullptr;
    QComboBox* ActionCombo = nullptr;
    QLabel* ActionParam1 = nullptr;
    QSpinBox* ActionSpin1 = nullptr;
    QLabel* ActionParam2 = nullptr;
    QSpinBox* ActionSpin2 = nullptr;
    QPushButton* WizardBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpButton = nullptr;

    // Handlers
    void FormShow();
    void FormClose(bool ok);
    void StepListClick();
    void TriggerComboChange();
    void ActionComboChange();
    // TrigSpin1Change, TrigSpin2Change, ActionSpin1Change, ActionSpin2Change,
    // IterationSpinChange and RetrigComboChange all come here.
    void StepControlChange();
    void NameEditExit();
    void WizardBtnClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMUV7SequenceStep& Step() { return copy_.StepAt(currentStep_); }
    void LoadHeader();
    void LoadStep();
    void SetTriggerControls();
    void SetActionControls();
    void StoreStep();
    void FillStepList();
    void MarkUserDefined();
    // The name, notes, type and active steps as the controls hold them, into the copy.
    void StoreHeader();

    TMUV7Sequence& sequence_;
    TMUV7Sequence copy_;
    int currentStep_ = 0;
    // Off while controls are being loaded, so their change handlers leave the step alone.
    bool storing_ = false;
    bool loaded_ = false;  // the controls hold the sequence from the first show on
};

// Opens the sequence editor modally on sequence, 30 pixels right of and below
// the opener's window; true when it was closed with OK.
bool OpenMUV7SequenceEditor(QWidget* opener, TMUV7Sequence& sequence);
