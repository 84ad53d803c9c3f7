#include "app/boards/pax/Formtel90edit.h"

#include "app/boards/Editorsupport.h"
#include "boards/pax/Ttel90board.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 800;
constexpr int kDebounceStep = 10;  // [ms]

// A typed time between two steps goes to the nearest step, so that the
// time shown is the time stored.
void SnapToStep(QSpinBox* spin)
{
    const int value = spin->value();
    const int snapped = (value + kDebounceStep / 2) / kDebounceStep * kDebounceStep;
    if (snapped != value)
        spin->setValue(snapped);
}

}  // namespace

TTEL90EditForm::TTEL90EditForm(QWidget* parent, TTEL90Board& board) : QDialog(parent), FBoard(board)
{
    setObjectName(QStringLiteral("TEL90EditForm"));
    setWindowTitle(QStringLiteral("TEL90 Edit"));

    BoardNameEdit = MakeText(this, QStringLiteral("BoardNameEdit"), board.Name());
    BoardNameEdit->setMinimumWidth(BoardNameEdit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);
    SerialNumEdit = MakeSerialSpin(this, QStringLiteral("SerialNumEdit"), 65535, board.SerialNumber());
    NotesEdit = MakeText(this, QStringLiteral("NotesEdit"), board.UserDescription);
    SlaveAddrEdit = MakeSpin(this, QStringLiteral("SlaveAddrEdit"), 1, 255, board.SensorBoardNumber);
    DebounceTimeEdit = MakeSpin(this, QStringLiteral("DebounceTimeEdit"), 10, 2550,
                                board.DeactivateDebounce * kDebounceStep);
    DebounceTimeEdit->setSingleStep(kDebounceStep);
    MemoTEL90 = new QPlainTextEdit(this);
    MemoTEL90->setObjectName(QStringLiteral("MemoTEL90"));
    MemoTEL90->setReadOnly(true);
    MemoTEL90->setFocusPolicy(Qt::NoFocus);
    MemoTEL90->setPlainText(QStringLiteral("NOTE:-\n"
                                           "\n"
                                           "The sensor ACTIVATE debounce time is fixed at 20ms (0.02s).\n"
                                           "\n"
                                           "The DE-ACTIVATE time is 10 to 2550ms (0.01s to 2.55s), \n"
                                           "programmable in 10ms (0.01s) increments. "));
    MemoTEL90->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoTEL90->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoTEL90->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoTEL90->setFixedHeight(MemoTEL90->fontMetrics().height() * 7 + 16);
    MemoTEL90->setMinimumWidth(MemoTEL90->fontMetrics().horizontalAdvance(
                                   QStringLiteral("The DE-ACTIVATE time is 10 to 2550ms (0.01s to 2.55s), ")) +
                               40);
    SvErrorText = new TSvCheckLabel(this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Board Name"), BoardNameEdit);
    form->addRow(QStringLiteral("Serial Number"), SerialNumEdit);
    form->addRow(QStringLiteral("Notes"), NotesEdit);
    form->addRow(QStringLiteral("SENSOR BOARD NUMBER"), SlaveAddrEdit);
    form->addRow(QStringLiteral("DE-ACTIVATE DEBOUNCE TIME (ms)"), DebounceTimeEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MemoTEL90);
    layout->addWidget(SvErrorText);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    connect(DebounceTimeEdit, &QSpinBox::editingFinished, this, [this] { SnapToStep(DebounceTimeEdit); });
    for (QSpinBox* spin : {SerialNumEdit, SlaveAddrEdit, DebounceTimeEdit})
        connect(spin, &QSpinBox::valueChanged, this, &TTEL90EditForm::CheckSettings);
    CheckSettings();
}

void TTEL90EditForm::TakeSettings(TTEL90Board& board) const
{
    board.SetName(FromQ(BoardNameEdit->text()));
    board.SetSerialNumber(SerialNumEdit->value());
    board.UserDescription = FromQ(NotesEdit->text());
    board.SensorBoardNumber = SlaveAddrEdit->value();
    board.DeactivateDebounce = DebounceTimeEdit->value() / kDebounceStep;
}

void TTEL90EditForm::CheckSettings()
{
    // A scratch board: the board itself takes the fields only on OK.
    TTEL90Board scratch(FBoard);
    TakeSettings(scratch);
    SvErrorText->Check(scratch);
}

void TTEL90EditForm::accept()
{
    SnapToStep(DebounceTimeEdit);
    TakeSettings(FBoard);
    QDialog::accept();
}
