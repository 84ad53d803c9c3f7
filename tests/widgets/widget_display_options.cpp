// The message display's finding aids on a store of known messages: arrival
// times shown and saved, the kind filter on old and new lines and its
// presets, find next/previous round the end, pause and resume, the bus load.
#include "Widgettestsupport.h"

#include "app/monitor/Kindfilterdialog.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "link/Lndispatch.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

class TDisplayOptionsTest : public QObject {
    Q_OBJECT

private:
    // A display on a clock the test sets.
    struct TFixture {
        TDisplayForm form;
        uint32_t now = 0;
        TFixture()
        {
            form.SetClock([this] { return now; });
        }
        void Show(const TLocoNetMessage& message, uint32_t at)
        {
            now = at;
            form.ShowMessage(*MakeDecoderMessage(message));
        }
        QStringList Lines() const
        {
            form.Model()->Flush();
            QStringList lines;
            for (int row = 0; row < form.Model()->rowCount(); ++row)
                lines << form.Model()->data(form.Model()->index(row)).toString();
            return lines;
        }
        QByteArray Saved()
        {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("lines.txt"));
            QString error;
            if (!form.SaveToFile(path, error))
                return "<failed>";
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        }
    };

    static TLocoNetMessage Sensor(int input) { return MessageOf({0xB2, input, 0x50, 0xFF ^ 0xB2 ^ input ^ 0x50}); }
    static TLocoNetMessage Gpon() { return MessageOf({0x83, 0x7C}); }
    static TLocoNetMessage Swreq() { return MessageOf({0xB0, 0x00, 0x30, 0x7F}); }
    static TLocoNetMessage SvWrite()
    {
        TLocoNetMessage m;
        for (int b : {0xE5, 0x10, 0x50, 0x01, 0x02, 0x10, 0x07, 0x00, 0x00, 0x00, 0x10, 0x05, 0, 0, 0})
            m.AppendByte(uint8_t(b));
        m.AppendChecksum();
        return m;
    }

    // sensor, GPON, switch, SV, sensor at known times.
    static void ShowKnownMix(TFixture& f)
    {
        f.Show(Sensor(0), 0);
        f.Show(Gpon(), 1250);
        f.Show(Swreq(), 61000);
        f.Show(SvWrite(), 3723456);
        f.Show(Sensor(1), 3723457);
    }

    static QString Raw(const TLocoNetMessage& m) { return QString::fromStdString(MakeDecoderMessage(m)->ToText()); }

