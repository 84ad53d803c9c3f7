// Screenshot tour steps for the MUV7 editors and wizard.
#include "app/tour/Tourparts.h"

#include "app/boards/muv7/Formmuv7edit.h"
#include "app/boards/muv7/Formmuv7sequenceedit.h"
#include "app/boards/muv7/Formmuv7wizard.h"
#include "boards/muv7/Tmuv7board.h"

#include <QListWidget>
#include <QMainWindow>
#include <QTabWidget>

#include <memory>

namespace {

// A board as a modeller would set one up: a shuttle, a station stop and a
// sequence typed by hand.
std::shared_ptr<TMUV7Board> SampleBoard()
{
    auto board = std::make_shared<TMUV7Board>();
    board->SetName("Branch line shuttle");
    board->SetSerialNumber(712);
    board->description = "Fiddle yard to Highbury";
    board->SensorConfig().sensorConfig = 2;
    board->SensorConfig().sensorBoardNumber = 12;
    board->SequenceAt(0).MakeShuttle(10, 1, 30, 10, 2, 45, 3);
    board->SequenceAt(1).MakeStationStop(11, 4, 20, 2, 2);
    TMUV7Sequence& manual = board->SequenceAt(2);
    manual.name = "Goods yard";
    TMUV7SequenceStep& step = manual.StepAt(0);
    step.trigger = kMuv7TriggerPointThrown;
    step.triggerPoint = 301;
    step.action = kMuv7ActionFunction;
    step.function = 2;
    step.functionTime = 3;
    manual.activeSteps = 1;
    return board;
}

}  // namespace

void AddMuv7TourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    auto board = SampleBoard();
    auto edit = std::make_shared<std::unique_ptr<TMUV7EditForm>>();
    auto sequence = std::make_shared<std::unique_ptr<TMUV7SequenceEditForm>>();
    auto wizard = std::make_shared<std::unique_ptr<TTMUV7Wizard>>();
    QWidget* owner = tour.window;

    steps.push_back({300, [owner, board, edit] {
                         *edit = std::make_unique<TMUV7EditForm>(*board, owner);
                         (*edit)->SequenceList->setCurrentRow(0);
                         (*edit)->show();
                     }});
    steps.push_back({300, [folder, board, edit, sequence] {
                         SaveTourPicture(edit->get(), folder, QStringLiteral("muv7-edit.png"));
                         *sequence = std::make_unique<TMUV7SequenceEditForm>(board->SequenceAt(0), edit->get());
                         (*sequence)->show();
                         (*sequence)->StepList->setCurrentRow(0);
                     }});
    steps.push_back({300, [folder, board, sequence, wizard] {
                         SaveTourPicture(sequence->get(), folder, QStringLiteral("muv7-sequence-edit.png"));
                         // Never closed with OK, so the sequence it is given stays as it is.
                         *wizard = std::make_unique<TTMUV7Wizard>(board->SequenceAt(3), sequence->get());
                         (*wizard)->show();
                         (*wizard)->GenerateSStopBtnClick();
                     }});
    steps.push_back({300, [folder, wizard] {
                         SaveTourPicture(wizard->get(), folder, QStringLiteral("muv7-wizard-station-stop.png"));
                         (*wizard)->PageControl->setCurrentIndex(1);
                         (*wizard)->GenerateShuttleBtnClick();
                     }});
    steps.push_back({300, [folder, edit, sequence, wizard] {
                         SaveTourPicture(wizard->get(), folder, QStringLiteral("muv7-wizard-shuttle.png"));
                         // Closed without OK: the sample board stays as it was.
                         wizard->reset();
                         sequence->reset();
                         edit->reset();
                     }});
}
