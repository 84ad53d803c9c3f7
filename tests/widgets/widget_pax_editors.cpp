// The PAX60, PAX66 and TEL90 editors: boards built through the windows alone
// against the same boards built through the models, what each window commits
// or discards, the controls that follow the chosen types, and the live check.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Editorsupport.h"
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

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <sstream>
#include <string>

namespace {

// What an operator does with the keyboard and mouse.
void TypeText(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Types a number and leaves the field, which takes the value.
void TypeNumber(QSpinBox* spin, int value)
{
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    spin->interpretText();
}

// Opens the list and clicks the item, as the operator picks it.
void ChooseItem(QComboBox* combo, int index, bool stays = true)
{
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QRect rect = view->visualRect(view->model()->index(index, combo->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    if (stays)
        QCOMPARE(combo->currentIndex(), index);
}

void Tick(QAbstractButton* box)
{
    QTest::keyClick(box, Qt::Key_Space);
}

void ClickRow(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void DoubleClickRow(QListWidget* list, int row)
{
    ClickRow(list, row);
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// Runs steps on the modal window that the next action opens.
template <typename Form>
void WhenOpened(std::function<void(Form*)> steps)
{
    QTimer::singleShot(0, [steps] {
        auto* form = dynamic_cast<Form*>(QApplication::activeModalWidget());
        QVERIFY2(form != nullptr, "the expected window did not open");
        steps(form);
    });
}

// Sets the current condition of an open condition window.
void EnterCondition(TPAX60EditConditionsForm* form, int row, int type, int number, int offset, int state,
                    bool andNext)
{
    ClickRow(form->ConditionList, row);
    ChooseItem(form->DeviceTypeCombo, type);
    if (form->NumberSpin->isEnabled())
        TypeNumber(form->NumberSpin, number);
    if (form->OffsetSpin->isEnabled())
        TypeNumber(form->OffsetSpin, offset);
    ChooseItem(form->StateCombo, state);
    if (andNext != form->AndBox->isChecked())
        Tick(form->AndBox);
}

// A PAX60 or PAX66 board window's common settings, as the model has them.
void FillExpectedSettings(TPAXBoard& board)
{
    board.SetName("Harbour junction");
    board.SetSerialNumber(1207);
    board.Parts.UserDescription = "Harbour fan, east end";
    board.SetBaseAddress(101);
    board.Parts.LocoNetSwitchCommands = 1;
    board.Parts.SensorBoardNumber = 12;
    board.Parts.CduDelay = 15;
    board.Parts.OutputMemoryLocation = 3;
    board.Parts.RouteDccBaseAddress = 1500;
}

void EnterSettings(TPAXBoardEditForm& form)
{
    TypeText(form.BoardNameEdit, QStringLiteral("Harbour junction"));
    TypeNumber(form.SerialNumEdit, 1207);
    TypeText(form.NotesEdit, QStringLiteral("Harbour fan, east end"));
    TypeNumber(form.DCCBaseAddrEdit, 101);
    Tick(form.LocoNetCheck);
    TypeNumber(form.SensBdEdit, 12);
    TypeNumber(form.CDUDelayEdit, 15);
    TypeNumber(form.MemLocEdit, 3);
    TypeNumber(form.RouteAddrEdit, 1500);
}

// Cell 1 through its window: a point with a follower, delays and two
// conditions (the second entered after the first joined it by AND).
void EnterCell1(TPAXBoardEditForm& form)
{
    WhenOpened<TPAX60OutputCellEditForm>([](TPAX60OutputCellEditForm* cell) {
        TypeText(cell->DescriptionEdit, QStringLiteral("Harbour entry"));
        ChooseItem(cell->CellTypeCombo, 1);
        ChooseItem(cell->MsgTypeCombo, 2);
        ChooseItem(cell->OnTimeCombo, 4);
        Tick(cell->FollowBox);
        TypeNumber(cell->FollowSpin, 2);
        TypeNumber(cell->ConditionTimeSpin, 5);
        TypeNumber(cell->AdditionalDelaySpin, 7);
        WhenOpened<TPAX60EditConditionsForm>([](TPAX60EditConditionsForm* conditions) {
            EnterCondition(conditions, 0, kPax60DevSensor, 12, 3, 0, true);
            EnterCondition(conditions, 1, kPax60DevPoint, 205, 1, 1, false);
            Press(conditions, QDialogButtonBox::Ok);
        });
        QTest::mouseClick(cell->DefineThrown, Qt::LeftButton);
        Press(cell, QDialogButtonBox::Ok);
    });
    DoubleClickRow(form.OutputCellList, 0);
}

void ExpectCell1(TPAXBoard& board)
{
    TPAX60Cell& cell = board.OutputCell(0);
    cell.Description = "Harbour entry";
    cell.CellType = 1;
    cell.MessageType = 2;
    cell.Rate = 4;
    cell.Follows = 2;
    cell.ConditionDelay = 5;
    cell.ChangeDelay = 7;
    cell.ThrownConditions.At(0) = TPAX60Condition::Sensor(12, 3, 0, true);
    cell.ThrownConditions.At(1) = TPAX60Condition::Point(205, 1, false);
}

// Input A (9) through its window.
void EnterInputA(TPAXBoardEditForm& form)
{
    WhenOpened<TPAX60InputCellEditForm>([](TPAX60InputCellEditForm* input) {
        ChooseItem(input->InputCellTypeCombo, 4);
        ChooseItem(input->InputMessageCombo, 3);
        Press(input, QDialogButtonBox::Ok);
    });
    DoubleClickRow(form.InputCellList, 8);
}

void ExpectInputA(TPAXBoard& board)
{
    board.InputCell(8).InputType = 4;
    board.InputCell(8).MessageType = 3;
}

// Route 2: position 1 thrown, then position 6 closed (it becomes the
// second entry), and a trigger condition.
void EnterRoute2(TPAXBoardEditForm& form)
{
    WhenOpened<TPAX60RouteEditForm>([](TPAX60RouteEditForm* route) {
        ClickRow(route->RouteListBox, 0);
        ChooseItem(route->StateButton, kPax60RouteThrown);
        TypeNumber(route->PointNumberSpin, 102);
        ClickRow(route->RouteListBox, 5);
        ChooseItem(route->StateButton, kPax60RouteClosed);
        TypeNumber(route->PointNumberSpin, 310);
        WhenOpened<TPAX60EditConditionsForm>([](TPAX60EditConditionsForm* conditions) {
            EnterCondition(conditions, 0, kPax60DevSignal, 4, 1, 1, false);
            Press(conditions, QDialogButtonBox::Ok);
        });
        QTest::mouseClick(route->DefineConditions, Qt::LeftButton);
        Press(route, QDialogButtonBox::Ok);
    });
    DoubleClickRow(form.RouteList, 1);
}

void ExpectRoute2(TPAXBoard& board)
{
    TPAX60Route& route = board.Route(1);
    route.SetEntry(0, 102, kPax60RouteThrown);
    route.SetEntry(1, 310, kPax60RouteClosed);
    route.TriggerConditions.At(0) = TPAX60Condition::Signal(4, 1, false);
}

}  // namespace

class TPaxEditorsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pax60BuiltThroughTheWindows();
    void pax60OkAndCancel();
    void pax60BaseAddressReachesCellWindowBeforeOk();
    void cellWindowFollowsTheCellType();
    void inputsAAndBOfferFiveTypes();
    void routeEntriesAndSelection();
    void conditionWindowTypesInsertAndDelete();
    void subWindowsCancelled();
    void pax66BuiltThroughTheWindows();
    void pax66AddressesSurviveTheBoardWindow_data();
    void pax66AddressesSurviveTheBoardWindow();
    void pax66IndividualAddressing();
    void tel90BuiltThroughTheWindow();
    void tel90Cancel();
    void liveCheckShowsTheErrorText();
    void editorTableOpensTheModelsWindows();
    void enterTakesTheTypedValueAndTabFollowsTheLayout();
    void inputCodesNotOfferedAreKept();
    void enterOnARowOpensIt();
};

void TPaxEditorsTest::initTestCase()
{
    // The offscreen platform says at every opened list that it cannot raise
    // windows or grab the keyboard; that says nothing about the editors.
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QStringLiteral("This plugin does not support")))
                previous(type, context, text);
        });
}

