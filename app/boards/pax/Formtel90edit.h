// The TEL90 board window: edits the board itself; OK writes the fields,
// Cancel writes nothing.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class TSvCheckLabel;
class TTEL90Board;

class TTEL90EditForm : public QDialog {
public:
    TTEL90EditForm(QWidget* parent, TTEL90Board& board);

    void accept() override;

    QLineEdit* BoardNameEdit;
    QSpinBox* SerialNumEdit;
    QLineEdit* NotesEdit;
    QSpinBox* SlaveAddrEdit;
    QSpinBox* DebounceTimeEdit;  // [ms], in steps of 10
    QPlainTextEdit* MemoTEL90;
    TSvCheckLabel* SvErrorText;

public: // handlers
    void CheckSettings();

private:
    void TakeSettings(TTEL90Board& board) const;

    TTEL90Board& FBoard;
};
