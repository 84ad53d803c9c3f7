#include "app/monitor/Formbusstatistics.h"

#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "link/Busstatsreport.h"
#include "link/Lnkindnames.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

constexpr int kHelpTopic = 25;
constexpr int kKindsShown = 8;  // bars; the rest is in the CSV
const QColor kMessagesColour(0x1e, 0x5a, 0xa8);
const QColor kLoadColour(0x2e, 0x7d, 0x32);
const QColor kBusyColour(0xff, 0xb3, 0x00, 70);
const QColor kOverloadedColour(0xc6, 0x28, 0x28, 70);

// A table cell that sorts by number when it holds one.
QTableWidgetItem* Cell(const QVariant& value)
{
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (value.typeId() != QMetaType::QString)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidget* MakeTable(const QStringList& headers, const char* name, QWidget* parent)
{
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSortingEnabled(true);
    return table;
}

// Refills a sortable table, keeping the order the operator chose.
template <class TFill>
void FillTable(QTableWidget* table, int rows, TFill fill)
{
    const int column = table->horizontalHeader()->sortIndicatorSection();
    const Qt::SortOrder order = table->horizontalHeader()->sortIndicatorOrder();
    table->setSortingEnabled(false);
    table->setRowCount(rows);
    for (int row = 0; row < rows; ++row)
        fill(row);
    table->setSortingEnabled(true);
    table->sortByColumn(column, order);
}

QString Percent(double value)
{
    return QString::number(value, 'f', 0) + QLatin1Char('%');
}

}  // namespace

