#include "FavoritesFolder.h"

#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "shell/SettingsStore.h"

#include <QDir>

namespace norvale {

namespace {

const QString kShellFoldersSection = QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Explorer");
const QString kShellFoldersKey = QStringLiteral("Shell Folders");
const QString kFavoritesValue = QStringLiteral("Favorites");

} // namespace

std::optional<QString> StoredFavoritesValue(const RegistryStore& store)
{
    return store.value(kShellFoldersSection, kShellFoldersKey, kFavoritesValue);
}

void SaveFavoritesFolder(RegistryStore& store, const QString& path)
{
    store.SaveSetting(kShellFoldersSection, kShellFoldersKey, kFavoritesValue, path);
}

QString HomeFavoritesFolder()
{
    return QDir::home().filePath(QStringLiteral("Favorites"));
}

// When the value is absent (not when it is empty), ~/Favorites is used if it
// exists.
QString StoredFavoritesFolder(const QString& storePath, const FileSystem& fs)
{
    const auto stored = StoredFavoritesValue(OpenStore(storePath));
    const QString home = HomeFavoritesFolder();
    return stored ? *stored : fs.folderExists(home) ? home : QString();
}

} // namespace norvale
