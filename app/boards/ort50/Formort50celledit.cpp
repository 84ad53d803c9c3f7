#include "app/boards/ort50/Formort50celledit.h"

#include "app/boards/Editorsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 610;

// The editor's own short names; the model's longer names are for lists and reports.
const std::vector<std::string> kTypeItems = {
    "Undefined",
    "Point Cell",
    "Sensor Cell",
    "VELA40/VELA80 Signal Cell",
    "VELA40/VELA80 Rev Zone Cell",
    "SE8c Signal Cell, 2 Aspect",
    "SE8c Signal Cell, 4 Aspect",
    "Interlock Cell",
    "Copy of another cell",
    "Board Mode Cell",
    "PM42 Relay Cell",
};

const std::vector<std::string> kActionItems = {
    "No Action",
    "Change Point",
    "Set Point Closed",
    "Set Point Thrown",
    "Sensor Message Toggle",
    "Sensor Message on when pressed",
    "Change Interlock",
    "Force Signal red",
    "Normal Signal operation",
    "Set Reverse Running Zone W-E",
    "Set Reverse Running Zone E-W",
    "Step SE8c Signal aspect",
    "Initialise all Points",
    "Toggle Interlock mode",
    "Toggle Slave mode",
    "Track Power On",
    "Track Power Off",
    "Emergency Stop",
    "Start Interrogate sequence",
    "Execute Route Number",
};

const std::vector<std::string> kInitItems = {"No Initialise", "Closed", "Thrown"};
const std::vector<std::string> kTokenItems = {"None", "Token 1", "Token 2", "Token 3", "Token 4"};
const std::vector<std::string> kCascadeItems = {"None", "Closed, Cell", "Thrown, Cell"};

std::vector<std::string> AspectItems()
{
    std::vector<std::string> items;
    for (int aspect = 0; aspect <= 4; ++aspect)
        items.push_back(Ort50AspectName(aspect));
    return items;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& objectName, const QString& caption, bool checked)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(objectName);
    check->setChecked(checked);
    return check;
}

}  // namespace

QString TORT50CellEditForm::AddressLabelText(int type)
{
    switch (type) {
    case kOrtCellPoint: return QStringLiteral("Point DCC Address");
    case kOrtCellSensor: return QStringLiteral("Board Address");
    case kOrtCellVelaSignal:
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber: return QStringLiteral("Signal DCC Address");
    case kOrtCellVelaZone: return QStringLiteral("Zone DCC Address");
    case kOrtCellInterlock: return QStringLiteral("Interlock DCC Address");
    case kOrtCellCopy: return QStringLiteral("Cell Number");
    case kOrtCellBoardMode: return QStringLiteral("(unused)");
    case kOrtCellRelay: return QStringLiteral("Board Address");
    default: return QStringLiteral("(Unused)");
    }
}

TORT50CellEditForm::~TORT50CellEditForm()
{
    // QDialog's destructor hides the fields, and a spin box hidden while its
    // text is being typed commits it: its handlers must not run on a form that
    // is already half destroyed.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        child->disconnect(this);
}

