// The MUV7 board editor, sequence editor and wizard, driven by keys and
// clicks: what they leave in the board's file, and what Cancel leaves alone.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Editorsupport.h"
#include "app/boards/muv7/Formmuv7edit.h"
#include "app/boards/muv7/Formmuv7sequenceedit.h"
#include "app/boards/muv7/Formmuv7wizard.h"
#include "boards/muv7/Tmuv7board.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <functional>
#include <sstream>

namespace {

void TypeText(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

// Types a number over a spin edit's text and leaves the field, as a user does.
void TypeNumber(QSpinBox* spin, int value)
{
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Tab);
}

// Picks a combo box item with the arrow keys.
void Choose(QComboBox* combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

void ClickRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void DoubleClickRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Waits until the window takes keyboard focus, so typing and Tab reach its fields.
bool WaitActive(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000);
}

// Runs work on the next modal dialog of type D once it is open; the dialog is
// rejected afterwards should work leave it open, so a failing test cannot hang.
template <class D>
void WhenOpen(std::function<void(D*)> work, bool* ran)
{
    QTimer::singleShot(0, qApp, [work, ran] {
        D* dialog = nullptr;
        (void)QTest::qWaitFor([&] {
            dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            return dialog != nullptr;
        }, 5000);
        if (dialog == nullptr)
            return;
        (void)WaitActive(dialog);
        work(dialog);
        *ran = true;
        if (dialog->isVisible())
            dialog->reject();
    });
}

// A sequence typed step by step in the sequence editor, as the model has it.
void TypedSequence(TMUV7Sequence& s)
{
    s.name = "Yard run";
    s.description = "Loco shed and back";
    s.sequenceType = kMuv7UserDefined;
    s.activeSteps = 4;
    TMUV7SequenceStep& stop = s.StepAt(0);
    stop.trigger = kMuv7TriggerSensor;
    stop.sensorBoard = 12;
    stop.sensor = 5;
    stop.respondEvery = 3;
    stop.retriggerStep = 2;
    stop.action = kMuv7ActionStop;
    stop.rampTime = 4;
    TMUV7SequenceStep& horn = s.StepAt(1);
    horn.trigger = kMuv7TriggerPointClosed;
    horn.triggerPoint = 300;
    horn.action = kMuv7ActionFunction;
    horn.function = 5;
    horn.functionTime = 3;
    TMUV7SequenceStep& point = s.StepAt(2);
    point.trigger = kMuv7TriggerPointThrown;
    point.triggerPoint = 2048;
    point.action = kMuv7ActionPointThrown;
    point.actionPoint = 1500;
    TMUV7SequenceStep& dispatch = s.StepAt(3);
    dispatch.trigger = kMuv7TriggerDelay;
    dispatch.delay = 1000;
    dispatch.action = kMuv7ActionDispatch;
}

}  // namespace

class TMuv7EditorsTest : public QObject {
    Q_OBJECT

private slots:
    void boardBuiltThroughWindowsMatchesModel();
    void cancelLeavesBoardFileUnchanged();
    void sequenceEditorFollowsTriggerAndAction();
    void typeTurnsUserDefinedAndNameIsCut();
    void keepsWhatWasTypedUntilOkOrCancel();
};

