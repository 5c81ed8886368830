#include "CommandSurface.h"

#include <algorithm>

namespace norvale {

CommandSurface::CommandSurface(QObject* parent)
    : QObject(parent)
{}

void CommandSurface::addMenu(const CommandMenu& menu)
{
    m_menus.append(menu);
    restructured();
}

void CommandSurface::setToolbar(const QList<CommandItem>& buttons)
{
    m_toolbar = buttons;
    restructured();
}

void CommandSurface::addTaskGroup(const TaskGroup& group)
{
    m_groups.append(group);
    restructured();
}

void CommandSurface::clear()
{
    m_menus.clear();
    m_toolbar.clear();
    m_groups.clear();
    restructured();
}

// Views rebuild everything on a structural change; while drawing is held
// back they do so once, at the end.
void CommandSurface::restructured()
{
    if (m_suspended > 0)
        m_rebuildPending = true;
    else
        Q_EMIT rebuilt();
}

const CommandMenu* CommandSurface::menu(const QString& name) const
{
    for (const CommandMenu& menu : m_menus) {
        if (menu.name == name)
            return &menu;
    }
    return nullptr;
}

namespace {

const CommandItem* FindCommand(const QList<CommandItem>& items, Command command)
{
    if (command == Command::None)
        return nullptr; // separators and the like
    const auto found = std::find_if(items.begin(), items.end(), [command](const CommandItem& item) {
        return item.command == command;
    });
    return found != items.end() ? &*found : nullptr;
}

} // namespace

const CommandItem* CommandSurface::menuItem(const QString& menu, Command command) const
{
    const CommandMenu* found = this->menu(menu);
    return found ? FindCommand(found->items, command) : nullptr;
}

const CommandItem* CommandSurface::toolbarButton(Command command) const
{
    return FindCommand(m_toolbar, command);
}

const TaskItem* CommandSurface::taskItem(const QString& key) const
{
    for (const TaskGroup& group : m_groups) {
        for (const TaskItem& item : group.items) {
            if (item.key == key)
                return &item;
        }
    }
    return nullptr;
}

CommandItem* CommandSurface::findMenuItem(const QString& menu, Command command)
{
    return const_cast<CommandItem*>(std::as_const(*this).menuItem(menu, command));
}

TaskItem* CommandSurface::findTaskItem(const QString& key)
{
    return const_cast<TaskItem*>(std::as_const(*this).taskItem(key));
}

void CommandSurface::touched()
{
    if (m_suspended > 0)
        m_dirty = true;
    else
        Q_EMIT changed();
}

void CommandSurface::setMenuItemEnabled(const QString& menu, Command command, bool enabled)
{
    if (CommandItem* item = findMenuItem(menu, command)) {
        item->enabled = enabled;
        touched();
    }
}

void CommandSurface::setToolbarEnabled(Command command, bool enabled)
{
    if (auto* button = const_cast<CommandItem*>(toolbarButton(command))) {
        button->enabled = enabled;
        touched();
    }
}

void CommandSurface::setTaskAvailable(const QString& key, bool available)
{
    if (TaskItem* item = findTaskItem(key)) {
        item->available = available;
        touched();
    }
}

void CommandSurface::setTaskText(const QString& key, const QString& text)
{
    if (TaskItem* item = findTaskItem(key)) {
        item->text = text;
        touched();
    }
}

void CommandSurface::setTaskTooltip(const QString& key, const QString& tooltip)
{
    if (TaskItem* item = findTaskItem(key)) {
        item->tooltip = tooltip;
        touched();
    }
}

void CommandSurface::setTaskKind(const QString& key, TaskItemKind kind)
{
    if (TaskItem* item = findTaskItem(key)) {
        item->kind = kind;
        touched();
    }
}

void CommandSurface::setTaskBold(const QString& key, bool bold)
{
    if (TaskItem* item = findTaskItem(key)) {
        item->bold = bold;
        touched();
    }
}

void CommandSurface::suspendDrawing()
{
    ++m_suspended;
}

void CommandSurface::resumeDrawing()
{
    if (m_suspended == 0 || --m_suspended > 0)
        return;
    if (m_rebuildPending) {
        // A rebuild shows the items as they are now: no change is left over.
        m_rebuildPending = false;
        m_dirty = false;
        Q_EMIT rebuilt();
    } else if (m_dirty) {
        m_dirty = false;
        Q_EMIT changed();
    }
}

} // namespace norvale
