#include "StatusLightSwitch.h"

#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

void SwitchStatusLights(AppSettings& settings, bool wasSmall, TreeControl& tree,
                        const ImageList& images)
{
    AppSettings before = settings;
    before.SmallLights = wasSmall;
    ChooseLightImages(before, images);
    ChooseLightImages(settings, images);

    for (int i = 1; i <= tree.count(); ++i) {
        TreeNode* node = tree.node(i);
        for (const Light light : kLights) {
            if (node->image() != before.lightImage(light))
                continue;
            const int image = settings.lightImage(light);
            if (node->image() != image)
                tree.setImage(node, image);
            if (node->selectedImage() != image)
                tree.setSelectedImage(node, image);
            break;
        }
    }
}

} // namespace norvale
