#include "lifecycle/ProgramParts.h"

#include "program/ProgramServices.h"

namespace norvale {

CommandParts commandPartsOf(ProgramServices& services, BrowserProfileChooser* profileChooser,
                            ProgramStarter* starter)
{
    return {services.settings(),  services.state(),      services.tree(),
            services.status(),    services.favorites(),  services.editor(),
            services.shortcuts(), services.checker(),    services.boxes(),
            services.log(),       services.fileSystem(), services.programFolder(),
            services.opener(),    profileChooser,        starter};
}

LifecycleParts lifecyclePartsOf(ProgramServices& services, CommandController& commands,
                                WindowFrame& frame, FolderChooser* folderChooser, TrayControl& tray)
{
    return {services.settings(),
            services.state(),
            services.tree(),
            services.status(),
            services.favorites(),
            services.checker(),
            services.boxes(),
            services.log(),
            services.fileSystem(),
            services.clock(),
            services.images(),
            services.transfers(),
            services.storePath(),
            services.programFolder(),
            commands,
            frame,
            folderChooser,
            tray};
}

} // namespace norvale
