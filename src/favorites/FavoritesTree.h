#pragma once

#include "TreeConventions.h"

#include <functional>
#include <QString>
#include <QStringList>

namespace norvale {

class ErrorLog;
class FileSystem;
class TreeControl;
class TreeNode;
struct AppSettings;
struct MainWindowState;

// Builds the tree of favorites from the Favorites folder and from the
// program's own dead-favorites folder. Only names are read: no favorite's
// contents. Each failing folder is logged and skipped; nothing on disk
// changes, except that a missing dead-favorites folder is created.
class FavoritesTree {
public:
    FavoritesTree(TreeControl& tree, const AppSettings& settings, MainWindowState& state,
                  const FileSystem& fs, ErrorLog& log, QString programFolder);

    // Called with true before a rebuild and false after it (the busy cursor).
    void setBusyIndicator(std::function<void(bool)> busy) { m_busy = std::move(busy); }
    // The root's caption: "Favorites" unless the tree shows something else.
    void setRootText(QString text) { m_rootText = std::move(text); }
    QString deadFavoritesPath() const;

    // Clears the tree and builds it again from disk.
    void RefreshLinks();
    // Builds into an empty tree.
    void BuildFavoritesTree();
    void AddDeadFavoritesNode();
    void AddFavoriteNodes(const QString& folderPath, TreeNode* parent);
    void AddFolderNodes(const QString& folderPath, TreeNode* parent);

private:
    bool leadsBackUp(const QString& linkedFolder);

    TreeControl& m_tree;
    const AppSettings& m_settings;
    MainWindowState& m_state;
    const FileSystem& m_fs;
    ErrorLog& m_log;
    QString m_programFolder;
    QString m_rootText = kRootText;
    std::function<void(bool)> m_busy;
    QStringList m_openFolders; // the folders being listed, outermost first
};

} // namespace norvale
