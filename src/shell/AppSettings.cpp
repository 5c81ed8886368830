#include "AppSettings.h"

#include "platform/ImageList.h"

namespace norvale {

int& AppSettings::lightImage(Light light)
{
    switch (light) {
    case Light::Unchecked:
        return LightUnchecked;
    case Light::Dead:
        return LightDead;
    case Light::Warning:
        return LightWarning;
    case Light::Alive:
        return LightAlive;
    case Light::Gray:
        return LightGray;
    case Light::New:
        return LightNew;
    }
    Q_UNREACHABLE();
}

void ChooseLightImages(AppSettings& settings, const ImageList& images)
{
    // Each light's picture in the small set and in the classic one.
    static constexpr struct {
        Light light;
        ImageKey small;
        ImageKey classic;
    } kPictures[] = {
        {Light::Unchecked, ImageKey::BlackDot, ImageKey::IeLogo},
        {Light::Dead, ImageKey::RedDot, ImageKey::RedResult},
        {Light::Warning, ImageKey::YellowDot, ImageKey::YellowResult},
        {Light::Alive, ImageKey::GreenDot, ImageKey::GreenCheck},
        {Light::Gray, ImageKey::GrayDot, ImageKey::GrayDot},
        {Light::New, ImageKey::NewGreenDot, ImageKey::GreenNew},
    };
    for (const auto& picture : kPictures) {
        settings.lightImage(picture.light) =
            images.position(settings.SmallLights ? picture.small : picture.classic);
    }
}

} // namespace norvale
