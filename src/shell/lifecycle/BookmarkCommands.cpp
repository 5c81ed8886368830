// The File menu's "Import Bookmarks..." and "Export Favorites...".

#include "bookmarks/BookmarkExporter.h"
#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkImporter.h"
#include "favorites/TreeConventions.h"
#include "MainLifecycle.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/TreeControl.h"

namespace norvale {

namespace {

const QString kImportTitle = QStringLiteral("Import Bookmarks");
const QString kExportTitle = QStringLiteral("Export Favorites");

// The folder the selection stands for: a folder itself, a favorite's
// parent; null for the Dead Favorites node and its entries, which only the
// program itself fills.
const TreeNode* selectedFolder(TreeControl& tree, bool& dead)
{
    const TreeNode* node = tree.selectedItem();
    if (node && !node->isFolder())
        node = node->parent();
    const TreeNode* top = node;
    while (top && top->parent())
        top = top->parent();
    dead = top && top->kind() == NodeKind::DeadFavoritesRoot;
    return node;
}

} // namespace

void MainLifecycle::importBookmarks()
{
    if (m_state.Checking || !m_window.chooseBookmarkFile)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_parts.tree, dead);
    const QString target = folder && !dead ? folder->key() : m_state.FavoritesPath;
    const QString file = m_window.chooseBookmarkFile(false);
    if (file.isEmpty())
        return;
    QString error;
    const auto items = LoadBookmarkFile(file, error);
    if (!items) {
        m_boxes.show({error, kImportTitle, MessageIcon::Exclamation, MessageButtons::Ok});
        return;
    }
    const ImportSummary summary = ImportBookmarks(*items, target, m_parts.fs);
    m_favorites.RefreshLinks();
    m_boxes.show({summary.text(), kImportTitle,
                  summary.problems.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation,
                  MessageButtons::Ok});
}

void MainLifecycle::exportFavorites()
{
    if (m_state.Checking || !m_window.chooseBookmarkFile)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_parts.tree, dead);
    // The whole tree leaves Dead Favorites out; selecting it asks for it.
    const bool whole = !folder || (!dead && !folder->parent());
    const QString source = dead    ? m_favorites.deadFavoritesPath()
                           : whole ? m_state.FavoritesPath
                                   : folder->key();
    const QString file = m_window.chooseBookmarkFile(true);
    if (file.isEmpty())
        return;
    const BookmarkList items = CollectFavorites(
        source, m_parts.fs, 0, whole ? QStringList{kDeadFavoritesText} : QStringList{});
    try {
        SaveBookmarkFile(file, items);
    } catch (const NorvaleError& error) {
        m_log.LogError(error, true);
        return;
    }
    m_boxes.show({QStringLiteral("Exported %1 to %2.").arg(CountText(items), file), kExportTitle,
                  MessageIcon::Information, MessageButtons::Ok});
}

} // namespace norvale
