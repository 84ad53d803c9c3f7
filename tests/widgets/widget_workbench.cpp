// Windows on a workbench of their own, with no main window: the workbench's
// dispatch of received messages by kind, and the board windows reading,
// writing and discovering boards through nothing but the workbench.
#include "Widgettestsupport.h"

#include "app/boards/Formprogboard.h"
#include "app/boards/Formrenumber.h"
#include "app/common/Workbench.h"
#include "boards/core/Boarddata.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"
#include "link/Tsvprogmsg.h"
#include "sim/Simboard.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {

// A workbench whose bus holds simulated boards: what a window sends reaches
// them, and their replies come back through the dispatch a moment later, as
// from a real link. Everything else the window asks of it is recorded.
class TBenchWorkbench final : public TWorkbench {
public:
    TLinkState link{true, true, QStringLiteral("bench"), eLocoBuffer};
    std::vector<TSimBoard> boards;
    QList<int> sentKinds;       // the kind of every message sent
    QStringList statusTexts;    // every text shown in the programming field
    QStringList dialogTitles;   // the file dialogs asked for
    QString chosenFile;         // what they answer
    QList<int> helpTopics;
    int closeRequests = 0;
    TBoardData lists;

    void SendMessage(std::unique_ptr<TLocoNetMessage> message, const QString& /*what*/) override
    {
        sentKinds << message->MessageKind();
        for (TSimBoard& board : boards) {
            for (const TLocoNetMessage& reply : board.Answer(*message)) {
                auto decoded = std::shared_ptr<TLocoNetMessage>(MakeDecoderMessage(reply));
                QTimer::singleShot(0, this, [this, decoded] { Deliver(*decoded); });
            }
        }
    }
    TLinkState LinkState() const override { return link; }
    TBoardData& BoardData() override { return lists; }
    QString OpenFileDialog(const QString& title) override
    {
        dialogTitles << title;
        return chosenFile;
    }
    QString SaveFileDialog(const QString& title, const QString& /*fileName*/) override
    {
        dialogTitles << title;
        return chosenFile;
    }
    void ShowProgStatus(const QString& text) override { statusTexts << text; }
    void ShowHelp(int topic) override { helpTopics << topic; }
    QMdiArea* Workspace() const override { return nullptr; }
    QWidget* TopWindow() const override { return nullptr; }
    void CloseProgram() override { ++closeRequests; }
};

std::unique_ptr<TLocoNetMessage> Decoded(std::initializer_list<int> bytes)
{
    return MakeDecoderMessage(MessageOf(bytes));
}

QStringList LogLines(const TProgramBoardForm& form)
{
    QStringList lines;
    for (int i = 0; i < form.DebugList->count(); ++i)
        lines << form.DebugList->item(i)->text();
    return lines;
}

// The board window with one ORT50 (serial 102) in its list, selected.
std::unique_ptr<TProgramBoardForm> ConfigureWindow(TBenchWorkbench& bench)
{
    bench.lists.AppendBoard(btORT50);
    bench.lists.BoardAt(btORT50, 0)->SetSerialNumber(102);
    bench.lists.BoardAt(btORT50, 0)->SetName("Station panel");
    auto form = std::make_unique<TProgramBoardForm>(bench);
    form->show();
    form->BoardTabControl->setCurrentIndex(btORT50);
    form->SelectPosition(0);
    return form;
}

}  // namespace

class TWorkbenchTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

