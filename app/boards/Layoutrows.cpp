#include "app/boards/Layoutrows.h"

#include "boards/core/Boarddata.h"

#include <QBrush>
#include <QColor>
#include <QProgressBar>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {

const QColor kGoodColour(200, 235, 200);
const QColor kBadColour(250, 205, 195);
const QColor kNewColour(255, 235, 170);

int timeoutOverrideMs = 0;

}  // namespace

int TLayoutSnapshotTimeoutOverride()
{
    return timeoutOverrideMs;
}

void SetLayoutTimeoutOverride(int ms)
{
    timeoutOverrideMs = ms;
}

TQtLayoutTimer::TQtLayoutTimer(QObject* owner, std::function<void(uint64_t)> expired, int overrideMs)
    : expired_(std::move(expired)), overrideMs_(overrideMs)
{
    timer_ = new QTimer(owner);
    timer_->setSingleShot(true);
    // The 20 ms pause between messages must not grow to a coarse timer's grain.
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, owner, [this] { expired_(token_); });
}

void TQtLayoutTimer::Start(int ms, uint64_t token)
{
    token_ = token;
    timer_->start(overrideMs_ > 0 && ms >= 1000 ? overrideMs_ : ms);
}

void SetUpLayoutTable(QTreeWidget* table)
{
    table->setColumnCount(kLayoutColumnCount);
    table->setHeaderLabels({QStringLiteral("Serial"), QStringLiteral("Type"), QStringLiteral("Name"),
                            QStringLiteral("State"), QStringLiteral("Details")});
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setColumnWidth(kLayoutSerialColumn, 130);
    table->setColumnWidth(kLayoutTypeColumn, 70);
    table->setColumnWidth(kLayoutNameColumn, 260);
    table->setColumnWidth(kLayoutStateColumn, 100);
}

void ShowLayoutRow(QTreeWidgetItem* item, const TLayoutBoard& board, TLayoutTask task)
{
    if (!item)
        return;
    const TSnapshotEntry& e = board.entry;
    QString serial = QString::number(e.address);
    if (e.serial != e.address)
        serial += QStringLiteral(" (serial %1)").arg(e.serial);
    item->setText(kLayoutSerialColumn, serial);
    item->setText(kLayoutTypeColumn, e.IsFamily()
                                         ? QString::fromStdString(TBoardData::ShortTypeName(static_cast<uint8_t>(e.type)))
                                         : QStringLiteral("SV2"));
    item->setText(kLayoutNameColumn, QString::fromStdString(board.description.empty() ? e.product : board.description));
    item->setText(kLayoutStateColumn, QString::fromStdString(LayoutStateText(board.state, task)));
    // Verify compares with a snapshot, a check with the configuration.
    const std::string reference = task == TLayoutTask::eVerify ? "snapshot" : "configuration";
    QStringList details;
    if (!board.reason.empty())
        details << QString::fromStdString(board.reason);
    for (const TBoardDifference& d : board.differences)
        details << QString::fromStdString(DifferenceText(d, reference, "board"));
    item->setText(kLayoutDetailsColumn, details.join(QStringLiteral("; ")));
    item->setToolTip(kLayoutDetailsColumn, details.join('\n'));
    QColor colour;
    switch (board.state) {
    case TLayoutBoardState::eRead:
    case TLayoutBoardState::eSame:
    case TLayoutBoardState::eRestored:
        colour = kGoodColour;
        break;
    case TLayoutBoardState::eDifferent:
    case TLayoutBoardState::eFailed:
    case TLayoutBoardState::eNotAnswering:
        colour = kBadColour;
        break;
    case TLayoutBoardState::eNew:
        colour = kNewColour;
        break;
    default:
        break;
    }
    item->setBackground(kLayoutStateColumn, colour.isValid() ? QBrush(colour) : QBrush());
}

QProgressBar* MakeLayoutProgressBar(QWidget* parent, TLayoutBar which)
{
    auto* bar = new QProgressBar(parent);
    const bool run = which == TLayoutBar::eRun;
    bar->setObjectName(run ? QStringLiteral("RunProgressBar") : QStringLiteral("BoardProgressBar"));
    bar->setFormat(run ? QStringLiteral("%v of %m boards") : QStringLiteral("SV %v of %m"));
    ShowLayoutProgress(bar, 0, 1);
    return bar;
}

void ShowLayoutProgress(QProgressBar* bar, int value, int maximum)
{
    const int top = std::max(maximum, 1);
    bar->setRange(0, top);
    bar->setValue(std::clamp(value, 0, top));
}

void ShowLayoutBoards(QTreeWidget* table, const TLayoutEngine& engine)
{
    table->clear();
    for (const TLayoutBoard& board : engine.Boards())
        ShowLayoutRow(new QTreeWidgetItem(table), board, engine.Task());
    // Serial and name as wide as this layout needs (within the widths set up
    // for the longest), so that the details, the settings that differ, get
    // the rest of the row.
    if (table->topLevelItemCount() == 0)
        return;
    for (const auto& [column, widest] : {std::pair{kLayoutSerialColumn, 130}, std::pair{kLayoutNameColumn, 260}}) {
        table->resizeColumnToContents(column);
        table->setColumnWidth(column, std::clamp(table->columnWidth(column) + 16, 70, widest));
    }
}

void ShowLayoutBoard(QTreeWidget* table, const TLayoutEngine& engine, int row)
{
    QTreeWidgetItem* item = table->topLevelItem(row);
    if (!item || row >= static_cast<int>(engine.Boards().size()))
        return;
    ShowLayoutRow(item, engine.Boards()[static_cast<size_t>(row)], engine.Task());
    table->scrollToItem(item);
}
