// The VELA40 and VELA80 editors: boards built through the windows by keys and
// clicks against the same boards built through the models, what OK and Cancel
// keep, the condition editor's loading and list edits, and the live check.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Formeditconditions.h"
#include "app/boards/vela/Formsignaledit.h"
#include "app/boards/vela/Formvela40edit.h"
#include "app/boards/vela/Formvela80edit.h"
#include "app/boards/vela/Formzoneedit.h"
#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <sstream>

namespace {

std::string FileText(TConfigurableBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

// The first line that differs, so a failure says what the windows stored wrongly.
QString FirstDifference(const std::string& actual, const std::string& expected)
{
    std::istringstream a(actual), e(expected);
    std::string la, le;
    while (true) {
        const bool moreA = bool(std::getline(a, la));
        const bool moreE = bool(std::getline(e, le));
        if (!moreA && !moreE)
            return {};
        if (la != le || moreA != moreE)
            return QString::fromStdString("stored:   " + la + "\nexpected: " + le);
    }
}

void TypeText(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

// Types into a spin edit and leaves it, as Tab would.
void TypeSpin(QSpinBox* spin, const QString& text)
{
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(spin, &leave);
}

void PickItem(QComboBox* combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void Toggle(QCheckBox* check)
{
    QTest::keyClick(check, Qt::Key_Space);
}

void ClickRow(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void DoubleClickRow(QTreeWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// Runs act on the next modal window of type T once it is open (the code that
// opens it blocks in its own event loop until act closes it).
template <class T>
void WhenOpen(std::function<void(T*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto* form = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            if (form->isVisible()) {
                act(form);
                // The poll holds itself to reschedule; let go once done.
                *poll = nullptr;
                return;
            }
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

QStringList Rows(const QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

}  // namespace

class TVelaEditorsTest : public QObject {
    Q_OBJECT

private slots:
    void vela40BuiltThroughTheWindows();
    void vela80BuiltThroughTheWindows();
    void editorTableOpensTheModels();
    void boardEditorCancelKeepsTheBoardButNotTheChildEdits();
    void signalEditorCancelAndTypeChange();
    void conditionEditorLoadsAndMakesConditions();
    void conditionEditorCancelAndOk();
    void conditionEditorInsertAndDelete();
    void liveCheckShowsTheBoardsError();
    void codesTheEditorDoesNotOfferAreKept();
    void tabOrderFollowsTheLayout();
    void numbersTypedPastTheRangeGoToTheBound();
    void helpExampleTwoAspectBlockSignal();
};

// Every VELA40 control, a signal made diverging with a thrown block set, and
// zone C with a shunt condition, through keys and clicks.
void TVelaEditorsTest::vela40BuiltThroughTheWindows()
{
    TVELA40Board board;
    TVela40EditForm form(board);
    form.show();
    TypeText(form.BdNameEdit, QStringLiteral("Yard entry"));
    QCOMPARE(form.SerialNumSpin->text(), QStringLiteral("not set yet"));
    TypeSpin(form.SerialNumSpin, QStringLiteral("70000"));  // past 65535: the maximum, not "7000"
    QCOMPARE(form.SerialNumSpin->text(), QStringLiteral("65535"));
    TypeSpin(form.SerialNumSpin, QStringLiteral("7000"));
    TypeSpin(form.DCCAddrSpin, QStringLiteral("300"));
    TypeText(form.NotesEdit, QStringLiteral("West end, \"fast\" lines"));
    TypeSpin(form.SensorSpin, QStringLiteral("16"));
    PickItem(form.Sensor12Combo, 1);
    PickItem(form.Sensor34Combo, 2);
    PickItem(form.Sensor78Combo, 2);
    TypeSpin(form.HighCSpin, QStringLiteral("0"));  // below 1: the nearest bound
    PickItem(form.Op14Combo, 1);
    PickItem(form.Op58Combo, 1);
    Toggle(form.SPADCheck);
    Toggle(form.DisplayCheck);
    PickItem(form.IsolationDelayCombo, 7);
    QCOMPARE(form.IsolationDelayCombo->currentText(), QStringLiteral("1.75s"));
    Toggle(form.BrightnessCheck);

    WhenOpen<TSignalEditForm>([](TSignalEditForm* s) {
        QCOMPARE(s->windowTitle(), QStringLiteral("Edit Signal 2: (DCC Accessory Address = 2)"));
        TypeText(s->NameEdit, QStringLiteral("Junction"));
        TypeText(s->DescriptionEdit, QStringLiteral("North"));
        PickItem(s->SigTypeCombo, 0);
        PickItem(s->HeadTypeCombo, 5);
        TypeSpin(s->PointSpin, QStringLiteral("44"));
        TypeSpin(s->TZoneSpin, QStringLiteral("7"));
        PickItem(s->RevZoneCombo, 4);
        TypeSpin(s->NxtSigClosedSpin, QStringLiteral("301"));
        PickItem(s->NxtSigClosedCombo, 1);
        TypeSpin(s->NxtSigThrownSpin, QStringLiteral("520"));
        PickItem(s->NxtSigThrownCombo, 3);
        WhenOpen<TEditConditionsForm>([](TEditConditionsForm* c) {
            QCOMPARE(c->windowTitle(), QStringLiteral("Edit Conditions: Block Occupancy Conditions"));
            PickItem(c->DeviceTypeCombo, 2);
            TypeSpin(c->NumberSpin, QStringLiteral("12"));
            TypeSpin(c->OffsetSpin, QStringLiteral("5"));
            PickItem(c->StateCombo, 1);
            Toggle(c->AndBox);
            ClickRow(c->ConditionList, 1);
            PickItem(c->DeviceTypeCombo, 1);
            TypeSpin(c->NumberSpin, QStringLiteral("44"));
            PickItem(c->StateCombo, 1);
            Click(c->OKButton);
        });
        Click(s->DefineBlkThrown);
        QCOMPARE(s->ListBlkThrown->item(0)->text(), QStringLiteral("Sensor 12,5 is Unoccupied, AND"));
        Click(s->OKButton);
    });
    DoubleClickRow(form.SignalList, 1);
    QCOMPARE(form.SignalList->topLevelItem(1)->text(1), QStringLiteral("Diverging"));
    QCOMPARE(form.SignalList->topLevelItem(1)->text(2), QStringLiteral("Junction"));

    WhenOpen<TRevZoneEditForm>([](TRevZoneEditForm* z) {
        QCOMPARE(z->windowTitle(), QStringLiteral("Edit Reverse Running Zone C"));
        TypeText(z->NameEdit, QStringLiteral("Loop"));
        TypeText(z->DescriptionEdit, QStringLiteral("Reversing loop"));
        WhenOpen<TEditConditionsForm>([](TEditConditionsForm* c) {
            PickItem(c->DeviceTypeCombo, 6);
            PickItem(c->StateCombo, 1);
            Click(c->OKButton);
        });
        Click(z->DefineShunt);
        Click(z->OKButton);
    });
    DoubleClickRow(form.RevZoneList, 2);
    Click(form.OKButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    TVELA40Board expected;
    expected.SetName("Yard entry");
    expected.SetSerialNumber(7000);
    expected.SetSignalBaseAddress(300);
    expected.SetDescription("West end, \"fast\" lines");
    expected.SensorConfig().SetSensorBoardNumber(16);
    expected.SensorConfig().SetPairConfig(0, 1);
    expected.SensorConfig().SetPairConfig(1, 2);
    expected.SensorConfig().SetPairConfig(3, 2);
    expected.HighCurrentConfig().SetDccBaseAddress(1);
    expected.HighCurrentConfig().SetOutputs1to4(1);
    expected.HighCurrentConfig().SetOutputs5to8(1);
    expected.SetReportSpad(true);
    expected.SetDisplayMode(true);
    expected.SetIsolationDelay(7);
    expected.SetBrightnessSimulation(true);
    TSignal& signal = expected.Signal(1);
    signal.SetName("Junction");
    signal.SetDescription("North");
    signal.SetType(eSignalDiverging);
    signal.SetHeadType(5);
    signal.SetJunctionPoint(44);
    signal.SetTranspondingZone(7);
    signal.SetRevZoneLink(4);
    signal.SetNextSignal(301);
    signal.SetNextMode(eNextVirtual);
    signal.SetNextSignalThrown(520);
    signal.SetNextModeThrown(eNextAlwaysRed);
    signal.BlockThrownSet()->SetCondition(0, TCondition::Sensor(12, 5, 1, true));
    signal.BlockThrownSet()->SetCondition(1, TCondition::Point(44, 1, false));
    TRevRunZone& zone = expected.Zone(2);
    zone.SetName("Loop");
    zone.SetDescription("Reversing loop");
    zone.ShuntSet().SetCondition(0, TCondition::RevZone(5, false));
    QCOMPARE(FirstDifference(FileText(board), FileText(expected)), QString());
}

void TVelaEditorsTest::vela80BuiltThroughTheWindows()
{
    TVELA80Board board;
    TVela80EditForm form(board);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit VELA80 Board Settings"));
    TypeText(form.BdNameEdit, QStringLiteral("Goods yard"));
    TypeSpin(form.SerialNumSpin, QStringLiteral("4711"));
    TypeSpin(form.DCCAddrSpin, QStringLiteral("2049"));  // past 2048: the maximum, not "204"
    QCOMPARE(form.DCCAddrSpin->text(), QStringLiteral("2048"));
    TypeSpin(form.DCCAddrSpin, QStringLiteral("204"));
    TypeText(form.NotesEdit, QStringLiteral("East"));
    TypeSpin(form.SensorSpin, QStringLiteral("256"));
    PickItem(form.SensorIntCombo, 3);
    PickItem(form.SensorExtCombo, 2);
    PickItem(form.Op14Combo, 1);
    PickItem(form.Op58Combo, 1);
    PickItem(form.AuxOutputCombo, 1);
    Toggle(form.SPADCheck);
    PickItem(form.IsolationDelayCombo, 0);
    PickItem(form.ReleaseDelayCombo, 32);
    QCOMPARE(form.ReleaseDelayCombo->currentText(), QStringLiteral("8s"));
    Toggle(form.InterrogateCheck);
    Toggle(form.BrightnessCheck);
    Toggle(form.LocoNetCheck);

    WhenOpen<TSignalEditForm>([](TSignalEditForm* s) {
        QCOMPARE(s->ClosedLabel->text(), QStringLiteral("Settings:"));
        QCOMPARE(s->ThrownLabel->text(), QStringLiteral("(Not Used)"));
        QVERIFY(!s->ThrownPanel->isEnabled());
        QCOMPARE(Rows(s->ListRedThrown), QStringList{QStringLiteral("N/A")});
        QVERIFY(!s->LearnRedClosed->isEnabled());
        // A new signal has no zone and no next signal, and shows so.
        for (QSpinBox* none : {s->PointSpin, s->TZoneSpin, s->NxtSigClosedSpin, s->NxtSigThrownSpin})
            QCOMPARE(none->text(), QStringLiteral("none"));
        TypeText(s->NameEdit, QStringLiteral("Up starter"));
        TypeSpin(s->PointSpin, QStringLiteral("12"));
        TypeSpin(s->PointSpin, QStringLiteral("0"));
        TypeSpin(s->NxtSigClosedSpin, QStringLiteral("3000"));  // past 2048: the maximum
        QCOMPARE(s->NxtSigClosedSpin->value(), 2048);
        TypeSpin(s->NxtSigClosedSpin, QStringLiteral("300"));
        QCOMPARE(s->NxtSigClosedSpin->value(), 300);
        PickItem(s->NxtSigClosedCombo, 2);
        WhenOpen<TEditConditionsForm>([](TEditConditionsForm* c) {
            QCOMPARE(c->windowTitle(), QStringLiteral("Edit Conditions: Red Conditions For Block Signal"));
            QCOMPARE(c->ConditionList->count(), 14);
            PickItem(c->DeviceTypeCombo, 3);
            TypeSpin(c->NumberSpin, QStringLiteral("510"));
            Toggle(c->AndBox);
            Click(c->OKButton);
        });
        Click(s->DefineRedClosed);
        WhenOpen<TEditConditionsForm>([](TEditConditionsForm* c) {
            ClickRow(c->ConditionList, 1);
            PickItem(c->DeviceTypeCombo, 4);
            Click(c->OKButton);
        });
        Click(s->DefineAux);
        QCOMPARE(s->ListAux->item(1)->text(), QStringLiteral("Rev Zone A running W-E"));
        Click(s->OKButton);
    });
    DoubleClickRow(form.SignalList, 0);
    Click(form.OKButton);

    TVELA80Board expected;
    expected.SetName("Goods yard");
    expected.SetSerialNumber(4711);
    expected.SetSignalBaseAddress(204);
    expected.SetDescription("East");
    expected.SensorConfig().SetSensorBoardNumber(256);
    expected.SensorConfig().SetOnBoardInputs(3);
    expected.SensorConfig().SetExternalInputs(2);
    expected.SetOutputs1to4(1);
    expected.SetOutputs5to8(1);
    expected.SetAuxOutputs(1);
    expected.SetReportSpad(true);
    expected.SetIsolationDelay(0);
    expected.SetReleaseDelay(32);
    expected.SetInterrogateResponse(true);
    expected.SetBrightnessSimulation(true);
    expected.SetLocoNetSwitchCommands(true);
    TSignal& signal = expected.Signal(0);
    signal.SetName("Up starter");
    // What the spin edits showed is what OK stored: 0, "none", stays 0.
    signal.SetJunctionPoint(0);
    signal.SetTranspondingZone(0);
    signal.SetNextSignal(300);
    signal.SetNextMode(eNextAlwaysGreen);
    signal.SetNextSignalThrown(0);
    signal.RedSet().SetCondition(0, TCondition::Signal(510, 0, true));
    signal.AuxSet().SetCondition(1, TCondition::RevZone(0, false));
    QCOMPARE(FirstDifference(FileText(board), FileText(expected)), QString());
}

void TVelaEditorsTest::editorTableOpensTheModels()
{
    QVERIFY(HasBoardEditor(0));
    QVERIFY(HasBoardEditor(2));
    TVELA80Board board;
    const std::string before = FileText(board);
    WhenOpen<TVela80EditForm>([](TVela80EditForm* f) {
        TypeText(f->BdNameEdit, QStringLiteral("Changed"));
        QTest::keyClick(f, Qt::Key_Escape);
    });
    QVERIFY(!BoardEditorRow(2)->edit(nullptr, QPoint(40, 40), board));
    QCOMPARE(FirstDifference(FileText(board), before), QString());

    WhenOpen<TVela80EditForm>([](TVela80EditForm* f) {
        TypeText(f->BdNameEdit, QStringLiteral("Changed"));
        Click(f->OKButton);
    });
    QVERIFY(BoardEditorRow(2)->edit(nullptr, QPoint(40, 40), board));
    QCOMPARE(board.Name(), std::string("Changed"));

    // A board of another model is not opened by the wrong row.
    QVERIFY(!BoardEditorRow(0)->edit(nullptr, QPoint(40, 40), board));
}

void TVelaEditorsTest::boardEditorCancelKeepsTheBoardButNotTheChildEdits()
{
    TVELA40Board board;
    const std::string untouched = FileText(board);
    {
        TVela40EditForm form(board);
        form.show();
        TypeText(form.BdNameEdit, QStringLiteral("Never stored"));
        TypeSpin(form.DCCAddrSpin, QStringLiteral("77"));
        Toggle(form.SPADCheck);
        PickItem(form.IsolationDelayCombo, 3);
        Click(form.CancelButton);
    }
    QCOMPARE(FirstDifference(FileText(board), untouched), QString());

    TVELA40Board expected;
    {
        TVela40EditForm form(board);
        form.show();
        TypeText(form.BdNameEdit, QStringLiteral("Never stored"));
        WhenOpen<TSignalEditForm>([](TSignalEditForm* s) {
            TypeText(s->NameEdit, QStringLiteral("Kept"));
            Click(s->OKButton);
        });
        DoubleClickRow(form.SignalList, 9);
        Click(form.CancelButton);
    }
    TSignal& signal = expected.Signal(9);
    // Only the name: renaming leaves "none" (0) as it was, rather than have
    // the signal follow signal 1.
    signal.SetName("Kept");
    QCOMPARE(FirstDifference(FileText(board), FileText(expected)), QString());
}

void TVelaEditorsTest::signalEditorCancelAndTypeChange()
{
    TVELA40Board board;
    TSignal& signal = board.Signal(3);
    for (int i = 0; i < 14; ++i)
        signal.RedSet().SetCondition(i, TCondition::Point(100 + i, 0, false));
    const std::string before = FileText(board);
    {
        TSignalEditForm form(signal);
        form.show();
        TypeText(form.NameEdit, QStringLiteral("Not stored"));
        PickItem(form.HeadTypeCombo, 9);
        TypeSpin(form.PointSpin, QStringLiteral("12"));
        QVERIFY(form.NoCancelLabel->isHidden());
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(FirstDifference(FileText(board), before), QString());

    TSignalEditForm form(signal);
    form.show();
    QVERIFY(form.CancelButton->isEnabled());
    PickItem(form.SigTypeCombo, 0);
    // The type is the signal's at once and cannot be taken back; the window
    // says so rather than ignoring Escape and the close button.
    QVERIFY(!signal.IsBlock());
    QVERIFY(!form.CancelButton->isEnabled());
    QVERIFY(!form.NoCancelLabel->isHidden());
    QVERIFY(form.NoCancelLabel->text().contains(QStringLiteral("Cancel is no longer possible")));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(form.ThrownPanel->isEnabled());
    QCOMPARE(form.ThrownLabel->text(), QStringLiteral("Settings when Point is THROWN:"));
    QCOMPARE(form.ClosedLabel->text(), QStringLiteral("Settings when Point is CLOSED:"));
    QCOMPARE(Rows(form.ListRedClosed),
             (QStringList{QStringLiteral("Point 100 is Thrown"), QStringLiteral("Point 101 is Thrown"),
                          QStringLiteral("Point 102 is Thrown"), QStringLiteral("Point 103 is Thrown"),
                          QStringLiteral("Point 104 is Thrown")}));
    QCOMPARE(Rows(form.ListBlkThrown), QStringList(3, QStringLiteral("(No Condition)")));
    QCOMPARE(Rows(form.ListRedThrown), QStringList(5, QStringLiteral("(No Condition)")));
    Click(form.OKButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(signal.RedSet().Capacity(), 5);
}

void TVelaEditorsTest::conditionEditorLoadsAndMakesConditions()
{
    TConditionSet set(eCondRevDirection);
    set.SetCondition(0, TCondition::RevZone(5, true));
    set.SetCondition(1, TCondition::Sensor(300, 16, 1, false));
    TEditConditionsForm form(set);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit Conditions: Reverse Zone Direction Conditions"));
    QCOMPARE(form.SetNameLabel->text(), QStringLiteral("Reverse Zone Direction Conditions"));
    QCOMPARE(form.ConditionList->currentRow(), 0);
    QCOMPARE(form.DeviceTypeCombo->currentText(), QStringLiteral("Zone C"));
    QCOMPARE(form.StateCombo->currentText(), QStringLiteral("E-W"));
    QVERIFY(form.AndBox->isChecked());
    QVERIFY(!form.NumberSpin->isEnabled());
    QVERIFY(!form.OffsetSpin->isEnabled());

    ClickRow(form.ConditionList, 1);
    QCOMPARE(form.DeviceTypeCombo->currentText(), QStringLiteral("Sensor"));
    QCOMPARE(form.NumberSpin->value(), 300);
    QCOMPARE(form.OffsetSpin->value(), 16);
    QCOMPARE(form.StateCombo->currentText(), QStringLiteral("Unoccupied"));

    ClickRow(form.ConditionList, 2);
    QCOMPARE(form.DeviceTypeCombo->currentText(), QStringLiteral("None"));
    QCOMPARE(form.StateCombo->currentText(), QStringLiteral("none"));
    QVERIFY(!form.StateCombo->isEnabled());
    QVERIFY(!form.NumberSpin->isEnabled());
    PickItem(form.DeviceTypeCombo, 2);
    QCOMPARE(form.WorkingCopy().ConditionAt(2), TCondition::Sensor(1, 1, 0, false));
    // A sensor board is one byte on the board: 1 to 256 are offered.
    QCOMPARE(form.NumberSpin->maximum(), 256);
    QVERIFY(form.NumberSpin->isEnabled());
    QVERIFY(form.OffsetSpin->isEnabled());
    QVERIFY(form.StateCombo->isEnabled());
    QCOMPARE(form.ConditionList->item(2)->text(), QStringLiteral("Sensor 1,1 is Occupied"));
    // The numbers are decimal integers: other characters are refused as they are typed.
    TypeSpin(form.NumberSpin, QStringLiteral("1x2-"));
    TypeSpin(form.OffsetSpin, QStringLiteral("+7"));
    QCOMPARE(form.WorkingCopy().ConditionAt(2), TCondition::Sensor(12, 7, 0, false));

    // Each type's defaults and state words.
    const struct {
        int item;
        TCondition made;
        QStringList states;
    } cases[] = {
        {1, TCondition::Point(1, 0, false), {QStringLiteral("Thrown"), QStringLiteral("Closed")}},
        {3, TCondition::Signal(1, 0, false), {QStringLiteral("Red"), QStringLiteral("Not Red")}},
        {5, TCondition::RevZone(2, false), {QStringLiteral("W-E"), QStringLiteral("E-W")}},
        {0, TCondition::None(), {QStringLiteral("none")}},
    };
    for (const auto& c : cases) {
        PickItem(form.DeviceTypeCombo, c.item);
        QCOMPARE(form.WorkingCopy().ConditionAt(2), c.made);
        QStringList states;
        for (int i = 0; i < form.StateCombo->count(); ++i)
            states << form.StateCombo->itemText(i);
        QCOMPARE(states, c.states);
    }
    // Zone B east to west is stored as state 2 x zone + direction.
    PickItem(form.DeviceTypeCombo, 5);
    PickItem(form.StateCombo, 1);
    QCOMPARE(form.WorkingCopy().ConditionAt(2), TCondition::RevZone(3, false));
    QCOMPARE(form.ConditionList->item(2)->text(), QStringLiteral("Rev Zone B running E-W"));

    // An unused entry joins nothing: its AND goes, and cannot be ticked.
    Toggle(form.AndBox);
    QCOMPARE(form.WorkingCopy().ConditionAt(2), TCondition::RevZone(3, true));
    PickItem(form.DeviceTypeCombo, 0);
    QVERIFY(!form.AndBox->isChecked());
    QVERIFY(!form.AndBox->isEnabled());
    QCOMPARE(form.WorkingCopy().ConditionAt(2), TCondition::None());
    ClickRow(form.ConditionList, 0);
    QVERIFY(form.AndBox->isEnabled());
}

void TVelaEditorsTest::conditionEditorCancelAndOk()
{
    TVELA40Board board;
    TConditionSet& set = board.Signal(0).BlockSet();
    set.SetCondition(0, TCondition::Point(12, 0, true));
    const std::string before = FileText(board);
    {
        TEditConditionsForm form(set);
        form.show();
        PickItem(form.DeviceTypeCombo, 3);
        TypeSpin(form.NumberSpin, QStringLiteral("77"));
        ClickRow(form.ConditionList, 2);
        PickItem(form.DeviceTypeCombo, 1);
        QTest::keyClick(&form, Qt::Key_Escape);
    }
    QCOMPARE(FirstDifference(FileText(board), before), QString());
    {
        TEditConditionsForm form(set);
        form.show();
        PickItem(form.StateCombo, 1);
        TypeSpin(form.NumberSpin, QStringLiteral("13"));
        QTest::keyClick(form.NumberSpin, Qt::Key_Return);  // Enter is OK, with the typed value
    }
    QCOMPARE(set.ConditionAt(0), TCondition::Point(13, 1, true));
}

// Insert and Delete act on the selected row, and the controls follow the row,
// so that closing the editor does not write the old condition back over it.
void TVelaEditorsTest::conditionEditorInsertAndDelete()
{
    TConditionSet set(eCondBlock);
    set.SetCondition(0, TCondition::Point(1, 0, false));
    set.SetCondition(1, TCondition::Point(2, 0, false));
    set.SetCondition(2, TCondition::Point(3, 0, false));
    {
        TEditConditionsForm form(set);
        form.show();
        QVERIFY(form.ConditionList->actions().contains(form.Insert1));
        form.Insert1->trigger();
        QCOMPARE(Rows(form.ConditionList), (QStringList{QStringLiteral("(No Condition)"), QStringLiteral("Point 1 is Thrown"),
                                                        QStringLiteral("Point 2 is Thrown")}));
        QCOMPARE(form.DeviceTypeCombo->currentText(), QStringLiteral("None"));
        Click(form.OKButton);
    }
    QCOMPARE(set.ConditionAt(0), TCondition::None());
    QCOMPARE(set.ConditionAt(2), TCondition::Point(2, 0, false));
    {
        TEditConditionsForm form(set);
        form.show();
        ClickRow(form.ConditionList, 1);
        form.Delete1->trigger();
        QCOMPARE(form.ConditionList->currentRow(), 1);
        QCOMPARE(form.DeviceTypeCombo->currentText(), QStringLiteral("Point"));
        QCOMPARE(form.NumberSpin->value(), 2);
        Click(form.OKButton);
    }
    QCOMPARE(set.ConditionAt(1), TCondition::Point(2, 0, false));
    QCOMPARE(set.ConditionAt(2), TCondition::None());
}

// Twelve external signals fit; a thirteenth added through the signal editor
// shows the board's error at once, and making the next signals the board's
// own through the base address clears it. The board's device table is not
// touched by the check.
void TVelaEditorsTest::liveCheckShowsTheBoardsError()
{
    TVELA40Board board;
    for (int i = 0; i < TSignal::kSignalsPerBoard; ++i)
        board.Signal(i).SetNextSignal(500 + i);
    board.Signal(0).RedSet().SetCondition(0, TCondition::Signal(600, 0, false));
    board.Signal(0).RedSet().SetCondition(1, TCondition::Signal(601, 0, false));
    TVela40EditForm form(board);
    form.show();
    QVERIFY(form.SvCheck->text().isEmpty());

    WhenOpen<TSignalEditForm>([](TSignalEditForm* s) {
        WhenOpen<TEditConditionsForm>([](TEditConditionsForm* c) {
            ClickRow(c->ConditionList, 2);
            PickItem(c->DeviceTypeCombo, 3);
            TypeSpin(c->NumberSpin, QStringLiteral("602"));
            Click(c->OKButton);
        });
        Click(s->DefineRedClosed);
        Click(s->OKButton);
    });
    DoubleClickRow(form.SignalList, 0);
    // The text names the first signal without a place in a table filled as
    // the check fills it.
    TVELA40Board computed = board;
    QVERIFY(!computed.ComputeSvImage());
    QCOMPARE(form.SvCheck->text(), QString::fromStdString(computed.SvErrorText()));
    QVERIFY(form.SvCheck->text().contains(QStringLiteral("call up 13 signals")));
    QCOMPARE(board.ExtDevTable().Find(TCondition::Signal(500, 0, false)), 0);

    TypeSpin(form.DCCAddrSpin, QStringLiteral("500"));
    QVERIFY(form.SvCheck->text().isEmpty());
}

// A board read back from the hardware may hold codes the editor does not offer
// (a tortoise point output, a delay above 8 s): OK leaves them as they were.
void TVelaEditorsTest::codesTheEditorDoesNotOfferAreKept()
{
    TVELA40Board board;
    board.HighCurrentConfig().SetOutputs1to4(2);
    board.HighCurrentConfig().SetOutputs5to8(3);
    board.SetIsolationDelay(40);
    const std::string before = FileText(board);
    {
        TVela40EditForm form(board);
        form.show();
        QCOMPARE(form.Op14Combo->currentIndex(), -1);
        Click(form.OKButton);
    }
    QCOMPARE(FirstDifference(FileText(board), before), QString());
    {
        TVela40EditForm form(board);
        form.show();
        PickItem(form.Op14Combo, 1);
        Click(form.OKButton);
    }
    QCOMPARE(int(board.HighCurrentConfig().Outputs1to4()), 1);
    QCOMPARE(int(board.HighCurrentConfig().Outputs5to8()), 3);
}

// The board editors' fields in Tab order: the shared column, then the model's, then the buttons.
void TVelaEditorsTest::tabOrderFollowsTheLayout()
{
    TVELA40Board board;
    TVela40EditForm form(board);
    form.show();
    QStringList order;
    QWidget* widget = form.BdNameEdit;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && !widget->objectName().isEmpty()
            && !widget->objectName().startsWith(QLatin1String("qt_")))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != form.BdNameEdit);
    const QStringList fields{QStringLiteral("BdNameEdit"),       QStringLiteral("SerialNumSpin"),
                             QStringLiteral("DCCAddrSpin"),      QStringLiteral("NotesEdit"),
                             QStringLiteral("SignalList"),       QStringLiteral("RevZoneList"),
                             QStringLiteral("SensorSpin"),       QStringLiteral("Sensor12Combo"),
                             QStringLiteral("Sensor34Combo"),    QStringLiteral("Sensor56Combo"),
                             QStringLiteral("Sensor78Combo"),    QStringLiteral("HighCSpin"),
                             QStringLiteral("Op14Combo"),        QStringLiteral("Op58Combo"),
                             QStringLiteral("SPADCheck"),        QStringLiteral("DisplayCheck"),
                             QStringLiteral("IsolationDelayCombo"), QStringLiteral("BrightnessCheck")};
    QCOMPARE(order.mid(0, fields.size()), fields);
    QVERIFY(form.OKButton->isDefault());
}

QTEST_MAIN(TVelaEditorsTest)
// Every number field of the editors is made by MakeSpin and its kin.
void TVelaEditorsTest::numbersTypedPastTheRangeGoToTheBound()
{
    struct Case {
        int minimum;
        int maximum;
        bool none;
        QString typed;
        int expected;
    };
    const Case cases[] = {
        {0, 255, false, "300", 255}, {0, 255, false, "255", 255}, {0, 255, false, "25", 25},
        {1, 8, false, "9", 8},       {1, 8, false, "0", 1},       {0, 99, true, "123", 99},
    };
    for (const Case& c : cases) {
        QWidget parent;
        QSpinBox* spin = c.none ? MakeNoneSpin(&parent, "n", c.maximum, 0) : MakeSpin(&parent, "n", c.minimum, c.maximum);
        parent.show();
        spin->setFocus();
        TypeSpin(spin, c.typed);
        QVERIFY2(spin->value() == c.expected, qPrintable(c.typed + " gave " + QString::number(spin->value())));
    }
}

#include "widget_vela_editors.moc"

// The two-aspect block signal of the signal editor's help page, made with the
// words the page uses for the fields and choices: the board computes, and the
// signal is what the page says.
void TVelaEditorsTest::helpExampleTwoAspectBlockSignal()
{
    auto choose = [](QComboBox* combo, const QString& text) {
        const int index = combo->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        PickItem(combo, index);
    };
    TVELA40Board board;
    {
        // The board's settings first, kept with OK: the signal editor's title
        // shows the address the board holds.
        TVela40EditForm settings(board);
        settings.show();
        TypeSpin(settings.DCCAddrSpin, QStringLiteral("101"));
        TypeSpin(settings.SensorSpin, QStringLiteral("10"));
        choose(settings.Sensor12Combo, QStringLiteral("General Sensor"));
        Click(settings.OKButton);
    }
    TVela40EditForm form(board);
    form.show();
    WhenOpen<TSignalEditForm>([&choose](TSignalEditForm* s) {
        QCOMPARE(s->windowTitle(), QStringLiteral("Edit Signal 1: (DCC Accessory Address = 101)"));
        choose(s->SigTypeCombo, QStringLiteral("Block Signal"));
        choose(s->HeadTypeCombo, QStringLiteral("2 aspect common cathode"));
        WhenOpen<TEditConditionsForm>([&choose](TEditConditionsForm* c) {
            choose(c->DeviceTypeCombo, QStringLiteral("Sensor"));
            TypeSpin(c->NumberSpin, QStringLiteral("10"));
            TypeSpin(c->OffsetSpin, QStringLiteral("1"));
            choose(c->StateCombo, QStringLiteral("Occupied"));
            Click(c->OKButton);
        });
        Click(s->DefineBlkClosed);
        QCOMPARE(s->ListBlkClosed->item(0)->text(), QStringLiteral("Sensor 10,1 is Occupied"));
        QCOMPARE(s->NxtSigClosedSpin->text(), QStringLiteral("none"));
        Click(s->OKButton);
    });
    DoubleClickRow(form.SignalList, 0);
    QCOMPARE(form.SvCheck->text(), QString());
    Click(form.OKButton);

    QVERIFY(board.ComputeSvImage());
    const TSignal& signal = board.Signal(0);
    QVERIFY(signal.IsBlock());
    QCOMPARE(signal.BlockSet().ConditionAt(0), TCondition::Sensor(10, 1, 0, false));
    QCOMPARE(signal.NextSignal(), 0);
    QCOMPARE(board.SensorConfig().PairConfig(0), uint8_t(1));
    std::vector<std::string> report;
    board.DescribeSettings(report);
    const QString text = QString::fromStdString([&report] {
        std::string all;
        for (const std::string& line : report)
            all += line + "\n";
        return all;
    }());
    QVERIFY2(text.contains(QStringLiteral("2 aspect, common cathode LEDs")), qPrintable(text));
}
