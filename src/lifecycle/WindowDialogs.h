#pragma once

#include "mainwindow/Commands.h"

#include <QString>

namespace norvale {

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
    bool close() override { return false; }
};

} // namespace norvale