TBusStatisticsForm::TBusStatisticsForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BusStatisticsForm"));
    setWindowTitle(QStringLiteral("Bus Statistics"));

    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName(QStringLiteral("SummaryLabel"));

    // The load graph: messages a second on the left, share of the wire on the
    // right, over the bands where a bus gets busy and where it chokes.
    loadChart_ = new QChart;
    loadChart_->setMargins(QMargins(4, 4, 4, 4));
    loadChart_->legend()->setAlignment(Qt::AlignTop);
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis_->setTickCount(7);
    messageAxis_ = new QValueAxis;
    messageAxis_->setTitleText(QStringLiteral("messages a second"));
    messageAxis_->setLabelFormat(QStringLiteral("%d"));
    loadAxis_ = new QValueAxis;
    loadAxis_->setTitleText(QStringLiteral("% of the wire"));
    loadAxis_->setRange(0, 100);
    loadAxis_->setLabelFormat(QStringLiteral("%d"));
    loadChart_->addAxis(timeAxis_, Qt::AlignBottom);
    loadChart_->addAxis(messageAxis_, Qt::AlignLeft);
    loadChart_->addAxis(loadAxis_, Qt::AlignRight);
    busyLow_ = new QLineSeries(this);
    busyHigh_ = new QLineSeries(this);
    overHigh_ = new QLineSeries(this);
    const auto band = [this](QLineSeries* upper, QLineSeries* lower, const QColor& colour, const QString& name) {
        auto* area = new QAreaSeries(upper, lower);
        area->setName(name);
        area->setColor(colour);
        area->setBorderColor(Qt::transparent);
        loadChart_->addSeries(area);
        area->attachAxis(timeAxis_);
        area->attachAxis(loadAxis_);
    };
    band(busyHigh_, busyLow_, kBusyColour, QStringLiteral("busy (50-80%)"));
    band(overHigh_, busyHigh_, kOverloadedColour, QStringLiteral("overloaded (over 80%)"));
    messageSeries_ = new QLineSeries;
    messageSeries_->setName(QStringLiteral("messages a second"));
    messageSeries_->setPen(QPen(kMessagesColour, 1.5));
    loadSeries_ = new QLineSeries;
    loadSeries_->setName(QStringLiteral("% of the wire"));
    loadSeries_->setPen(QPen(kLoadColour, 1.5));
    for (QLineSeries* series : {messageSeries_, loadSeries_}) {
        series->setUseOpenGL(false);
        loadChart_->addSeries(series);
        series->attachAxis(timeAxis_);
    }
    messageSeries_->attachAxis(messageAxis_);
    loadSeries_->attachAxis(loadAxis_);
    LoadView = new QChartView(loadChart_, this);
    LoadView->setObjectName(QStringLiteral("LoadView"));
    LoadView->setRenderHint(QPainter::Antialiasing);
    LoadView->setMinimumHeight(230);
    HistoryBar = new QScrollBar(Qt::Horizontal, this);
    HistoryBar->setObjectName(QStringLiteral("HistoryBar"));
    HistoryBar->setRange(0, 0);
    HistoryBar->setToolTip(QStringLiteral("Earlier hours of the evening"));
    connect(HistoryBar, &QScrollBar::valueChanged, this, [this] {
        if (!paused_)
            RefreshLoadGraph();
    });

    kindChart_ = new QChart;
    kindChart_->setTitle(QStringLiteral("Messages a second by kind"));
    kindChart_->setMargins(QMargins(2, 2, 2, 2));
    kindChart_->legend()->setAlignment(Qt::AlignBottom);
    KindView = new QChartView(kindChart_, this);
    KindView->setObjectName(QStringLiteral("KindView"));
    KindView->setMinimumSize(400, 230);

    const QStringList talkerHeaders = {QStringLiteral("Group"), QStringLiteral("Talker"), QStringLiteral("Messages"),
                                       QStringLiteral("msg/s")};
    MinuteTalkers = MakeTable(talkerHeaders, "MinuteTalkers", this);
    StartTalkers = MakeTable(talkerHeaders, "StartTalkers", this);
    for (QTableWidget* table : {MinuteTalkers, StartTalkers}) {
        table->sortByColumn(2, Qt::DescendingOrder);
        // Shared out over the width: right-aligned figures in a column
        // past the edge would not be seen at all.
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->horizontalHeader()->setStretchLastSection(false);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    BurstTable = MakeTable({QStringLiteral("Start"), QStringLiteral("Seconds"), QStringLiteral("Load"),
                            QStringLiteral("Peak"), QStringLiteral("Made of")},
                           "BurstTable", this);
    BurstTable->sortByColumn(0, Qt::DescendingOrder);
    BurstTable->setColumnWidth(0, 70);
    BurstTable->setColumnWidth(1, 60);
    BurstTable->setColumnWidth(2, 50);
    BurstTable->setColumnWidth(3, 50);
    CountersLabel = new QLabel(this);
    CountersLabel->setObjectName(QStringLiteral("CountersLabel"));
    CountersLabel->setWordWrap(true);

    ResetButton = new QPushButton(QStringLiteral("&Reset"), this);
    ResetButton->setObjectName(QStringLiteral("ResetButton"));
    PauseButton = new QPushButton(QStringLiteral("&Pause"), this);
    PauseButton->setObjectName(QStringLiteral("PauseButton"));
    PauseButton->setCheckable(true);
    PauseButton->setToolTip(QStringLiteral("Holds the picture still; counting goes on"));
    ExportButton = new QPushButton(QStringLiteral("&Export CSV..."), this);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(ResetButton, &QPushButton::clicked, this, &TBusStatisticsForm::ResetButtonClick);
    connect(PauseButton, &QPushButton::toggled, this, &TBusStatisticsForm::PauseButtonClick);
    connect(ExportButton, &QPushButton::clicked, this, &TBusStatisticsForm::ExportButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(HelpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpTopic); });
    SetHelpContext(this, kHelpTopic);

    auto titled = [this](const QString& title, QWidget* widget) {
        auto* box = new QWidget(this);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(title), box));
        column->addWidget(widget, 1);
        return box;
    };
    auto* middle = new QSplitter(Qt::Horizontal, this);
    middle->addWidget(KindView);
    middle->addWidget(titled(QStringLiteral("Most heard in the last minute"), MinuteTalkers));
    middle->addWidget(titled(QStringLiteral("Most heard since the start"), StartTalkers));
    middle->setStretchFactor(0, 3);
    middle->setStretchFactor(1, 2);
    middle->setStretchFactor(2, 2);
    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(titled(QStringLiteral("Bursts: over 80% of the wire for more than a second"), BurstTable));
    lower->addWidget(titled(QStringLiteral("Damaged frames and the interface's own counts"), CountersLabel));
    lower->setStretchFactor(0, 3);
    lower->setStretchFactor(1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ResetButton);
    buttons->addWidget(PauseButton);
    buttons->addWidget(ExportButton);
    buttons->addStretch(1);
    buttons->addWidget(HelpButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SummaryLabel);
    layout->addWidget(LoadView, 5);
    layout->addWidget(HistoryBar);
    layout->addWidget(middle, 4);
    layout->addWidget(lower, 2);
    layout->addLayout(buttons);
    resize(1180, 760);

    liveClock_.start();
    wallAtZero_ = QDateTime::currentMSecsSinceEpoch();
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, &TBusStatisticsForm::Tick);
    refreshTimer_->start();
    Refresh();
}

