// The sequence wizard: fills a whole sequence as a station stop or a shuttle
// from a few values. It works on its own copy; OK hands the copy back.
#pragma once

#include "boards/muv7/Tsequence.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TTMUV7Wizard : public QDialog {
    Q_OBJECT
public:
    explicit TTMUV7Wizard(TMUV7Sequence& sequence, QWidget* parent = nullptr);

    const TMUV7Sequence& WorkingCopy() const { return copy_; }

    // Controls
    QTabWidget* PageControl = nullptr;
    // Station Stop page
    QSpinBox* SStopSensBdSpin = nullptr;
    QSpinBox* SStopSensSpin = nullptr;
    QSpinBox* SStopWaitSpin = nullptr;
    QSpinBox* SStopVisitSpin = nullptr;
    QSpinBox* SStopAccelSpin = nullptr;
    QPushButton* GenerateSStopBtn = nullptr;
    // Shuttle page
    QSpinBox* End1SensBdSpin = nullptr;
    QSpinBox* End1SensSpin = nullptr;
    QSpinBox* End1WaitSpin = nullptr;
    QSpinBox* End2SensBdSpin = nullptr;
    QSpinBox* End2SensSpin = nullptr;
    QSpinBox* End2WaitSpin = nullptr;
    QSpinBox* ShuttleAccelSpin = nullptr;
    QPushButton* GenerateShuttleBtn = nullptr;
    // The steps the last Generate made
    QListWidget* GeneratedList = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpButton = nullptr;

    // Handlers
    void GenerateSStopBtnClick();
    void GenerateShuttleBtnClick();

    void done(int result) override;

private:
    QWidget* MakeStationStopPage();
    QWidget* MakeShuttlePage();
    void ShowGenerated();
    void ChooseDefaultButton();

    TMUV7Sequence& sequence_;
    TMUV7Sequence copy_;
    bool generated_ = false;
};

// Opens the wizard modally on sequence, 30 pixels right of and below the
// opener's window; true when it was closed with OK.
bool OpenMUV7Wizard(QWidget* opener, TMUV7Sequence& sequence);
