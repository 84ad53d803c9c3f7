// Screenshot tour steps for the board numbering window: a discovery of the
// simulated boards, with a second board answering at the VELA40's serial
// number so that the clash marking shows, and a board of another maker that
// keeps its address apart from its serial number.
#include "app/tour/Tourparts.h"

#include "app/boards/Formrenumber.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr uint16_t kTwinSerial = 101;

TRenumberForm* Form(const TTour& tour)
{
    return tour.window->findChild<TRenumberForm*>();
}

QWidget* Frame(const TTour& tour)
{
    TRenumberForm* form = Form(tour);
    return form != nullptr ? FormFrame(form) : nullptr;
}

QMessageBox* OpenNotice(const TTour& tour)
{
    for (QMessageBox* box : tour.window->findChildren<QMessageBox*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

}  // namespace

void AddRenumberTourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    // On the simulated LocoNet the tour may add boards to the bus for a while.
    auto simulating = [tour] { return tour.workbench->LinkState().port == QStringLiteral("sim"); };
    steps.push_back({300, [tour, simulating] {
                         if (simulating()) {
                             TSimBoardSpec twin;
                             twin.type = 2;  // a VELA80 that left the factory with the VELA40's number
                             twin.serial = kTwinSerial;
                             SimulatedLocoNet().Boards().push_back(std::make_unique<TSimBoard>(twin));
                             SimulatedLocoNet().Boards().push_back(
                                 std::make_unique<TSimBoard>(Sv2BoardSpec(4000, 33000, 46, 7, 2)));
                         }
                         tour.Trigger("RenumberBoards1");
                         TRenumberForm* form = Form(tour);
                         if (form == nullptr)
                             return;
                         FormFrame(form)->move(20, 20);
                         FormFrame(form)->resize(820, 460);
                         form->DiscoverButton->click();
                     }});
    steps.push_back({300, [tour] {
                         tour.Save(Frame(tour), QStringLiteral("renumber-discovering.png"));
                     }});
    // Discovery ends 5 s after the last reply.
    steps.push_back({500, [tour, folder] {
                         QElapsedTimer waited;
                         waited.start();
                         while (Form(tour) != nullptr && !Form(tour)->Engine().IsIdle() && waited.elapsed() < 15000)
                             QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                         QCoreApplication::processEvents();
                         if (QMessageBox* box = OpenNotice(tour)) {
                             SaveTourPicture(box, folder, QStringLiteral("renumber-complete.png"));
                             box->accept();
                         }
                         if (TRenumberForm* form = Form(tour))
                             form->BoardList->setCurrentItem(form->BoardList->topLevelItem(2));
                     }});
    steps.push_back({300, [tour, folder, simulating] {
                         SaveTourPicture(Frame(tour), folder, QStringLiteral("renumber.png"));
                         if (TRenumberForm* form = Form(tour))
                             form->CloseButton->click();
                         if (simulating()) {
                             auto& boards = SimulatedLocoNet().Boards();
                             if (!boards.empty() && boards.back()->Spec().address != 0)
                                 boards.pop_back();
                             if (!boards.empty() && boards.back()->Serial() == kTwinSerial && boards.back()->Spec().type == 2)
                                 boards.pop_back();
                         }
                     }});
}
