#include "app/monitor/Messagelistview.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kTextMargin = 4;  // [px] left of each row's text
constexpr int kNoteGap = 2;     // [px] above and below the new-rows note
}

TMessageListView::TMessageListView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);

    note_ = new QPushButton(this);
    note_->setObjectName(QStringLiteral("NewRowsNote"));
    note_->setCursor(Qt::PointingHandCursor);
    note_->setFocusPolicy(Qt::NoFocus);
    note_->hide();
    connect(note_, &QPushButton::clicked, this, &TMessageListView::ScrollToBottom);

    QScrollBar* v = verticalScrollBar();
    connect(v, &QScrollBar::valueChanged, this, [this] {
        if (!scrollingByCode_)
            UserScrolled();
    });
    connect(v, &QScrollBar::sliderPressed, this, [this] { StopFollowing(); });
    connect(v, &QScrollBar::sliderReleased, this, &TMessageListView::UserScrolled);
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
    // Fewer rows than when following stopped: the list was cleared.
    if (rows < rowsWhenLeft_ || rows == 0)
        following_ = true;
    UpdateScrollBars();
    if (following_)
        SetScrollValue(verticalScrollBar()->maximum());
    UpdateNote();
    viewport()->update();
}

void TMessageListView::SetScrollValue(int value)
{
    scrollingByCode_ = true;
    verticalScrollBar()->setValue(value);
    scrollingByCode_ = false;
}

void TMessageListView::StopFollowing()
{
    if (!following_)
        return;
    following_ = false;
    rowsWhenLeft_ = RowCount();
    UpdateNote();
}

void TMessageListView::UserScrolled()
{
    QScrollBar* v = verticalScrollBar();
    // While the handle is held the rows must not move under it.
    if (v->isSliderDown() || v->value() < v->maximum()) {
        StopFollowing();
        return;
    }
    following_ = true;
    UpdateNote();
}

int TMessageListView::WaitingRows() const
{
    return following_ ? 0 : std::max(0, RowCount() - rowsWhenLeft_);
}

void TMessageListView::UpdateNote()
{
    const int waiting = WaitingRows();
    if (waiting == 0) {
        note_->hide();
        ReserveNoteRoom(0);
        return;
    }
    note_->setText(waiting == 1 ? QStringLiteral("1 new line below: click here or press End to follow")
                                : QStringLiteral("%1 new lines below: click here or press End to follow").arg(waiting));
    // The note has a strip of its own below the rows: drawn over them it
    // would hide the last lines in sight, or the one Find just selected.
    ReserveNoteRoom(note_->sizeHint().height() + 2 * kNoteGap);
    PlaceNote();
    note_->show();
    note_->raise();
}

void TMessageListView::ReserveNoteRoom(int height)
{
    if (viewportMargins().bottom() == height)
        return;
    setViewportMargins(0, 0, 0, height);
    UpdateScrollBars();
    if (following_)
        SetScrollValue(verticalScrollBar()->maximum());
    else if (current_ >= 0 && current_ >= TopRow() && current_ < TopRow() + VisibleRows() + 2)
        ScrollToRow(current_);  // a selected row the strip pushed out of sight comes back
}

void TMessageListView::PlaceNote()
{
    const QSize hint = note_->sizeHint();
    const QRect area = viewport()->geometry();
    note_->setGeometry(area.center().x() - hint.width() / 2, area.bottom() + 1 + kNoteGap, hint.width(),
                       hint.height());
}

void TMessageListView::UpdateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    const bool byCode = scrollingByCode_;
    scrollingByCode_ = true;
    v->setPageStep(VisibleRows());
    v->setRange(0, std::max(0, RowCount() - VisibleRows()));
    scrollingByCode_ = byCode;
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(fontMetrics().averageCharWidth() * 4);
    h->setRange(0, std::max(0, widest_ - viewport()->width()));
}

void TMessageListView::ScrollToBottom()
{
    UpdateScrollBars();
    SetScrollValue(verticalScrollBar()->maximum());
    following_ = true;
    UpdateNote();
}

void TMessageListView::ScrollToRow(int row)
{
    // Bringing a row into sight is not a return to the end: only End is.
    if (row < TopRow())
        SetScrollValue(row);
    else if (row >= TopRow() + VisibleRows())
        SetScrollValue(row - VisibleRows() + 1);
}

void TMessageListView::HoldAtRow(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    StopFollowing();
    SelectRows(row, row);
    ScrollToRow(row);
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
    UpdateScrollBars();
    if (following_)
        SetScrollValue(verticalScrollBar()->maximum());
    if (note_->isVisible())
        PlaceNote();
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
    StopFollowing();
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
        StopFollowing();
        SelectRows(0, RowCount() - 1);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const int from = current_ >= 0 ? current_ : TopRow();
    switch (event->key()) {
    case Qt::Key_End:
        // Back to the end: the newest row is followed again.
        MoveCurrent(RowCount() - 1, extend);
        ScrollToBottom();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
        StopFollowing();
        break;
    default:
        break;
    }
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
