#include "ImagePainter.h"

#include "platform/ImageList.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace norvale {

namespace {

// A round light with a mark inside, drawn at 1x and 2x.
QIcon lightIcon(const QColor& fill, const QString& mark)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(fill.darker(170), 1));
        painter.setBrush(fill);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        if (!mark.isEmpty()) {
            QFont font = painter.font();
            font.setPixelSize(10);
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(fill.lightness() > 140 ? Qt::black : Qt::white);
            painter.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, mark);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon commandIcon(const QString& letter)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(70, 90, 130));
        painter.setBrush(QColor(225, 232, 245));
        painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        QFont font = painter.font();
        font.setPixelSize(9);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, letter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QVector<QIcon> PaintImages(const ImageList& images)
{
    QStyle* style = QApplication::style();
    QVector<QIcon> icons(images.count() + 1);
    for (int position = 1; position <= images.count(); ++position) {
        const QString key = images.key(position);
        QIcon icon;
        if (key == QLatin1String("FOLDER"))
            icon = style->standardIcon(QStyle::SP_DirClosedIcon);
        else if (key == QLatin1String("OPENFOLDER"))
            icon = style->standardIcon(QStyle::SP_DirOpenIcon);
        else if (key == QLatin1String("IELOGO"))
            icon = style->standardIcon(QStyle::SP_FileLinkIcon);
        else if (key == QLatin1String("GREENDOT") || key == QLatin1String("GREENCHECK"))
            icon = lightIcon(QColor(40, 170, 60), QStringLiteral("\u2713"));
        else if (key == QLatin1String("NEWGREENDOT") || key == QLatin1String("GREENNEW"))
            icon = lightIcon(QColor(40, 170, 60), QStringLiteral("N"));
        else if (key == QLatin1String("REDDOT") || key == QLatin1String("REDRESULT"))
            icon = lightIcon(QColor(200, 40, 40), QStringLiteral("\u2715"));
        else if (key == QLatin1String("YELLOWDOT") || key == QLatin1String("YELLOWRESULT"))
            icon = lightIcon(QColor(240, 200, 40), QStringLiteral("?"));
        else if (key == QLatin1String("GRAYDOT"))
            icon = lightIcon(QColor(160, 160, 160), QStringLiteral("\u2013"));
        else if (key == QLatin1String("BLACKDOT"))
            icon = lightIcon(QColor(30, 30, 30), QString());
        else
            icon = commandIcon(key.left(1));
        icons[position] = icon;
    }
    return icons;
}

} // namespace norvale
