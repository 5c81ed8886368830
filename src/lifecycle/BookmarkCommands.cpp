// The File menu's "Import Bookmarks..." and "Export Favorites...", run by
// the command controller.

#include "bookmarks/BookmarkExporter.h"
#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkImporter.h"
#include "CommandController.h"
#include "favorites/TreeConventions.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/TreeControl.h"
#include "ProgramServices.h"

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

void CommandController::importFromFile()
{
    if (m_services.state().Checking)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_services.tree(), dead);
    const QString target = folder && !dead ? folder->key() : m_services.state().FavoritesPath;
    const QString file = m_dialogs->chooseBookmarkFile(false);
    if (file.isEmpty())
        return;
    QString error;
    const auto items = LoadBookmarkFile(file, error);
    if (!items) {
        m_services.boxes().show(
            {error, kImportTitle, MessageIcon::Exclamation, MessageButtons::Ok});
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
    const ImportSummary summary = ImportBookmarks(*items, target, m_services.fileSystem(), tell);
    progress.reset();
    m_services.favorites().RefreshLinks();
    m_services.boxes().show(
        {summary.text(), kImportTitle,
         summary.problems.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation,
         MessageButtons::Ok});
}

void CommandController::exportToFile()
{
    if (m_services.state().Checking)
        return;
    bool dead = false;
    const TreeNode* folder = selectedFolder(m_services.tree(), dead);
    // The whole tree leaves Dead Favorites out; selecting it asks for it.
    const bool whole = !folder || (!dead && !folder->parent());
    const QString source = dead    ? m_services.favorites().deadFavoritesPath()
                           : whole ? m_services.state().FavoritesPath
                                   : folder->key();
    const QString file = m_dialogs->chooseBookmarkFile(true);
    if (file.isEmpty())
        return;
    const BookmarkList items =
        CollectFavorites(source, m_services.fileSystem(), 0,
                         whole ? QStringList{kDeadFavoritesText} : QStringList{});
    try {
        SaveBookmarkFile(file, items);
    } catch (const NorvaleError& error) {
        m_services.log().LogError(error, true);
        return;
    }
    m_services.boxes().show({QStringLiteral("Exported %1 to %2.").arg(CountText(items), file),
                             kExportTitle, MessageIcon::Information, MessageButtons::Ok});
}

} // namespace norvale
