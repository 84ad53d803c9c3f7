#include "app/boards/pax/Formpax66edit.h"

#include "app/boards/Editorsupport.h"
#include "boards/pax/Tpax66board.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 400;
// The base address a board leaving individual addressing starts from.
constexpr int32_t kBlockBaseAddress = 45;
constexpr int kOutputCount = 8;

}  // namespace

TPAX66EditForm::TPAX66EditForm(QWidget* parent, TPAX66Board& board)
    : TPAXBoardEditForm(parent, std::make_unique<TPAX66Board>(board), 0, kHelpTopic,
                        QStringLiteral("Edit PAX66 Board Settings")),
      FBoard(board)
{
    setObjectName(QStringLiteral("PAX66EditForm"));
    IndividualAddrsCheck = new QCheckBox(QStringLiteral("Use Individual Addresses"), this);
    IndividualAddrsCheck->setObjectName(QStringLiteral("IndividualAddrsCheck"));
    EditAddrsBtn = new QPushButton(QStringLiteral("Edit Addresses"), this);
    EditAddrsBtn->setObjectName(QStringLiteral("EditAddrsBtn"));
    EditAddrsBtn->setAutoDefault(false);
    EditAddrsBtn->setEnabled(false);
    auto* row = new QHBoxLayout;
    row->addWidget(IndividualAddrsCheck);
    row->addWidget(EditAddrsBtn);
    row->addStretch();
    OtherSettings()->insertRow(1, row);
    QWidget::setTabOrder(DCCBaseAddrEdit, IndividualAddrsCheck);
    QWidget::setTabOrder(IndividualAddrsCheck, EditAddrsBtn);
    QWidget::setTabOrder(EditAddrsBtn, Addr16Check);

    FillControls();
    IndividualAddrsCheck->setChecked(board.IndividualAddressing != 0);
    if (IndividualAddrsCheck->isChecked())
        EnableIndividualAddrs();

    connect(IndividualAddrsCheck, &QCheckBox::clicked, this, &TPAX66EditForm::EnableIndividualAddrs);
    connect(Addr16Check, &QCheckBox::clicked, this, &TPAX66EditForm::Addr16CheckClick);
    connect(EditAddrsBtn, &QPushButton::clicked, this, &TPAX66EditForm::EditAddrsBtnClick);
}

std::unique_ptr<TConfigurableBoard> TPAX66EditForm::CloneBoard(const TPAXBoard& board) const
{
    return std::make_unique<TPAX66Board>(static_cast<const TPAX66Board&>(board));
}

void TPAX66EditForm::EnableIndividualAddrs()
{
    const bool individual = IndividualAddrsCheck->isChecked();
    // Setting the edit sets the copy's base address through its change handler.
    DCCBaseAddrEdit->setValue(individual ? 0 : kBlockBaseAddress);
    WorkingCopy().SetBaseAddress(individual ? 0 : kBlockBaseAddress);
    DCCBaseAddrEdit->setEnabled(!individual);
    EditAddrsBtn->setEnabled(individual);
    CheckSettings();
}

void TPAX66EditForm::Addr16CheckClick()
{
    // The board itself, so that the address window offers the C addresses.
    FBoard.Parts.Occupies16Addresses = Addr16Check->isChecked() ? 1 : 0;
}

void TPAX66EditForm::EditAddrsBtnClick()
{
    TPAX66IndividualAddrsEditForm form(this, FBoard);
    PlaceDialog(&form, window()->pos() + QPoint(30, 30));
    form.exec();
    CheckSettings();
}

void TPAX66EditForm::TakeSettings(TPAXBoard& board) const
{
    TPAXBoardEditForm::TakeSettings(board);
    auto& pax66 = static_cast<TPAX66Board&>(board);
    pax66.IndividualAddressing = IndividualAddrsCheck->isChecked() ? 1 : 0;
    // The addresses live in the board itself while this window is open: the
    // copy's were taken when it opened and may be stale.
    pax66.IndividualAddresses = FBoard.IndividualAddresses;
}

void TPAX66EditForm::accept()
{
    TakeSettings(WorkingCopy());
    FBoard = static_cast<const TPAX66Board&>(Copy());
    QDialog::accept();
}

TPAX66IndividualAddrsEditForm::TPAX66IndividualAddrsEditForm(QWidget* parent, TPAX66Board& board)
    : QDialog(parent), FBoard(board)
{
    setObjectName(QStringLiteral("PAX66IndividualAddrsEditForm"));
    setWindowTitle(QStringLiteral("Edit PAX66 Individual Addresses"));

    auto* thrown = new QFormLayout;
    for (int i = 0; i < kOutputCount; ++i) {
        AddrEdits[i] = MakeSpin(this, QStringLiteral("DCCOP%1TAddrEdit").arg(i + 1), 1,
                                TPAX66Board::kMaxIndividualAddress, board.IndividualAddress(i + 1));
        thrown->addRow(QStringLiteral("Output %1 or %1T Address").arg(i + 1), AddrEdits[i]);
    }
    auto* closed = new QFormLayout;
    closed->addRow(new QLabel(QStringLiteral("(16 Addresses Mode Only)"), this));
    const bool sixteen = board.Parts.Occupies16Addresses != 0;
    for (int i = 0; i < kOutputCount; ++i) {
        QSpinBox* spin = MakeSpin(this, QStringLiteral("DCCOP%1CAddrEdit").arg(i + 1), 1,
                                  TPAX66Board::kMaxIndividualAddress, board.IndividualAddress(kOutputCount + i + 1));
        spin->setEnabled(sixteen);
        AddrEdits[kOutputCount + i] = spin;
        closed->addRow(QStringLiteral("Output %1C Address").arg(i + 1), spin);
    }
    auto* columns = new QHBoxLayout;
    columns->addLayout(thrown);
    columns->addSpacing(20);
    columns->addLayout(closed);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    // The address window has no help topic of its own.
    layout->addWidget(MakeDialogButtons(this, 0));
}

void TPAX66IndividualAddrsEditForm::accept()
{
    for (int i = 0; i < TPAX66Board::kIndividualAddressCount; ++i)
        FBoard.SetIndividualAddress(i + 1, AddrEdits[i]->value());
    QDialog::accept();
}
