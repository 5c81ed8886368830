#include "AppSettings.h"

#include "platform/ImageList.h"

namespace norvale {

void ChooseLightImages(AppSettings& settings, const ImageList& images)
{
    const bool small = settings.SmallLights;
    auto at = [&](const char* smallKey, const char* largeKey) {
        return images.position(QLatin1String(small ? smallKey : largeKey));
    };
    settings.LightUnchecked = at("BLACKDOT", "IELOGO");
    settings.LightDead = at("REDDOT", "REDRESULT");
    settings.LightWarning = at("YELLOWDOT", "YELLOWRESULT");
    settings.LightAlive = at("GREENDOT", "GREENCHECK");
    settings.LightGray = at("GRAYDOT", "GRAYDOT");
    settings.LightNew = at("NEWGREENDOT", "GREENNEW");
}

} // namespace norvale
