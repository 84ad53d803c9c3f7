// The bus statistics window on a busy evening: four trains' sensors, four
// throttles, the points they set, the power-on storm of sensor reports, a
// board being programmed, and one detector that will not stop chattering.
#include "app/tour/Tourparts.h"

#ifdef VARNSCOPE_HAVE_CHARTS

#include "app/monitor/Formbusstatistics.h"
#include "link/Bustraffic.h"

#include <QDateTime>
#include <QMainWindow>
#include <QMdiSubWindow>

namespace {

constexpr uint64_t kMinute = 60 * 1000;

void FeedEvening(TBusStatisticsForm& form)
{
    const QDateTime seven(QDate::currentDate(), QTime(19, 0));
    form.StartFeed(seven.toMSecsSinceEpoch());
    const uint64_t end = 75 * kMinute;
    TBusTraffic evening;
    // Trains passing their block sensors, throttles refreshing their speeds.
    for (int board = 1; board <= 4; ++board)
        evening.Add(2, 0, end, TBusTraffic::Sensors(board, 1));
    for (int slot : {3, 5, 8, 12})
        evening.Add(slot == 3 ? 6 : 3, 0, end, TBusTraffic::LocoSpeed(slot));
    for (int point : {12, 13, 14, 40})
        evening.Add(1, 0, end, TBusTraffic::Switch(point));
    // Track power on at 19:02: every detector reports at once.
    evening.Add(360, 2 * kMinute, 2 * kMinute + 5000, TBusTraffic::Sensors(1, 30));
    // A board programmed from 19:20 to 19:24.
    evening.Add(45, 20 * kMinute, 24 * kMinute, TBusTraffic::SvRead(104));
    evening.Add(45, 20 * kMinute + 30, 24 * kMinute, TBusTraffic::SvReply(104));
    // From 19:50 a detector with a loose wire chatters, and storms twice.
    evening.Add(30, 50 * kMinute, end, TBusTraffic::Sensor(7, 3));
    evening.Add(330, 58 * kMinute, 58 * kMinute + 3000, TBusTraffic::Sensor(7, 3));
    evening.Add(330, 66 * kMinute, 66 * kMinute + 4000, TBusTraffic::Sensor(7, 3));
    evening.Play([&](const TLocoNetMessage& message, uint64_t timeMs) { form.AddMessage(message, timeMs); });
    form.Advance(end);
    form.Refresh();
}

}  // namespace

void AddBusStatisticsTourSteps(const TTour& tour, TTourSteps& steps)
{
    steps.push_back({200, [tour] {
                         tour.Trigger("BusStatistics1");
                         QMdiSubWindow* frame = tour.NewestChild();
                         frame->move(0, 0);
                         frame->resize(tour.window->width() - 20, tour.window->height() - 90);
                         FeedEvening(*tour.window->findChild<TBusStatisticsForm*>());
                     }});
    steps.push_back({400, [tour] {
                         tour.Save(tour.window->findChild<TBusStatisticsForm*>(), QStringLiteral("bus-statistics.png"));
                         tour.NewestChild()->close();
                     }});
}

#else

void AddBusStatisticsTourSteps(const TTour&, TTourSteps&) {}

#endif
