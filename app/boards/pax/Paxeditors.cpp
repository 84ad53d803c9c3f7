#include "app/boards/pax/Paxeditors.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/pax/Formpax60edit.h"
#include "app/boards/pax/Formpax66edit.h"
#include "app/boards/pax/Formtel90edit.h"
#include "boards/pax/Tpax60board.h"
#include "boards/pax/Tpax66board.h"
#include "boards/pax/Ttel90board.h"

namespace {

template <typename Form, typename Board>
bool EditAs(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    auto* model = dynamic_cast<Board*>(&board);
    if (model == nullptr)
        return false;
    Form form(parent, *model);
    PlaceDialog(&form, position);
    return form.exec() == QDialog::Accepted;
}

}  // namespace

bool EditPAX60Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    return EditAs<TPAX60EditForm, TPAX60Board>(parent, position, board);
}

bool EditTEL90Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    return EditAs<TTEL90EditForm, TTEL90Board>(parent, position, board);
}

bool EditPAX66Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    return EditAs<TPAX66EditForm, TPAX66Board>(parent, position, board);
}
