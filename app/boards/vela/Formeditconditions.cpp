#include "app/boards/vela/Formeditconditions.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Velaeditfields.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// DeviceTypeCombo items: the device types, with the zone split into its three letters.
enum TDeviceItem { eItemNone, eItemPoint, eItemSensor, eItemSignal, eItemZoneA, eItemZoneB, eItemZoneC };

const std::vector<std::string> kDeviceItems{"None", "Point", "Sensor", "Signal", "Zone A", "Zone B", "Zone C"};

QStringList StateItems(uint8_t deviceType)
{
    switch (deviceType) {
    case eVelaPoint: return {QStringLiteral("Thrown"), QStringLiteral("Closed")};
    case eVelaSensor: return {QStringLiteral("Occupied"), QStringLiteral("Unoccupied")};
    case eVelaSignal: return {QStringLiteral("Red"), QStringLiteral("Not Red")};
    case eVelaRevZone: return {QStringLiteral("W-E"), QStringLiteral("E-W")};
    default: return {QStringLiteral("none")};
    }
}

}  // namespace

TEditConditionsForm::TEditConditionsForm(TConditionSet& set, QWidget* parent)
    : QDialog(parent), set_(set), copy_(set)
{
    setObjectName(QStringLiteral("EditConditionsForm"));

    ConditionList = velaedit::MakeConditionList(this, QStringLiteral("ConditionList"), 14);
    ConditionList->setContextMenuPolicy(Qt::ActionsContextMenu);
    Insert1 = new QAction(QStringLiteral("Insert"), ConditionList);
    Insert1->setObjectName(QStringLiteral("Insert1"));
    Insert1->setShortcut(QKeySequence(Qt::Key_Insert));
    Insert1->setShortcutContext(Qt::WidgetShortcut);
    Delete1 = new QAction(QStringLiteral("Delete"), ConditionList);
    Delete1->setObjectName(QStringLiteral("Delete1"));
    Delete1->setShortcut(QKeySequence(Qt::Key_Delete));
    Delete1->setShortcutContext(Qt::WidgetShortcut);
    ConditionList->addAction(Insert1);
    ConditionList->addAction(Delete1);

    DeviceTypeCombo = MakeCombo(this, QStringLiteral("DeviceTypeCombo"), kDeviceItems);
    NumberSpin = MakeSpin(this, QStringLiteral("NumberSpin"), 1, 2048, 1);
    OffsetSpin = MakeSpin(this, QStringLiteral("OffsetSpin"), 1, 16, 1);
    StateCombo = new QComboBox(this);
    StateCombo->setObjectName(QStringLiteral("StateCombo"));
    StateCombo->setMinimumContentsLength(10);
    AndBox = new QCheckBox(QStringLiteral("AND next"), this);
    AndBox->setObjectName(QStringLiteral("AndBox"));

    auto* fields = new QGridLayout;
    auto* typeLabel = new QLabel(QStringLiteral("Device Type"), this);
    typeLabel->setBuddy(DeviceTypeCombo);
    auto* numberLabel = new QLabel(QStringLiteral("Device Number"), this);
    numberLabel->setBuddy(NumberSpin);
    auto* stateLabel = new QLabel(QStringLiteral("State"), this);
    stateLabel->setBuddy(StateCombo);
    fields->addWidget(typeLabel, 0, 0);
    fields->addWidget(DeviceTypeCombo, 0, 1, 1, 3);
    fields->addWidget(numberLabel, 1, 0);
    fields->addWidget(NumberSpin, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral(","), this), 1, 2);
    fields->addWidget(OffsetSpin, 1, 3);
    fields->addWidget(stateLabel, 2, 0);
    fields->addWidget(StateCombo, 2, 1, 1, 3);
    fields->addWidget(AndBox, 3, 1, 1, 3);
    fields->setRowStretch(4, 1);
    auto* hint = new QLabel(QStringLiteral("Right-click the list to insert or delete a condition."), this);
    hint->setWordWrap(true);
    fields->addWidget(hint, 5, 0, 1, 4);

    QDialogButtonBox* buttons = MakeDialogButtons(this, 540);
    OKButton = buttons->button(QDialogButtonBox::Ok);
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    helpButton = buttons->button(QDialogButtonBox::Help);

    auto* top = new QHBoxLayout;
    top->addWidget(ConditionList, 1);
    top->addLayout(fields);
    // A window manager cuts a long caption: the set's name stands inside too.
    SetNameLabel = new QLabel(this);
    SetNameLabel->setObjectName(QStringLiteral("SetNameLabel"));
    QFont bold = SetNameLabel->font();
    bold.setBold(true);
    SetNameLabel->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SetNameLabel);
    layout->addLayout(top);
    layout->addWidget(buttons);

    connect(ConditionList, &QListWidget::currentRowChanged, this, &TEditConditionsForm::ConditionListClick);
    connect(DeviceTypeCombo, &QComboBox::currentIndexChanged, this, &TEditConditionsForm::DeviceTypeComboChange);
    connect(StateCombo, &QComboBox::currentIndexChanged, this, &TEditConditionsForm::ControlsChange);
    connect(AndBox, &QCheckBox::toggled, this, &TEditConditionsForm::ControlsChange);
    connect(NumberSpin, &QSpinBox::valueChanged, this, &TEditConditionsForm::ControlsChange);
    connect(OffsetSpin, &QSpinBox::valueChanged, this, &TEditConditionsForm::ControlsChange);
    connect(Insert1, &QAction::triggered, this, &TEditConditionsForm::Insert1Click);
    connect(Delete1, &QAction::triggered, this, &TEditConditionsForm::Delete1Click);
}

