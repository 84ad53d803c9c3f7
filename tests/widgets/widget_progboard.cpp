// The board configuration window and the settings display on the simulated
// LocoNet: the lists and their files, the SV listing, programming and reading
// boards back, the transfer guard, the settings report saved, printed and
// copied, and the board lists across program runs.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Formdisplayboard.h"
#include "app/boards/Formprogboard.h"
#include "app/common/Helpviewer.h"
#include "app/shell/Main.h"
#include "boards/core/Boarddata.h"
#include "boards/ort50/Tort50board.h"
#include "boards/pax/Ttel90board.h"
#include "sim/Simloconet.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeWidget>

#include <sstream>

namespace {

// Answers the program's questions and file dialogs as a test scripts them,
// and remembers what was asked.
struct TDialogScript {
    QStringList questions;  // "caption|text"
    QList<bool> answers;    // Yes/No in turn; No when none is left
    QStringList fileTitles;
    QStringList fileNames;  // chosen in turn; cancelled when none is left
    QList<TFileDialogRequest> requests;

    TDialogScript()
    {
        SetQuestionDisplay([this](QWidget*, const QString& caption, const QString& text) {
            questions << caption + QLatin1Char('|') + text;
            return answers.isEmpty() ? false : answers.takeFirst();
        });
        SetFileDialogDisplay([this](QWidget*, const TFileDialogRequest& request) {
            fileTitles << request.title;
            requests << request;
            return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
        });
    }
    ~TDialogScript()
    {
        SetQuestionDisplay({});
        SetFileDialogDisplay({});
    }
};

// The simulated LocoNet at full speed with one board of each model (serials
// 101 to 107 in type order).
void SimulateBoards()
{
    TSimSettings settings;
    settings.boards = OneBoardOfEachModel(101);
    ConfigureSimulatedLocoNet(settings);
}

QStringList Column(QTreeWidget* list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

QStringList LogLines(const TProgramBoardForm& form)
{
    QStringList out;
    for (int i = 0; i < form.DebugList->count(); ++i)
        out << form.DebugList->item(i)->text();
    return out;
}

std::string FileLines(TConfigurableBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TProgBoardTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    QTemporaryDir files_;

    // The main window started (on the simulated LocoNet unless simulate is
    // false: then with no stored connection, so the link stays closed).
    static std::unique_ptr<TMainForm> StartMain(bool simulate = true, QStringList arguments = {})
    {
        TMainOptions options;
        options.Simulate = simulate;
        options.Arguments = std::move(arguments);
        auto main = std::make_unique<TMainForm>(options);
        main->show();
        if (!QTest::qWaitFor([&] { return main->StartupDone(); }, 5000))
            qWarning("the main window did not finish its start-up");
        return main;
    }

    static TProgramBoardForm* OpenForm(TMainForm& main)
    {
        main.ConfigureBoards1->trigger();
        return qobject_cast<TProgramBoardForm*>(main.ProgramBoardForm.data());
    }

    static TConfigurableBoard* AddBoard(TMainForm& main, TProgramBoardForm& form, int serial, const char* name)
    {
        form.Addnewboard1->trigger();
        const uint8_t type = uint8_t(form.CurrentType());
        TConfigurableBoard* board = main.BoardData.BoardAt(type, main.BoardData.BoardCount(type) - 1);
        board->SetSerialNumber(serial);
        board->SetName(name);
        form.Refresh();
        return board;
    }

    QString FilePath(const QString& name) const { return QDir(files_.path()).filePath(name); }

private slots:
    void init()
    {
        settings_.Clear();
        SimulateBoards();
    }

    void opensOnceWithItsControlsAndClosesInactive()
    {
        TCollectedDisplays displays;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        QVERIFY(form);
        QVERIFY(main->ProgramBoardOpen);
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("Board programmer idle"));
        main->ConfigureBoards1->trigger();
        QCOMPARE(main->findChildren<TProgramBoardForm*>().size(), 1);

        QCOMPARE(form->windowTitle(), QStringLiteral("Configure Boards"));
        QStringList tabs;
        for (int i = 0; i < form->BoardTabControl->count(); ++i)
            tabs << form->BoardTabControl->tabText(i);
        QCOMPARE(tabs, (QStringList{"VELA40", "ORT50", "VELA80", "MUV7", "PAX60", "TEL90", "PAX66"}));
        QCOMPARE(form->BoardTabControl->shape(), QTabBar::RoundedSouth);
        QCOMPARE(form->CurrentType(), 0);
        QStringList headings;
        for (int c = 0; c < 3; ++c)
            headings << form->BoardListBox->headerItem()->text(c);
        QCOMPARE(headings, (QStringList{"serial no.", "type", "board name / description"}));
        QCOMPARE(form->MessageEdit->text(), QStringLiteral("not saved to file"));
        QVERIFY(!form->MessageEdit->isEnabled());
        QCOMPARE(form->DebugCheck->text(), QStringLiteral("Log"));
        QCOMPARE(form->SWVersionSpin->minimum(), 1);
        QCOMPARE(form->SWVersionSpin->maximum(), 255);
        QCOMPARE(form->TimeoutTimer->interval(), 5000);
        QCOMPARE(form->MsgDelayTimer->interval(), 20);

        QStringList menus;
        for (QAction* a : form->findChild<QMenuBar*>()->actions()) {
            QStringList items;
            for (QAction* i : a->menu()->actions())
                items << i->text();
            menus << a->text() + QLatin1Char(':') + items.join(QLatin1Char(','));
        }
        QCOMPARE(menus, (QStringList{
                            "&File:&Open...,&Save,Save &As...,&Close,&Write SV to file...,E&xit",
                            "&Boards:&Add new board,&Delete Board,&Insert Board,&Edit Board,D&isplay Board",
                            "&Programming:&Program Board,&Read Board,&Verify Board,Program All &Changed Boards...",
                        }));

        // The Edit item follows the editor table: off, with the reason, for a model without an editor.
        for (int type = 0; type < kBoardTypeCount; ++type) {
            form->BoardTabControl->setCurrentIndex(type);
            QCOMPARE(form->EditBoard1->isEnabled(), HasBoardEditor(type));
            // An action without a tooltip of its own shows its text as one.
            if (HasBoardEditor(type))
                QVERIFY(!form->EditBoard1->toolTip().contains(QStringLiteral("no editor")));
            else
                QCOMPARE(form->EditBoard1->toolTip(), NoBoardEditorText(type));
        }

        form->HelpBtn->click();
        QCOMPARE(THelpViewerForm::Instance()->CurrentTopic(), 80);
        QVERIFY(THelpViewerForm::HasTopic(80));
        THelpViewerForm::Instance()->close();

        // The numbering window's flag keeps this one from opening, and the other way round.
        FormFrame(form)->close();
        QTRY_VERIFY(main->ProgramBoardForm.isNull());
        QVERIFY(!main->ProgramBoardOpen);
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("(Inactive)"));
        main->RenumberOpen = true;
        main->ConfigureBoards1->trigger();
        QVERIFY(main->ProgramBoardForm.isNull());
        main->RenumberOpen = false;
    }

