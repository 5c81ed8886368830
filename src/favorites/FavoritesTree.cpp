#include "FavoritesTree.h"

#include "platform/FavoritesFence.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/NorvaleError.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "TreeConventions.h"

#include <QFileInfo>

namespace norvale {

namespace {

// Folders are built open; the view closes the ones the user closes.
constexpr int kFolderImage = ImageList::position(ImageKey::OpenFolder);

} // namespace

FavoritesTree::FavoritesTree(TreeControl& tree, const AppSettings& settings, MainWindowState& state,
                             const FileSystem& fs, ErrorLog& log, QString programFolder)
    : m_tree(tree)
    , m_settings(settings)
    , m_state(state)
    , m_fs(fs)
    , m_log(log)
    , m_programFolder(std::move(programFolder))
{}

QString FavoritesTree::deadFavoritesPath() const
{
    return FileSystem::join(m_programFolder, kDeadFavoritesText);
}

void FavoritesTree::RefreshLinks()
{
    // A run holds on to the nodes it walks; a reload asked for meanwhile
    // (by a dialog closed during the run) would pull them from under it.
    if (m_state.TreeInUse)
        return;
    if (m_busy)
        m_busy(true);
    {
        TreeControl::Batch batch(m_tree);
        m_tree.clear();
        BuildFavoritesTree();
    }
    if (m_busy)
        m_busy(false);
}

void FavoritesTree::BuildFavoritesTree()
{
    // Whatever the tree shows through a link out of the folder stays as it is.
    FavoritesFence::setFolder(m_state.FavoritesPath);
    try {
        {
            TreeControl::Batch batch(m_tree);
            if (m_settings.MoveDead)
                AddDeadFavoritesNode();
            TreeNode* root = m_tree.add(nullptr, m_state.FavoritesPath, m_rootText,
                                        NodeKind::FavoritesRoot, kFolderImage, kFolderImage);
            m_tree.setExpanded(root, true);
            AddFavoriteNodes(m_state.FavoritesPath, root);
            AddFolderNodes(m_state.FavoritesPath, root);
        }
        m_tree.ensureVisible(m_tree.node(1));
    } catch (const NorvaleError& error) {
        m_log.LogError(error, true);
    }
}

void FavoritesTree::AddDeadFavoritesNode()
{
    const QString path = deadFavoritesPath();
    TreeNode* deadNode = nullptr;
    try {
        deadNode = m_tree.add(nullptr, path, kDeadFavoritesText, NodeKind::DeadFavoritesRoot,
                              kFolderImage, kFolderImage);
        m_tree.setExpanded(deadNode, true);
        const FolderListing listing = m_fs.listFolder(path);
        for (const QString& name : listing.files) {
            if (IsShortcutFileName(name)) {
                TreeNode* node =
                    m_tree.add(deadNode, QString(), FavoriteTextFor(name), NodeKind::Favorite);
                m_tree.setStatus(node, {Light::Dead, 0, QStringLiteral("in Dead Favorites")});
                SetShortcutExtension(m_tree, node, name);
            }
        }
    } catch (const NorvaleError& error) {
        if (error.number() != ErrorNumber::PathNotFound) {
            m_log.LogError(error, error.number() != ErrorNumber::ObjectRequired);
            return;
        }
        // A missing folder is made, the node stays empty, and the empty
        // listing is noted in the log only.
        try {
            m_fs.makeFolder(path);
        } catch (const NorvaleError& createError) {
            m_log.LogError(createError, true);
        }
        m_log.LogError(NorvaleError(ErrorNumber::ObjectRequired,
                                    QStringLiteral("Object required (the dead favorites folder "
                                                   "was missing and has been created)"),
                                    QStringLiteral("FavoritesTree")),
                       false);
    }
}

void FavoritesTree::AddFavoriteNodes(const QString& folderPath, TreeNode* parent)
{
    try {
        const FolderListing listing = m_fs.listFolder(folderPath);
        for (const QString& name : listing.undecodable) {
            m_log.LogError(NorvaleError(ErrorNumber::BadFileName,
                                        QStringLiteral("Bad file name (not UTF-8), not shown: %1")
                                            .arg(FileSystem::join(folderPath, name)),
                                        QStringLiteral("FavoritesTree")),
                           false);
        }
        for (const QString& name : listing.files) {
            if (!IsShortcutFileName(name))
                continue;
            TreeNode* node =
                m_tree.add(parent, QString(), FavoriteTextFor(name), NodeKind::Favorite);
            SetShortcutExtension(m_tree, node, name);
            ++m_state.FavoriteCount;
        }
    } catch (const NorvaleError& error) {
        m_log.LogError(error, true);
    }
}

// A linked folder that is the folder being listed, or one around it, would
// make the walk go round for ever.
bool FavoritesTree::leadsBackUp(const QString& linkedFolder)
{
    const QString target = QFileInfo(linkedFolder).canonicalFilePath();
    if (target.isEmpty())
        return true;
    for (const QString& open : m_openFolders) {
        if (QFileInfo(open).canonicalFilePath() == target)
            return true;
    }
    return false;
}

void FavoritesTree::AddFolderNodes(const QString& folderPath, TreeNode* parent)
{
    m_openFolders.append(folderPath);
    try {
        const FolderListing listing = m_fs.listFolder(folderPath);
        for (const Subfolder& subfolder : listing.subfolders) {
            if (subfolder.name == kDeadFavoritesText)
                continue;
            const QString path = FileSystem::join(folderPath, subfolder.name);
            if (subfolder.isSymLink && leadsBackUp(path))
                continue;
            TreeNode* node = m_tree.add(parent, path, subfolder.name, NodeKind::Folder,
                                        kFolderImage, kFolderImage);
            ++m_state.FolderCount;
            AddFavoriteNodes(path, node);
            AddFolderNodes(path, node);
        }
        m_tree.setExpanded(parent, true);
    } catch (const NorvaleError& error) {
        m_log.LogError(error, true);
    }
    m_openFolders.removeLast();
}

} // namespace norvale