void TMuv7EditorsTest::boardBuiltThroughWindowsMatchesModel()
{
    TMUV7Board board;
    TMUV7EditForm form(board);
    form.show();
    QVERIFY(WaitActive(&form));
    QVERIFY(form.SvCheck->text().isEmpty());

    TypeText(form.BoardNameEdit, QStringLiteral("Harbour shuttle"));
    TypeNumber(form.SerialNumEdit, 4711);
    TypeText(form.DescriptionEdit, QStringLiteral("Quay to junction"));
    Choose(form.SensorCombo, 3);
    TypeNumber(form.SensorBoardSpin, 255);

    // Sequence 1, typed step by step.
    bool typed = false;
    WhenOpen<TMUV7SequenceEditForm>([](TMUV7SequenceEditForm* e) {
        TypeText(e->NameEdit, QStringLiteral("Yard run"));
        TypeText(e->DescriptionEdit, QStringLiteral("Loco shed and back"));

        ClickRow(e->StepList, 0);
        Choose(e->ActionCombo, kMuv7ActionStop);
        Choose(e->TriggerCombo, kMuv7TriggerSensor);
        TypeNumber(e->TrigSpin1, 12);
        TypeNumber(e->TrigSpin2, 5);
        TypeNumber(e->IterationSpin, 3);
        Choose(e->RetrigCombo, 2);
        TypeNumber(e->ActionSpin1, 4);

        ClickRow(e->StepList, 1);
        Choose(e->TriggerCombo, kMuv7TriggerPointClosed);
        Choose(e->ActionCombo, kMuv7ActionFunction);
        TypeNumber(e->TrigSpin1, 300);
        TypeNumber(e->ActionSpin1, 5);
        TypeNumber(e->ActionSpin2, 3);

        // Trigger values typed while the step has no action yet are taken
        // when the action is chosen.
        ClickRow(e->StepList, 2);
        Choose(e->TriggerCombo, kMuv7TriggerPointThrown);
        TypeNumber(e->TrigSpin1, 2048);
        Choose(e->ActionCombo, kMuv7ActionPointThrown);
        TypeNumber(e->ActionSpin1, 1500);

        ClickRow(e->StepList, 3);
        Choose(e->ActionCombo, kMuv7ActionDispatch);
        TypeNumber(e->TrigSpin1, 1000);

        // A step given an action and then "No Action" is unused again.
        ClickRow(e->StepList, 4);
        Choose(e->ActionCombo, kMuv7ActionStartB);
        Choose(e->TriggerCombo, kMuv7TriggerSensor);
        TypeNumber(e->TrigSpin1, 40);
        Choose(e->ActionCombo, kMuv7ActionNone);
        QCOMPARE(e->StepList->item(4)->text(), QStringLiteral("5: Step not used."));

        QCOMPARE(e->StepList->item(0)->text(),
                 QStringLiteral("1: trigger when sensor 12,5 occupied; Stop train."));
        QCOMPARE(e->ActiveStepEdit->text(), QStringLiteral("4"));
        QCOMPARE(e->SequenceTypeCombo->currentText(), QStringLiteral("User Defined"));
        QTest::mouseClick(e->OKBtn, Qt::LeftButton);
    }, &typed);
    DoubleClickRow(form.SequenceList, 0);
    QVERIFY(typed);
    QCOMPARE(form.SequenceList->item(0)->text(), QStringLiteral("1\tYard run"));

    // Sequence 2 from the wizard's Station Stop page, shown first.
    bool stationStop = false;
    WhenOpen<TMUV7SequenceEditForm>([](TMUV7SequenceEditForm* e) {
        bool generated = false;
        WhenOpen<TTMUV7Wizard>([](TTMUV7Wizard* w) {
            QCOMPARE(w->PageControl->currentIndex(), 0);
            TypeNumber(w->SStopSensBdSpin, 11);
            TypeNumber(w->SStopSensSpin, 4);
            TypeNumber(w->SStopWaitSpin, 25);
            TypeNumber(w->SStopVisitSpin, 2);
            TypeNumber(w->SStopAccelSpin, 3);
            // Enter generates while nothing is generated, then means OK.
            QTest::keyClick(w, Qt::Key_Return);
            QVERIFY(w->isVisible());
            QVERIFY(w->GeneratedList->count() > 0);
            QTest::keyClick(w, Qt::Key_Return);
        }, &generated);
        QTest::mouseClick(e->WizardBtn, Qt::LeftButton);
        QVERIFY(generated);
        QVERIFY(e->isVisible());
        QCOMPARE(e->NameEdit->text(), QStringLiteral("Station Stop"));
        QCOMPARE(e->SequenceTypeCombo->currentText(), QStringLiteral("Station Stop"));
        QCOMPARE(e->ActiveStepEdit->text(), QStringLiteral("2"));
        QTest::mouseClick(e->OKBtn, Qt::LeftButton);
    }, &stationStop);
    DoubleClickRow(form.SequenceList, 1);
    QVERIFY(stationStop);

    // Sequence 3 from the Shuttle page.
    bool shuttle = false;
    WhenOpen<TMUV7SequenceEditForm>([](TMUV7SequenceEditForm* e) {
        bool generated = false;
        WhenOpen<TTMUV7Wizard>([](TTMUV7Wizard* w) {
            QTabBar* tabs = w->PageControl->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
            QCOMPARE(w->PageControl->tabText(w->PageControl->currentIndex()), QStringLiteral("Shuttle"));
            TypeNumber(w->End1SensBdSpin, 20);
            TypeNumber(w->End1SensSpin, 7);
            TypeNumber(w->End1WaitSpin, 30);
            TypeNumber(w->End2SensBdSpin, 21);
            TypeNumber(w->End2SensSpin, 16);
            TypeNumber(w->End2WaitSpin, 45);
            TypeNumber(w->ShuttleAccelSpin, 9);
            QTest::mouseClick(w->GenerateShuttleBtn, Qt::LeftButton);
            QCOMPARE(w->GeneratedList->count(), 4);
            QTest::mouseClick(w->OKBtn, Qt::LeftButton);
        }, &generated);
        QTest::mouseClick(e->WizardBtn, Qt::LeftButton);
        QVERIFY(generated);
        QTest::keyClick(e, Qt::Key_Return);  // OK
    }, &shuttle);
    DoubleClickRow(form.SequenceList, 2);
    QVERIFY(shuttle);

    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    TMUV7Board expected;
    expected.SetName("Harbour shuttle");
    expected.SetSerialNumber(4711);
    expected.description = "Quay to junction";
    expected.SensorConfig().sensorConfig = 3;
    expected.SensorConfig().sensorBoardNumber = 255;
    TypedSequence(expected.SequenceAt(0));
    expected.SequenceAt(1).MakeStationStop(11, 4, 25, 2, 3);
    expected.SequenceAt(2).MakeShuttle(20, 7, 30, 21, 16, 45, 9);
    QCOMPARE(QString::fromStdString(FileOf(board)), QString::fromStdString(FileOf(expected)));
}

