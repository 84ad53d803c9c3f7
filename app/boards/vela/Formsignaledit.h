// The signal editor: works on one signal of a board in place. Its own
// fields are stored on OK; a change of signal type and the condition sets
// edited through Define take effect at once.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QWidget;
class TConditionSet;
class TSignal;

class TSignalEditForm : public QDialog {
public:
    explicit TSignalEditForm(TSignal& signal, QWidget* parent = nullptr);

    // Opens the editor modally on signal, 30 pixels from its opener's corner;
    // true when closed with OK.
    static bool Edit(QWidget* opener, TSignal& signal);

public:  // controls
    QLineEdit* NameEdit;
    QLineEdit* DescriptionEdit;
    QComboBox* SigTypeCombo;
    QComboBox* HeadTypeCombo;
    QSpinBox* PointSpin;
    QSpinBox* TZoneSpin;
    QComboBox* RevZoneCombo;
    QLabel* ClosedLabel;
    QWidget* ClosedPanel;
    QSpinBox* NxtSigClosedSpin;
    QComboBox* NxtSigClosedCombo;
    QListWidget* ListBlkClosed;
    QListWidget* ListRedClosed;
    QPushButton* DefineBlkClosed;
    QPushButton* DefineRedClosed;
    QPushButton* LearnBlkClosed;
    QPushButton* LearnRedClosed;
    QLabel* ThrownLabel;
    QWidget* ThrownPanel;
    QSpinBox* NxtSigThrownSpin;
    QComboBox* NxtSigThrownCombo;
    QListWidget* ListBlkThrown;
    QListWidget* ListRedThrown;
    QPushButton* DefineBlkThrown;
    QPushButton* DefineRedThrown;
    QPushButton* LearnBlkThrown;
    QPushButton* LearnRedThrown;
    QListWidget* ListIsol;
    QListWidget* ListAux;
    QPushButton* DefineIsol;
    QPushButton* DefineAux;
    QPushButton* LearnIsol;
    QPushButton* LearnAux;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;
    QLabel* NoCancelLabel;

public:  // handlers
    void FormShow();
    void SigTypeComboChange(int index);
    void DefineBlkClosedClick();
    void DefineRedClosedClick();
    void DefineBlkThrownClick();
    void DefineRedThrownClick();
    void DefineIsolClick();
    void DefineAuxClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    // Once the type has changed nothing can be undone: Escape and the close
    // button no longer cancel, and the window says so.
    void reject() override;

private:
    void ShowTypePart();
    void DefineSet(TConditionSet* set);

    TSignal& signal_;
    bool loading_ = false;
    bool shown_ = false;
    int loadedHeadType_ = 0;
    int loadedRevZone_ = 0;
    int loadedNextMode_ = 0;
    int loadedNextModeThrown_ = 0;
};
