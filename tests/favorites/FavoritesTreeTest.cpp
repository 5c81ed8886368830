#include "favorites/FavoritesTree.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <QDir>
#include <QFile>
#include <unistd.h>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// A Favorites folder and a program folder in one temporary folder, and the
// tree built from them.
class FavoritesTreeTest : public testing::Test {
protected:
    FavoritesTreeTest()
    {
        ChooseLightImages(m_settings, m_images);
        m_state.FavoritesPath = m_temp.folder(u"Favorites"_s);
        m_state.FolderCount = 1;
        m_temp.folder(u"program"_s);
    }

    void build() { m_builder.BuildFavoritesTree(); }
    // Each node as indentation + text, in index order.
    QStringList outline() const
    {
        QStringList lines;
        for (int i = 1; i <= m_tree.count(); ++i) {
            int depth = 0;
            for (const TreeNode* p = m_tree.node(i)->parent(); p; p = p->parent())
                ++depth;
            lines.append(QString(depth * 2, ' ') + m_tree.node(i)->text());
        }
        return lines;
    }
    QString fav(const QString& relative) const { return u"Favorites/"_s + relative; }
    QStringList logLines() const { return m_temp.lines(u"program/ERROR.LOG"_s); }

    TempFolder m_temp;
    ImageList m_images;
    AppSettings m_settings;
    MainWindowState m_state;
    TreeControl m_tree;
    FileSystem m_fs;
    ScriptedMessageBoxes m_boxes;
    FixedClock m_clock;
    ErrorLog m_log{m_temp.path(u"program"_s), m_boxes, m_clock};
    FavoritesTree m_builder{
        m_tree, m_images, m_settings, m_state, m_fs, m_log, m_temp.path(u"program"_s)};
};

// What the tree shows for the files on disk: favorites before subfolders,
// each subtree complete; "Dead Favorites" folders inside the Favorites left
// out (case counts); links followed but never round in a circle.
TEST_F(FavoritesTreeTest, TheTreeShowsTheFavoritesOnDisk)
{
    // Files under Favorites/ ("program/..." and "elsewhere/..." outside it;
    // "a -> b" a link), and the outline they give.
    const struct {
        int favorites, folders;
        QString files, outline;
    } rows[] = {
        {5, 4, "zeta.url;Alpha.URL;B/inner.url;B/C/deep.url;a/first.url;readme.txt;link.lnk",
         "Favorites|  Alpha|  zeta|  a|    first|  B|    inner|    C|      deep"},
        {1, 1, ".url", "Favorites|  "},
        {1, 3,
         "Dead Favorites/gone.url;Sub/Dead Favorites/gone.url;Sub/Dead Favorites/Below/gone.url;"
         "Sub/dead favorites/shown.url",
         "Favorites|  Sub|    dead favorites|      shown"},
        {0, 1, "program/Dead Favorites/old.url", "Favorites"}, // moving them is off
        {0, 1, "", "Favorites"},
        {2, 3,
         "Real/r.url;elsewhere/e.url;Real/Up -> Favorites;Other -> elsewhere;broken.url -> nowhere",
         "Favorites|  Other|    e|  Real|    r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.toStdString());
        QDir(m_temp.path()).removeRecursively();
        m_tree.clear();
        m_state.FavoriteCount = 0;
        m_state.FolderCount = 1;
        m_temp.folder(u"Favorites"_s);
        m_temp.folder(u"program"_s);
        for (const QString& file : row.files.split(';', Qt::SkipEmptyParts)) {
            const QString path =
                file.startsWith(u"program/"_s) || file.startsWith(u"else"_s) ? file : fav(file);
            if (path.contains(u" -> "_s))
                QFile::link(m_temp.path(path.section(u" -> "_s, 1)),
                            m_temp.path(path.section(u" -> "_s, 0, 0)));
            else if (path.endsWith(u".url"_s, Qt::CaseInsensitive))
                m_temp.shortcut(path);
            else
                m_temp.file(path, "not a favorite");
        }
        build();
        EXPECT_EQ(outline().join('|'), row.outline);
        EXPECT_EQ(m_state.FavoriteCount, row.favorites);
        EXPECT_EQ(m_state.FolderCount, row.folders);
    }
    const TreeNode* root = m_tree.node(1);
    EXPECT_EQ(root->key(), m_state.FavoritesPath);
    EXPECT_TRUE(root->expanded());
    EXPECT_EQ(root->image(), m_images.position(u"OPENFOLDER"_s));
}

// The program's own Dead Favorites folder: made (and only logged) when it is
// missing, then shown first with its favorites only, none of them counted.
TEST_F(FavoritesTreeTest, DeadFavoritesNodeComesFirstWithItsFavoritesOnly)
{
    m_settings.MoveDead = true;
    build();
    EXPECT_TRUE(QDir(m_temp.path(u"program/Dead Favorites"_s)).exists());
    EXPECT_THAT(outline(), ElementsAre("Dead Favorites", "Favorites"));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].contains(u"Error 424:"_s));

    for (const QString& name : {u"old.url"_s, u"Older.URL"_s, u"Sub/hidden.url"_s})
        m_temp.shortcut(u"program/Dead Favorites/"_s + name);
    m_temp.shortcut(fav(u"live.url"_s));
    m_tree.clear();
    m_state.FavoriteCount = 0;
    m_state.FolderCount = 1;
    build();
    EXPECT_THAT(outline(),
                ElementsAre("Dead Favorites", "  old", "  Older", "Favorites", "  live"));
    const TreeNode* dead = m_tree.node(1);
    EXPECT_EQ(dead->key(), m_temp.path(u"program/Dead Favorites"_s));
    EXPECT_TRUE(dead->expanded());
    EXPECT_EQ(dead->child(0)->image(), m_settings.LightDead);
    EXPECT_EQ(m_state.FavoriteCount, 1) << "dead favorites are not counted";
    EXPECT_EQ(m_state.FolderCount, 1);
}