void TMuv7EditorsTest::cancelLeavesBoardFileUnchanged()
{
    TMUV7Board board;
    board.SetName("Branch");
    board.SetSerialNumber(12);
    board.SequenceAt(0).MakeShuttle(10, 1, 30, 10, 2, 45, 3);
    TypedSequence(board.SequenceAt(1));
    board.SequenceAt(1).StepAt(0).respondEvery = 300;  // read from a file; the editor keeps 8 bits
    const std::string before = FileOf(board);

    // The board editor through the editor table: changes, then Escape.
    QVERIFY(HasBoardEditor(3));
    bool escaped = false;
    WhenOpen<TMUV7EditForm>([](TMUV7EditForm* f) {
        TypeText(f->BoardNameEdit, QStringLiteral("Renamed"));
        TypeNumber(f->SerialNumEdit, 99);
        Choose(f->SensorCombo, 4);
        QTest::keyClick(f, Qt::Key_Escape);
    }, &escaped);
    QVERIFY(!BoardEditorRow(3)->edit(nullptr, QPoint(40, 40), board));
    QVERIFY(escaped);
    QCOMPARE(FileOf(board), before);

    TMUV7EditForm form(board);
    form.show();
    QVERIFY(WaitActive(&form));
    const auto inSequenceEditor = [&](int row, std::function<void(TMUV7SequenceEditForm*)> work) {
        bool ran = false;
        WhenOpen<TMUV7SequenceEditForm>(work, &ran);
        DoubleClickRow(form.SequenceList, row);
        QVERIFY(ran);
    };

    // Steps changed, then Cancel; and then Escape.
    for (const bool escape : {false, true}) {
        inSequenceEditor(0, [escape](TMUV7SequenceEditForm* e) {
            TypeText(e->NameEdit, QStringLiteral("Changed"));
            ClickRow(e->StepList, 1);
            TypeNumber(e->TrigSpin1, 77);
            ClickRow(e->StepList, 5);
            Choose(e->ActionCombo, kMuv7ActionDispatch);
            if (escape)
                QTest::keyClick(e, Qt::Key_Escape);
            else
                QTest::mouseClick(e->CancelBtn, Qt::LeftButton);
        });
        QCOMPARE(FileOf(board), before);
    }

    // The wizard generates, then Cancel; the sequence editor's OK keeps the sequence as it was.
    for (const bool shuttlePage : {false, true}) {
        inSequenceEditor(1, [shuttlePage](TMUV7SequenceEditForm* e) {
            bool cancelled = false;
            WhenOpen<TTMUV7Wizard>([shuttlePage](TTMUV7Wizard* w) {
                if (shuttlePage) {
                    w->PageControl->setCurrentIndex(1);
                    QTest::mouseClick(w->GenerateShuttleBtn, Qt::LeftButton);
                } else {
                    QTest::mouseClick(w->GenerateSStopBtn, Qt::LeftButton);
                }
                QTest::mouseClick(w->CancelBtn, Qt::LeftButton);
            }, &cancelled);
            QTest::mouseClick(e->WizardBtn, Qt::LeftButton);
            QVERIFY(cancelled);
            ClickRow(e->StepList, 0);
            QCOMPARE(e->IterationSpin->value(), 255);
            ClickRow(e->StepList, 1);  // leave step 1 untouched by the closing store
            QTest::mouseClick(e->OKBtn, Qt::LeftButton);
        });
    }
    QCOMPARE(FileOf(board), before);

    // The wizard's OK reaches only the sequence editor's copy: Cancel there drops it.
    inSequenceEditor(0, [](TMUV7SequenceEditForm* e) {
        bool generated = false;
        WhenOpen<TTMUV7Wizard>([](TTMUV7Wizard* w) {
            QTest::mouseClick(w->GenerateSStopBtn, Qt::LeftButton);
            QTest::mouseClick(w->OKBtn, Qt::LeftButton);
        }, &generated);
        QTest::mouseClick(e->WizardBtn, Qt::LeftButton);
        QVERIFY(generated);
        QCOMPARE(e->WorkingCopy().sequenceType, kMuv7StationStop);
        QTest::mouseClick(e->CancelBtn, Qt::LeftButton);
    });
    QCOMPARE(FileOf(board), before);

    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    QCOMPARE(FileOf(board), before);
}

