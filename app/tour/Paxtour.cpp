// Screenshot tour steps for the PAX60, PAX66 and TEL90 editors.
#include "app/tour/Tourparts.h"

#include "app/boards/pax/Formpax60celledit.h"
#include "app/boards/pax/Formpax60conditions.h"
#include "app/boards/pax/Formpax60edit.h"
#include "app/boards/pax/Formpax60inputedit.h"
#include "app/boards/pax/Formpax60routeedit.h"
#include "app/boards/pax/Formpax66edit.h"
#include "app/boards/pax/Formtel90edit.h"
#include "boards/pax/Tpax60board.h"
#include "boards/pax/Tpax66board.h"
#include "boards/pax/Ttel90board.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace {

// A PAX60 at a junction: two points, a signal lamp pair and a route.
void FillSampleBoard(TPAXBoard& board)
{
    board.SetName("Harbour junction");
    board.SetSerialNumber(1207);
    board.Parts.UserDescription = "Harbour fan, east end";
    board.SetBaseAddress(101);
    board.Parts.OutputMemoryLocation = 3;
    TPAX60Cell& point = board.OutputCell(0);
    point.Description = "Harbour entry point";
    point.CellType = 1;
    point.MessageType = 2;
    point.ThrownConditions.At(0) = TPAX60Condition::Sensor(16, 3, 0, true);
    point.ThrownConditions.At(1) = TPAX60Condition::Point(205, 1, false);
    point.ClosedConditions.At(0) = TPAX60Condition::Signal(12, 1, false);
    TPAX60Cell& lamps = board.OutputCell(1);
    lamps.Description = "Crossing lights";
    lamps.CellType = 5;
    lamps.Rate = 4;
    lamps.Brightness = 1;
    board.InputCell(0).InputType = 5;
    board.InputCell(0).MessageType = 1;
    TPAX60Route& route = board.Route(0);
    route.SetEntry(0, 101, kPax60RouteThrown);
    route.SetEntry(1, 102, kPax60RouteClosed);
    route.SetEntry(2, 310, kPax60RouteThrown);
    route.TriggerConditions.At(0) = TPAX60Condition::Sensor(16, 5, 0, false);
}

using TMakeWindow = std::function<QDialog*()>;

void AddWindowStep(TTourSteps& steps, const QString& folder, const QString& name, TMakeWindow make)
{
    steps.push_back({300, [folder, name, make] {
                         QDialog* window = make();
                         window->setAttribute(Qt::WA_DeleteOnClose);
                         window->show();
                         window->adjustSize();
                         window->move(20, 20);
                         window->grab();  // lays the window out before the picture is taken
                         SaveTourPicture(window, folder, name);
                         window->close();
                     }});
}

}  // namespace

void AddPaxTourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    auto pax60 = std::make_shared<TPAX60Board>();
    FillSampleBoard(*pax60);
    auto pax66 = std::make_shared<TPAX66Board>();
    FillSampleBoard(*pax66);
    pax66->SetName("Goods yard");
    pax66->IndividualAddressing = 1;
    pax66->Parts.Occupies16Addresses = 1;
    auto tel90 = std::make_shared<TTEL90Board>();
    tel90->SetSerialNumber(3301);
    tel90->SensorBoardNumber = 16;
    tel90->UserDescription = "Harbour fan detectors";

    AddWindowStep(steps, folder, QStringLiteral("pax60-edit.png"),
                  [pax60] { return new TPAX60EditForm(nullptr, *pax60); });
    AddWindowStep(steps, folder, QStringLiteral("pax60-output-cell.png"),
                  [pax60] { return new TPAX60OutputCellEditForm(nullptr, pax60->OutputCell(0)); });
    AddWindowStep(steps, folder, QStringLiteral("pax60-lamp-cell.png"),
                  [pax60] { return new TPAX60OutputCellEditForm(nullptr, pax60->OutputCell(1)); });
    AddWindowStep(steps, folder, QStringLiteral("pax60-input-cell.png"),
                  [pax60] { return new TPAX60InputCellEditForm(nullptr, pax60->InputCell(0)); });
    AddWindowStep(steps, folder, QStringLiteral("pax60-route.png"),
                  [pax60] { return new TPAX60RouteEditForm(nullptr, pax60->Route(0)); });
    // Seven points of other decoders: more than a route's bytes hold.
    auto longRoute = std::make_shared<TPAX60Board>();
    longRoute->SetBaseAddress(1);
    for (int i = 0; i < 7; ++i)
        longRoute->Route(0).SetEntry(i, 500 + i, kPax60RouteClosed);
    AddWindowStep(steps, folder, QStringLiteral("pax60-route-too-long.png"),
                  [longRoute] { return new TPAX60RouteEditForm(nullptr, longRoute->Route(0)); });
    AddWindowStep(steps, folder, QStringLiteral("pax60-conditions.png"), [pax60] {
        return new TPAX60EditConditionsForm(nullptr, pax60->OutputCell(0).ThrownConditions);
    });
    AddWindowStep(steps, folder, QStringLiteral("pax66-edit.png"),
                  [pax66] { return new TPAX66EditForm(nullptr, *pax66); });
    AddWindowStep(steps, folder, QStringLiteral("pax66-addresses.png"),
                  [pax66] { return new TPAX66IndividualAddrsEditForm(nullptr, *pax66); });
    AddWindowStep(steps, folder, QStringLiteral("tel90-edit.png"),
                  [tel90] { return new TTEL90EditForm(nullptr, *tel90); });
}
