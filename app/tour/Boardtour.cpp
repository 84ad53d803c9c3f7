// Screenshot tour steps for the board windows: the configuration window with
// a few boards in its lists and the log of a board read from the simulated
// LocoNet and verified, that board compared with another, the settings
// display of a board, and a board file opened from outside (as from the
// command line or a drop).
#include "app/boards/Formcompareboards.h"
#include "app/boards/Formdisplayboard.h"
#include "app/boards/Formprogboard.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "app/tour/Tourparts.h"
#include "boards/core/Boarddata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

#include <memory>

namespace {

TProgramBoardForm* ConfigureForm(const TTour& tour)
{
    return tour.window->findChild<TProgramBoardForm*>();
}

void AddBoard(TBoardData& lists, uint8_t type, int serial, const char* name)
{
    lists.AppendBoard(type);
    TConfigurableBoard* board = lists.BoardAt(type, lists.BoardCount(type) - 1);
    board->SetSerialNumber(serial);
    board->SetName(name);
}

}  // namespace

void AddBoardWindowTourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    steps.push_back({300, [tour] {
                         // Boards of the simulated LocoNet (serials 101 to 107 in type order) and one not set yet.
                         TBoardData& lists = tour.workbench->BoardData();
                         AddBoard(lists, btORT50, 102, "Station panel");
                         AddBoard(lists, btORT50, 0, "Yard panel");
                         AddBoard(lists, btTEL90, 106, "Hidden sidings");
                         AddBoard(lists, btTEL90, 116, "Goods yard");
                         tour.Trigger("ConfigureBoards1");
                         TProgramBoardForm* form = ConfigureForm(tour);
                         if (!form)
                             return;
                         form->parentWidget()->move(10, 10);
                         form->BoardTabControl->setCurrentIndex(btTEL90);
                         form->SelectPosition(0);
                         form->DebugCheck->setChecked(true);
                         form->ReadBoardButton->click();
                     }});
    steps.push_back({300, [tour, folder] {
                         TProgramBoardForm* form = ConfigureForm(tour);
                         if (!form)
                             return;
                         QElapsedTimer waited;
                         waited.start();
                         while (form->Busy() && waited.elapsed() < 20000)
                             QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                         SaveTourPicture(form->parentWidget(), folder, QStringLiteral("configure-boards.png"));
                         // The board just read matches its configuration: what a verify says then.
                         form->DebugCheck->setChecked(false);
                         form->VerifyButton->click();
                         waited.restart();
                         while (form->Busy() && waited.elapsed() < 20000)
                             QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                         SaveTourPicture(form->parentWidget(), folder, QStringLiteral("configure-boards-verify.png"));
                         // The board just verified side by side with the list's other TEL90.
                         form->Compare1->trigger();
                         if (TCompareBoardsForm* compare = tour.window->findChild<TCompareBoardsForm*>()) {
                             compare->OtherBox->setCurrentIndex(compare->OtherBox->count() - 1);
                             compare->NextDifference();
                             QCoreApplication::processEvents();
                             SaveTourPicture(compare->parentWidget(), folder, QStringLiteral("compare-boards.png"));
                             compare->OnlyDifferencesBox->setChecked(true);
                             QCoreApplication::processEvents();
                             SaveTourPicture(compare->parentWidget(), folder,
                                             QStringLiteral("compare-boards-differences.png"));
                             CloseFormWindow(compare);
                         }
                         // The ORT50's report says the most.
                         form->BoardTabControl->setCurrentIndex(btORT50);
                         form->SelectPosition(0);
                         form->DisplayBoard1->trigger();
                     }});
    steps.push_back({300, [tour, folder] {
                         if (TDisplayBoardForm* display = tour.window->findChild<TDisplayBoardForm*>()) {
                             SaveTourPicture(display->parentWidget(), folder, QStringLiteral("board-settings.png"));
                             display->Close1Click();
                         }
                         if (TProgramBoardForm* form = ConfigureForm(tour)) {
                             SaveTourPicture(form->parentWidget(), folder, QStringLiteral("configure-boards-ort50.png"));
                             form->CloseBtn->click();
                         }
                         // The tour's boards are not the operator's: the lists go back to their
                         // files, and no question about them comes at exit.
                         TBoardData& lists = tour.workbench->BoardData();
                         for (uint8_t type : {uint8_t(btORT50), uint8_t(btTEL90)}) {
                             const std::string fileName = lists.FileNameOf(type);
                             lists.CloseList(type);
                             if (!fileName.empty())
                                 lists.LoadList(type, fileName);
                         }
                     }});
    steps.push_back({300, [tour, folder] {
                         TBoardData& lists = tour.workbench->BoardData();
                         const std::string kept = lists.FileNameOf(btPAX60);
                         const QTemporaryDir dir;
                         const QString path = QDir(dir.path()).filePath(QStringLiteral("pax60.csv"));
                         TBoardData made;
                         AddBoard(made, btPAX60, 105, "Station throat");
                         AddBoard(made, btPAX60, 115, "North yard points");
                         AddBoard(made, btPAX60, 125, "Goods shed");
                         if (!made.SaveListAs(btPAX60, path.toStdString()))
                             return;
                         QMetaObject::invokeMethod(tour.window, "OpenBoardFiles", Q_ARG(QStringList, QStringList{path}));
                         if (TProgramBoardForm* form = ConfigureForm(tour)) {
                             form->parentWidget()->move(10, 10);
                             SaveTourPicture(tour.window, folder, QStringLiteral("configure-boards-opened-file.png"));
                             form->CloseBtn->click();
                         }
                         // The operator's own list comes back, and its file stays the one stored.
                         lists.CloseList(btPAX60);
                         if (!kept.empty())
                             lists.LoadList(btPAX60, kept);
                     }});
}
