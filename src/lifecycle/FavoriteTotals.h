#pragma once

#include <QString>

namespace norvale {

class TreeControl;

// The status bar's totals, "Total: N Favorites in M Folders", counted in the
// tree as it stands: the favorites and folders under the Favorites folder
// (which counts as one), never those in Dead Favorites.
QString FavoriteTotalsText(const TreeControl& tree, const QString& favoritesKey);

} // namespace norvale
