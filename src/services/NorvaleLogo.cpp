#include "NorvaleLogo.h"

#include <cmath>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace norvale {

namespace {

// A five-pointed star around centre with the given outer radius.
QPolygonF star(QPointF centre, qreal outer)
{
    QPolygonF points;
    const qreal inner = outer * 0.42;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = i % 2 == 0 ? outer : inner;
        points << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return points;
}

} // namespace

QPixmap DrawNorvaleLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything below is laid out on a 64 x 64 grid.
    painter.scale(size / 64.0, size / 64.0);

    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(0x3a, 0x7b, 0xd5));
    tile.setColorAt(1, QColor(0x1d, 0x4e, 0x9a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The folder: a tab and a body.
    const QColor folder(0xf6, 0xc3, 0x4a);
    painter.setBrush(folder.darker(115));
    painter.drawRoundedRect(QRectF(11, 17, 18, 8), 2, 2);
    painter.setBrush(folder);
    painter.drawRoundedRect(QRectF(11, 21, 42, 28), 3, 3);

    painter.setBrush(QColor(0xff, 0xff, 0xff, 235));
    painter.drawPolygon(star(QPointF(27, 35), 10));

    // The tick that says the favorites are checked.
    QPainterPath tick;
    tick.moveTo(36, 37);
    tick.lineTo(42, 44);
    tick.lineTo(54, 28);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x1f, 0x8a, 0x3b), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.setPen(QPen(QColor(0x5c, 0xd6, 0x6e), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.end();
    return pixmap;
}

} // namespace norvale
