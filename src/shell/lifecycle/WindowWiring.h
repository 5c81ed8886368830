#pragma once

namespace norvale {

class MainLifecycle;
class MainWindow;

// Connects the window's events to the lifecycle's handlers and gives the
// lifecycle the window's own actions (its dialogs, its label edit, closing).
// Call it before the lifecycle's load: start-up's tray wants the window's
// icon.
void ConnectWindow(MainLifecycle& lifecycle, MainWindow& window);

} // namespace norvale
