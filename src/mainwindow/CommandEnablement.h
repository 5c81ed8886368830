#pragma once

#include "shell/CommandState.h"

namespace norvale {

class CommandSurface;
class TreeControl;
class TreeNode;

// What the enablement depends on besides the state it is told.
struct EnablementContext {
    const TreeControl& tree;
    bool checking = false;
    bool moveDead = false;
};

// The state a selected node gives: a favorite, the tree's first node (the
// dead favorites' folder or the root), or another folder; no node counts as
// the root.
CommandState DeriveCommandState(const TreeNode* node, const EnablementContext& context);

// Switches every managed command off, then on what the state allows; the
// result depends on the state, the run flag and MoveDead, and on whether
// the selected node is a top-level folder, which cannot be cut, copied,
// deleted or renamed.
void UpdateCommands(CommandSurface& surface, CommandState state, const EnablementContext& context);

} // namespace norvale