void TBusStatisticsForm::ListenTo(TWorkbench& workbench, std::function<TLnFramingStats()> framing)
{
    workbench_ = &workbench;
    live_ = true;
    framing_ = std::move(framing);
    stats_.Reset();
    stats_.Advance(LiveMs());
    if (framing_)
        stats_.SetFramingStats(framing_());
    workbench.Subscribe(this, AllKinds(), [this](const TLocoNetMessage& message) { stats_.Add(message, LiveMs()); });
}

void TBusStatisticsForm::StartFeed(qint64 wallClockAtZeroMs)
{
    if (workbench_)
        workbench_->Unsubscribe(this);
    live_ = false;
    framing_ = nullptr;
    wallAtZero_ = wallClockAtZeroMs;
    stats_ = TBusStatistics();
    Refresh();
}

void TBusStatisticsForm::AddMessage(const TLocoNetMessage& message, uint64_t timeMs)
{
    stats_.Add(message, timeMs);
}

void TBusStatisticsForm::Advance(uint64_t timeMs)
{
    stats_.Advance(timeMs);
}

void TBusStatisticsForm::Tick()
{
    if (live_) {
        stats_.Advance(LiveMs());
        if (framing_)
            stats_.SetFramingStats(framing_());
    }
    if (!paused_)
        Refresh();
}

qint64 TBusStatisticsForm::WallMs(uint64_t second) const
{
    return wallAtZero_ + qint64(stats_.OriginMs()) + qint64(second) * 1000;
}

QString TBusStatisticsForm::ClockText(uint64_t second) const
{
    return QDateTime::fromMSecsSinceEpoch(WallMs(second)).toString(QStringLiteral("HH:mm:ss"));
}

void TBusStatisticsForm::Refresh()
{
    ++refreshes_;
    RefreshSummary();
    RefreshLoadGraph();
    RefreshKinds();
    RefreshTalkers(MinuteTalkers, TStatsSpan::LastMinute);
    RefreshTalkers(StartTalkers, TStatsSpan::SinceStart);
    RefreshBursts();
    RefreshCounters();
}

void TBusStatisticsForm::RefreshSummary()
{
    const uint64_t count = stats_.SecondCount();
    if (count == 0) {
        SummaryLabel->setText(QStringLiteral("Counting: the first second is not over yet."));
        SummaryLabel->setStyleSheet(QString());
        return;
    }
    const TBusSecond last = stats_.Second(count - 1);
    const TStatsInterval minute = StatsIntervalOf(stats_, count - stats_.SpanSeconds(TStatsSpan::LastMinute));
    QString text = QStringLiteral("Now: %1 msg/s, %2 of the wire.   Last minute: %3 msg/s, %4.   Since %5: %6 "
                                  "messages; busiest second %7, %8 msg/s, %9.")
                       .arg(last.messages)
                       .arg(Percent(last.LoadPercent()))
                       .arg(minute.messagesPerSecond, 0, 'f', 0)
                       .arg(Percent(minute.loadPercent))
                       .arg(ClockText(0))
                       .arg(stats_.TotalMessages())
                       .arg(ClockText(stats_.PeakSecondIndex()))
                       .arg(stats_.PeakSecond().messages)
                       .arg(Percent(stats_.PeakSecond().LoadPercent()));
    if (paused_)
        text = QStringLiteral("Paused (counting goes on). ") + text;
    SummaryLabel->setText(text);
    QString style;
    if (minute.loadPercent >= TBusLoadMeter::kOverloadedPercent)
        style = QStringLiteral("QLabel { color: white; background: #c62828; font-weight: bold; padding: 2px; }");
    else if (minute.loadPercent >= TBusLoadMeter::kBusyPercent)
        style = QStringLiteral("QLabel { color: black; background: #ffb300; padding: 2px; }");
    SummaryLabel->setStyleSheet(style);
}

