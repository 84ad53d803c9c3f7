#include "app/boards/muv7/Formmuv7sequenceedit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/muv7/Formmuv7wizard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QAbstractSpinBox>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kHelpTopic = 710;
constexpr const char* kNotUsed = "(not used)";
// The board keeps 8 bits of "respond every".
constexpr int kMaxIterations = 255;

const std::vector<std::string> kTypeItems = {"Station Stop", "Shuttle", "User Defined"};
const std::vector<std::string> kTriggerItems = {"Delay from last step", "Point set to CLOSED",
                                                "Point set to THROWN", "Track Sensor"};
const std::vector<std::string> kActionItems = {
    "No Action (step not in use)", "Stop Train", "Start train, in same direction",
    "Start train, in opposite direction", "Start train, direction A", "Start train, direction B",
    "Set Loco Function", "Dispatch Loco", "Set point CLOSED", "Set Point THROWN"};

std::vector<std::string> RetriggerItems()
{
    std::vector<std::string> items = {"(No wait: always trigger)"};
    for (int k = 1; k <= kMuv7StepCount; ++k)
        items.push_back("Step " + std::to_string(k) + " has triggered");
    return items;
}

// Sets a spin edit's range and value without its change handler storing anything.
void SetSpin(QSpinBox* spin, bool enabled, int minimum, int maximum, int value)
{
    spin->setEnabled(enabled);
    spin->setRange(minimum, maximum);
    spin->setValue(std::clamp(value, minimum, maximum));
}

}  // namespace

