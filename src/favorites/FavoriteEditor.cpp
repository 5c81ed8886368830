#include "FavoriteEditor.h"

#include "FavoritesTree.h"
#include "NameCleanup.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "ShortcutFile.h"
#include "TreeConventions.h"

namespace norvale {

namespace {

// Says why a new item was refused, when the dialog asked.
void refuse(QString* refusal, const QString& reason)
{
    if (refusal)
        *refusal = reason;
}

// A favorite's file keeps at most this many characters of its name.
constexpr int kFavoriteNameLength = 127;
constexpr int kAnyLength = 1 << 30;

bool isNumeric(const QString& text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

FavoriteEditor::FavoriteEditor(EditorParts parts)
    : m_parts(parts)
{}

void FavoriteEditor::rekeyBelow(TreeNode* folder, const QString& oldPath, const QString& newPath)
{
    for (const auto& child : folder->children()) {
        if (!child->key().startsWith(oldPath + QLatin1Char('/')))
            continue;
        m_parts.tree.setKey(child.get(), newPath + child->key().mid(oldPath.size()));
        rekeyBelow(child.get(), oldPath, newPath);
    }
}

RenameOutcome FavoriteEditor::RenameLink(const QString& strNewName, TreeNode* node)
{
    const TreeNode* parent = node ? node->parent() : nullptr;
    if (!parent)
        return RenameOutcome::Failed;
    const bool folder = node->isFolder();
    const QString cleaned = CleanNameForRename(strNewName);
    const QString name = folder ? FitName(cleaned, kAnyLength)
                                : FitName(cleaned, kFavoriteNameLength, kNewShortcutExtension);
    if (name.trimmed().isEmpty())
        return RenameOutcome::EmptyName;
    if (IsUnusableName(name))
        return RenameOutcome::UnusableName;
    if (name == node->text())
        return RenameOutcome::Renamed;
    try {
        if (folder) {
            const QString oldPath = node->key();
            const QString newPath = FileSystem::join(parent->key(), name);
            m_parts.fs.rename(oldPath, name);
            m_parts.tree.setKey(node, newPath);
            rekeyBelow(node, oldPath, newPath);
        } else {
            m_parts.fs.rename(FavoriteFilePath(node, m_parts.fs), name + kNewShortcutExtension);
            m_parts.tree.setTag(node, kNewShortcutExtension);
        }
        m_parts.tree.setText(node, name);
        return RenameOutcome::Renamed;
    } catch (const NorvaleError& error) {
        if (error.number() == ErrorNumber::FileExists)
            return RenameOutcome::NameTaken;
        m_parts.log.LogError(error, true);
        return RenameOutcome::Failed;
    }
}

void FavoriteEditor::takeOntoClipboard(bool cut)
{
    TreeNode* node = m_parts.tree.selectedItem();
    // The two top-level folders are not for moving about.
    if (!node || !node->parent())
        return;
    m_clipboard = {true, !node->isFolder(), node->key(), node->text(), node->key()};
    if (!node->isFolder()) {
        m_clipboard.key =
            FileSystem::join(node->parent()->key(), node->text() + kShortcutExtension);
        m_clipboard.file = FavoriteFilePath(node, m_parts.fs);
    }
    if (cut)
        m_parts.tree.remove(node);
    m_parts.state.Clipboard = ClipboardMode{cut};
}

void FavoriteEditor::CopyNode()
{
    takeOntoClipboard(false);
}

void FavoriteEditor::CutNode()
{
    takeOntoClipboard(true);
}

void FavoriteEditor::PasteNode()
{
    TreeNode* selected = m_parts.tree.selectedItem();
    if (!m_clipboard.valid || !selected)
        return; // nothing was ever copied or cut
    TreeNode* target = selected->isFolder() ? selected : selected->parent();
    if (!target)
        return;
    const bool favorite = m_clipboard.favorite;
    const QString destination = FileSystem::join(target->key(), m_clipboard.text) +
                                (favorite ? kShortcutExtension : QString());
    if (!favorite && (target->key() == m_clipboard.key ||
                      target->key().startsWith(m_clipboard.key + QLatin1Char('/')))) {
        m_parts.boxes.show({QStringLiteral("A folder cannot be pasted into itself or into one of "
                                           "its own folders."),
                            QStringLiteral("Paste"), MessageIcon::Exclamation, MessageButtons::Ok});
        return;
    }
    try {
        pasteInto(target, favorite, destination);
        m_clipboard.key = destination;
        m_clipboard.file = m_parts.fs.resolveCaseInsensitive(destination);
    } catch (const NorvaleError& error) {
        if (error.number() != ErrorNumber::FileNotFound) {
            m_parts.log.LogError(error, true);
            return;
        }
        // The source is gone from where it was: fall back to a copy.
        try {
            if (!favorite && !m_parts.fs.fileExists(destination))
                m_parts.fs.copyFolder(m_clipboard.key, destination);
            else
                m_parts.fs.copyFile(m_clipboard.file, target->key(), true);
            m_parts.favorites.RefreshLinks();
        } catch (const NorvaleError& fallbackError) {
            m_parts.log.LogError(fallbackError, true);
        }
    }
}

void FavoriteEditor::pasteInto(TreeNode* target, bool favorite, const QString& destination)
{
    const bool cut = m_parts.state.Clipboard.cutPending;
    if (favorite) {
        // A name taken in any letter case is taken.
        if (m_parts.fs.nameTaken(target->key(), m_clipboard.text + kNewShortcutExtension))
            return;
        const QString onDisk =
            FileSystem::join(target->key(), m_clipboard.text + kNewShortcutExtension);
        m_parts.tree.add(target, destination, m_clipboard.text, NodeKind::Favorite);
        const QString source = m_clipboard.file;
        if (!m_parts.fs.fileExists(source)) {
            throw NorvaleError(ErrorNumber::FileNotFound, QStringLiteral("File not found"),
                               QStringLiteral("FavoriteEditor"));
        }
        if (cut)
            m_parts.fs.moveFile(source, onDisk);
        else
            m_parts.fs.copyFile(source, target->key(), true);
    } else {
        if (m_parts.fs.nameTaken(target->key(), m_clipboard.text))
            return;
        const int image = ImageList::position(ImageKey::OpenFolder);
        m_parts.tree.add(target, destination, m_clipboard.text, NodeKind::Folder, image, image);
        if (!m_parts.fs.folderExists(m_clipboard.key)) {
            throw NorvaleError(ErrorNumber::FileNotFound, QStringLiteral("File not found"),
                               QStringLiteral("FavoriteEditor"));
        }
        if (cut)
            m_parts.fs.moveFolder(m_clipboard.key, destination);
        else
            m_parts.fs.copyFolder(m_clipboard.key, destination);
    }
    m_parts.favorites.RefreshLinks();
}

bool FavoriteEditor::removeFromDisk(const QString& path, bool folder)
{
    if (m_parts.fs.moveToTrash(path))
        return true;
    if (folder)
        m_parts.fs.deleteFolder(path, true);
    else
        m_parts.fs.deleteFile(path, true);
    return true;
}

void FavoriteEditor::DeleteNode()
{
    TreeNode* node = m_parts.tree.selectedItem();
    if (!node || !node->parent())
        return;
    const bool folder = node->isFolder();
    const MessageRequest question =
        folder ? MessageRequest{QStringLiteral("Removing this folder will also remove all of its "
                                               "Favorites. Are you sure you want to remove this "
                                               "folder?"),
                                QStringLiteral("Remove Folder"), MessageIcon::None,
                                MessageButtons::YesNo}
               : MessageRequest{QStringLiteral("Are you sure you want to remove this Favorite?"),
                                QStringLiteral("Remove Favorite"), MessageIcon::None,
                                MessageButtons::YesNo};
    if (m_parts.boxes.show(question) != MessageAnswer::Yes)
        return;
    try {
        const QString path = folder ? node->key() : FavoriteFilePath(node, m_parts.fs);
        if (folder ? !m_parts.fs.folderExists(path) : !m_parts.fs.fileExists(path)) {
            throw NorvaleError(folder ? ErrorNumber::PathNotFound : ErrorNumber::FileNotFound,
                               QStringLiteral("Not found: ") + path,
                               QStringLiteral("FavoriteEditor"));
        }
        removeFromDisk(path, folder);
        m_parts.tree.remove(node);
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, true);
    }
}

void FavoriteEditor::LaunchFavorite()
{
    TreeNode* node = m_parts.tree.selectedItem();
    if (!node || node->isFolder() || !node->parent() || !m_parts.opener)
        return;
    CurrentLinkSettings current;
    try {
        m_parts.opener->open(
            m_parts.shortcuts.ReadLinkSettings(node->parent()->key(), node, current));
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, true);
    }
}

// The folder that new items go into: the selected folder when it is open,
// else the selected node's folder (and the root itself when it is selected
// while collapsed, having no folder of its own).
TreeNode* FavoriteEditor::newItemTarget() const
{
    TreeNode* selected = m_parts.tree.selectedItem();
    if (!selected)
        return nullptr;
    if (selected->image() == ImageList::position(ImageKey::OpenFolder))
        return selected;
    return selected->parent() ? selected->parent() : selected;
}

// The folder is made on disk first and only then shown: a node for a folder
// that could not be made would stand for nothing.
bool FavoriteEditor::CreateFolder(const QString& typedName, QString* refusal)
{
    if (typedName.trimmed().isEmpty())
        return true;
    TreeNode* target = newItemTarget();
    const QString name = FitName(CleanName(typedName), kAnyLength);
    if (!target || IsUnusableName(name)) {
        refuse(refusal, QStringLiteral("\"%1\" cannot be used as a folder name").arg(name));
        return false;
    }
    const QString path = FileSystem::join(target->key(), name);
    if (TreeNode* existing = m_parts.tree.findByKey(path)) {
        m_parts.tree.select(existing);
        return true;
    }
    if (m_parts.fs.nameTaken(target->key(), name)) {
        const QString taken = m_parts.fs.resolveCaseInsensitive(path);
        refuse(refusal, QStringLiteral("A %1 named %2 is already here")
                            .arg(m_parts.fs.folderExists(taken) ? QStringLiteral("folder")
                                                                : QStringLiteral("file"),
                                 taken.section(QLatin1Char('/'), -1)));
        return false;
    }
    try {
        m_parts.fs.makeFolder(path);
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, false);
        refuse(refusal, error.description());
        return false;
    }
    const int image = ImageList::position(ImageKey::OpenFolder);
    m_parts.tree.select(m_parts.tree.add(target, path, name, NodeKind::Folder, image, image));
    return true;
}