void TBusStatisticsForm::RefreshLoadGraph()
{
    // The scroll bar walks over the kept history an hour wide; at its end it
    // follows the newest second.
    const uint64_t first = stats_.FirstKeptSecond();
    const uint64_t count = stats_.SecondCount();
    const uint64_t kept = count - first;
    const bool following = HistoryBar->value() >= HistoryBar->maximum();
    const int extra = int(kept > uint64_t(kGraphSeconds) ? kept - kGraphSeconds : 0);
    {
        const QSignalBlocker quiet(HistoryBar);
        HistoryBar->setRange(0, extra);
        HistoryBar->setPageStep(kGraphSeconds);
        HistoryBar->setSingleStep(60);
        if (following)
            HistoryBar->setValue(extra);
    }
    const uint64_t from = first + uint64_t(HistoryBar->value());
    const uint64_t to = std::min(count, from + kGraphSeconds);
    QList<QPointF> messages, load;
    messages.reserve(int(to - from));
    load.reserve(int(to - from));
    uint32_t most = 0;
    for (uint64_t s = from; s < to; ++s) {
        const TBusSecond second = stats_.Second(s);
        const qreal x = qreal(WallMs(s));
        messages.append(QPointF(x, second.messages));
        load.append(QPointF(x, std::min(100.0, second.LoadPercent())));
        most = std::max(most, second.messages);
    }
    messageSeries_->replace(messages);
    loadSeries_->replace(load);
    // At least a minute wide, so the first seconds do not fill the width.
    const qint64 start = WallMs(from);
    const qint64 end = std::max(WallMs(to), start + 60 * 1000);
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(start), QDateTime::fromMSecsSinceEpoch(end));
    timeAxis_->setFormat(end - start > 2 * 3600 * 1000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
    // Rounded up to a tidy top, so the scale does not twitch every second.
    const int top = std::max(100, int((most * 1.1 + 99) / 100) * 100);
    messageAxis_->setRange(0, top);
    const auto flat = [start, end](QLineSeries* series, double y) {
        series->replace({QPointF(qreal(start), y), QPointF(qreal(end), y)});
    };
    flat(busyLow_, TBusLoadMeter::kBusyPercent);
    flat(busyHigh_, TBusLoadMeter::kOverloadedPercent);
    flat(overHigh_, 100.0);
}

void TBusStatisticsForm::RefreshKinds()
{
    // The busiest kinds since the start, top bar first.
    kindChart_->removeAllSeries();
    for (QAbstractAxis* axis : kindChart_->axes()) {
        kindChart_->removeAxis(axis);
        delete axis;
    }
    std::vector<std::pair<int, uint64_t>> kinds = stats_.Kinds(TStatsSpan::SinceStart);
    for (const auto& heard : stats_.Kinds(TStatsSpan::LastMinute)) {
        if (std::none_of(kinds.begin(), kinds.end(), [&](const auto& k) { return k.first == heard.first; }))
            kinds.push_back(heard);
    }
    if (kinds.size() > size_t(kKindsShown))
        kinds.resize(size_t(kKindsShown));
    auto* minute = new QBarSet(QStringLiteral("last minute"));
    auto* start = new QBarSet(QStringLiteral("since the start"));
    minute->setColor(kMessagesColour);
    start->setColor(QColor(0x90, 0xa4, 0xae));
    QStringList names;
    double most = 1.0;
    for (auto it = kinds.rbegin(); it != kinds.rend(); ++it) {
        const int kind = it->first;
        names << QString::fromLatin1(LnKindPlainName(kind));
        const double m = stats_.KindRate(kind, TStatsSpan::LastMinute);
        const double s = stats_.KindRate(kind, TStatsSpan::SinceStart);
        *minute << m;
        *start << s;
        most = std::max({most, m, s});
    }
    auto* series = new QHorizontalBarSeries;
    series->append(start);
    series->append(minute);
    kindChart_->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    auto* rate = new QValueAxis;
    rate->setRange(0, most * 1.1);
    rate->applyNiceNumbers();
    rate->setLabelFormat(QStringLiteral("%.0f"));
    kindChart_->addAxis(categories, Qt::AlignLeft);
    kindChart_->addAxis(rate, Qt::AlignBottom);
    series->attachAxis(categories);
    series->attachAxis(rate);
}

