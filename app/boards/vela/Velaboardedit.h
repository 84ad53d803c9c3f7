// What the VELA40 and VELA80 board editors share: name, serial number, DCC
// base address, notes, the signal and zone lists that open the signal and
// zone editors, and the live check of whether the board computes. The board
// is edited in place: the editor's own fields are stored on OK, while what
// the signal and zone editors change stays even when the board editor is
// cancelled.
#pragma once

#include <QDialog>

#include <memory>

class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class TConfigurableBoard;
class TRevRunZone;
class TSignal;
class TSvCheckLabel;

class TVelaBoardEditForm : public QDialog {
public:
    QLineEdit* BdNameEdit;
    QSpinBox* SerialNumSpin;
    QSpinBox* DCCAddrSpin;
    QLineEdit* NotesEdit;
    QTreeWidget* SignalList;
    QTreeWidget* RevZoneList;
    TSvCheckLabel* SvCheck;  // the board's SvErrorText while its configuration does not compute
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

public:  // handlers
    void FormShow();
    void SignalListDblClick();
    void RevZoneListDblClick();
    // Computes a copy of the board with the editor's base address, so the
    // check neither waits for OK nor enters devices into the board's table.
    void UpdateSvCheck();

protected:
    TVelaBoardEditForm(TConfigurableBoard& board, int helpTopic, QWidget* parent);
    // Puts the model's own controls (made after the shared ones, for the tab order) right of the lists.
    void FinishLayout(QLayout* settings);

    virtual TSignal& SignalAt(int index) = 0;
    virtual TRevRunZone& ZoneAt(int index) = 0;
    virtual void LoadSettings() = 0;   // base address, notes and the model's controls
    virtual void StoreSettings() = 0;
    virtual std::unique_ptr<TConfigurableBoard> CopyForCheck() const = 0;

    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FillLists();

    TConfigurableBoard& board_;
    int helpTopic_;
    bool shown_ = false;
};