void TPaxEditorsTest::pax60BuiltThroughTheWindows()
{
    TPAX60Board board;
    TPAX60EditForm form(nullptr, board);
    form.show();
    EnterSettings(form);
    EnterCell1(form);
    EnterInputA(form);
    EnterRoute2(form);
    // The lists show the copy as the sub-windows left it.
    QCOMPARE(form.RouteList->item(1)->text(), QString::fromStdString(form.Copy().Route(1).ListText()));
    QVERIFY(form.RouteList->item(1)->text() != QString::fromStdString(board.Route(1).ListText()));
    Press(&form, QDialogButtonBox::Ok);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    TPAX60Board expected;
    FillExpectedSettings(expected);
    ExpectCell1(expected);
    ExpectInputA(expected);
    ExpectRoute2(expected);
    QCOMPARE(FileOf(board), FileOf(expected));
}

void TPaxEditorsTest::pax60OkAndCancel()
{
    // A default board taken with OK is the default board still: its serial
    // number stays "not set yet", its memory location "none" (0), and its
    // routes' copy of the base address as it was.
    TPAX60Board board;
    {
        TPAX60EditForm form(nullptr, board);
        form.show();
        Press(&form, QDialogButtonBox::Ok);
    }
    TPAX60Board expected;
    QCOMPARE(FileOf(board), FileOf(expected));

    // Everything edited, sub-windows confirmed, then Cancel: nothing changes.
    const std::string before = FileOf(board);
    {
        TPAX60EditForm form(nullptr, board);
        form.show();
        EnterSettings(form);
        EnterCell1(form);
        EnterInputA(form);
        EnterRoute2(form);
        Press(&form, QDialogButtonBox::Cancel);
    }
    QCOMPARE(FileOf(board), before);

    // Escape cancels too.
    {
        TPAX60EditForm form(nullptr, board);
        form.show();
        TypeText(form.BoardNameEdit, QStringLiteral("Other"));
        QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(form.result(), int(QDialog::Rejected));
    }
    QCOMPARE(FileOf(board), before);
}

