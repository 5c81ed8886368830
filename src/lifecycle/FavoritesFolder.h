#pragma once

#include <optional>
#include <QString>

namespace norvale {

class FileSystem;
class RegistryStore;

// Where the Favorites folder is: the store's Shell Folders value names it.

// The value as stored, empty or not; nullopt when the store has none.
std::optional<QString> StoredFavoritesValue(const RegistryStore& store);
// Keeps the folder the user chose in the store.
void SaveFavoritesFolder(RegistryStore& store, const QString& path);
// ~/Favorites, where one is looked for when the store names none.
QString HomeFavoritesFolder();
// The folder as the store names it, or ~/Favorites when the store names
// none and that folder exists; "" when neither.
QString StoredFavoritesFolder(const QString& storePath, const FileSystem& fs);

} // namespace norvale
