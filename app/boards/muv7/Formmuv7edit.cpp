#include "app/boards/muv7/Formmuv7edit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/muv7/Formmuv7sequenceedit.h"
#include "boards/muv7/Tmuv7board.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int kHelpTopic = 700;

// The sensor configuration codes 0 to 4 as the editor names them.
const std::vector<std::string> kSensorItems = {"not used", "sensors 1-4", "sensors 5-8", "sensors 9-12",
                                               "sensors 13-16"};

}  // namespace

TMUV7EditForm::TMUV7EditForm(TMUV7Board& board, QWidget* parent) : QDialog(parent), board_(board)
{
    setObjectName(QStringLiteral("TMUV7EditForm"));
    setWindowTitle(QStringLiteral("Edit MUV7 Pendulo Settings"));

    auto* fields = new QFormLayout;
    BoardNameEdit = MakeText(this, QStringLiteral("BoardNameEdit"), board.Name());
    fields->addRow(QStringLiteral("Board Name:"), BoardNameEdit);
    SerialNumEdit = MakeSerialSpin(this, QStringLiteral("SerialNumEdit"), 65535);
    fields->addRow(QStringLiteral("Serial Number:"), SerialNumEdit);
    DescriptionEdit = MakeText(this, QStringLiteral("DescriptionEdit"), board.description);
    DescriptionEdit->setMinimumWidth(320);
    fields->addRow(QStringLiteral("User Notes"), DescriptionEdit);

    auto* sequenceBox = new QGroupBox(QStringLiteral("Sequence Definitions"), this);
    SequenceList = new QListWidget(sequenceBox);
    SequenceList->setObjectName(QStringLiteral("SequenceList"));
    SequenceList->setToolTip(QStringLiteral("Double-click a sequence to edit its steps"));
    SequenceList->setFixedHeight(SequenceList->fontMetrics().height() * 4 + 16);
    auto* sequenceLayout = new QVBoxLayout(sequenceBox);
    sequenceLayout->addWidget(SequenceList);

    auto* sensorBox = new QGroupBox(QStringLiteral("Sensor Input settings"), this);
    SensorCombo = MakeCombo(sensorBox, QStringLiteral("SensorCombo"), kSensorItems);
    SensorBoardSpin = MakeSpin(sensorBox, QStringLiteral("SensorBoardSpin"), 0, 255, 10);
    auto* sensorLayout = new QFormLayout(sensorBox);
    sensorLayout->addRow(SensorCombo);
    sensorLayout->addRow(QStringLiteral("Sensor Board Number"), SensorBoardSpin);

    SvCheck = new TSvCheckLabel(this);
    auto* buttons = MakeDialogButtons(this, kHelpTopic);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(sequenceBox);
    layout->addWidget(sensorBox);
    layout->addWidget(SvCheck);
    layout->addWidget(buttons);

    connect(SequenceList, &QListWidget::itemDoubleClicked, this, [this] { SequenceListDblClick(); });
    connect(SensorCombo, &QComboBox::currentIndexChanged, this, [this] { UpdateSvCheck(); });
    connect(SensorBoardSpin, &QSpinBox::valueChanged, this, [this] { UpdateSvCheck(); });
    connect(SerialNumEdit, &QSpinBox::valueChanged, this, [this] { UpdateSvCheck(); });
}

void TMUV7EditForm::showEvent(QShowEvent* event)
{
    // Once: shown again (restored from minimised) it keeps what was typed.
    if (!std::exchange(loaded_, true))
        FormShow();
    QDialog::showEvent(event);
}

void TMUV7EditForm::FormShow()
{
    BoardNameEdit->setText(ToQ(board_.Name()));
    SerialNumEdit->setValue(board_.SerialNumber());
    DescriptionEdit->setText(ToQ(board_.description));
    ShowCode(SensorCombo, board_.SensorConfig().sensorConfig);
    SensorBoardSpin->setValue(board_.SensorConfig().sensorBoardNumber);
    FillSequenceList();
    UpdateSvCheck();
}

void TMUV7EditForm::FillSequenceList()
{
    const int row = SequenceList->currentRow();
    SequenceList->clear();
    for (int i = 0; i < kMuv7SequenceCount; ++i)
        SequenceList->addItem(ToQ(board_.SequenceAt(i).ListText()));
    if (row >= 0)
        SequenceList->setCurrentRow(row);
}

void TMUV7EditForm::StoreControls(TMUV7Board& board) const
{
    board.SetName(FromQ(BoardNameEdit->text()));
    board.SetSerialNumber(SerialNumEdit->value());
    board.description = FromQ(DescriptionEdit->text());
    board.SensorConfig().sensorBoardNumber = SensorBoardSpin->value();
    board.SensorConfig().sensorConfig =
        static_cast<uint8_t>(StoredCode(SensorCombo, board_.SensorConfig().sensorConfig));
}

void TMUV7EditForm::UpdateSvCheck()
{
    // Checked on a copy: the board keeps its values until OK.
    TMUV7Board trial(board_);
    StoreControls(trial);
    SvCheck->Check(trial);
}

void TMUV7EditForm::SequenceListDblClick()
{
    const int row = SequenceList->currentRow();
    if (row < 0 || row >= kMuv7SequenceCount)
        return;
    OpenMUV7SequenceEditor(this, board_.SequenceAt(row));
    FillSequenceList();
    UpdateSvCheck();
}

void TMUV7EditForm::FormClose(bool ok)
{
    if (ok)
        StoreControls(board_);
}

void TMUV7EditForm::done(int result)
{
    FormClose(result == QDialog::Accepted);
    QDialog::done(result);
}

bool EditMUV7Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    auto* muv7 = dynamic_cast<TMUV7Board*>(&board);
    if (muv7 == nullptr)
        return false;
    TMUV7EditForm form(*muv7, parent);
    PlaceDialog(&form, position);
    return form.exec() == QDialog::Accepted;
}
