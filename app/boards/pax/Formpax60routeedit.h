// One route of a PAX60/PAX66, edited on a copy that OK hands back.
#pragma once

#include "boards/pax/Tpax60route.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

class TPAX60RouteEditForm : public QDialog {
public:
    TPAX60RouteEditForm(QWidget* parent, TPAX60Route& route);

    // Opens the window modally 30 pixels right of and below the opener's
    // corner; true when closed with OK.
    static bool EditRoute(QWidget* opener, TPAX60Route& route);

    void accept() override;

    QListWidget* RouteListBox;
    QComboBox* StateButton;
    QSpinBox* PointNumberSpin;
    QListWidget* RouteCondListBox;
    QPushButton* DefineConditions;
    QPushButton* LearnClosed;
    QLabel* FitLabel;  // why the route does not fit; hidden while it does

    const TPAX60Route& Copy() const { return FCopy; }
    int Position() const { return FPosition; }  // 0-based

public: // handlers
    void RouteListBoxClick();
    void StateButtonChange();
    void PointNumberSpinChange();
    void DefineConditionsClick();

private:
    void ShowPosition();
    void StorePosition();
    void RefreshList();

    TPAX60Route& FRoute;
    TPAX60Route FCopy;
    int FPosition = 0;
    bool FShowing = false;  // filling the controls stores nothing
};
