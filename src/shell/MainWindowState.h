#pragma once

#include <QDateTime>
#include <QString>

namespace norvale {

// A pending clipboard operation on a node.
struct ClipboardMode {
    bool cutPending = false;
};

// The main window's own state that other parts of the program read.
struct MainWindowState {
    QString FavoritesPath; // the user's Favorites folder, fixed for the run
    bool InspectMode = false;
    // Start-up totals; wide enough for collections of millions.
    qint64 FavoriteCount = 0;
    qint64 FolderCount = 0;
    QDateTime LastRunGmt;
    ClipboardMode Clipboard;
    // Set while a check run is active; a close request is refused then.
    bool Checking = false;
    // Set while a run walks the tree: the tree must not be rebuilt under it.
    bool TreeInUse = false;
};

} // namespace norvale
