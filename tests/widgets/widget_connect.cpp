// The connection window: the interface rule, the port list, showing the
// link's settings, and reconnecting.
#include "Widgettestsupport.h"

#include "app/shell/Formconnect.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {

// A port that only says what was done to it.
class TLoggingPort : public TLnPort {
public:
    explicit TLoggingPort(QStringList& log) : log_(log) {}
    bool Open(const std::string& name, std::string& reason) override
    {
        if (name.rfind("bad", 0) == 0) {
            reason = "refused by the test";
            log_ << QStringLiteral("fail ") + QString::fromStdString(name);
            return false;
        }
        name_ = QString::fromStdString(name);
        open_ = true;
        log_ << QStringLiteral("open ") + name_;
        return true;
    }
    void Close() override
    {
        if (open_)
            log_ << QStringLiteral("close ") + name_;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    int SetLineSettings(int baud) override
    {
        log_ << QStringLiteral("baud %1").arg(baud);
        return 0;
    }
    TLnLineResult SetDtr(bool, int&) override { return TLnLineResult::Unsupported; }
    int Read(uint8_t*, int) override { return 0; }
    int Write(const uint8_t*, int count) override { return count; }
    TLnPortStatus ClearError() override { return {}; }
    void PurgeInput() override {}
    void PurgeOutput() override {}

private:
    QStringList& log_;
    QString name_;
    bool open_ = false;
};

}  // namespace

class TConnectTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    QStringList log_;

    TLnPortFactory LoggingPorts()
    {
        return [this](const std::string&) { return std::make_unique<TLoggingPort>(log_); };
    }

private slots:
    void init()
    {
        log_.clear();
        settings_.Clear();
    }

    void interfaceRuleFixesTheSpeedForMs100AndPr3()
    {
        TLocoNetComm link(LoggingPorts());
        TConnectForm form(link);
        QCOMPARE(form.windowTitle(), QStringLiteral("LocoNet Connection"));
        // MS100 is chosen at first.
        QCOMPARE(form.SelectedInterface(), 0);
        QCOMPARE(form.BaudRateBox->currentText(), QStringLiteral("16457"));
        QVERIFY(!form.BaudRateBox->isEnabled());

        form.InterfaceButtons->button(1)->click();
        QVERIFY(form.BaudRateBox->isEnabled());
        QCOMPARE(form.BaudRateBox->currentText(), QStringLiteral("16457"));
        form.BaudRateBox->setCurrentIndex(1);

        form.InterfaceButtons->button(2)->click();
        QCOMPARE(form.BaudRateBox->currentText(), QStringLiteral("57600"));
        QVERIFY(!form.BaudRateBox->isEnabled());

        form.InterfaceButtons->button(1)->click();
        QVERIFY(form.BaudRateBox->isEnabled());
        QCOMPARE(form.BaudRateBox->currentText(), QStringLiteral("57600"));
        // The speed list is not editable: one of its three entries is always chosen.
        QVERIFY(!form.BaudRateBox->isEditable());
        QCOMPARE(form.BaudRateBox->count(), 3);
    }

    void portListHoldsExactlyTheSystemsNames()
    {
        TLocoNetComm link(LoggingPorts());
        TConnectForm form(link);
        QCOMPARE(form.ComCombo->count(), 4);
        QCOMPARE(form.ComCombo->currentText(), QStringLiteral("Com1"));
        form.FillPortList({QStringLiteral("COM3"), QStringLiteral("COM7")});
        QCOMPARE(form.ComCombo->count(), 2);
        QCOMPARE(form.ComCombo->itemText(0), QStringLiteral("COM3"));
        QCOMPARE(form.ComCombo->itemText(1), QStringLiteral("COM7"));
        // The system's list always ends with the simulated LocoNet.
        QCOMPARE(TConnectForm::AvailablePortNames().constLast(), QStringLiteral("sim"));
        QVERIFY(form.ComCombo->isEditable());
    }

    void showingWhileConnectedShowsTheLinksSettings()
    {
        TLocoNetComm link(LoggingPorts());
        link.SetDeviceName("tcp:localhost:1234");
        link.SetBaudRate(br19200);
        link.SetLocoNetInterface(eLocoBuffer);
        link.Open();
        QVERIFY(link.Enabled());
        TConnectForm form(link);
        form.show();
        QCOMPARE(form.ComCombo->currentText(), QStringLiteral("tcp:localhost:1234"));
        QCOMPARE(form.BaudRateBox->currentIndex(), 1);
        QCOMPARE(form.SelectedInterface(), 1);
        QVERIFY(form.BaudRateBox->isEnabled());
    }

    void connectClosesTheOldPortThenOpensTheNewOne()
    {
        TCollectedDisplays displays;
        TLocoNetComm link(LoggingPorts());
        link.SetDeviceName("portA");
        link.Open();
        TConnectForm form(link);
        QStringList statuses;
        connect(&form, &TConnectForm::ConnectStatus, this, [&](const QString& s) { statuses << s; });
        form.ComCombo->setEditText(QStringLiteral("portB"));
        form.InterfaceButtons->button(2)->click();
        log_.clear();
        form.ConnectButton->click();
        QCOMPARE(log_.mid(0, 3), (QStringList{"close portA", "open portB", "baud 57600"}));
        QCOMPARE(QString::fromStdString(link.DeviceName()), QStringLiteral("portB"));
        QCOMPARE(link.BaudRate(), br57600);
        QCOMPARE(link.LocoNetInterface(), ePR3);
        QVERIFY(link.Enabled());
        QCOMPARE(statuses, QStringList{"Will connect to PR3"});
        QCOMPARE(displays.notices, QStringList{"Connect:|Effect will take place when application is next run"});
        QVERIFY(displays.errors.isEmpty());
    }

    void mainWindowShowsWhyAReconnectFailedAndClearsItOnSuccess()
    {
        TCollectedDisplays displays;
        TMainOptions options;
        options.PortFactory = LoggingPorts();
        TMainForm main(options);
        main.FormActivate();
        main.Connect1->trigger();
        auto* form = qobject_cast<TConnectForm*>(main.Workspace()->subWindowList().constLast()->widget());
        QVERIFY(form != nullptr);
        form->ComCombo->setEditText(QStringLiteral("bad-port"));
        form->InterfaceButtons->button(1)->click();
        form->ConnectButton->click();
        QVERIFY(!main.LocoNetComm1.Enabled());
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("Will connect to LocoBuffer"));
        QCOMPARE(main.LinkProblem->text(), QStringLiteral("Cannot open bad-port: refused by the test"));

        form->ComCombo->setEditText(QStringLiteral("good-port"));
        form->ConnectButton->click();
        QVERIFY(main.LocoNetComm1.Enabled());
        QVERIFY(main.LinkProblem->text().isEmpty());
        QCOMPARE(displays.notices.size(), 2);
    }
};

QTEST_MAIN(TConnectTest)
#include "widget_connect.moc"