void TMuv7EditorsTest::sequenceEditorFollowsTriggerAndAction()
{
    TMUV7Sequence sequence;
    TMUV7SequenceEditForm editor(sequence);
    editor.show();
    QVERIFY(WaitActive(&editor));
    QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Sequence: 1"));

    // Tab walks the fields as they are laid out (the disabled ones skipped).
    editor.NameEdit->setFocus();
    QStringList walked;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, QStringList({"DescriptionEdit", "StepList", "TriggerCombo", "TrigSpin1", "RetrigCombo",
                                  "ActionCombo", "WizardBtn", ""}));  // then the button box
    QVERIFY(qobject_cast<QPushButton*>(QApplication::focusWidget()));

    struct TriggerCase {
        int trigger;
        const char* param1;
        const char* param2;
        int maximum1;
        bool sensorFields;
    };
    for (const TriggerCase& c : {TriggerCase{kMuv7TriggerSensor, "Sensor board", "Sensor number", 256, true},
                                 TriggerCase{kMuv7TriggerPointClosed, "DCC number", "(not used)", 2048, false},
                                 TriggerCase{kMuv7TriggerPointThrown, "DCC number", "(not used)", 2048, false},
                                 TriggerCase{kMuv7TriggerDelay, "delay (secs)", "(not used)", 1000, false}}) {
        Choose(editor.TriggerCombo, c.trigger);
        QCOMPARE(editor.TrigParam1->text(), QString::fromLatin1(c.param1));
        QCOMPARE(editor.TrigParam2->text(), QString::fromLatin1(c.param2));
        QCOMPARE(editor.TrigSpin1->maximum(), c.maximum1);
        QCOMPARE(editor.TrigSpin2->isEnabled(), c.sensorFields);
        QCOMPARE(editor.IterationSpin->isEnabled(), c.sensorFields);
    }

    struct ActionCase {
        int action;
        const char* param1;
        const char* param2;
        bool spin1;
        bool spin2;
        int minimum1;
        int maximum1;
    };
    for (const ActionCase& c : {ActionCase{kMuv7ActionStartOpposite, "accel time (sec)", "(not used)", true, false, 0, 9},
                                ActionCase{kMuv7ActionFunction, "Fn number", "on time (sec)", true, true, 0, 7},
                                ActionCase{kMuv7ActionPointClosed, "Point number", "(not used)", true, false, 1, 2048},
                                ActionCase{kMuv7ActionDispatch, "(not used)", "(not used)", false, false, 0, 0},
                                ActionCase{kMuv7ActionNone, "(not used)", "(not used)", false, false, 0, 0}}) {
        Choose(editor.ActionCombo, c.action);
        QCOMPARE(editor.ActionParam1->text(), QString::fromLatin1(c.param1));
        QCOMPARE(editor.ActionParam2->text(), QString::fromLatin1(c.param2));
        QCOMPARE(editor.ActionSpin1->isEnabled(), c.spin1);
        QCOMPARE(editor.ActionSpin2->isEnabled(), c.spin2);
        if (c.spin1) {
            QCOMPARE(editor.ActionSpin1->minimum(), c.minimum1);
            QCOMPARE(editor.ActionSpin1->maximum(), c.maximum1);
        }
    }

    // Moving between steps shows each step's own values and stores nothing.
    Choose(editor.ActionCombo, kMuv7ActionFunction);
    TypeNumber(editor.ActionSpin1, 6);
    ClickRow(editor.StepList, 7);
    QCOMPARE(editor.CurrentStep(), 7);
    QCOMPARE(editor.ActionCombo->currentIndex(), int(kMuv7ActionNone));
    ClickRow(editor.StepList, 0);
    QCOMPARE(editor.ActionCombo->currentIndex(), int(kMuv7ActionFunction));
    QCOMPARE(editor.ActionSpin1->value(), 6);
    QCOMPARE(editor.WorkingCopy().LastUsedStep(), 1);
    QCOMPARE(editor.StepList->item(7)->text(), QStringLiteral("8: Step not used."));
    editor.reject();
    QCOMPARE(sequence.LastUsedStep(), 0);
}

