// What the windows of the layout engine share: its timers on QTimer and a
// board's row in their tables.
#pragma once

#include "programming/Tlayoutengine.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// One engine timer on a one-shot QTimer; the expiry goes back to the engine
// with the token the timer was armed with. overrideMs shortens the reply
// timeouts (1 s and longer) for tests, never the pacing pause.
class TQtLayoutTimer : public IEngineTimer {
public:
    TQtLayoutTimer(QObject* owner, std::function<void(uint64_t)> expired, int overrideMs = 0);
    void Start(int ms, uint64_t token) override;
    void Stop() override { timer_->stop(); }

private:
    QTimer* timer_;
    std::function<void(uint64_t)> expired_;
    int overrideMs_;
    uint64_t token_ = 0;
};

// The reply timeout the layout windows made from now on use instead of the
// engines' 5000 ms (0: the engines' own), so tests need not wait.
int TLayoutSnapshotTimeoutOverride();
void SetLayoutTimeoutOverride(int ms);

// Columns of a layout table.
enum { kLayoutSerialColumn, kLayoutTypeColumn, kLayoutNameColumn, kLayoutStateColumn, kLayoutDetailsColumn,
       kLayoutColumnCount };

// A table with the layout columns ("Serial", "Type", "Name", "State", "Details").
void SetUpLayoutTable(QTreeWidget* table);
// The two bars of a run, empty: the boards finished of all, and the SVs of
// the board under way.
enum class TLayoutBar : uint8_t { eRun, eBoard };
QProgressBar* MakeLayoutProgressBar(QWidget* parent, TLayoutBar bar);
// value of maximum (a maximum below 1 shows an empty bar).
void ShowLayoutProgress(QProgressBar* bar, int value, int maximum);
// Every board of the engine's run in the table, anew.
void ShowLayoutBoards(QTreeWidget* table, const TLayoutEngine& engine);
// One board's row again, scrolled into view: the board under way stays in
// sight on a long layout.
void ShowLayoutBoard(QTreeWidget* table, const TLayoutEngine& engine, int row);
// Shows the board in its row: the state coloured, the reason and the SVs
// that differ in the details.
void ShowLayoutRow(QTreeWidgetItem* item, const TLayoutBoard& board, TLayoutTask task);