TMUV7SequenceEditForm::TMUV7SequenceEditForm(TMUV7Sequence& sequence, QWidget* parent)
    : QDialog(parent), sequence_(sequence), copy_(sequence)
{
    setObjectName(QStringLiteral("TMUV7SequenceEditForm"));
    setWindowTitle(QStringLiteral("Edit Sequence: %1").arg(sequence.number));

    // The sequence as a whole.
    auto* header = new QGridLayout;
    NameEdit = MakeText(this, QStringLiteral("NameEdit"), copy_.name);
    header->addWidget(new QLabel(QStringLiteral("Short Name (15 characters max)"), this), 0, 0);
    header->addWidget(NameEdit, 0, 1);
    SequenceTypeCombo = MakeCombo(this, QStringLiteral("SequenceTypeCombo"), kTypeItems, kMuv7UserDefined);
    SequenceTypeCombo->setEnabled(false);
    header->addWidget(new QLabel(QStringLiteral("Sequence Type"), this), 0, 2);
    header->addWidget(SequenceTypeCombo, 0, 3);
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), copy_.description);
    header->addWidget(new QLabel(QStringLiteral("Description"), this), 1, 0);
    header->addWidget(DescriptionEdit, 1, 1);
    ActiveStepEdit = MakeText(this, QStringLiteral("ActiveStepEdit"), "0");
    ActiveStepEdit->setEnabled(false);
    header->addWidget(new QLabel(QStringLiteral("No. Active Steps"), this), 1, 2);
    header->addWidget(ActiveStepEdit, 1, 3);
    header->setColumnStretch(1, 1);

    // The steps, and the current step's trigger and action.
    auto* stepsBox = new QGroupBox(QStringLiteral("Sequence Steps"), this);
    StepList = new QListWidget(stepsBox);
    StepList->setObjectName(QStringLiteral("StepList"));
    StepList->setMinimumWidth(StepList->fontMetrics().horizontalAdvance(
                                  QStringLiteral("16: trigger when sensor 256,16 occupied; Start train opposite direction")) +
                              40);
    StepList->setMinimumHeight(StepList->fontMetrics().height() * kMuv7StepCount + 24);
    for (int k = 0; k < kMuv7StepCount; ++k)
        StepList->addItem(ToQ(copy_.StepAt(k).ListText()));
    auto* stepsLayout = new QVBoxLayout(stepsBox);
    stepsLayout->addWidget(StepList);

    auto* triggerBox = new QGroupBox(QStringLiteral("Trigger for step"), this);
    TriggerCombo = MakeCombo(triggerBox, QStringLiteral("TriggerCombo"), kTriggerItems);
    TrigParam1 = new QLabel(ToQ(kNotUsed), triggerBox);
    TrigParam1->setObjectName(QStringLiteral("TrigParam1"));
    TrigSpin1 = MakeSpin(triggerBox, QStringLiteral("TrigSpin1"), 1, 1000, 1);
    TrigParam2 = new QLabel(ToQ(kNotUsed), triggerBox);
    TrigParam2->setObjectName(QStringLiteral("TrigParam2"));
    TrigSpin2 = MakeSpin(triggerBox, QStringLiteral("TrigSpin2"), 1, 16, 1);
    IterationSpin = MakeSpin(triggerBox, QStringLiteral("IterationSpin"), 1, kMaxIterations, 1);
    RetrigCombo = MakeCombo(triggerBox, QStringLiteral("RetrigCombo"), RetriggerItems());
    auto* triggerLayout = new QGridLayout(triggerBox);
    triggerLayout->addWidget(TriggerCombo, 0, 0, 1, 3);
    triggerLayout->addWidget(TrigParam1, 1, 0);
    triggerLayout->addWidget(TrigSpin1, 1, 1);
    triggerLayout->addWidget(TrigParam2, 2, 0);
    triggerLayout->addWidget(TrigSpin2, 2, 1);
    triggerLayout->addWidget(new QLabel(QStringLiteral("Act every"), triggerBox), 3, 0);
    triggerLayout->addWidget(IterationSpin, 3, 1);
    triggerLayout->addWidget(new QLabel(QStringLiteral("Triggers"), triggerBox), 3, 2);
    triggerLayout->addWidget(new QLabel(QStringLiteral("Don't trigger again until"), triggerBox), 4, 0);
    triggerLayout->addWidget(RetrigCombo, 4, 1, 1, 2);
    triggerLayout->setColumnStretch(2, 1);

    auto* actionBox = new QGroupBox(QStringLiteral("Action taken for this step"), this);
    ActionCombo = MakeCombo(actionBox, QStringLiteral("ActionCombo"), kActionItems);
    ActionParam1 = new QLabel(ToQ(kNotUsed), actionBox);
    ActionParam1->setObjectName(QStringLiteral("ActionParam1"));
    ActionSpin1 = MakeSpin(actionBox, QStringLiteral("ActionSpin1"), 0, 9, 2);
    ActionParam2 = new QLabel(ToQ(kNotUsed), actionBox);
    ActionParam2->setObjectName(QStringLiteral("ActionParam2"));
    ActionSpin2 = MakeSpin(actionBox, QStringLiteral("ActionSpin2"), 1, 7, 1);
    auto* actionLayout = new QGridLayout(actionBox);
    actionLayout->addWidget(ActionCombo, 0, 0, 1, 2);
    actionLayout->addWidget(ActionParam1, 1, 0);
    actionLayout->addWidget(ActionSpin1, 1, 1);
    actionLayout->addWidget(ActionParam2, 2, 0);
    actionLayout->addWidget(ActionSpin2, 2, 1);
    actionLayout->setColumnStretch(2, 1);

    auto* stepLayout = new QVBoxLayout;
    stepLayout->addWidget(triggerBox);
    stepLayout->addWidget(actionBox);
    stepLayout->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(stepsBox, 1);
    middle->addLayout(stepLayout);

    WizardBtn = new QPushButton(QStringLiteral("Sequence Wizard"), this);
    WizardBtn->setObjectName(QStringLiteral("WizardBtn"));
    WizardBtn->setAutoDefault(false);  // Enter stays OK

    auto* buttons = MakeDialogButtons(this, kHelpTopic);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(WizardBtn);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(middle);
    layout->addLayout(bottom);

    // Tab order follows the picture: the header row by row, then the steps and their fields.
    setTabOrder(NameEdit, DescriptionEdit);
    setTabOrder(DescriptionEdit, StepList);
    setTabOrder(StepList, TriggerCombo);
    setTabOrder(TriggerCombo, TrigSpin1);
    setTabOrder(TrigSpin1, TrigSpin2);
    setTabOrder(TrigSpin2, IterationSpin);
    setTabOrder(IterationSpin, RetrigCombo);
    setTabOrder(RetrigCombo, ActionCombo);
    setTabOrder(ActionCombo, ActionSpin1);
    setTabOrder(ActionSpin1, ActionSpin2);
    setTabOrder(ActionSpin2, WizardBtn);

    connect(StepList, &QListWidget::currentRowChanged, this, [this] { StepListClick(); });
    connect(TriggerCombo, &QComboBox::currentIndexChanged, this, [this] { TriggerComboChange(); });
    connect(ActionCombo, &QComboBox::currentIndexChanged, this, [this] { ActionComboChange(); });
    for (QSpinBox* spin : {TrigSpin1, TrigSpin2, ActionSpin1, ActionSpin2, IterationSpin})
        connect(spin, &QSpinBox::valueChanged, this, [this] { StepControlChange(); });
    connect(RetrigCombo, &QComboBox::currentIndexChanged, this, [this] { StepControlChange(); });
    connect(NameEdit, &QLineEdit::editingFinished, this, [this] { NameEditExit(); });
    connect(WizardBtn, &QPushButton::clicked, this, [this] { WizardBtnClick(); });
}

