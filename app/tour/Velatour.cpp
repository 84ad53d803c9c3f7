// Screenshot tour steps for the VELA40 and VELA80 editors.
#include "app/tour/Tourparts.h"

#include "app/boards/vela/Formeditconditions.h"
#include "app/boards/vela/Formsignaledit.h"
#include "app/boards/vela/Formvela40edit.h"
#include "app/boards/vela/Formvela80edit.h"
#include "app/boards/vela/Formzoneedit.h"
#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>

#include <memory>

namespace {

// A VELA40 as a modeller might have it: a block signal and a diverging junction
// signal with conditions, and a reverse running zone.
std::shared_ptr<TVELA40Board> SampleVela40()
{
    auto board = std::make_shared<TVELA40Board>();
    board->SetName("Station throat");
    board->SetSerialNumber(1201);
    board->SetSignalBaseAddress(300);
    board->SetDescription("Up and down main at the station");
    TSignal& block = board->Signal(0);
    block.SetName("Up home");
    block.SetNextSignal(301);
    block.BlockSet().SetCondition(0, TCondition::Sensor(12, 3, 0, true));
    block.BlockSet().SetCondition(1, TCondition::Point(44, 1, false));
    block.RedSet().SetCondition(0, TCondition::Signal(510, 0, false));
    block.RedSet().SetCondition(1, TCondition::RevZone(5, false));
    TSignal& junction = board->Signal(1);
    junction.SetName("Branch junction");
    junction.SetType(eSignalDiverging);
    junction.SetJunctionPoint(44);
    junction.SetNextSignal(302);
    junction.SetNextSignalThrown(520);
    junction.SetNextModeThrown(eNextVirtual);
    junction.BlockThrownSet()->SetCondition(0, TCondition::Sensor(12, 5, 0, false));
    junction.IsolationSet().SetCondition(0, TCondition::Point(45, 0, false));
    TRevRunZone& zone = board->Zone(0);
    zone.SetName("Loop");
    zone.WestEastSet().SetCondition(0, TCondition::Point(60, 0, true));
    zone.WestEastSet().SetCondition(1, TCondition::Sensor(13, 1, 0, false));
    zone.ShuntSet().SetCondition(0, TCondition::Sensor(13, 2, 1, false));
    return board;
}

// A VELA80 whose junction signals call up more external signals than the
// board can hold, so its editor shows why it cannot be programmed.
std::shared_ptr<TVELA80Board> OverfullVela80()
{
    auto board = std::make_shared<TVELA80Board>();
    board->SetSerialNumber(1202);
    for (int i = 0; i < TSignal::kSignalsPerBoard; ++i) {
        TSignal& signal = board->Signal(i);
        signal.SetType(eSignalDiverging);
        signal.SetJunctionPoint(100 + i);
        signal.SetNextSignal(500 + i);
        signal.SetNextSignalThrown(600 + i);
    }
    return board;
}

void ShowAndSave(QDialog* dialog, const QString& folder, const QString& name)
{
    dialog->show();
    dialog->adjustSize();
    SaveTourPicture(dialog, folder, name);
    dialog->close();
    delete dialog;
}

}  // namespace

void AddVelaTourSteps(const TTour& tour, TTourSteps& steps)
{
    const QString folder = tour.folder;
    auto vela40 = SampleVela40();
    auto vela80 = OverfullVela80();
    steps.push_back({300, [vela40, folder] {
                         ShowAndSave(new TVela40EditForm(*vela40), folder, QStringLiteral("vela40-editor.png"));
                     }});
    steps.push_back({300, [vela80, folder] {
                         ShowAndSave(new TVela80EditForm(*vela80), folder, QStringLiteral("vela80-editor.png"));
                     }});
    steps.push_back({300, [vela40, folder] {
                         ShowAndSave(new TSignalEditForm(vela40->Signal(0)), folder,
                                     QStringLiteral("vela-signal-block.png"));
                     }});
    steps.push_back({300, [vela40, folder] {
                         ShowAndSave(new TSignalEditForm(vela40->Signal(1)), folder,
                                     QStringLiteral("vela-signal-diverging.png"));
                     }});
    // Once the type has changed, the window says why Cancel is gone.
    auto retyped = SampleVela40();
    steps.push_back({300, [retyped, folder] {
                         auto* form = new TSignalEditForm(retyped->Signal(0));
                         form->show();
                         form->SigTypeCombo->setCurrentIndex(0);  // the block signal becomes a junction signal
                         ShowAndSave(form, folder, QStringLiteral("vela-signal-type-changed.png"));
                     }});
    steps.push_back({300, [vela40, folder] {
                         ShowAndSave(new TRevZoneEditForm(vela40->Zone(0)), folder, QStringLiteral("vela-zone.png"));
                     }});
    steps.push_back({300, [vela40, folder] {
                         auto* form = new TEditConditionsForm(vela40->Signal(0).BlockSet());
                         form->show();
                         form->ConditionList->setCurrentRow(0);
                         SaveTourPicture(form, folder, QStringLiteral("vela-conditions.png"));
                         form->reject();
                         delete form;
                     }});
}