void TMuv7EditorsTest::typeTurnsUserDefinedAndNameIsCut()
{
    TMUV7Sequence sequence;
    sequence.MakeShuttle(10, 1, 10, 10, 2, 10, 2);
    TMUV7SequenceEditForm editor(sequence);
    editor.show();
    QVERIFY(WaitActive(&editor));
    QCOMPARE(editor.SequenceTypeCombo->currentText(), QStringLiteral("Shuttle"));
    QVERIFY(!editor.SequenceTypeCombo->isEnabled());

    // Only a change of a step's values turns the type; looking at a step does not.
    ClickRow(editor.StepList, 2);
    QCOMPARE(editor.SequenceTypeCombo->currentText(), QStringLiteral("Shuttle"));
    TypeNumber(editor.TrigSpin2, 3);
    QCOMPARE(editor.SequenceTypeCombo->currentText(), QStringLiteral("User Defined"));

    TypeText(editor.NameEdit, QStringLiteral("Twenty characters!!!"));
    QCOMPARE(editor.NameEdit->text(), QStringLiteral("Twenty characte"));
    QTest::mouseClick(editor.OKBtn, Qt::LeftButton);
    QCOMPARE(sequence.name, std::string("Twenty characte"));
    QCOMPARE(sequence.sequenceType, kMuv7UserDefined);
    QCOMPARE(sequence.StepAt(2).sensor, 3);
    QCOMPARE(sequence.activeSteps, 4);
}

// Showing the windows again (as after minimise and restore) or cancelling the
// wizard keeps what was typed, and a code the editor does not offer stays.
void TMuv7EditorsTest::keepsWhatWasTypedUntilOkOrCancel()
{
    TMUV7Sequence sequence;
    sequence.MakeStationStop(10, 1, 10, 1, 2);
    {
        TMUV7SequenceEditForm editor(sequence);
        editor.show();
        QVERIFY(WaitActive(&editor));
        TypeText(editor.NameEdit, QStringLiteral("Typed"));
        TypeText(editor.DescriptionEdit, QStringLiteral("Typed notes"));
        TypeNumber(editor.TrigSpin2, 3);
        QCOMPARE(editor.SequenceTypeCombo->currentText(), QStringLiteral("User Defined"));
        editor.hide();
        editor.show();
        bool cancelled = false;
        WhenOpen<TTMUV7Wizard>([](TTMUV7Wizard* w) { QTest::mouseClick(w->CancelBtn, Qt::LeftButton); }, &cancelled);
        QTest::mouseClick(editor.WizardBtn, Qt::LeftButton);
        QVERIFY(cancelled);
        QCOMPARE(editor.NameEdit->text(), QStringLiteral("Typed"));
        QCOMPARE(editor.DescriptionEdit->text(), QStringLiteral("Typed notes"));
        QCOMPARE(editor.SequenceTypeCombo->currentText(), QStringLiteral("User Defined"));
        QTest::mouseClick(editor.OKBtn, Qt::LeftButton);
    }
    QCOMPARE(sequence.name, std::string("Typed"));
    QCOMPARE(sequence.description, std::string("Typed notes"));
    QCOMPARE(sequence.sequenceType, kMuv7UserDefined);
    QCOMPARE(sequence.StepAt(0).sensor, 3);

    for (const uint8_t code : {uint8_t(5), uint8_t(255)}) {
        TMUV7Board board;
        board.SensorConfig().sensorConfig = code;  // from a file or a board read back
        TMUV7EditForm form(board);
        form.show();
        QVERIFY(WaitActive(&form));
        QCOMPARE(form.SensorCombo->currentIndex(), -1);
        TypeText(form.BoardNameEdit, QStringLiteral("Typed"));
        form.hide();
        form.show();
        QCOMPARE(form.BoardNameEdit->text(), QStringLiteral("Typed"));
        Press(&form, QDialogButtonBox::Ok);
        QCOMPARE(board.SensorConfig().sensorConfig, code);
        QCOMPARE(board.Name(), std::string("Typed"));
    }
}

QTEST_MAIN(TMuv7EditorsTest)
#include "widget_muv7_editors.moc"
