#include "app/Messagelistmodel.h"

#include "link/Lnmessage.h"

TMessageListModel::TMessageListModel(QObject* parent) : QAbstractListModel(parent) {}

int TMessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(store_.Count());
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(store_.Count()))
        return {};
    return LineText(index.row());
}

void TMessageListModel::AppendMessage(const TLocoNetMessage& message, bool expanded)
{
    const int row = static_cast<int>(store_.Count());
    beginInsertRows(QModelIndex(), row, row);
    store_.Append(message, expanded);
    endInsertRows();
}

void TMessageListModel::ClearLines()
{
    beginResetModel();
    store_.Clear();
    endResetModel();
}

QString TMessageListModel::LineText(int row) const
{
    return QString::fromStdString(store_.LineText(static_cast<size_t>(row)));
}
