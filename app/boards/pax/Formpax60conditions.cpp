#include "app/boards/pax/Formpax60conditions.h"

#include "app/boards/Editorsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 440;

// The state words each device type offers, in the order of its state codes.
QStringList StateNames(int deviceType)
{
    switch (deviceType) {
    case kPax60DevPoint:
        return {QStringLiteral("Thrown"), QStringLiteral("Closed")};
    case kPax60DevSensor:
        return {QStringLiteral("Occupied"), QStringLiteral("Unoccupied")};
    case kPax60DevSignal:
        return {QStringLiteral("Red"), QStringLiteral("Not Red")};
    default:
        return {QStringLiteral("none")};
    }
}

}  // namespace

void FillConditionList(QListWidget* list, const TPAX60ConditionSet& conditions)
{
    const int row = list->currentRow();
    list->clear();
    for (int i = 0; i < conditions.Capacity(); ++i)
        list->addItem(ToQ(conditions.At(i).DisplayText()));
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
}

TPAX60EditConditionsForm::TPAX60EditConditionsForm(QWidget* parent, TPAX60ConditionSet& conditions)
    : QDialog(parent), FConditions(conditions), FCopy(conditions)
{
    setObjectName(QStringLiteral("PAX60EditConditionsForm"));
    setWindowTitle(QStringLiteral("Edit Conditions: ") + ToQ(FCopy.Title()));

    ConditionList = new QListWidget(this);
    ConditionList->setObjectName(QStringLiteral("ConditionList"));
    ConditionList->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* insert = new QAction(QStringLiteral("Insert"), ConditionList);
    insert->setObjectName(QStringLiteral("Insert"));
    insert->setShortcut(QKeySequence(Qt::Key_Insert));
    insert->setShortcutContext(Qt::WidgetShortcut);
    auto* remove = new QAction(QStringLiteral("Delete"), ConditionList);
    remove->setObjectName(QStringLiteral("Delete"));
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    ConditionList->addAction(insert);
    ConditionList->addAction(remove);
    connect(insert, &QAction::triggered, this, &TPAX60EditConditionsForm::InsertClick);
    connect(remove, &QAction::triggered, this, &TPAX60EditConditionsForm::DeleteClick);

    DeviceTypeCombo = MakeCombo(this, QStringLiteral("DeviceTypeCombo"), {"None", "Point", "Sensor", "Signal"});
    NumberSpin = MakeSpin(this, QStringLiteral("NumberSpin"), 1, 2048, 1);
    OffsetSpin = MakeSpin(this, QStringLiteral("OffsetSpin"), 1, 16, 1);
    StateCombo = new QComboBox(this);
    StateCombo->setObjectName(QStringLiteral("StateCombo"));
    AndBox = new QCheckBox(this);
    AndBox->setObjectName(QStringLiteral("AndBox"));

    auto* number = new QHBoxLayout;
    number->addWidget(NumberSpin);
    number->addWidget(new QLabel(QStringLiteral(","), this));
    number->addWidget(OffsetSpin);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Device Type"), DeviceTypeCombo);
    fields->addRow(QStringLiteral("Device Number"), number);
    fields->addRow(QStringLiteral("State"), StateCombo);
    fields->addRow(QStringLiteral("AND next"), AndBox);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ConditionList);
    layout->addLayout(fields);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));
    ConditionList->setMinimumWidth(320);
    ConditionList->setMinimumHeight(150);

    connect(ConditionList, &QListWidget::currentRowChanged, this, &TPAX60EditConditionsForm::ConditionListClick);
    connect(DeviceTypeCombo, &QComboBox::currentIndexChanged, this, &TPAX60EditConditionsForm::DeviceTypeComboChange);
    connect(StateCombo, &QComboBox::currentIndexChanged, this, &TPAX60EditConditionsForm::StoreCondition);
    connect(AndBox, &QCheckBox::clicked, this, &TPAX60EditConditionsForm::StoreCondition);
    connect(NumberSpin, &QSpinBox::valueChanged, this, &TPAX60EditConditionsForm::StoreCondition);
    connect(OffsetSpin, &QSpinBox::valueChanged, this, &TPAX60EditConditionsForm::StoreCondition);

    RefreshList();
    ConditionList->setCurrentRow(0);
    ShowCondition();
}