void TBusStatisticsForm::RefreshTalkers(QTableWidget* table, TStatsSpan span)
{
    std::vector<TTalker> talkers;
    for (int g = 0; g < kTalkerGroupCount; ++g) {
        const std::vector<TTalker> group = stats_.Talkers(TTalkerGroup(g), span, kTalkersShown);
        talkers.insert(talkers.end(), group.begin(), group.end());
    }
    const double seconds = double(std::max<uint64_t>(1, stats_.SpanSeconds(span)));
    FillTable(table, int(talkers.size()), [&](int row) {
        const TTalker& talker = talkers[size_t(row)];
        table->setItem(row, 0, Cell(QString::fromLatin1(TalkerGroupName(talker.group))));
        table->setItem(row, 1, Cell(QString::fromStdString(TalkerText(talker))));
        table->setItem(row, 2, Cell(qulonglong(talker.count)));
        table->setItem(row, 3, Cell(std::round(double(talker.count) / seconds * 10) / 10));
    });
}

void TBusStatisticsForm::RefreshBursts()
{
    const auto& bursts = stats_.Bursts();
    FillTable(BurstTable, int(bursts.size()), [&](int row) {
        const TBusBurst& burst = bursts[size_t(row)];
        QStringList kinds;
        for (const auto& [kind, count] : burst.kinds)
            kinds << QStringLiteral("%1 %2").arg(QString::fromLatin1(LnKindPlainName(kind))).arg(count);
        BurstTable->setItem(row, 0, Cell(ClockText(burst.startSecond)));
        BurstTable->setItem(row, 1, Cell(burst.seconds));
        BurstTable->setItem(row, 2, Cell(Percent(burst.LoadPercent())));
        BurstTable->setItem(row, 3, Cell(Percent(burst.peakPercent)));
        auto* madeOf =
            Cell(kinds.join(QStringLiteral(", ")) + (burst.ongoing ? QStringLiteral(" (going on)") : QString()));
        madeOf->setToolTip(madeOf->text());
        BurstTable->setItem(row, 4, madeOf);
    });
}

void TBusStatisticsForm::RefreshCounters()
{
    QStringList lines;
    if (stats_.FramingReported()) {
        const TLnFramingStats framing = stats_.Framing();
        lines << QStringLiteral("Framer: %1 bad frames (wrong checksum), %2 interrupted frames, %3 stray bytes.")
                     .arg(framing.framesInvalid)
                     .arg(framing.framesAbandoned + framing.framesImpossible)
                     .arg(framing.bytesIgnored);
    } else {
        lines << QStringLiteral("Framer: not reported by this source.");
    }
    const TInterfaceCounters& lb = stats_.Interface();
    if (lb.reported)
        lines << QStringLiteral("LocoBuffer %1.%2.%3.%4 at %5: %6 bad frames, %7 collisions.")
                     .arg(lb.versionMajor)
                     .arg(lb.versionMinor)
                     .arg(lb.versionBuild)
                     .arg(lb.versionPatch)
                     .arg(ClockText(lb.reportSecond))
                     .arg(lb.badFrames)
                     .arg(lb.collisions);
    else
        lines << QStringLiteral("LocoBuffer: no report yet (LocoNet Debug, Query LocoBuffer asks for one).");
    if (stats_.BurstsForgotten() > 0)
        lines << QStringLiteral("%1 older bursts are no longer listed.").arg(stats_.BurstsForgotten());
    CountersLabel->setText(lines.join(QLatin1Char('\n')));
}

void TBusStatisticsForm::ResetButtonClick()
{
    stats_.Reset();
    if (live_) {
        stats_.Advance(LiveMs());
        if (framing_)
            stats_.SetFramingStats(framing_());
    }
    Refresh();
}

void TBusStatisticsForm::PauseButtonClick(bool paused)
{
    paused_ = paused;
    PauseButton->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    setWindowTitle(paused ? QStringLiteral("Bus Statistics (paused)") : QStringLiteral("Bus Statistics"));
    if (!paused)
        Refresh();
}

void TBusStatisticsForm::ExportButtonClick()
{
    const QString title = QStringLiteral("Export CSV");
    const QString name = QStringLiteral("bus-statistics.csv");
    const QString path = workbench_ ? workbench_->SaveFileDialog(title, name)
                                    : QFileDialog::getSaveFileName(this, title, name, QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveCsv(path, error))
        QMessageBox::warning(this, QStringLiteral("Export CSV"), error);
}

bool TBusStatisticsForm::SaveCsv(const QString& path, QString& error) const
{
    std::ostringstream out;
    WriteStatsCsv(stats_, out);
    const std::string text = out.str();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !file.commit()) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
