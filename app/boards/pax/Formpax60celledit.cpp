#include "app/boards/pax/Formpax60celledit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/pax/Formpax60conditions.h"

#include <QCheckBox>
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
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 410;

// Which controls a cell type uses, and what its condition lists mean.
struct TCellTypeControls {
    bool follow;
    bool onTime;
    bool brightness;
    bool invert;
    bool flashRate;
    const char* closedLabel;  // nullptr: the label stays as it is
    const char* thrownLabel;
};
const TCellTypeControls kTypeControls[TPAX60Cell::kCellTypeCount] = {
    {false, false, false, false, false, nullptr, nullptr},
    {true, true, false, false, false, "Change to CLOSED when", "Change to THROWN when"},
    {true, false, false, false, false, "Change to CLOSED when", "Change to THROWN when"},
    {true, true, false, false, false, "Change to ON when", "Change to ON when"},
    {true, false, false, false, false, "Change to ON when", "Change to ON when"},
    {false, false, true, false, true, "Change to ON when", "Change to ON when"},
    {false, false, true, false, false, "Change to ON when", "Change to ON when"},
    {false, false, true, true, true, "Aux o/p ON when", "Main o/p ON when"},
    {false, false, true, true, false, "Aux o/p ON when", "Main o/p ON when"},
};
// Cell types from here on are lamps: their rate is a flash rate, not an on time.
constexpr int kFirstLampType = 5;

const std::vector<std::string> kCellTypeItems = {
    "Not used",
    "Point cell, solenoid motor",
    "Point cell, always powered ",
    "On/Off cell, solenoid motor",
    "On/Off cell, always powered ",
    "dual flashing lamps",
    "dual lamps, on/off",
    "individually controlled flashing lamps",
    "individually controlled on/off lamps",
};
const std::vector<std::string> kMessageItems = {
    "None",
    "Output State message",
    "Turnout Feedback message (from stored state)",
    "\"SE\" signal message",
    "Output State, only when interrogated",
    "Turnout Feedback, only when interrogated",
};

std::vector<std::string> OnTimeItems()
{
    std::vector<std::string> items;
    for (int rate = 0; rate < TPAX60Cell::kRateCount; ++rate)
        items.emplace_back(TPAX60Cell::OnTimeName(rate));
    return items;
}

std::vector<std::string> FlashRateItems()
{
    std::vector<std::string> items{"1 (fastest)"};
    for (int rate = 2; rate < TPAX60Cell::kRateCount; ++rate)
        items.push_back(std::to_string(rate));
    items.emplace_back("9 (slowest)");
    return items;
}

