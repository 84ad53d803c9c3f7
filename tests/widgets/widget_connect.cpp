// The connection window: the interface rule, the port list, showing the
// link's settings, and reconnecting.
#include "Widgettestsupport.h"

#include "app/shell/Formconnect.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QAbstractItemView>
#include <QTreeView>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// A port that only says what was done to it. A name starting "bad" cannot
// be opened; one starting "fussy" refuses every line setting.
class TLoggingPort : public TLnPort {
public:
    TLoggingPort(QStringList& log, TLnFlowControl* flow) : log_(log), flow_(flow) {}
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
    void SetFlowControl(TLnFlowControl flow) override
    {
        if (flow_)
            *flow_ = flow;
    }
    int SetLineSettings(int baud) override
    {
        log_ << QStringLiteral("baud %1").arg(baud);
        return name_.startsWith(QStringLiteral("fussy")) ? 7 : 0;
    }
    TLnLineResult SetDtr(bool, int&) override { return TLnLineResult::Unsupported; }
    int Read(uint8_t*, int) override { return 0; }
    int Write(const uint8_t*, int count) override { return count; }
    TLnPortStatus ClearError() override { return {}; }
    void PurgeInput() override {}
    void PurgeOutput() override {}

private:
    QStringList& log_;
    TLnFlowControl* flow_;
    QString name_;
    bool open_ = false;
};

}  // namespace

class TConnectTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    QStringList log_;
    TLnFlowControl portFlow_ = TLnFlowControl::Hardware;  // what the port was last given

    TLnPortFactory LoggingPorts()
    {
        return [this](const std::string&) { return std::make_unique<TLoggingPort>(log_, &portFlow_); };
    }

    static TConnectForm* OpenConnectForm(TMainForm& main)
    {
        main.Connect1->trigger();
        return qobject_cast<TConnectForm*>(main.Workspace()->subWindowList().constLast()->widget());
    }

