#pragma once

#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"

namespace norvale {

class ProgramServices;

// Each consumer is handed the few parts it works with; only the process's
// start (main) and the test rigs, which own the whole graph, pick them out.
CommandParts commandPartsOf(ProgramServices& services,
                            BrowserProfileChooser* profileChooser = nullptr,
                            ProgramStarter* starter = nullptr);
LifecycleParts lifecyclePartsOf(ProgramServices& services, CommandController& commands,
                                WindowFrame& frame, FolderChooser* folderChooser,
                                TrayControl& tray);

} // namespace norvale
