// The main window: start-up with and without a stored connection, the
// receive dispatch, the bus commands and saving at exit, on the simulated LocoNet.
#include "Widgettestsupport.h"

#include "app/monitor/Formarbitrarymessage.h"
#include "app/monitor/Formspeedometer.h"
#include "app/monitor/Generatesensfbform.h"
#include "app/monitor/Swreqform.h"
#include "app/shell/Formconnect.h"
#include "app/monitor/Lndisplay.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"
#include "link/Tsvprogmsg.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
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

    static QMdiSubWindow* NewestFrame(TMainForm& main)
    {
        return main.Workspace()->subWindowList(QMdiArea::CreationOrder).constLast();
    }

    static QStringList OpenForms(TMainForm& main)
    {
        QStringList names;
        for (QMdiSubWindow* frame : main.Workspace()->subWindowList(QMdiArea::CreationOrder))
            names << frame->widget()->objectName();
        return names;
    }

private slots:
    void init() { settings_.Clear(); }

    void startsWithCaptionMenusAndStatusTexts()
    {
        TBusRecorder bus;
        TMainForm main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel LocoNet Analyser"));
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("Not Connected"));
        // No field names show through before there is anything to say.
        QVERIFY(main.InterfaceStatus->text().isEmpty());
        QCOMPARE(main.Label2->text(), QStringLiteral("No. Messages received: "));
        QCOMPARE(main.MsgNum->text(), QStringLiteral("0"));
        QVERIFY(main.ProgStatus->text().isEmpty());
        QVERIFY(!main.ProgStatus->isEnabled());

        QStringList menus;
        for (QAction* a : main.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Configure", "&Display layout", "&LocoNet Debug", "&Help"}));
        QStringList debug;
        for (QAction* a : main.menuBar()->actions().at(3)->menu()->actions())
            debug << a->text();
#ifdef VARNSCOPE_HAVE_CHARTS
        const QString statistics = QStringLiteral("Bus &Statistics");
#else
        const QString statistics = QStringLiteral("Bus &Statistics (not in this build)");
#endif
        QCOMPARE(debug, (QStringList{"&Message Display", "&Generate", "Track Power &On", "Track Power O&ff",
                                     "&Query LocoBuffer", statistics, "", "&Record to File...", "S&top Recording",
                                     "Re&play Recording on Simulated LocoNet..."
#ifdef VARNSCOPE_HAVE_CHARTS
                                     , "Bus Statistics of a Re&cording..."
#endif
                                     }));
        QStringList generate;
        for (QAction* a : main.menuBar()->actions().at(3)->menu()->actions().at(1)->menu()->actions())
            generate << a->text();
        QCOMPARE(generate, (QStringList{"SWR&Q", "&Arbitrary Message", "&Sensor Feedback Message"}));
        QCOMPARE(main.About1->text(), QStringLiteral("&About...."));
        QVERIFY(main.ConfigureBoards1->isEnabled());
        QVERIFY(main.RenumberBoards1->isEnabled());

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
            QVERIFY(main.InterfaceStatus->text().isEmpty());
            QVERIFY(main.ProgStatus->text().isEmpty());
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

    // During a stream of messages (a board transfer) the count stays exact
    // while its label is set a few times a second; once the bus is quiet the
    // label shows the total.
    void theCountLabelFollowsAStreamAFewTimesASecond()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        main.FormActivate();
        QStringList shown;
        QElapsedTimer clock;
        clock.start();
        constexpr uint32_t kMessages = 60;
        for (uint32_t i = 0; i < kMessages; ++i) {
            bus.Inject(Bytes({0xB2, 0x00, 0x50, 0x1D}));
            QTest::qWait(10);
            if (shown.isEmpty() || shown.constLast() != main.MsgNum->text())
                shown << main.MsgNum->text();
        }
        const qint64 elapsed = clock.elapsed();
        QTRY_COMPARE(main.MessageCount, kMessages);
        QVERIFY2(shown.size() <= elapsed / 80 + 2,
                 qPrintable(QStringLiteral("%1 labels in %2 ms").arg(shown.size()).arg(elapsed)));
        QTRY_COMPARE_WITH_TIMEOUT(main.MsgNum->text(), QString::number(kMessages), 300);
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
        TLNSVProgMessage discover;
        discover.MakeSvDiscover(0);
        const QByteArray wire(reinterpret_cast<const char*>(discover.Data()), int(discover.Length()));
        const int kind = discover.SvKind();

        // Neither window registered: nobody gets it.
        bus.Inject(wire);
        QTRY_COMPARE(main.MessageCount, 1u);
        QVERIFY(deliveries.isEmpty());

        main.Workbench().Subscribe<TLNSVProgMessage>(&programWindow, Kinds({eOPCSVACCESS2}), [&](const TLNSVProgMessage& m) {
            deliveries << QStringLiteral("program %1").arg(m.SvKind());
        });
        main.Workbench().Subscribe<TLNSVProgMessage>(&renumberWindow, Kinds({eOPCSVACCESS2}), [&](const TLNSVProgMessage& m) {
            deliveries << QStringLiteral("renumber %1").arg(m.SvKind());
        });
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

    void everyOpenDisplayReceivesUntilTheLastCloses()
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
        bus.Inject(Bytes({0x82, 0x7D}));
        QTRY_COMPARE(second->DisplayedCount(), 1u);
        QCOMPARE(first->DisplayedCount(), 2u);

        // Closing the newer one leaves the older fed, and the other way round.
        second->parentWidget()->close();
        QTRY_VERIFY(second.isNull());
        QVERIFY(main.DisplayOpen);
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(first->DisplayedCount(), 3u);

        main.MessageDisplay1->trigger();
        QPointer<TDisplayForm> third = main.DisplayForm();
        first->parentWidget()->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(main.DisplayOpen);
        bus.Inject(Bytes({0x82, 0x7D}));
        QTRY_COMPARE(third->DisplayedCount(), 1u);

        third->parentWidget()->close();
        QTRY_VERIFY(third.isNull());
        QVERIFY(!main.DisplayOpen);
        QCOMPARE(main.DisplayForm(), static_cast<TDisplayForm*>(nullptr));
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(main.MessageCount, 5u);
    }

    void aMinimisedDisplayKeepsReceiving()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TMainForm main;
        StartUp(main);
        main.MessageDisplay1->trigger();
        TDisplayForm* display = main.DisplayForm();
        QMdiSubWindow* frame = NewestFrame(main);
        frame->showMinimized();
        QTRY_VERIFY(frame->isMinimized());
        for (int i = 0; i < 3; ++i)
            bus.Inject(Bytes({0xB2, 0x00, 0x50, 0x1D}));
        QTRY_COMPARE(main.MessageCount, 3u);
        QCOMPARE(display->DisplayedCount(), 3u);
        frame->showNormal();
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_COMPARE(display->DisplayedCount(), 4u);
    }

    void statusStripElidesLongTextsAndGivesEachFieldRoom()
    {
        const QString device = QStringLiteral("/dev/serial/by-id/usb-RR-CirKits_LocoBuffer-USB_rather-long-name-if00");
        StoreConnection(device, 0, 1);
        TCollectedDisplays displays;
        TMainForm main;
        StartUp(main);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QString version = QStringLiteral("LocoBuffer V1.1.1.1, Bad Frames = 0, Overruns = 0, Breaks = 0, "
                                               "Dropped = 0, Checksum errors = 0");
        main.InterfaceStatus->setText(version);
        main.MsgNum->setText(QStringLiteral("4294967295"));
        QCoreApplication::processEvents();
        QTRY_VERIFY(main.LinkProblem->isVisible());

        // Every field can be read in full, elided or not.
        QCOMPARE(main.LinkProblem->toolTip(), main.LinkProblem->text());
        QVERIFY(main.LinkProblem->text().contains(device));
        QCOMPARE(main.InterfaceStatus->toolTip(), version);
        QCOMPARE(main.StatusConnect->toolTip(), device + QStringLiteral(": LocoBuffer"));
        // Side by side, none running into the next, each with room to show something.
        const QList<QWidget*> fields{main.StatusConnect, main.InterfaceStatus, main.Label2,  main.MsgNum,
                                     main.ProgStatus,    main.LinkProblem};
        for (int i = 0; i < fields.size(); ++i) {
            QWidget* f = fields.at(i);
            QVERIFY2(f->width() >= 60, qPrintable(f->objectName()));
            QVERIFY2(f->geometry().right() <= main.statusBar()->width(), qPrintable(f->objectName()));
            if (i > 0)
                QVERIFY2(fields.at(i - 1)->geometry().right() < f->geometry().left(), qPrintable(f->objectName()));
        }
        QVERIFY(main.MsgNum->width() >= main.MsgNum->fontMetrics().horizontalAdvance(main.MsgNum->text()));
    }

    void switchingToAPortThatFailsClearsTheInterfaceState()
    {
        StoreConnection(QStringLiteral("sim"), 2, 1);
        TBusRecorder bus;
        TCollectedDisplays displays;
        TMainForm main;
        StartUp(main);
        QTRY_VERIFY(main.InterfaceStatus->text().startsWith(QStringLiteral("LocoBuffer V")));
        main.Connect1->trigger();
        auto* form = qobject_cast<TConnectForm*>(NewestFrame(main)->widget());
        QVERIFY(form != nullptr);
        // The window shows the simulated LocoNet it is on; a serial port is another kind.
        QCOMPARE(form->KindBox->currentIndex(), int(TConnectForm::kSimulated));
        form->ShowDeviceName(QStringLiteral("/dev/varnscope-no-such-port"));
        QCOMPARE(form->KindBox->currentIndex(), int(TConnectForm::kSerial));
        form->ConnectButton->click();
        QVERIFY(!main.LocoNetComm1.Enabled());
        QCOMPARE(main.InterfaceStatus->text(), QStringLiteral("Not detected yet"));
        QVERIFY(main.LinkProblem->text().startsWith(QStringLiteral("Cannot open /dev/varnscope-no-such-port")));

        // Back on a port that works, a LocoBuffer is asked again and answers.
        form->KindBox->setCurrentIndex(TConnectForm::kSimulated);
        form->ConnectButton->click();
        QVERIFY(main.LocoNetComm1.Enabled());
        QTRY_VERIFY(main.InterfaceStatus->text().startsWith(QStringLiteral("LocoBuffer V")));
        QVERIFY(main.LinkProblem->isHidden());
    }

    void anEmptyPortNameSaysNoPortWasChosen()
    {
        StoreConnection(QString(), 0, 0);
        TCollectedDisplays displays;
        TMainForm main;
        main.FormActivate();
        QVERIFY(!main.LocoNetComm1.Enabled());
        QCOMPARE(main.LinkProblem->text(), QStringLiteral("No port chosen: choose one with File, Connect..."));
        QVERIFY(displays.errors.isEmpty());
    }

    void commandsWithNoLinkSayNotConnected_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("what");
        QTest::newRow("track power on") << "TrackPowerOn1" << "Track Power On";
        QTest::newRow("track power off") << "TrackPowerOff1" << "Track Power Off";
        QTest::newRow("query LocoBuffer") << "QueryLocoBuffer1" << "Query LocoBuffer";
        QTest::newRow("switch request") << "SWRQ1" << "Switch request";
        QTest::newRow("sensor report") << "SensorFeedbackMessage1" << "Sensor report";
        QTest::newRow("arbitrary message") << "ArbitraryMessage1" << "Message";
    }

    void commandsWithNoLinkSayNotConnected()
    {
        QFETCH(QString, command);
        QFETCH(QString, what);
        for (const QString& port : {QString(), QStringLiteral("/dev/varnscope-no-such-port")}) {
            // First without any stored connection, then with a port that does not open.
            settings_.Clear();
            if (!port.isEmpty())
                StoreConnection(port, 0, 0);
            TBusRecorder bus;
            TCollectedDisplays displays;
            TMainForm main;
            main.FormActivate();
            QVERIFY(!main.LocoNetComm1.Enabled());
            main.findChild<QAction*>(command)->trigger();
            if (!main.Workspace()->subWindowList().isEmpty()) {
                QWidget* generator = NewestFrame(main)->widget();
                if (auto* swreq = qobject_cast<TSwitchControlForm*>(generator))
                    swreq->SwCloseBtn->click();
                else if (auto* sensor = qobject_cast<TGenSensFBForm*>(generator))
                    sensor->SwOccupiedBtn->click();
                else if (auto* arbitrary = qobject_cast<TArbitraryMessageForm*>(generator)) {
                    arbitrary->ArbText->setText(QStringLiteral("83 7C"));
                    arbitrary->Button1->click();
                }
            }
            QVERIFY(!main.LinkProblem->isHidden());
            QVERIFY2(main.LinkProblem->text().startsWith(what + QStringLiteral(" not sent: not connected")),
                     qPrintable(main.LinkProblem->text()));
            // Why the port did not open is still there to read.
            QCOMPARE(main.LinkProblem->text().contains(QStringLiteral("Cannot open ") + port), !port.isEmpty());
            QTest::qWait(30);
            QVERIFY(bus.packets.isEmpty());
            QVERIFY(displays.errors.isEmpty());
        }
    }

    void windowLayoutComesBackAsItWasLeft()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        QRect swreqPlace;
        QPoint speedometerPlace;
        {
            TMainForm main;
            StartUp(main);
            main.MessageDisplay1->trigger();
            main.SWRQ1->trigger();
            NewestFrame(main)->move(30, 40);
            swreqPlace = NewestFrame(main)->geometry();
            main.Connect1->trigger();  // not a monitor window: not kept
            main.Speedometer1->trigger();
            main.SpeedometerForm()->move(120, 90);
            speedometerPlace = main.SpeedometerForm()->pos();
            main.showMaximized();
            QTRY_VERIFY(main.isMaximized());
            main.close();
        }
        {
            TMainForm main;
            StartUp(main);
            QTRY_VERIFY(main.isMaximized());
            QCOMPARE(OpenForms(main), (QStringList{"DisplayForm", "SwitchControlForm"}));
            QCOMPARE(NewestFrame(main)->geometry(), swreqPlace);
            QVERIFY(main.SpeedometerForm()->isVisible());
            QCOMPARE(main.SpeedometerForm()->pos(), speedometerPlace);
            // The display reopened is fed like one opened from the menu.
            QVERIFY(main.DisplayOpen);
            bus.Inject(Bytes({0x83, 0x7C}));
            QTRY_COMPARE(main.DisplayForm()->DisplayedCount(), 1u);
            // Left normal-sized with nothing open, it comes back so.
            main.showNormal();
            QTRY_VERIFY(!main.isMaximized());
            main.setGeometry(60, 50, 900, 640);
            for (QMdiSubWindow* frame : main.Workspace()->subWindowList())
                frame->close();
            main.SpeedometerForm()->hide();
            main.close();
        }
        TMainForm main;
        StartUp(main);
        QVERIFY(!main.isMaximized());
        QCOMPARE(main.geometry(), QRect(60, 50, 900, 640));
        QVERIFY(main.Workspace()->subWindowList().isEmpty());
        QVERIFY(!main.SpeedometerForm()->isVisible());
        QVERIFY(!main.DisplayOpen);
    }

    void messageDisplaysAreNumberedAndKeepTheirOptionsAcrossRuns()
    {
        StoreConnection(QStringLiteral("sim"), 0, 0);
        TBusRecorder bus;
        TKindSet sensors;
        sensors.set(eOPCSENS);
        {
            TMainForm main;
            StartUp(main);
            main.MessageDisplay1->trigger();
            main.MessageDisplay1->trigger();
            main.MessageDisplay1->trigger();
            QList<TDisplayForm*> displays = main.DisplayForms();
            QCOMPARE(displays.size(), 3);
            QCOMPARE(displays[0]->windowTitle(), QStringLiteral("LocoNet Message display"));
            QCOMPARE(displays[1]->windowTitle(), QStringLiteral("LocoNet Message display 2"));
            QCOMPARE(displays[2]->windowTitle(), QStringLiteral("LocoNet Message display 3"));
            // A number freed is given again; no two captions are alike.
            displays[1]->BitBtn1->click();
            QTRY_COMPARE(main.DisplayForms().size(), 2);
            main.MessageDisplay1->trigger();
            QCOMPARE(main.DisplayForm()->windowTitle(), QStringLiteral("LocoNet Message display 2"));

            displays = main.DisplayForms();
            displays[0]->TimesButton->setChecked(true);
            displays[1]->SetHiddenKinds(sensors);
            main.close();
        }
        TMainForm main;
        StartUp(main);
        const QList<TDisplayForm*> displays = main.DisplayForms();
        QCOMPARE(displays.size(), 3);
        QVERIFY(displays[0]->TimesButton->isChecked());
        QVERIFY(displays[0]->Model()->ShowTimes());
        QVERIFY(displays[0]->Model()->HiddenKinds().none());
        QVERIFY(!displays[1]->TimesButton->isChecked());
        QCOMPARE(displays[1]->Model()->HiddenKinds(), sensors);
        QCOMPARE(displays[1]->FilterButton->text(), QStringLiteral("Filter (on)..."));
        QVERIFY(displays[2]->Model()->HiddenKinds().none());
        QStringList titles;
        for (const TDisplayForm* display : displays)
            titles << display->windowTitle();
        titles.removeDuplicates();
        QCOMPARE(titles.size(), 3);
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
