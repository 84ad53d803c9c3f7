// The main window: start-up with and without a stored connection, the
// receive dispatch, the bus commands and saving at exit, on the simulated LocoNet.
#include "Widgettestsupport.h"

#include "app/monitor/Formspeedometer.h"
#include "app/monitor/Lndisplay.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"
#include "link/Tsvprogmsg.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>

class TMainWindowTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

    static void StoreConnection(const QString& port, int baud, int iface)
    {
        auto store = OpenSettingsStore();
        store->beginGroup(QStringLiteral("Connection"));
        store->setValue(QStringLiteral("ComPort"), port);
        store->setValue(QStringLiteral("Baud"), baud);
        store->setValue(QStringLiteral("Interface"), iface);
        store->endGroup();
    }

    static void StartUp(TMainForm& main)
    {
        main.show();
        QTRY_VERIFY(main.StartupDone());
    }

private slots:
    void init() { settings_.Clear(); }

    void startsWithCaptionMenusAndStatusTexts()
    {
        TBusRecorder bus;
        TMainForm main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel LocoNet Analyser"));
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("Not Connected"));
        QCOMPARE(main.InterfaceStatus->text(), QStringLiteral("InterfaceStatus"));
        QCOMPARE(main.Label2->text(), QStringLiteral("No. Messages received: "));
        QCOMPARE(main.MsgNum->text(), QStringLiteral("0"));
        QCOMPARE(main.ProgStatus->text(), QStringLiteral("ProgStatus"));
        QVERIFY(!main.ProgStatus->isEnabled());

        QStringList menus;
        for (QAction* a : main.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Configure", "&Display layout", "&LocoNet Debug", "&Help"}));
        QStringList debug;
        for (QAction* a : main.menuBar()->actions().at(3)->menu()->actions())
            debug << a->text();
        QCOMPARE(debug, (QStringList{"&Message Display", "&Generate", "Track Power &On", "Track Power O&ff",
                                     "&Query LocoBuffer"}));
        QStringList generate;
        for (QAction* a : main.menuBar()->actions().at(3)->menu()->actions().at(1)->menu()->actions())
            generate << a->text();
        QCOMPARE(generate, (QStringList{"SWR&Q", "&Arbitrary Message", "&Sensor Feedback Message"}));
        QCOMPARE(main.About1->text(), QStringLiteral("&About...."));
        // The board numbering window is not there yet.
        QVERIFY(main.ConfigureBoards1->isEnabled());
        QVERIFY(!main.RenumberBoards1->isEnabled());

        StartUp(main);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }

    void firstStartShowsNotInitialisedAndWritesDefaultsAtExit()
    {
        TBusRecorder bus;
        {
            TMainForm main;
            StartUp(main);
            QCOMPARE(main.StatusConnect->text(), QStringLiteral("Not Initialised"));
            QCOMPARE(main.InterfaceStatus->text(), QStringLiteral("InterfaceStatus"));
            QVERIFY(!main.LocoNetComm1.Enabled());
            QTest::qWait(50);
            QVERIFY(bus.packets.isEmpty());
            main.close();
        }
        auto store = OpenSettingsStore();
        QCOMPARE(store->value("Connection/ComPort").toString(), QStringLiteral("Com1"));
        QCOMPARE(store->value("Connection/Baud").toInt(), 0);
        QCOMPARE(store->value("Connection/Interface").toInt(), 0);
        QVERIFY(store->childGroups().contains(QStringLiteral("SpeedometerForm")));
    }

    void storedConnectionSetsStatusPerInterface_data()
    {
        QTest::addColumn<int>("iface");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("interfaceStatus");
        QTest::addColumn<bool>("queried");
        QTest::newRow("MS100") << 0 << "sim: MS100" << "" << false;
        QTest::newRow("LocoBuffer") << 1 << "sim: LocoBuffer" << "Not detected yet" << true;
        QTest::newRow("PR3") << 2 << "sim: PR3" << "" << false;
        QTest::newRow("unknown 3 reads as LocoBuffer, no query") << 3 << "sim: LocoBuffer" << "Not detected yet" << false;
    }

    void storedConnectionSetsStatusPerInterface()
    {
        QFETCH(int, iface);
        QFETCH(QString, status);
        QFETCH(QString, interfaceStatus);
        QFETCH(bool, queried);
        StoreConnection(QStringLiteral("sim"), 2, iface);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        QVERIFY(main.LocoNetComm1.Enabled());
        QCOMPARE(main.StatusConnect->text(), status);
        QCOMPARE(main.InterfaceStatus->text(), interfaceStatus);
        QCOMPARE(int(main.LocoNetComm1.BaudRate()), 2);
        if (queried) {
            QTRY_VERIFY(bus.HexPackets().contains(QStringLiteral("81 7E")));
            // The emulated LocoBuffer answers; its version line becomes the interface status.
            QTRY_VERIFY(main.InterfaceStatus->text().startsWith(QStringLiteral("LocoBuffer V")));
            QVERIFY(main.InterfaceStatus->text().contains(QStringLiteral(", Bad Frames = ")));
        } else {
            QTest::qWait(50);
            QVERIFY(bus.packets.isEmpty());
            QCOMPARE(main.InterfaceStatus->text(), interfaceStatus);
        }
        QVERIFY(main.LinkProblem->text().isEmpty());
    }

    void portThatCannotOpenSaysWhyInTheStatusStrip()
    {
        const QString device = QStringLiteral("/dev/varnscope-no-such-port");
        StoreConnection(device, 0, 1);
        TCollectedDisplays displays;
        TMainForm main;
        main.FormActivate();
        QVERIFY(!main.LocoNetComm1.Enabled());
        QCOMPARE(main.StatusConnect->text(), device + QStringLiteral(": LocoBuffer"));
        QCOMPARE(main.InterfaceStatus->text(), QStringLiteral("Not detected yet"));
        QVERIFY(!main.LinkProblem->isHidden());
        QVERIFY2(main.LinkProblem->text().startsWith(QStringLiteral("Cannot open ") + device + QStringLiteral(": ")),
                 qPrintable(main.LinkProblem->text()));
        QVERIFY(main.LinkProblem->text().size() > QStringLiteral("Cannot open : ").size() + device.size());
        QVERIFY(displays.errors.isEmpty());
    }

    void nofilesWordInAnyCase_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("noFiles");
        QTest::newRow("lower") << QStringList{"nofiles"} << true;
        QTest::newRow("mixed") << QStringList{"other", "NoFiLeS"} << true;
        QTest::newRow("upper") << QStringList{"NOFILES"} << true;
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("near misses") << QStringList{"nofile", "--nofiles", "nofiles.csv"} << false;
    }

    void nofilesWordInAnyCase()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, noFiles);
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainOptions options;
        options.Arguments = arguments;
        TMainForm main(options);
        main.FormActivate();
        QCOMPARE(main.NoFiles, noFiles);
        // The connection is restored either way.
        QVERIFY(main.LocoNetComm1.Enabled());
    }

    void tenMessagesInOneEventRaiseTheCountByTen()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        QList<uint32_t> events;
        auto forward = main.LocoNetComm1.OnRxMsg;
        main.LocoNetComm1.OnRxMsg = [&](TLnThreadComm& link, uint32_t count) {
            events << count;
            forward(link, count);
        };
        QByteArray burst;
        for (int i = 0; i < 10; ++i)
            burst += Bytes({0xB2, 0x00, 0x50, 0x1D});
        bus.Inject(burst);
        QTRY_COMPARE(main.MessageCount, 10u);
        QCOMPARE(events, QList<uint32_t>{10});
        QCOMPARE(main.MsgNum->text(), QStringLiteral("10"));
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(main.MsgNum->text(), QStringLiteral("11"));
    }

    void busCommandsSendTheirBytes()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        main.TrackPowerOn1->trigger();
        main.TrackPowerOff1->trigger();
        main.QueryLocoBuffer1->trigger();
        QTRY_COMPARE(bus.HexPackets().mid(0, 3), (QStringList{"83 7C", "82 7D", "81 7E"}));
        // Our own messages come back and are counted like any other.
        QTRY_VERIFY(main.MessageCount >= 3);
    }

    void sensorReportsReachTheSpeedometerOnlyWhileShown()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        TSpeedometerForm* speedo = main.SpeedometerForm();
        speedo->StopSensEdit->setValue(2);
        QVERIFY(speedo->isHidden());
        bus.Inject(Bytes({0xB2, 0x00, 0x50, 0x1D}));
        QTRY_COMPARE(main.MessageCount, 1u);
        QVERIFY(!speedo->Meter().Measuring());

        main.Speedometer1->trigger();
        QCOMPARE(speedo->ResultEdit->text(), QStringLiteral("(Idle)"));
        bus.Inject(Bytes({0xB2, 0x00, 0x50, 0x1D}));
        QTRY_COMPARE(main.MessageCount, 2u);
        QVERIFY(speedo->Meter().Measuring());
        QCOMPARE(speedo->ResultEdit->text(), QStringLiteral("Measuring..."));
        speedo->hide();
    }

    void svMessagesReachTheBoardWindowsWhileOpenAndShownInOrder()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        QWidget programWindow;
        QWidget renumberWindow;
        programWindow.show();
        renumberWindow.show();
        QStringList deliveries;
        main.ProgramBoardForm = &programWindow;
        main.ProgramBoardReceiver = [&](const TLNSVProgMessage& m) {
            deliveries << QStringLiteral("program %1").arg(m.SvKind());
        };
        main.RenumberForm = &renumberWindow;
        main.RenumberReceiver = [&](const TLNSVProgMessage& m) {
            deliveries << QStringLiteral("renumber %1").arg(m.SvKind());
        };
        TLNSVProgMessage discover;
        discover.MakeSvDiscover(0);
        const QByteArray wire(reinterpret_cast<const char*>(discover.Data()), int(discover.Length()));
        const int kind = discover.SvKind();

        // Neither flag set: nobody gets it.
        bus.Inject(wire);
        QTRY_COMPARE(main.MessageCount, 1u);
        QVERIFY(deliveries.isEmpty());

        main.ProgramBoardOpen = true;
        main.RenumberOpen = true;
        bus.Inject(wire);
        QTRY_COMPARE(main.MessageCount, 2u);
        QCOMPARE(deliveries, (QStringList{QStringLiteral("program %1").arg(kind), QStringLiteral("renumber %1").arg(kind)}));

        // A hidden window is not fed; other kinds never reach them.
        deliveries.clear();
        programWindow.hide();
        bus.Inject(wire + Bytes({0xB2, 0x00, 0x50, 0x1D}));
        QTRY_COMPARE(main.MessageCount, 4u);
        QCOMPARE(deliveries, QStringList{QStringLiteral("renumber %1").arg(kind)});
    }

    void messagesReachTheNewestDisplayUntilItCloses()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        StartUp(main);
        main.MessageDisplay1->trigger();
        QPointer<TDisplayForm> first = main.DisplayForm();
        QVERIFY(main.DisplayOpen);
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(first->DisplayedCount(), 1u);

        main.MessageDisplay1->trigger();
        QPointer<TDisplayForm> second = main.DisplayForm();
        QVERIFY(second != first);
        // Closing the older display leaves the newest one fed.
        first->parentWidget()->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(main.DisplayOpen);
        bus.Inject(Bytes({0x82, 0x7D}));
        QTRY_COMPARE(second->DisplayedCount(), 1u);

        second->parentWidget()->close();
        QTRY_VERIFY(second.isNull());
        QVERIFY(!main.DisplayOpen);
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(main.MessageCount, 3u);
    }

    void closingWritesTheConnectionAndSpeedometerSettings()
    {
        StoreConnection(QStringLiteral("sim"), 1, 2);
        TBusRecorder bus;
        {
            TMainForm main;
            main.FormActivate();
            main.SpeedometerForm()->ScaleCombo->setCurrentIndex(5);
            main.SpeedometerForm()->LengthEdit->setText(QStringLiteral("2.5"));
            main.SpeedometerForm()->StopBoardEdit->setValue(7);
            main.close();
        }
        auto store = OpenSettingsStore();
        QCOMPARE(store->value("Connection/ComPort").toString(), QStringLiteral("sim"));
        QCOMPARE(store->value("Connection/Baud").toInt(), 1);
        QCOMPARE(store->value("Connection/Interface").toInt(), 2);
        QCOMPARE(store->value("SpeedometerForm/SpeedoScale").toInt(), 5);
        QCOMPARE(store->value("SpeedometerForm/SpeedLength").toString(), QStringLiteral("2.5"));
        QCOMPARE(store->value("SpeedometerForm/Sens2Board").toInt(), 7);

        // The next start restores them.
        TMainForm again;
        again.FormActivate();
        QCOMPARE(again.SpeedometerForm()->ScaleCombo->currentIndex(), 5);
        QCOMPARE(again.SpeedometerForm()->StopBoardEdit->value(), 7);
        QCOMPARE(again.StatusConnect->text(), QStringLiteral("sim: PR3"));
    }

    void simulateRunsOnTheSimulatedBusAndLeavesTheStoredConnectionAlone()
    {
        StoreConnection(QStringLiteral("/dev/ttyUSB7"), 2, 1);
        TBusRecorder bus;
        {
            TMainOptions options;
            options.Simulate = true;
            TMainForm main(options);
            main.FormActivate();
            QVERIFY(main.LocoNetComm1.Enabled());
            QCOMPARE(QString::fromStdString(main.LocoNetComm1.DeviceName()), QStringLiteral("sim"));
            QCOMPARE(main.StatusConnect->text(), QStringLiteral("sim: LocoBuffer"));
            QTRY_VERIFY(main.InterfaceStatus->text().startsWith(QStringLiteral("LocoBuffer V")));
            // The simulated train runs from 1,1 to 1,2.
            QCOMPARE(main.SpeedometerForm()->StopSensEdit->value(), 2);
            main.close();
        }
        auto store = OpenSettingsStore();
        QCOMPARE(store->value("Connection/ComPort").toString(), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(store->value("Connection/Baud").toInt(), 2);
        QCOMPARE(store->value("Connection/Interface").toInt(), 1);
    }

    void storedSpeedometerSettingsAreRestoredAtStartUp()
    {
        {
            auto store = OpenSettingsStore();
            store->beginGroup(QStringLiteral("SpeedometerForm"));
            store->setValue(QStringLiteral("SpeedoScale"), 2);
            store->setValue(QStringLiteral("SpeedoUnits"), 1);
            store->setValue(QStringLiteral("SpeedLength"), QStringLiteral("0.75"));
            store->setValue(QStringLiteral("Sens1Board"), 3);
            store->endGroup();
        }
        TMainForm main;
        main.FormActivate();
        TSpeedometerForm* s = main.SpeedometerForm();
        QCOMPARE(s->ScaleCombo->currentIndex(), 2);
        QCOMPARE(s->OutputUnitsCombo->currentIndex(), 1);
        QCOMPARE(s->LengthEdit->text(), QStringLiteral("0.75"));
        QCOMPARE(s->StartBoardEdit->value(), 3);
        QCOMPARE(s->StartSensEdit->value(), 1);
        // Missing values take their defaults: the stop sensor's input is 2.
        QCOMPARE(s->StopBoardEdit->value(), 1);
        QCOMPARE(s->StopSensEdit->value(), 2);
        QCOMPARE(s->Meter().Params().Length, 0.75);
    }
};

QTEST_MAIN(TMainWindowTest)
#include "widget_mainwindow.moc"