TORT50CellEditForm::TORT50CellEditForm(TORT50Cells& cells, int index, QWidget* parent)
    : QDialog(parent), cells_(cells), index_(index)
{
    setObjectName(QStringLiteral("ORT50CellEditForm"));
    const TORT50Cell& cell = cells_[static_cast<size_t>(index_)];

    // Created in visual order, so the tab order follows the layout.
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), cell.description);
    CellTypeCombo = MakeCombo(this, QStringLiteral("CellTypeCombo"), kTypeItems);
    AddressLabel = new QLabel(this);
    AddressLabel->setObjectName(QStringLiteral("AddressLabel"));
    AddrEdit = MakeSpin(this, QStringLiteral("AddrEdit"), 1, 2048, 1);
    AddressLabel->setBuddy(AddrEdit);
    SW1Combo = MakeCombo(this, QStringLiteral("SW1Combo"), kActionItems);
    Route1Edit = MakeSpin(this, QStringLiteral("Route1Edit"), 1, 24, 1);
    SW2Combo = MakeCombo(this, QStringLiteral("SW2Combo"), kActionItems);
    Route2Edit = MakeSpin(this, QStringLiteral("Route2Edit"), 1, 24, 1);
    InitCombo = MakeCombo(this, QStringLiteral("InitCombo"), kInitItems);
    TokenCombo = MakeCombo(this, QStringLiteral("TokenCombo"), kTokenItems);
    CascadeCombo = MakeCombo(this, QStringLiteral("CascadeCombo"), kCascadeItems);
    CascadeEdit = MakeSpin(this, QStringLiteral("CascadeEdit"), 0, 30, 0);
    ToFbCheck = MakeCheck(this, QStringLiteral("ToFbCheck"), QStringLiteral("Uses Turnout Feedback"), false);
    SensorEdit = MakeSpin(this, QStringLiteral("SensorEdit"), 1, 16, 1);
    SensFlashCheck = MakeCheck(this, QStringLiteral("SensFlashCheck"), QStringLiteral("Flash if unknown state"), false);
    AspectCombo = MakeCombo(this, QStringLiteral("AspectCombo"), AspectItems());
    InterlockNumberEdit = MakeSpin(this, QStringLiteral("InterlockNumberEdit"), 1, 4, 1);
    RevZoneCheck =
        MakeCheck(this, QStringLiteral("RevZoneCheck"), QStringLiteral("LEDs flash if direction locked"), false);
    RelayEdit = MakeSpin(this, QStringLiteral("RelayEdit"), 1, 4, 1);

    auto* general = new QFormLayout;
    general->addRow(QStringLiteral("Description"), DescriptionEdit);
    general->addRow(QStringLiteral("Cell Type"), CellTypeCombo);
    general->addRow(AddressLabel, AddrEdit);

    auto* buttons = new QGroupBox(QStringLiteral("Pushbuttons"), this);
    auto* buttonGrid = new QGridLayout(buttons);
    buttonGrid->addWidget(new QLabel(QStringLiteral("Pushbutton A Function"), buttons), 0, 0);
    buttonGrid->addWidget(SW1Combo, 0, 1);
    buttonGrid->addWidget(new QLabel(QStringLiteral("Route"), buttons), 0, 2);
    buttonGrid->addWidget(Route1Edit, 0, 3);
    buttonGrid->addWidget(new QLabel(QStringLiteral("Pushbutton B Function"), buttons), 1, 0);
    buttonGrid->addWidget(SW2Combo, 1, 1);
    buttonGrid->addWidget(new QLabel(QStringLiteral("Route"), buttons), 1, 2);
    buttonGrid->addWidget(Route2Edit, 1, 3);
    buttonGrid->setColumnStretch(1, 1);

    auto* point = new QGroupBox(QStringLiteral("Point"), this);
    auto* pointForm = new QFormLayout(point);
    pointForm->addRow(QStringLiteral("Initialise"), InitCombo);
    pointForm->addRow(QStringLiteral("Assigned to Interlock"), TokenCombo);
    auto* cascadeRow = new QHBoxLayout;
    cascadeRow->addWidget(CascadeCombo, 1);
    cascadeRow->addWidget(CascadeEdit);
    pointForm->addRow(QStringLiteral("Cascade"), cascadeRow);
    pointForm->addRow(ToFbCheck);

    auto* other = new QGroupBox(QStringLiteral("Sensor, Signal, Zone, Interlock, Relay"), this);
    auto* otherForm = new QFormLayout(other);
    otherForm->addRow(QStringLiteral("Sensor Number"), SensorEdit);
    otherForm->addRow(SensFlashCheck);
    otherForm->addRow(QStringLiteral("Aspect Shown"), AspectCombo);
    otherForm->addRow(QStringLiteral("Interlock Number"), InterlockNumberEdit);
    otherForm->addRow(RevZoneCheck);
    otherForm->addRow(QStringLiteral("Relay Number"), RelayEdit);

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(point);
    typeRow->addWidget(other);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(general);
    layout->addWidget(buttons);
    layout->addLayout(typeRow);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    connect(CellTypeCombo, &QComboBox::currentIndexChanged, this, [this] { CellTypeComboChange(); });
    connect(AddrEdit, &QSpinBox::valueChanged, this, [this] { AddrEditChange(); });
    // The enabling follows the copied cell while its number is typed, not only when the field is left.
    if (auto* typing = AddrEdit->findChild<QLineEdit*>())
        connect(typing, &QLineEdit::textChanged, this, [this] { AddrEditChange(); });
    connect(SW1Combo, &QComboBox::currentIndexChanged, this, [this] { SW1ComboChange(); });
    connect(SW2Combo, &QComboBox::currentIndexChanged, this, [this] { SW2ComboChange(); });

    FormShow();
}