bool TPAX60EditConditionsForm::EditConditions(QWidget* opener, TPAX60ConditionSet& conditions)
{
    TPAX60EditConditionsForm form(opener, conditions);
    PlaceDialog(&form, opener->window()->pos() + QPoint(30, 30));
    return form.exec() == QDialog::Accepted;
}

void TPAX60EditConditionsForm::accept()
{
    StoreCondition();
    FConditions = FCopy;
    QDialog::accept();
}

void TPAX60EditConditionsForm::ConditionListClick()
{
    if (FShowing || ConditionList->currentRow() < 0)
        return;
    FCurrent = ConditionList->currentRow();
    ShowCondition();
}

void TPAX60EditConditionsForm::ShowCondition()
{
    FShowing = true;
    const TPAX60Condition& c = FCopy.At(FCurrent);
    const int type = c.DeviceType <= kPax60DevSignal ? int{c.DeviceType} : int{kPax60DevNone};
    DeviceTypeCombo->setCurrentIndex(type);
    StateCombo->clear();
    StateCombo->addItems(StateNames(type));
    StateCombo->setCurrentIndex(c.State >= 0 && c.State < StateCombo->count() ? c.State : 0);
    StateCombo->setEnabled(type != kPax60DevNone);
    ShowNumber(NumberSpin, type == kPax60DevNone ? 1 : c.Number);
    NumberSpin->setEnabled(type != kPax60DevNone);
    ShowNumber(OffsetSpin, type == kPax60DevSensor ? c.Offset : 1);
    OffsetSpin->setEnabled(type == kPax60DevSensor);
    // An empty condition joins nothing, so its box is neither ticked nor tickable.
    AndBox->setChecked(type != kPax60DevNone && c.AndNext != 0);
    AndBox->setEnabled(type != kPax60DevNone);
    FShowing = false;
}

void TPAX60EditConditionsForm::RefreshList()
{
    FShowing = true;
    FillConditionList(ConditionList, FCopy);
    ConditionList->setCurrentRow(FCurrent);
    FShowing = false;
}

void TPAX60EditConditionsForm::DeviceTypeComboChange()
{
    if (FShowing)
        return;
    switch (DeviceTypeCombo->currentIndex()) {
    case kPax60DevPoint:
        FCopy.At(FCurrent) = TPAX60Condition::Point(1, 0, false);
        break;
    case kPax60DevSensor:
        FCopy.At(FCurrent) = TPAX60Condition::Sensor(1, 1, 0, false);
        break;
    case kPax60DevSignal:
        FCopy.At(FCurrent) = TPAX60Condition::Signal(1, 0, false);
        break;
    default:
        FCopy.At(FCurrent) = TPAX60Condition::Empty();
        break;
    }
    ShowCondition();
    RefreshList();
}

void TPAX60EditConditionsForm::StoreCondition()
{
    if (FShowing)
        return;
    const int state = StateCombo->currentIndex() < 0 ? 0 : StateCombo->currentIndex();
    const bool andNext = AndBox->isChecked();
    switch (DeviceTypeCombo->currentIndex()) {
    case kPax60DevPoint:
        FCopy.At(FCurrent) = TPAX60Condition::Point(NumberSpin->value(), state, andNext);
        break;
    case kPax60DevSensor:
        FCopy.At(FCurrent) = TPAX60Condition::Sensor(NumberSpin->value(), OffsetSpin->value(), state, andNext);
        break;
    case kPax60DevSignal:
        FCopy.At(FCurrent) = TPAX60Condition::Signal(NumberSpin->value(), state, andNext);
        break;
    default:
        // An empty condition joins nothing: it stays empty whatever the box shows.
        FCopy.At(FCurrent) = TPAX60Condition::Empty();
        break;
    }
    RefreshList();
}

void TPAX60EditConditionsForm::InsertClick()
{
    FCopy.InsertAt(FCurrent, TPAX60Condition::Empty());
    RefreshList();
    ShowCondition();
}

void TPAX60EditConditionsForm::DeleteClick()
{
    FCopy.DeleteAt(FCurrent);
    RefreshList();
    ShowCondition();
}
