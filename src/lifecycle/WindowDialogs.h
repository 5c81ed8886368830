#pragma once

#include "mainwindow/Commands.h"

#include <memory>
#include <QString>

namespace norvale {

// A long task's progress as the window shows it, until destroyed.
class TaskProgress {
public:
    virtual ~TaskProgress() = default;
    // Shows that done of total are done and lets the window answer in the
    // meantime; false once the user asked to stop.
    virtual bool advance(qsizetype done, qsizetype total) = 0;
};

// What only the window can do for a command: its dialogs, its label edit
// and its closing. The window's widgets implement it; tests script it.
class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;

    virtual void newFolder() = 0;
    virtual void newFavorite() = 0;
    virtual void find() = 0;
    virtual void about() = 0;
    // Starts editing the selected node's label in the tree.
    virtual void startRename() = 0;
    // Shows the options dialog, or the properties, for the command that
    // asked for it.
    virtual void options(Command command) = 0;
    // Asks for a bookmark file to read (save false) or write; "" when none.
    virtual QString chooseBookmarkFile(bool save) = 0;
    // Shows a long task's progress with a Cancel button; null when nothing
    // shows it.
    virtual std::unique_ptr<TaskProgress> showProgress(const QString& title,
                                                       const QString& label) = 0;
    // Closes the window through its normal close path; false when it refused.
    virtual bool close() = 0;
};

// No window: every dialog is skipped, no file is chosen, nothing closes.
class NoWindowDialogs : public WindowDialogs {
public:
    void newFolder() override {}
    void newFavorite() override {}
    void find() override {}
    void about() override {}
    void startRename() override {}
    void options(Command) override {}
    QString chooseBookmarkFile(bool) override { return {}; }
    std::unique_ptr<TaskProgress> showProgress(const QString&, const QString&) override
    {
        return nullptr;
    }
    bool close() override { return false; }
};

} // namespace norvale
