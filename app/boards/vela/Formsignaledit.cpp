#include "app/boards/vela/Formsignaledit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Formeditconditions.h"
#include "app/boards/vela/Velaeditfields.h"
#include "boards/vela/Tsignal.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const std::vector<std::string> kSignalTypes{"Diverging Junction", "Block Signal"};
const std::vector<std::string> kRevZoneLinks{"None",        "Zone A, W-E", "Zone A, E-W", "Zone B, W-E",
                                             "Zone B, E-W", "Zone C, W-E", "Zone C, E-W"};
const std::vector<std::string> kNextModes{"Normal", "Virtual", "Always GREEN", "Always RED"};

std::vector<std::string> HeadTypeItems()
{
    std::vector<std::string> items;
    for (int code = 0; code < TSignal::kHeadTypes; ++code)
        items.push_back(TSignal::HeadTypeItem(uint8_t(code)));
    return items;
}

QLabel* Label(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TSignalEditForm::TSignalEditForm(TSignal& signal, QWidget* parent) : QDialog(parent), signal_(signal)
{
    setObjectName(QStringLiteral("SignalEditForm"));

    auto* fields = new QGridLayout;
    NameEdit = MakeText(this, QStringLiteral("NameEdit"), {});
    SigTypeCombo = MakeCombo(this, QStringLiteral("SigTypeCombo"), kSignalTypes);
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), {});
    HeadTypeCombo = MakeCombo(this, QStringLiteral("HeadTypeCombo"), HeadTypeItems());
    // 0 is "none" for each: a block signal has no junction point, and a
    // signal may have no transponding zone or next signal.
    PointSpin = MakeNoneSpin(this, QStringLiteral("PointSpin"), 2048);
    TZoneSpin = MakeNoneSpin(this, QStringLiteral("TZoneSpin"), 2048);
    RevZoneCombo = MakeCombo(this, QStringLiteral("RevZoneCombo"), kRevZoneLinks);
    fields->addWidget(Label(this, QStringLiteral("Name"), NameEdit), 0, 0);
    fields->addWidget(NameEdit, 0, 1);
    fields->addWidget(Label(this, QStringLiteral("Signal Type"), SigTypeCombo), 0, 2);
    fields->addWidget(SigTypeCombo, 0, 3);
    fields->addWidget(Label(this, QStringLiteral("Description"), DescriptionEdit), 1, 0);
    fields->addWidget(DescriptionEdit, 1, 1);
    fields->addWidget(Label(this, QStringLiteral("Head Type"), HeadTypeCombo), 1, 2);
    fields->addWidget(HeadTypeCombo, 1, 3);
    fields->addWidget(Label(this, QStringLiteral("Junction Point Number"), PointSpin), 2, 0);
    fields->addWidget(PointSpin, 2, 1);
    fields->addWidget(Label(this, QStringLiteral("Transponding Zone Number"), TZoneSpin), 2, 2);
    fields->addWidget(TZoneSpin, 2, 3);
    fields->addWidget(Label(this, QStringLiteral("Reverse Running Zone"), RevZoneCombo), 3, 0);
    fields->addWidget(RevZoneCombo, 3, 1);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    // The closed and thrown panels: next signal and the block and red sets of each route.
    struct TRoutePanel {
        QGroupBox* box;
        QLabel* label;
        QSpinBox* spin;
        QComboBox* combo;
        velaedit::TConditionPanel block;
        velaedit::TConditionPanel red;
    };
    auto makeRoute = [this](const QString& suffix) {
        TRoutePanel p;
        p.box = new QGroupBox(this);
        p.box->setObjectName(suffix + QStringLiteral("Panel"));
        auto* layout = new QGridLayout(p.box);
        p.label = new QLabel(p.box);
        p.label->setObjectName(suffix + QStringLiteral("Label"));
        QFont bold = p.label->font();
        bold.setBold(true);
        p.label->setFont(bold);
        p.spin = MakeNoneSpin(p.box, QStringLiteral("NxtSig") + suffix + QStringLiteral("Spin"), 2048);
        p.combo = MakeCombo(p.box, QStringLiteral("NxtSig") + suffix + QStringLiteral("Combo"), kNextModes);
        p.block = velaedit::MakeConditionPanel(p.box, QStringLiteral("Block Is Occupied When"),
                                               QStringLiteral("ListBlk") + suffix, QStringLiteral("DefineBlk") + suffix,
                                               QStringLiteral("LearnBlk") + suffix, 3);
        p.red = velaedit::MakeConditionPanel(p.box, QStringLiteral("Signal Goes RED When"),
                                             QStringLiteral("ListRed") + suffix, QStringLiteral("DefineRed") + suffix,
                                             QStringLiteral("LearnRed") + suffix, 7);
        layout->addWidget(p.label, 0, 0, 1, 3);
        layout->addWidget(Label(p.box, QStringLiteral("Next Signal"), p.spin), 1, 0);
        layout->addWidget(p.spin, 1, 1);
        layout->addWidget(p.combo, 1, 2);
        layout->addWidget(p.block.box, 2, 0, 1, 3);
        layout->addWidget(p.red.box, 3, 0, 1, 3);
        layout->setColumnStretch(2, 1);
        return p;
    };
    const TRoutePanel closed = makeRoute(QStringLiteral("Closed"));
    const TRoutePanel thrown = makeRoute(QStringLiteral("Thrown"));
    ClosedPanel = closed.box;
    ClosedLabel = closed.label;
    NxtSigClosedSpin = closed.spin;
    NxtSigClosedCombo = closed.combo;
    ListBlkClosed = closed.block.list;
    DefineBlkClosed = closed.block.define;
    LearnBlkClosed = closed.block.learn;
    ListRedClosed = closed.red.list;
    DefineRedClosed = closed.red.define;
    LearnRedClosed = closed.red.learn;
    ThrownPanel = thrown.box;
    ThrownLabel = thrown.label;
    NxtSigThrownSpin = thrown.spin;
    NxtSigThrownCombo = thrown.combo;
    ListBlkThrown = thrown.block.list;
    DefineBlkThrown = thrown.block.define;
    LearnBlkThrown = thrown.block.learn;
    ListRedThrown = thrown.red.list;
    DefineRedThrown = thrown.red.define;
    LearnRedThrown = thrown.red.learn;

    const velaedit::TConditionPanel isol = velaedit::MakeConditionPanel(
        this, QStringLiteral("Isolation Zone Override When"), QStringLiteral("ListIsol"), QStringLiteral("DefineIsol"),
        QStringLiteral("LearnIsol"), 3);
    const velaedit::TConditionPanel aux =
        velaedit::MakeConditionPanel(this, QStringLiteral("Aux LED Lit When"), QStringLiteral("ListAux"),
                                     QStringLiteral("DefineAux"), QStringLiteral("LearnAux"), 3);
    ListIsol = isol.list;
    DefineIsol = isol.define;
    LearnIsol = isol.learn;
    ListAux = aux.list;
    DefineAux = aux.define;
    LearnAux = aux.learn;

    QDialogButtonBox* buttons = MakeDialogButtons(this, 520);
    OKButton = buttons->button(QDialogButtonBox::Ok);
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);

    auto* panels = new QGridLayout;
    panels->addWidget(ClosedPanel, 0, 0);
    panels->addWidget(ThrownPanel, 0, 1);
    panels->addWidget(isol.box, 1, 0);
    panels->addWidget(aux.box, 1, 1);
    NoCancelLabel = new QLabel(QStringLiteral("The signal type has changed, and the settings with it: Cancel is no "
                                              "longer possible. OK keeps this signal as it is now."),
                               this);
    NoCancelLabel->setObjectName(QStringLiteral("NoCancelLabel"));
    NoCancelLabel->setWordWrap(true);
    NoCancelLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    NoCancelLabel->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(panels);
    layout->addWidget(NoCancelLabel);
    layout->addWidget(buttons);

    connect(SigTypeCombo, &QComboBox::currentIndexChanged, this, &TSignalEditForm::SigTypeComboChange);
    connect(DefineBlkClosed, &QPushButton::clicked, this, &TSignalEditForm::DefineBlkClosedClick);
    connect(DefineRedClosed, &QPushButton::clicked, this, &TSignalEditForm::DefineRedClosedClick);
    connect(DefineBlkThrown, &QPushButton::clicked, this, &TSignalEditForm::DefineBlkThrownClick);
    connect(DefineRedThrown, &QPushButton::clicked, this, &TSignalEditForm::DefineRedThrownClick);
    connect(DefineIsol, &QPushButton::clicked, this, &TSignalEditForm::DefineIsolClick);
    connect(DefineAux, &QPushButton::clicked, this, &TSignalEditForm::DefineAuxClick);
}

