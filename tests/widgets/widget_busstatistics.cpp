// The bus statistics window: fed an evening of known traffic it shows the
// talkers, bursts and kinds the statistics have; live it repaints at most
// twice a second however fast messages come; Pause holds the picture while
// counting goes on; Reset starts again; Export CSV writes what reads back.
#include "Widgettestsupport.h"

#include "app/shell/Main.h"

#include <QAction>
#include <QMdiArea>

#ifdef VARNSCOPE_HAVE_CHARTS

#include "app/common/Workbench.h"
#include "app/monitor/Formbusstatistics.h"
#include "link/Bustraffic.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFile>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QScrollBar>
#include <QTableWidget>

namespace {

class TStatsWorkbench final : public TWorkbench {
public:
    QString chosenFile;
    QStringList dialogTitles;
    void SendMessage(std::unique_ptr<TLocoNetMessage>, const QString&) override {}
    TLinkState LinkState() const override { return {}; }
    TBoardData& BoardData() override { std::abort(); }
    QString OpenFileDialog(const QString&) override { return {}; }
    QString SaveFileDialog(const QString& title, const QString&) override
    {
        dialogTitles << title;
        return chosenFile;
    }
    void ShowProgStatus(const QString&) override {}
    QMdiArea* Workspace() const override { return nullptr; }
    QWidget* TopWindow() const override { return nullptr; }
    void CloseProgram() override {}
};

// Twenty minutes from 19:30: a chattering sensor 3,7 in the last two, a
// power-on storm of sensor reports at 19:31 for four seconds, throttles.
void FeedEvening(TBusStatisticsForm& form)
{
    const qint64 evening = QDateTime(QDate(2026, 12, 11), QTime(19, 30)).toMSecsSinceEpoch();
    form.StartFeed(evening);
    TBusTraffic traffic;
    traffic.Add(4, 0, 1200000, TBusTraffic::LocoSpeed(3));
    traffic.Add(2, 0, 1200000, TBusTraffic::LocoSpeed(9));
    traffic.Add(1, 0, 1200000, TBusTraffic::Switch(12));
    traffic.Add(380, 60000, 64000, TBusTraffic::Sensors(1, 30));
    traffic.Add(25, 1080000, 1200000, TBusTraffic::Sensor(3, 7));
    traffic.Play([&](const TLocoNetMessage& message, uint64_t timeMs) { form.AddMessage(message, timeMs); });
    form.Advance(1200000);
    form.Refresh();
}

QString Text(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class TBusStatisticsTest : public QObject {
    Q_OBJECT
    TTempSettings settings_;

private slots:
    void fromTheMenuItCountsTheLinkItsDamageAndTheLocoBuffer()
    {
        TBusRecorder bus;
        TCollectedDisplays displays;
        TMainOptions options;
        options.Simulate = true;
        TMainForm main(options);
        main.show();
        main.FormActivate();
        main.findChild<QAction*>(QStringLiteral("BusStatistics1"))->trigger();
        auto* form = main.findChild<TBusStatisticsForm*>();
        QVERIFY(form);
        bus.Inject(QByteArray::fromHex("B2005000"));  // a wrong checksum
        const TLNSensFBMessage report(1, 1, true);
        const QByteArray sensor(reinterpret_cast<const char*>(report.Data()), int(report.Length()));
        for (int i = 0; i < 5; ++i)
            bus.Inject(sensor);
        main.QueryLocoBuffer1->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(form->Statistics().Framing().framesInvalid >= 1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(form->Statistics().Interface().reported, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(form->Statistics().KindCount(eOPCSENS, TStatsSpan::SinceStart), uint64_t(5), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(form->CountersLabel->text().contains(QStringLiteral("LocoBuffer 1.1")), 3000);
        QVERIFY(displays.notices.isEmpty());
    }

    void anEveningShowsItsTalkersBurstsAndKinds()
    {
        TBusStatisticsForm form;
        form.show();
        FeedEvening(form);
        QCOMPARE(form.Statistics().SecondCount(), uint64_t(1200));

        // The last minute: the chattering sensor first, the throttle's slot next.
        QCOMPARE(Text(form.MinuteTalkers, 0, 0), QStringLiteral("Sensors"));
        QCOMPARE(Text(form.MinuteTalkers, 0, 1), QStringLiteral("3,7"));
        QCOMPARE(Text(form.MinuteTalkers, 0, 2), QStringLiteral("1500"));
        QCOMPARE(Text(form.MinuteTalkers, 0, 3), QStringLiteral("25"));
        QCOMPARE(Text(form.MinuteTalkers, 1, 1), QStringLiteral("3"));
        // Since the start the throttle talks most; the operator may sort by name.
        QCOMPARE(Text(form.StartTalkers, 0, 1), QStringLiteral("3"));
        QCOMPARE(Text(form.StartTalkers, 0, 2), QStringLiteral("4800"));
        form.StartTalkers->sortByColumn(1, Qt::AscendingOrder);
        form.Refresh();
        QCOMPARE(Text(form.StartTalkers, 0, 1), QStringLiteral("1,1"));

        // One burst: the storm, at 19:31:00 for four seconds, made of sensor reports.
        QCOMPARE(form.BurstTable->rowCount(), 1);
        QCOMPARE(Text(form.BurstTable, 0, 0), QStringLiteral("19:31:00"));
        QCOMPARE(Text(form.BurstTable, 0, 1), QStringLiteral("4"));
        QVERIFY2(Text(form.BurstTable, 0, 4).startsWith(QStringLiteral("Sensor reports 1520, Loco speed 24")),
                 qPrintable(Text(form.BurstTable, 0, 4)));

        // The bars name the kinds as the kind filter does.
        auto* names = qobject_cast<QBarCategoryAxis*>(form.KindView->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(names);
        QVERIFY(names->categories().contains(QStringLiteral("Sensor reports")));
        QVERIFY(names->categories().contains(QStringLiteral("Loco speed")));

        // The graph: every second of the twenty minutes, in clock time.
        const auto series = form.LoadView->chart()->series();
        const auto* messages = qobject_cast<QLineSeries*>(series.value(2));
        QVERIFY(messages);
        QCOMPARE(messages->count(), 1200);
        QCOMPARE(messages->at(60).y(), 380.0 + 4 + 2 + 1);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(messages->at(60).x())).time(), QTime(19, 31));
        QVERIFY(form.SummaryLabel->text().contains(QStringLiteral("busiest second 19:31:00, 387 msg/s")));
        QVERIFY(form.CountersLabel->text().contains(QStringLiteral("Framer: not reported")));
    }

    void theGraphScrollsOverHoursAnHourAtATime()
    {
        TBusStatisticsForm form;
        form.StartFeed(0);
        TBusTraffic traffic;
        traffic.Add(10, 0, 3 * 3600 * 1000, TBusTraffic::Switch(5));
        traffic.Add(100, 600000, 601000, TBusTraffic::Switch(6));  // one busy second at 0:10:00
        traffic.Play([&](const TLocoNetMessage& message, uint64_t timeMs) { form.AddMessage(message, timeMs); });
        form.Advance(3 * 3600 * 1000);
        form.Refresh();
        QCOMPARE(form.HistoryBar->maximum(), 2 * 3600);
        QCOMPARE(form.HistoryBar->value(), 2 * 3600);  // following the newest
        const auto* messages = qobject_cast<QLineSeries*>(form.LoadView->chart()->series().value(2));
        QCOMPARE(messages->count(), TBusStatisticsForm::kGraphSeconds);
        QCOMPARE(messages->at(0).y(), 10.0);
        form.HistoryBar->setValue(0);  // back to the start of the evening
        QCOMPARE(messages->at(600).y(), 110.0);
        form.Refresh();
        QCOMPARE(form.HistoryBar->value(), 0);  // a new second does not pull the view back
    }

    void liveItRepaintsAtMostTwiceASecondAndPauseHoldsThePicture()
    {
        TStatsWorkbench bench;
        TBusStatisticsForm form;
        form.ListenTo(bench);
        form.show();
        const int before = form.RefreshCount();
        const auto sensor = MakeDecoderMessage(TLNSensFBMessage(2, 3, true));
        QElapsedTimer flood;
        flood.start();
        int sent = 0;
        while (flood.elapsed() < 1600) {
            for (int i = 0; i < 200; ++i, ++sent)
                bench.Deliver(*sensor);
            QCoreApplication::processEvents();
        }
        const int repaints = form.RefreshCount() - before;
        QVERIFY2(repaints >= 2 && repaints <= 4, qPrintable(QString::number(repaints)));
        QTRY_VERIFY_WITH_TIMEOUT(form.Statistics().SecondCount() >= 2, 3000);
        QVERIFY(form.Statistics().TotalMessages() > 0);

        form.PauseButton->click();
        QVERIFY(form.Paused());
        QCOMPARE(form.windowTitle(), QStringLiteral("Bus Statistics (paused)"));
        const int held = form.RefreshCount();
        const uint64_t counted = form.Statistics().TotalMessages();
        for (int i = 0; i < 100; ++i)
            bench.Deliver(*sensor);
        QTest::qWait(1200);
        QCOMPARE(form.RefreshCount(), held);
        QVERIFY(form.Statistics().TotalMessages() >= counted + 100);
        form.PauseButton->click();
        QVERIFY(!form.Paused());
        QVERIFY(form.RefreshCount() > held);

        // Reset: nothing counted, the tables empty; what comes next counts again.
        form.ResetButton->click();
        QCOMPARE(form.Statistics().TotalMessages(), uint64_t(0));
        QCOMPARE(form.MinuteTalkers->rowCount(), 0);
        QCOMPARE(form.StartTalkers->rowCount(), 0);
        for (int i = 0; i < 7; ++i)
            bench.Deliver(*sensor);
        QTRY_COMPARE_WITH_TIMEOUT(form.Statistics().TotalMessages(), uint64_t(7), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(Text(form.StartTalkers, 0, 1), QStringLiteral("2,3"), 3000);
    }

    void exportCsvReadsBack()
    {
        TStatsWorkbench bench;
        QTemporaryDir dir;
        bench.chosenFile = dir.filePath(QStringLiteral("evening.csv"));
        TBusStatisticsForm form;
        form.SetWorkbench(&bench);
        FeedEvening(form);
        form.ExportButton->click();
        QCOMPARE(bench.dialogTitles, QStringList{QStringLiteral("Export CSV")});
        QFile file(bench.chosenFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList tables = QString::fromUtf8(file.readAll()).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
        QCOMPARE(tables.size(), 5);
        const QStringList series = tables[0].split(QLatin1Char('\n'));
        QCOMPARE(series.size(), 1 + 1200);
        QCOMPARE(series[61], QStringLiteral("60,387,1548,94.06"));
        QVERIFY(tables[2].contains(QStringLiteral("\nSensors,last minute,\"3,7\",39,1500\n")));
        QVERIFY(tables[3].startsWith(QStringLiteral("burst_start_second,")));
        QVERIFY(tables[3].contains(QStringLiteral("\n60,4,")));

        // Cancelled: nothing written, nothing said.
        bench.chosenFile.clear();
        QVERIFY(QFile::remove(file.fileName()));
        form.ExportButton->click();
        QVERIFY(!QFile::exists(file.fileName()));

        QString error;
        QVERIFY(!form.SaveCsv(dir.filePath(QStringLiteral("no-such-folder/x.csv")), error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot write ")), qPrintable(error));
    }
};

#else

// Without Qt Charts the window is not built; the menu item says so.
class TBusStatisticsTest : public QObject {
    Q_OBJECT
    TTempSettings settings_;

private slots:
    void theMenuItemSaysItIsNotInThisBuild()
    {
        TCollectedDisplays displays;
        TMainForm main;
        auto* item = main.findChild<QAction*>(QStringLiteral("BusStatistics1"));
        QCOMPARE(item->text(), QStringLiteral("Bus &Statistics (not in this build)"));
        item->trigger();
        QCOMPARE(displays.notices.size(), 1);
        QVERIFY(displays.notices[0].startsWith(QStringLiteral("Bus Statistics|Bus Statistics draws its graphs with Qt Charts")));
        QVERIFY(main.Workspace()->subWindowList().isEmpty());
    }
};

#endif

QTEST_MAIN(TBusStatisticsTest)
#include "widget_busstatistics.moc"
