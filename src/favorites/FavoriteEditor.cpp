#include "FavoriteEditor.h"

#include "NameCleanup.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/TreeControl.h"
#include "shell/ErrorLog.h"
#include "TreeConventions.h"

namespace norvale {

namespace {

// A favorite's file keeps at most this many characters of its name.
constexpr int kFavoriteNameLength = 127;
constexpr int kAnyLength = 1 << 30;

const QString kFileExtension = QStringLiteral(".url");

} // namespace

FavoriteEditor::FavoriteEditor(TreeControl& tree, const ImageList& images, const FileSystem& fs,
                               ErrorLog& log)
    : m_tree(tree)
    , m_images(images)
    , m_fs(fs)
    , m_log(log)
{}

void FavoriteEditor::rekeyBelow(TreeNode* folder, const QString& oldPath, const QString& newPath)
{
    for (const auto& child : folder->children()) {
        if (!child->key().startsWith(oldPath + QLatin1Char('/')))
            continue;
        m_tree.setKey(child.get(), newPath + child->key().mid(oldPath.size()));
        rekeyBelow(child.get(), oldPath, newPath);
    }
}

bool FavoriteEditor::RenameLink(const QString& strNewName, TreeNode* node)
{
    const TreeNode* parent = node ? node->parent() : nullptr;
    if (!parent)
        return false;
    const bool folder = IsFolderNode(node, m_images);
    const QString cleaned = CleanNameForRename(strNewName);
    const QString name = folder ? FitName(cleaned, kAnyLength)
                                : FitName(cleaned, kFavoriteNameLength, kFileExtension);
    if (IsUnusableName(name.trimmed().isEmpty() ? QString() : name))
        return false;
    if (name == node->text())
        return true;
    try {
        if (folder) {
            const QString oldPath = node->key();
            const QString newPath = FileSystem::join(parent->key(), name);
            m_fs.rename(oldPath, name);
            m_tree.setKey(node, newPath);
            rekeyBelow(node, oldPath, newPath);
        } else {
            m_fs.rename(FavoriteFilePath(node, m_fs), name + kFileExtension);
        }
        m_tree.setText(node, name);
        return true;
    } catch (const NorvaleError& error) {
        if (error.number() != ErrorNumber::FileExists)
            m_log.LogError(error, true);
        return false;
    }
}

} // namespace norvale