// The file is written first and only then shown; a name taken in another
// letter case is that favorite, rewritten, and keeps its one node.
bool FavoriteEditor::CreateFavorite(const QString& description, QString& address, QString* refusal)
{
    if (description.trimmed().isEmpty() || address.trimmed().isEmpty())
        return true;
    TreeNode* target = newItemTarget();
    if (!target)
        return false;
    const QString temporaryKey =
        isNumeric(description) ? QLatin1Char('X') + description : description;
    const QString name = FitName(CleanName(description), kAnyLength, kNewShortcutExtension);
    if (!address.startsWith(QLatin1String("http")))
        address.prepend(QLatin1String("http://"));
    const QString file = m_parts.fs.resolveCaseInsensitive(
        FileSystem::join(target->key(), name + kNewShortcutExtension));
    const QString fileName = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
    try {
        ProfileFile::write(file, ShortcutKeys::Standard, ShortcutKeys::Url, address);
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, false);
        refuse(refusal, error.description());
        return false;
    }
    const QString text = FavoriteTextFor(fileName);
    for (const auto& child : target->children()) {
        if (!child->isFolder() && child->text() == text) {
            m_parts.tree.select(child.get());
            return true;
        }
    }
    const bool keyFree = !m_parts.tree.findByKey(temporaryKey);
    TreeNode* node =
        m_parts.tree.add(target, keyFree ? temporaryKey : QString(), text, NodeKind::Favorite);
    SetShortcutExtension(m_parts.tree, node, fileName);
    m_parts.tree.select(node);
    m_parts.tree.setKey(node, QString());
    return true;
}

} // namespace norvale