void TORT50CellEditForm::FormShow()
{
    const TORT50Cell& cell = cells_[static_cast<size_t>(index_)];
    setWindowTitle(QStringLiteral("Edit Cell %1").arg(cell.number));
    DescriptionEdit->setText(ToQ(cell.description));
    // A code a list does not offer (a board read back may hold any) shows
    // no item and is kept unless another is picked.
    ShowCode(CellTypeCombo, cell.type);
    ShowNumber(AddrEdit, cell.address);
    ShowCode(SW1Combo, cell.actionA);
    ShowCode(SW2Combo, cell.actionB);
    ShowNumber(Route1Edit, cell.routeA);
    ShowNumber(Route2Edit, cell.routeB);
    ShowCode(InitCombo, cell.initialise);
    ShowCode(TokenCombo, cell.interlockToken);
    ShowCode(CascadeCombo, cell.cascadeMode);
    ShowNumber(CascadeEdit, cell.cascadeCell);
    ToFbCheck->setChecked(cell.usesTurnoutFeedback);
    ShowNumber(SensorEdit, cell.sensorNumber);
    SensFlashCheck->setChecked(cell.flashUntilKnown);
    ShowCode(AspectCombo, cell.aspect);
    ShowNumber(InterlockNumberEdit, cell.interlockNumber);
    RevZoneCheck->setChecked(cell.flashWhenLocked);
    ShowNumber(RelayEdit, cell.relayNumber);
    UpdateTypeControls();
    SW1ComboChange();
    SW2ComboChange();
}

void TORT50CellEditForm::CellTypeComboChange() { UpdateTypeControls(); }

void TORT50CellEditForm::AddrEditChange() { UpdateTypeControls(); }

void TORT50CellEditForm::SW1ComboChange()
{
    Route1Edit->setEnabled(SW1Combo->currentIndex() == kOrtActionExecuteRoute);
}

void TORT50CellEditForm::SW2ComboChange()
{
    Route2Edit->setEnabled(SW2Combo->currentIndex() == kOrtActionExecuteRoute);
}

void TORT50CellEditForm::UpdateTypeControls()
{
    const int chosen = CellTypeCombo->currentIndex();
    AddressLabel->setText(AddressLabelText(chosen));

    // A copy cell shows what the copied cell is; the cell number is read from
    // the text as typed, so a number outside 1 to 30 copies nothing.
    int type = chosen;
    if (chosen == kOrtCellCopy) {
        bool isNumber = false;
        const int copied = AddrEdit->cleanText().toInt(&isNumber);
        type = isNumber && copied >= 1 && copied <= kOrtCellCount ? cells_[static_cast<size_t>(copied - 1)].type
                                                                   : kOrtCellUndefined;
    }

    const bool point = type == kOrtCellPoint;
    InitCombo->setEnabled(point);
    TokenCombo->setEnabled(point);
    CascadeCombo->setEnabled(point);
    CascadeEdit->setEnabled(point);
    ToFbCheck->setEnabled(point || type == kOrtCellVelaSignal || type == kOrtCellVelaZone);
    SensorEdit->setEnabled(type == kOrtCellSensor);
    SensFlashCheck->setEnabled(type == kOrtCellSensor);
    AspectCombo->setEnabled(type == kOrtCellVelaSignal || type == kOrtCellSe8cRedGreen ||
                            type == kOrtCellSe8cRedGreenAmber);
    RevZoneCheck->setEnabled(type == kOrtCellVelaZone);
    InterlockNumberEdit->setEnabled(type == kOrtCellInterlock);
    RelayEdit->setEnabled(type == kOrtCellRelay);
}

void TORT50CellEditForm::done(int result)
{
    FormClose(result == QDialog::Accepted);
    QDialog::done(result);
}

void TORT50CellEditForm::FormClose(bool ok)
{
    if (!ok)
        return;
    TORT50Cell& cell = cells_[static_cast<size_t>(index_)];
    cell.description = FromQ(DescriptionEdit->text());
    cell.type = static_cast<uint8_t>(StoredCode(CellTypeCombo, cell.type));
    cell.address = AddrEdit->value();
    cell.actionA = static_cast<uint8_t>(StoredCode(SW1Combo, cell.actionA));
    cell.actionB = static_cast<uint8_t>(StoredCode(SW2Combo, cell.actionB));
    cell.routeA = Route1Edit->value();
    cell.routeB = Route2Edit->value();
    cell.initialise = static_cast<uint8_t>(StoredCode(InitCombo, cell.initialise));
    cell.interlockToken = StoredCode(TokenCombo, cell.interlockToken);
    cell.cascadeMode = static_cast<uint8_t>(StoredCode(CascadeCombo, cell.cascadeMode));
    cell.cascadeCell = CascadeEdit->value();
    cell.usesTurnoutFeedback = ToFbCheck->isChecked();
    cell.sensorNumber = SensorEdit->value();
    cell.flashUntilKnown = SensFlashCheck->isChecked();
    cell.aspect = static_cast<uint8_t>(StoredCode(AspectCombo, cell.aspect));
    cell.interlockNumber = InterlockNumberEdit->value();
    cell.flashWhenLocked = RevZoneCheck->isChecked();
    cell.relayNumber = RelayEdit->value();
}
