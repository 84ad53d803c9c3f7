#include "app/boards/pax/Formpax60edit.h"

#include "boards/pax/Tpax60board.h"

namespace {

constexpr int kHelpTopic = 400;

}  // namespace

TPAX60EditForm::TPAX60EditForm(QWidget* parent, TPAX60Board& board)
    : TPAXBoardEditForm(parent, std::make_unique<TPAX60Board>(board), 1, kHelpTopic,
                        QStringLiteral("Edit PAX60 Board Settings")),
      FBoard(board)
{
    setObjectName(QStringLiteral("PAX60EditForm"));
    FillControls();
}

std::unique_ptr<TConfigurableBoard> TPAX60EditForm::CloneBoard(const TPAXBoard& board) const
{
    return std::make_unique<TPAX60Board>(static_cast<const TPAX60Board&>(board));
}

void TPAX60EditForm::accept()
{
    TakeSettings(WorkingCopy());
    FBoard = static_cast<const TPAX60Board&>(Copy());
    QDialog::accept();
}
