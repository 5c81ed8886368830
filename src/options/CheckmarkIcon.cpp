#include "CheckmarkIcon.h"

#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

namespace norvale {

QImage DrawCheckmark(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    QPainterPath tick;
    tick.moveTo(2.5 * unit, 8.5 * unit);
    tick.lineTo(6.5 * unit, 12.5 * unit);
    tick.lineTo(13.5 * unit, 3.5 * unit);
    // A dark edge under a bright stroke keeps the mark visible on light and
    // dark toolbars alike.
    painter.setPen(
        QPen(QColor(0x1b, 0x5e, 0x20), 3.2 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.setPen(
        QPen(QColor(0x43, 0xa0, 0x47), 2.0 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.end();
    return image;
}

bool InstallCheckmarkIcon(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    const QByteArray format =
        QImageWriter::supportedImageFormats().contains("ico") ? QByteArray("ico") : "png";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!DrawCheckmark().save(&buffer, format.constData()))
        return false;
    try {
        WriteFileAtomically(path, bytes);
    } catch (const NorvaleError&) {
        return false;
    }
    return true;
}

} // namespace norvale
