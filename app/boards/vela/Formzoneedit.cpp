#include "app/boards/vela/Formzoneedit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Formeditconditions.h"
#include "app/boards/vela/Velaeditfields.h"
#include "boards/vela/Trevrunzone.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TRevZoneEditForm::TRevZoneEditForm(TRevRunZone& zone, QWidget* parent) : QDialog(parent), zone_(zone)
{
    setObjectName(QStringLiteral("RevZoneEditForm"));

    NameEdit = MakeText(this, QStringLiteral("NameEdit"), {});
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), {});
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Zone Name"), NameEdit);
    fields->addRow(QStringLiteral("Description"), DescriptionEdit);

    const velaedit::TConditionPanel we =
        velaedit::MakeConditionPanel(this, QStringLiteral("Change to West-to-East When"), QStringLiteral("ListWE"),
                                     QStringLiteral("DefineWE"), QStringLiteral("LearnWE"), 8);
    const velaedit::TConditionPanel ew =
        velaedit::MakeConditionPanel(this, QStringLiteral("Change to East-to-West When"), QStringLiteral("ListEW"),
                                     QStringLiteral("DefineEW"), QStringLiteral("LearnEW"), 8);
    const velaedit::TConditionPanel freeze =
        velaedit::MakeConditionPanel(this, QStringLiteral("Don't Change When"), QStringLiteral("ListFreeze"),
                                     QStringLiteral("DefineFreeze"), QStringLiteral("LearnFreeze"), 6);
    const velaedit::TConditionPanel shunt =
        velaedit::MakeConditionPanel(this, QStringLiteral("Enter SHUNT Mode When"), QStringLiteral("ListShunt"),
                                     QStringLiteral("DefineShunt"), QStringLiteral("LearnShunt"), 6);
    ListWE = we.list;
    DefineWE = we.define;
    LearnWE = we.learn;
    ListEW = ew.list;
    DefineEW = ew.define;
    LearnEW = ew.learn;
    ListFreeze = freeze.list;
    DefineFreeze = freeze.define;
    LearnFreeze = freeze.learn;
    ListShunt = shunt.list;
    DefineShunt = shunt.define;
    LearnShunt = shunt.learn;

    QDialogButtonBox* buttons = MakeDialogButtons(this, 530);
    OKButton = buttons->button(QDialogButtonBox::Ok);
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);

    auto* panels = new QGridLayout;
    panels->addWidget(we.box, 0, 0);
    panels->addWidget(ew.box, 0, 1);
    panels->addWidget(freeze.box, 1, 0);
    panels->addWidget(shunt.box, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(panels);
    layout->addWidget(buttons);

    connect(DefineWE, &QPushButton::clicked, this, &TRevZoneEditForm::DefineWEClick);
    connect(DefineEW, &QPushButton::clicked, this, &TRevZoneEditForm::DefineEWClick);
    connect(DefineFreeze, &QPushButton::clicked, this, &TRevZoneEditForm::DefineFreezeClick);
    connect(DefineShunt, &QPushButton::clicked, this, &TRevZoneEditForm::DefineShuntClick);
}

bool TRevZoneEditForm::Edit(QWidget* opener, TRevRunZone& zone)
{
    TRevZoneEditForm form(zone, opener);
    PlaceDialog(&form, velaedit::ChildPosition(opener));
    return form.exec() == QDialog::Accepted;
}

void TRevZoneEditForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TRevZoneEditForm::FormShow()
{
    setWindowTitle(ToQ("Edit Reverse Running Zone " + zone_.Letter()));
    NameEdit->setText(ToQ(zone_.Name()));
    DescriptionEdit->setText(ToQ(zone_.Description()));
    FillLists();
}

void TRevZoneEditForm::FillLists()
{
    velaedit::FillConditionList(ListWE, zone_.WestEastSet());
    velaedit::FillConditionList(ListEW, zone_.EastWestSet());
    velaedit::FillConditionList(ListFreeze, zone_.FreezeSet());
    velaedit::FillConditionList(ListShunt, zone_.ShuntSet());
}

void TRevZoneEditForm::DefineSet(TConditionSet& set)
{
    TEditConditionsForm::Edit(this, set);
    FillLists();
}

void TRevZoneEditForm::DefineWEClick() { DefineSet(zone_.WestEastSet()); }
void TRevZoneEditForm::DefineEWClick() { DefineSet(zone_.EastWestSet()); }
void TRevZoneEditForm::DefineFreezeClick() { DefineSet(zone_.FreezeSet()); }
void TRevZoneEditForm::DefineShuntClick() { DefineSet(zone_.ShuntSet()); }

void TRevZoneEditForm::done(int result)
{
    if (result == QDialog::Accepted) {
        zone_.SetName(FromQ(NameEdit->text()));
        zone_.SetDescription(FromQ(DescriptionEdit->text()));
    }
    QDialog::done(result);
}
