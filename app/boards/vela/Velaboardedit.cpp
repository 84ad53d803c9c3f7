#include "app/boards/vela/Velaboardedit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Formsignaledit.h"
#include "app/boards/vela/Formzoneedit.h"
#include "app/boards/vela/Velaeditfields.h"
#include "boards/core/Tconfigurableboard.h"
#include "boards/vela/Trevrunzone.h"
#include "boards/vela/Tsignal.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

TVelaBoardEditForm::TVelaBoardEditForm(TConfigurableBoard& board, int helpTopic, QWidget* parent)
    : QDialog(parent), board_(board), helpTopic_(helpTopic)
{
    BdNameEdit = MakeText(this, QStringLiteral("BdNameEdit"), {});
    SerialNumSpin = MakeSerialSpin(this, QStringLiteral("SerialNumSpin"), 65535);
    DCCAddrSpin = MakeSpin(this, QStringLiteral("DCCAddrSpin"), 1, 2048, 1);
    NotesEdit = MakeText(this, QStringLiteral("NotesEdit"), {});
    SignalList = velaedit::MakeColumnList(this, QStringLiteral("SignalList"), 3, TSignal::kSignalsPerBoard);
    RevZoneList = velaedit::MakeColumnList(this, QStringLiteral("RevZoneList"), 2, TRevRunZone::kZonesPerBoard);
    SignalList->setToolTip(QStringLiteral("Double-click a signal to edit it"));
    RevZoneList->setToolTip(QStringLiteral("Double-click a zone to edit it"));
    SvCheck = new TSvCheckLabel(this);

    connect(SignalList, &QTreeWidget::itemDoubleClicked, this, [this] { SignalListDblClick(); });
    connect(RevZoneList, &QTreeWidget::itemDoubleClicked, this, [this] { RevZoneListDblClick(); });
    connect(DCCAddrSpin, &QSpinBox::valueChanged, this, [this] {
        if (shown_)
            UpdateSvCheck();
    });
}

void TVelaBoardEditForm::FinishLayout(QLayout* settings)
{
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Board Name:"), BdNameEdit);
    fields->addRow(QStringLiteral("Serial Number:"), SerialNumSpin);
    fields->addRow(QStringLiteral("DCC Base address:"), DCCAddrSpin);
    fields->addRow(QStringLiteral("Notes:"), NotesEdit);
    auto* signalsLabel = new QLabel(QStringLiteral("Signals:"), this);
    signalsLabel->setBuddy(SignalList);
    auto* zonesLabel = new QLabel(QStringLiteral("Reverse Running Zones:"), this);
    zonesLabel->setBuddy(RevZoneList);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(signalsLabel);
    left->addWidget(SignalList);
    left->addWidget(zonesLabel);
    left->addWidget(RevZoneList);
    left->addWidget(SvCheck);
    left->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(settings);

    QDialogButtonBox* buttons = MakeDialogButtons(this, helpTopic_);
    OKButton = buttons->button(QDialogButtonBox::Ok);
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    SignalList->setMinimumWidth(320);
}

void TVelaBoardEditForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shown_) {
        FormShow();
        shown_ = true;
    }
    QDialog::showEvent(event);
}

void TVelaBoardEditForm::FormShow()
{
    BdNameEdit->setText(ToQ(board_.Name()));
    ShowNumber(SerialNumSpin, board_.SerialNumber());
    LoadSettings();
    FillLists();
    UpdateSvCheck();
}

void TVelaBoardEditForm::FillLists()
{
    std::vector<std::string> signalTexts;
    for (int i = 0; i < TSignal::kSignalsPerBoard; ++i)
        signalTexts.push_back(SignalAt(i).ListText());
    velaedit::FillColumnList(SignalList, signalTexts);
    std::vector<std::string> zoneTexts;
    for (int i = 0; i < TRevRunZone::kZonesPerBoard; ++i)
        zoneTexts.push_back(ZoneAt(i).ListText());
    velaedit::FillColumnList(RevZoneList, zoneTexts);
}

void TVelaBoardEditForm::UpdateSvCheck()
{
    std::unique_ptr<TConfigurableBoard> copy = CopyForCheck();
    SvCheck->Check(*copy);
}

void TVelaBoardEditForm::SignalListDblClick()
{
    const int row = SignalList->indexOfTopLevelItem(SignalList->currentItem());
    if (row < 0 || row >= TSignal::kSignalsPerBoard)
        return;
    TSignalEditForm::Edit(this, SignalAt(row));
    FillLists();
    SignalList->setCurrentItem(SignalList->topLevelItem(row));
    UpdateSvCheck();
}

void TVelaBoardEditForm::RevZoneListDblClick()
{
    const int row = RevZoneList->indexOfTopLevelItem(RevZoneList->currentItem());
    if (row < 0 || row >= TRevRunZone::kZonesPerBoard)
        return;
    TRevZoneEditForm::Edit(this, ZoneAt(row));
    FillLists();
    RevZoneList->setCurrentItem(RevZoneList->topLevelItem(row));
    UpdateSvCheck();
}

void TVelaBoardEditForm::done(int result)
{
    if (result == QDialog::Accepted) {
        board_.SetName(FromQ(BdNameEdit->text()));
        board_.SetSerialNumber(SerialNumSpin->value());
        StoreSettings();
    }
    QDialog::done(result);
}
