#pragma once

#include <functional>

namespace norvale {

class NorvaleError;
class RegistryStore;
class WindowFrame;

// Restores "Top", "Left", "Height" and "Width" one after another, each
// applied as soon as it is read; missing ones centre the window at its
// design size. A placement that ends up off every screen is centred on the
// primary screen instead. The task pane's width, "TaskPaneWidth", comes
// last, where the window has a pane. Values that are not numbers are
// reported.
void RestoreWindowPlacement(WindowFrame& frame, const RegistryStore& store,
                            const std::function<void(const NorvaleError&)>& report);
// Saves "Height", "Width", "Top", "Left" in that order, then "TaskPaneWidth"
// where the window has a pane.
void SaveWindowPlacement(const WindowFrame& frame, RegistryStore& store);

} // namespace norvale
