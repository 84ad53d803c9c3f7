// The message generators: the exact bytes each puts on the simulated LocoNet.
#include "Widgettestsupport.h"

#include "app/monitor/Formarbitrarymessage.h"
#include "app/monitor/Generatesensfbform.h"
#include "app/monitor/Swreqform.h"
#include "link/Lncomm.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

class TGeneratorsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TBusRecorder> bus_;
    std::unique_ptr<TLocoNetComm> link_;

    TMessageSender Sender()
    {
        return [this](std::unique_ptr<TLocoNetMessage> m) { link_->WriteMessage(std::move(m)); };
    }

    // Waits until the bus has carried count packets, then a little longer to
    // catch any that should not be there.
    QStringList Sent(int count)
    {
        (void)QTest::qWaitFor([&] { return bus_->packets.size() >= count; }, 2000);
        QTest::qWait(30);
        return bus_->HexPackets();
    }

private slots:
    void init()
    {
        bus_ = std::make_unique<TBusRecorder>(false);
        link_ = std::make_unique<TLocoNetComm>([](const std::string& name) { return MakeLinkPort(name); });
        link_->SetDeviceName("sim");
        link_->Open();
        QVERIFY(link_->Enabled());
    }

    void cleanup()
    {
        link_.reset();
        bus_.reset();
    }

    void switchRequests_data()
    {
        QTest::addColumn<int>("point");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("point 1 closed") << 1 << true << "B0 00 30 7F";
        QTest::newRow("point 1 thrown") << 1 << false << "B0 00 10 5F";
        QTest::newRow("point 2048 thrown") << 2048 << false << "B0 7F 1F 2F";
        QTest::newRow("point 129 closed") << 129 << true << "B0 00 31 7E";
    }

    void switchRequests()
    {
        QFETCH(int, point);
        QFETCH(bool, closed);
        QFETCH(QString, bytes);
        TSwitchControlForm form(Sender());
        QCOMPARE(form.windowTitle(), QStringLiteral("Switch Control"));
        QCOMPARE(form.SwitchNumber->minimum(), 1);
        QCOMPARE(form.SwitchNumber->maximum(), 2048);
        form.SwitchNumber->setValue(point);
        (closed ? form.SwCloseBtn : form.SWThrownBtn)->click();
        QCOMPARE(Sent(1), QStringList{bytes});
    }

    void sensorReports_data()
    {
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("input");
        QTest::addColumn<bool>("occupied");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("1,1 occupied") << 1 << 1 << true << "B2 00 50 1D";
        QTest::newRow("1,2 unoccupied") << 1 << 2 << false << "B2 00 60 2D";
        QTest::newRow("256,16 occupied") << 256 << 16 << true << "B2 7F 7F 4D";
    }

    void sensorReports()
    {
        QFETCH(int, board);
        QFETCH(int, input);
        QFETCH(bool, occupied);
        QFETCH(QString, bytes);
        TGenSensFBForm form(Sender());
        QCOMPARE(form.windowTitle(), QStringLiteral("Generate Sensor Msg"));
        QCOMPARE(form.BoardNumber->maximum(), 256);
        QCOMPARE(form.SensorNumber->maximum(), 16);
        form.BoardNumber->setValue(board);
        form.SensorNumber->setValue(input);
        (occupied ? form.SwOccupiedBtn : form.SwUnoccupiedBtn)->click();
        QCOMPARE(Sent(1), QStringList{bytes});
    }

    void arbitraryMessages_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("why");  // what the window says when nothing was sent
        QTest::newRow("track power on") << "83 7C" << QStringList{"83 7C"} << "";
        // Sent as typed: the checksum is the operator's business.
        QTest::newRow("wrong checksum") << "83 7D" << QStringList{"83 7D"} << "";
        QTest::newRow("sensor report") << "B2 00 50 1D" << QStringList{"B2 00 50 1D"} << "";
        QTest::newRow("empty") << "" << QStringList{} << "Nothing sent: the text is empty";
        QTest::newRow("spaces only") << "   " << QStringList{} << "Nothing sent: the text is empty";
        QTest::newRow("single number") << "83" << QStringList{} << "Nothing sent: fewer than 2 bytes";
        QTest::newRow("comma") << "83,7C" << QStringList{} << "Nothing sent: unexpected character at column 3";
        QTest::newRow("not hexadecimal") << "zz 7C" << QStringList{} << "Nothing sent: no hexadecimal number at column 1";
        QTest::newRow("a word") << "hello" << QStringList{} << "Nothing sent: no hexadecimal number at column 1";
    }

    void arbitraryMessages()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, sent);
        QFETCH(QString, why);
        TArbitraryMessageForm form(Sender());
        QCOMPARE(form.windowTitle(), QStringLiteral("Generate Arbitrary Message"));
        QCOMPARE(form.Label1->text(), QStringLiteral("enter message in hex, including checksum"));
        auto* status = form.findChild<QLabel*>(QStringLiteral("ArbStatus"));
        QVERIFY(status != nullptr);
        form.ArbText->setText(typed);
        form.Button1->click();
        QCOMPARE(Sent(int(sent.size())), sent);
        if (why.isEmpty())
            QVERIFY2(status->text().isEmpty(), qPrintable(status->text()));
        else
            QVERIFY2(status->text().startsWith(why), qPrintable(status->text()));
        // A good message afterwards goes out and the reason goes away.
        form.ArbText->setText(QStringLiteral("83 7C"));
        form.Button1->click();
        QCOMPARE(Sent(int(sent.size()) + 1).constLast(), QStringLiteral("83 7C"));
        QVERIFY(status->text().isEmpty());
    }

    void wrongChecksumReachesTheBusButNotTheReceiveQueue()
    {
        TArbitraryMessageForm form(Sender());
        form.ArbText->setText(QStringLiteral("83 7D"));
        form.Button1->click();
        form.ArbText->setText(QStringLiteral("83 7C"));
        form.Button1->click();
        QCOMPARE(Sent(2), (QStringList{"83 7D", "83 7C"}));
        QTRY_COMPARE(link_->QueRxMsgCount(), 1u);
        QCOMPARE(QString::fromStdString(link_->ReadMessage()->HexText()), QStringLiteral("83 7C "));
    }

    // A number typed beyond a field's range is taken as the nearest bound, not
    // as its first digits ("3000" is not point 300), when the field is left.
    void numbersTypedPastTheRangeGoToTheBound()
    {
        auto type = [](QSpinBox* spin, const QString& text) {
            spin->setFocus();
            QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(spin, text);
            QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(spin, &leave);
        };
        TSwitchControlForm switches(Sender());
        switches.show();
        type(switches.SwitchNumber, QStringLiteral("3000"));
        QCOMPARE(switches.SwitchNumber->value(), 2048);
        switches.SWThrownBtn->click();
        QCOMPARE(Sent(1), QStringList{"B0 7F 1F 2F"});

        TGenSensFBForm sensors(Sender());
        sensors.show();
        type(sensors.BoardNumber, QStringLiteral("300"));
        type(sensors.SensorNumber, QStringLiteral("20"));
        QCOMPARE(sensors.BoardNumber->value(), 256);
        QCOMPARE(sensors.SensorNumber->value(), 16);
        sensors.SwOccupiedBtn->click();
        QCOMPARE(Sent(2).constLast(), QStringLiteral("B2 7F 7F 4D"));
        // Below the range: the lowest.
        type(sensors.BoardNumber, QStringLiteral("0"));
        QCOMPARE(sensors.BoardNumber->value(), 1);
    }

    void nothingIsSentWhileTheLinkIsClosed()
    {
        link_->Close();
        TSwitchControlForm form(Sender());
        form.SwCloseBtn->click();
        QCOMPARE(Sent(0), QStringList{});
    }
};

QTEST_MAIN(TGeneratorsTest)
#include "widget_generators.moc"
