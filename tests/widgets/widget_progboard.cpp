// The board configuration window and the settings display on the simulated
// LocoNet: the lists and their files, the SV listing, programming and reading
// boards back, the transfer guard, the settings report saved, printed and
// copied, and the board lists across program runs.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Formcompareboards.h"
#include "app/boards/Formdisplayboard.h"
#include "app/boards/Formprogboard.h"
#include "app/common/Helpviewer.h"
#include "app/shell/Main.h"
#include "boards/core/Boarddata.h"
#include "boards/ort50/Tort50board.h"
#include "boards/pax/Ttel90board.h"
#include "boards/vela/Tvela40board.h"
#include "sim/Simloconet.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
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
    QList<TAnswer> answers;  // in turn; No when none is left
    QStringList fileTitles;
    QStringList fileNames;  // chosen in turn; cancelled when none is left
    QList<TFileDialogRequest> requests;

    TDialogScript()
    {
        SetQuestionDisplay([this](QWidget*, const QString& caption, const QString& text, bool withCancel) {
            questions << caption + QLatin1Char('|') + text + (withCancel ? QStringLiteral("|Cancel") : QString());
            return answers.isEmpty() ? TAnswer::No : answers.takeFirst();
        });
        SetFileDialogDisplay([this](QWidget*, const TFileDialogRequest& request) {
            fileTitles << request.title;
            requests << request;
            return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
        });
    }
    ~TDialogScript() { TNoBlockingBoxes::InstallQuestions(); }
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

    // A file of count new boards of the type.
    QString ListFile(uint8_t type, const QString& name, int count) const
    {
        TBoardData data;
        for (int i = 0; i < count; ++i)
            data.AppendBoard(type);
        const QString path = FilePath(name);
        if (!data.SaveListAs(type, path.toStdString()))
            qWarning("%s", data.LastErrorText().c_str());
        return path;
    }

    // Drags URLs onto the window and drops them there; whether it took them.
    static bool Drop(QWidget& target, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = target.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        return true;
    }

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
                            "&Programming:&Program Board,&Read Board,&Verify Board,&Compare...,Program &All Changed Boards...",
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
        // Delete asks, naming the board; No keeps it.
        form->SelectPosition(2);
        form->DeleteBoard1->trigger();
        QCOMPARE(dialogs.questions.takeLast(),
                 QStringLiteral("Delete Board|Delete ORT50 board 3 \"B\" (serial no. not set yet) and all its "
                                "settings from the list?"));
        QCOMPARE(main->BoardData.BoardCount(btORT50), 4);
        dialogs.answers << TAnswer::Yes;
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
        dialogs.answers << TAnswer::Yes;
        form->DeleteBoard1->trigger();
        dialogs.fileNames << FilePath(QStringLiteral("missing/folder/ort50.csv"));
        form->SaveAs1->trigger();
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY(main->BoardData.IsModified(btORT50));

        // Close of a modified list asks; Yes with a failing save keeps the list.
        dialogs.answers << TAnswer::Yes;
        form->Close1->trigger();
        QCOMPARE(dialogs.questions.takeLast(), QStringLiteral("File close selected|Do you want to save data?"));
        QCOMPARE(displays.errors.size(), 2);
        QCOMPARE(main->BoardData.BoardCount(btORT50), 1);
        // No: the list goes, and so does its file name.
        dialogs.answers << TAnswer::No;
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

        // A damaged number loads as read and is said once after Open, with
        // file, line and field.
        QByteArray loose = ReadAll(path);
        const QByteArray serial = "\"First\",5,";
        const qsizetype serialAt = loose.indexOf(serial);
        QVERIFY(serialAt > 0);
        loose.replace(serialAt + serial.size() - 2, 1, "1x02");
        const QString loosePath = FilePath(QStringLiteral("loose.csv"));
        {
            QFile file(loosePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(loose + loose);
        }
        displays.notices.clear();
        dialogs.fileNames << loosePath;
        form->Open1->trigger();
        QCOMPARE(main->BoardData.BoardCount(btORT50), 4);
        QCOMPARE(displays.notices, QStringList{QStringLiteral("Board file|%1, line 1, field 2: '1x02' is not a whole "
                                                              "number; read as 1")
                                                   .arg(loosePath)});
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
        // The board's memory was cleared: it holds none of the list's defaults.
        TSimBoard* cleared = SimulatedLocoNet().FindBoard(102);
        for (int sv = 5; sv <= cleared->SvCount(); ++sv)
            cleared->SetSv(sv, 0);
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
        // Nor does a board file opened from outside replace the list under the read.
        const QString other = ListFile(btORT50, QStringLiteral("other-ort50.csv"), 4);
        QCOMPARE(main->OpenBoardFiles({other}), 0);
        QCOMPARE(displays.errors, QStringList{other + QStringLiteral(" was not opened: the ORT50 list cannot be "
                                                                     "replaced while a board is being programmed, "
                                                                     "read or verified")});
        QCOMPARE(main->BoardData.BoardCount(btORT50), 1);
        QVERIFY(dialogs.questions.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 20000);
        QVERIFY(LogLines(*form).contains(QStringLiteral("Board data read completed successfully!")));
        QVERIFY(main->BoardData.IsModified(btORT50));
        QVERIFY(form->Save1->isEnabled());
        QCOMPARE(displays.errors.size(), 1);
        QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btORT50)), path);

        // Compare is offered, with what the read replaced: the cleared board
        // holds none of the list's defaults, so the two differ on the board.
        QCOMPARE(form->focusWidget(), form->CompareButton);
        form->Compare1->trigger();
        TCompareBoardsForm* compare = main->findChild<TCompareBoardsForm*>();
        QVERIFY(compare);
        QCOMPARE(compare->OtherBox->currentText(), QStringLiteral("This board before it was read"));
        QVERIFY(!compare->Comparison().Equal());
        QCOMPARE(displays.errors.size(), 1);
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
        QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("vela40.csv"));

        // An empty list: nothing is written, and the operator is told so.
        form->BoardTabControl->setCurrentIndex(btORT50);
        const QByteArray saved = ReadAll(oldPath);
        dialogs.answers << TAnswer::Yes << TAnswer::Yes;
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
                 (QStringList{"Calculating SVs.....",
                              "SV Calculation Error: one or more routes has too many entries. Route 1 needs 25 bytes; "
                              "a route holds 12: a point on one of this board's cells takes 1, any other point 2, the "
                              "from and to buttons 2, a cascade 1",
                              "Board programmer idle"}));
        // Wider than the window: whole under the mouse.
        QCOMPARE(form->DebugList->item(1)->toolTip(), form->DebugList->item(1)->text());
        QCOMPARE(form->DebugList->item(0)->toolTip(), QString());
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
             {QStringLiteral("SV%1: board 255, configuration %2 (%3)")
                  .arg(forgotten)
                  .arg(reference.SvByte(forgotten))
                  .arg(QString::fromStdString(reference.NameSvImage()[forgotten - 1]))},
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
            // Compare is offered only when there is something to see.
            QCOMPARE(form->focusWidget() == form->CompareButton, !c.differences.isEmpty());
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

        // Compare: the TEL90 against what the bus held when it was verified.
        // SV 5 carries no setting, so the board holds its configuration's
        // settings; a setting changed in the list since shows, marked.
        // A verify that found differences offers it: Enter opens it.
        TConfigurableBoard* tel90 = main->BoardData.BoardAt(btTEL90, 0);
        static_cast<TTEL90Board&>(*tel90).SensorBoardNumber = 43;
        QCOMPARE(form->focusWidget(), form->CompareButton);
        QTest::keyClick(form->CompareButton, Qt::Key_Return);
        TCompareBoardsForm* compare = main->findChild<TCompareBoardsForm*>();
        QVERIFY(compare);
        QCOMPARE(compare->OtherBox->currentIndex(), 0);
        const std::vector<const TSettingRow*> differing = compare->Comparison().Differences();
        QCOMPARE(differing.size(), size_t(1));
        QCOMPARE(QString::fromStdString(differing[0]->setting), QStringLiteral("Sensor board number"));
        QCOMPARE(QString::fromStdString(differing[0]->a), QStringLiteral("42"));  // on the bus
        QCOMPARE(QString::fromStdString(differing[0]->b), QStringLiteral("43"));  // the configuration
        QVERIFY(compare->SummaryLabel->text().startsWith(QStringLiteral("1 setting differs on the board")));

        // F3 goes to the difference, which carries a marker as well as its colour.
        compare->SettingsView->setFocus();
        QTest::keyClick(compare->SettingsView, Qt::Key_F3);
        QTreeWidgetItem* current = compare->SettingsView->currentItem();
        QVERIFY(current);
        QCOMPARE(current->text(1), QStringLiteral("Sensor board number"));
        QVERIFY(!current->text(0).isEmpty());
        QVERIFY(current->background(2).color() != compare->SettingsView->topLevelItem(0)->background(2).color());
        QTest::keyClick(compare->SettingsView, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(compare->SettingsView->currentItem(), current);  // the only one, either way

        // Only differences: the other settings and empty groups go.
        int shown = 0;
        compare->OnlyDifferencesBox->setChecked(true);
        for (QTreeWidgetItemIterator it(compare->SettingsView, QTreeWidgetItemIterator::NotHidden); *it; ++it)
            if ((*it)->parent())
                ++shown;
        QCOMPARE(shown, 1);
        compare->CopyClick();
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("1 setting differs:\nSensor board number: bus \"42\", configuration \"43\"\n"));

        // Escape closes the window.
        QTest::keyClick(compare->SettingsView, Qt::Key_Escape);
        QTRY_VERIFY(!main->findChild<TCompareBoardsForm*>());

        // Without a verify of its own, Read from Bus reads the board now and
        // compares with what it holds; the board window runs the transfer.
        form->BoardTabControl->setCurrentIndex(btORT50);
        form->SelectPosition(0);
        static_cast<TORT50Board&>(*main->BoardData.BoardAt(btORT50, 0)).routeAddress = 999;
        form->CompareButton->click();
        compare = main->findChild<TCompareBoardsForm*>();
        QVERIFY(compare);
        QVERIFY(compare->Comparison().Differences().empty());  // against the next board of the list: itself
        form->BoardTabControl->setCurrentIndex(btTEL90);  // the window brings the board back into view
        compare->BusButton->click();
        QVERIFY(!compare->BusButton->isEnabled());
        QVERIFY(form->Busy());
        QCOMPARE(form->CurrentType(), int(btORT50));
        QTRY_VERIFY_WITH_TIMEOUT(compare->BusButton->isEnabled(), 20000);
        QCOMPARE(compare->OtherBox->currentIndex(), 0);
        QCOMPARE(compare->Comparison().Differences().size(), size_t(1));
        QVERIFY2(compare->SummaryLabel->text().startsWith(QStringLiteral("1 setting differs on the board")),
                 qPrintable(compare->SummaryLabel->text()));
        QTest::keyClick(compare->SettingsView, Qt::Key_Escape);
        QTRY_VERIFY(!main->findChild<TCompareBoardsForm*>());

        // A board without a serial number cannot be read: said in the window.
        AddBoard(*main, *form, 0, "Unset");
        form->SelectPosition(main->BoardData.BoardCount(btORT50) - 1);
        form->CompareButton->click();
        compare = main->findChild<TCompareBoardsForm*>();
        QVERIFY(compare);
        compare->BusButton->click();
        QVERIFY(!form->Busy());
        QVERIFY(compare->BusButton->isEnabled());
        QCOMPARE(compare->SummaryLabel->text(),
                 QStringLiteral("Not read from the bus: Serial number must be between 1 & 65535"));
    }

    // Compare with another board of the list and with a board of a file: the
    // settings grouped under the report's sections, differences coloured and
    // marked, F3 and Shift+F3 from one to the next and round, only the
    // differences on request, and the text saved as Copy gives it.
    void comparesWithAnotherBoardOrABoardOfAFile()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        auto main = StartMain(false);
        TProgramBoardForm* form = OpenForm(*main);
        form->BoardTabControl->setCurrentIndex(btVELA40);
        AddBoard(*main, *form, 5, "Up");
        auto& down = static_cast<TVELA40Board&>(*AddBoard(*main, *form, 6, "Down"));
        down.SensorConfig().SetSensorBoardNumber(12);
        down.Signal(2).SetNextSignal(4);
        down.Signal(0).SetName("Home");
        const QString file = FilePath(QStringLiteral("compare-vela40.csv"));
        QVERIFY(main->BoardData.SaveListAs(btVELA40, file.toStdString()));

        form->SelectPosition(0);
        form->CompareButton->click();
        TCompareBoardsForm* compare = main->findChild<TCompareBoardsForm*>();
        QVERIFY(compare);
        QCOMPARE(compare->OtherBox->currentText(), QStringLiteral("This list: 6 Down"));
        QCOMPARE(Column(compare->SettingsView, 1),
                 (QStringList{"Board", "Signal Settings", "reverse Run Zone Settings"}));
        const QStringList differing{"Serial number", "Sensor Board Addr Number", "Signal 3, Next signal"};
        QStringList marked, fileOnly;
        for (QTreeWidgetItemIterator it(compare->SettingsView); *it; ++it) {
            if (!(*it)->parent())
                continue;
            const QString mark = (*it)->text(0);
            if (!mark.isEmpty()) {
                (mark == QStringLiteral("\u2260") ? marked : fileOnly) << (*it)->text(1);
                QVERIFY((*it)->background(1) != QBrush());
            }
        }
        QCOMPARE(marked, differing);
        QCOMPARE(fileOnly, (QStringList{"Board name", "Signal 1, Signal Name"}));
        QCOMPARE(compare->SummaryLabel->text(),
                 QStringLiteral("3 settings differ on the board (\u2260).  2 kept in the file only (~)."));

        // F3 visits every marked row in order and comes round; Shift+F3 goes back.
        compare->SettingsView->setFocus();
        QStringList visited;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(compare->SettingsView, Qt::Key_F3);
            visited << compare->SettingsView->currentItem()->text(1);
        }
        const QStringList order{"Serial number", "Board name", "Sensor Board Addr Number", "Signal 1, Signal Name",
                                "Signal 3, Next signal"};
        QCOMPARE(visited, order + QStringList{order.first()});
        QTest::keyClick(compare->SettingsView, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(compare->SettingsView->currentItem()->text(1), order.last());

        // Only differences: the alike rows and the group with none go.
        compare->OnlyDifferencesBox->setChecked(true);
        QStringList shown;
        for (QTreeWidgetItemIterator it(compare->SettingsView, QTreeWidgetItemIterator::NotHidden); *it; ++it)
            shown << (*it)->text(1);
        QCOMPARE(shown, (QStringList{"Board", "Serial number", "Board name", "Sensor Board Addr Number",
                                     "Signal Settings", "Signal 1, Signal Name", "Signal 3, Next signal"}));

        // Save as text writes what Copy gives.
        const QString text = FilePath(QStringLiteral("comparison.txt"));
        dialogs.fileNames << text;
        compare->SaveButton->click();
        QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("comparison.txt"));
        compare->CopyButton->click();
        const QString expected = QStringLiteral(
            "3 settings differ:\n"
            "Serial number: this board \"5\", other \"6\"\n"
            "Sensor Board Addr Number: this board \"10\", other \"12\"\n"
            "Signal 3, Next signal: this board \"is always Green\", other \"signal number 4, Normal\"\n"
            "Kept in the file only:\n"
            "Board name: this board \"Up\", other \"Down\"\n"
            "Signal 1, Signal Name: this board \"unnamed\", other \"Home\"\n");
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(QString::fromUtf8(ReadAll(text)), expected);

        // A board of a file: the file's copy of this board holds the same settings.
        dialogs.fileNames << file;
        compare->FileButton->click();
        QCOMPARE(compare->OtherBox->currentText(), QStringLiteral("compare-vela40.csv: 5 Up"));
        QVERIFY(compare->Comparison().Equal());
        QVERIFY(compare->Comparison().FileOnly().empty());
        QCOMPARE(compare->SummaryLabel->text(), QStringLiteral("The boards hold the same settings."));
        compare->OtherBox->setCurrentText(QStringLiteral("compare-vela40.csv: 6 Down"));
        QCOMPARE(compare->Comparison().Differences().size(), size_t(3));
        // A file of another type is refused, and the choices stay.
        const int choices = compare->OtherBox->count();
        dialogs.fileNames << ListFile(btORT50, QStringLiteral("compare-ort50.csv"), 1);
        compare->FileButton->click();
        QCOMPARE(displays.errors.size(), 1);
        QCOMPARE(compare->OtherBox->count(), choices);
        QCOMPARE(compare->OtherBox->currentText(), QStringLiteral("compare-vela40.csv: 6 Down"));
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
            QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("ort50.csv"));
            dialogs.answers << (yes ? TAnswer::Yes : TAnswer::No);
            // Yes, then no file chosen: the program stays open; No lets it go.
            QCOMPARE(main->close(), !yes);
            QCOMPARE(dialogs.fileTitles, yes ? QStringList{"Save As: ORT50 Kestrix"} : QStringList{});
            if (yes)
                QVERIFY(main->close());
            QCOMPARE(ReadAll(path), bytes);
            QCOMPARE(OpenSettingsStore()->value(QStringLiteral("Filenames/ORT50")).toString(), path);
        }
    }

    // A dialog given a folder that does not exist offers the folder's name as
    // the file ("Documents"): start at home instead.
    void fileDialogsStartInTheDocumentsFolderOrElseAtHome()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString withoutDocuments = DocumentsFolder();
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Documents")));
        const QString withDocuments = DocumentsFolder();
        qputenv("HOME", oldHome);
        QCOMPARE(withoutDocuments, home.path());
        QCOMPARE(withDocuments, home.path() + QStringLiteral("/Documents"));
        QCOMPARE(TFileDialogRequest().directory, DocumentsFolder());
    }

    // Board files given on the command line (as paths, or as the file: URLs
    // desktops pass) or dropped on the window open into the lists of the
    // types their first lines name, in place of the stored lists, and show in
    // the board window; a list with changes asks first; a file that is no
    // board file is refused by name and changes nothing.
    void boardFilesGivenOrDroppedOpenIntoTheirLists()
    {
        TCollectedDisplays displays;
        TDialogScript dialogs;
        const QString stored = ListFile(btVELA40, QStringLiteral("stored-vela40.csv"), 1);
        OpenSettingsStore()->setValue(QStringLiteral("Filenames/VELA40"), stored);
        const QString vela = ListFile(btVELA40, QStringLiteral("given vela40.csv"), 2);
        const QString ort = ListFile(btORT50, QStringLiteral("given-ort50.csv"), 3);
        const QString notes = FilePath(QStringLiteral("notes.csv"));
        {
            QFile file(notes);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Name,Address\r\nHall,12\r\n");
        }
        auto main = StartMain(false, {vela, notes, QUrl::fromLocalFile(ort).toString()});
        QCOMPARE(main->BoardData.BoardCount(btVELA40), 2);
        QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btVELA40)), vela);
        QCOMPARE(main->BoardData.BoardCount(btORT50), 3);
        QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btORT50)), ort);
        QVERIFY(!main->BoardData.AnyModified());
        QCOMPARE(displays.errors,
                 QStringList{notes + QStringLiteral(": not a board file: its first line names no board type ('Name')")});
        QVERIFY(dialogs.questions.isEmpty());
        auto* form = qobject_cast<TProgramBoardForm*>(main->ProgramBoardForm.data());
        QVERIFY(form != nullptr);
        QCOMPARE(form->CurrentType(), int(btORT50));
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 3);
        QCOMPARE(main->ProgStatus->text(), QStringLiteral("given-ort50.csv opened: 3 ORT50 boards"));

        // Only files are taken; a web address is refused at the door.
        QVERIFY(!Drop(*main, {QUrl(QStringLiteral("https://example.org/vela40.csv"))}));

        // A dropped file whose list has changes asks first: Cancel keeps the
        // list and its changes, No lets the file replace them.
        main->BoardData.AppendBoard(btVELA40);
        const QString dropped = ListFile(btVELA40, QStringLiteral("dropped-vela40.csv"), 5);
        dialogs.answers << TAnswer::Cancel;
        QVERIFY(Drop(*main, {QUrl::fromLocalFile(dropped)}));
        QTRY_COMPARE(dialogs.questions.size(), 1);
        QCOMPARE(dialogs.questions.constFirst(),
                 QStringLiteral("VELA40 Signal Controller|The VELA40 Signal Controller list has changed.\n"
                                "Do you want to save data?|Cancel"));
        QTest::qWait(20);
        QCOMPARE(main->BoardData.BoardCount(btVELA40), 3);
        QVERIFY(main->BoardData.IsModified(btVELA40));
        dialogs.answers << TAnswer::No;
        QVERIFY(Drop(*main, {QUrl::fromLocalFile(dropped)}));
        QTRY_COMPARE(main->BoardData.BoardCount(btVELA40), 5);
        QVERIFY(!main->BoardData.IsModified(btVELA40));
        QCOMPARE(QString::fromStdString(main->BoardData.FileNameOf(btVELA40)), dropped);
        QCOMPARE(form->CurrentType(), int(btVELA40));
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 5);
        QCOMPARE(displays.errors.size(), 1);
        main->close();
        // The lists opened are the ones reloaded next time.
        QCOMPARE(OpenSettingsStore()->value(QStringLiteral("Filenames/VELA40")).toString(), dropped);
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
            dialogs.answers << TAnswer::Yes << TAnswer::Yes;
            dialogs.fileNames << ort;
            main->close();
            QCOMPARE(dialogs.questions,
                     (QStringList{"ORT50 Kestrix|The ORT50 Kestrix list has changed.\nDo you want to save data?|Cancel",
                                  "TEL90 16-channel Sensor Board|The TEL90 16-channel Sensor Board list has "
                                  "changed.\nDo you want to save data?|Cancel"}));
            QCOMPARE(dialogs.fileTitles, QStringList{"Save As: ORT50 Kestrix"});
            QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("ort50.csv"));
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
        dialogs.answers << TAnswer::Yes;
        dialogs.fileNames << FilePath(QStringLiteral("missing/muv7.csv"));
        QVERIFY(!main->close());
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY(main->isVisible());
        // Cancel keeps it open and the list changed.
        dialogs.answers << TAnswer::Cancel;
        QVERIFY(!main->close());
        QVERIFY(main->BoardData.IsModified(btMUV7));
        // Yes again writes to the file it was given, which still cannot be
        // written: said again, and the program stays open.
        dialogs.answers << TAnswer::Yes;
        QVERIFY(!main->close());
        QCOMPARE(displays.errors.size(), 2);
        // A list without a file, Yes, and no file chosen: open as well, with
        // nothing failed to report.
        main->BoardData.AppendBoard(btPAX60);
        dialogs.fileTitles.clear();
        dialogs.answers << TAnswer::No << TAnswer::Yes;
        QVERIFY(!main->close());
        QCOMPARE(dialogs.fileTitles, QStringList{"Save As: PAX60 Gantrel"});
        QCOMPARE(displays.errors.size(), 2);
        QVERIFY(main->BoardData.IsModified(btPAX60));
        // Answering No lets it go.
        QVERIFY(main->close());
    }
};

QTEST_MAIN(TProgBoardTest)
#include "widget_progboard.moc"