QPushButton* MakeButton(QWidget* parent, const QString& objectName, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TPAX60OutputCellEditForm::TPAX60OutputCellEditForm(QWidget* parent, TPAX60Cell& cell,
                                                   std::optional<int32_t> address)
    : QDialog(parent), FCell(cell), FCopy(cell)
{
    setObjectName(QStringLiteral("PAX60OutputCellEditForm"));
    setWindowTitle(QStringLiteral("Edit Cell %1: (DCC Accessory Address = %2)")
                       .arg(FCopy.Number)
                       .arg(address.value_or(FCopy.DccAddress())));

    const int rate = FCopy.Rate >= 0 && FCopy.Rate < TPAX60Cell::kRateCount ? FCopy.Rate : 0;
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), FCopy.Description);
    CellTypeCombo = MakeCombo(this, QStringLiteral("CellTypeCombo"), kCellTypeItems, FCopy.CellType);
    MsgTypeCombo = MakeCombo(this, QStringLiteral("MsgTypeCombo"), kMessageItems);
    ShowCode(MsgTypeCombo, FCopy.MessageType);

    OnTimeCombo = MakeCombo(this, QStringLiteral("OnTimeCombo"), OnTimeItems(), rate);
    FollowBox = new QCheckBox(QStringLiteral("Follow a cell"), this);
    FollowBox->setObjectName(QStringLiteral("FollowBox"));
    FollowSpin = MakeSpin(this, QStringLiteral("FollowSpin"), 0, 8);
    ShowNumber(FollowSpin, FCopy.Follows == 0 ? 1 : FCopy.Follows);
    FlashRateCombo = MakeCombo(this, QStringLiteral("FlashRateCombo"), FlashRateItems(), rate);
    BrightnessBox = new QCheckBox(QStringLiteral("Simulate Brightness"), this);
    BrightnessBox->setObjectName(QStringLiteral("BrightnessBox"));
    InvertBox = new QCheckBox(QStringLiteral("Invert Outputs"), this);
    InvertBox->setObjectName(QStringLiteral("InvertBox"));

    ConditionTimeSpin = MakeSpin(this, QStringLiteral("ConditionTimeSpin"), 0, 255, FCopy.ConditionDelay);
    AdditionalDelaySpin = MakeSpin(this, QStringLiteral("AdditionalDelaySpin"), 0, 255, FCopy.ChangeDelay);

    ThrownCondLabel = new QLabel(QStringLiteral("Change to THROWN when"), this);
    ThrownCondLabel->setObjectName(QStringLiteral("ThrownCondLabel"));
    ThrownCondListBox = new QListWidget(this);
    ThrownCondListBox->setObjectName(QStringLiteral("ThrownCondListBox"));
    DefineThrown = MakeButton(this, QStringLiteral("DefineThrown"), QStringLiteral("Define"));
    LearnThrown = MakeButton(this, QStringLiteral("LearnThrown"), QStringLiteral("Learn"));
    ClosedCondLabel = new QLabel(QStringLiteral("Change to CLOSED when"), this);
    ClosedCondLabel->setObjectName(QStringLiteral("ClosedCondLabel"));
    ClosedCondListBox = new QListWidget(this);
    ClosedCondListBox->setObjectName(QStringLiteral("ClosedCondListBox"));
    DefineClosed = MakeButton(this, QStringLiteral("DefineClosed"), QStringLiteral("Define"));
    LearnClosed = MakeButton(this, QStringLiteral("LearnClosed"), QStringLiteral("Learn"));
    auto* dontLabel = new QLabel(QStringLiteral("don't change when"), this);
    DontCondListBox = new QListWidget(this);
    DontCondListBox->setObjectName(QStringLiteral("DontCondListBox"));
    DefineDont = MakeButton(this, QStringLiteral("DefineDont"), QStringLiteral("Define"));
    LearnDont = MakeButton(this, QStringLiteral("LearnDont"), QStringLiteral("Learn"));
    // Learning conditions from the bus is not offered.
    LearnThrown->setEnabled(false);
    LearnClosed->setEnabled(false);
    LearnDont->setEnabled(false);

    // Layout: what the cell is, then the type's own settings, then its conditions.
    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Description"), DescriptionEdit);
    top->addRow(QStringLiteral("Cell Type"), CellTypeCombo);
    top->addRow(QStringLiteral("Message on output change"), MsgTypeCombo);

    auto* pointBox = new QGroupBox(QStringLiteral("Point cells"), this);
    auto* pointForm = new QFormLayout(pointBox);
    pointForm->addRow(QStringLiteral("on time"), OnTimeCombo);
    auto* follow = new QHBoxLayout;
    follow->addWidget(FollowBox);
    follow->addWidget(new QLabel(QStringLiteral("Cell no."), this));
    follow->addWidget(FollowSpin);
    follow->addStretch();
    pointForm->addRow(follow);
    auto* lampBox = new QGroupBox(QStringLiteral("Lamp cells"), this);
    auto* lampForm = new QFormLayout(lampBox);
    lampForm->addRow(QStringLiteral("flash rate"), FlashRateCombo);
    lampForm->addRow(BrightnessBox);
    lampForm->addRow(InvertBox);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(pointBox, 1);
    kinds->addWidget(lampBox, 1);

    auto* delays = new QGridLayout;
    delays->addWidget(new QLabel(QStringLiteral("conditions active for at least"), this), 0, 0);
    delays->addWidget(ConditionTimeSpin, 0, 1);
    delays->addWidget(new QLabel(QStringLiteral("s"), this), 0, 2);
    delays->addWidget(new QLabel(QStringLiteral("Delay before other outputs allowed to change"), this), 1, 0);
    delays->addWidget(AdditionalDelaySpin, 1, 1);
    delays->addWidget(new QLabel(QStringLiteral("tenths of seconds"), this), 1, 2);
    delays->setColumnStretch(3, 1);

    auto* conditions = new QHBoxLayout;
    conditions->addWidget(ConditionColumn(ThrownCondLabel, ThrownCondListBox, DefineThrown, LearnThrown));
    conditions->addWidget(ConditionColumn(ClosedCondLabel, ClosedCondListBox, DefineClosed, LearnClosed));
    conditions->addWidget(ConditionColumn(dontLabel, DontCondListBox, DefineDont, LearnDont));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(kinds);
    layout->addLayout(delays);
    layout->addLayout(conditions);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    // Fill, then apply what the type enables.
    FollowBox->setChecked(FCopy.Follows != 0);
    BrightnessBox->setChecked(FCopy.Brightness != 0);
    InvertBox->setChecked(FCopy.InvertOutputs != 0);
    RefreshLists();
    CellTypeComboChange();

    connect(CellTypeCombo, &QComboBox::currentIndexChanged, this, &TPAX60OutputCellEditForm::CellTypeComboChange);
    connect(FollowBox, &QCheckBox::clicked, this, &TPAX60OutputCellEditForm::FollowBoxClick);
    connect(DefineThrown, &QPushButton::clicked, this, &TPAX60OutputCellEditForm::DefineThrownClick);
    connect(DefineClosed, &QPushButton::clicked, this, &TPAX60OutputCellEditForm::DefineClosedClick);
    connect(DefineDont, &QPushButton::clicked, this, &TPAX60OutputCellEditForm::DefineDontClick);
}

