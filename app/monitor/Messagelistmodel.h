// The list model behind the message display: rows are the store's lines,
// rendered to text only when the view asks for a row.
//
// A list view lays out all its rows again whenever rows are inserted, which
// costs time in proportion to the rows held. So new lines are announced to
// the view at most every kPublishIntervalMs: a line that arrives after a
// quiet spell shows at once, a busy bus shows its lines in batches.
#pragma once

#include "app/monitor/Messagestore.h"

#include <QAbstractListModel>
#include <QTimer>

class TLocoNetMessage;

class TMessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kPublishIntervalMs = 100;

    explicit TMessageListModel(QObject* parent = nullptr);

    // QAbstractListModel: the rows announced so far.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Lines
    void AppendMessage(const TLocoNetMessage& message, bool expanded);
    void ClearLines();
    // Announces every line kept so far.
    void Flush();
    int LineCount() const { return static_cast<int>(store_.Count()); }
    QString LineText(int line) const;
    const TMessageStore& Store() const { return store_; }

private:
    void PublishTimeout();

    TMessageStore store_;
    int published_ = 0;
    bool pending_ = false;
    QTimer publishTimer_;
};