void TPaxEditorsTest::pax60BaseAddressReachesCellWindowBeforeOk()
{
    TPAX60Board board;
    board.SetBaseAddress(1);
    const std::string before = FileOf(board);
    TPAX60EditForm form(nullptr, board);
    form.show();
    TypeNumber(form.DCCBaseAddrEdit, 201);
    QString caption;
    WhenOpened<TPAX60OutputCellEditForm>([&caption](TPAX60OutputCellEditForm* cell) {
        caption = cell->windowTitle();
        Press(cell, QDialogButtonBox::Cancel);
    });
    DoubleClickRow(form.OutputCellList, 2);
    QCOMPARE(caption, QStringLiteral("Edit Cell 3: (DCC Accessory Address = 203)"));

    // The route window marks the decoder's own points by the new base address.
    QString line;
    TPAX60Route& route = const_cast<TPAX60Route&>(form.Copy().Route(0));
    route.SetEntry(0, 204, kPax60RouteThrown);
    WhenOpened<TPAX60RouteEditForm>([&line](TPAX60RouteEditForm* window) {
        line = window->RouteListBox->item(0)->text();
        Press(window, QDialogButtonBox::Cancel);
    });
    DoubleClickRow(form.RouteList, 0);
    QCOMPARE(line, QStringLiteral("Point 204 Thrown (on this decoder) "));
    Press(&form, QDialogButtonBox::Cancel);
    QCOMPARE(FileOf(board), before);
}

void TPaxEditorsTest::cellWindowFollowsTheCellType()
{
    struct TRow {
        int type;
        bool follow, onTime, brightness, invert, flashRate;
        const char* closed;
        const char* thrown;
    };
    const TRow rows[] = {
        {1, true, true, false, false, false, "Change to CLOSED when", "Change to THROWN when"},
        {0, false, false, false, false, false, "Change to CLOSED when", "Change to THROWN when"},
        {2, true, false, false, false, false, "Change to CLOSED when", "Change to THROWN when"},
        {3, true, true, false, false, false, "Change to ON when", "Change to ON when"},
        {4, true, false, false, false, false, "Change to ON when", "Change to ON when"},
        {5, false, false, true, false, true, "Change to ON when", "Change to ON when"},
        {0, false, false, false, false, false, "Change to ON when", "Change to ON when"},
        {6, false, false, true, false, false, "Change to ON when", "Change to ON when"},
        {7, false, false, true, true, true, "Aux o/p ON when", "Main o/p ON when"},
        {8, false, false, true, true, false, "Aux o/p ON when", "Main o/p ON when"},
    };
    TPAX60Cell cell;
    cell.Number = 4;
    cell.SetBoardBaseAddress(17);
    cell.Follows = 0;
    TPAX60OutputCellEditForm form(nullptr, cell);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit Cell 4: (DCC Accessory Address = 20)"));
    // No cell followed: the box is clear and the number shows 1, disabled.
    QVERIFY(!form.FollowBox->isChecked());
    QCOMPARE(form.FollowSpin->value(), 1);
    QVERIFY(!form.FollowSpin->isEnabled());
    QVERIFY(!form.LearnThrown->isEnabled() && !form.LearnClosed->isEnabled() && !form.LearnDont->isEnabled());
    for (const TRow& row : rows) {
        ChooseItem(form.CellTypeCombo, row.type);
        QCOMPARE(form.FollowBox->isEnabled(), row.follow);
        QCOMPARE(form.OnTimeCombo->isEnabled(), row.onTime);
        QCOMPARE(form.BrightnessBox->isEnabled(), row.brightness);
        QCOMPARE(form.InvertBox->isEnabled(), row.invert);
        QCOMPARE(form.FlashRateCombo->isEnabled(), row.flashRate);
        QCOMPARE(form.ClosedCondLabel->text(), QString::fromLatin1(row.closed));
        QCOMPARE(form.ThrownCondLabel->text(), QString::fromLatin1(row.thrown));
    }
    // A lamp cell stores the flash rate, and a ticked follow box only counts
    // through the number it enables.
    ChooseItem(form.CellTypeCombo, 7);
    ChooseItem(form.FlashRateCombo, 8);
    ChooseItem(form.OnTimeCombo, 2);
    Tick(form.InvertBox);
    Press(&form, QDialogButtonBox::Ok);
    QCOMPARE(int(cell.CellType), 7);
    QCOMPARE(cell.Rate, 8);
    QCOMPARE(int(cell.InvertOutputs), 1);
    QCOMPARE(cell.Follows, 0);
    QCOMPARE(form.FlashRateCombo->itemText(0), QStringLiteral("1 (fastest)"));
    QCOMPARE(form.FlashRateCombo->itemText(8), QStringLiteral("9 (slowest)"));
    QCOMPARE(form.MsgTypeCombo->itemText(3), QStringLiteral("\"SE\" signal message"));
}

