// Screenshot tour steps for the board windows: the configuration window with
// a few boards in its lists and the log of a board read from the simulated
// LocoNet and verified, and the settings display of a board.
#include "app/boards/Formdisplayboard.h"
#include "app/boards/Formprogboard.h"
#include "app/shell/Main.h"
#include "app/tour/Tourparts.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>

namespace {

TProgramBoardForm* ConfigureForm(TMainForm& main)
{
    return qobject_cast<TProgramBoardForm*>(main.ProgramBoardForm.data());
}

void AddBoard(TMainForm& main, uint8_t type, int serial, const char* name)
{
    main.BoardData.AppendBoard(type);
    TConfigurableBoard* board = main.BoardData.BoardAt(type, main.BoardData.BoardCount(type) - 1);
    board->SetSerialNumber(serial);
    board->SetName(name);
}

}  // namespace

void AddBoardWindowTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps)
{
    TMainForm* m = &main;
    steps.push_back({300, [m] {
                         // Boards of the simulated LocoNet (serials 101 to 107 in type order) and one not set yet.
                         AddBoard(*m, btORT50, 102, "Station panel");
                         AddBoard(*m, btORT50, 0, "Yard panel");
                         AddBoard(*m, btTEL90, 106, "Hidden sidings");
                         AddBoard(*m, btTEL90, 116, "Goods yard");
                         m->ConfigureBoards1->trigger();
                         TProgramBoardForm* form = ConfigureForm(*m);
                         if (!form)
                             return;
                         form->parentWidget()->move(10, 10);
                         form->BoardTabControl->setCurrentIndex(btTEL90);
                         form->SelectPosition(0);
                         form->DebugCheck->setChecked(true);
                         form->ReadBoardButton->click();
                     }});
    steps.push_back({300, [m, folder] {
                         TProgramBoardForm* form = ConfigureForm(*m);
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
                         // The ORT50's report says the most.
                         form->BoardTabControl->setCurrentIndex(btORT50);
                         form->SelectPosition(0);
                         form->DisplayBoard1->trigger();
                     }});
    steps.push_back({300, [m, folder] {
                         if (TDisplayBoardForm* display = m->findChild<TDisplayBoardForm*>()) {
                             SaveTourPicture(display->parentWidget(), folder, QStringLiteral("board-settings.png"));
                             display->Close1Click();
                         }
                         if (TProgramBoardForm* form = ConfigureForm(*m)) {
                             SaveTourPicture(form->parentWidget(), folder, QStringLiteral("configure-boards-ort50.png"));
                             form->CloseBtn->click();
                         }
                         // The tour's boards are not the operator's: the lists go back to their
                         // files, and no question about them comes at exit.
                         for (uint8_t type : {uint8_t(btORT50), uint8_t(btTEL90)}) {
                             const std::string fileName = m->BoardData.FileNameOf(type);
                             m->BoardData.CloseList(type);
                             if (!fileName.empty())
                                 m->BoardData.LoadList(type, fileName);
                         }
                     }});
}
