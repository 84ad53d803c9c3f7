#include "app/monitor/Messagelistmodel.h"

#include <QDateTime>

#include <algorithm>

TMessageListModel::TMessageListModel(QObject* parent) : QAbstractListModel(parent)
{
    publishTimer_.setSingleShot(true);
    publishTimer_.setInterval(kPublishIntervalMs);
    connect(&publishTimer_, &QTimer::timeout, this, &TMessageListModel::PublishTimeout);
}

int TMessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : published_;
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= published_)
        return {};
    return LineTextAsShown(LineOfRow(index.row()));
}

void TMessageListModel::AppendMessage(const TLocoNetMessage& message, bool expanded, uint32_t timeMs)
{
    if (!store_.Append(message, expanded, timeMs))
        return;
    const size_t line = store_.Count() - 1;
    if (filtered_ && !hidden_.test(store_.KindOf(line)))
        visible_.push_back(static_cast<uint32_t>(line));
    if (paused_)
        return;
    if (publishTimer_.isActive()) {
        pending_ = true;
        return;
    }
    Flush();
    publishTimer_.start();
}

void TMessageListModel::PublishTimeout()
{
    if (!pending_)
        return;
    Flush();
    // Keep batching while the traffic lasts.
    publishTimer_.start();
}

int TMessageListModel::AvailableRows() const
{
    const int lines = paused_ ? pauseLine_ : LineCount();
    if (!filtered_)
        return lines;
    return static_cast<int>(std::lower_bound(visible_.begin(), visible_.end(), static_cast<uint32_t>(lines))
                            - visible_.begin());
}

void TMessageListModel::Flush()
{
    pending_ = false;
    const int rows = AvailableRows();
    if (rows <= published_)
        return;
    beginInsertRows(QModelIndex(), published_, rows - 1);
    published_ = rows;
    endInsertRows();
}

void TMessageListModel::ClearLines()
{
    publishTimer_.stop();
    pending_ = false;
    beginResetModel();
    store_.Clear();
    std::vector<uint32_t>().swap(visible_);
    published_ = 0;
    pauseLine_ = 0;
    endResetModel();
}

QString TMessageListModel::LineText(int line) const
{
    return QString::fromStdString(store_.LineText(static_cast<size_t>(line)));
}

QString TMessageListModel::LineTextAsShown(int line) const
{
    QString text = LineText(line);
    const size_t at = static_cast<size_t>(line);
    if (showBytes_ && store_.Expanded(at)) {
        const TLocoNetMessage message(store_.BytesOf(at), store_.LengthOf(at));
        text += QStringLiteral("   [") + QString::fromStdString(message.HexText()).trimmed() + QLatin1Char(']');
    }
    if (!showTimes_)
        return text;
    const uint32_t timeMs = store_.TimeOf(at);
    const QString time = timeOfDayBaseMs_ < 0
                             ? TimeText(timeMs)
                             : QDateTime::fromMSecsSinceEpoch(timeOfDayBaseMs_ + timeMs).toString(QStringLiteral("HH:mm:ss.zzz"));
    return time + QLatin1Char(' ') + text;
}

void TMessageListModel::SetShowBytes(bool show)
{
    if (show == showBytes_)
        return;
    showBytes_ = show;
    if (published_ > 0)
        emit dataChanged(index(0), index(published_ - 1));
}

void TMessageListModel::SetTimeOfDayBase(int64_t wallMs)
{
    timeOfDayBaseMs_ = wallMs;
    if (published_ > 0 && showTimes_)
        emit dataChanged(index(0), index(published_ - 1));
}

void TMessageListModel::AppendLines(
    const std::function<bool(const uint8_t*& bytes, uint32_t& count, uint32_t& timeMs)>& next, bool expanded)
{
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
    uint32_t timeMs = 0;
    while (next(bytes, count, timeMs)) {
        if (!store_.Append(bytes, count, expanded, timeMs))
            break;
        const size_t line = store_.Count() - 1;
        if (filtered_ && !hidden_.test(store_.KindOf(line)))
            visible_.push_back(static_cast<uint32_t>(line));
    }
    if (!paused_)
        Flush();
}

QString TMessageListModel::TimeText(uint32_t timeMs)
{
    const uint32_t hours = timeMs / 3600000u;
    const uint32_t minutes = timeMs / 60000u % 60u;
    const uint32_t seconds = timeMs / 1000u % 60u;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hours)
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(timeMs % 1000u, 3, 10, QLatin1Char('0'));
}

void TMessageListModel::SetHiddenKinds(const TKindSet& hidden)
{
    beginResetModel();
    hidden_ = hidden;
    filtered_ = hidden_.any();
    std::vector<uint32_t>().swap(visible_);
    if (filtered_) {
        const size_t lines = store_.Count();
        size_t shown = 0;
        for (size_t line = 0; line < lines; ++line)
            shown += hidden_.test(store_.KindOf(line)) ? 0 : 1;
        visible_.reserve(shown);
        for (size_t line = 0; line < lines; ++line) {
            if (!hidden_.test(store_.KindOf(line)))
                visible_.push_back(static_cast<uint32_t>(line));
        }
    }
    published_ = AvailableRows();
    endResetModel();
}

void TMessageListModel::SetShowTimes(bool show)
{
    if (show == showTimes_)
        return;
    showTimes_ = show;
    if (published_ > 0)
        emit dataChanged(index(0), index(published_ - 1));
}

void TMessageListModel::SetPaused(bool paused)
{
    if (paused == paused_)
        return;
    if (paused) {
        // What arrived before the pause is still shown.
        Flush();
        pauseLine_ = LineCount();
        paused_ = true;
        publishTimer_.stop();
        return;
    }
    paused_ = false;
    Flush();
}

int TMessageListModel::WaitingLines() const
{
    return paused_ ? LineCount() - pauseLine_ : 0;
}

int TMessageListModel::FindRow(const QString& text, int from, bool forward) const
{
    const int rows = published_;
    if (text.isEmpty() || rows == 0)
        return -1;
    if (from < 0 || from >= rows)
        from = forward ? rows - 1 : 0;  // so the first step lands on the first (last) row
    int row = from;
    for (int step = 0; step < rows; ++step) {
        row = forward ? (row + 1) % rows : (row + rows - 1) % rows;
        if (LineTextAsShown(LineOfRow(row)).contains(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}