bool TEditConditionsForm::Edit(QWidget* opener, TConditionSet& set)
{
    TEditConditionsForm form(set, opener);
    PlaceDialog(&form, velaedit::ChildPosition(opener));
    return form.exec() == QDialog::Accepted;
}

void TEditConditionsForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TEditConditionsForm::FormShow()
{
    setWindowTitle(ToQ("Edit Conditions: " + copy_.Title()));
    SetNameLabel->setText(ToQ(copy_.Title()));
    current_ = 0;
    FillList();
    LoadCondition();
}

void TEditConditionsForm::FillList()
{
    const QSignalBlocker block(ConditionList);
    velaedit::FillConditionList(ConditionList, copy_);
    // The current condition stays selected, so that Insert and Delete act on
    // the row whose values the controls show.
    ConditionList->setCurrentRow(current_);
}

void TEditConditionsForm::LoadCondition()
{
    loaded_ = false;
    const TCondition& c = copy_.ConditionAt(current_);
    int item = eItemNone;
    int number = 1;
    int offset = 1;
    int state = c.state;
    switch (c.deviceType) {
    case eVelaPoint: item = eItemPoint; number = c.number; break;
    case eVelaSensor: item = eItemSensor; number = c.number; offset = c.offset; break;
    case eVelaSignal: item = eItemSignal; number = c.number; break;
    case eVelaRevZone: item = eItemZoneA + std::min(c.state / 2, 2); state = c.state % 2; break;
    default: state = 0; break;
    }
    DeviceTypeCombo->setCurrentIndex(item);
    // A sensor board is one byte on the board (256 written as 0); a larger
    // number from an older file is shown as it stands, not changed.
    NumberSpin->setRange(1, c.deviceType == eVelaSensor ? 256 : 2048);
    ShowNumber(NumberSpin, number);
    NumberSpin->setEnabled(c.deviceType == eVelaPoint || c.deviceType == eVelaSensor || c.deviceType == eVelaSignal);
    ShowNumber(OffsetSpin, offset);
    OffsetSpin->setEnabled(c.deviceType == eVelaSensor);
    StateCombo->clear();
    StateCombo->addItems(StateItems(c.deviceType == eVelaRevZone || c.deviceType <= eVelaSignal ? c.deviceType : 0));
    StateCombo->setCurrentIndex(state >= 0 && state < StateCombo->count() ? state : 0);
    StateCombo->setEnabled(c.deviceType != eVelaNone);
    // An unused entry joins nothing and stores no AND.
    AndBox->setChecked(c.deviceType != eVelaNone && c.andNext != 0);
    AndBox->setEnabled(c.deviceType != eVelaNone);
    loaded_ = true;
}

void TEditConditionsForm::StoreControls()
{
    const int item = DeviceTypeCombo->currentIndex();
    const bool andNext = AndBox->isChecked();
    const int state = std::max(0, StateCombo->currentIndex());
    const int number = NumberSpin->value();
    const int offset = OffsetSpin->value();
    TCondition c;
    switch (item) {
    case eItemPoint: c = TCondition::Point(number, uint8_t(state), andNext); break;
    case eItemSensor: c = TCondition::Sensor(number, offset, uint8_t(state), andNext); break;
    case eItemSignal: c = TCondition::Signal(number, uint8_t(state), andNext); break;
    case eItemZoneA:
    case eItemZoneB:
    case eItemZoneC: c = TCondition::RevZone(uint8_t(2 * (item - eItemZoneA) + state), andNext); break;
    default: c = TCondition::None(); break;
    }
    copy_.SetCondition(current_, c);
}

void TEditConditionsForm::ConditionListClick(int row)
{
    if (row < 0 || row >= copy_.Capacity())
        return;
    current_ = row;
    LoadCondition();
}

void TEditConditionsForm::DeviceTypeComboChange(int index)
{
    if (!loaded_)
        return;
    TCondition c;
    switch (index) {
    case eItemPoint: c = TCondition::Point(1, 0, false); break;
    case eItemSensor: c = TCondition::Sensor(1, 1, 0, false); break;
    case eItemSignal: c = TCondition::Signal(1, 0, false); break;
    case eItemZoneA:
    case eItemZoneB:
    case eItemZoneC: c = TCondition::RevZone(uint8_t(2 * (index - eItemZoneA)), false); break;
    default: c = TCondition::None(); break;
    }
    copy_.SetCondition(current_, c);
    LoadCondition();
    FillList();
}

void TEditConditionsForm::ControlsChange()
{
    if (!loaded_)
        return;
    StoreControls();
    FillList();
}

void TEditConditionsForm::Insert1Click()
{
    const int row = ConditionList->currentRow();
    if (row < 0)
        return;
    copy_.InsertAt(row, TCondition::None());
    current_ = row;
    FillList();
    // The controls must show the row's new condition, or the next store would
    // write the old one back over it.
    LoadCondition();
}

void TEditConditionsForm::Delete1Click()
{
    const int row = ConditionList->currentRow();
    if (row < 0)
        return;
    copy_.DeleteAt(row);
    current_ = row;
    FillList();
    LoadCondition();
}

void TEditConditionsForm::done(int result)
{
    if (loaded_)
        StoreControls();
    if (result == QDialog::Accepted)
        set_ = copy_;
    QDialog::done(result);
}
