// The VELA40 board editor.
#pragma once

#include "app/boards/vela/Velaboardedit.h"

#include <QPoint>

class QCheckBox;
class QComboBox;
class TVELA40Board;

class TVela40EditForm : public TVelaBoardEditForm {
public:
    explicit TVela40EditForm(TVELA40Board& board, QWidget* parent = nullptr);

public:  // the VELA40's own controls
    QSpinBox* SensorSpin;
    QComboBox* Sensor12Combo;
    QComboBox* Sensor34Combo;
    QComboBox* Sensor56Combo;
    QComboBox* Sensor78Combo;
    QSpinBox* HighCSpin;
    QComboBox* Op14Combo;
    QComboBox* Op58Combo;
    QCheckBox* SPADCheck;
    QCheckBox* DisplayCheck;
    QComboBox* IsolationDelayCombo;
    QCheckBox* BrightnessCheck;

protected:
    TSignal& SignalAt(int index) override;
    TRevRunZone& ZoneAt(int index) override;
    void LoadSettings() override;
    void StoreSettings() override;
    std::unique_ptr<TConfigurableBoard> CopyForCheck() const override;

private:
    QComboBox* PairCombo(int pair) const;

    TVELA40Board& board_;
    int loadedPairs_[4] = {0, 0, 0, 0};
    int loadedOp14_ = 0;
    int loadedOp58_ = 0;
    int loadedDelay_ = 0;
};

// Row 0 of the editor table: opens the editor modally on a VELA40 at position;
// true when closed with OK.
bool EditVela40Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
