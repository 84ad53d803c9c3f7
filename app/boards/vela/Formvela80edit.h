// The VELA80 board editor.
#pragma once

#include "app/boards/vela/Velaboardedit.h"

#include <QPoint>

class QCheckBox;
class QComboBox;
class TVELA80Board;

class TVela80EditForm : public TVelaBoardEditForm {
public:
    explicit TVela80EditForm(TVELA80Board& board, QWidget* parent = nullptr);

public:  // the VELA80's own controls
    QSpinBox* SensorSpin;
    QComboBox* SensorIntCombo;
    QComboBox* SensorExtCombo;
    QComboBox* Op14Combo;
    QComboBox* Op58Combo;
    QComboBox* AuxOutputCombo;
    QCheckBox* SPADCheck;
    QComboBox* IsolationDelayCombo;
    QComboBox* ReleaseDelayCombo;
    QCheckBox* InterrogateCheck;
    QCheckBox* BrightnessCheck;
    QCheckBox* LocoNetCheck;

protected:
    TSignal& SignalAt(int index) override;
    TRevRunZone& ZoneAt(int index) override;
    void LoadSettings() override;
    void StoreSettings() override;
    std::unique_ptr<TConfigurableBoard> CopyForCheck() const override;

private:
    TVELA80Board& board_;
    int loadedInt_ = 0;
    int loadedExt_ = 0;
    int loadedOp14_ = 0;
    int loadedOp58_ = 0;
    int loadedAux_ = 0;
    int loadedIsolation_ = 0;
    int loadedRelease_ = 0;
};

// Row 2 of the editor table: opens the editor modally on a VELA80 at position;
// true when closed with OK.
bool EditVela80Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