bool TSignalEditForm::Edit(QWidget* opener, TSignal& signal)
{
    TSignalEditForm form(signal, opener);
    PlaceDialog(&form, velaedit::ChildPosition(opener));
    return form.exec() == QDialog::Accepted;
}

void TSignalEditForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TSignalEditForm::FormShow()
{
    loading_ = true;
    setWindowTitle(QStringLiteral("Edit Signal %1: (DCC Accessory Address = %2)")
                       .arg(signal_.Number())
                       .arg(signal_.DccAddress()));
    NameEdit->setText(ToQ(signal_.Name()));
    DescriptionEdit->setText(ToQ(signal_.Description()));
    velaedit::ShowCode(SigTypeCombo, signal_.Type());
    loadedHeadType_ = signal_.HeadType();
    velaedit::ShowCode(HeadTypeCombo, loadedHeadType_);
    ShowNumber(PointSpin, signal_.JunctionPoint());
    ShowNumber(TZoneSpin, signal_.TranspondingZone());
    loadedRevZone_ = signal_.RevZoneLink();
    velaedit::ShowCode(RevZoneCombo, loadedRevZone_);
    ShowNumber(NxtSigClosedSpin, signal_.NextSignal());
    loadedNextMode_ = signal_.NextMode();
    velaedit::ShowCode(NxtSigClosedCombo, loadedNextMode_);
    ShowNumber(NxtSigThrownSpin, signal_.NextSignalThrown());
    loadedNextModeThrown_ = signal_.NextModeThrown();
    velaedit::ShowCode(NxtSigThrownCombo, loadedNextModeThrown_);
    velaedit::FillConditionList(ListIsol, signal_.IsolationSet());
    velaedit::FillConditionList(ListAux, signal_.AuxSet());
    ShowTypePart();
    loading_ = false;
}

