#include "FavoritesTreeView.h"

#include <QMouseEvent>

namespace norvale {

FavoritesTreeView::FavoritesTreeView(QWidget* parent)
    : QTreeView(parent)
{
    setObjectName(QStringLiteral("tvFolders"));
    setHeaderHidden(true);
    setUniformRowHeights(true); // keeps 100,000 rows fast
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::EditKeyPressed);
}

void FavoritesTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void FavoritesTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT rightButtonReleased(event->globalPosition().toPoint());
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

} // namespace norvale