TEST_F(FavoritesTreeTest, VanishedFavoritesFolderGivesRootAndTwoShownErrors)
{
    m_temp.shortcut(fav(u"x.url"_s));
    QDir(m_state.FavoritesPath).removeRecursively();
    m_builder.RefreshLinks();
    EXPECT_THAT(outline(), ElementsAre("Favorites"));
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Error 76", "Error 76"));
    EXPECT_EQ(logLines().size(), 2);
}

// A malformed file is shown and left as it is; a name that is not UTF-8 is
// logged, not shown.
TEST_F(FavoritesTreeTest, BuildChangesNothingOnDiskAndOnlyLogsNamesItCannotRead)
{
    m_temp.shortcut(fav(u"ok.url"_s));
    const QByteArray bad("\xff\xfe garbage \x00 [", 15);
    m_temp.file(fav(u"Sub/bad.url"_s), bad);
    const QByteArray rawName = QFile::encodeName(m_state.FavoritesPath) + "/caf\xe9.url";
    ::close(::creat(rawName.constData(), 0644));
    build();
    EXPECT_THAT(outline(), ElementsAre("Favorites", "  ok", "  Sub", "    bad"));
    EXPECT_EQ(m_temp.read(fav(u"Sub/bad.url"_s)), bad);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].contains(u"caf%E9.url"_s)) << logLines()[0].toStdString();
}

TEST_F(FavoritesTreeTest, RefreshForgetsLightsAndExpandsEverything)
{
    m_temp.shortcut(fav(u"Sub/a.url"_s));
    build();
    m_tree.setExpanded(m_tree.node(2), false);
    m_tree.setImage(m_tree.node(3), m_settings.LightDead);
    int busyCalls = 0;
    m_builder.setBusyIndicator([&](bool) { ++busyCalls; });
    m_builder.RefreshLinks();
    ASSERT_EQ(m_tree.count(), 3);
    EXPECT_TRUE(m_tree.node(2)->expanded());
    EXPECT_EQ(m_tree.node(3)->image(), m_settings.LightUnchecked);
    EXPECT_EQ(busyCalls, 2);
}

TEST_F(FavoritesTreeTest, LargeFolderBuildsWithWideCounters)
{
    const QByteArray folder = QFile::encodeName(m_temp.folder(fav(u"Many"_s)));
    for (int i = 0; i < 50000; ++i)
        ::close(::creat((folder + "/f" + QByteArray::number(i) + ".url").constData(), 0644));
    build();
    EXPECT_EQ(m_state.FavoriteCount, 50000);
    EXPECT_EQ(m_tree.count(), 50002);
    EXPECT_EQ(m_tree.indexOf(m_tree.node(50002)), 50002);
    EXPECT_EQ(m_tree.node(2)->childCount(), 50000);
}

} // namespace
