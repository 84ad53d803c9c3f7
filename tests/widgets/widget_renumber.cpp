// The board numbering window on the simulated LocoNet: discovery, identify,
// renumbering, copying new boards into the lists, boards sharing a serial
// number, sorting, closing, and the receive dispatch going on while a notice
// shows.
#include "Widgettestsupport.h"

#include "app/boards/Formrenumber.h"
#include "app/shell/Main.h"
#include "boards/core/Tconfigurableboard.h"
#include "link/Tsvprogmsg.h"
#include "sim/Simboard.h"
#include "sim/Simlbserver.h"

#include <QAction>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

// The family's products, as the program's list names them; device 99 is in no line.
const char* kProducts = "\"Products\",7\n"
                        "\"Product\",\"Device id\",\"Manufacturer\",\"Vendor id\",\"Description\"\n"
                        "\"VELA40\",1,\"Quorvel\",46,\"VELA40 Signal Controller\"\n"
                        "\"ORT50\",2,\"Quorvel\",46,\"ORT50 Kestrix panel controller\"\n"
                        "\"VELA80\",5,\"Quorvel\",46,\"VELA80 Signal Controller\"\n"
                        "\"MUV7\",6,\"Quorvel\",46,\"MUV7 Pendulo train shuttle\"\n"
                        "\"PAX60\",7,\"Quorvel\",46,\"PAX60 Gantrel accessory decoder\"\n"
                        "\"TEL90\",9,\"Quorvel\",46,\"TEL90 16-channel Sensor Board\"\n"
                        "\"PAX66\",10,\"Quorvel\",46,\"PAX66 Enhanced Accessory Decoder\"\n";

const QStringList kModels = {"VELA40", "ORT50", "VELA80", "MUV7", "PAX60", "TEL90", "PAX66"};

TLNSVProgMessage SvOf(const QByteArray& packet)
{
    return TLNSVProgMessage(
        TLocoNetMessage(reinterpret_cast<const uint8_t*>(packet.constData()), static_cast<uint32_t>(packet.size())));
}

QByteArray WireOf(const TLocoNetMessage& message)
{
    return QByteArray(reinterpret_cast<const char*>(message.Data()), int(message.Length()));
}

}  // namespace

// A main window on a simulated LocoNet with the given boards, its numbering
// window open, and every packet on the bus recorded.
class TNumberingBench {
public:
    explicit TNumberingBench(std::vector<TSimBoardSpec> boards)
    {
        TSimSettings settings;
        settings.locoBuffer = false;
        settings.boards = std::move(boards);
        ConfigureSimulatedLocoNet(settings);
        QObject::connect(&SimulatedLocoNet().Bus(), &TSimBus::Delivered, &context_,
                         [this](const QByteArray& packet) { packets << packet; });
        auto store = OpenSettingsStore();
        store->setValue(QStringLiteral("Connection/ComPort"), QStringLiteral("sim"));
        store->setValue(QStringLiteral("Connection/Baud"), 2);
        store->setValue(QStringLiteral("Connection/Interface"), 0);
        store->sync();
        main = std::make_unique<TMainForm>();
        main->FormActivate();
        main->RenumberBoards1->trigger();
        form = qobject_cast<TRenumberForm*>(main->RenumberForm.data());
    }

    // Discovers and waits for the end of the discovery.
    bool Discover(TCollectedDisplays& displays)
    {
        const qsizetype before = displays.notices.size();
        form->DiscoverButton->click();
        return QTest::qWaitFor([&] { return displays.notices.size() > before; }, 5000) &&
               displays.notices.constLast() == QStringLiteral("Discover:|Discovery complete!");
    }

    QTreeWidgetItem* Row(int row) const { return form->BoardList->topLevelItem(row); }
    QStringList Column(int column) const
    {
        QStringList out;
        for (int row = 0; row < form->BoardList->topLevelItemCount(); ++row)
            out << Row(row)->text(column);
        return out;
    }
    void SelectSerial(int serial) const
    {
        for (int row = 0; row < form->BoardList->topLevelItemCount(); ++row) {
            if (Row(row)->text(TRenumberForm::kSerialColumn) == QString::number(serial))
                form->BoardList->setCurrentItem(Row(row));
        }
    }
    // The SV requests of this kind seen on the bus.
    QList<TLNSVProgMessage> Requests(int kind) const
    {
        QList<TLNSVProgMessage> out;
        for (const QByteArray& p : packets) {
            const TLNSVProgMessage sv = SvOf(p);
            if (sv.SvKind() == kind)
                out << sv;
        }
        return out;
    }

