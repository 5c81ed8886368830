#include "options/StatusLightSwitch.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

struct LightSlot {
    const char* name;
    const char* smallKey;
    const char* classicKey;
};

const LightSlot kSlots[] = {
    {"unchecked", "BLACKDOT", "IELOGO"},      {"dead", "REDDOT", "REDRESULT"},
    {"warning", "YELLOWDOT", "YELLOWRESULT"}, {"alive", "GREENDOT", "GREENCHECK"},
    {"gray", "GRAYDOT", "GRAYDOT"},           {"new", "NEWGREENDOT", "GREENNEW"},
};

class StatusLightSwitchTest : public testing::TestWithParam<bool> {
protected:
    int at(const char* key) const { return m_images.position(QLatin1String(key)); }
    const char* keyFor(const LightSlot& slot, bool small) const
    {
        return small ? slot.smallKey : slot.classicKey;
    }

    ImageList m_images;
    TreeControl m_tree;
    AppSettings m_settings;
};

// Each of the six lights in a folder, switched from one set to the other.
TEST_P(StatusLightSwitchTest, EachLightBecomesTheSameLightOfTheOtherSet)
{
    const bool wasSmall = GetParam();
    m_settings.SmallLights = wasSmall;
    ChooseLightImages(m_settings, m_images);
    TreeNode* folder =
        m_tree.add(nullptr, QStringLiteral("/favorites"), QStringLiteral("Favorites"),
                   NodeKind::FavoritesRoot, at("OPENFOLDER"), at("OPENFOLDER"));
    TreeNode* sub = m_tree.add(folder, QStringLiteral("/favorites/sub"), QStringLiteral("sub"),
                               NodeKind::Folder, at("FOLDER"), at("FOLDER"));
    std::vector<TreeNode*> favorites;
    for (const LightSlot& slot : kSlots) {
        const int image = at(keyFor(slot, wasSmall));
        favorites.push_back(
            m_tree.add(sub, QString(), QLatin1String(slot.name), NodeKind::Favorite, image, image));
    }
    // A picture that is no light of the old set keeps its place.
    TreeNode* other = m_tree.add(folder, QString(), QStringLiteral("other"), NodeKind::Favorite,
                                 at("TOMBSTONE"), at("TOMBSTONE"));

    m_settings.SmallLights = !wasSmall;
    SwitchStatusLights(m_settings, wasSmall, m_tree, m_images);

    for (size_t i = 0; i < std::size(kSlots); ++i) {
        SCOPED_TRACE(kSlots[i].name);
        const int want = at(keyFor(kSlots[i], !wasSmall));
        EXPECT_EQ(favorites[i]->image(), want);
        EXPECT_EQ(favorites[i]->selectedImage(), want);
    }
    EXPECT_EQ(folder->image(), at("OPENFOLDER"));
    EXPECT_EQ(sub->image(), at("FOLDER"));
    EXPECT_EQ(other->image(), at("TOMBSTONE"));
    EXPECT_EQ(m_settings.LightUnchecked, at(keyFor(kSlots[0], !wasSmall)));
    EXPECT_EQ(m_settings.LightDead, at(keyFor(kSlots[1], !wasSmall)));
    EXPECT_EQ(m_settings.LightWarning, at(keyFor(kSlots[2], !wasSmall)));
    EXPECT_EQ(m_settings.LightAlive, at(keyFor(kSlots[3], !wasSmall)));
    EXPECT_EQ(m_settings.LightGray, at("GRAYDOT"));
    EXPECT_EQ(m_settings.LightNew, at(keyFor(kSlots[5], !wasSmall)));
}

INSTANTIATE_TEST_SUITE_P(BothWays, StatusLightSwitchTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("SmallToClassic")
                                               : std::string("ClassicToSmall");
                         });

} // namespace