void TMUV7SequenceEditForm::showEvent(QShowEvent* event)
{
    // Once: shown again (restored from minimised) it keeps what was typed
    // and a type the steps' changes made "User Defined".
    if (!std::exchange(loaded_, true))
        FormShow();
    QDialog::showEvent(event);
}

void TMUV7SequenceEditForm::FormShow()
{
    setWindowTitle(QStringLiteral("Edit Sequence: %1").arg(copy_.number));
    LoadHeader();
    FillStepList();
    LoadStep();
}

void TMUV7SequenceEditForm::LoadHeader()
{
    const bool wasStoring = std::exchange(storing_, false);
    NameEdit->setText(ToQ(copy_.name));
    DescriptionEdit->setText(ToQ(copy_.description));
    SequenceTypeCombo->setCurrentIndex(copy_.sequenceType < kTypeItems.size() ? copy_.sequenceType
                                                                              : kMuv7UserDefined);
    ActiveStepEdit->setText(QString::number(copy_.activeSteps));
    storing_ = wasStoring;
}

void TMUV7SequenceEditForm::LoadStep()
{
    storing_ = false;
    {
        const QSignalBlocker blockList(StepList);
        StepList->setCurrentRow(currentStep_);
    }
    const TMUV7SequenceStep& step = Step();
    IterationSpin->setValue(step.respondEvery);
    RetrigCombo->setCurrentIndex(std::clamp(step.retriggerStep, 0, kMuv7StepCount));
    TriggerCombo->setCurrentIndex(std::clamp(int(step.trigger), 0, int(kTriggerItems.size()) - 1));
    ActionCombo->setCurrentIndex(std::clamp(int(step.action), 0, int(kActionItems.size()) - 1));
    SetActionControls();
    SetTriggerControls();
    storing_ = true;
}

void TMUV7SequenceEditForm::SetTriggerControls()
{
    const bool wasStoring = std::exchange(storing_, false);
    const TMUV7SequenceStep& step = Step();
    switch (TriggerCombo->currentIndex()) {
    case kMuv7TriggerDelay:
        TrigParam1->setText(QStringLiteral("delay (secs)"));
        SetSpin(TrigSpin1, true, 1, 1000, step.delay);
        break;
    case kMuv7TriggerPointClosed:
    case kMuv7TriggerPointThrown:
        TrigParam1->setText(QStringLiteral("DCC number"));
        SetSpin(TrigSpin1, true, 1, 2048, step.triggerPoint);
        break;
    default:
        TrigParam1->setText(QStringLiteral("Sensor board"));
        SetSpin(TrigSpin1, true, 1, 256, step.sensorBoard);
        break;
    }
    const bool sensor = TriggerCombo->currentIndex() == kMuv7TriggerSensor;
    TrigParam2->setText(sensor ? QStringLiteral("Sensor number") : ToQ(kNotUsed));
    SetSpin(TrigSpin2, sensor, 1, 16, step.sensor);
    IterationSpin->setEnabled(sensor);
    IterationSpin->setValue(step.respondEvery);
    storing_ = wasStoring;
}

void TMUV7SequenceEditForm::SetActionControls()
{
    const bool wasStoring = std::exchange(storing_, false);
    const TMUV7SequenceStep& step = Step();
    const int action = ActionCombo->currentIndex();
    QString label1 = ToQ(kNotUsed);
    QString label2 = ToQ(kNotUsed);
    if (action >= kMuv7ActionStop && action <= kMuv7ActionStartB) {
        label1 = QStringLiteral("accel time (sec)");
        SetSpin(ActionSpin1, true, 0, 9, step.rampTime);
        SetSpin(ActionSpin2, false, 1, 7, step.functionTime);
    } else if (action == kMuv7ActionFunction) {
        label1 = QStringLiteral("Fn number");
        label2 = QStringLiteral("on time (sec)");
        SetSpin(ActionSpin1, true, 0, 7, step.function);
        SetSpin(ActionSpin2, true, 1, 7, step.functionTime);
    } else if (action == kMuv7ActionPointClosed || action == kMuv7ActionPointThrown) {
        label1 = QStringLiteral("Point number");
        SetSpin(ActionSpin1, true, 1, 2048, step.actionPoint);
        SetSpin(ActionSpin2, false, 1, 7, step.functionTime);
    } else {
        ActionSpin1->setEnabled(false);
        ActionSpin2->setEnabled(false);
    }
    ActionParam1->setText(label1);
    ActionParam2->setText(label2);
    storing_ = wasStoring;
}

