// The speedometer window: measures a train's scale speed between a start and
// a stop sensor. The measuring itself is TSpeedometer's; this window reads the
// parameters from its controls, feeds the reports and runs the time-out.
#pragma once

#include "app/monitor/Speedometer.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSettings;
class QSpinBox;
class QTimer;
class TLNSensFBMessage;
class TWorkbench;

class TSpeedometerForm : public QWidget {
    Q_OBJECT
public:
    // Milliseconds from any fixed origin; only differences are used.
    using TClock = std::function<int64_t()>;

    explicit TSpeedometerForm(QWidget* parent = nullptr);

    // A sensor report from the bus.
    void SensorReport(const TLNSensFBMessage& message);
    // Registers with the workbench for the sensor reports received while shown.
    void ListenTo(TWorkbench& workbench);

    // Stored settings (section "SpeedometerForm").
    void RestoreSettings(QSettings& store);  // only when the section exists
    void SaveSettings(QSettings& store) const;

    void SetClock(TClock clock) { clock_ = std::move(clock); }
    const TSpeedometer& Meter() const { return meter_; }
    bool LengthReadable() const { return meter_.Params().LengthValid; }

    // Controls
    QComboBox* ScaleCombo = nullptr;
    QComboBox* OutputUnitsCombo = nullptr;
    QLineEdit* LengthEdit = nullptr;
    QSpinBox* StartBoardEdit = nullptr;
    QSpinBox* StartSensEdit = nullptr;
    QSpinBox* StopBoardEdit = nullptr;
    QSpinBox* StopSensEdit = nullptr;
    QLineEdit* ResultEdit = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* HelpButton = nullptr;
    QTimer* TimeoutTimer = nullptr;

public slots:
    void UpdateParams();
    void TimeoutTimerTimer();
    void HelpButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowResult();
    void MarkLength(bool valid);  // an unreadable length shows in the field

    TSpeedometer meter_;
    TClock clock_;
};
