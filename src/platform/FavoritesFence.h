#pragma once

#include <QString>

namespace norvale {

// Keeps every change of the program inside the Favorites folder as it is on
// disk. A folder linked into the Favorites folder from elsewhere is shown and
// checked, but nothing in it, nor the link's target, is ever written,
// renamed, moved or deleted: that would change files the user keeps outside.
//
// The fence is one for the process: the favorites' tree sets it when it is
// built from a folder; every write, rename, move and delete of the
// file-system service and the atomic file writes ask it first.
namespace FavoritesFence {

// The Favorites folder whose links must not be followed; "" lifts the fence.
void setFolder(const QString& favoritesFolder);

// True when path lies in the Favorites folder as written, yet outside it on
// disk: its folder is reached through a link, or it is itself a link
// leading out. A path not written inside the Favorites folder is no concern
// of the fence.
bool leadsOut(const QString& path);

// Throws NorvaleError (70) for a path that leadsOut.
void require(const QString& path);

} // namespace FavoritesFence

} // namespace norvale
