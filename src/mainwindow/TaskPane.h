#pragma once

#include <QHash>
#include <QIcon>
#include <QScrollArea>
#include <QVector>

class QToolButton;

namespace norvale {

class CommandSurface;
class TaskItemWidget;

// The task pane: collapsible titled groups of link items (icon and text,
// underlined under the pointer) and text items, drawn from the command
// surface's task groups. Unavailable items look and act disabled. Available
// links are reached with Tab and the arrow keys and run with Enter or Space.
class TaskPane : public QScrollArea {
    Q_OBJECT
public:
    TaskPane(CommandSurface& surface, QVector<QIcon> images, QWidget* parent = nullptr);

    QWidget* itemWidget(const QString& key) const;
    QToolButton* groupHeader(const QString& key) const;
    bool isGroupOpen(const QString& key) const;

Q_SIGNALS:
    void itemClicked(const QString& key);

private:
    void rebuild();
    void refresh();
    void step(TaskItemWidget* from, int direction);

    CommandSurface& m_surface;
    QVector<QIcon> m_images;
    QHash<QString, TaskItemWidget*> m_items;
    QList<TaskItemWidget*> m_order; // top to bottom
    QHash<QString, QToolButton*> m_headers;
    QHash<QString, QWidget*> m_bodies;
};

} // namespace norvale