void TPaxEditorsTest::inputsAAndBOfferFiveTypes()
{
    TPAX60Board board;
    for (int i = 0; i < 10; ++i) {
        TPAX60InputCellEditForm form(nullptr, board.InputCell(i));
        QCOMPARE(form.InputCellTypeCombo->count(), i < 8 ? 6 : 5);
        QCOMPARE(form.windowTitle(), QStringLiteral("Input Cell %1").arg(i + 1));
        if (i < 8)
            QCOMPARE(form.InputCellTypeCombo->itemText(5),
                     QStringLiteral("Pushbutton, triggers local route %1").arg(i + 1));
    }
    // The input window works on the input itself: Cancel leaves it alone.
    TPAX60InputCell& input = board.InputCell(2);
    TPAX60InputCellEditForm form(nullptr, input);
    form.show();
    ChooseItem(form.InputCellTypeCombo, 1);
    Press(&form, QDialogButtonBox::Cancel);
    QCOMPARE(int(input.InputType), 3);
}

void TPaxEditorsTest::routeEntriesAndSelection()
{
    TPAX60Route route;
    route.Number = 5;
    route.SetBoardBaseAddress(101);
    route.SetEntry(0, 101, kPax60RouteThrown);
    route.SetEntry(1, 500, kPax60RouteClosed);
    TPAX60RouteEditForm form(nullptr, route);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit Route 5"));
    QCOMPARE(form.RouteListBox->count(), 14);
    QCOMPARE(form.RouteListBox->item(12)->text(), QStringLiteral("2 points in route;"));
    QCOMPARE(form.RouteListBox->item(13)->text(), QStringLiteral("Route fits into SV space!"));
    QCOMPARE(form.RouteListBox->currentRow(), 0);
    QCOMPARE(form.StateButton->currentIndex(), int(kPax60RouteThrown));
    QCOMPARE(form.PointNumberSpin->value(), 101);

    // Position 6 closed while the route has two entries: the third entry,
    // shown on line 3, and the window follows it there.
    ClickRow(form.RouteListBox, 5);
    QCOMPARE(form.StateButton->currentIndex(), 0);
    QVERIFY(!form.PointNumberSpin->isEnabled());
    ChooseItem(form.StateButton, kPax60RouteClosed);
    QVERIFY(form.PointNumberSpin->isEnabled());
    TypeNumber(form.PointNumberSpin, 777);
    QCOMPARE(form.Copy().EntryCount, 3u);
    QCOMPARE(form.RouteListBox->item(2)->text(), QString::fromStdString(form.Copy().EntryText(3)));
    QVERIFY(form.RouteListBox->item(2)->text().startsWith(QStringLiteral("Point 777 Closed")));
    QCOMPARE(form.Position(), 2);
    QCOMPARE(form.Copy().EntryText(6), std::string("not defined."));

    // The summary lines are not entries: clicking them keeps the position.
    ClickRow(form.RouteListBox, 13);
    QCOMPARE(form.Position(), 2);

    // Undefined in the middle compacts the route and goes back to line 1,
    // which the controls then show.
    ClickRow(form.RouteListBox, 1);
    ChooseItem(form.StateButton, kPax60RouteUndef, false);
    QCOMPARE(form.Copy().EntryCount, 2u);
    QCOMPARE(form.StateButton->currentIndex(), int(kPax60RouteThrown));
    QCOMPARE(form.PointNumberSpin->value(), 101);
    QCOMPARE(form.Position(), 0);
    QCOMPARE(form.RouteListBox->currentRow(), 0);

    // Nothing reached the route yet; OK hands the copy back.
    QCOMPARE(route.EntryCount, 2u);
    Press(&form, QDialogButtonBox::Ok);
    TPAX60Route expected;
    expected.Number = 5;
    expected.SetBoardBaseAddress(101);
    expected.SetEntry(0, 101, kPax60RouteThrown);
    expected.SetEntry(1, 777, kPax60RouteClosed);
    std::ostringstream a, b;
    route.WriteLines(a);
    expected.WriteLines(b);
    QCOMPARE(a.str(), b.str());
}

