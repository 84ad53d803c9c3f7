#include "app/monitor/Messagelistmodel.h"

#include "link/Lnmessage.h"

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
    return LineText(index.row());
}

void TMessageListModel::AppendMessage(const TLocoNetMessage& message, bool expanded)
{
    if (!store_.Append(message, expanded))
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

void TMessageListModel::Flush()
{
    pending_ = false;
    const int lines = LineCount();
    if (lines <= published_)
        return;
    beginInsertRows(QModelIndex(), published_, lines - 1);
    published_ = lines;
    endInsertRows();
}

void TMessageListModel::ClearLines()
{
    publishTimer_.stop();
    pending_ = false;
    beginResetModel();
    store_.Clear();
    published_ = 0;
    endResetModel();
}

QString TMessageListModel::LineText(int line) const
{
    return QString::fromStdString(store_.LineText(static_cast<size_t>(line)));
}
