// What the PAX60 and PAX66 board windows share: the board's settings, the
// lists of output cells, inputs and routes that open their windows, and the
// live check. The window edits a copy of the board; the model's window
// assigns the copy back on OK.
#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QListWidget;
class QSpinBox;
class TConfigurableBoard;
class TPAXBoard;
class TSvCheckLabel;

class TPAXBoardEditForm : public QDialog {
public:
    ~TPAXBoardEditForm() override;

    QLineEdit* BoardNameEdit;
    QSpinBox* SerialNumEdit;
    QLineEdit* NotesEdit;
    QSpinBox* DCCBaseAddrEdit;
    QCheckBox* Addr16Check;
    QCheckBox* LocoNetCheck;
    QSpinBox* SensBdEdit;
    QSpinBox* CDUDelayEdit;
    QSpinBox* MemLocEdit;
    QSpinBox* RouteAddrEdit;
    QListWidget* OutputCellList;
    QListWidget* InputCellList;
    QListWidget* RouteList;
    TSvCheckLabel* SvErrorText;

    const TPAXBoard& Copy() const { return *FCopy; }

public: // handlers
    void DCCBaseAddrEditChange();
    void OutputCellListDblClick();
    void InputCellListDblClick();
    void RouteListDblClick();
    // Computes a board made of the copy and the controls' values and shows
    // whether it computes.
    void CheckSettings();

protected:
    // copy: the working copy of the board, owned from here on.
    // baseMinimum: the lowest base address the model takes.
    TPAXBoardEditForm(QWidget* parent, std::unique_ptr<TConfigurableBoard> copy, int baseMinimum, int helpTopic,
                      const QString& caption);

    // Fills every control from the copy; the model's window calls it once
    // its own controls are there.
    void FillControls();
    // Takes the controls' values into a board (the copy on OK).
    virtual void TakeSettings(TPAXBoard& board) const;
    // A board of the model's type, equal to board.
    virtual std::unique_ptr<TConfigurableBoard> CloneBoard(const TPAXBoard& board) const = 0;
    TPAXBoard& WorkingCopy() { return *FCopy; }
    // The form of "Other Settings", for controls a model adds.
    QFormLayout* OtherSettings() const { return FOtherSettings; }

private:
    void BuildLists();

    std::unique_ptr<TConfigurableBoard> FOwnCopy;
    TPAXBoard* FCopy;
    QFormLayout* FOtherSettings = nullptr;
    bool FFilled = false;  // no check before every control shows the copy
};
