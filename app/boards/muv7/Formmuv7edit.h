// The MUV7 board editor: name, serial number, notes, the sensor inputs and
// the four sequences. It works on the board itself: the fields of this window
// reach the board on OK, while a sequence changed in the sequence editor (and
// closed there with OK) is already the board's.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPoint;
class QPushButton;
class QSpinBox;
class TConfigurableBoard;
class TMUV7Board;
class TSvCheckLabel;

class TMUV7EditForm : public QDialog {
    Q_OBJECT
public:
    explicit TMUV7EditForm(TMUV7Board& board, QWidget* parent = nullptr);

    // Controls
    QLineEdit* BoardNameEdit = nullptr;
    QSpinBox* SerialNumEdit = nullptr;
    QLineEdit* DescriptionEdit = nullptr;
    QListWidget* SequenceList = nullptr;
    QComboBox* SensorCombo = nullptr;
    QSpinBox* SensorBoardSpin = nullptr;
    TSvCheckLabel* SvCheck = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpButton = nullptr;

    // Handlers
    void FormShow();
    void FormClose(bool ok);
    void SequenceListDblClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillSequenceList();
    // Whether the board, with this window's values, computes its image.
    void UpdateSvCheck();
    void StoreControls(TMUV7Board& board) const;

    TMUV7Board& board_;
    bool loaded_ = false;  // the controls hold the board's values from the first show on
};

// The editor table's row for the MUV7: opens the board editor modally at
// position; true when it was closed with OK. The window lives for one call.
bool EditMUV7Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
