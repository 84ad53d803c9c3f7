// The reverse running zone editor: works on one zone of a board in place.
// Name and description are stored on OK; the condition sets edited through
// Define take effect when their editor closes with OK.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class TConditionSet;
class TRevRunZone;

class TRevZoneEditForm : public QDialog {
public:
    explicit TRevZoneEditForm(TRevRunZone& zone, QWidget* parent = nullptr);

    // Opens the editor modally on zone, 30 pixels from its opener's corner;
    // true when closed with OK.
    static bool Edit(QWidget* opener, TRevRunZone& zone);

public:  // controls
    QLineEdit* NameEdit;
    QLineEdit* DescriptionEdit;
    QListWidget* ListWE;
    QPushButton* DefineWE;
    QPushButton* LearnWE;
    QListWidget* ListEW;
    QPushButton* DefineEW;
    QPushButton* LearnEW;
    QListWidget* ListFreeze;
    QPushButton* DefineFreeze;
    QPushButton* LearnFreeze;
    QListWidget* ListShunt;
    QPushButton* DefineShunt;
    QPushButton* LearnShunt;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

public:  // handlers
    void FormShow();
    void DefineWEClick();
    void DefineEWClick();
    void DefineFreezeClick();
    void DefineShuntClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FillLists();
    void DefineSet(TConditionSet& set);

    TRevRunZone& zone_;
    bool shown_ = false;
};
