#pragma once

#include "BookmarkItem.h"

#include <QString>
#include <QStringList>

namespace norvale {

class FileSystem;

// The favorites of folder and of every folder below it, in the tree's
// order (a folder's favorites, then its subfolders, each sorted by name
// without regard to case), as bookmark items starting at depth. Subfolders
// of folder itself named in leaveOut are left out; links to folders are
// not followed.
BookmarkList CollectFavorites(const QString& folder, const FileSystem& fs, int depth = 0,
                              const QStringList& leaveOut = {});

} // namespace norvale
