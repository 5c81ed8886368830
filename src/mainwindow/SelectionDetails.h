#pragma once

#include "shell/CommandState.h"

#include <functional>

namespace norvale {

class CommandSurface;
class ShortcutFile;
class StatusBarModel;
class TreeControl;
class TreeNode;

struct DetailsContext {
    TreeControl& tree;
    CommandSurface& surface;
    StatusBarModel& status;
    ShortcutFile& shortcuts;
    std::function<void(CommandState)> updateCommands;
    std::function<bool()> moveDead;
};

// A node was clicked: tells the enablement what is selected, and the status
// bar and the task pane's details what the node is.
void ShowNodeDetails(TreeNode* node, DetailsContext& context);

} // namespace norvale
