#include "OptionsContext.h"

#include "favorites/FavoriteEditor.h"

namespace norvale {

RenameLinkFunction RenameThrough(FavoriteEditor& editor)
{
    return [&editor](const QString& newName, TreeNode* node) {
        return editor.RenameLink(newName, node) == RenameOutcome::Renamed;
    };
}

} // namespace norvale
