// Screenshot tour steps for the layout snapshot window: a backup of the
// simulated boards under way and done, then a verify after one board lost a
// setting.
#include "app/tour/Tourparts.h"

#include "app/boards/Formlayoutsnapshot.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

namespace {

TLayoutSnapshotForm* Form(const TTour& tour)
{
    return tour.window->findChild<TLayoutSnapshotForm*>();
}

QWidget* Frame(const TTour& tour)
{
    TLayoutSnapshotForm* form = Form(tour);
    return form != nullptr ? FormFrame(form) : nullptr;
}

// Lets the run go on until it ends (at most limitMs).
void WaitForRun(const TTour& tour, int limitMs)
{
    QElapsedTimer waited;
    waited.start();
    while (Form(tour) != nullptr && Form(tour)->Engine().IsRunning() && waited.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
}

}  // namespace

void AddLayoutTourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    auto simulating = [tour] { return tour.workbench->LinkState().port == QStringLiteral("sim"); };
    steps.push_back({300, [tour, folder] {
                         tour.Trigger("LayoutSnapshot1");
                         TLayoutSnapshotForm* form = Form(tour);
                         if (form == nullptr)
                             return;
                         FormFrame(form)->move(20, 20);
                         FormFrame(form)->resize(900, 480);
                         form->FolderEdit->setText(folder + QStringLiteral("/snapshots"));
                         form->BackupButton->click();
                     }});
    // Discovery ends 5 s after the last reply; then the boards are read.
    steps.push_back({9000, [tour] { tour.Save(Frame(tour), QStringLiteral("layout-snapshot-reading.png")); }});
    steps.push_back({300, [tour, simulating] {
                         WaitForRun(tour, 90000);
                         tour.Save(Frame(tour), QStringLiteral("layout-snapshot.png"));
                         TLayoutSnapshotForm* form = Form(tour);
                         if (form == nullptr || !simulating())
                             return;
                         // The ORT50 at 102 loses a setting.
                         if (TSimBoard* board = SimulatedLocoNet().FindBoard(102))
                             board->SetSv(9, static_cast<uint8_t>(board->Sv(9) ^ 0x05));
                         form->VerifySnapshot(QString::fromStdString(form->Engine().Folder()));
                     }});
    steps.push_back({300, [tour] {
                         WaitForRun(tour, 90000);
                         tour.Save(Frame(tour), QStringLiteral("layout-snapshot-verify.png"));
                         if (TLayoutSnapshotForm* form = Form(tour))
                             form->CloseButton->click();
                     }});
}
