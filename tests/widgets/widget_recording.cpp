// Recordings in the window program: a recording opened in a message display
// shows the lines the live display showed, with their times (since the start
// or as the time of day) and the bus load as it was; the display's option to
// show each decoded line's bytes; recording from the LocoNet Debug menu.
#include "Widgettestsupport.h"

#include "app/common/Statusfield.h"
#include "app/monitor/Lndisplay.h"
#ifdef VARNSCOPE_HAVE_CHARTS
#include "app/monitor/Formbusstatistics.h"
#endif
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "app/monitor/Recordingactions.h"
#include "link/Lncomm.h"
#include "link/Lndispatch.h"
#include "link/Recording.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>

class TRecordingWindowTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

    static TLocoNetMessage Sensor(int input) { return MessageOf({0xB2, input, 0x50, 0xFF ^ 0xB2 ^ input ^ 0x50}); }

    static QStringList Lines(const TDisplayForm& form)
    {
        form.Model()->Flush();
        QStringList lines;
        for (int row = 0; row < form.Model()->rowCount(); ++row)
            lines << form.Model()->data(form.Model()->index(row)).toString();
        return lines;
    }

    // The same traffic shown live and written as a recording: sensors,
    // a power-on, an SV write, with rejected and sent frames between them.
    struct TTraffic {
        QTemporaryDir dir;
        QString path = dir.filePath("bus.lnrec");
        std::vector<std::pair<TLocoNetMessage, uint32_t>> messages;
        int64_t startMs = QDateTime(QDate(2026, 3, 1), QTime(14, 2, 11, 500)).toMSecsSinceEpoch();

        TTraffic()
        {
            for (int i = 0; i < 12; ++i)
                messages.push_back({Sensor(i), 100 + 50 * uint32_t(i)});  // 12 in 0.55 s
            messages.push_back({MessageOf({0x83, 0x7C}), 5000});
            TLocoNetMessage sv;
            for (int b : {0xE5, 0x10, 0x00, 0x01, 0x02, 0x10, 0x65, 0x00, 0x03, 0x00, 0x10, 0x2A, 0, 0, 0})
                sv.AppendByte(uint8_t(b));
            sv.AppendChecksum();
            messages.push_back({sv, 3723456});
            TRecordingWriter writer;
            writer.Open(path.toStdString(), startMs * 1000);
            const uint8_t junk[] = {0xB2, 0x05};
            for (const auto& [message, at] : messages) {
                writer.Append(int64_t(at) * 1000, TRecDirection::Sent, junk, sizeof junk);
                writer.Append(int64_t(at) * 1000 + 7, TRecDirection::Received, message.Data(), message.Length());
                writer.Append(int64_t(at) * 1000 + 9, TRecDirection::Rejected, junk, sizeof junk);
            }
            writer.Close();
        }
    };

