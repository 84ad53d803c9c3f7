#include "app/boards/pax/Formpaxboardedit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/pax/Formpax60celledit.h"
#include "app/boards/pax/Formpax60inputedit.h"
#include "app/boards/pax/Formpax60routeedit.h"
#include "boards/pax/Tpax60boardparts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QListWidget* MakeList(QWidget* parent, const QString& objectName, int rows)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setMinimumWidth(420);
    list->setFixedHeight(list->fontMetrics().height() * rows + 12);
    return list;
}

// Stays on the row a list had before it was rebuilt.
void FillList(QListWidget* list, const QStringList& lines)
{
    const int row = list->currentRow();
    list->clear();
    list->addItems(lines);
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
}

}  // namespace

TPAXBoardEditForm::TPAXBoardEditForm(QWidget* parent, std::unique_ptr<TConfigurableBoard> copy, int baseMinimum,
                                     int helpTopic, const QString& caption)
    : QDialog(parent), FOwnCopy(std::move(copy)), FCopy(static_cast<TPAXBoard*>(FOwnCopy.get()))
{
    const TPAX60BoardParts& parts = FCopy->Parts;
    setWindowTitle(caption);
    BoardNameEdit = MakeText(this, QStringLiteral("BoardNameEdit"), FCopy->Name());
    SerialNumEdit = MakeSerialSpin(this, QStringLiteral("SerialNumEdit"), 65535);
    NotesEdit = MakeText(this, QStringLiteral("NotesEdit"), parts.UserDescription);
    DCCBaseAddrEdit = MakeSpin(this, QStringLiteral("DCCBaseAddrEdit"), baseMinimum, 2048);
    Addr16Check = new QCheckBox(QStringLiteral("Use 16 Addresses"), this);
    Addr16Check->setObjectName(QStringLiteral("Addr16Check"));
    LocoNetCheck = new QCheckBox(QStringLiteral("LocoNet commands"), this);
    LocoNetCheck->setObjectName(QStringLiteral("LocoNetCheck"));
    SensBdEdit = MakeSpin(this, QStringLiteral("SensBdEdit"), 1, 256);
    CDUDelayEdit = MakeSpin(this, QStringLiteral("CDUDelayEdit"), 0, 32);
    // A new board's location is 0: shown as "none", so that OK keeps it.
    MemLocEdit = MakeNoneSpin(this, QStringLiteral("MemLocEdit"), 40);
    RouteAddrEdit = MakeSpin(this, QStringLiteral("RouteAddrEdit"), 1, 2048);
    OutputCellList = MakeList(this, QStringLiteral("OutputCellList"), TPAX60BoardParts::kCellCount);
    InputCellList = MakeList(this, QStringLiteral("InputCellList"), TPAX60BoardParts::kInputCount);
    RouteList = MakeList(this, QStringLiteral("RouteList"), TPAX60BoardParts::kRouteCount);
    SvErrorText = new TSvCheckLabel(this);

    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("Board Name:"), BoardNameEdit);
    head->addRow(QStringLiteral("Serial Number:"), SerialNumEdit);
    head->addRow(QStringLiteral("Notes:"), NotesEdit);

    auto* other = new QGroupBox(QStringLiteral("Other Settings"), this);
    FOtherSettings = new QFormLayout(other);
    FOtherSettings->addRow(QStringLiteral("DCC Base Address"), DCCBaseAddrEdit);
    FOtherSettings->addRow(Addr16Check);
    FOtherSettings->addRow(LocoNetCheck);
    FOtherSettings->addRow(QStringLiteral("Sensor Board Number"), SensBdEdit);
    auto* cdu = new QHBoxLayout;
    cdu->addWidget(CDUDelayEdit);
    cdu->addWidget(new QLabel(QStringLiteral("(0.1s units)"), this));
    FOtherSettings->addRow(QStringLiteral("CDU recharge Delay"), cdu);
    FOtherSettings->addRow(QStringLiteral("State memory location"), MemLocEdit);
    FOtherSettings->addRow(QStringLiteral("DCC Address to activate routes"), RouteAddrEdit);

    auto* cells = new QGroupBox(QStringLiteral("Output Cell Definitions"), this);
    auto* cellsLayout = new QVBoxLayout(cells);
    cellsLayout->addWidget(OutputCellList);
    cellsLayout->addWidget(new QLabel(QStringLiteral("Input Cell Definitions"), this));
    cellsLayout->addWidget(InputCellList);
    auto* routes = new QGroupBox(QStringLiteral("Route Definitions"), this);
    auto* routesLayout = new QVBoxLayout(routes);
    routesLayout->addWidget(RouteList);

    auto* left = new QVBoxLayout;
    left->addLayout(head);
    left->addWidget(other);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(cells);
    right->addWidget(routes);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(SvErrorText);
    layout->addWidget(MakeDialogButtons(this, helpTopic));

    connect(DCCBaseAddrEdit, &QSpinBox::valueChanged, this, &TPAXBoardEditForm::DCCBaseAddrEditChange);
    connect(OutputCellList, &QListWidget::itemDoubleClicked, this, &TPAXBoardEditForm::OutputCellListDblClick);
    connect(InputCellList, &QListWidget::itemDoubleClicked, this, &TPAXBoardEditForm::InputCellListDblClick);
    connect(RouteList, &QListWidget::itemDoubleClicked, this, &TPAXBoardEditForm::RouteListDblClick);
    // Enter on a list opens the row, as a double click does, rather than OK.
    OpenOnEnter(OutputCellList, [this] { OutputCellListDblClick(); });
    OpenOnEnter(InputCellList, [this] { InputCellListDblClick(); });
    OpenOnEnter(RouteList, [this] { RouteListDblClick(); });
    for (QSpinBox* spin : {SerialNumEdit, SensBdEdit, CDUDelayEdit, MemLocEdit, RouteAddrEdit})
        connect(spin, &QSpinBox::valueChanged, this, &TPAXBoardEditForm::CheckSettings);
    for (QCheckBox* box : {Addr16Check, LocoNetCheck})
        connect(box, &QCheckBox::toggled, this, &TPAXBoardEditForm::CheckSettings);
}

