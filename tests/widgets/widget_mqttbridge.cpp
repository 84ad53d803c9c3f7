// Bridging the window's link to MQTT from the File menu: the settings dialog
// (keys, tab order, OK without a change), the bridge running against a real
// broker with its state in the status strip, and the settings kept without
// the password.
#include "Widgettestsupport.h"

#include "app/shell/Linksharing.h"
#include "app/shell/Main.h"
#include "app/shell/Mqttbridging.h"
#include "link/Lncomm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

TMqttSettings SomeSettings()
{
    TMqttSettings s;
    s.host = QStringLiteral("broker.lan");
    s.port = 1884;
    s.prefix = QStringLiteral("club/ln");
    s.style = EMqttStyle::Both;
    s.write = true;
    s.clientId = QStringLiteral("hall-pc");
    s.user = QStringLiteral("signalman");
    s.passwordFile = QStringLiteral("/home/signalman/.mqtt-password");
    s.tlsCa = QStringLiteral("/etc/ssl/club-ca.pem");
    return s;
}

bool Same(const TMqttSettings& a, const TMqttSettings& b)
{
    return a.host == b.host && a.port == b.port && a.prefix == b.prefix && a.style == b.style &&
           a.write == b.write && a.clientId == b.clientId && a.user == b.user && a.passwordFile == b.passwordFile &&
           a.tlsCa == b.tlsCa;
}

}  // namespace

class TMqttBridgeTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

