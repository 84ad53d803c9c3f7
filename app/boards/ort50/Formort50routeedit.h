// The route editor of the panel controller: works on a copy of one route and
// copies it back into the board's route on OK; Cancel leaves it as it was.
#pragma once

#include "boards/ort50/Tort50route.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;
class TSvCheckLabel;

class TORT50RouteEditForm : public QDialog {
public:
    // route: the board's route; cells: the board's 30 cells, which say which
    // points take one byte (a point cell) and which take two.
    TORT50RouteEditForm(TORT50Route& route, const TORT50Cells& cells, QWidget* parent = nullptr);

    // The working copy, as the controls have changed it so far.
    const TORT50Route& WorkingRoute() const { return Route; }

public:  // handlers
    void FormShow();
    void RouteListBoxClick();
    void PointNumberSpinChange();
    void StateButtonChange();
    void CascadeCheckClick();
    void FormClose(bool ok);

public:  // controls
    QListWidget* RouteListBox;
    QSpinBox* PointNumberSpin;
    QComboBox* StateButton;
    QSpinBox* FromSpin;
    QSpinBox* ToSpin;
    QCheckBox* CascadeCheck;
    QSpinBox* CascadeSpin;
    TSvCheckLabel* SvCheck;

protected:
    void done(int result) override;

private:
    // Rows of entries shown: the entry capacity, or the length when a route
    // holds more entries than its capacity (twelve entries and a cascade).
    int EntryRows() const;
    void FillList(int selectRow);
    void LoadRow(int row);
    void ApplyRow();
    void UpdateSvCheck();

    TORT50Route& target_;
    const TORT50Cells& cells_;
    TORT50Route Route;
    bool handleChanges_ = false;
};
