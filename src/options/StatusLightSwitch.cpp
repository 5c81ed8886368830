#include "StatusLightSwitch.h"

#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

void SwitchStatusLights(AppSettings& settings, TreeControl& tree, const ImageList& images)
{
    ChooseLightImages(settings, images);
    tree.refreshPictures();
}

} // namespace norvale