void TPaxEditorsTest::conditionWindowTypesInsertAndDelete()
{
    TPAX60ConditionSet set(kPax60CondCellThrown);
    set.At(0) = TPAX60Condition::Point(7, 0, true);
    set.At(1) = TPAX60Condition::Signal(9, 1, false);
    TPAX60EditConditionsForm form(nullptr, set);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Edit Conditions: ") + QString::fromStdString(set.Title()));
    QCOMPARE(form.ConditionList->count(), set.Capacity());
    QCOMPARE(form.ConditionList->currentRow(), 0);
    QCOMPARE(form.NumberSpin->value(), 7);
    QVERIFY(!form.OffsetSpin->isEnabled());
    QCOMPARE(form.StateCombo->count(), 2);
    QVERIFY(form.AndBox->isChecked());

    // Each type as it opens: numbers, enabling and states.
    struct TRow {
        int type;
        bool number, offset;
        QStringList states;
        TPAX60Condition fresh;
    };
    const TRow rows[] = {
        {kPax60DevSensor, true, true, {"Occupied", "Unoccupied"}, TPAX60Condition::Sensor(1, 1, 0, false)},
        {kPax60DevSignal, true, false, {"Red", "Not Red"}, TPAX60Condition::Signal(1, 0, false)},
        {kPax60DevNone, false, false, {"none"}, TPAX60Condition::Empty()},
        {kPax60DevPoint, true, false, {"Thrown", "Closed"}, TPAX60Condition::Point(1, 0, false)},
    };
    for (const TRow& row : rows) {
        ChooseItem(form.DeviceTypeCombo, row.type);
        QCOMPARE(form.NumberSpin->isEnabled(), row.number);
        QCOMPARE(form.OffsetSpin->isEnabled(), row.offset);
        QCOMPARE(form.NumberSpin->value(), 1);
        QCOMPARE(form.OffsetSpin->value(), 1);
        QCOMPARE(form.StateCombo->isEnabled(), row.type != kPax60DevNone);
        QStringList states;
        for (int i = 0; i < form.StateCombo->count(); ++i)
            states << form.StateCombo->itemText(i);
        QCOMPARE(states, row.states);
        QVERIFY(!form.AndBox->isChecked());
        QCOMPARE(form.AndBox->isEnabled(), row.type != kPax60DevNone);
        QVERIFY(form.Copy().At(0) == row.fresh);
        QCOMPARE(form.ConditionList->item(0)->text(), QString::fromStdString(row.fresh.DisplayText()));
    }

    // Insert at line 2 pushes the signal down; Delete takes it back.
    ClickRow(form.ConditionList, 1);
    QAction* insert = form.ConditionList->findChild<QAction*>(QStringLiteral("Insert"));
    QAction* remove = form.ConditionList->findChild<QAction*>(QStringLiteral("Delete"));
    insert->trigger();
    QVERIFY(form.Copy().At(1).IsEmpty());
    QVERIFY(form.Copy().At(2) == TPAX60Condition::Signal(9, 1, false));
    remove->trigger();
    QVERIFY(form.Copy().At(1) == TPAX60Condition::Signal(9, 1, false));

    // The set itself is untouched until OK.
    QVERIFY(set.At(0) == TPAX60Condition::Point(7, 0, true));
    Press(&form, QDialogButtonBox::Ok);
    QVERIFY(set.At(0) == TPAX60Condition::Point(1, 0, false));
    QVERIFY(set.At(1) == TPAX60Condition::Signal(9, 1, false));
}

void TPaxEditorsTest::subWindowsCancelled()
{
    // Cancel in the cell, route and condition windows discards their copies.
    TPAX60Board board;
    board.SetBaseAddress(1);
    TPAX60EditForm form(nullptr, board);
    form.show();
    const std::string before = FileOf(const_cast<TPAXBoard&>(form.Copy()));
    WhenOpened<TPAX60OutputCellEditForm>([](TPAX60OutputCellEditForm* cell) {
        ChooseItem(cell->CellTypeCombo, 6);
        WhenOpened<TPAX60EditConditionsForm>([](TPAX60EditConditionsForm* conditions) {
            EnterCondition(conditions, 0, kPax60DevSensor, 3, 4, 1, false);
            Press(conditions, QDialogButtonBox::Ok);
        });
        QTest::mouseClick(cell->DefineDont, Qt::LeftButton);
        Press(cell, QDialogButtonBox::Cancel);
    });
    DoubleClickRow(form.OutputCellList, 0);
    WhenOpened<TPAX60RouteEditForm>([](TPAX60RouteEditForm* route) {
        ChooseItem(route->StateButton, kPax60RouteClosed);
        WhenOpened<TPAX60EditConditionsForm>([](TPAX60EditConditionsForm* conditions) {
            EnterCondition(conditions, 0, kPax60DevPoint, 3, 1, 1, false);
            Press(conditions, QDialogButtonBox::Cancel);
        });
        QTest::mouseClick(route->DefineConditions, Qt::LeftButton);
        QVERIFY(route->Copy().TriggerConditions.At(0).IsEmpty());
        Press(route, QDialogButtonBox::Cancel);
    });
    DoubleClickRow(form.RouteList, 0);
    QCOMPARE(FileOf(const_cast<TPAXBoard&>(form.Copy())), before);
}

