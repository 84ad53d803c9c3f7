// The layout snapshot window on the simulated LocoNet: a backup fills the
// table and the snapshot folder, a verify names the board that changed,
// Cancel stops after the exchange under way, and the window shares the bus
// with no other SV window.
#include "Widgettestsupport.h"

#include "app/boards/Formlayoutsnapshot.h"
#include "app/boards/Formprogboard.h"
#include "app/boards/Formprogramchanged.h"
#include "boards/core/Boarddata.h"
#include "app/shell/Main.h"
#include "programming/Tsnapshotfiles.h"
#include "sim/Simboard.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace {

// A main window on a simulated LocoNet with the given boards and its layout
// snapshot window open.
class TSnapshotBench {
public:
    explicit TSnapshotBench(std::vector<TSimBoardSpec> boards, bool realtime = false)
    {
        TSimSettings settings;
        settings.locoBuffer = false;
        settings.realtime = realtime;
        settings.boards = std::move(boards);
        ConfigureSimulatedLocoNet(settings);
        auto store = OpenSettingsStore();
        store->setValue(QStringLiteral("Connection/ComPort"), QStringLiteral("sim"));
        store->setValue(QStringLiteral("Connection/Baud"), 2);
        store->setValue(QStringLiteral("Connection/Interface"), 1);
        store->sync();
        main = std::make_unique<TMainForm>();
        main->FormActivate();
        main->LayoutSnapshot1->trigger();
        form = qobject_cast<TLayoutSnapshotForm*>(main->LayoutSnapshotForm.data());
    }

    QStringList Column(int column) const
    {
        QStringList out;
        for (int row = 0; row < form->BoardTable->topLevelItemCount(); ++row)
            out << form->BoardTable->topLevelItem(row)->text(column);
        return out;
    }
    bool WaitForRun(int ms = 20000) const
    {
        return QTest::qWaitFor([this] { return !form->Engine().IsRunning(); }, ms);
    }

    std::unique_ptr<TMainForm> main;
    TLayoutSnapshotForm* form = nullptr;
};

}  // namespace

class TLayoutSnapshotTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        // Replies of the simulated boards come at once; no test waits 5 s for silence.
        TLayoutSnapshotForm::SetReplyTimeoutOverride(100);
    }

    void init() { settings_.Clear(); }

    void opensAloneFromTheConfigureMenu()
    {
        TCollectedDisplays displays;
        TSnapshotBench bench(OneBoardOfEachModel());
        QVERIFY(bench.form != nullptr);
        QCOMPARE(bench.main->LayoutSnapshot1->text(), QStringLiteral("&Layout Snapshot..."));
        QCOMPARE(bench.form->windowTitle(), QStringLiteral("Layout Snapshot"));
        QStringList headings;
        for (int c = 0; c < bench.form->BoardTable->columnCount(); ++c)
            headings << bench.form->BoardTable->headerItem()->text(c);
        QCOMPARE(headings, (QStringList{"Serial", "Type", "Name", "State", "Details"}));
        QVERIFY(!bench.form->CancelButton->isEnabled());
        QCOMPARE(bench.main->Workbench().SubscriberCount(eOPCSVACCESS2), 1);

        // No other SV window opens beside it, and it opens beside none.
        bench.main->LayoutSnapshot1->trigger();
        bench.main->RenumberBoards1->trigger();
        bench.main->ConfigureBoards1->trigger();
        QCOMPARE(bench.main->Workspace()->subWindowList().size(), 1);
        bench.main->show();
        bench.form->BoardTable->setFocus();
        QTRY_VERIFY(bench.form->BoardTable->hasFocus());
        QTest::keyClick(bench.form->BoardTable, Qt::Key_Escape);
        QTRY_VERIFY(!bench.main->LayoutSnapshotOpen);
        QCOMPARE(bench.main->Workbench().SubscriberCount(eOPCSVACCESS2), 0);
        bench.main->RenumberBoards1->trigger();
        bench.main->LayoutSnapshot1->trigger();
        QVERIFY(!bench.main->LayoutSnapshotOpen);
    }

    void backsUpThenVerifiesAndNamesTheChangedBoard()
    {
        TCollectedDisplays displays;
        TSnapshotBench bench({{btORT50, 102}, {btTEL90, 106}, Sv2BoardSpec(4000, 33000)});
        const QString parent = dir_.filePath(QStringLiteral("snapshots"));
        bench.form->FolderEdit->setText(parent);
        bench.form->BackupButton->click();
        QVERIFY(bench.form->Engine().IsRunning());
        QVERIFY(!bench.form->BackupButton->isEnabled() && bench.form->CancelButton->isEnabled());
        QVERIFY(bench.WaitForRun(40000));
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kStateColumn), QStringList(3, QStringLiteral("read")));
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kSerialColumn),
                 (QStringList{"102", "106", "4000 (serial 33000)"}));
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kTypeColumn), (QStringList{"ORT50", "TEL90", "SV2"}));
        QCOMPARE(bench.form->RunProgressBar->value(), 3);
        QCOMPARE(bench.form->RunProgressBar->maximum(), 3);
        const QString snapshot = QString::fromStdString(bench.form->Engine().Folder());
        QCOMPARE(QFileInfo(snapshot).dir().path(), parent);
        QVERIFY(bench.form->SnapshotLabel->text().contains(QStringLiteral("3 read")));
        QVERIFY(QFile::exists(snapshot + QStringLiteral("/ORT50.csv")));
        QVERIFY(bench.form->BackupButton->isEnabled() && !bench.form->CancelButton->isEnabled());

        SimulatedLocoNet().FindBoard(102)->SetSv(9, static_cast<uint8_t>(SimulatedLocoNet().FindBoard(102)->Sv(9) ^ 3));
        bench.form->VerifySnapshot(snapshot);
        QVERIFY(bench.WaitForRun(40000));
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kStateColumn), (QStringList{"different", "same", "same"}));
        // SV 9 holds the ORT50's sensor board number: the setting is named.
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kDetailsColumn)[0],
                 QStringLiteral("Sensor board number in SLAVE or INTERLOCKED mode: snapshot \"10\", board \"9\""));
        QVERIFY(bench.form->SnapshotLabel->text().contains(QStringLiteral("1 different, 2 same")));
        QVERIFY(displays.notices.isEmpty());

        // A snapshot folder that cannot be made says so before anything is sent.
        bench.form->FolderEdit->setText(snapshot + QStringLiteral("/manifest.csv"));
        bench.form->BackupButton->click();
        QVERIFY(!bench.form->Engine().IsRunning());
        QCOMPARE(displays.notices.size(), 1);
        QVERIFY(displays.notices.constFirst().contains(QStringLiteral("manifest.csv")));
    }

    void cancelStopsAfterTheExchangeUnderWay()
    {
        TCollectedDisplays displays;
        TSnapshotBench bench({{btTEL90, 600}, {btTEL90, 601}, {btTEL90, 602}}, true);
        bench.form->FolderEdit->setText(dir_.filePath(QStringLiteral("cancelled")));
        bench.form->BackupButton->click();
        QVERIFY(QTest::qWaitFor(
            [&] { return bench.Column(TLayoutSnapshotForm::kStateColumn).value(0) == QStringLiteral("read"); }, 30000));
        bench.form->CancelButton->click();
        QVERIFY(!bench.form->CancelButton->isEnabled());
        QVERIFY(bench.WaitForRun(5000));
        QCOMPARE(bench.Column(TLayoutSnapshotForm::kStateColumn),
                 (QStringList{"read", "skipped", "skipped"}));
        std::vector<TSnapshotEntry> manifest;
        std::string error;
        QVERIFY(SnapshotFiles::ReadManifest(bench.form->Engine().Folder(), manifest, error));
        QCOMPARE(manifest.size(), size_t(3));
        QVERIFY(manifest[0].IsRead());
        QVERIFY(!manifest[1].IsRead() && !manifest[2].IsRead());
        QVERIFY(bench.form->SnapshotLabel->text().endsWith(QStringLiteral("Cancelled")));
    }

    // Program All Changed Boards in the configuration window: only the board
    // that differs from its configuration is programmed, after a question
    // that names it.
    void programsOnlyTheChangedBoards()
    {
        TCollectedDisplays displays;
        QStringList questions;
        SetQuestionDisplay([&questions](QWidget*, const QString& caption, const QString& text, bool) {
            questions << caption + "|" + text;
            return TAnswer::Yes;
        });
        TSnapshotBench bench({{btTEL90, 600}, {btTEL90, 601}, {btPAX60, 700}});
        bench.form->CloseButton->click();
        QTRY_VERIFY(!bench.main->LayoutSnapshotOpen);
        TBoardData& lists = bench.main->Workbench().BoardData();
        for (int serial : {600, 601, 602}) {  // 602 is not on the bus
            QVERIFY(lists.AppendBoard(btTEL90));
            lists.BoardAt(btTEL90, lists.BoardCount(btTEL90) - 1)->SetSerialNumber(serial);
        }
        QVERIFY(lists.AppendBoard(btTEL90));  // no serial number: not compared
        TConfigurableBoard* configured = lists.BoardAt(btTEL90, 0);
        QVERIFY(configured->ComputeSvImage());
        unsigned size = 0;
        const unsigned first = configured->NextSvBlock(0, size);
        for (int serial : {600, 601})
            for (unsigned sv = configured->NextSvBlock(0, size); size != 0; sv = configured->NextSvBlock(sv, size))
                SimulatedLocoNet().FindBoard(static_cast<uint16_t>(serial))->SetSv(static_cast<int>(sv), configured->SvByte(sv));
        TSimBoard* changed = SimulatedLocoNet().FindBoard(601);
        changed->SetSv(static_cast<int>(first), static_cast<uint8_t>(configured->SvByte(first) ^ 1));

        bench.main->ConfigureBoards1->trigger();
        auto* window = qobject_cast<TProgramBoardForm*>(bench.main->ProgramBoardForm.data());
        QVERIFY(window != nullptr);
        window->ProgramChangedBoards1->trigger();
        auto* dialog = window->findChild<TProgramChangedForm*>();
        QVERIFY(dialog != nullptr);
        QVERIFY(QTest::qWaitFor([&] {
            return dialog->Engine().Task() == TLayoutTask::eProgramChanged && !dialog->Engine().IsRunning();
        }, 40000));
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.constFirst().startsWith(QStringLiteral("Program all changed boards:|")));
        QVERIFY(questions.constFirst().contains(QStringLiteral("\n601\tTEL90\t")));
        QVERIFY(!questions.constFirst().contains(QStringLiteral("600")));
        QStringList states;
        for (int row = 0; row < dialog->BoardTable->topLevelItemCount(); ++row)
            states << dialog->BoardTable->topLevelItem(row)->text(3);
        QCOMPARE(states, (QStringList{"same", "programmed", "not answering"}));
        QCOMPARE(changed->Sv(static_cast<int>(first)), configured->SvByte(first));
        QCOMPARE(changed->ReconfigureCount(), 1);
        QCOMPARE(SimulatedLocoNet().FindBoard(600)->ReconfigureCount(), 0);
        QVERIFY(dialog->StatusLabel->text().startsWith(QStringLiteral("Done: ")));
        SetQuestionDisplay({});
    }
};

QTEST_MAIN(TLayoutSnapshotTest)
#include "widget_layoutsnapshot.moc"