QWidget* TPAX60OutputCellEditForm::ConditionColumn(QLabel* label, QListWidget* list, QPushButton* define,
                                                   QPushButton* learn)
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    list->setMinimumWidth(210);
    list->setFixedHeight(list->fontMetrics().height() * 7 + 14);
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(define);
    buttons->addWidget(learn);
    layout->addLayout(buttons);
    return column;
}

bool TPAX60OutputCellEditForm::EditCell(QWidget* opener, TPAX60Cell& cell, std::optional<int32_t> address)
{
    TPAX60OutputCellEditForm form(opener, cell, address);
    PlaceDialog(&form, opener->window()->pos() + QPoint(30, 30));
    return form.exec() == QDialog::Accepted;
}

void TPAX60OutputCellEditForm::accept()
{
    const int type = CellTypeCombo->currentIndex();
    FCopy.Description = FromQ(DescriptionEdit->text());
    FCopy.CellType = static_cast<uint8_t>(type);
    FCopy.MessageType = static_cast<uint8_t>(StoredCode(MsgTypeCombo, FCopy.MessageType));
    FCopy.ConditionDelay = ConditionTimeSpin->value();
    FCopy.ChangeDelay = AdditionalDelaySpin->value();
    FCopy.Follows = FollowBox->isChecked() ? FollowSpin->value() : 0;
    FCopy.Brightness = BrightnessBox->isChecked() ? 1 : 0;
    FCopy.InvertOutputs = InvertBox->isChecked() ? 1 : 0;
    FCopy.Rate = type < kFirstLampType ? OnTimeCombo->currentIndex() : FlashRateCombo->currentIndex();
    FCell = FCopy;
    QDialog::accept();
}

void TPAX60OutputCellEditForm::CellTypeComboChange()
{
    const int type = CellTypeCombo->currentIndex();
    if (type < 0 || type >= TPAX60Cell::kCellTypeCount)
        return;
    const TCellTypeControls& c = kTypeControls[type];
    FollowBox->setEnabled(c.follow);
    FollowSpin->setEnabled(c.follow && FollowBox->isChecked());
    OnTimeCombo->setEnabled(c.onTime);
    BrightnessBox->setEnabled(c.brightness);
    InvertBox->setEnabled(c.invert);
    FlashRateCombo->setEnabled(c.flashRate);
    if (c.closedLabel != nullptr)
        ClosedCondLabel->setText(QString::fromLatin1(c.closedLabel));
    if (c.thrownLabel != nullptr)
        ThrownCondLabel->setText(QString::fromLatin1(c.thrownLabel));
}

void TPAX60OutputCellEditForm::FollowBoxClick()
{
    FollowSpin->setEnabled(FollowBox->isEnabled() && FollowBox->isChecked());
}

void TPAX60OutputCellEditForm::RefreshLists()
{
    FillConditionList(ThrownCondListBox, FCopy.ThrownConditions);
    FillConditionList(ClosedCondListBox, FCopy.ClosedConditions);
    FillConditionList(DontCondListBox, FCopy.FreezeConditions);
}

void TPAX60OutputCellEditForm::DefineThrownClick()
{
    TPAX60EditConditionsForm::EditConditions(this, FCopy.ThrownConditions);
    RefreshLists();
}

void TPAX60OutputCellEditForm::DefineClosedClick()
{
    TPAX60EditConditionsForm::EditConditions(this, FCopy.ClosedConditions);
    RefreshLists();
}

void TPAX60OutputCellEditForm::DefineDontClick()
{
    TPAX60EditConditionsForm::EditConditions(this, FCopy.FreezeConditions);
    RefreshLists();
}
