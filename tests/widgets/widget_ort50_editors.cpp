// The ORT50 editors: a board built through the windows alone (keys and
// clicks) writes the same file as the same board built through the model;
// what Cancel keeps and what it drops, read from the file bytes; the
// enabling that follows a cell's type; the route editor's rows and its live
// check.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Editorsupport.h"
#include "app/boards/ort50/Formort50celledit.h"
#include "app/boards/ort50/Formort50edit.h"
#include "app/boards/ort50/Formort50routeedit.h"
#include "boards/ort50/Tort50board.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <sstream>
#include <vector>

namespace {

// Key and mouse input, as a modeller gives it.
void TypeText(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void TypeNumber(QSpinBox* spin, int value)
{
    QVERIFY2(spin->isEnabled(), qPrintable(spin->objectName()));
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    spin->interpretText();  // as when the field is left
    QCOMPARE(spin->value(), value);
}

void Choose(QComboBox* combo, int index)
{
    QVERIFY2(combo->isEnabled(), qPrintable(combo->objectName()));
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void Tick(QCheckBox* check)
{
    QVERIFY2(check->isEnabled(), qPrintable(check->objectName()));
    QTest::keyClick(check, Qt::Key_Space);
}

void ClickRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QCOMPARE(list->currentRow(), row);
}

void DoubleClickRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Runs action on the next modal window to open (a sub-editor opened with exec()).
template <class Form>
void WhenModal(std::function<void(Form*)> action, bool* ran)
{
    QTimer::singleShot(0, qApp, [action, ran] {
        auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* typed = dynamic_cast<Form*>(form);
        if (typed == nullptr) {
            if (form)
                form->reject();
            return;
        }
        action(typed);
        *ran = true;
        // A failed check inside the action must not leave the window open.
        if (typed->isVisible())
            typed->reject();
    });
}

// What a cell gets, through the cell editor or through the model. Only the
// fields the cell's type enables are set: the others cannot be typed into.
struct TCellSpec {
    int index;
    QString description;
    int type;
    int address;
    int actionA = 0, routeA = 1, actionB = 0, routeB = 1;
    int initialise = 0, token = 0, cascadeMode = 0, cascadeCell = 0;
    bool turnoutFeedback = false;
    int sensor = 1;
    bool sensorFlash = false;
    int aspect = 1;
    int interlockNumber = 1;
    bool zoneFlash = false;
    int relay = 1;
};

// Every cell type, with every field its type uses; cell 9 copies the point cell 2.
const std::vector<TCellSpec>& CellSpecs()
{
    static const std::vector<TCellSpec> specs = [] {
        std::vector<TCellSpec> s;
        TCellSpec c{0, QStringLiteral("spare button"), 0, 1};
        c.actionA = 15, c.actionB = 16;
        s.push_back(c);
        c = {1, QStringLiteral("Station throat"), 1, 12};
        c.actionA = 1, c.actionB = 19, c.routeB = 5, c.initialise = 2, c.token = 3, c.cascadeMode = 2,
        c.cascadeCell = 9, c.turnoutFeedback = true;
        s.push_back(c);
        c = {2, QStringLiteral("Platform 1"), 2, 7};
        c.actionA = 4, c.actionB = 5, c.sensor = 11, c.sensorFlash = true;
        s.push_back(c);
        c = {3, QStringLiteral("Down home"), 3, 240};
        c.actionA = 7, c.actionB = 8, c.turnoutFeedback = true, c.aspect = 3;
        s.push_back(c);
        c = {4, QStringLiteral("Reversing loop"), 4, 300};
        c.actionA = 9, c.actionB = 10, c.turnoutFeedback = true, c.zoneFlash = true;
        s.push_back(c);
        c = {5, QStringLiteral("Up starter"), 5, 401};
        c.actionA = 11, c.aspect = 0;
        s.push_back(c);
        c = {6, QStringLiteral("Up distant"), 6, 402};
        c.actionA = 19, c.routeA = 24, c.aspect = 4;
        s.push_back(c);
        c = {7, QStringLiteral("Box interlock"), 7, 1900};
        c.actionA = 6, c.interlockNumber = 3;
        s.push_back(c);
        c = {8, QStringLiteral("Throat repeater"), 8, 2};
        c.cascadeMode = 1, c.cascadeCell = 4, c.initialise = 1, c.token = 1;
        s.push_back(c);
        c = {9, QStringLiteral("Mode"), 9, 1};
        c.actionA = 13, c.actionB = 14;
        s.push_back(c);
        c = {10, QStringLiteral("Yard lights"), 10, 5};
        c.actionA = 12, c.actionB = 17, c.relay = 4;
        s.push_back(c);
        c = {11, QStringLiteral("Goods loop"), 1, 13};
        c.actionA = 18, c.actionB = 3;
        s.push_back(c);
        return s;
    }();
    return specs;
}

void ApplyToModel(const TCellSpec& s, TORT50Cell& cell)
{
    cell.description = FromQ(s.description);
    cell.type = static_cast<uint8_t>(s.type);
    cell.address = s.address;
    cell.actionA = static_cast<uint8_t>(s.actionA);
    cell.routeA = s.routeA;
    cell.actionB = static_cast<uint8_t>(s.actionB);
    cell.routeB = s.routeB;
    cell.initialise = static_cast<uint8_t>(s.initialise);
    cell.interlockToken = s.token;
    cell.cascadeMode = static_cast<uint8_t>(s.cascadeMode);
    cell.cascadeCell = s.cascadeCell;
    cell.usesTurnoutFeedback = s.turnoutFeedback;
    cell.sensorNumber = s.sensor;
    cell.flashUntilKnown = s.sensorFlash;
    cell.aspect = static_cast<uint8_t>(s.aspect);
    cell.interlockNumber = s.interlockNumber;
    cell.flashWhenLocked = s.zoneFlash;
    cell.relayNumber = s.relay;
}

void ApplyToEditor(const TCellSpec& s, TORT50CellEditForm* f)
{
    TypeText(f->DescriptionEdit, s.description);
    Choose(f->CellTypeCombo, s.type);
    if (s.type != 0 && s.type != 9)
        TypeNumber(f->AddrEdit, s.address);
    Choose(f->SW1Combo, s.actionA);
    if (s.actionA == kOrtActionExecuteRoute)
        TypeNumber(f->Route1Edit, s.routeA);
    Choose(f->SW2Combo, s.actionB);
    if (s.actionB == kOrtActionExecuteRoute)
        TypeNumber(f->Route2Edit, s.routeB);
    if (f->InitCombo->isEnabled()) {
        Choose(f->InitCombo, s.initialise);
        Choose(f->TokenCombo, s.token);
        Choose(f->CascadeCombo, s.cascadeMode);
        TypeNumber(f->CascadeEdit, s.cascadeCell);
    }
    if (s.turnoutFeedback)
        Tick(f->ToFbCheck);
    if (f->SensorEdit->isEnabled())
        TypeNumber(f->SensorEdit, s.sensor);
    if (s.sensorFlash)
        Tick(f->SensFlashCheck);
    if (f->AspectCombo->isEnabled())
        Choose(f->AspectCombo, s.aspect);
    if (f->InterlockNumberEdit->isEnabled())
        TypeNumber(f->InterlockNumberEdit, s.interlockNumber);
    if (s.zoneFlash)
        Tick(f->RevZoneCheck);
    if (f->RelayEdit->isEnabled())
        TypeNumber(f->RelayEdit, s.relay);
}

using TEntries = std::vector<std::pair<int32_t, uint8_t>>;

// Sets an entry through the route editor: the row, its state, then its point.
void SetEntry(TORT50RouteEditForm* f, int row, int32_t point, uint8_t state)
{
    ClickRow(f->RouteListBox, row);
    if (state == kOrtStateUndefined) {
        // Removing an entry selects row 0 and loads it into the controls.
        QTest::keyClick(f->StateButton, Qt::Key_Home);
        return;
    }
    Choose(f->StateButton, state);
    TypeNumber(f->PointNumberSpin, point);
}

int EntryRows(const QListWidget* list)
{
    int rows = 0;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->flags() & Qt::ItemIsSelectable)
            ++rows;
    return rows;
}

}  // namespace

