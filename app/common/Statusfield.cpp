#include "app/common/Statusfield.h"

#include <QPainter>

TStatusField::TStatusField(const QString& text, int minimumWidth, QWidget* parent)
    : QLabel(parent), minimumWidth_(minimumWidth)
{
    setText(text);
    setTextFormat(Qt::PlainText);
    setContentsMargins(4, 0, 4, 0);
}

void TStatusField::setText(const QString& text)
{
    QLabel::setText(text);
    setToolTip(text);
}

QSize TStatusField::minimumSizeHint() const
{
    return {minimumWidth_, QLabel::minimumSizeHint().height()};
}

void TStatusField::paintEvent(QPaintEvent*)
{
    // Whoever set the text through QLabel still gets a tooltip that reads in full.
    if (toolTip() != text())
        setToolTip(text());
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
