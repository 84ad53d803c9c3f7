// The bus statistics window: how busy the bus is over the evening and who
// keeps it busy, as pictures. A load graph (messages a second and share of
// the wire, one point a second, an hour at a time, with the busy and the
// overloaded bands), a bar chart of the kinds, the top talkers of the last
// minute and since the start, the bursts, and the damage counts.
//
// The figures are TBusStatistics'; this window feeds it and shows it. It
// counts the live bus by its own clock, or messages from any other source
// (a recording) with that source's times. It repaints at most twice a
// second, however fast messages come.
#pragma once

#include "link/Busstatistics.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QChart;
class QChartView;
class QDateTimeAxis;
class QHorizontalBarSeries;
class QBarCategoryAxis;
class QLabel;
class QLineSeries;
class QAreaSeries;
class QPushButton;
class QScrollBar;
class QTableWidget;
class QTimer;
class QValueAxis;
class TWorkbench;

class TBusStatisticsForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 500;
    static constexpr int kGraphSeconds = 3600;  // the graph shows an hour at a time
    static constexpr int kTalkersShown = 25;    // of each group in each table

    explicit TBusStatisticsForm(QWidget* parent = nullptr);

    // The live bus: every message received while the window exists, timed
    // by the window's clock; framing, when given, reads the link's framer.
    void ListenTo(TWorkbench& workbench, std::function<TLnFramingStats()> framing = {});

    // Another source of messages (an opened recording): stops listening to
    // the live bus and forgets what was counted. The source then hands over
    // its messages with its own times (ms, any origin) and moves the clock on
    // at its end; wallClockAtZeroMs (ms since 1970) is the time of day its
    // time 0 stands for, so the graph and the bursts read in clock times.
    void StartFeed(qint64 wallClockAtZeroMs);
    // The workbench asks for the export's file name (a fed window may have none).
    void SetWorkbench(TWorkbench* workbench) { workbench_ = workbench; }
    void AddMessage(const TLocoNetMessage& message, uint64_t timeMs);
    void Advance(uint64_t timeMs);

    const TBusStatistics& Statistics() const { return stats_; }
    // The CSV tables of varnscope-cli stats --csv, replacing the file whole.
    bool SaveCsv(const QString& path, QString& error) const;
    // Repaints now (the timer does it every half second).
    void Refresh();
    int RefreshCount() const { return refreshes_; }
    bool Paused() const { return paused_; }

    // Controls
    QLabel* SummaryLabel = nullptr;
    QChartView* LoadView = nullptr;
    QScrollBar* HistoryBar = nullptr;
    QChartView* KindView = nullptr;
    QTableWidget* MinuteTalkers = nullptr;
    QTableWidget* StartTalkers = nullptr;
    QTableWidget* BurstTable = nullptr;
    QLabel* CountersLabel = nullptr;
    QPushButton* ResetButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QPushButton* ExportButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* CloseButton = nullptr;

public slots:
    void ResetButtonClick();
    void PauseButtonClick(bool paused);
    void ExportButtonClick();

private:
    void Tick();
    uint64_t LiveMs() const { return uint64_t(liveClock_.elapsed()); }
    qint64 WallMs(uint64_t second) const;
    QString ClockText(uint64_t second) const;
    void RefreshSummary();
    void RefreshLoadGraph();
    void RefreshKinds();
    void RefreshTalkers(QTableWidget* table, TStatsSpan span);
    void RefreshBursts();
    void RefreshCounters();

    TBusStatistics stats_;
    bool live_ = false;
    QElapsedTimer liveClock_;
    std::function<TLnFramingStats()> framing_;
    TWorkbench* workbench_ = nullptr;
    qint64 wallAtZero_ = 0;  // the wall-clock time of stream time 0
    bool paused_ = false;
    int refreshes_ = 0;
    QTimer* refreshTimer_ = nullptr;

    QChart* loadChart_ = nullptr;
    QLineSeries* messageSeries_ = nullptr;
    QLineSeries* loadSeries_ = nullptr;
    QLineSeries* busyLow_ = nullptr;
    QLineSeries* busyHigh_ = nullptr;
    QLineSeries* overHigh_ = nullptr;
    QDateTimeAxis* timeAxis_ = nullptr;
    QValueAxis* messageAxis_ = nullptr;
    QValueAxis* loadAxis_ = nullptr;
    QChart* kindChart_ = nullptr;
};
