#include "app/boards/ort50/Formort50edit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/ort50/Formort50celledit.h"
#include "app/boards/ort50/Formort50routeedit.h"
#include "boards/ort50/Tort50board.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 600;
const std::vector<std::string> kStartupModeItems = {"Standalone Mode", "Slave Mode", "Interlocked Mode"};
const std::vector<std::string> kSlaveModeItems = {"Interlock mode: sensors 1-4", "Interlock mode: sensors 5-8",
                                                  "Interlock mode: sensors 9-12", "Interlock mode: sensors 13-16"};

// Refills a list with lines, keeping its scroll position and selected row.
void Refill(QListWidget* list, const QStringList& lines)
{
    const int scroll = list->verticalScrollBar()->value();
    const int row = list->currentRow();
    list->clear();
    list->addItems(lines);
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
    list->verticalScrollBar()->setValue(scroll);
}

QListWidget* MakeList(QWidget* parent, const QString& objectName, int rows)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setMinimumHeight(list->fontMetrics().height() * rows);
    list->setMinimumWidth(list->fontMetrics().averageCharWidth() * 60);
    return list;
}

}  // namespace

TORT50EditForm::TORT50EditForm(TORT50Board& board, QWidget* parent) : QDialog(parent), board_(board)
{
    setObjectName(QStringLiteral("ORT50EditForm"));
    setWindowTitle(QStringLiteral("Edit ORT50 Board Settings"));

    // Created in visual order, so the tab order follows the layout.
    BoardNameEdit = MakeText(this, QStringLiteral("BoardNameEdit"), {});
    SerialNumEdit = MakeSerialSpin(this, QStringLiteral("SerialNumEdit"), 65535);
    NotesEdit = MakeText(this, QStringLiteral("NotesEdit"), {});
    CellList = MakeList(this, QStringLiteral("CellList"), 20);
    RouteList = MakeList(this, QStringLiteral("RouteList"), 20);
    ToFromBox = new QCheckBox(QStringLiteral("To/From Numbering"), this);
    ToFromBox->setObjectName(QStringLiteral("ToFromBox"));
    // 0: routes are run by no DCC accessory address; kept rather than turned into 1.
    RouteAddrEdit = MakeSpin(this, QStringLiteral("RouteAddrEdit"), 0, 2048, 1000);
    RouteAddrEdit->setSpecialValueText(QStringLiteral("0 (none)"));
    StartupModeCombo = MakeCombo(this, QStringLiteral("StartupModeCombo"), kStartupModeItems);
    SlaveModeCombo = MakeCombo(this, QStringLiteral("SlaveModeCombo"), kSlaveModeItems);
    SlaveAddrEdit = MakeSpin(this, QStringLiteral("SlaveAddrEdit"), 0, 255, 10);
    DCCSlaveEdit = MakeSpin(this, QStringLiteral("DCCSlaveEdit"), 1, 2048, 1025);
    DCCInterlockEdit = MakeSpin(this, QStringLiteral("DCCInterlockEdit"), 1, 2048, 1027);
    PointDelayEdit = MakeSpin(this, QStringLiteral("PointDelayEdit"), 0, 250, 10);
    SvCheck = new TSvCheckLabel(this);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Board Name:"), BoardNameEdit);
    top->addRow(QStringLiteral("Serial Number:"), SerialNumEdit);
    top->addRow(QStringLiteral("Notes:"), NotesEdit);

    auto* cells = new QGroupBox(QStringLiteral("Cell Definitions"), this);
    auto* cellsLayout = new QVBoxLayout(cells);
    cellsLayout->addWidget(CellList);

    auto* routes = new QGroupBox(QStringLiteral("Route Definitions"), this);
    auto* routesLayout = new QVBoxLayout(routes);
    routesLayout->addWidget(RouteList);
    auto* routeRow = new QHBoxLayout;
    routeRow->addWidget(ToFromBox);
    routeRow->addStretch(1);
    routeRow->addWidget(new QLabel(QStringLiteral("DCC Address to activate routes"), routes));
    routeRow->addWidget(RouteAddrEdit);
    routesLayout->addLayout(routeRow);

    auto* lists = new QHBoxLayout;
    lists->addWidget(cells, 1);
    lists->addWidget(routes, 1);

    auto* modes = new QGroupBox(QStringLiteral("Board Modes"), this);
    auto* modeGrid = new QGridLayout(modes);
    auto label = [modes](const char* text) { return new QLabel(QString::fromLatin1(text), modes); };
    modeGrid->addWidget(label("Board mode after power up:"), 0, 0);
    modeGrid->addWidget(StartupModeCombo, 0, 1);
    modeGrid->addWidget(label("Sensors Used"), 0, 2);
    modeGrid->addWidget(SlaveModeCombo, 0, 3);
    modeGrid->addWidget(label("Sensor Board Number"), 0, 4);
    modeGrid->addWidget(SlaveAddrEdit, 0, 5);
    modeGrid->addWidget(label("DCC Addr to enter Slave Mode"), 1, 0);
    modeGrid->addWidget(DCCSlaveEdit, 1, 1);
    modeGrid->addWidget(label("DCC Addr to enter Interlocked Mode"), 1, 2);
    modeGrid->addWidget(DCCInterlockEdit, 1, 3);
    modeGrid->addWidget(label("Delay between point outputs"), 1, 4);
    auto* delay = new QHBoxLayout;
    delay->addWidget(PointDelayEdit);
    delay->addWidget(label("(0.1s units)"));
    modeGrid->addLayout(delay, 1, 5);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists, 1);
    layout->addWidget(modes);
    layout->addWidget(SvCheck);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    connect(CellList, &QListWidget::itemDoubleClicked, this, [this] { CellListDblClick(); });
    connect(RouteList, &QListWidget::itemDoubleClicked, this, [this] { RouteListDblClick(); });
    // Enter on a list opens the entry's editor instead of closing this window.
    CellList->installEventFilter(this);
    RouteList->installEventFilter(this);
    connect(ToFromBox, &QCheckBox::clicked, this, [this] { ToFromBoxClick(); });

    FormShow();
}