private slots:
    void init() { settings_.Clear(); }

    void dialogKeysTabOrderAndOkWithoutAChange()
    {
        const TMqttSettings given = SomeSettings();
        {
            TMqttBridgeDialog dialog(given);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::keyClick(dialog.BrokerEdit, Qt::Key_Return);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(Same(dialog.Settings(), given));
            // Fits a 1280 x 800 screen.
            QVERIFY(dialog.width() <= 1280 && dialog.height() <= 800);
        }
        {
            TMqttBridgeDialog dialog(given);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            dialog.PrefixEdit->setText(QStringLiteral("changed"));
            QTest::keyClick(dialog.PrefixEdit, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            // Tab goes down the form, each file field before its Browse button.
            const QList<QWidget*> expected = {dialog.BrokerEdit,   dialog.PrefixEdit,       dialog.StyleCombo,
                                              dialog.WriteCheck,   dialog.ClientIdEdit,     dialog.UserEdit,
                                              dialog.PasswordFileEdit, dialog.PasswordFileButton, dialog.TlsCaEdit,
                                              dialog.TlsCaButton};
            QWidget* w = dialog.BrokerEdit;
            for (qsizetype i = 1; i < expected.size(); ++i) {
                w = w->nextInFocusChain();
                while (w->focusPolicy() == Qt::NoFocus)
                    w = w->nextInFocusChain();
                QCOMPARE(w, expected[i]);
            }
        }
        // What cannot work is said in the dialog, which stays open.
        struct TCase {
            QString broker, prefix, user, passwordFile;
        } const refused[] = {
            {QStringLiteral("broker.lan:99999"), QStringLiteral("loconet"), {}, {}},
            {QStringLiteral(""), QStringLiteral("loconet"), {}, {}},
            {QStringLiteral("broker.lan"), QStringLiteral("loconet/#"), {}, {}},
            {QStringLiteral("broker.lan"), QStringLiteral("loconet"), {}, QStringLiteral("/tmp/pw")},
        };
        for (const TCase& c : refused) {
            TMqttBridgeDialog dialog(given);
            dialog.show();
            dialog.BrokerEdit->setText(c.broker);
            dialog.PrefixEdit->setText(c.prefix);
            dialog.UserEdit->setText(c.user);
            dialog.PasswordFileEdit->setText(c.passwordFile);
            Press(&dialog, QDialogButtonBox::Ok);
            QVERIFY2(dialog.isVisible(), qPrintable(c.broker + " " + c.prefix));
            QVERIFY(!dialog.Problem->isHidden());
        }
    }

    void bridgesTheWindowLinkToABroker()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/usr/bin"});
        const QString sub = QStandardPaths::findExecutable(QStringLiteral("mosquitto_sub"));
        if (!TMqttBridging::Available() || program.isEmpty() || sub.isEmpty())
            QSKIP("no MQTT bridge or no mosquitto broker here");
        QTemporaryDir dir;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QFile config(dir.filePath(QStringLiteral("m.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n%2")
                         .arg(port)
                         .arg(geteuid() == 0 ? QStringLiteral("user root\n") : QString())
                         .toUtf8());
        config.close();
        QProcess broker;
        broker.start(program, {QStringLiteral("-c"), config.fileName()});
        QVERIFY(broker.waitForStarted());
        QTRY_VERIFY([port] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            return s.waitForConnected(100);
        }());

        TBusRecorder bus;
        TCollectedDisplays displays;
        TMainOptions options;
        options.Simulate = true;
        TMainForm main(options);
        main.FormActivate();
        TMqttBridging& bridging = *main.MqttBridging;
        QMenu* file = main.menuBar()->findChild<QMenu*>();
        const QList<QAction*> items = file->actions();
        QCOMPARE(items.indexOf(bridging.Action()), items.indexOf(main.LinkSharing->Action()) + 1);
        QCOMPARE(bridging.Action()->text(), QStringLiteral("&Bridge to MQTT..."));
        QVERIFY(bridging.StatusLabel()->isHidden());

        bridging.Action()->trigger();
        QVERIFY(bridging.Dialog());
        QVERIFY(!bridging.Dialog()->WriteCheck->isChecked());  // writing is off unless asked
        bridging.Dialog()->BrokerEdit->setText(QStringLiteral("127.0.0.1:%1").arg(port));
        bridging.Dialog()->StyleCombo->setCurrentIndex(2);
        bridging.Dialog()->UserEdit->setText(QStringLiteral("signalman"));
        const QString passwordFile = dir.filePath(QStringLiteral("pw"));
        bridging.Dialog()->PasswordFileEdit->setText(passwordFile);
        {
            QFile pw(passwordFile);
            QVERIFY(pw.open(QIODevice::WriteOnly));
            pw.write("Semaphore-42\n");
        }
        bridging.Dialog()->accept();
        QVERIFY(bridging.Running());
        QCOMPARE(bridging.Action()->text(), QStringLiteral("Stop &Bridge to MQTT"));
        QTRY_COMPARE(bridging.StatusLabel()->text(), QStringLiteral("MQTT: connected"));

        QProcess device;
        device.start(sub, {"-h", "127.0.0.1", "-p", QString::number(port), "-t", "loconet/sensor/3/5", "-v", "-C", "1"});
        QVERIFY(device.waitForStarted());
        QTest::qWait(300);  // subscribed
        bus.Inject(Bytes({0xB2, 0x12, 0x50, 0x0F}));
        // The bridge works in this thread's event loop: wait in it.
        QTRY_COMPARE(device.state(), QProcess::NotRunning);
        QCOMPARE(device.readAllStandardOutput().trimmed(), QByteArray("loconet/sensor/3/5 on"));

        // The broker goes away: the strip says so and counts what is lost.
        broker.terminate();
        QVERIFY(broker.waitForFinished(5000));
        QTRY_VERIFY(bridging.StatusLabel()->text().startsWith(QStringLiteral("MQTT: reconnecting")));
        bus.Inject(Bytes({0xB2, 0x12, 0x40, 0x1F}));
        // (The simulated train may add its own reports to the count.)
        QTRY_VERIFY(bridging.StatusLabel()->text().contains(QStringLiteral(" dropped")));

        bridging.Action()->trigger();
        QVERIFY(!bridging.Running());
        QVERIFY(bridging.StatusLabel()->isHidden());

        // Kept for next time: the settings and the password file's path, never the password.
        bridging.Action()->trigger();
        QVERIFY(bridging.Dialog());
        QCOMPARE(bridging.Dialog()->BrokerEdit->text(), QStringLiteral("127.0.0.1:%1").arg(port));
        QCOMPARE(bridging.Dialog()->PasswordFileEdit->text(), passwordFile);
        QCOMPARE(bridging.Dialog()->StyleCombo->currentIndex(), 2);
        bridging.Dialog()->reject();
        auto store = OpenSettingsStore();
        for (const QString& key : store->allKeys())
            QVERIFY2(!store->value(key).toString().contains(QStringLiteral("Semaphore")), qPrintable(key));
        QVERIFY(displays.errors.isEmpty());
        main.close();
    }
};

QTEST_MAIN(TMqttBridgeTest)
#include "widget_mqttbridge.moc"
