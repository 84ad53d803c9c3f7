// Screenshot tour steps for the ORT50 editors: the board editor on a sample
// board with a route that does not fit (so its warning shows), then a point
// cell's and a cascading route's editors.
#include "app/tour/Tourparts.h"

#include "app/boards/ort50/Formort50celledit.h"
#include "app/boards/ort50/Formort50edit.h"
#include "app/boards/ort50/Formort50routeedit.h"
#include "boards/ort50/Tort50board.h"

#include <memory>

namespace {

std::shared_ptr<TORT50Board> SampleBoard()
{
    auto board = std::make_shared<TORT50Board>();
    board->SetName("Station panel");
    board->SetSerialNumber(301);
    board->notes = "Up and down main";
    TORT50Cell& points = board->CellAt(0);
    points.description = "Station throat";
    points.type = kOrtCellPoint;
    points.address = 12;
    points.actionA = 1;
    points.interlockToken = 2;
    points.usesTurnoutFeedback = true;
    TORT50Cell& sensor = board->CellAt(1);
    sensor.description = "Platform 1";
    sensor.type = kOrtCellSensor;
    sensor.address = 3;
    sensor.sensorNumber = 5;
    TORT50Cell& signal = board->CellAt(2);
    signal.description = "Down home";
    signal.type = kOrtCellVelaSignal;
    signal.address = 240;
    signal.actionA = kOrtActionExecuteRoute;
    signal.routeA = 2;
    board->RouteAt(0).SetEntries({{12, kOrtStateThrown}, {700, kOrtStateClosed}});
    board->RouteAt(0).cascade = true;
    board->RouteAt(0).cascadeRoute = 2;
    board->RouteAt(1).SetEntries({{12, kOrtStateClosed}, {41, kOrtStateThrown}, {42, kOrtStateClosed}});
    std::vector<std::pair<int32_t, uint8_t>> tooMany;
    for (int32_t point = 500; point < 507; ++point)
        tooMany.emplace_back(point, kOrtStateClosed);
    board->RouteAt(4).SetEntries(tooMany);
    return board;
}

}  // namespace

void AddOrt50TourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    steps.push_back({300, [folder] {
                         auto board = SampleBoard();
                         TORT50EditForm editor(*board);
                         editor.show();
                         SaveTourPicture(&editor, folder, QStringLiteral("ort50-board-editor.png"));
                         editor.close();
                     }});
    steps.push_back({300, [folder] {
                         auto board = SampleBoard();
                         TORT50CellEditForm editor(board->Cells(), 0);
                         editor.show();
                         SaveTourPicture(&editor, folder, QStringLiteral("ort50-cell-editor.png"));
                         editor.close();
                     }});
    steps.push_back({300, [folder] {
                         auto board = SampleBoard();
                         TORT50RouteEditForm editor(board->RouteAt(0), board->Cells());
                         editor.show();
                         SaveTourPicture(&editor, folder, QStringLiteral("ort50-route-editor.png"));
                         editor.close();
                     }});
    steps.push_back({300, [folder] {
                         auto board = SampleBoard();
                         TORT50RouteEditForm editor(board->RouteAt(4), board->Cells());
                         editor.show();
                         SaveTourPicture(&editor, folder, QStringLiteral("ort50-route-editor-too-many.png"));
                         editor.close();
                     }});
}
