#pragma once

#include "ImageList.h"

#include <QList>
#include <QObject>
#include <QString>

namespace norvale {

// A menu item or a toolbar button. Menu items are addressed by their index
// in their menu (from 1), toolbar buttons by position (from 1) and key.
struct CommandItem {
    QString key; // toolbar buttons only
    QString caption;
    QString tooltip;
    ImageKey icon = ImageKey::None;
    QString shortcut;
    bool separator = false;
    bool enabled = true;
    bool visible = true;
    int command = 0; // what a click runs; 0 runs nothing
};

struct CommandMenu {
    QString name;    // mnuEditMenu, ...
    QString caption; // "&Edit"; empty or " " for the context menus
    bool popupOnly = false;
    QList<CommandItem> items;
};

enum class TaskItemKind { Link = 0, Text = 1 };

struct TaskItem {
    QString key;
    QString text;
    ImageKey icon = ImageKey::None;
    TaskItemKind kind = TaskItemKind::Link;
    bool available = true;
    QString tooltip; // the item's second text
    bool bold = false;
    int command = 0;
};

struct TaskGroup {
    QString key;
    QString title;
    QList<TaskItem> items;
};

// The commands of the main window as data: the menus, the toolbar and the
// task pane with their captions, icons and enabled flags. Widgets render it
// and report clicks; logic and tests use it directly.
class CommandSurface : public QObject {
    Q_OBJECT
public:
    explicit CommandSurface(QObject* parent = nullptr);

    void addMenu(const CommandMenu& menu);
    void setToolbar(const QList<CommandItem>& buttons);
    void addTaskGroup(const TaskGroup& group);
    void clear();

    const QList<CommandMenu>& menus() const { return m_menus; }
    const QList<CommandItem>& toolbarButtons() const { return m_toolbar; }
    const QList<TaskGroup>& taskGroups() const { return m_groups; }

    const CommandMenu* menu(const QString& name) const;
    const CommandItem* menuItem(const QString& menu, int index) const;
    const CommandItem* toolbarButton(int position) const;
    const TaskItem* taskItem(const QString& key) const;

    void setMenuItemEnabled(const QString& menu, int index, bool enabled);
    void setToolbarEnabled(int position, bool enabled);
    void setTaskAvailable(const QString& key, bool available);
    void setTaskText(const QString& key, const QString& text);
    void setTaskTooltip(const QString& key, const QString& tooltip);
    void setTaskKind(const QString& key, TaskItemKind kind);
    void setTaskBold(const QString& key, bool bold);

    // Drawing held back: views hear of the changes once, at the end (one
    // rebuild when menus, toolbar or task groups were replaced meanwhile).
    void suspendDrawing();
    void resumeDrawing();

Q_SIGNALS:
    void changed();
    void rebuilt();

private:
    CommandItem* findMenuItem(const QString& menu, int index);
    TaskItem* findTaskItem(const QString& key);
    void touched();
    void restructured();

    QList<CommandMenu> m_menus;
    QList<CommandItem> m_toolbar;
    QList<TaskGroup> m_groups;
    int m_suspended = 0;
    bool m_dirty = false;
    bool m_rebuildPending = false;
};

} // namespace norvale