    // Edit opens each model's editor from the editor table on the selected
    // board: a name typed there and confirmed shows in the list; the list
    // counts as modified even when the editor is cancelled.
    void editOpensEachModelsEditorOnTheSelectedBoard()
    {
        TCollectedDisplays displays;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
            form->BoardTabControl->setCurrentIndex(type);
            AddBoard(*main, *form, 300 + type, "Before");
            QVERIFY(main->BoardData.SaveListAs(type, FilePath(QStringLiteral("edit%1.csv").arg(type)).toStdString()));
            QVERIFY(!main->BoardData.IsModified(type));
            form->SelectPosition(0);
            for (bool ok : {false, true}) {
                QString caption;
                QTimer::singleShot(0, [&] {
                    auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    QVERIFY(editor);
                    caption = editor->windowTitle();
                    auto* name = editor->findChild<QLineEdit*>(QStringLiteral("BoardNameEdit"));
                    if (!name)
                        name = editor->findChild<QLineEdit*>(QStringLiteral("BdNameEdit"));
                    QVERIFY(name);
                    name->selectAll();
                    QTest::keyClicks(name, QStringLiteral("After"));
                    QTest::keyClick(editor, ok ? Qt::Key_Return : Qt::Key_Escape);
                });
                form->EditBoard1->trigger();
                QVERIFY2(!caption.isEmpty(), qPrintable(QString::number(type)));
                QCOMPARE(Column(form->BoardListBox, 2), QStringList{ok ? "After" : "Before"});
                QVERIFY(main->BoardData.IsModified(type));
            }
        }
        QVERIFY(displays.errors.isEmpty());
    }

    void addsInsertsAndDeletesBoardsShowingTheirListLines()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 12, "A");
        AddBoard(*main, *form, 0, "B");
        AddBoard(*main, *form, 65536, "C");
        QCOMPARE(Column(form->BoardListBox, 0), (QStringList{"12", "not set yet", "not set yet"}));
        QCOMPARE(Column(form->BoardListBox, 1), (QStringList{"ORT50", "ORT50", "ORT50"}));
        QCOMPARE(Column(form->BoardListBox, 2), (QStringList{"A", "B", "C"}));

        // Insert goes before the selected board; the selection stays on its position.
        form->InsertBoard1->trigger();  // nothing selected: nothing happens
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 3);
        form->SelectPosition(1);
        form->InsertBoard1->trigger();
        const QString fresh = QString::fromStdString(TORT50Board().Name());
        QCOMPARE(Column(form->BoardListBox, 2), (QStringList{"A", fresh, "B", "C"}));
        QCOMPARE(main->BoardData.BoardAt(btORT50, 1)->SerialNumber(), 0);
        QCOMPARE(form->SelectedPosition(), 1);
        form->SelectPosition(2);
        form->DeleteBoard1->trigger();
        QCOMPARE(main->BoardData.BoardCount(btORT50), 3);
        QCOMPARE(main->BoardData.BoardAt(btORT50, 2)->Name(), std::string("C"));
        QVERIFY(main->BoardData.IsModified(btORT50));

        // Other tabs show their own lists.
        form->BoardTabControl->setCurrentIndex(btTEL90);
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 0);
        // The numbering window's copies show at once.
        main->BoardData.AppendBoard(btTEL90);
        emit main->BoardListsChanged();
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 1);
        QVERIFY(displays.errors.isEmpty());
    }

    void savesOpensAndClosesListFiles()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 5, "First");
        AddBoard(*main, *form, 6, "Second");

        // Save without a file name asks for one; cancelled, the list stays modified.
        form->Save1->trigger();
        QCOMPARE(dialogs.fileTitles.takeLast(), QStringLiteral("Save file for board type: ORT50 Kestrix"));
        QVERIFY(main->BoardData.IsModified(btORT50));
        const QString path = FilePath(QStringLiteral("ort50.csv"));
        dialogs.fileNames << path;
        form->Save1->trigger();
        QVERIFY(!main->BoardData.IsModified(btORT50));
        QCOMPARE(form->MessageEdit->text(), QStringLiteral("File Name = ") + path);
        QVERIFY(dialogs.requests.last().save);
        QCOMPARE(dialogs.requests.last().defaultSuffix, QStringLiteral("csv"));

        // Open replaces a modified list without asking.
        AddBoard(*main, *form, 7, "Third");
        dialogs.fileNames << path;
        form->Open1->trigger();
        QCOMPARE(dialogs.fileTitles.takeLast(), QStringLiteral("Open File for board type: ORT50 Kestrix"));
        QVERIFY(!dialogs.requests.last().save);
        QVERIFY(dialogs.questions.isEmpty());
        QCOMPARE(Column(form->BoardListBox, 2), (QStringList{"First", "Second"}));
        QVERIFY(!main->BoardData.IsModified(btORT50));

        // Save As presets the list's file name.
        form->SaveAs1->trigger();
        QCOMPARE(dialogs.requests.last().fileName, path);

        // A file that cannot be written is reported, and the list stays modified.
        form->SelectPosition(0);
        form->DeleteBoard1->trigger();
        dialogs.fileNames << FilePath(QStringLiteral("missing/folder/ort50.csv"));
        form->SaveAs1->trigger();
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY(main->BoardData.IsModified(btORT50));

        // Close of a modified list asks; Yes with a failing save keeps the list.
        dialogs.answers << true;
        form->Close1->trigger();
        QCOMPARE(dialogs.questions.takeLast(), QStringLiteral("File close selected|Do you want to save data?"));
        QCOMPARE(displays.errors.size(), 2);
        QCOMPARE(main->BoardData.BoardCount(btORT50), 1);
        // No: the list goes, and so does its file name.
        dialogs.answers << false;
        form->Close1->trigger();
        QCOMPARE(main->BoardData.BoardCount(btORT50), 0);
        QCOMPARE(form->MessageEdit->text(), QStringLiteral("not saved to file"));
        // An unmodified list closes without a question.
        dialogs.fileNames << path;
        form->Open1->trigger();
        QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
        const int asked = dialogs.questions.size();
        form->Close1->trigger();
        QCOMPARE(dialogs.questions.size(), asked);
        QCOMPARE(main->BoardData.BoardCount(btORT50), 0);
    }

    // A read changes the board after it started: a save meanwhile would
    // count the list as saved, and the read would be lost at exit.
    void keepsABoardReadUnsavedUntilSaved()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 102, "Read");
        const QString path = FilePath(QStringLiteral("read.csv"));
        QVERIFY(main->BoardData.SaveListAs(btORT50, path.toStdString()));
        const QByteArray before = ReadAll(path);
        form->SelectPosition(0);
        form->ReadBoardButton->click();
        QVERIFY(form->Busy());
        QVERIFY(!form->Save1->isEnabled());
        QVERIFY(!form->SaveAs1->isEnabled());
        dialogs.fileNames << path;
        form->Save1Click();
        form->SaveAs1Click();
        QVERIFY(dialogs.fileTitles.isEmpty());
        QCOMPARE(ReadAll(path), before);
        QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
        QVERIFY(LogLines(*form).contains(QStringLiteral("Board data read completed successfully!")));
        QVERIFY(main->BoardData.IsModified(btORT50));
        QVERIFY(form->Save1->isEnabled());
        QVERIFY(displays.errors.isEmpty());
    }

    void neverSavesAListOverAFileItDidNotComeFrom()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 5, "Old one");
        AddBoard(*main, *form, 6, "Old two");
        const QString oldPath = FilePath(QStringLiteral("old.csv"));
        dialogs.fileNames << oldPath;
        form->SaveAs1->trigger();
        const QByteArray oldBytes = ReadAll(oldPath);
        main->BoardData.BoardForChange(btORT50, 1)->SetName("Old two, changed");
        form->Refresh();

        // A damaged file: the first board whole, the second cut short.
        std::ostringstream damaged;
        TORT50Board good;
        good.SetName("New");
        good.WriteToFile(damaged);
        const QString newPath = FilePath(QStringLiteral("new.csv"));
        const QByteArray newBytes = QByteArray::fromStdString(damaged.str()) + "\"ORT50\",\"Cut\",7\r\n";
        {
            QFile file(newPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(newBytes);
        }
        dialogs.fileNames << newPath;
        form->Open1->trigger();
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY(displays.errors.first().startsWith(newPath));
        // The list stays as it was, unsaved change and file name included.
        QCOMPARE(Column(form->BoardListBox, 2), (QStringList{"Old one", "Old two, changed"}));
        QCOMPARE(form->MessageEdit->text(), QStringLiteral("File Name = ") + oldPath);
        QVERIFY(main->BoardData.IsModified(btORT50));
        form->Save1->trigger();
        QCOMPARE(ReadAll(newPath), newBytes);
        QVERIFY(ReadAll(oldPath) != oldBytes);
        QVERIFY(ReadAll(oldPath).contains("Old two, changed"));

        // Save As for a type without a file presets nothing of another type's.
        form->BoardTabControl->setCurrentIndex(btVELA40);
        AddBoard(*main, *form, 8, "Signals");
        form->SaveAs1->trigger();
        QCOMPARE(dialogs.requests.last().fileName, QString());

        // An empty list: nothing is written, and the operator is told so.
        form->BoardTabControl->setCurrentIndex(btORT50);
        const QByteArray saved = ReadAll(oldPath);
        form->SelectPosition(0);
        form->DeleteBoard1->trigger();
        form->SelectPosition(0);
        form->DeleteBoard1->trigger();
        const int titles = dialogs.fileTitles.size();
        for (QAction* save : {form->Save1, form->SaveAs1}) {
            displays.notices.clear();
            save->trigger();
            QCOMPARE(displays.notices, QStringList{QStringLiteral("Nothing to save|The ORT50 list holds no boards: "
                                                                  "nothing was saved, and %1 keeps the boards it holds.")
                                                       .arg(oldPath)});
        }
        QCOMPARE(dialogs.fileTitles.size(), titles);
        QCOMPARE(ReadAll(oldPath), saved);
        QVERIFY(main->BoardData.IsModified(btORT50));
    }

    void writesTheSvListing()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        auto* board = static_cast<TORT50Board*>(AddBoard(*main, *form, 300, "Listed"));
        main->BoardData.SaveListAs(btORT50, FilePath(QStringLiteral("l.csv")).toStdString());

        // No board selected: the dialog first, then only the one log line.
        const QString listing = FilePath(QStringLiteral("listing.txt"));
        dialogs.fileNames << listing;
        form->WriteSVtofile1->trigger();
        QCOMPARE(dialogs.requests.last().defaultSuffix, QStringLiteral("txt"));
        QCOMPARE(LogLines(*form), QStringList{"No board selected in list box above!"});
        QVERIFY(!QFile::exists(listing));

        form->SelectPosition(0);
        form->SWVersionSpin->setValue(7);
        dialogs.fileNames << listing;
        form->WriteSVtofile1->trigger();
        QCOMPARE(LogLines(*form), (QStringList{"Calculating SVs.....", "SVs calculated - written to file"}));
        QCOMPARE(board->SoftwareVersion(), 7);
        const QByteArray text = ReadAll(listing);
        QVERIFY(text.startsWith("Board name = Listed\r\nSV Settings:\r\n"));
        QVERIFY(text.contains("SV3=44;  SV4=1;  SV5="));
        QVERIFY(!main->BoardData.IsModified(btORT50));

        // A listing file that cannot be written says so.
        dialogs.fileNames << FilePath(QStringLiteral("missing/listing.txt"));
        form->WriteSVtofile1->trigger();
        QVERIFY(main->ProgStatus->text().startsWith(QStringLiteral("SV listing not written: ")));
        QVERIFY(!LogLines(*form).contains(QStringLiteral("SVs calculated - written to file")));

        // A configuration that does not compute: the model's text, and the programmer idle.
        TORT50Route& route = board->RouteAt(0);
        route.cascade = true;
        std::vector<std::pair<int32_t, uint8_t>> entries;
        for (int i = 1; i <= 12; ++i)
            entries.push_back({i, kOrtStateThrown});
        route.SetEntries(entries);
        const QByteArray before = ReadAll(listing);
        dialogs.fileNames << listing;
        form->WriteSVtofile1->trigger();
        QCOMPARE(LogLines(*form),
                 (QStringList{"Calculating SVs.....", "SV Calculation Error: one or more routes has too many entries",
                              "Board programmer idle"}));
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("Board programmer idle"));
        QCOMPARE(ReadAll(listing), before);

        // Cancelling the dialog does nothing at all.
        form->WriteSVtofile1->trigger();
        QCOMPARE(LogLines(*form).size(), 3);
    }

    void programsAndReadsBackBoardsOfTwoModels()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);

        struct TCase {
            uint8_t type;
            int serial;
            ELocoNetInterface interface;  // the MS100 wants a pause before each message after a reply
            std::function<void(TConfigurableBoard&)> configure;
        };
        const TCase cases[] = {
            {btORT50, 102, eLocoBuffer,
             [](TConfigurableBoard& b) {
                 auto& ort = static_cast<TORT50Board&>(b);
                 ort.pointDelay = 37;
                 ort.routeAddress = 1234;
             }},
            {btTEL90, 106, eMS100,
             [](TConfigurableBoard& b) {
                 auto& tel = static_cast<TTEL90Board&>(b);
                 tel.SensorBoardNumber = 42;
                 tel.DeactivateDebounce = 20;
             }},
        };
        for (const TCase& c : cases) {
            main->LocoNetComm1.Close();
            main->LocoNetComm1.SetLocoNetInterface(c.interface);
            main->LocoNetComm1.Open();
            QVERIFY(main->LocoNetComm1.Enabled());
            QSignalSpy pauses(form->MsgDelayTimer, &QTimer::timeout);
            form->BoardTabControl->setCurrentIndex(c.type);
            TConfigurableBoard* programmed = AddBoard(*main, *form, c.serial, "Programmed");
            c.configure(*programmed);
            form->DebugCheck->setChecked(true);
            form->SelectPosition(0);
            form->ProgramButton->click();
            QCOMPARE(main->ProgStatus->text(), QStringLiteral("Checking Destination board identity....."));
            QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
            QStringList log = LogLines(*form);
            QCOMPARE(log.last(), QStringLiteral("Board programmer idle"));
            QVERIFY(log.contains(QStringLiteral("Programming Completed Successfully!")));
            QVERIFY(log.contains(QStringLiteral("Beginning Read or write.....")));
            QVERIFY(log.filter(QStringLiteral("SV Access")).size() > 10);  // "Log" shows the messages
            QCOMPARE(form->ProgressBar1->value(), form->ProgressBar1->maximum());
            QCOMPARE(form->ProgressBar1->maximum(), int(programmed->SvLength()));
            QCOMPARE(pauses.isEmpty(), c.interface != eMS100);

            TSimBoard* sim = SimulatedLocoNet().FindBoard(uint16_t(c.serial));
            QVERIFY(sim);
            QCOMPARE(sim->ReconfigureCount(), 1);
            for (unsigned sv = 5; sv <= programmed->SvLength(); ++sv)
                if (programmed->IsTransferable(sv))
                    QCOMPARE(int(sim->Sv(int(sv))), int(programmed->SvByte(sv)));

            // Read into a fresh board of the same serial: it takes the programmed configuration.
            TConfigurableBoard* read = AddBoard(*main, *form, c.serial, "Programmed");
            main->BoardData.SaveListAs(c.type, FilePath(QStringLiteral("read%1.csv").arg(c.type)).toStdString());
            QVERIFY(FileLines(*read) != FileLines(*programmed));
            form->DebugCheck->setChecked(false);
            form->SelectPosition(1);
            form->ReadBoard1->trigger();
            QVERIFY(main->BoardData.IsModified(c.type));  // a read changes the list
            QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
            log = LogLines(*form);
            QVERIFY(log.contains(QStringLiteral("Board data read completed successfully!")));
            QVERIFY(log.filter(QStringLiteral("SV Access")).isEmpty());
            QCOMPARE(FileLines(*read), FileLines(*programmed));
        }
        QVERIFY(displays.errors.isEmpty());
    }

    void refusesTransfersItCannotRun()
    {
        TCollectedDisplays displays;
        TBusRecorder bus;
        auto main = StartMain(false);
        QVERIFY(!main->LocoNetComm1.Enabled());
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);

        QCOMPARE(LogLines(*form), QStringList{"Board programmer idle"});  // as it opens
        form->DebugList->clear();
        form->ProgramButton->click();
        QCOMPARE(LogLines(*form), QStringList{"No board selected in list box"});
        AddBoard(*main, *form, 0, "Unset");
        form->SelectPosition(0);
        form->ProgramButton->click();
        QCOMPARE(LogLines(*form).last(), QStringLiteral("Serial number must be between 1 & 65535"));

        // A closed port: said at once, nothing sent, nothing waiting for replies.
        main->BoardData.BoardAt(btORT50, 0)->SetSerialNumber(102);
        form->ProgramButton->click();
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("port not open: Com1"));
        QVERIFY(!form->Busy());
        QVERIFY(!form->TimeoutTimer->isActive());
        QVERIFY(main->BoardData.SaveListAs(btORT50, FilePath(QStringLiteral("refused.csv")).toStdString()));
        form->ReadBoardButton->click();
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("port not open: Com1"));
        QVERIFY(!form->Busy());
        QVERIFY(!main->BoardData.IsModified(btORT50));  // nothing was read
        main->ProgStatus->clear();
        form->VerifyButton->click();
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("port not open: Com1"));
        QVERIFY(!form->Busy());
        QTest::qWait(50);
        QVERIFY(bus.packets.isEmpty());
    }

    // Verify reads the board into a scratch copy: the list and its board stay
    // as they are, the board is not written, and every difference is logged.
    void verifiesABoardWithoutWritingIt()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        // The TEL90 at 106 loses one configured SV in every restart.
        const auto configure = [](TConfigurableBoard& b) { static_cast<TTEL90Board&>(b).SensorBoardNumber = 42; };
        TTEL90Board reference;
        configure(reference);
        QVERIFY(reference.ComputeSvImage());
        unsigned forgotten = 0;
        for (unsigned sv = 5; sv <= reference.SvLength() && forgotten == 0; ++sv)
            if (reference.IsTransferable(sv) && reference.SvByte(sv) != 255)
                forgotten = sv;
        QVERIFY(forgotten != 0);
        TSimSettings sim;
        sim.boards = OneBoardOfEachModel(101);
        sim.boards[btTEL90].forgetSv = int(forgotten);
        ConfigureSimulatedLocoNet(sim);

        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        QSignalSpy finished(form, &TProgramBoardForm::TransferFinished);

        struct TCase {
            uint8_t type;
            int serial;
            std::function<void(TConfigurableBoard&)> configure;
            QStringList differences;
            QString summary;
        };
        const TCase cases[] = {
            {btORT50, 102, [](TConfigurableBoard& b) { static_cast<TORT50Board&>(b).routeAddress = 1234; }, {},
             QStringLiteral("Verify completed: board matches its configuration!")},
            {btTEL90, 106, configure,
             {QStringLiteral("SV%1: board 255, configuration %2").arg(forgotten).arg(reference.SvByte(forgotten))},
             QStringLiteral("Verify completed: 1 SV differs from the configuration")},
        };
        for (const TCase& c : cases) {
            form->BoardTabControl->setCurrentIndex(c.type);
            TConfigurableBoard* board = AddBoard(*main, *form, c.serial, "Verified");
            c.configure(*board);
            form->SelectPosition(0);
            form->ProgramButton->click();
            QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
            QVERIFY(LogLines(*form).contains(QStringLiteral("Programming Completed Successfully!")));
            QVERIFY(main->BoardData.SaveListAs(c.type, FilePath(QStringLiteral("v%1.csv").arg(c.type)).toStdString()));
            const std::string before = FileLines(*board);
            TSimBoard* simBoard = SimulatedLocoNet().FindBoard(uint16_t(c.serial));
            QVERIFY(simBoard);
            const int restarts = simBoard->ReconfigureCount();

            finished.clear();
            form->VerifyButton->click();
            QVERIFY(form->Busy());
            QVERIFY(!form->ProgramButton->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
            const QStringList log = LogLines(*form);
            QCOMPARE(log.filter(QRegularExpression(QStringLiteral("^SV\\d+: board"))), c.differences);
            QCOMPARE(log.mid(log.size() - 2 - c.differences.size()),
                     QStringList{QStringLiteral("Board programmer idle")} + c.differences + QStringList{c.summary});
            QCOMPARE(main->ProgStatus->text(), c.summary);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().at(0).toBool(), true);
            QCOMPARE(form->Sequencer().Differences().size(), size_t(c.differences.size()));
            // Nothing written, nothing restarted, nothing changed in the list.
            QCOMPARE(simBoard->ReconfigureCount(), restarts);
            QVERIFY(!main->BoardData.IsModified(c.type));
            QCOMPARE(FileLines(*board), before);
        }
        // The menu item does the same as the button.
        form->VerifyBoard1->trigger();
        QVERIFY(form->Busy());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
        QCOMPARE(LogLines(*form).last(), cases[1].summary);
        QVERIFY(displays.errors.isEmpty());
    }

    // A link that fails under a transfer ends it at once as a failure: an
    // unplugged device (the simulated bus shut down) and a network link that
    // lost its server and is reconnecting.
    void endsATransferAtOnceWhenTheLinkIsLost()
    {
        TCollectedDisplays displays;
        struct TCase {
            const char* name;
            std::function<void(TMainForm&)> loseLink;
            QString status;
        };
        const TCase cases[] = {
            {"device gone", [](TMainForm&) { ConfigureSimulatedLocoNet(TSimSettings{}); },
             QStringLiteral("Transfer stopped: the link was lost (the simulated LocoNet was shut down)")},
            {"connection lost",
             [](TMainForm& main) { main.LocoNetComm1.OnLinkState(main.LocoNetComm1, false); },
             QStringLiteral("Transfer stopped: the link was lost (the connection was lost)")},
        };
        for (const TCase& c : cases) {
            SimulateBoards();
            auto main = StartMain();
            TProgramBoardForm* form = OpenForm(*main);
            QSignalSpy finished(form, &TProgramBoardForm::TransferFinished);
            form->BoardTabControl->setCurrentIndex(btORT50);
            AddBoard(*main, *form, 102, "Lost");
            form->SelectPosition(0);
            form->ProgramButton->click();
            QVERIFY2(form->Busy(), c.name);
            QElapsedTimer clock;
            clock.start();
            c.loseLink(*main);
            QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 3000);
            QVERIFY2(clock.elapsed() < TProgSequencer::kReplyTimeoutMs, c.name);
            QCOMPARE(main->ProgStatus->text(), c.status);
            QCOMPARE(LogLines(*form).last(), c.status);
            QVERIFY(!LogLines(*form).contains(QStringLiteral("Programming Completed Successfully!")));
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().at(0).toBool(), false);
            QCOMPARE(finished.first().at(1).toString(), c.status);
            QVERIFY(!form->TimeoutTimer->isActive());
            QVERIFY(form->ProgramButton->isEnabled());
            QVERIFY(form->DeleteBoard1->isEnabled());
            // Nothing more comes of the ended transfer.
            QTest::qWait(200);
            QCOMPARE(finished.size(), 1);
            // The link lost with no transfer running changes nothing here.
            const int lines = form->DebugList->count();
            emit main->LinkLost(QStringLiteral("again"));
            QTest::qWait(20);
            QCOMPARE(form->DebugList->count(), lines);
        }
    }

    // The log is brought up to date with the messages sent; a board that
    // does not answer sends nothing for seconds, and the log still shows
    // what the transfer is waiting for.
    void showsTheLogWhileWaitingForASilentBoard()
    {
        TCollectedDisplays displays;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 999, "Silent");
        form->SelectPosition(0);
        form->DebugCheck->setChecked(true);
        form->ProgramButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(LogLines(*form).contains(QStringLiteral("Checking Destination board identity.....")),
                                 500);
        QVERIFY(form->Busy());
        QVERIFY(LogLines(*form).filter(QStringLiteral("SV Access")).size() >= 1);
        FormFrame(form)->close();
        QTRY_VERIFY(main->ProgramBoardForm.isNull());
    }

    void guardsTheBoardOfARunningTransfer()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 102, "Busy");
        AddBoard(*main, *form, 5, "Other");
        form->SelectPosition(0);
        form->ProgramButton->click();
        QVERIFY(form->Busy());

        // Nothing that would delete, move, replace or recompute the board runs meanwhile.
        for (QAction* a : {form->DeleteBoard1, form->InsertBoard1, form->Open1, form->Close1, form->Addnewboard1,
                           form->WriteSVtofile1, form->ReadBoard1, form->ProgramBoard1, form->EditBoard1,
                           form->VerifyBoard1, form->Save1, form->SaveAs1})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(!form->BoardTabControl->isEnabled());
        QVERIFY(!form->ReadBoardButton->isEnabled());
        QVERIFY(!form->VerifyButton->isEnabled());
        form->DeleteBoard1Click();
        form->InsertBoard1Click();
        form->Close1Click();
        dialogs.fileNames << FilePath(QStringLiteral("x.csv")) << FilePath(QStringLiteral("x.txt"));
        form->Open1Click();
        form->WriteSVtofile1Click();
        form->ReadBoardButtonClick();
        QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
        QCOMPARE(main->BoardData.BoardAt(btORT50, 0)->Name(), std::string("Busy"));
        QVERIFY(dialogs.fileTitles.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
        QVERIFY(LogLines(*form).contains(QStringLiteral("Programming Completed Successfully!")));
        QVERIFY(form->DeleteBoard1->isEnabled());
        QVERIFY(form->BoardTabControl->isEnabled());

        // Closing the window ends a running transfer; replies still on their way reach nobody.
        form->ProgramButton->click();
        QVERIFY(form->Busy());
        FormFrame(form)->close();
        QTRY_VERIFY(main->ProgramBoardForm.isNull());
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("(Inactive)"));
        QTest::qWait(100);
        QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
        // And the board can be deleted at once.
        main->BoardData.DeleteBoard(btORT50, 0);
        QTest::qWait(50);
    }

    void displaysSavesPrintsAndCopiesTheSettings()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain();
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btORT50);
        AddBoard(*main, *form, 77, "Yard {east} \\ Süd");
        main->BoardData.SaveListAs(btORT50, FilePath(QStringLiteral("d.csv")).toStdString());
        form->DisplayBoard1->trigger();  // nothing selected
        QVERIFY(!main->findChild<TDisplayBoardForm*>());
        form->SelectPosition(0);
        form->DisplayBoard1->trigger();
        auto* display = main->findChild<TDisplayBoardForm*>();
        QVERIFY(display);
        QVERIFY(!main->BoardData.IsModified(btORT50));
        QCOMPARE(display->windowTitle(), QStringLiteral("Display Board Settings"));
        QCOMPARE(FormFrame(display)->pos(), FormFrame(form)->pos() + QPoint(30, 30));
        QVERIFY(display->DisplayList->isReadOnly());
        const QStringList lines = display->DisplayList->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4), (QStringList{"Configurable Board Settings: ", "Board Type: ORT50",
                                               "Serial number: 77", "Board name: Yard {east} \\ Süd"}));
        QVERIFY(lines.size() > 4);  // the model's own lines follow

        // Rich Text: every line a paragraph, the special characters escaped.
        const QString rtf = FilePath(QStringLiteral("settings.rtf"));
        dialogs.fileNames << rtf;
        display->SaveAs1->trigger();
        QCOMPARE(dialogs.requests.last().defaultSuffix, QStringLiteral("rtf"));
        const QByteArray text = ReadAll(rtf);
        QVERIFY(text.startsWith("{\\rtf1\\ansi"));
        QVERIFY(text.trimmed().endsWith('}'));
        QVERIFY(text.contains("Configurable Board Settings: \\par"));
        QVERIFY(text.contains("Board Type: ORT50\\par"));
        QVERIFY(text.contains("Board name: Yard \\{east\\} \\\\ S\\u252?d\\par"));
        QCOMPARE(text.count("\\par\r\n"), lines.size());
        int depth = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] == '\\') {
                ++i;
                continue;
            }
            depth += text[i] == '{' ? 1 : text[i] == '}' ? -1 : 0;
            QVERIFY(depth >= 0);
        }
        QCOMPARE(depth, 0);
        QCOMPARE(RichTextOf({QStringLiteral("\u20AC \U0001F682")}).contains("\\u8364? \\u-10179?\\u-8574?\\par"),
                 true);
        // A file that cannot be written is reported.
        dialogs.fileNames << FilePath(QStringLiteral("missing/settings.rtf"));
        display->SaveAs1Click();
        QCOMPARE(displays.errors.size(), 1);

        // Printing under the job title, here into a PDF file.
        const QString pdf = FilePath(QStringLiteral("settings.pdf"));
        QString jobTitle;
        display->ChoosePrinter = [&](QWidget*, QPrinter& printer) {
            jobTitle = printer.docName();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        display->PrintBtn->click();
        QCOMPARE(jobTitle, QStringLiteral("Board Settings"));
        const QByteArray printed = ReadAll(pdf);
        QVERIFY(printed.startsWith("%PDF"));
        // The job title is the document's title (a PDF keeps it as UTF-16 text).
        QByteArray title16;
        for (char c : QByteArray("Board Settings"))
            title16 += QByteArray(1, '\0') + c;
        QVERIFY(printed.contains("Board Settings") || printed.contains(title16));

        // Copy: the whole report to the clipboard, no selection left behind.
        QGuiApplication::clipboard()->clear();
        display->CopyBtn->click();
        QCOMPARE(QGuiApplication::clipboard()->text().split(QLatin1Char('\n')).mid(0, 4), lines.mid(0, 4));
        QVERIFY(!display->DisplayList->textCursor().hasSelection());

        display->HelpButton->click();
        QCOMPARE(THelpViewerForm::Instance()->CurrentTopic(), 8);
        QVERIFY(THelpViewerForm::HasTopic(8));
        THelpViewerForm::Instance()->close();

        display->Close1->trigger();
        QTRY_VERIFY(!main->findChild<TDisplayBoardForm*>());
    }

    void reloadsTheListsOnceAtStartUnlessNofiles()
    {
        const QString ort = FilePath(QStringLiteral("start-ort50.csv"));
        {
            TBoardData data;
            data.AppendBoard(btORT50);
            data.AppendBoard(btORT50);
            QVERIFY(data.SaveListAs(btORT50, ort.toStdString()));
        }
        auto store = OpenSettingsStore();
        store->setValue(QStringLiteral("Filenames/ORT50"), ort);
        store->setValue(QStringLiteral("Filenames/TEL90"), FilePath(QStringLiteral("gone.csv")));
        store->setValue(QStringLiteral("Filenames/VELA40"), QString());
        store->sync();

        {
            TCollectedDisplays displays;
            auto main = StartMain();
            QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
            QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btORT50)), ort);
            QVERIFY(!main->BoardData.IsModified(btORT50));
            QCOMPARE(displays.errors.size(), 1);  // the missing TEL90 file
            // Once per run: a later activation loads nothing again.
            main->FormActivate();
            QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
            main->close();
        }
        for (const QString& word : {QStringLiteral("nofiles"), QStringLiteral("NoFiles"), QStringLiteral("NOFILES")}) {
            TCollectedDisplays displays;
            auto main = StartMain(true, {word});
            QVERIFY(main->NoFiles);
            QCOMPARE(main->BoardData.BoardCount(btORT50), 0);
            QVERIFY(main->LocoNetComm1.Enabled());  // the connection still comes up
            QVERIFY(displays.errors.isEmpty());
        }
    }

    // A list file found damaged at start-up keeps its stored name, and the
    // part read is not written over it unless the operator picks the file.
    void keepsADamagedListFileAcrossRuns()
    {
        TDialogScript dialogs;
        std::ostringstream whole;
        TORT50Board board;
        board.SetName("Whole");
        board.WriteToFile(whole);
        const QString path = FilePath(QStringLiteral("damaged-ort50.csv"));
        const QByteArray bytes = QByteArray::fromStdString(whole.str()) + "\"ORT50\",\"Cut\",7\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        auto store = OpenSettingsStore();
        store->setValue(QStringLiteral("Filenames/ORT50"), path);
        store->sync();
        for (bool yes : {false, true}) {
            TCollectedDisplays displays;
            dialogs.fileTitles.clear();
            auto main = StartMain();
            QCOMPARE(displays.errors.size(), 1);
            QCOMPARE(main->BoardData.BoardCount(btORT50), 2);
            QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btORT50)), path);
            TProgramBoardForm* form = OpenForm(*main);
            form->BoardTabControl->setCurrentIndex(btORT50);
            form->Save1->trigger();  // asks where, rather than cutting the file short
            QCOMPARE(dialogs.fileTitles.takeLast(), QStringLiteral("Save file for board type: ORT50 Kestrix"));
            QCOMPARE(dialogs.requests.last().fileName, QString());
            dialogs.answers << yes;
            QVERIFY(main->close());
            QCOMPARE(dialogs.fileTitles, yes ? QStringList{"Save As: ORT50 Kestrix"} : QStringList{});
            QCOMPARE(ReadAll(path), bytes);
            QCOMPARE(OpenSettingsStore()->value(QStringLiteral("Filenames/ORT50")).toString(), path);
        }
    }

    void keepsTheStoredNamesInARunWithoutFiles()
    {
        const QString ort = FilePath(QStringLiteral("kept-ort50.csv"));
        const QString tel = FilePath(QStringLiteral("new-tel90.csv"));
        {
            auto store = OpenSettingsStore();
            store->setValue(QStringLiteral("Filenames/ORT50"), ort);
            store->sync();
        }
        {
            TCollectedDisplays displays;
            auto main = StartMain(true, {QStringLiteral("nofiles")});
            main->BoardData.AppendBoard(btTEL90);
            QVERIFY(main->BoardData.SaveListAs(btTEL90, tel.toStdString()));
            QVERIFY(main->close());
        }
        auto store = OpenSettingsStore();
        QCOMPARE(store->value(QStringLiteral("Filenames/ORT50")).toString(), ort);
        QCOMPARE(store->value(QStringLiteral("Filenames/TEL90")).toString(), tel);  // given in this run
    }

    void asksAboutModifiedListsInTypeOrderAtExit()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        const QString tel = FilePath(QStringLiteral("exit-tel90.csv"));
        const QString ort = FilePath(QStringLiteral("exit-ort50.csv"));
        {
            auto main = StartMain();
            // TEL90: modified, with a file. ORT50: modified, no file. VELA40: emptied, modified.
            main->BoardData.AppendBoard(btTEL90);
            QVERIFY(main->BoardData.SaveListAs(btTEL90, tel.toStdString()));
            main->BoardData.AppendBoard(btTEL90);
            main->BoardData.AppendBoard(btORT50);
            main->BoardData.AppendBoard(btVELA40);
            main->BoardData.DeleteBoard(btVELA40, 0);
            dialogs.answers << true << true;
            dialogs.fileNames << ort;
            main->close();
            QCOMPARE(dialogs.questions, (QStringList{"ORT50 Kestrix|Do you want to save data?",
                                                     "TEL90 16-channel Sensor Board|Do you want to save data?"}));
            QCOMPARE(dialogs.fileTitles, QStringList{"Save As: ORT50 Kestrix"});
            QVERIFY(!main->BoardData.IsModified(btORT50));
            QVERIFY(!main->BoardData.IsModified(btTEL90));
        }
        auto store = OpenSettingsStore();
        QCOMPARE(store->value(QStringLiteral("Filenames/ORT50")).toString(), ort);
        QCOMPARE(store->value(QStringLiteral("Filenames/TEL90")).toString(), tel);
        QCOMPARE(store->value(QStringLiteral("Filenames/VELA40")).toString(), QString());
        QVERIFY(store->contains(QStringLiteral("Filenames/PAX66")));
        TBoardData check;
        check.LoadList(btTEL90, tel.toStdString());
        QCOMPARE(check.BoardCount(btTEL90), 2);

        // A list the operator wanted saved that cannot be written keeps the program open.
        dialogs.questions.clear();
        auto main = StartMain(true, {QStringLiteral("nofiles")});
        main->BoardData.AppendBoard(btMUV7);
        dialogs.answers << true;
        dialogs.fileNames << FilePath(QStringLiteral("missing/muv7.csv"));
        QVERIFY(!main->close());
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY(main->isVisible());
        // Answering No lets it go.
        QVERIFY(main->close());
    }
};

QTEST_MAIN(TProgBoardTest)
#include "widget_progboard.moc"
