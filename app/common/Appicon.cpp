#include "app/common/Appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x4e, 0x79));
        painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s / 6, s / 6);
        // A trace across the face: the bus as the monitor sees it.
        QPainterPath trace;
        trace.moveTo(s * 0.12, s * 0.62);
        trace.lineTo(s * 0.32, s * 0.62);
        trace.lineTo(s * 0.42, s * 0.25);
        trace.lineTo(s * 0.56, s * 0.80);
        trace.lineTo(s * 0.66, s * 0.45);
        trace.lineTo(s * 0.88, s * 0.45);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0x9c, 0xe0, 0x6c), qMax<qreal>(1.5, s / 12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(trace);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