void TSignalEditForm::ShowTypePart()
{
    if (signal_.IsBlock()) {
        velaedit::FillConditionList(ListBlkClosed, signal_.BlockSet());
        velaedit::FillConditionList(ListRedClosed, signal_.RedSet());
        velaedit::FillNotApplicable(ListBlkThrown);
        velaedit::FillNotApplicable(ListRedThrown);
        ThrownLabel->setText(QStringLiteral("(Not Used)"));
        ClosedLabel->setText(QStringLiteral("Settings:"));
        ThrownPanel->setEnabled(false);
    } else {
        velaedit::FillConditionList(ListBlkClosed, signal_.BlockSet());
        velaedit::FillConditionList(ListRedClosed, signal_.RedSet());
        velaedit::FillConditionList(ListBlkThrown, *signal_.BlockThrownSet());
        velaedit::FillConditionList(ListRedThrown, *signal_.RedThrownSet());
        ThrownLabel->setText(QStringLiteral("Settings when Point is THROWN:"));
        ClosedLabel->setText(QStringLiteral("Settings when Point is CLOSED:"));
        ThrownPanel->setEnabled(true);
    }
}

void TSignalEditForm::SigTypeComboChange(int index)
{
    if (loading_ || index < 0)
        return;
    signal_.SetType(uint8_t(index));
    ShowTypePart();
    CancelButton->setEnabled(false);
    NoCancelLabel->show();
}

void TSignalEditForm::DefineSet(TConditionSet* set)
{
    if (set == nullptr)
        return;
    TEditConditionsForm::Edit(this, *set);
    ShowTypePart();
    velaedit::FillConditionList(ListIsol, signal_.IsolationSet());
    velaedit::FillConditionList(ListAux, signal_.AuxSet());
}

void TSignalEditForm::DefineBlkClosedClick() { DefineSet(&signal_.BlockSet()); }
void TSignalEditForm::DefineRedClosedClick() { DefineSet(&signal_.RedSet()); }
void TSignalEditForm::DefineBlkThrownClick() { DefineSet(signal_.BlockThrownSet()); }
void TSignalEditForm::DefineRedThrownClick() { DefineSet(signal_.RedThrownSet()); }
void TSignalEditForm::DefineIsolClick() { DefineSet(&signal_.IsolationSet()); }
void TSignalEditForm::DefineAuxClick() { DefineSet(&signal_.AuxSet()); }

void TSignalEditForm::reject()
{
    if (CancelButton->isEnabled()) {
        QDialog::reject();
        return;
    }
    // The reason is in sight already; the bell tells that the key was heard.
    QApplication::beep();
}

void TSignalEditForm::done(int result)
{
    if (result == QDialog::Accepted) {
        signal_.SetName(FromQ(NameEdit->text()));
        signal_.SetDescription(FromQ(DescriptionEdit->text()));
        signal_.SetType(uint8_t(velaedit::StoredCode(SigTypeCombo, signal_.Type())));
        signal_.SetHeadType(uint8_t(velaedit::StoredCode(HeadTypeCombo, loadedHeadType_)));
        signal_.SetJunctionPoint(PointSpin->value());
        signal_.SetTranspondingZone(TZoneSpin->value());
        signal_.SetRevZoneLink(uint8_t(velaedit::StoredCode(RevZoneCombo, loadedRevZone_)));
        signal_.SetNextSignal(NxtSigClosedSpin->value());
        signal_.SetNextSignalThrown(NxtSigThrownSpin->value());
        signal_.SetNextMode(uint8_t(velaedit::StoredCode(NxtSigClosedCombo, loadedNextMode_)));
        signal_.SetNextModeThrown(uint8_t(velaedit::StoredCode(NxtSigThrownCombo, loadedNextModeThrown_)));
    }
    QDialog::done(result);
}
