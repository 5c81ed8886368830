#pragma once

#include "options/OptionsContext.h"

namespace norvale {

// Opens frmOptions modal, loaded afresh, with the given page of PrefTab
// selected: PrefPage::Properties edits the tree's selected favorite, any
// other page (or none, -1) opens the program-wide options. When the dialog
// closes, its close step has run: an edited favorite name was applied through
// renameLink, and the tree was reloaded through refreshLinks if
// "Move Dead Favorites to Folder" was clicked.
//
// Returns true when MoveDead differs from its value before the showing: the
// caller then reloads the tree, since that setting decides whether the tree
// has a "Dead Favorites" folder.
bool ShowOptionsDialog(OptionsContext& context, int page = -1);

// The same dialog in its favorite-properties mode for the tree's selected
// node. Does nothing and returns false when that node is not a favorite.
bool ShowPropertiesDialog(OptionsContext& context);

} // namespace norvale