private slots:
    void deliversEachKindToTheShownWindowsRegisteredForItInOrder()
    {
        TBenchWorkbench bench;
        QWidget sensors, everything, sv;
        for (QWidget* w : {&sensors, &everything, &sv})
            w->show();
        QStringList got;
        bench.Subscribe<TLNSensFBMessage>(&sensors, Kinds({eOPCSENS}),
                                          [&](const TLNSensFBMessage&) { got << QStringLiteral("sensors"); });
        bench.Subscribe(&everything, AllKinds(), [&](const TLocoNetMessage&) { got << QStringLiteral("everything"); });
        bench.Subscribe<TLNSVProgMessage>(&sv, Kinds({eOPCSVACCESS2}),
                                          [&](const TLNSVProgMessage&) { got << QStringLiteral("sv"); });
        QCOMPARE(bench.SubscriberCount(eOPCSENS), 2);
        QCOMPARE(bench.SubscriberCount(eOPCGPON), 1);

        TLNSVProgMessage discover;
        discover.MakeSvDiscover(0);
        struct TCase {
            const char* name;
            std::unique_ptr<TLocoNetMessage> message;
            QStringList expected;
        };
        TCase cases[] = {
            {"sensor report", Decoded({0xB2, 0x00, 0x50, 0x1D}), {"sensors", "everything"}},
            {"track power", Decoded({0x83, 0x7C}), {"everything"}},
            {"SV access", MakeDecoderMessage(discover), {"everything", "sv"}},
        };
        for (TCase& c : cases) {
            got.clear();
            bench.Deliver(*c.message);
            QVERIFY2(got == c.expected, c.name);
        }

        // Hidden: passed over, yet still registered. A minimised workspace window would still count.
        everything.hide();
        got.clear();
        bench.Deliver(*cases[0].message);
        QCOMPARE(got, QStringList{QStringLiteral("sensors")});
        QCOMPARE(bench.SubscriberCount(eOPCSENS), 2);
        everything.show();

        // Registering again replaces the kinds and moves the window to the end.
        bench.Subscribe(&sensors, Kinds({eOPCGPON}), [&](const TLocoNetMessage&) { got << QStringLiteral("power"); });
        got.clear();
        bench.Deliver(*cases[0].message);
        bench.Deliver(*cases[1].message);
        QCOMPARE(got, (QStringList{"everything", "everything", "power"}));

        // Unregistered and destroyed windows are gone for good.
        bench.Unsubscribe(&sensors);
        {
            QWidget brief;
            brief.show();
            bench.Subscribe(&brief, AllKinds(), [&](const TLocoNetMessage&) { got << QStringLiteral("brief"); });
            QCOMPARE(bench.SubscriberCount(eOPCGPON), 2);
        }
        QCOMPARE(bench.SubscriberCount(eOPCGPON), 1);
        got.clear();
        bench.Deliver(*cases[1].message);
        QCOMPARE(got, QStringList{QStringLiteral("everything")});
    }

    // A receiver answering a message may close a window (a notice, a finished
    // transfer) or open one that registers: the delivery under way goes on
    // safely, and the new window gets the next message.
    void aReceiverMayCloseAndOpenWindowsDuringADelivery()
    {
        TBenchWorkbench bench;
        auto first = std::make_unique<QWidget>();
        auto doomed = std::make_unique<QWidget>();
        auto opened = std::make_unique<QWidget>();
        for (QWidget* w : {first.get(), doomed.get(), opened.get()})
            w->show();
        QStringList got;
        bench.Subscribe(first.get(), AllKinds(), [&](const TLocoNetMessage&) {
            got << QStringLiteral("first");
            if (doomed) {
                doomed.reset();
                bench.Subscribe(opened.get(), AllKinds(), [&](const TLocoNetMessage&) { got << QStringLiteral("opened"); });
                // Itself too, while its own delivery runs.
                bench.Unsubscribe(first.get());
            }
        });
        bench.Subscribe(doomed.get(), AllKinds(), [&](const TLocoNetMessage&) { got << QStringLiteral("doomed"); });
        for (int i = 0; i < 40; ++i) {  // enough registrations for the list to move in memory
            auto* filler = new QWidget(opened.get());
            bench.Subscribe(filler, Kinds({eOPCSENS}), [](const TLocoNetMessage&) {});
        }

        const auto power = Decoded({0x83, 0x7C});
        bench.Deliver(*power);
        QCOMPARE(got, QStringList{QStringLiteral("first")});
        got.clear();
        bench.Deliver(*power);
        QCOMPARE(got, QStringList{QStringLiteral("opened")});
        QCOMPARE(bench.SubscriberCount(eOPCGPON), 1);
    }

    // The configuration window reads a board back and writes it again with
    // nothing but a workbench around it: no main window, no link.
    void theConfigurationWindowProgramsThroughTheWorkbenchAlone()
    {
        TCollectedDisplays displays;
        TBenchWorkbench bench;
        for (const TSimBoardSpec& spec : OneBoardOfEachModel(101))
            bench.boards.emplace_back(spec);
        auto form = ConfigureWindow(bench);
        QCOMPARE(bench.SubscriberCount(eOPCSVACCESS2), 1);
        QSignalSpy finished(form.get(), &TProgramBoardForm::TransferFinished);

        form->ReadBoardButton->click();
        QVERIFY(form->Busy());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY2(finished.first().at(0).toBool(), qPrintable(finished.first().at(1).toString()));
        QCOMPARE(LogLines(*form).last(), QString::fromLatin1(ProgTexts::kReadCompleted));
        QVERIFY(bench.lists.IsModified(btORT50));
        QVERIFY(!bench.sentKinds.isEmpty());
        QCOMPARE(bench.sentKinds.count(eOPCSVACCESS2), bench.sentKinds.size());

        form->ProgramButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        QVERIFY2(finished.last().at(0).toBool(), qPrintable(finished.last().at(1).toString()));
        QVERIFY(LogLines(*form).contains(QString::fromLatin1(ProgTexts::kProgramCompleted)));
        QVERIFY(displays.errors.isEmpty());

        form->close();
        QCOMPARE(bench.statusTexts.last(), QStringLiteral("(Inactive)"));
        QCOMPARE(bench.SubscriberCount(eOPCSVACCESS2), 0);
    }

    // What the window may not do on the link it is given, it refuses before
    // sending anything; a link lost under a transfer ends it at once.
    void theConfigurationWindowHeedsTheWorkbenchsLink()
    {
        TCollectedDisplays displays;
        TBenchWorkbench bench;
        auto form = ConfigureWindow(bench);
        struct TCase {
            TLinkState link;
            QString status;
        };
        const TCase cases[] = {
            {{false, false, QStringLiteral("Com1"), eLocoBuffer}, QStringLiteral("port not open: Com1")},
            {{true, false, QStringLiteral("tcp:host:1234"), eLocoBuffer},
             QStringLiteral("port not connected: tcp:host:1234 is reconnecting")},
        };
        for (const TCase& c : cases) {
            bench.link = c.link;
            for (QPushButton* button : {form->ProgramButton, form->ReadBoardButton, form->VerifyButton}) {
                bench.statusTexts.clear();
                button->click();
                QCOMPARE(bench.statusTexts, QStringList{c.status});
                QVERIFY(!form->Busy());
            }
        }
        QVERIFY(bench.sentKinds.isEmpty());

        // No board answers on this bench: the transfer waits until the link goes.
        bench.link = {true, true, QStringLiteral("bench"), eMS100};
        QSignalSpy finished(form.get(), &TProgramBoardForm::TransferFinished);
        form->ProgramButton->click();
        QVERIFY(form->Busy());
        QTRY_VERIFY(!bench.sentKinds.isEmpty());
        emit bench.LinkLost(QStringLiteral("unplugged"));
        QTRY_COMPARE(finished.size(), 1);
        const QString stopped = QStringLiteral("Transfer stopped: the link was lost (unplugged)");
        QCOMPARE(finished.first().at(1).toString(), stopped);
        QCOMPARE(bench.statusTexts.last(), stopped);
    }

    // Files, exit, help and lists changed elsewhere all go by the workbench.
    void theConfigurationWindowAsksTheWorkbenchForFilesExitAndHelp()
    {
        TCollectedDisplays displays;
        TBenchWorkbench bench;
        auto form = ConfigureWindow(bench);

        form->Open1->trigger();  // cancelled: the list stays
        form->SaveAs1->trigger();
        const QString type = QString::fromStdString(TBoardData::LongTypeName(btORT50));
        QCOMPARE(bench.dialogTitles, (QStringList{"Open File for board type: " + type, "Save file for board type: " + type}));
        QCOMPARE(bench.lists.BoardCount(btORT50), 1);

        bench.lists.AppendBoard(btORT50);
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 1);
        bench.AnnounceBoardListsChanged();
        QCOMPARE(form->BoardListBox->topLevelItemCount(), 2);

        form->HelpBtn->click();
        QCOMPARE(bench.helpTopics, QList<int>{80});
        form->Exit1->trigger();
        QCOMPARE(bench.closeRequests, 1);
    }

    // The numbering window finds the boards on the workbench's bus and hands
    // new ones to the lists; with no open link it says so and sends nothing.
    void theNumberingWindowDiscoversThroughTheWorkbenchAlone()
    {
        TCollectedDisplays displays;
        // Only the ORT50 is a product here: only it is copied into the lists.
        QTemporaryDir folder;
        const QString products = folder.filePath(QStringLiteral("progdevicelist.csv"));
        QFile file(products);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"Products\",1\n\"Product\",\"Device id\",\"Manufacturer\",\"Vendor id\",\"Description\"\n"
                   "\"ORT50\",2,\"Quorvel\",46,\"ORT50 panel controller\"\n");
        file.close();
        TRenumberForm::SetProductListFile(products);
        TRenumberForm::SetReplyTimeoutOverride(300);
        TBenchWorkbench bench;
        for (const TSimBoardSpec& spec : OneBoardOfEachModel(101))
            bench.boards.emplace_back(spec);
        QSignalSpy listsChanged(&bench, &TWorkbench::BoardListsChanged);
        auto form = std::make_unique<TRenumberForm>(bench);
        form->show();
        QCOMPARE(bench.SubscriberCount(eOPCSVACCESS2), 1);

        bench.link.open = false;
        form->DiscoverButton->click();
        QCOMPARE(bench.statusTexts.last(),
                 QStringLiteral("LocoNet port bench is not open: nothing can be sent to the boards"));
        QCOMPARE(displays.notices.size(), 1);
        QVERIFY(bench.sentKinds.isEmpty());

        bench.link.open = true;
        form->DiscoverButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->Engine().IsIdle(), 5000);
        QCOMPARE(form->BoardCountEdit->text(), QStringLiteral("7"));
        form->CopyNewBoardsButton->click();
        QCOMPARE(listsChanged.size(), 1);
        QCOMPARE(bench.lists.BoardCount(btORT50), 1);
        QCOMPARE(bench.lists.BoardAt(btORT50, 0)->SerialNumber(), 102);
        QCOMPARE(bench.lists.BoardCount(btVELA40), 0);

        form->close();
        QCOMPARE(bench.SubscriberCount(eOPCSVACCESS2), 0);
        TRenumberForm::SetReplyTimeoutOverride(0);
        TRenumberForm::SetProductListFile({});
    }
};

QTEST_MAIN(TWorkbenchTest)
#include "widget_workbench.moc"
