#include "FavoritesTreeView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
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

// The menu that opens acts on the selected node, so the node under the
// pointer becomes the selected one first; anything else would let a command
// hit a node the user did not point at.
void FavoritesTreeView::rightPress(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    m_rightPressOnNode = index.isValid();
    if (m_rightPressOnNode)
        setCurrentIndex(index);
    event->accept();
}

void FavoritesTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        rightPress(event);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void FavoritesTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (std::exchange(m_rightPressOnNode, false))
            Q_EMIT contextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

// A quick second right click is a press like the first: it neither launches
// nor opens or closes a folder.
void FavoritesTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        rightPress(event);
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void FavoritesTreeView::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex current = currentIndex();
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && state() != EditingState) {
        event->accept();
        if (current.isValid()) {
            scrollTo(current);
            const QRect item = visualRect(current);
            Q_EMIT contextMenuRequested(
                viewport()->mapToGlobal(QPoint(item.left() + item.height(), item.bottom())));
        }
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && current.isValid()) {
        event->accept();
        Q_EMIT enterPressed(current);
        return;
    }
    QTreeView::keyPressEvent(event);
}

// The mouse and the keys above open the menus; the platform's own context
// menu event (sent besides them on some desktops) must not open a second.
void FavoritesTreeView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

} // namespace norvale
