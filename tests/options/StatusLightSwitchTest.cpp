#include "options/StatusLightSwitch.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

// The six lights in slot order (unchecked, dead, warning, alive, gray, new).
const QStringList kSmall = {"BLACKDOT", "REDDOT",  "YELLOWDOT",
                            "GREENDOT", "GRAYDOT", "NEWGREENDOT"};
const QStringList kClassic = {"IELOGO",     "REDRESULT", "YELLOWRESULT",
                              "GREENCHECK", "GRAYDOT",   "GREENNEW"};

// Each of the six lights in a folder, switched from one set to the other;
// folders and a picture that is no light keep theirs.
TEST(StatusLightSwitch, EachLightBecomesTheSameLightOfTheOtherSet)
{
    for (const bool wasSmall : {false, true}) {
        SCOPED_TRACE(wasSmall);
        ImageList images;
        TreeControl tree;
        AppSettings settings;
        settings.SmallLights = wasSmall;
        ChooseLightImages(settings, images);
        auto add = [&](TreeNode* parent, const QString& key) {
            const NodeKind kind = !parent                          ? NodeKind::FavoritesRoot
                                  : key == QLatin1String("FOLDER") ? NodeKind::Folder
                                                                   : NodeKind::Favorite;
            return tree.add(parent, {}, key, kind, images.position(key), images.position(key));
        };
        TreeNode* folder = add(nullptr, "OPENFOLDER");
        TreeNode* sub = add(folder, "FOLDER");
        add(folder, "TOMBSTONE");
        for (const QString& light : wasSmall ? kSmall : kClassic)
            add(sub, light);

        settings.SmallLights = !wasSmall;
        SwitchStatusLights(settings, wasSmall, tree, images);

        QStringList seen;
        for (int i = 1; i <= tree.count(); ++i) {
            const TreeNode* node = tree.node(i);
            EXPECT_EQ(node->image(), node->selectedImage());
            seen.append(images.key(node->image()));
        }
        EXPECT_EQ(seen, QStringList({"OPENFOLDER", "FOLDER"}) + (wasSmall ? kClassic : kSmall) +
                            QStringList{"TOMBSTONE"});
        QStringList lightSlots;
        for (const int at : {settings.LightUnchecked, settings.LightDead, settings.LightWarning,
                             settings.LightAlive, settings.LightGray, settings.LightNew})
            lightSlots.append(images.key(at));
        EXPECT_EQ(lightSlots, wasSmall ? kClassic : kSmall);
    }
}

} // namespace