void TMUV7SequenceEditForm::StoreStep()
{
    TMUV7SequenceStep& step = Step();
    step.trigger = static_cast<uint8_t>(TriggerCombo->currentIndex());
    step.action = static_cast<uint8_t>(ActionCombo->currentIndex());
    switch (step.action) {
    case kMuv7ActionNone:
        step.Reset();
        break;
    case kMuv7ActionFunction:
        step.function = ActionSpin1->value();
        step.functionTime = ActionSpin2->value();
        break;
    case kMuv7ActionDispatch:
        break;
    case kMuv7ActionPointClosed:
    case kMuv7ActionPointThrown:
        step.actionPoint = ActionSpin1->value();
        break;
    default:
        step.rampTime = ActionSpin1->value();
        break;
    }
    if (step.action != kMuv7ActionNone) {
        step.retriggerStep = RetrigCombo->currentIndex();
        switch (step.trigger) {
        case kMuv7TriggerDelay:
            step.delay = TrigSpin1->value();
            step.respondEvery = 1;
            break;
        case kMuv7TriggerPointClosed:
        case kMuv7TriggerPointThrown:
            step.triggerPoint = TrigSpin1->value();
            step.respondEvery = 1;
            break;
        default:
            step.sensorBoard = TrigSpin1->value();
            step.sensor = TrigSpin2->value();
            step.respondEvery = IterationSpin->value();
            break;
        }
    }
    FillStepList();
    ActiveStepEdit->setText(QString::number(copy_.LastUsedStep()));
}

void TMUV7SequenceEditForm::FillStepList()
{
    // Texts only: the rows and the current row stay as they are.
    for (int k = 0; k < kMuv7StepCount; ++k)
        StepList->item(k)->setText(ToQ(copy_.StepAt(k).ListText()));
}

void TMUV7SequenceEditForm::MarkUserDefined()
{
    SequenceTypeCombo->setCurrentIndex(kMuv7UserDefined);
    copy_.sequenceType = kMuv7UserDefined;
}

void TMUV7SequenceEditForm::StepListClick()
{
    const int row = StepList->currentRow();
    if (row < 0 || row >= kMuv7StepCount || row == currentStep_)
        return;
    currentStep_ = row;
    LoadStep();
}

void TMUV7SequenceEditForm::TriggerComboChange()
{
    if (!storing_)
        return;
    Step().trigger = static_cast<uint8_t>(TriggerCombo->currentIndex());
    SetTriggerControls();
    StoreStep();
    MarkUserDefined();
}

void TMUV7SequenceEditForm::ActionComboChange()
{
    if (!storing_)
        return;
    Step().action = static_cast<uint8_t>(ActionCombo->currentIndex());
    SetActionControls();
    MarkUserDefined();
    StoreStep();
}

void TMUV7SequenceEditForm::StepControlChange()
{
    if (!storing_)
        return;
    StoreStep();
    MarkUserDefined();
}

void TMUV7SequenceEditForm::NameEditExit()
{
    if (NameEdit->text().size() > kMuv7NameBytes)
        NameEdit->setText(NameEdit->text().left(kMuv7NameBytes));
}

void TMUV7SequenceEditForm::WizardBtnClick()
{
    // The wizard works on the whole sequence: what it leaves alone (all of
    // it, when cancelled) must come back as typed. The steps' changes are in
    // the copy already.
    StoreHeader();
    OpenMUV7Wizard(this, copy_);
    LoadHeader();
    FillStepList();
    LoadStep();
}

void TMUV7SequenceEditForm::FormClose(bool ok)
{
    // Changes are stored as they are made; a number typed but not taken yet
    // is taken now. Storing the step again regardless would rewrite values
    // its controls cannot show (a board read back may hold them).
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focusWidget()))
        spin->interpretText();
    if (!ok)
        return;
    StoreHeader();
    sequence_ = copy_;
}

void TMUV7SequenceEditForm::StoreHeader()
{
    NameEditExit();
    copy_.name = FromQ(NameEdit->text());
    copy_.description = FromQ(DescriptionEdit->text());
    // A type the list does not name shows as "User Defined" and stays as it
    // is until a step's change makes the sequence user defined.
    const int shown = copy_.sequenceType < kTypeItems.size() ? copy_.sequenceType : kMuv7UserDefined;
    if (SequenceTypeCombo->currentIndex() != shown)
        copy_.sequenceType = static_cast<uint8_t>(SequenceTypeCombo->currentIndex());
    copy_.activeSteps = ActiveStepEdit->text().toInt();
}

void TMUV7SequenceEditForm::done(int result)
{
    FormClose(result == QDialog::Accepted);
    storing_ = false;
    QDialog::done(result);
}

bool OpenMUV7SequenceEditor(QWidget* opener, TMUV7Sequence& sequence)
{
    TMUV7SequenceEditForm form(sequence, opener);
    PlaceDialog(&form, opener->window()->pos() + QPoint(30, 30));
    return form.exec() == QDialog::Accepted;
}
