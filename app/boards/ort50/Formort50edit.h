// The board editor of the panel controller. Its own fields go into the board
// on OK; cells and routes are edited in their own windows and stay as
// confirmed there even when this window is cancelled, as does the to/from
// numbering, which every route follows at once.
#pragma once

#include <QDialog>
#include <QPoint>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class TConfigurableBoard;
class TORT50Board;
class TSvCheckLabel;

class TORT50EditForm : public QDialog {
public:
    explicit TORT50EditForm(TORT50Board& board, QWidget* parent = nullptr);

public:  // handlers
    void FormShow();
    void CellListDblClick();
    void RouteListDblClick();
    void ToFromBoxClick();
    void FormClose(bool ok);

public:  // controls
    QLineEdit* BoardNameEdit;
    QSpinBox* SerialNumEdit;
    QLineEdit* NotesEdit;
    QListWidget* CellList;
    QListWidget* RouteList;
    QCheckBox* ToFromBox;
    QSpinBox* RouteAddrEdit;
    QComboBox* StartupModeCombo;
    QComboBox* SlaveModeCombo;
    QSpinBox* SlaveAddrEdit;
    QSpinBox* DCCSlaveEdit;
    QSpinBox* DCCInterlockEdit;
    QSpinBox* PointDelayEdit;
    TSvCheckLabel* SvCheck;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillCellList();
    void FillRouteList();
    void UpdateSvCheck();
    // Where a sub-window opens: 30 pixels right of and below this window.
    QPoint SubWindowPosition() const;

    TORT50Board& board_;
};

// The editor table's row for the ORT50: opens the board editor modally on an
// ORT50 board; true when closed with OK. Each call makes a new window.
bool EditOrt50Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board);