private slots:
    void RecordingShowsWhatTheLiveDisplayShowed()
    {
        TTraffic traffic;
        TDisplayForm live;
        uint32_t now = 0;
        live.SetClock([&now] { return now; });
        for (const auto& [message, at] : traffic.messages) {
            now = at;
            live.ShowMessage(*MakeDecoderMessage(message));
        }
        live.TimesButton->setChecked(true);

        TRecording recording;
        QVERIFY(recording.Load(traffic.path.toStdString()));
        TDisplayForm opened;
        opened.ShowRecording(recording, "bus.lnrec");
        QCOMPARE(opened.windowTitle(), QStringLiteral("LocoNet Recording - bus.lnrec"));
        QVERIFY(opened.TimesButton->isChecked());
        QCOMPARE(Lines(opened), Lines(live));
        QCOMPARE(opened.MsgCountEdit->text(), QString::number(traffic.messages.size()));

        // Times of day: the recording's start plus each line's time.
        opened.DayTimeButton->setChecked(true);
        const QStringList lines = Lines(opened);
        QVERIFY2(lines.first().startsWith("14:02:11.600 OPC_SENSORREP"), qPrintable(lines.first()));
        QVERIFY2(lines.last().startsWith("15:04:14.956 SV Access"), qPrintable(lines.last()));
        opened.DayTimeButton->setChecked(false);
        QVERIFY(Lines(opened).last().startsWith("1:02:03.456 SV Access"));

        // The finding aids work on it as on a live display.
        opened.FindEdit->setText("SV Access");
        QVERIFY(opened.FindNext());
        QCOMPARE(opened.MsgList->CurrentRow(), int(traffic.messages.size()) - 1);
    }

    // The load is the second up to the selected line, from the recorded
    // times, not the (empty) present.
    void BusLoadIsAsItWas()
    {
        TTraffic traffic;
        TRecording recording;
        QVERIFY(recording.Load(traffic.path.toStdString()));
        TDisplayForm opened;
        opened.ShowRecording(recording, "bus.lnrec");
        const struct {
            int row;
            int messages;
        } cases[] = {
            {-1, 1},  // nothing selected: the last line, alone in its second
            {11, 12}, // the twelfth sensor: all twelve within 0.55 s
            {0, 1},
            {12, 1},  // the power-on, 4.5 s later
        };
        for (const auto& c : cases) {
            if (c.row >= 0)
                opened.MsgList->HoldAtRow(c.row);
            opened.UpdateBusLoad();
            QCOMPARE(opened.BusLoad().messagesPerSecond, c.messages);
        }
        opened.MsgList->HoldAtRow(11);
        opened.UpdateBusLoad();
        QVERIFY(qAbs(opened.BusLoad().percent - TBusLoadMeter::WirePercent(48, 1000)) < 1e-9);
        QVERIFY(opened.BusLoadLabel->text().contains("12 msg/s"));
    }

    // Off by default; each decoded line gets its bytes, a raw line stays as
    // it is; the choice is kept for the next display.
    void ShowBytesBesideTheDecodedText()
    {
        settings_.Clear();
        {
            TDisplayForm form;
            QVERIFY(!form.BytesButton->isChecked());
            form.ShowMessage(*MakeDecoderMessage(Sensor(0)));
            form.ExpandButton->setChecked(false);
            form.ShowMessage(*MakeDecoderMessage(Sensor(1)));
            const QStringList before = Lines(form);
            form.BytesButton->setChecked(true);
            QCOMPARE(Lines(form), (QStringList{before[0] + "   [B2 00 50 1D]", before[1]}));
            // Find looks in what is shown.
            form.FindEdit->setText("50 1D");
            QVERIFY(form.FindNext());
        }
        TDisplayForm next;
        QVERIFY(next.BytesButton->isChecked());
        next.BytesButton->setChecked(false);
        TDisplayForm third;
        QVERIFY(!third.BytesButton->isChecked());
    }

    // Record to File on a simulated bus: the strip shows the file and its
    // size, Stop Recording ends it, and the file holds what went by.
    void RecordFromTheMenu()
    {
        ConfigureSimulatedLocoNet(TSimSettings{});
        TLocoNetComm link(MakeLinkPort);
        link.SetDeviceName("sim");
        link.Open();
        QVERIFY(link.Enabled());
        QMainWindow window;
        auto* file = window.menuBar()->addMenu("&File");
        QAction* exit = file->addAction("E&xit");
        auto* debug = window.menuBar()->addMenu("&LocoNet Debug");
        TRecordingActions actions(&window, link, [](QWidget* w) { w->deleteLater(); });
        actions.AddTo(file, exit, debug, window.statusBar());
        QCOMPARE(file->actions().first(), actions.OpenAction);
        QVERIFY(!actions.StopAction->isEnabled());

        QTemporaryDir dir;
        const QString path = dir.filePath("menu.lnrec");
        QVERIFY(actions.StartRecording(path));
        QVERIFY(!actions.RecordAction->isEnabled());
        QVERIFY(actions.StopAction->isEnabled());
        link.WriteMessage(Sensor(3));
        QTRY_VERIFY(actions.Recorder().Records() >= 2);  // sent, and received back
        QTRY_VERIFY(actions.StatusRecording->text().contains("menu.lnrec"));
        QVERIFY(actions.StatusRecording->isVisibleTo(&window));
        actions.StopAction->trigger();
        QVERIFY(!actions.StatusRecording->isVisibleTo(&window));
        QVERIFY(actions.RecordAction->isEnabled());

        TRecording recording;
        QVERIFY(recording.Load(path.toStdString()));
        QVERIFY(recording.Whole());
        int received = 0;
        recording.ForEach([&](const TRecFrame& f) { received += f.direction == TRecDirection::Received; });
        QCOMPARE(received, 1);

        // The recording replayed on the simulated bus reaches the link again.
        while (link.ReadMessage()) {
        }
        int heard = 0;
        link.OnRxMsg = [&heard](TLnThreadComm& sender, uint32_t) {
            while (auto m = sender.ReadMessage())
                heard += m->MessageKind() == eOPCSENS;
        };
        QVERIFY(actions.ReplayOnSimulatedLocoNet(path));
        QTRY_COMPARE(heard, 1);
        QTRY_VERIFY(!actions.Replayer()->Running());
        QCOMPARE(actions.Replayer()->Sent(), size_t(1));
        link.OnRxMsg = nullptr;
        link.Close();
    }

#ifdef VARNSCOPE_HAVE_CHARTS
    // Bus Statistics of a recording counts what the bus carried in the
    // recording's own seconds: the received messages, not this program's
    // sent copies nor the rejected bytes.
    void StatisticsOfARecording()
    {
        TTraffic traffic;
        TLocoNetComm link(MakeLinkPort);
        QMainWindow window;
        auto* file = window.menuBar()->addMenu("&File");
        QAction* exit = file->addAction("E&xit");
        auto* debug = window.menuBar()->addMenu("&LocoNet Debug");
        std::unique_ptr<QWidget> shown;
        TRecordingActions actions(&window, link, [&shown](QWidget* w) { shown.reset(w); });
        actions.AddTo(file, exit, debug, window.statusBar());
        QVERIFY(actions.StatisticsAction);

        auto* form = qobject_cast<TBusStatisticsForm*>(actions.OpenStatistics(traffic.path));
        QVERIFY(form);
        QCOMPARE(shown.get(), form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Bus Statistics - bus.lnrec"));
        const TBusStatistics& stats = form->Statistics();
        QCOMPARE(stats.TotalMessages(), uint64_t(traffic.messages.size()));
        // The twelve sensor reports fell into the first second, the SV
        // message into the last one, an hour later.
        QCOMPARE(stats.Second(0).messages, 12u);
        QCOMPARE(stats.SecondCount(), uint64_t(3724));
        QCOMPARE(stats.KindCount(eOPCSENS, TStatsSpan::SinceStart), uint64_t(12));

        // A file that is no recording opens nothing.
        QTemporaryDir dir;
        QFile foreign(dir.filePath("notes.lnrec"));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not a recording");
        foreign.close();
        shown.reset();
        QString warning;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warning = box->text();
                box->accept();
            }
        });
        closer.start(20);
        QVERIFY(!actions.OpenStatistics(foreign.fileName()));
        QVERIFY(!shown);
        QVERIFY2(warning.contains("notes.lnrec"), qPrintable(warning));
    }
#endif
};

QTEST_MAIN(TRecordingWindowTest)
#include "widget_recording.moc"