void TPaxEditorsTest::pax66BuiltThroughTheWindows()
{
    TPAX66Board board;
    TPAX66EditForm form(nullptr, board);
    form.show();
    QVERIFY(!form.EditAddrsBtn->isEnabled());
    EnterSettings(form);
    EnterCell1(form);
    EnterInputA(form);
    EnterRoute2(form);
    Tick(form.Addr16Check);
    Tick(form.IndividualAddrsCheck);
    QVERIFY(form.EditAddrsBtn->isEnabled());
    QVERIFY(!form.DCCBaseAddrEdit->isEnabled());
    QCOMPARE(form.DCCBaseAddrEdit->value(), 0);
    WhenOpened<TPAX66IndividualAddrsEditForm>([](TPAX66IndividualAddrsEditForm* addrs) {
        QCOMPARE(addrs->windowTitle(), QStringLiteral("Edit PAX66 Individual Addresses"));
        for (int i = 0; i < 16; ++i) {
            QVERIFY(addrs->AddrEdits[i]->isEnabled());
            TypeNumber(addrs->AddrEdits[i], 300 + 2 * i);
        }
        TypeNumber(addrs->AddrEdits[15], 2044);  // the highest address a PAX66 output takes
        Press(addrs, QDialogButtonBox::Ok);
    });
    QTest::mouseClick(form.EditAddrsBtn, Qt::LeftButton);
    // A cell answers to its own address now, not to base + n - 1.
    QString caption;
    WhenOpened<TPAX60OutputCellEditForm>([&caption](TPAX60OutputCellEditForm* cell) {
        caption = cell->windowTitle();
        Press(cell, QDialogButtonBox::Cancel);
    });
    DoubleClickRow(form.OutputCellList, 2);
    QCOMPARE(caption, QStringLiteral("Edit Cell 3: (DCC Accessory Address = 304)"));
    Press(&form, QDialogButtonBox::Ok);

    TPAX66Board expected;
    FillExpectedSettings(expected);
    ExpectCell1(expected);
    ExpectInputA(expected);
    ExpectRoute2(expected);
    expected.SetBaseAddress(0);
    expected.Parts.Occupies16Addresses = 1;
    expected.IndividualAddressing = 1;
    for (int i = 1; i <= 16; ++i)
        expected.SetIndividualAddress(i, 300 + 2 * (i - 1));
    expected.SetIndividualAddress(16, 2044);
    QCOMPARE(QString::fromStdString(FileOf(board)), QString::fromStdString(FileOf(expected)));
}

void TPaxEditorsTest::pax66AddressesSurviveTheBoardWindow_data()
{
    QTest::addColumn<bool>("boardOk");
    QTest::addColumn<bool>("sixteenFirst");
    QTest::newRow("addresses, then 16, board OK") << true << false;
    QTest::newRow("16, then addresses, board OK") << true << true;
    QTest::newRow("addresses, then 16, board Cancel") << false << false;
    QTest::newRow("16, then addresses, board Cancel") << false << true;
}

void TPaxEditorsTest::pax66AddressesSurviveTheBoardWindow()
{
    QFETCH(bool, boardOk);
    QFETCH(bool, sixteenFirst);
    TPAX66Board board;
    board.IndividualAddressing = 1;
    board.SetBaseAddress(0);
    board.SetName("Goods yard");

    TPAX66EditForm form(nullptr, board);
    form.show();
    QVERIFY(!form.DCCBaseAddrEdit->isEnabled());
    TypeText(form.BoardNameEdit, QStringLiteral("Renamed"));
    auto editAddresses = [&form, sixteenFirst] {
        WhenOpened<TPAX66IndividualAddrsEditForm>([sixteenFirst](TPAX66IndividualAddrsEditForm* addrs) {
            // The C addresses are offered only once the board occupies 16.
            QCOMPARE(addrs->AddrEdits[8]->isEnabled(), sixteenFirst);
            TypeNumber(addrs->AddrEdits[0], 1001);
            TypeNumber(addrs->AddrEdits[7], 1008);
            Press(addrs, QDialogButtonBox::Ok);
        });
        QTest::mouseClick(form.EditAddrsBtn, Qt::LeftButton);
    };
    if (sixteenFirst) {
        Tick(form.Addr16Check);
        editAddresses();
    } else {
        editAddresses();
        Tick(form.Addr16Check);
    }
    // Written into the board at once.
    QCOMPARE(board.IndividualAddress(1), 1001);
    QCOMPARE(int(board.Parts.Occupies16Addresses), 1);
    Press(&form, boardOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);

    TPAX66Board expected;
    expected.IndividualAddressing = 1;
    expected.SetBaseAddress(0);
    expected.SetName(boardOk ? "Renamed" : "Goods yard");
    expected.Parts.Occupies16Addresses = 1;
    expected.SetIndividualAddress(1, 1001);
    expected.SetIndividualAddress(8, 1008);
    QCOMPARE(FileOf(board), FileOf(expected));
}