private slots:
    void init()
    {
        log_.clear();
        settings_.Clear();
        portFlow_ = TLnFlowControl::Hardware;
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
        // The simulated LocoNet is a kind of link of its own, not a port name.
        QVERIFY(!TConnectForm::AvailablePortNames().contains(QStringLiteral("sim")));
        QVERIFY(form.ComCombo->isEditable());
    }

    void portListShowsEachPortsDescriptionAndTheFieldKeepsItsName()
    {
        TLocoNetComm link(LoggingPorts());
        TConnectForm form(link);
        form.show();
        form.FillPortList(QList<TConnectForm::TPortEntry>{
            {QStringLiteral("COM3"), QStringLiteral("Communications Port")},
            {QStringLiteral("COM7"), QStringLiteral("USB Serial Port (LocoBuffer-USB)")},
            {QStringLiteral("COM9"), QString()}});
        QCOMPARE(form.ComCombo->count(), 3);
        const QAbstractItemModel* model = form.ComCombo->model();
        const QStringList descriptions = {QStringLiteral("Communications Port"),
                                          QStringLiteral("USB Serial Port (LocoBuffer-USB)"), QString()};
        for (int row = 0; row < 3; ++row)
            QCOMPARE(model->index(row, 1).data().toString(), descriptions[row]);
        // The open list shows both columns, wide enough for the longest description.
        const auto* list = qobject_cast<const QTreeView*>(form.ComCombo->view());
        QVERIFY(list != nullptr);
        QVERIFY(!list->isColumnHidden(1));
        QVERIFY(list->minimumWidth() >= list->fontMetrics().horizontalAdvance(descriptions[1]));
        // Choosing a port puts its name alone in the field: that is what the
        // link opens and what the settings keep.
        form.ComCombo->setCurrentIndex(1);
        QCOMPARE(form.ComCombo->currentText(), QStringLiteral("COM7"));
        QCOMPARE(form.DeviceName(), QStringLiteral("COM7"));
        // Listing the ports again keeps the one typed when it is still there.
        form.FillPortList(QList<TConnectForm::TPortEntry>{{QStringLiteral("COM7"), QStringLiteral("USB Serial Port")},
                                                          {QStringLiteral("COM8"), QString()}});
        QCOMPARE(form.DeviceName(), QStringLiteral("COM7"));
        QCOMPARE(form.ComCombo->model()->index(0, 1).data().toString(), QStringLiteral("USB Serial Port"));
        QCOMPARE(form.ComCombo->count(), 2);
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
        QCOMPARE(form.KindBox->currentIndex(), int(TConnectForm::kNetwork));
        QCOMPARE(form.HostEdit->text(), QStringLiteral("localhost"));
        QCOMPARE(form.TcpPortEdit->value(), 1234);
        QCOMPARE(form.DeviceName(), QStringLiteral("tcp:localhost:1234"));
        QCOMPARE(form.BaudRateBox->currentIndex(), 1);
        QCOMPARE(form.SelectedInterface(), 1);
        QVERIFY(form.BaudRateBox->isEnabled());
    }

    // Each kind of link by name, with its own fields; the device name stored
    // as ComPort is the one it always was, and typed names still work.
    void kindsOfLinkMapToTheStoredDeviceName_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("serial") << "/dev/ttyUSB0" << int(TConnectForm::kSerial) << "" << 0;
        QTest::newRow("windows serial") << "COM3" << int(TConnectForm::kSerial) << "" << 0;
        QTest::newRow("simulated") << "sim" << int(TConnectForm::kSimulated) << "" << 0;
        QTest::newRow("network") << "tcp:layout-pi:1234" << int(TConnectForm::kNetwork) << "layout-pi" << 1234;
        QTest::newRow("network, IPv6") << "tcp:[::1]:5550" << int(TConnectForm::kNetwork) << "[::1]" << 5550;
    }

    void kindsOfLinkMapToTheStoredDeviceName()
    {
        QFETCH(QString, stored);
        QFETCH(int, kind);
        QFETCH(QString, host);
        QFETCH(int, port);
        TCollectedDisplays displays;
        TLocoNetComm link(LoggingPorts());
        TConnectForm form(link);
        form.show();
        QCOMPARE(form.KindBox->count(), 3);
        form.ShowDeviceName(stored);
        QCOMPARE(form.KindBox->currentIndex(), kind);
        QCOMPARE(form.ComCombo->isVisible(), kind == TConnectForm::kSerial);
        QCOMPARE(form.HostEdit->isVisible(), kind == TConnectForm::kNetwork);
        if (kind == TConnectForm::kNetwork) {
            QCOMPARE(form.HostEdit->text(), host);
            QCOMPARE(form.TcpPortEdit->value(), port);
        }
        QCOMPARE(form.DeviceName(), stored);
        form.ConnectButton->click();
        QCOMPARE(QString::fromStdString(link.DeviceName()), stored);
    }

    void connectClosesTheOldPortThenOpensTheNewOne()
    {
        TCollectedDisplays displays;
        TLocoNetComm link(LoggingPorts());
        link.SetDeviceName("portA");
        link.Open();
        TConnectForm form(link);
        QList<bool> reopened;
        connect(&form, &TConnectForm::LinkReopened, this, [&](bool opened, const QString&) { reopened << opened; });
        form.ComCombo->setEditText(QStringLiteral("portB"));
        form.InterfaceButtons->button(2)->click();
        log_.clear();
        form.ConnectButton->click();
        QCOMPARE(log_.mid(0, 3), (QStringList{"close portA", "open portB", "baud 57600"}));
        QCOMPARE(QString::fromStdString(link.DeviceName()), QStringLiteral("portB"));
        QCOMPARE(link.BaudRate(), br57600);
        QCOMPARE(link.LocoNetInterface(), ePR3);
        QVERIFY(link.Enabled());
        QCOMPARE(reopened, QList<bool>{true});
        // The link is open now: no word of a next run.
        QCOMPARE(form.ResultLabel->text(), QStringLiteral("Connected to portB (PR3)"));
        QVERIFY(displays.notices.isEmpty());
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
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("bad-port: LocoBuffer"));
        QCOMPARE(main.LinkProblem->text(), QStringLiteral("Cannot open bad-port: refused by the test"));
        QCOMPARE(form->ResultLabel->text(), QStringLiteral("Not connected: cannot open bad-port: refused by the test"));

        form->ComCombo->setEditText(QStringLiteral("sim"));
        form->InterfaceButtons->button(2)->click();
        form->ConnectButton->click();
        QVERIFY(main.LocoNetComm1.Enabled());
        QVERIFY(main.LinkProblem->text().isEmpty());
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("sim: PR3"));
        QCOMPARE(form->ResultLabel->text(), QStringLiteral("Connected to sim (PR3)"));
        QVERIFY(displays.notices.isEmpty());
    }

    void flowControlIsChosenForLocoBufferAndPr3Only()
    {
        TCollectedDisplays displays;
        TLocoNetComm link(LoggingPorts());
        TConnectForm form(link);
        QCOMPARE(form.FlowControlBox->count(), 2);
        QCOMPARE(form.FlowControlBox->itemText(0), QStringLiteral("hardware"));
        QCOMPARE(form.FlowControlBox->itemText(1), QStringLiteral("none"));
        // MS100 at first: it never runs with the handshake.
        QCOMPARE(form.FlowControlBox->currentText(), QStringLiteral("none"));
        QVERIFY(!form.FlowControlBox->isEnabled());

        form.InterfaceButtons->button(1)->click();
        QVERIFY(form.FlowControlBox->isEnabled());
        QCOMPARE(form.FlowControlBox->currentText(), QStringLiteral("hardware"));  // the default
        QTest::keyClick(form.FlowControlBox, Qt::Key_Down);
        QCOMPARE(form.FlowControlBox->currentText(), QStringLiteral("none"));
        form.InterfaceButtons->button(0)->click();
        form.InterfaceButtons->button(2)->click();  // the choice comes back after the MS100
        QCOMPARE(form.FlowControlBox->currentText(), QStringLiteral("none"));
        form.ComCombo->setEditText(QStringLiteral("portA"));
        form.ConnectButton->click();
        QVERIFY(link.Enabled());
        QCOMPARE(link.FlowControl(), TLnFlowControl::None);
        QCOMPARE(portFlow_, TLnFlowControl::None);

        QTest::keyClick(form.FlowControlBox, Qt::Key_Up);
        form.ConnectButton->click();
        QCOMPARE(link.FlowControl(), TLnFlowControl::Hardware);
        QCOMPARE(portFlow_, TLnFlowControl::Hardware);

        // Chosen hardware, connected as MS100: the port runs without.
        form.InterfaceButtons->button(0)->click();
        form.ConnectButton->click();
        QCOMPARE(link.FlowControl(), TLnFlowControl::Hardware);
        QCOMPARE(portFlow_, TLnFlowControl::None);
        QVERIFY(displays.errors.isEmpty());
    }

    void flowControlIsStoredInTheConnectionSection_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("none");
        QTest::addColumn<QString>("written");
        QTest::newRow("missing: hardware") << QVariant() << false << "hardware";
        QTest::newRow("none") << QVariant(QStringLiteral("none")) << true << "none";
        QTest::newRow("hardware") << QVariant(QStringLiteral("hardware")) << false << "hardware";
        QTest::newRow("unknown: hardware") << QVariant(QStringLiteral("xon")) << false << "hardware";
    }

    void flowControlIsStoredInTheConnectionSection()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, none);
        QFETCH(QString, written);
        {
            auto store = OpenSettingsStore();
            store->setValue(QStringLiteral("Connection/ComPort"), QStringLiteral("portA"));
            store->setValue(QStringLiteral("Connection/Baud"), 2);
            store->setValue(QStringLiteral("Connection/Interface"), 1);
            if (stored.isValid())
                store->setValue(QStringLiteral("Connection/FlowControl"), stored);
        }
        TCollectedDisplays displays;
        {
            TMainOptions options;
            options.PortFactory = LoggingPorts();
            TMainForm main(options);
            main.FormActivate();
            QVERIFY(main.LocoNetComm1.Enabled());
            const TLnFlowControl expected = none ? TLnFlowControl::None : TLnFlowControl::Hardware;
            QCOMPARE(main.LocoNetComm1.FlowControl(), expected);
            QCOMPARE(portFlow_, expected);
            main.show();
            TConnectForm* form = OpenConnectForm(main);
            QVERIFY(form != nullptr);
            QCOMPARE(form->FlowControlBox->currentText(), written);
            main.close();
        }
        QCOMPARE(OpenSettingsStore()->value(QStringLiteral("Connection/FlowControl")).toString(), written);
    }

    void anErrorWhileReconnectingEndsTheConnect()
    {
        TCollectedDisplays displays;
        TMainOptions options;
        options.PortFactory = LoggingPorts();
        TMainForm main(options);
        main.FormActivate();
        TConnectForm* form = OpenConnectForm(main);
        QVERIFY(form != nullptr);
        form->ComCombo->setEditText(QStringLiteral("fussy-port"));
        form->InterfaceButtons->button(1)->click();
        form->ConnectButton->click();
        QCOMPARE(displays.errors, QStringList{"Error updating DataControlBlock (Error: 7)"});
        QVERIFY2(displays.notices.isEmpty(), qPrintable(displays.notices.join(';')));
        QCOMPARE(main.StatusConnect->text(), QStringLiteral("fussy-port: LocoBuffer"));
        QVERIFY(form->ResultLabel->text().startsWith(QStringLiteral("Not connected: ")));
        QVERIFY(!main.LocoNetComm1.Enabled());
        QVERIFY(!main.LinkProblem->isHidden());
        QVERIFY2(main.LinkProblem->text().contains(QStringLiteral("Error updating DataControlBlock")),
                 qPrintable(main.LinkProblem->text()));
    }

    void aReceiveLogThatCannotBeOpenedIsShownInTheStatusStrip()
    {
        TCollectedDisplays displays;
        TMainOptions options;
        options.PortFactory = LoggingPorts();
        TMainForm main(options);
        main.FormActivate();
        main.LocoNetComm1.SetLogToFile(true);
        main.LocoNetComm1.SetLogFileName("/nonexistent/dir/log.txt");
        TConnectForm* form = OpenConnectForm(main);
        QVERIFY(form != nullptr);
        form->ComCombo->setEditText(QStringLiteral("good-port"));
        form->ConnectButton->click();
        QVERIFY(main.LocoNetComm1.Enabled());
        QVERIFY(!main.LinkProblem->isHidden());
        QVERIFY2(main.LinkProblem->text().contains(QStringLiteral("/nonexistent/dir/log.txt")),
                 qPrintable(main.LinkProblem->text()));

        QTemporaryDir dir;
        main.LocoNetComm1.SetLogFileName(dir.filePath(QStringLiteral("rx.log")).toStdString());
        form->ConnectButton->click();
        QVERIFY(main.LocoNetComm1.Enabled());
        QVERIFY(main.LinkProblem->text().isEmpty());
        QVERIFY(main.LinkProblem->isHidden());
    }

    void errorBoxIsCaptionedWithTheApplicationTitle()
    {
        SetErrorDisplay({});
        QString caption;
        QString text;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        closer.start(20);
        QWidget parent;
        ShowErrorText(&parent, QStringLiteral("Port not open (Error: -1)"));
        TNoBlockingBoxes::InstallErrors();
        QCOMPARE(caption, QStringLiteral("Quorvel LocoNet Board Programmer"));
        QCOMPARE(text, QStringLiteral("Port not open (Error: -1)"));
    }

    void settingsStoreKeyOnWindows()
    {
        // Qt's own Windows location would add "Software\" and miss an existing installation's settings.
        QCOMPARE(NativeSettingsPath(true), QStringLiteral("HKEY_CURRENT_USER\\tavelin works\\varnscope"));
        QVERIFY(NativeSettingsPath(false).isEmpty());
    }
};

QTEST_MAIN(TConnectTest)
#include "widget_connect.moc"