class TOrt50EditorsTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

    // Opens the cell editor for a cell from the board editor (Enter on the
    // list) and runs action in it.
    void EditCell(TORT50EditForm& board, int index, std::function<void(TORT50CellEditForm*)> action)
    {
        bool ran = false;
        WhenModal<TORT50CellEditForm>(action, &ran);
        board.CellList->setCurrentRow(index);
        QTest::keyClick(board.CellList, Qt::Key_Return);
        QVERIFY2(ran, "cell editor did not open");
        QVERIFY(board.isVisible());  // Enter on the list does not close the board editor
    }

    // Opens the route editor for a route from the board editor (double click).
    void EditRoute(TORT50EditForm& board, int index, std::function<void(TORT50RouteEditForm*)> action)
    {
        bool ran = false;
        WhenModal<TORT50RouteEditForm>(action, &ran);
        DoubleClickRow(board.RouteList, index);
        QVERIFY2(ran, "route editor did not open");
    }

private slots:
    void captionsAndTopics()
    {
        TORT50Board board;
        TORT50EditForm editor(board);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit ORT50 Board Settings"));
        TORT50CellEditForm cell(board.Cells(), 6);
        QCOMPARE(cell.windowTitle(), QStringLiteral("Edit Cell 7"));
        TORT50RouteEditForm route(board.RouteAt(16), board.Cells());
        QCOMPARE(route.windowTitle(), QStringLiteral("Edit Route 17"));
        QCOMPARE(HelpContextOf(&editor), 600);
        QCOMPARE(HelpContextOf(&cell), 610);
        QCOMPARE(HelpContextOf(&route), 620);
        QVERIFY(HasBoardEditor(1));
    }

    // The whole board through the windows, against the same board through the model.
    void boardBuiltThroughWindows()
    {
        TORT50Board board;
        TORT50Board expected;

        TORT50EditForm editor(board);
        editor.show();
        QVERIFY(editor.SvCheck->text().isEmpty());

        TypeText(editor.BoardNameEdit, QStringLiteral("Yard panel"));
        TypeNumber(editor.SerialNumEdit, 4242);
        TypeText(editor.NotesEdit, QStringLiteral("North end"));
        TypeNumber(editor.RouteAddrEdit, 1500);
        Choose(editor.StartupModeCombo, 2);
        Choose(editor.SlaveModeCombo, 2);
        TypeNumber(editor.SlaveAddrEdit, 77);
        TypeNumber(editor.DCCSlaveEdit, 1100);
        TypeNumber(editor.DCCInterlockEdit, 1101);
        TypeNumber(editor.PointDelayEdit, 25);
        expected.SetName("Yard panel");
        expected.SetSerialNumber(4242);
        expected.notes = "North end";
        expected.routeAddress = 1500;
        expected.powerUpMode = 2;
        expected.slaveBlock = 3;
        expected.sensorBoardNumber = 77;
        expected.slaveAddress = 1100;
        expected.interlockAddress = 1101;
        expected.pointDelay = 25;

        for (const TCellSpec& spec : CellSpecs()) {
            EditCell(editor, spec.index, [&spec](TORT50CellEditForm* f) {
                ApplyToEditor(spec, f);
                Press(f, QDialogButtonBox::Ok);
            });
            ApplyToModel(spec, expected.CellAt(spec.index));
            QCOMPARE(editor.CellList->item(spec.index)->text(),
                     ToQ(expected.CellAt(spec.index).CellListLine()));
        }

        // Route 1: an entry made and removed again, and a cascade alone.
        EditRoute(editor, 0, [](TORT50RouteEditForm* f) {
            SetEntry(f, 0, 12, kOrtStateClosed);
            SetEntry(f, 0, 1, kOrtStateUndefined);
            Tick(f->CascadeCheck);
            TypeNumber(f->CascadeSpin, 2);
            QCOMPARE(f->WorkingRoute().Length(), 0u);
            Press(f, QDialogButtonBox::Ok);
        });
        expected.RouteAt(0).cascade = true;
        expected.RouteAt(0).cascadeRoute = 2;

        // Route 2: one entry, on a point cell.
        EditRoute(editor, 1, [](TORT50RouteEditForm* f) {
            SetEntry(f, 0, 12, kOrtStateThrown);
            QCOMPARE(f->RouteListBox->item(0)->text(), QStringLiteral("Point 12 Thrown (Cell 2)"));
            Press(f, QDialogButtonBox::Ok);
        });
        expected.RouteAt(1).SetEntries({{12, kOrtStateThrown}});

        // Route 3: eleven entries and a cascade; two-byte points do not fit.
        const QString kRoute3TooLong =
            QStringLiteral("SV Calculation Error: one or more routes has too many entries. Route 3 needs 22 bytes; a "
                           "route holds 12: a point on one of this board's cells takes 1, any other point 2, the from "
                           "and to buttons 2, a cascade 1");
        TEntries eleven;
        for (int i = 0; i < 11; ++i)
            eleven.emplace_back(i == 0 ? 13 : 600 + i, i % 2 ? kOrtStateThrown : kOrtStateClosed);
        EditRoute(editor, 2, [&eleven, &kRoute3TooLong](TORT50RouteEditForm* f) {
            Tick(f->CascadeCheck);
            TypeNumber(f->CascadeSpin, 7);
            QCOMPARE(EntryRows(f->RouteListBox), 11);
            for (size_t i = 0; i < eleven.size(); ++i)
                SetEntry(f, static_cast<int>(i), eleven[i].first, eleven[i].second);
            QCOMPARE(f->RouteListBox->item(12)->text(), QStringLiteral("!Route does not fit!"));
            QCOMPARE(f->SvCheck->text(), kRoute3TooLong);
            Press(f, QDialogButtonBox::Ok);
        });
        expected.RouteAt(2).SetEntries(eleven);
        expected.RouteAt(2).cascade = true;
        expected.RouteAt(2).cascadeRoute = 7;
        QCOMPARE(editor.SvCheck->text(), kRoute3TooLong);

        // Route 4: twelve entries, then a cascade on top: both are kept.
        TEntries twelve;
        for (int i = 0; i < 12; ++i)
            twelve.emplace_back(100 + i, kOrtStateClosed);
        EditRoute(editor, 3, [&twelve](TORT50RouteEditForm* f) {
            for (size_t i = 0; i < twelve.size(); ++i)
                SetEntry(f, static_cast<int>(i), twelve[i].first, twelve[i].second);
            Tick(f->CascadeCheck);
            TypeNumber(f->CascadeSpin, 9);
            // The twelfth entry stays listed although the cascade leaves room for eleven.
            QCOMPARE(EntryRows(f->RouteListBox), 12);
            QCOMPARE(f->RouteListBox->item(11)->text(), QStringLiteral("Point 111 Closed  (no cell)"));
            Press(f, QDialogButtonBox::Ok);
        });
        expected.RouteAt(3).SetEntries(twelve);
        expected.RouteAt(3).cascade = true;
        expected.RouteAt(3).cascadeRoute = 9;

        // Route 5: twelve entries; one in the middle removed and another
        // set on an empty row, which lands at the end.
        EditRoute(editor, 4, [](TORT50RouteEditForm* f) {
            for (int i = 0; i < 12; ++i)
                SetEntry(f, i, 200 + i, kOrtStateThrown);
            SetEntry(f, 5, 1, kOrtStateUndefined);
            QCOMPARE(f->RouteListBox->currentRow(), 0);
            QCOMPARE(f->RouteListBox->item(5)->text(), QStringLiteral("Point 206 Thrown  (no cell)"));
            QCOMPARE(f->RouteListBox->item(11)->text(), QStringLiteral("not defined."));
            SetEntry(f, 11, 12, kOrtStateClosed);
            QCOMPARE(f->RouteListBox->currentRow(), 11);
            Press(f, QDialogButtonBox::Ok);
        });
        TEntries fifth;
        for (int i = 0; i < 12; ++i)
            if (i != 5)
                fifth.emplace_back(200 + i, kOrtStateThrown);
        fifth.emplace_back(12, kOrtStateClosed);
        expected.RouteAt(4).SetEntries(fifth);

        QCOMPARE(editor.RouteList->item(3)->text(), ToQ(expected.RouteAt(3).RouteListLine(expected.Cells())));
        Press(&editor, QDialogButtonBox::Ok);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(FileOf(board), FileOf(expected));

        // What the file holds reads back as built, twelve entries and cascade together.
        std::istringstream in(FileOf(board));
        TORT50Board reread;
        reread.ReadFromFile(in);
        QCOMPARE(FileOf(reread), FileOf(expected));
        QCOMPARE(reread.RouteAt(3).Length(), 12u);
        QVERIFY(reread.RouteAt(3).cascade);
    }

    // To/from numbering: the route editor's buttons and rows follow it.
    void toFromRoute()
    {
        TORT50Board board;
        TORT50Board expected;
        TORT50EditForm editor(board);
        editor.show();
        QTest::mouseClick(editor.ToFromBox, Qt::LeftButton);
        QVERIFY(board.ToFromNumbering());
        EditRoute(editor, 6, [](TORT50RouteEditForm* f) {
            QVERIFY(f->FromSpin->isEnabled());
            QCOMPARE(EntryRows(f->RouteListBox), 10);
            Tick(f->CascadeCheck);
            QCOMPARE(EntryRows(f->RouteListBox), 9);
            TypeNumber(f->FromSpin, 3);
            TypeNumber(f->ToSpin, 17);
            TypeNumber(f->CascadeSpin, 24);
            SetEntry(f, 0, 2048, kOrtStateThrown);
            Press(f, QDialogButtonBox::Ok);
        });
        Press(&editor, QDialogButtonBox::Ok);
        expected.SetToFromNumbering(true);
        TORT50Route& route = expected.RouteAt(6);
        route.fromButton = 3;
        route.toButton = 17;
        route.cascade = true;
        route.cascadeRoute = 24;
        route.SetEntries({{2048, kOrtStateThrown}});
        QCOMPARE(FileOf(board), FileOf(expected));

        TORT50Board fresh;
        TORT50RouteEditForm plain(fresh.RouteAt(0), fresh.Cells());
        QVERIFY(!plain.FromSpin->isEnabled());
        QVERIFY(!plain.ToSpin->isEnabled());
        QVERIFY(!plain.CascadeSpin->isEnabled());
        QCOMPARE(EntryRows(plain.RouteListBox), 12);
    }

    // Cancel: the board editor's own fields are dropped; cells, routes and
    // the to/from numbering confirmed meanwhile are kept.
    void cancelRules()
    {
        TORT50Board board;
        board.SetSerialNumber(17);
        board.CellAt(3).type = kOrtCellSensor;
        board.RouteAt(5).SetEntries({{44, kOrtStateClosed}});
        const std::string original = FileOf(board);
        TORT50Board expected(board);

        {
            TORT50EditForm editor(board);
            editor.show();
            TypeText(editor.BoardNameEdit, QStringLiteral("Renamed"));
            TypeNumber(editor.SerialNumEdit, 99);
            TypeNumber(editor.PointDelayEdit, 0);
            QTest::keyClick(&editor, Qt::Key_Escape);
            QCOMPARE(editor.result(), int(QDialog::Rejected));
        }
        QCOMPARE(FileOf(board), original);

        {
            TORT50EditForm editor(board);
            editor.show();
            // Sub-editors cancelled: nothing changes.
            EditCell(editor, 3, [](TORT50CellEditForm* f) {
                TypeText(f->DescriptionEdit, QStringLiteral("dropped"));
                Choose(f->CellTypeCombo, 7);
                QTest::keyClick(f, Qt::Key_Escape);
            });
            EditRoute(editor, 5, [](TORT50RouteEditForm* f) {
                SetEntry(f, 0, 1, kOrtStateUndefined);
                Tick(f->CascadeCheck);
                Press(f, QDialogButtonBox::Cancel);
            });
            QCOMPARE(FileOf(board), original);

            // Confirmed in sub-editors, then the board editor cancelled.
            EditCell(editor, 4, [](TORT50CellEditForm* f) {
                TypeText(f->DescriptionEdit, QStringLiteral("kept"));
                Choose(f->CellTypeCombo, 1);
                TypeNumber(f->AddrEdit, 44);
                Press(f, QDialogButtonBox::Ok);
            });
            EditRoute(editor, 5, [](TORT50RouteEditForm* f) {
                SetEntry(f, 1, 45, kOrtStateThrown);
                Press(f, QDialogButtonBox::Ok);
            });
            // The route list follows the new point cell at once.
            QCOMPARE(editor.RouteList->item(5)->text(), QStringLiteral("Route 6:Points 44C; 45T; "));
            QTest::mouseClick(editor.ToFromBox, Qt::LeftButton);
            TypeText(editor.NotesEdit, QStringLiteral("dropped"));
            Press(&editor, QDialogButtonBox::Cancel);
        }
        expected.CellAt(4).description = "kept";
        expected.CellAt(4).type = kOrtCellPoint;
        expected.CellAt(4).address = 44;
        expected.RouteAt(5).SetEntries({{44, kOrtStateClosed}, {45, kOrtStateThrown}});
        expected.SetToFromNumbering(true);
        QCOMPARE(FileOf(board), FileOf(expected));
    }

    // Values the spin ranges of the windows do not reach are kept by OK, not replaced.
    void okKeepsOutOfListValues()
    {
        TORT50Board board;
        board.routeAddress = 0;
        board.slaveBlock = 0;
        const std::string original = FileOf(board);
        TORT50EditForm editor(board);
        editor.show();
        QCOMPARE(editor.SerialNumEdit->text(), QStringLiteral("not set yet"));
        QTest::keyClick(&editor, Qt::Key_Return);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(FileOf(board), original);
    }

    // "UNDEF" entries read from a file: OK keeps the same route whichever
    // row is selected, the file unchanged while nothing is touched.
    void routeWithUndefinedEntries()
    {
        TORT50Board board;
        board.RouteAt(2).SetEntries({{5, kOrtStateClosed}, {6, kOrtStateUndefined}, {7, kOrtStateThrown}});
        const std::string original = FileOf(board);
        for (int row : {0, 1, 2, 3, 11}) {
            TORT50Route route(board.RouteAt(2));
            TORT50RouteEditForm form(route, board.Cells());
            form.show();
            ClickRow(form.RouteListBox, row);
            Press(&form, QDialogButtonBox::Ok);
            QCOMPARE(route.Length(), 3u);
            board.RouteAt(2) = route;
            QCOMPARE(FileOf(board), original);
        }
        // A change applies the route's rules: the undefined entry goes.
        TORT50Route route(board.RouteAt(2));
        TORT50RouteEditForm form(route, board.Cells());
        form.show();
        ClickRow(form.RouteListBox, 2);
        form.PointNumberSpin->setValue(8);  // applied at once; the removal selects row 0
        Press(&form, QDialogButtonBox::Ok);
        QCOMPARE(route.Length(), 2u);
        QCOMPARE(route.RoutePointAt(1), 8);
    }

    void cellEnabling_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("enabled");
        const QStringList point = {"InitCombo", "TokenCombo", "CascadeCombo", "CascadeEdit", "ToFbCheck"};
        QTest::newRow("undefined") << 0 << 1 << "(Unused)" << QStringList{};
        QTest::newRow("point") << 1 << 1 << "Point DCC Address" << point;
        QTest::newRow("sensor") << 2 << 1 << "Board Address" << QStringList{"SensorEdit", "SensFlashCheck"};
        QTest::newRow("VELA signal") << 3 << 1 << "Signal DCC Address" << QStringList{"ToFbCheck", "AspectCombo"};
        QTest::newRow("zone") << 4 << 1 << "Zone DCC Address" << QStringList{"ToFbCheck", "RevZoneCheck"};
        QTest::newRow("SE8c 2") << 5 << 1 << "Signal DCC Address" << QStringList{"AspectCombo"};
        QTest::newRow("SE8c 4") << 6 << 1 << "Signal DCC Address" << QStringList{"AspectCombo"};
        QTest::newRow("interlock") << 7 << 1 << "Interlock DCC Address" << QStringList{"InterlockNumberEdit"};
        QTest::newRow("copy of point cell 7") << 8 << 7 << "Cell Number" << point;
        QTest::newRow("copy of signal cell 8") << 8 << 8 << "Cell Number" << QStringList{"AspectCombo"};
        QTest::newRow("copy of cell 45") << 8 << 45 << "Cell Number" << QStringList{};
        QTest::newRow("board mode") << 9 << 1 << "(unused)" << QStringList{};
        QTest::newRow("relay") << 10 << 1 << "Board Address" << QStringList{"RelayEdit"};
    }

    void cellEnabling()
    {
        QFETCH(int, type);
        QFETCH(int, address);
        QFETCH(QString, label);
        QFETCH(QStringList, enabled);
        TORT50Board board;
        board.CellAt(6).type = kOrtCellPoint;
        board.CellAt(7).type = kOrtCellSe8cRedGreenAmber;
        TORT50CellEditForm f(board.Cells(), 0);
        f.show();
        Choose(f.CellTypeCombo, type);
        f.AddrEdit->selectAll();
        QTest::keyClicks(f.AddrEdit, QString::number(address));  // follows the typing, before the field is left
        QCOMPARE(f.AddressLabel->text(), label);
        const QList<QWidget*> typeControls = {f.InitCombo,   f.TokenCombo,     f.CascadeCombo, f.CascadeEdit,
                                              f.ToFbCheck,   f.SensorEdit,     f.SensFlashCheck, f.AspectCombo,
                                              f.RevZoneCheck, f.InterlockNumberEdit, f.RelayEdit};
        for (QWidget* w : typeControls)
            QVERIFY2(w->isEnabled() == enabled.contains(w->objectName()), qPrintable(w->objectName()));
        QVERIFY(!f.Route1Edit->isEnabled());
        Choose(f.SW1Combo, kOrtActionExecuteRoute);
        QVERIFY(f.Route1Edit->isEnabled());
        QVERIFY(!f.Route2Edit->isEnabled());
    }

    // The editor table's row opens the board editor modally at the position given.
    void editorTableRow()
    {
        TORT50Board board;
        bool ran = false;
        WhenModal<TORT50EditForm>(
            [](TORT50EditForm* f) {
                // At the position asked for, moved only as far as keeps it on the screen.
                const QRect room = f->screen()->availableGeometry();
                QCOMPARE(f->frameGeometry().left(),
                         std::max(room.left(), std::min(40, room.right() - f->frameGeometry().width() + 1)));
                QVERIFY(room.contains(f->frameGeometry().topLeft()));
                TypeText(f->BoardNameEdit, QStringLiteral("From the table"));
                Press(f, QDialogButtonBox::Ok);
            },
            &ran);
        QVERIFY(BoardEditorRow(1)->edit(nullptr, QPoint(40, 50), board));
        QVERIFY(ran);
        QCOMPARE(board.Name(), std::string("From the table"));
    }

    // Tab goes through the controls in the order they are laid out.
    void tabOrder()
    {
        auto chain = [](QWidget* window, const QStringList& names) {
            QStringList seen;
            for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
                if (names.contains(w->objectName()) && !seen.contains(w->objectName()))
                    seen << w->objectName();
            return seen;
        };
        TORT50Board board;
        TORT50EditForm editor(board);
        const QStringList boardOrder = {"BoardNameEdit", "SerialNumEdit",   "NotesEdit",     "CellList",
                                        "RouteList",     "ToFromBox",       "RouteAddrEdit", "StartupModeCombo",
                                        "SlaveModeCombo", "SlaveAddrEdit",  "DCCSlaveEdit",  "DCCInterlockEdit",
                                        "PointDelayEdit"};
        QCOMPARE(chain(&editor, boardOrder), boardOrder);
        TORT50CellEditForm cell(board.Cells(), 0);
        const QStringList cellOrder = {"DescriptionEdit", "CellTypeCombo", "AddrEdit",       "SW1Combo",
                                       "Route1Edit",      "SW2Combo",      "Route2Edit",     "InitCombo",
                                       "TokenCombo",      "CascadeCombo",  "CascadeEdit",    "ToFbCheck",
                                       "SensorEdit",      "SensFlashCheck", "AspectCombo",   "InterlockNumberEdit",
                                       "RevZoneCheck",    "RelayEdit"};
        QCOMPARE(chain(&cell, cellOrder), cellOrder);
        TORT50RouteEditForm route(board.RouteAt(0), board.Cells());
        const QStringList routeOrder = {"RouteListBox", "PointNumberSpin", "StateButton", "FromSpin",
                                        "ToSpin",       "CascadeCheck",    "CascadeSpin"};
        QCOMPARE(chain(&route, routeOrder), routeOrder);
    }

    // Every window fits a 1280 x 800 screen.
    void windowsFit()
    {
        TORT50Board board;
        TORT50EditForm editor(board);
        TORT50CellEditForm cell(board.Cells(), 0);
        TORT50RouteEditForm route(board.RouteAt(0), board.Cells());
        for (QDialog* d : std::initializer_list<QDialog*>{&editor, &cell, &route}) {
            d->adjustSize();
            QVERIFY2(d->width() <= 1280 && d->height() <= 760, qPrintable(d->windowTitle()));
        }
    }
};

QTEST_MAIN(TOrt50EditorsTest)
#include "widget_ort50_editors.moc"