private slots:
    void optionsStartOff()
    {
        TFixture f;
        QVERIFY(!f.form.TimesButton->isChecked());
        QVERIFY(!f.form.PauseButton->isChecked());
        QVERIFY(f.form.Model()->HiddenKinds().none());
        // Tab goes from the list through the finding aids to the buttons below.
        auto nextTab = [](QWidget* w) {
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus));
            return w;
        };
        QCOMPARE(nextTab(f.form.MsgList), static_cast<QWidget*>(f.form.TimesButton));
        QCOMPARE(nextTab(f.form.FindNextButton), static_cast<QWidget*>(f.form.Button1));
        // The added row still fits the window's opening size.
        QVERIFY2(f.form.minimumSizeHint().width() <= f.form.width(),
                 qPrintable(QString::number(f.form.minimumSizeHint().width())));
        ShowKnownMix(f);
        QCOMPARE(f.Lines(), (QStringList{Raw(Sensor(0)), Raw(Gpon()), Raw(Swreq()), Raw(SvWrite()), Raw(Sensor(1))}));
    }

    void timesAreShownForEveryLineAndSaved()
    {
        TFixture f;
        QVERIFY(SvWrite().MessageKind() == eOPCSVACCESS2);
        ShowKnownMix(f);
        f.form.TimesButton->setChecked(true);
        const QStringList lines = f.Lines();
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("0:00:00.000 ") + Raw(Sensor(0)));
        QCOMPARE(lines[1], QStringLiteral("0:00:01.250 ") + Raw(Gpon()));
        QCOMPARE(lines[2], QStringLiteral("0:01:01.000 ") + Raw(Swreq()));
        QCOMPARE(lines[3], QStringLiteral("1:02:03.456 ") + Raw(SvWrite()));
        QCOMPARE(f.Saved(), (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        // 49 days of milliseconds still read as hours.
        QCOMPARE(TMessageListModel::TimeText(0xFFFFFFFFu), QStringLiteral("1193:02:47.295"));

        f.form.TimesButton->setChecked(false);
        QCOMPARE(f.Saved(), (QStringList{Raw(Sensor(0)), Raw(Gpon()), Raw(Swreq()), Raw(SvWrite()), Raw(Sensor(1))})
                                .join(QStringLiteral("\r\n"))
                                .toUtf8()
                            + "\r\n");
    }

    void filterAppliesToKeptAndNewLines()
    {
        TFixture f;
        ShowKnownMix(f);
        TKindFilterDialog dialog(TKindSet{});
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Hide sensor reports"))
                button->click();
        }
        QVERIFY(!dialog.KindBox(eOPCSENS)->isChecked());
        QVERIFY(dialog.KindBox(eOPCGPON)->isChecked());
        f.form.SetHiddenKinds(dialog.HiddenKinds());
        QCOMPARE(f.Lines(), (QStringList{Raw(Gpon()), Raw(Swreq()), Raw(SvWrite())}));
        QCOMPARE(f.form.FilterButton->text(), QStringLiteral("Filter (on)..."));

        // New lines obey it too; the count still counts every message.
        f.Show(Sensor(2), 4000000);
        f.Show(Gpon(), 4000001);
        QCOMPARE(f.Lines(), (QStringList{Raw(Gpon()), Raw(Swreq()), Raw(SvWrite()), Raw(Gpon())}));
        // With a filter on the count says what came and what is shown of it.
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("7 received, 4 shown"));
        QCOMPARE(f.Saved(), (QStringList{Raw(Gpon()), Raw(Swreq()), Raw(SvWrite()), Raw(Gpon())})
                                .join(QStringLiteral("\r\n"))
                                .toUtf8()
                            + "\r\n");

        // Presets and single kinds.
        const QList<TKindPreset> presets = KindPresets();
        auto preset = [&presets](const QString& name) {
            for (const TKindPreset& p : presets) {
                if (p.name == name)
                    return p.hidden;
            }
            return TKindSet().set();
        };
        f.form.SetHiddenKinds(preset(QStringLiteral("Only SV programming")));
        QCOMPARE(f.Lines(), QStringList{Raw(SvWrite())});
        f.form.SetHiddenKinds(preset(QStringLiteral("Only switches and sensors")));
        QCOMPARE(f.Lines(), (QStringList{Raw(Sensor(0)), Raw(Swreq()), Raw(Sensor(1)), Raw(Sensor(2))}));
        dialog.SetHiddenKinds(TKindSet{});
        dialog.KindBox(eOPCSWREQ)->setChecked(false);
        f.form.SetHiddenKinds(dialog.HiddenKinds());
        QCOMPARE(f.Lines().size(), 6);
        QVERIFY(!f.Lines().contains(Raw(Swreq())));
        f.form.SetHiddenKinds(preset(QStringLiteral("Show all")));
        QCOMPARE(f.Lines().size(), 7);
        QCOMPARE(f.form.FilterButton->text(), QStringLiteral("Filter..."));
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("7"));
        // Everything filtered away still counts what came.
        f.form.SetHiddenKinds(TKindSet().set());
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("7 received, 0 shown"));
        f.form.ClearButtonClick();
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("0 received, 0 shown"));
    }

    // Every kind once, by a plain name with its opcode name beside it; the
    // dialog fits the screen.
    void filterAndFindSpeakPlainly()
    {
        TKindFilterDialog dialog(TKindSet{});
        QCOMPARE(dialog.findChildren<QCheckBox*>().size(), kLnMessageKindCount);
        QCOMPARE(dialog.KindBox(0)->text(), QStringLiteral("Unknown or damaged"));
        for (int kind = 1; kind < kLnMessageKindCount; ++kind) {
            QCheckBox* box = dialog.KindBox(kind);
            QVERIFY(box != nullptr);
            QString opcode = QString::fromLatin1(LnKindName(kind));
            opcode.chop(1);
            QVERIFY2(box->text().endsWith(QStringLiteral(" (") + opcode + QLatin1Char(')')), qPrintable(box->text()));
            QVERIFY2(!box->text().startsWith(opcode), qPrintable(box->text()));
        }
        QCOMPARE(dialog.KindBox(eOPCSENS)->text(), QStringLiteral("Sensor reports (OPC_SENSORREP)"));
        QVERIFY(dialog.sizeHint().width() <= 1280);
        QVERIFY(dialog.sizeHint().height() <= 760);
    }

    void findGoesRoundTheEndBothWays()
    {
        TFixture f;
        ShowKnownMix(f);
        f.Show(Gpon(), 4000000);  // rows 1 and 5 hold OPC_GPON
        f.form.FindEdit->setText(QStringLiteral("opc_gpon"));
        QVERIFY(f.form.FindNext());
        QCOMPARE(f.form.MsgList->CurrentRow(), 1);
        QVERIFY(!f.form.MsgList->Following());  // a found line stays in sight
        QVERIFY(f.form.FindNext());
        QCOMPARE(f.form.MsgList->CurrentRow(), 5);
        QVERIFY(f.form.FindNext());
        QCOMPARE(f.form.MsgList->CurrentRow(), 1);
        QVERIFY(f.form.FindPrevious());
        QCOMPARE(f.form.MsgList->CurrentRow(), 5);

        // Enter and Shift+Enter in the field.
        QTest::keyClick(f.form.FindEdit, Qt::Key_Return);
        QCOMPARE(f.form.MsgList->CurrentRow(), 1);
        QTest::keyClick(f.form.FindEdit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(f.form.MsgList->CurrentRow(), 5);

        // Only shown rows are searched; a filtered-out kind is not found.
        f.form.SetHiddenKinds(TKindSet().set(eOPCGPON));
        QVERIFY(!f.form.FindNext());
        QVERIFY(!f.form.FindEdit->styleSheet().isEmpty());  // said at the field
        f.form.SetHiddenKinds(TKindSet{});
        f.form.FindEdit->setText(QStringLiteral("no such text"));
        QVERIFY(f.form.FindEdit->styleSheet().isEmpty());
        QVERIFY(!f.form.FindPrevious());
        f.form.FindEdit->clear();
        QVERIFY(!f.form.FindNext());
    }

    void pauseHoldsTheViewWhileCounting()
    {
        TFixture f;
        f.Show(Gpon(), 0);
        f.Show(Swreq(), 1);
        f.form.PauseButton->click();
        QVERIFY(f.form.Model()->Paused());
        for (int i = 0; i < 3; ++i)
            f.Show(Sensor(i), 10 + i);
        QCOMPARE(f.Lines(), (QStringList{Raw(Gpon()), Raw(Swreq())}));
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("5"));
        QCOMPARE(f.form.PauseButton->text(), QStringLiteral("Resume (3 new)"));
        // Options still work on what is held.
        f.form.SetHiddenKinds(TKindSet().set(eOPCGPON));
        QCOMPARE(f.Lines(), QStringList{Raw(Swreq())});
        f.form.SetHiddenKinds(TKindSet{});
        // Saving while paused saves everything received.
        QCOMPARE(f.Saved().count("\r\n"), 5);

        f.form.PauseButton->click();
        QCOMPARE(f.form.PauseButton->text(), QStringLiteral("Pause"));
        QCOMPARE(f.Lines().size(), 5);
        QCOMPARE(f.Lines().last(), Raw(Sensor(2)));
        QVERIFY(f.form.MsgList->Following());
    }

    // A flood faster than any LocoNet: every message counted, the edit catches up.
    void countEditCatchesUpAfterAFlood()
    {
        TFixture f;
        for (int i = 0; i < 5000; ++i)
            f.Show(Gpon(), uint32_t(i));
        QCOMPARE(f.form.DisplayedCount(), 5000u);
        QTRY_COMPARE(f.form.MsgCountEdit->text(), QStringLiteral("5000"));
        f.Show(Gpon(), 6000);
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("5001"));  // after the flood: at once
        for (int i = 0; i < 5000; ++i)
            f.Show(Gpon(), uint32_t(i));
        f.form.ClearButtonClick();
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("0"));
        QTest::qWait(150);
        QCOMPARE(f.form.MsgCountEdit->text(), QStringLiteral("0"));  // no stale count after clearing
    }

    void busLoadForAKnownRate()
    {
        TFixture f;
        // 100 four-byte messages in a second: 4000 bits of 16457.
        for (int i = 0; i < 100; ++i)
            f.Show(Swreq(), uint32_t(10000 + i * 10));
        f.form.UpdateBusLoad();
        QCOMPARE(f.form.BusLoad().messagesPerSecond, 100);
        QVERIFY(qAbs(f.form.BusLoad().percent - 4000.0 / 16457.0 * 100.0) < 0.01);
        QCOMPARE(f.form.BusLoadLabel->text(), QStringLiteral("Bus: 100 msg/s, 24% load"));
        QVERIFY(f.form.BusLoadLabel->styleSheet().isEmpty());

        // 350 in the next second: 85%, overloaded.
        for (int i = 0; i < 350; ++i)
            f.Show(Swreq(), uint32_t(11000 + i * 2));
        f.now = 11999;  // the first second has passed out of the window
        f.form.UpdateBusLoad();
        QCOMPARE(f.form.BusLoad().messagesPerSecond, 350);
        QVERIFY(f.form.BusLoadLabel->styleSheet().contains(QStringLiteral("#c62828")));

        // 250: 61%, busy.
        for (int i = 0; i < 250; ++i)
            f.Show(Swreq(), uint32_t(13000 + i * 3));
        f.now = 13999;
        f.form.UpdateBusLoad();
        QCOMPARE(f.form.BusLoad().messagesPerSecond, 250);
        QVERIFY(f.form.BusLoadLabel->styleSheet().contains(QStringLiteral("#ffb300")));

        // A quiet bus after that reads 0.
        f.now = 20000;
        f.form.UpdateBusLoad();
        QCOMPARE(f.form.BusLoad().messagesPerSecond, 0);
        QCOMPARE(f.form.BusLoadLabel->text(), QStringLiteral("Bus: 0 msg/s, 0% load"));
        QVERIFY(f.form.BusLoadLabel->styleSheet().isEmpty());
    }
};

QTEST_MAIN(TDisplayOptionsTest)
#include "widget_display_options.moc"