void TPaxEditorsTest::pax66IndividualAddressing()
{
    // Unticking gives 45 whatever the base address was before.
    TPAX66Board board;
    board.SetBaseAddress(300);
    TPAX66EditForm form(nullptr, board);
    form.show();
    QCOMPARE(form.DCCBaseAddrEdit->minimum(), 0);
    QCOMPARE(form.DCCBaseAddrEdit->value(), 300);
    Tick(form.IndividualAddrsCheck);
    QCOMPARE(form.Copy().BaseAddress(), 0);
    Tick(form.IndividualAddrsCheck);
    QCOMPARE(form.DCCBaseAddrEdit->value(), 45);
    QVERIFY(form.DCCBaseAddrEdit->isEnabled());
    QVERIFY(!form.EditAddrsBtn->isEnabled());
    QCOMPARE(form.Copy().BaseAddress(), 45);
    QCOMPARE(form.Copy().OutputCell(0).BoardBaseAddress, 45);
    // Nothing but the direct writes reached the board.
    QCOMPARE(board.BaseAddress(), 300);
    Press(&form, QDialogButtonBox::Ok);
    QCOMPARE(board.BaseAddress(), 45);
    QCOMPARE(int(board.IndividualAddressing), 0);
}

void TPaxEditorsTest::tel90BuiltThroughTheWindow()
{
    TTEL90Board board;
    TTEL90EditForm form(nullptr, board);
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("TEL90 Edit"));
    QVERIFY(form.MemoTEL90->toPlainText().contains(QStringLiteral("fixed at 20ms (0.02s).")));
    TypeText(form.BoardNameEdit, QStringLiteral("Harbour detectors"));
    TypeNumber(form.SerialNumEdit, 65535);
    TypeText(form.NotesEdit, QStringLiteral("east fan"));
    TypeNumber(form.SlaveAddrEdit, 17);
    TypeNumber(form.DebounceTimeEdit, 125);  // between two steps: the nearest one shown and stored
    Press(&form, QDialogButtonBox::Ok);
    QCOMPARE(form.DebounceTimeEdit->value(), 130);

    TTEL90Board expected;
    expected.SetName("Harbour detectors");
    expected.SetSerialNumber(65535);
    expected.UserDescription = "east fan";
    expected.SensorBoardNumber = 17;
    expected.DeactivateDebounce = 13;
    QCOMPARE(QString::fromStdString(FileOf(board)), QString::fromStdString(FileOf(expected)));
}

void TPaxEditorsTest::tel90Cancel()
{
    TTEL90Board board;
    board.SetSerialNumber(44);
    const std::string before = FileOf(board);
    TTEL90EditForm form(nullptr, board);
    form.show();
    TypeText(form.BoardNameEdit, QStringLiteral("x"));
    TypeNumber(form.SlaveAddrEdit, 200);
    TypeNumber(form.DebounceTimeEdit, 2000);
    Press(&form, QDialogButtonBox::Cancel);
    QCOMPARE(FileOf(board), before);
}

void TPaxEditorsTest::liveCheckShowsTheErrorText()
{
    // Seven points of other decoders take 14 of the route's 12 bytes.
    TPAX60Board board;
    board.SetBaseAddress(1);
    for (int i = 0; i < 7; ++i)
        board.Route(0).SetEntry(i, 500 + i, kPax60RouteClosed);
    TPAX60EditForm form(nullptr, board);
    form.show();
    QCOMPARE(form.SvErrorText->text(), QString::fromStdString(board.SvErrorText()));
    QVERIFY(!form.SvErrorText->text().isEmpty());
    WhenOpened<TPAX60RouteEditForm>([](TPAX60RouteEditForm* route) {
        QCOMPARE(route->RouteListBox->item(13)->text(), QStringLiteral("!Route does not fit!"));
        QVERIFY(!route->FitLabel->isHidden());
        QVERIFY2(route->FitLabel->text().contains(QStringLiteral("14 bytes of the 12")),
                 qPrintable(route->FitLabel->text()));
        ClickRow(route->RouteListBox, 6);
        ChooseItem(route->StateButton, kPax60RouteUndef);
        QCOMPARE(route->RouteListBox->item(13)->text(), QStringLiteral("Route fits into SV space!"));
        QVERIFY(route->FitLabel->isHidden());
        Press(route, QDialogButtonBox::Ok);
    });
    DoubleClickRow(form.RouteList, 0);
    QCOMPARE(form.SvErrorText->text(), QString());

    TTEL90Board tel90;
    TTEL90EditForm tel90Form(nullptr, tel90);
    QCOMPARE(tel90Form.SvErrorText->text(), QString());
}

void TPaxEditorsTest::editorTableOpensTheModelsWindows()
{
    struct TRow {
        int type;
        const char* caption;
    };
    const TRow rows[] = {{btPAX60, "Edit PAX60 Board Settings"},
                         {btTEL90, "TEL90 Edit"},
                         {btPAX66, "Edit PAX66 Board Settings"}};
    TPAX60Board pax60;
    TTEL90Board tel90;
    TPAX66Board pax66;
    TConfigurableBoard* boards[] = {&pax60, &tel90, &pax66};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(HasBoardEditor(rows[i].type));
        QString caption;
        QTimer::singleShot(0, [&caption] {
            QWidget* window = QApplication::activeModalWidget();
            caption = window->windowTitle();
            QTest::keyClick(window, Qt::Key_Escape);
        });
        QVERIFY(!BoardEditorRow(rows[i].type)->edit(nullptr, QPoint(10, 10), *boards[i]));
        QCOMPARE(caption, QString::fromLatin1(rows[i].caption));
    }
    // A board of another model is not opened by a row.
    QVERIFY(!BoardEditorRow(btPAX60)->edit(nullptr, QPoint(10, 10), tel90));
}

