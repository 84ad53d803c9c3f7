// The list model behind the message display: rows are the store's lines,
// rendered to text only when the view asks for a row.
//
// A list view lays out all its rows again whenever rows are inserted, which
// costs time in proportion to the rows held. So new lines are announced to
// the view at most every kPublishIntervalMs: a line that arrives after a
// quiet spell shows at once, a busy bus shows its lines in batches.
//
// The operator's options work on the rows, never on the kept lines: a kind
// filter maps rows to the lines of the kinds shown (an index rebuilt in one
// pass when the filter changes, so old lines obey it too), a pause stops
// announcing rows while lines are still kept, and the arrival time can be
// put in front of each row.
#pragma once

#include "app/monitor/Messagestore.h"
#include "link/Lnmessage.h"

#include <QAbstractListModel>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class TMessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kPublishIntervalMs = 100;

    explicit TMessageListModel(QObject* parent = nullptr);

    // QAbstractListModel: the rows announced so far.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Lines
    void AppendMessage(const TLocoNetMessage& message, bool expanded, uint32_t timeMs = 0);
    // Many lines at once, as from a recording: kept, then announced in one go.
    void AppendLines(const std::function<bool(const uint8_t*& bytes, uint32_t& count, uint32_t& timeMs)>& next,
                     bool expanded);
    void ClearLines();
    // Announces every line kept so far (up to the pause, while paused).
    void Flush();
    int LineCount() const { return static_cast<int>(store_.Count()); }
    QString LineText(int line) const;
    const TMessageStore& Store() const { return store_; }

    // Options
    void SetHiddenKinds(const TKindSet& hidden);
    const TKindSet& HiddenKinds() const { return hidden_; }
    bool Shows(int line) const { return !hidden_.test(store_.KindOf(static_cast<size_t>(line))); }
    // Lines kept that the filter lets through (shown, or waiting while paused).
    int ShownLines() const { return filtered_ ? static_cast<int>(visible_.size()) : LineCount(); }
    void SetShowTimes(bool show);
    bool ShowTimes() const { return showTimes_; }
    // Each decoded line followed by its bytes (raw lines show only bytes already).
    void SetShowBytes(bool show);
    bool ShowBytes() const { return showBytes_; }
    // Times as the time of day: the wall clock [ms since 1970] of time 0;
    // -1 for times since the link opened.
    void SetTimeOfDayBase(int64_t wallMs);
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    int WaitingLines() const;  // kept since the pause and not shown yet

    // Rows
    int LineOfRow(int row) const { return filtered_ ? static_cast<int>(visible_[static_cast<size_t>(row)]) : row; }
    QString LineTextAsShown(int line) const;  // with the time in front when times are shown
    // The next (or previous) announced row after `from` whose text holds
    // `text` in any case, going round the end; -1 when no row does.
    int FindRow(const QString& text, int from, bool forward) const;

    // "0:01:02.345": hours, minutes, seconds and milliseconds since the link opened.
    static QString TimeText(uint32_t timeMs);

private:
    void PublishTimeout();
    int AvailableRows() const;

    TMessageStore store_;
    int published_ = 0;
    bool pending_ = false;
    QTimer publishTimer_;

    TKindSet hidden_;
    bool filtered_ = false;
    std::vector<uint32_t> visible_;  // lines shown while filtered, in order
    bool showTimes_ = false;
    bool showBytes_ = false;
    int64_t timeOfDayBaseMs_ = -1;
    bool paused_ = false;
    int pauseLine_ = 0;  // lines kept when the pause began
};
