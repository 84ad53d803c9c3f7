// Sharing the window's link on the network from the File menu, and the
// status strip while a network link reconnects.
#include "Widgettestsupport.h"

#include "app/shell/Linksharing.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"
#include "sim/Simlbserver.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

class TLinkSharingTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

private slots:
    void init() { settings_.Clear(); }

    void sharesTheOpenLinkFromTheFileMenu()
    {
        TBusRecorder bus;
        TCollectedDisplays displays;
        TMainOptions options;
        options.Simulate = true;
        TMainForm main(options);
        main.FormActivate();
        QVERIFY(main.LocoNetComm1.Enabled());
        TLinkSharing& sharing = *main.LinkSharing;

        // The item follows Connect... in the File menu.
        QMenu* file = main.menuBar()->findChild<QMenu*>();
        QVERIFY(file);
        const QList<QAction*> items = file->actions();
        QCOMPARE(items.indexOf(sharing.Action()), items.indexOf(main.Connect1) + 1);
        QCOMPARE(sharing.Action()->text(), QStringLiteral("Share Link on &Network..."));
        QVERIFY(sharing.StatusLabel()->isHidden());

        // The dialog proposes loopback and refuses what it cannot read.
        sharing.Action()->trigger();
        QVERIFY(sharing.Dialog());
        QCOMPARE(sharing.Dialog()->AddressEdit->text(), QStringLiteral("localhost:1234"));
        sharing.Dialog()->AddressEdit->setText(QStringLiteral("somewhere"));
        sharing.Dialog()->accept();
        QVERIFY(sharing.Dialog() && sharing.Dialog()->isVisible());
        QVERIFY(!sharing.Dialog()->Problem->isHidden());
        const quint16 port = FreePort();
        sharing.Dialog()->AddressEdit->setText(QString::number(port));
        sharing.Dialog()->accept();
        QVERIFY(!sharing.Dialog());
        QVERIFY(sharing.Sharing());
        QCOMPARE(sharing.Action()->text(), QStringLiteral("Stop Sharing Link on &Network"));
        QCOMPARE(sharing.StatusLabel()->text(), QStringLiteral("Shared on port %1: 0 clients").arg(port));
        QVERIFY(!sharing.StatusLabel()->isHidden());

        // A client hears the bus and puts its messages on it.
        QTcpSocket client;
        QByteArray in;
        connect(&client, &QTcpSocket::readyRead, [&] { in += client.readAll(); });
        client.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(sharing.StatusLabel()->text(), QStringLiteral("Shared on port %1: 1 client").arg(port));
        QTRY_VERIFY(in.startsWith("VERSION "));
        bus.Inject(Bytes({0x83, 0x7C}));
        QTRY_VERIFY(in.contains("RECEIVE 83 7C\r\n"));
        client.write("SEND B2 05 50 18\r\n");
        QTRY_VERIFY(in.contains("SENT OK\r\n"));
        QTRY_VERIFY(bus.HexPackets().contains(QStringLiteral("B2 05 50 18")));

        // The item again stops sharing.
        sharing.Action()->trigger();
        QVERIFY(!sharing.Sharing());
        QVERIFY(!sharing.Dialog());
        QVERIFY(sharing.StatusLabel()->isHidden());
        QCOMPARE(sharing.Action()->text(), QStringLiteral("Share Link on &Network..."));
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);

        // The address is remembered; a port taken by another program is an error, not a crash.
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        sharing.Action()->trigger();
        QCOMPARE(sharing.Dialog()->AddressEdit->text(), QString::number(port));
        sharing.Dialog()->AddressEdit->setText(QStringLiteral("localhost:%1").arg(other.serverPort()));
        sharing.Dialog()->accept();
        QVERIFY(!sharing.Sharing());
        QCOMPARE(displays.errors.size(), 1);
        QVERIFY2(displays.errors[0].startsWith(QStringLiteral("Cannot share the link on localhost:")),
                 qPrintable(displays.errors[0]));
        main.close();
    }

    void statusStripFollowsAReconnectingNetworkLink()
    {
        TSimSettings quiet;
        TSimLocoNet net(quiet);
        TSimLbServer server(net.Bus());
        QString error;
        QVERIFY(server.Listen(QHostAddress::LocalHost, 0, error));
        const quint16 port = server.Port();
        {
            auto store = OpenSettingsStore();
            store->setValue(QStringLiteral("Connection/ComPort"), QStringLiteral("tcp:127.0.0.1:%1").arg(port));
            store->setValue(QStringLiteral("Connection/Baud"), 2);
            store->setValue(QStringLiteral("Connection/Interface"), 1);
        }
        TCollectedDisplays displays;
        TMainForm main;
        main.FormActivate();
        QVERIFY(main.LocoNetComm1.Enabled());
        QTRY_COMPARE(server.ClientCount(), 1);
        QVERIFY(main.LinkProblem->isHidden());

        server.Stop();
        QTRY_VERIFY(!main.LinkProblem->isHidden());
        QVERIFY2(main.LinkProblem->text().endsWith(QStringLiteral("; reconnecting...")), qPrintable(main.LinkProblem->text()));
        QVERIFY(main.LinkProblem->text().startsWith(QStringLiteral("tcp:127.0.0.1:%1: connection to").arg(port)));
        QVERIFY(main.LocoNetComm1.Enabled());

        QVERIFY(server.Listen(QHostAddress::LocalHost, port, error));
        QTRY_VERIFY_WITH_TIMEOUT(main.LinkProblem->isHidden(), 10000);
        QVERIFY(main.LocoNetComm1.Connected());
        QCOMPARE(server.ClientCount(), 1);
        QVERIFY(displays.errors.isEmpty());
        main.close();
    }
};

QTEST_MAIN(TLinkSharingTest)
#include "widget_linksharing.moc"
