// The list model behind the message display: rows are the store's lines,
// rendered to text only when the view asks for a row.
#pragma once

#include "app/Messagestore.h"

#include <QAbstractListModel>

class TLocoNetMessage;

class TMessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TMessageListModel(QObject* parent = nullptr);

    // QAbstractListModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Lines
    void AppendMessage(const TLocoNetMessage& message, bool expanded);
    void ClearLines();
    QString LineText(int row) const;
    const TMessageStore& Store() const { return store_; }

private:
    TMessageStore store_;
};