void TPaxEditorsTest::enterTakesTheTypedValueAndTabFollowsTheLayout()
{
    // Enter in a field being typed into is OK, with the typed value.
    TTEL90Board tel90;
    TTEL90EditForm tel90Form(nullptr, tel90);
    tel90Form.show();
    tel90Form.SlaveAddrEdit->selectAll();
    QTest::keyClicks(tel90Form.SlaveAddrEdit, QStringLiteral("42"));
    QTest::keyClick(tel90Form.SlaveAddrEdit, Qt::Key_Return);
    QCOMPARE(tel90Form.result(), int(QDialog::Accepted));
    QCOMPARE(tel90.SensorBoardNumber, 42);

    // The PAX66 window's own controls sit in the tab chain where they are shown.
    TPAX66Board board;
    TPAX66EditForm form(nullptr, board);
    form.show();
    form.IndividualAddrsCheck->setChecked(true);
    form.EnableIndividualAddrs();
    form.DCCBaseAddrEdit->setEnabled(true);
    const QList<QWidget*> expected = {form.BoardNameEdit, form.SerialNumEdit,  form.NotesEdit,
                                      form.DCCBaseAddrEdit, form.IndividualAddrsCheck, form.EditAddrsBtn,
                                      form.Addr16Check,   form.LocoNetCheck,   form.SensBdEdit,
                                      form.CDUDelayEdit,  form.MemLocEdit,     form.RouteAddrEdit,
                                      form.OutputCellList, form.InputCellList, form.RouteList};
    QList<QWidget*> chain;
    QWidget* w = form.BoardNameEdit;
    for (int guard = 0; guard < 200 && chain.size() < expected.size(); ++guard, w = w->nextInFocusChain())
        if (expected.contains(w) && !chain.contains(w))
            chain << w;
    QCOMPARE(chain, expected);
}

// A board read back or a file may hold input codes the window does not offer.
void TPaxEditorsTest::inputCodesNotOfferedAreKept()
{
    TPAX60Board board;
    struct {
        int input;
        uint8_t type, message;
    } const cases[] = {{9, 5, 4}, {0, 6, 9}, {3, 200, 255}};
    for (const auto& c : cases) {
        TPAX60InputCell& input = board.InputCell(c.input);
        input.InputType = c.type;
        input.MessageType = c.message;
        {
            TPAX60InputCellEditForm form(nullptr, input);
            form.show();
            QCOMPARE(form.InputCellTypeCombo->currentIndex(), -1);
            Press(&form, QDialogButtonBox::Ok);
        }
        QCOMPARE(int(input.InputType), int(c.type));
        QCOMPARE(int(input.MessageType), int(c.message));
        TPAX60InputCellEditForm form(nullptr, input);
        form.show();
        ChooseItem(form.InputCellTypeCombo, 1);
        Press(&form, QDialogButtonBox::Ok);
        QCOMPARE(int(input.InputType), 1);  // picked
        QCOMPARE(int(input.MessageType), int(c.message));
    }
}

// Enter on a list row opens the row, as in the ORT50 window, rather than
// closing the board window with OK.
void TPaxEditorsTest::enterOnARowOpensIt()
{
    TPAX60Board pax60;
    TPAX66Board pax66;
    TPAX60EditForm form60(nullptr, pax60);
    TPAX66EditForm form66(nullptr, pax66);
    for (TPAXBoardEditForm* form : {static_cast<TPAXBoardEditForm*>(&form60), static_cast<TPAXBoardEditForm*>(&form66)}) {
        form->show();
        int opened = 0;
        WhenOpened<TPAX60OutputCellEditForm>([&opened](TPAX60OutputCellEditForm* cell) {
            ++opened;
            Press(cell, QDialogButtonBox::Cancel);
        });
        ClickRow(form->OutputCellList, 2);
        QTest::keyClick(form->OutputCellList, Qt::Key_Return);
        WhenOpened<TPAX60InputCellEditForm>([&opened](TPAX60InputCellEditForm* input) {
            ++opened;
            Press(input, QDialogButtonBox::Cancel);
        });
        ClickRow(form->InputCellList, 1);
        QTest::keyClick(form->InputCellList, Qt::Key_Enter);
        WhenOpened<TPAX60RouteEditForm>([&opened](TPAX60RouteEditForm* route) {
            ++opened;
            Press(route, QDialogButtonBox::Cancel);
        });
        ClickRow(form->RouteList, 0);
        QTest::keyClick(form->RouteList, Qt::Key_Return);
        QCOMPARE(opened, 3);
        QVERIFY(form->isVisible());
        QCOMPARE(form->result(), 0);
    }
}

QTEST_MAIN(TPaxEditorsTest)
#include "widget_pax_editors.moc"
