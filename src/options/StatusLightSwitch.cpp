#include "StatusLightSwitch.h"

#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

#include <array>
#include <utility>

namespace norvale {

namespace {

std::array<int, 6> lightSlots(const AppSettings& settings)
{
    return {settings.LightUnchecked, settings.LightDead, settings.LightWarning,
            settings.LightAlive,     settings.LightGray, settings.LightNew};
}

} // namespace

void SwitchStatusLights(AppSettings& settings, bool wasSmall, TreeControl& tree,
                        const ImageList& images)
{
    AppSettings before = settings;
    before.SmallLights = wasSmall;
    ChooseLightImages(before, images);
    ChooseLightImages(settings, images);
    const std::array<int, 6> from = lightSlots(before);
    const std::array<int, 6> to = lightSlots(settings);

    for (int i = 1; i <= tree.count(); ++i) {
        TreeNode* node = tree.node(i);
        for (size_t slot = 0; slot < from.size(); ++slot) {
            if (node->image() != from[slot])
                continue;
            if (node->image() != to[slot])
                tree.setImage(node, to[slot]);
            if (node->selectedImage() != to[slot])
                tree.setSelectedImage(node, to[slot]);
            break;
        }
    }
}

} // namespace norvale
