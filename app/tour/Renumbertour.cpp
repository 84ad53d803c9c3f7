// Screenshot tour steps for the board numbering window: a discovery of the
// simulated boards, with a second board answering at the VELA40's serial
// number so that the clash marking shows, and a board of another maker that
// keeps its address apart from its serial number.
#include "app/tour/Tourparts.h"

#include "app/boards/Formrenumber.h"
#include "app/common/Formsupport.h"
#include "app/shell/Main.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr uint16_t kTwinSerial = 101;

TRenumberForm* Form(TMainForm& main)
{
    return qobject_cast<TRenumberForm*>(main.RenumberForm.data());
}

QWidget* Frame(TMainForm& main)
{
    TRenumberForm* form = Form(main);
    return form != nullptr ? FormFrame(form) : nullptr;
}

QMessageBox* OpenNotice(TMainForm& main)
{
    for (QMessageBox* box : main.findChildren<QMessageBox*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

}  // namespace

void AddRenumberTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps)
{
    TMainForm* m = &main;
    steps.push_back({300, [m] {
                         if (m->Simulating()) {
                             TSimBoardSpec twin;
                             twin.type = 2;  // a VELA80 that left the factory with the VELA40's number
                             twin.serial = kTwinSerial;
                             SimulatedLocoNet().Boards().push_back(std::make_unique<TSimBoard>(twin));
                             SimulatedLocoNet().Boards().push_back(
                                 std::make_unique<TSimBoard>(Sv2BoardSpec(4000, 33000, 46, 7, 2)));
                         }
                         m->RenumberBoards1->trigger();
                         TRenumberForm* form = Form(*m);
                         if (form == nullptr)
                             return;
                         FormFrame(form)->move(20, 20);
                         FormFrame(form)->resize(820, 460);
                         form->DiscoverButton->click();
                     }});
    steps.push_back({300, [m, folder] {
                         SaveTourPicture(Frame(*m), folder, QStringLiteral("renumber-discovering.png"));
                     }});
    // Discovery ends 5 s after the last reply.
    steps.push_back({500, [m, folder] {
                         QElapsedTimer waited;
                         waited.start();
                         while (Form(*m) != nullptr && !Form(*m)->Engine().IsIdle() && waited.elapsed() < 15000)
                             QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                         QCoreApplication::processEvents();
                         if (QMessageBox* box = OpenNotice(*m)) {
                             SaveTourPicture(box, folder, QStringLiteral("renumber-complete.png"));
                             box->accept();
                         }
                         if (TRenumberForm* form = Form(*m))
                             form->BoardList->setCurrentItem(form->BoardList->topLevelItem(2));
                     }});
    steps.push_back({300, [m, folder] {
                         SaveTourPicture(Frame(*m), folder, QStringLiteral("renumber.png"));
                         if (TRenumberForm* form = Form(*m))
                             form->CloseButton->click();
                         if (m->Simulating()) {
                             auto& boards = SimulatedLocoNet().Boards();
                             if (!boards.empty() && boards.back()->Spec().address != 0)
                                 boards.pop_back();
                             if (!boards.empty() && boards.back()->Serial() == kTwinSerial && boards.back()->Spec().type == 2)
                                 boards.pop_back();
                         }
                     }});
}