TPAXBoardEditForm::~TPAXBoardEditForm() = default;

void TPAXBoardEditForm::FillControls()
{
    const TPAX60BoardParts& parts = FCopy->Parts;
    ShowNumber(SerialNumEdit, FCopy->SerialNumber());
    DCCBaseAddrEdit->blockSignals(true);
    ShowNumber(DCCBaseAddrEdit, parts.BaseAddress);
    DCCBaseAddrEdit->blockSignals(false);
    Addr16Check->setChecked(parts.Occupies16Addresses != 0);
    LocoNetCheck->setChecked(parts.LocoNetSwitchCommands != 0);
    ShowNumber(SensBdEdit, parts.SensorBoardNumber);
    ShowNumber(CDUDelayEdit, parts.CduDelay);
    ShowNumber(MemLocEdit, parts.OutputMemoryLocation);
    ShowNumber(RouteAddrEdit, parts.RouteDccBaseAddress);
    BuildLists();
    FFilled = true;
    CheckSettings();
}

void TPAXBoardEditForm::TakeSettings(TPAXBoard& board) const
{
    TPAX60BoardParts& parts = board.Parts;
    board.SetName(FromQ(BoardNameEdit->text()));
    board.SetSerialNumber(SerialNumEdit->value());
    parts.UserDescription = FromQ(NotesEdit->text());
    // Setting it copies it into every cell and route: only a new address, so
    // that OK leaves the copies a file or a new board holds as they are.
    if (DCCBaseAddrEdit->value() != parts.BaseAddress)
        board.SetBaseAddress(DCCBaseAddrEdit->value());
    parts.Occupies16Addresses = Addr16Check->isChecked() ? 1 : 0;
    parts.LocoNetSwitchCommands = LocoNetCheck->isChecked() ? 1 : 0;
    parts.SensorBoardNumber = SensBdEdit->value();
    parts.CduDelay = CDUDelayEdit->value();
    parts.OutputMemoryLocation = MemLocEdit->value();
    parts.RouteDccBaseAddress = RouteAddrEdit->value();
}

void TPAXBoardEditForm::BuildLists()
{
    QStringList cells;
    for (int i = 0; i < TPAX60BoardParts::kCellCount; ++i)
        cells << ToQ(FCopy->OutputCell(i).ListText());
    FillList(OutputCellList, cells);
    QStringList inputs;
    for (int i = 0; i < TPAX60BoardParts::kInputCount; ++i)
        inputs << ToQ(FCopy->InputCell(i).ListText());
    FillList(InputCellList, inputs);
    QStringList routes;
    for (int i = 0; i < TPAX60BoardParts::kRouteCount; ++i)
        routes << ToQ(FCopy->Route(i).ListText());
    FillList(RouteList, routes);
}

void TPAXBoardEditForm::CheckSettings()
{
    if (!FFilled)
        return;
    // A scratch board, so that nothing reaches the copy before OK.
    std::unique_ptr<TConfigurableBoard> scratch = CloneBoard(*FCopy);
    TakeSettings(static_cast<TPAXBoard&>(*scratch));
    SvErrorText->Check(*scratch);
}

void TPAXBoardEditForm::DCCBaseAddrEditChange()
{
    // At once, so that the cell window shows the right accessory address and
    // the route window the right marks for this decoder's own points.
    FCopy->SetBaseAddress(DCCBaseAddrEdit->value());
    BuildLists();
    CheckSettings();
}

void TPAXBoardEditForm::OutputCellListDblClick()
{
    const int row = OutputCellList->currentRow();
    if (row < 0)
        return;
    // The address as the controls have it now, individual addresses included.
    std::unique_ptr<TConfigurableBoard> scratch = CloneBoard(*FCopy);
    TakeSettings(static_cast<TPAXBoard&>(*scratch));
    const int32_t address = static_cast<const TPAXBoard&>(*scratch).CellAddress(row);
    TPAX60OutputCellEditForm::EditCell(this, FCopy->OutputCell(row), address);
    BuildLists();
    CheckSettings();
}

void TPAXBoardEditForm::InputCellListDblClick()
{
    const int row = InputCellList->currentRow();
    if (row < 0)
        return;
    TPAX60InputCellEditForm::EditInput(this, FCopy->InputCell(row));
    BuildLists();
    CheckSettings();
}

void TPAXBoardEditForm::RouteListDblClick()
{
    const int row = RouteList->currentRow();
    if (row < 0)
        return;
    TPAX60RouteEditForm::EditRoute(this, FCopy->Route(row));
    BuildLists();
    CheckSettings();
}