    QObject context_;
    QList<QByteArray> packets;
    std::unique_ptr<TMainForm> main;
    TRenumberForm* form = nullptr;
};

class TRenumberTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        const QString products = dir_.filePath(QStringLiteral("progdevicelist.csv"));
        QFile file(products);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kProducts);
        file.close();
        TRenumberForm::SetProductListFile(products);
        // Replies of the simulated boards come at once; no test waits 5 s for silence.
        TRenumberForm::SetReplyTimeoutOverride(1000);
    }

    void init() { settings_.Clear(); }

    void opensOnceWithItsControlsAndClosesInactive()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        TRenumberForm* form = bench.form;
        QVERIFY(form != nullptr);
        QVERIFY(bench.main->RenumberOpen);
        QCOMPARE(bench.main->Workbench().SubscriberCount(eOPCSVACCESS2), 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Display & Change Board Serial Numbers"));
        QCOMPARE(form->BoardCountEdit->text(), QStringLiteral("0"));
        QCOMPARE(form->SerialNumberEdit->value(), 1000);
        QCOMPARE(form->SerialNumberEdit->minimum(), 1);
        QCOMPARE(form->SerialNumberEdit->maximum(), 65535);
        QCOMPARE(form->CopyNewBoardsButton->text(), QStringLiteral("Copy new to Configure "));
        QCOMPARE(form->CopyNewBoardsButton->toolTip(),
                 QStringLiteral("Copy newly discovered boards to the Configure Boards window"));
        QStringList headings;
        for (int c = 0; c < form->BoardList->columnCount(); ++c)
            headings << form->BoardList->headerItem()->text(c);
        QCOMPARE(headings, (QStringList{"Serial", "Product", "Manufacturer", "Description"}));
        QCOMPARE(form->DiscoverBoards1->text(), QStringLiteral("&Discover Boards"));
        QCOMPARE(form->ChangeBoardAddress1->text(), QStringLiteral("&Change Board Address"));
        QCOMPARE(form->IdentifyBoard1->text(), QStringLiteral("&Identify Board"));
        QVERIFY(form->DiscoverButton->isEnabled());
        QVERIFY(!form->IdentifyButton->isEnabled() && !form->RenumberButton->isEnabled() &&
                !form->CopyNewBoardsButton->isEnabled());
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("No Address change active"));

        // At most one at a time; the configuration window's flag keeps it shut too.
        bench.main->RenumberBoards1->trigger();
        QCOMPARE(bench.main->Workspace()->subWindowList().size(), 1);

        bench.form->CloseButton->click();
        QTRY_VERIFY(bench.main->RenumberForm.isNull());
        QVERIFY(!bench.main->RenumberOpen);
        QCOMPARE(bench.main->Workbench().SubscriberCount(eOPCSVACCESS2), 0);
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("(Inactive)"));

        bench.main->ProgramBoardOpen = true;
        bench.main->RenumberBoards1->trigger();
        QVERIFY(!bench.main->RenumberOpen);
        bench.main->ProgramBoardOpen = false;
        bench.main->RenumberBoards1->trigger();
        QVERIFY(bench.main->RenumberOpen);
        // Escape closes it like the close button.
        auto* again = qobject_cast<TRenumberForm*>(bench.main->RenumberForm.data());
        bench.main->show();
        again->BoardList->setFocus();
        QTRY_VERIFY(again->BoardList->hasFocus());
        QTest::keyClick(again->BoardList, Qt::Key_Escape);
        QTRY_VERIFY(!bench.main->RenumberOpen);
    }

    void discoversTheSimulatedBoardsWithTheirProductTexts()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        TRenumberForm* form = bench.form;
        form->DiscoverButton->click();
        QCOMPARE(bench.Column(0), QStringList{"Discovering boards on LocoNet (this takes several seconds)....."});
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("Discovering....."));
        QVERIFY(!form->DiscoverButton->isEnabled() && !form->DiscoverBoards1->isEnabled());
        QVERIFY(!form->IdentifyButton->isEnabled());
        QTRY_COMPARE(displays.notices, QStringList{"Discover:|Discovery complete!"});

        QCOMPARE(form->BoardCountEdit->text(), QStringLiteral("7"));
        QCOMPARE(bench.Column(TRenumberForm::kSerialColumn),
                 (QStringList{"101", "102", "103", "104", "105", "106", "107"}));
        QCOMPARE(bench.Column(TRenumberForm::kProductColumn), kModels);
        QCOMPARE(bench.Column(TRenumberForm::kManufacturerColumn), QStringList(7, QStringLiteral("Quorvel")));
        QCOMPARE(bench.Row(3)->text(TRenumberForm::kDescriptionColumn), QStringLiteral("MUV7 Pendulo train shuttle"));
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("No Address change active"));
        QVERIFY(form->IdentifyButton->isEnabled() && form->RenumberButton->isEnabled() &&
                form->CopyNewBoardsButton->isEnabled());
        QVERIFY(form->DuplicateLabel->isHidden());
        QCOMPARE(bench.Requests(eSvDiscover).size(), 1);
    }

    void discoveryWithoutBoardsEndsEmpty()
    {
        TCollectedDisplays displays;
        TNumberingBench bench({});
        QVERIFY(bench.Discover(displays));
        QCOMPARE(bench.form->BoardList->topLevelItemCount(), 0);
        QCOMPARE(bench.form->BoardCountEdit->text(), QStringLiteral("0"));
        QVERIFY(!bench.form->IdentifyButton->isEnabled() && !bench.form->RenumberButton->isEnabled() &&
                !bench.form->CopyNewBoardsButton->isEnabled());
    }

    void identifiesTheSelectedBoardAndReportsSilence()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        QVERIFY(bench.Discover(displays));
        displays.notices.clear();

        bench.form->IdentifyButton->click();
        QCOMPARE(displays.notices, QStringList{"Error:|Select a board in the list first!"});
        QVERIFY(bench.Requests(eSvIdentify).isEmpty());

        bench.SelectSerial(103);
        bench.form->IdentifyButton->click();
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("Identifying target board..."));
        QTRY_COMPARE(displays.notices.size(), 2);
        QCOMPARE(displays.notices.at(1), QStringLiteral("Identify:|Identify successful!"));
        QCOMPARE(bench.Requests(eSvIdentify).constLast().GetSvReconfigure().destination, 103);

        // A board that has gone quiet: one time-out ends it.
        auto& boards = SimulatedLocoNet().Boards();
        boards.erase(std::remove_if(boards.begin(), boards.end(), [](const auto& b) { return b->Serial() == 104; }),
                     boards.end());
        bench.SelectSerial(104);
        bench.form->IdentifyBoard1->trigger();
        QTRY_COMPARE(displays.notices.size(), 3);
        QCOMPARE(displays.notices.at(2), QStringLiteral("Timout Error:|Board did not response to Identify message"));
        QCOMPARE(bench.main->ProgStatus->text(), QStringLiteral("No Address change active"));
        QVERIFY(bench.form->DiscoverButton->isEnabled());
    }

    // A link that fails under an operation ends it at once with the reason,
    // rather than a time-out's notice (or "Discovery complete!") later.
    void aLostLinkEndsTheOperationAtOnce()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        QVERIFY(bench.Discover(displays));
        displays.notices.clear();

        // The interface unplugged while a board is asked to identify itself.
        bench.SelectSerial(103);
        bench.form->IdentifyButton->click();
        QVERIFY(!bench.form->Engine().IsIdle());
        ConfigureSimulatedLocoNet(TSimSettings{});
        QTRY_COMPARE_WITH_TIMEOUT(bench.main->ProgStatus->text(),
                                  QStringLiteral("Identify stopped: the link was lost (the simulated LocoNet was shut down)"),
                                  500);
        QVERIFY(bench.form->Engine().IsIdle());
        QVERIFY(bench.form->DiscoverButton->isEnabled());
        // The boards found before stay listed.
        QCOMPARE(bench.form->BoardList->topLevelItemCount(), 7);

        // A network link that lost its server during a discovery.
        bench.main->LocoNetComm1.Open();
        QVERIFY(bench.main->LocoNetComm1.Enabled());
        bench.form->DiscoverButton->click();
        QVERIFY(!bench.form->Engine().IsIdle());
        bench.main->LocoNetComm1.OnLinkState(bench.main->LocoNetComm1, false);
        QTRY_COMPARE_WITH_TIMEOUT(bench.main->ProgStatus->text(),
                                  QStringLiteral("Discovery stopped: the link was lost (the connection was lost)"), 500);
        QVERIFY(bench.form->Engine().IsIdle());
        QVERIFY(bench.form->DiscoverButton->isEnabled());

        // Neither operation reports anything more once its time-out has passed.
        QTest::qWait(1200);
        QVERIFY2(displays.notices.isEmpty(), qPrintable(displays.notices.join(QLatin1Char('\n'))));
    }

    void renumbersTheSelectedBoardAndRefusesADuplicate()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        QVERIFY(bench.Discover(displays));
        displays.notices.clear();

        bench.SelectSerial(102);
        bench.form->SerialNumberEdit->setValue(103);
        const qsizetype packets = bench.packets.size();
        bench.form->RenumberButton->click();
        QCOMPARE(displays.notices, QStringList{"Error:|New number duplicates a board on LocoNet! Choose a different value"});
        QCOMPARE(bench.packets.size(), packets);

        bench.form->SerialNumberEdit->setValue(2000);
        bench.form->ChangeBoardAddress1->trigger();
        QTRY_COMPARE(displays.notices.size(), 2);
        QCOMPARE(displays.notices.at(1), QStringLiteral("change address:|Change Address successful. Relabel board now!"));
        QCOMPARE(bench.Column(TRenumberForm::kSerialColumn),
                 (QStringList{"101", "2000", "103", "104", "105", "106", "107"}));
        // Still the same board selected, now under its new number.
        QCOMPARE(bench.form->SelectedPosition(), 1);
        QVERIFY(SimulatedLocoNet().FindBoard(102) == nullptr);
        QVERIFY(SimulatedLocoNet().FindBoard(2000) != nullptr);

        // It answers at its new number.
        bench.form->IdentifyButton->click();
        QTRY_COMPARE(displays.notices.size(), 3);
        QCOMPARE(displays.notices.at(2), QStringLiteral("Identify:|Identify successful!"));
        QCOMPARE(bench.Requests(eSvIdentify).constLast().GetSvReconfigure().destination, 2000);
    }

    void copiesNewBoardsIntoTheListsOnce()
    {
        TCollectedDisplays displays;
        std::vector<TSimBoardSpec> boards = OneBoardOfEachModel();
        TSimBoardSpec unknown;
        unknown.serial = 150;
        unknown.device = 99;
        boards.push_back(unknown);
        TNumberingBench bench(boards);
        TBoardData& lists = bench.main->BoardData;
        QSignalSpy changed(bench.main.get(), &TMainForm::BoardListsChanged);

        bench.form->CopyNewBoardsButtonClick();
        QCOMPARE(displays.notices, QStringList{"Error:|You need to discover some boards first"});
        QCOMPARE(changed.size(), 0);
        QVERIFY(bench.form->CopyResultLabel->text().isEmpty());

        // The VELA40 is configured already.
        QVERIFY(lists.AppendBoard(0));
        lists.BoardAt(0, 0)->SetSerialNumber(101);
        QVERIFY(bench.Discover(displays));
        QCOMPARE(bench.Row(7)->text(TRenumberForm::kProductColumn), QString());

        const QStringList said = {"6 boards added to the lists", "No new boards to add to the lists"};
        for (int round = 0; round < 2; ++round) {
            bench.form->CopyNewBoardsButton->click();
            QCOMPARE(bench.form->CopyResultLabel->text(), said[round]);
            for (uint8_t type = 0; type < 7; ++type) {
                QCOMPARE(lists.BoardCount(type), 1);
                QCOMPARE(lists.BoardAt(type, 0)->SerialNumber(), 101 + type);
            }
            QCOMPARE(changed.size(), 1);
        }
        QVERIFY(lists.IsModified(3));
        QVERIFY(lists.FindBySerial(150) == nullptr);
    }

    void boardsSharingASerialNumberAreMarked()
    {
        TCollectedDisplays displays;
        std::vector<TSimBoardSpec> boards = OneBoardOfEachModel();
        TSimBoardSpec twin;
        twin.type = 2;
        twin.serial = 105;
        boards.push_back(twin);
        TNumberingBench bench(boards);
        QVERIFY(bench.Discover(displays));
        QCOMPARE(bench.form->BoardList->topLevelItemCount(), 8);

        for (int row = 0; row < 8; ++row) {
            const bool clash = bench.Row(row)->text(TRenumberForm::kSerialColumn) == QStringLiteral("105");
            QCOMPARE(bench.form->SharesSerial(bench.form->BoardPosition(bench.Row(row))), clash);
            QCOMPARE(!bench.Row(row)->icon(TRenumberForm::kSerialColumn).isNull(), clash);
            QCOMPARE(bench.Row(row)->toolTip(TRenumberForm::kProductColumn).contains(QStringLiteral("unsafe")), clash);
        }
        QVERIFY(!bench.form->DuplicateLabel->isHidden());
        QVERIFY(bench.form->DuplicateLabel->text().contains(QStringLiteral("105")));

        // Renumbering one of them ends the clash.
        bench.SelectSerial(105);
        bench.form->SerialNumberEdit->setValue(300);
        displays.notices.clear();
        bench.form->RenumberButton->click();
        QTRY_COMPARE(displays.notices.size(), 1);
        QVERIFY(bench.form->DuplicateLabel->isHidden());
        for (int row = 0; row < 8; ++row)
            QVERIFY(bench.Row(row)->icon(TRenumberForm::kSerialColumn).isNull());
    }

    void sortingKeepsWhichBoardTheSelectionMeans()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        QVERIFY(bench.Discover(displays));
        displays.notices.clear();
        QHeaderView* header = bench.form->BoardList->header();

        emit header->sectionClicked(TRenumberForm::kProductColumn);
        QCOMPARE(bench.Column(TRenumberForm::kProductColumn),
                 (QStringList{"MUV7", "ORT50", "PAX60", "PAX66", "TEL90", "VELA40", "VELA80"}));
        bench.form->BoardList->setCurrentItem(bench.Row(0));
        QCOMPARE(bench.form->SelectedPosition(), 3);  // the MUV7, fourth to answer

        bench.form->SerialNumberEdit->setValue(99);
        bench.form->RenumberButton->click();
        QTRY_COMPARE(displays.notices.size(), 1);
        QCOMPARE(bench.Requests(eSvChangeAddress).constLast().GetSvAddressChange().serial, 104);
        QCOMPARE(SimulatedLocoNet().FindBoard(99)->Spec().type, 3);
        // The refilled list keeps its order and its selection.
        QCOMPARE(bench.Row(0)->text(TRenumberForm::kSerialColumn), QStringLiteral("99"));
        QCOMPARE(bench.form->SelectedPosition(), 3);

        // Serial numbers sort as numbers, both ways.
        emit header->sectionClicked(TRenumberForm::kSerialColumn);
        QCOMPARE(bench.Column(TRenumberForm::kSerialColumn),
                 (QStringList{"99", "101", "102", "103", "105", "106", "107"}));
        emit header->sectionClicked(TRenumberForm::kSerialColumn);
        QCOMPARE(bench.Column(TRenumberForm::kSerialColumn).constFirst(), QStringLiteral("107"));
        QCOMPARE(bench.Column(TRenumberForm::kSerialColumn).constLast(), QStringLiteral("99"));
    }

    void portNotOpenIsSaidAtOnce()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        bench.main->LocoNetComm1.Close();
        bench.form->DiscoverButton->click();
        QCOMPARE(displays.notices.size(), 1);
        QVERIFY(displays.notices.constFirst().startsWith(QStringLiteral("Error:|LocoNet port sim is not open")));
        QVERIFY(bench.form->Engine().IsIdle());
        QVERIFY(bench.form->DiscoverButton->isEnabled());
    }

    // A network link whose server is gone keeps trying: a discovery then would
    // hear nothing and report itself complete.
    void aReconnectingLinkIsRefused()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        TSimLbServer server(SimulatedLocoNet().Bus());
        QString error;
        QVERIFY(server.Listen(QHostAddress::LocalHost, 0, error));
        const QString port = QStringLiteral("tcp:127.0.0.1:%1").arg(server.Port());
        bench.main->LocoNetComm1.Close();
        bench.main->LocoNetComm1.SetDeviceName(port.toStdString());
        bench.main->LocoNetComm1.Open();
        QTRY_COMPARE(server.ClientCount(), 1);
        server.Stop();
        QTRY_VERIFY(!bench.main->LocoNetComm1.Connected());
        QVERIFY(bench.main->LocoNetComm1.Enabled());
        const QString text = QStringLiteral("port not connected: %1 is reconnecting").arg(port);
        bench.form->DiscoverButton->click();
        QCOMPARE(displays.notices, QStringList{QStringLiteral("Error:|") + text});
        QCOMPARE(bench.main->ProgStatus->text(), text);
        QVERIFY(bench.form->Engine().IsIdle());
        QVERIFY(bench.form->DiscoverButton->isEnabled());
        bench.main->LocoNetComm1.Close();
    }

    // A notice used to run a nested event loop inside the receive dispatch:
    // what arrived meanwhile stayed in the link's queue, and with the queue
    // never empty again the link raised no further receive event.
    void dispatchGoesOnAfterANoticeThatHeldItUp()
    {
        TCollectedDisplays displays;
        TNumberingBench bench(OneBoardOfEachModel());
        QVERIFY(bench.Discover(displays));

        // The board stays silent; the test puts its reply on the wire itself,
        // with a sensor report behind it in the same read.
        TSimBoard board(SimulatedLocoNet().Boards().front()->Spec());
        SimulatedLocoNet().Boards().clear();
        const QByteArray sensor = Bytes({0xB2, 0x00, 0x50, 0x1D});
        // A notice that holds up its caller the way a modal box does, while
        // another message arrives.
        SetNoticeDisplay([&](QWidget*, const QString& caption, const QString& text) {
            displays.notices << caption + QLatin1Char('|') + text;
            SimulatedLocoNet().Bus().Send(sensor);
            QTest::qWait(100);
        });

        TLNSVProgMessage identify;
        identify.MakeSvIdentify(0, 101);
        const std::vector<TLocoNetMessage> reply = board.Answer(identify);
        QCOMPARE(reply.size(), size_t(1));

        bench.SelectSerial(101);
        const uint32_t start = bench.main->MessageCount;
        bench.form->IdentifyButton->click();
        // Our own request comes back first.
        QTRY_COMPARE(bench.main->MessageCount, start + 1);
        const uint32_t before = start + 1;
        SimulatedLocoNet().Bus().Send(WireOf(reply.front()) + sensor);
        QTRY_COMPARE(displays.notices.constLast(), QStringLiteral("Identify:|Identify successful!"));
        // The reply, the sensor report behind it and the one sent during the notice.
        QTRY_COMPARE(bench.main->MessageCount, before + 3);
        QCOMPARE(bench.main->MsgNum->text(), QString::number(before + 3));
        SimulatedLocoNet().Bus().Send(sensor);
        QTRY_COMPARE(bench.main->MessageCount, before + 4);
    }

    // The program's own notice box opens without a nested event loop.
    void noticeReturnsWithoutWaitingForItsBox()
    {
        QWidget parent;
        parent.show();
        bool loopRan = false;
        QTimer::singleShot(0, &parent, [&] {
            loopRan = true;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w))
                    box->accept();
            }
        });
        ShowNotice(&parent, QStringLiteral("Identify:"), QStringLiteral("Identify successful!"));
        QVERIFY(!loopRan);
        auto* box = parent.findChild<QMessageBox*>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("Identify successful!"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Identify:"));
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QTRY_VERIFY(loopRan);
        QTRY_VERIFY(parent.findChild<QMessageBox*>() == nullptr);
    }
};

QTEST_MAIN(TRenumberTest)
#include "widget_renumber.moc"