void TORT50EditForm::FormShow()
{
    BoardNameEdit->setText(ToQ(board_.Name()));
    ShowNumber(SerialNumEdit, board_.SerialNumber());
    NotesEdit->setText(ToQ(board_.notes));
    ToFromBox->setChecked(board_.ToFromNumbering());
    ShowNumber(RouteAddrEdit, board_.routeAddress);
    ShowCode(StartupModeCombo, board_.powerUpMode);
    // Slave block 0 (any four board addresses) has no item: shown as no
    // choice, and kept by OK unless the modeller picks a block.
    SlaveModeCombo->setCurrentIndex(board_.slaveBlock >= 1 && board_.slaveBlock <= kSlaveModeItems.size()
                                        ? board_.slaveBlock - 1
                                        : -1);
    ShowNumber(SlaveAddrEdit, board_.sensorBoardNumber);
    ShowNumber(DCCSlaveEdit, board_.slaveAddress);
    ShowNumber(DCCInterlockEdit, board_.interlockAddress);
    ShowNumber(PointDelayEdit, board_.pointDelay);
    FillCellList();
    FillRouteList();
}

void TORT50EditForm::FillCellList()
{
    QStringList lines;
    for (int i = 0; i < kOrtCellCount; ++i)
        lines << ToQ(board_.CellAt(i).CellListLine());
    Refill(CellList, lines);
    UpdateSvCheck();
}

void TORT50EditForm::FillRouteList()
{
    QStringList lines;
    for (int i = 0; i < kOrtRouteCount; ++i)
        lines << ToQ(board_.RouteAt(i).RouteListLine(board_.Cells()));
    Refill(RouteList, lines);
    UpdateSvCheck();
}

void TORT50EditForm::UpdateSvCheck()
{
    // On a copy: computing the image may correct the board's cells (a copy
    // cell of a cell above 30), which only OK or programming may do.
    TORT50Board copy(board_);
    SvCheck->Check(copy);
}

QPoint TORT50EditForm::SubWindowPosition() const { return frameGeometry().topLeft() + QPoint(30, 30); }

void TORT50EditForm::CellListDblClick()
{
    const int row = CellList->currentRow();
    if (row < 0 || row >= kOrtCellCount)
        return;
    TORT50CellEditForm editor(board_.Cells(), row, this);
    PlaceDialog(&editor, SubWindowPosition());
    editor.exec();
    FillCellList();
    // Routes name points through point cells: their texts and fit may change too.
    FillRouteList();
}

void TORT50EditForm::RouteListDblClick()
{
    const int row = RouteList->currentRow();
    if (row < 0 || row >= kOrtRouteCount)
        return;
    TORT50RouteEditForm editor(board_.RouteAt(row), board_.Cells(), this);
    PlaceDialog(&editor, SubWindowPosition());
    editor.exec();
    FillRouteList();
}

void TORT50EditForm::ToFromBoxClick()
{
    board_.SetToFromNumbering(ToFromBox->isChecked());
    FillRouteList();
}

bool TORT50EditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == CellList || watched == RouteList)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == CellList)
                CellListDblClick();
            else
                RouteListDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TORT50EditForm::done(int result)
{
    FormClose(result == QDialog::Accepted);
    QDialog::done(result);
}

void TORT50EditForm::FormClose(bool ok)
{
    if (!ok)
        return;
    board_.SetName(FromQ(BoardNameEdit->text()));
    board_.SetSerialNumber(SerialNumEdit->value());
    board_.notes = FromQ(NotesEdit->text());
    board_.routeAddress = RouteAddrEdit->value();
    board_.powerUpMode = static_cast<uint8_t>(StoredCode(StartupModeCombo, board_.powerUpMode));
    board_.slaveBlock = static_cast<uint8_t>(StoredCode(SlaveModeCombo, board_.slaveBlock - 1) + 1);
    board_.sensorBoardNumber = SlaveAddrEdit->value();
    board_.slaveAddress = DCCSlaveEdit->value();
    board_.interlockAddress = DCCInterlockEdit->value();
    board_.pointDelay = PointDelayEdit->value();
}

bool EditOrt50Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    auto* ort50 = dynamic_cast<TORT50Board*>(&board);
    if (ort50 == nullptr)
        return false;
    TORT50EditForm editor(*ort50, parent);
    PlaceDialog(&editor, position);
    return editor.exec() == QDialog::Accepted;
}
