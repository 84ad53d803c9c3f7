#include "app/monitor/Messagelistview.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kTextMargin = 4;  // [px] left of each row's text
}

TMessageListView::TMessageListView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

void TMessageListView::setModel(QAbstractItemModel* model)
{
    if (model_ != nullptr)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    anchor_ = current_ = -1;
    if (model_ != nullptr) {
        connect(model_, &QAbstractItemModel::rowsInserted, this, &TMessageListView::RowsChanged);
        connect(model_, &QAbstractItemModel::rowsRemoved, this, &TMessageListView::RowsChanged);
        connect(model_, &QAbstractItemModel::modelReset, this, [this] {
            anchor_ = current_ = -1;
            RowsChanged();
        });
        connect(model_, &QAbstractItemModel::dataChanged, viewport(), qOverload<>(&QWidget::update));
        connect(model_, &QObject::destroyed, this, [this] {
            model_ = nullptr;
            RowsChanged();
        });
    }
    RowsChanged();
}

int TMessageListView::LineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing() + 2);
}

int TMessageListView::TopRow() const
{
    return verticalScrollBar()->value();
}

int TMessageListView::VisibleRows() const
{
    return std::max(1, viewport()->height() / LineHeight());
}

int TMessageListView::RowCount() const
{
    return model_ != nullptr ? model_->rowCount() : 0;
}

int TMessageListView::RowAt(int y) const
{
    const int row = TopRow() + std::max(0, y) / LineHeight();
    return row < RowCount() ? row : -1;
}

void TMessageListView::RowsChanged()
{
    const int rows = RowCount();
    if (current_ >= rows || anchor_ >= rows)
        anchor_ = current_ = -1;
    UpdateScrollBars();
    viewport()->update();
}

void TMessageListView::UpdateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(VisibleRows());
    v->setRange(0, std::max(0, RowCount() - VisibleRows()));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(fontMetrics().averageCharWidth() * 4);
    h->setRange(0, std::max(0, widest_ - viewport()->width()));
}

void TMessageListView::ScrollToBottom()
{
    UpdateScrollBars();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TMessageListView::ScrollToRow(int row)
{
    if (row < TopRow())
        verticalScrollBar()->setValue(row);
    else if (row >= TopRow() + VisibleRows())
        verticalScrollBar()->setValue(row - VisibleRows() + 1);
}

void TMessageListView::SelectRows(int anchor, int current)
{
    const int rows = RowCount();
    if (rows == 0) {
        ClearSelection();
        return;
    }
    anchor_ = std::clamp(anchor, 0, rows - 1);
    current_ = std::clamp(current, 0, rows - 1);
    viewport()->update();
}

void TMessageListView::ClearSelection()
{
    anchor_ = current_ = -1;
    viewport()->update();
}

bool TMessageListView::IsSelected(int row) const
{
    if (current_ < 0)
        return false;
    return row >= std::min(anchor_, current_) && row <= std::max(anchor_, current_);
}

QString TMessageListView::SelectedText() const
{
    if (current_ < 0 || model_ == nullptr)
        return {};
    QStringList lines;
    for (int row = std::min(anchor_, current_); row <= std::max(anchor_, current_); ++row)
        lines << model_->data(model_->index(row, 0)).toString();
    return lines.join(QLatin1Char('\n'));
}

void TMessageListView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (model_ == nullptr)
        return;
    const int height = LineHeight();
    const int rows = RowCount();
    const int top = TopRow();
    const int shift = horizontalScrollBar()->value();
    const int width = viewport()->width();
    const QFontMetrics metrics = fontMetrics();
    int widest = widest_;
    for (int row = top, y = 0; row < rows && y < viewport()->height(); ++row, y += height) {
        const QString text = model_->data(model_->index(row, 0)).toString();
        const QRect line(0, y, width, height);
        if (IsSelected(row)) {
            painter.fillRect(line, palette().brush(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(QRect(kTextMargin - shift, y, width + shift, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        widest = std::max(widest, metrics.horizontalAdvance(text) + 2 * kTextMargin);
    }
    if (widest != widest_) {
        widest_ = widest;
        horizontalScrollBar()->setRange(0, std::max(0, widest_ - width));
    }
}

void TMessageListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool atBottom = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    UpdateScrollBars();
    if (atBottom)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TMessageListView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TMessageListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int row = RowAt(event->position().toPoint().y());
    if (row < 0) {
        ClearSelection();
        return;
    }
    MoveCurrent(row, (event->modifiers() & Qt::ShiftModifier) && current_ >= 0);
}

void TMessageListView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || current_ < 0)
        return QAbstractScrollArea::mouseMoveEvent(event);
    const int y = event->position().toPoint().y();
    int row = RowAt(y);
    if (y < 0)
        row = std::max(0, TopRow() - 1);
    else if (row < 0)
        row = RowCount() - 1;
    MoveCurrent(row, true);
}

void TMessageListView::MoveCurrent(int row, bool extend)
{
    const int rows = RowCount();
    if (rows == 0)
        return;
    row = std::clamp(row, 0, rows - 1);
    SelectRows(extend && anchor_ >= 0 ? anchor_ : row, row);
    ScrollToRow(row);
}

void TMessageListView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        const QString text = SelectedText();
        if (!text.isEmpty())
            QApplication::clipboard()->setText(text);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectRows(0, RowCount() - 1);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const int from = current_ >= 0 ? current_ : TopRow();
    switch (event->key()) {
    case Qt::Key_Up:
        MoveCurrent(from - 1, extend);
        return;
    case Qt::Key_Down:
        MoveCurrent(from + 1, extend);
        return;
    case Qt::Key_PageUp:
        MoveCurrent(from - VisibleRows(), extend);
        return;
    case Qt::Key_PageDown:
        MoveCurrent(from + VisibleRows(), extend);
        return;
    case Qt::Key_Home:
        MoveCurrent(0, extend);
        return;
    case Qt::Key_End:
        MoveCurrent(RowCount() - 1, extend);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TMessageListView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        widest_ = 0;
        UpdateScrollBars();
        viewport()->update();
    }
}
