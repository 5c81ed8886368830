#pragma once

namespace norvale {

// What the command enablement is told: which kind of node is selected, or
// that a check run has just started or ended.
enum class CommandState : int {
    DeadFavoritesSelected = 1,
    RootSelected = 2,
    FavoriteSelected = 3,
    FolderSelected = 4,
    RunStarted = 5,
    RunEnded = 6,
};

} // namespace norvale
