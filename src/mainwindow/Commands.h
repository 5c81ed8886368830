#pragma once

#include "platform/Command.h"

namespace norvale {

// The menus by name.
namespace Menus {
inline constexpr const char* File = "mnuFileMenu";
inline constexpr const char* Edit = "mnuEditMenu";
inline constexpr const char* Links = "mnuLinksMenu";
inline constexpr const char* Help = "mnuHelpMenu";
inline constexpr const char* Node = "mnuNodePopup";
inline constexpr const char* Folder = "mnuFolderPopup";
inline constexpr const char* Dead = "mnuDeadPopup";
} // namespace Menus

} // namespace norvale
