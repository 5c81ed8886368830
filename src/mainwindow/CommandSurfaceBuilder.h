#pragma once

namespace norvale {

class CommandSurface;

// Fills the surface with the window's four menus, three context menus,
// fifteen toolbar positions and four task-pane groups.
void BuildCommandSurface(CommandSurface& surface);

} // namespace norvale
