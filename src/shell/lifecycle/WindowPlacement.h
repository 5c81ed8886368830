#pragma once

#include <functional>

namespace norvale {

class NorvaleError;
class RegistryStore;
class WindowFrame;

// Restores "Top", "Left", "Height" and "Width" one after another, each
// applied as soon as it is read; missing ones centre the window at its
// design size. A placement that ends up off every screen is centred on the
// primary screen instead. Values that are not numbers are reported.
void RestoreWindowPlacement(WindowFrame& frame, const RegistryStore& store,
                            const std::function<void(const NorvaleError&)>& report);
// Saves "Height", "Width", "Top", "Left" in that order.
void SaveWindowPlacement(const WindowFrame& frame, RegistryStore& store);

} // namespace norvale
