// The File menu's "Import Bookmarks...", "Export Favorites..." and "Open
// Browser Bookmarks...", run by the command controller.

#include "bookmarks/BookmarkExporter.h"
#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkImporter.h"
#include "checker/CheckRunner.h"
#include "CommandController.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "platform/BrowserProfileChooser.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/ProgramStarter.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"

namespace norvale {

namespace {

const QString kImportTitle = QStringLiteral("Import Bookmarks");
const QString kExportTitle = QStringLiteral("Export Favorites");
const QString kBrowserTitle = QStringLiteral("Open Browser Bookmarks");

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

void CommandController::importFromFile()
{
    if (m_parts.state.Checking)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_parts.tree, dead);
    const QString target = folder && !dead ? folder->key() : m_parts.state.FavoritesPath;
    const QString file = m_dialogs->chooseBookmarkFile(false);
    if (file.isEmpty())
        return;
    QString error;
    const auto items = LoadBookmarkFile(file, error);
    if (!items) {
        m_parts.boxes.show({error, kImportTitle, MessageIcon::Exclamation, MessageButtons::Ok});
        return;
    }
    // The import runs on the window's thread; the progress dialog keeps the
    // window painted and hears Cancel between favorites.
    auto progress = m_dialogs->showProgress(
        kImportTitle, QStringLiteral("Importing %1 favorites and folders...").arg(items->size()));
    ImportProgress tell;
    if (progress)
        tell = [&progress](qsizetype done, qsizetype total) {
            return progress->advance(done, total);
        };
    const ImportSummary summary = ImportBookmarks(*items, target, m_parts.fileSystem, tell);
    progress.reset();
    m_parts.favorites.RefreshLinks();
    m_parts.boxes.show(
        {summary.text(), kImportTitle,
         summary.problems.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation,
         MessageButtons::Ok});
}

void CommandController::exportToFile()
{
    if (m_parts.state.Checking)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_parts.tree, dead);
    // The whole tree leaves Dead Favorites out; selecting it asks for it.
    const bool whole = !folder || (!dead && !folder->parent());
    const QString source = dead    ? m_parts.favorites.deadFavoritesPath()
                           : whole ? m_parts.state.FavoritesPath
                                   : folder->key();
    const QString file = m_dialogs->chooseBookmarkFile(true);
    if (file.isEmpty())
        return;
    const BookmarkList items = CollectFavorites(
        source, m_parts.fileSystem, 0, whole ? QStringList{kDeadFavoritesText} : QStringList{});
    try {
        SaveBookmarkFile(file, items);
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, true);
        return;
    }
    m_parts.boxes.show({QStringLiteral("Exported %1 to %2.").arg(CountText(items), file),
                        kExportTitle, MessageIcon::Information, MessageButtons::Ok});
}

// A profile's bookmarks open in a window of their own, in another process:
// nothing of this window's is touched, so a check may go on meanwhile.
void CommandController::openBrowserBookmarks()
{
    if (!m_parts.profileChooser || !m_parts.starter)
        return;
    const QString key = m_parts.profileChooser->chooseBrowserProfile();
    if (key.isEmpty())
        return;
    if (!m_parts.starter->startProgram({QStringLiteral("--browser"), key}))
        m_parts.boxes.show(
            {QStringLiteral("The window for the bookmarks of %1 could not be started.").arg(key),
             kBrowserTitle, MessageIcon::Exclamation, MessageButtons::Ok});
}

} // namespace norvale
