#include "favorites/FavoritesTree.h"
#include "favorites/TreeConventions.h"
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
        m_state.FavoritesPath = m_temp.folder(QStringLiteral("Favorites"));
        m_state.FolderCount = 1;
        m_temp.folder(QStringLiteral("program"));
    }

    void build() { m_builder.BuildFavoritesTree(); }

    // Each node as indentation + text, in index order.
    QStringList outline() const
    {
        QStringList lines;
        for (int i = 1; i <= m_tree.count(); ++i) {
            const TreeNode* node = m_tree.node(i);
            int depth = 0;
            for (const TreeNode* p = node->parent(); p; p = p->parent())
                ++depth;
            lines.append(QString(depth * 2, QLatin1Char(' ')) + node->text());
        }
        return lines;
    }

    QString fav(const QString& relative) const { return QStringLiteral("Favorites/") + relative; }
    QStringList logLines() const { return m_temp.lines(QStringLiteral("program/ERROR.LOG")); }

    TempFolder m_temp;
    ImageList m_images;
    AppSettings m_settings;
    MainWindowState m_state;
    TreeControl m_tree;
    FileSystem m_fs;
    ScriptedMessageBoxes m_boxes;
    FixedClock m_clock;
    ErrorLog m_log{m_temp.path(QStringLiteral("program")), m_boxes, m_clock};
    FavoritesTree m_builder{
        m_tree, m_images, m_settings, m_state, m_fs, m_log, m_temp.path(QStringLiteral("program"))};
};

// What the tree shows for the files on disk: favorites before subfolders,
// each subtree complete; "Dead Favorites" folders inside the Favorites left
// out (case counts); links followed but never round in a circle.
TEST_F(FavoritesTreeTest, TheTreeShowsTheFavoritesOnDisk)
{
    const struct {
        int favorites, folders;
        QStringList files; // under Favorites/; "program/..." and "elsewhere/..." outside it
        QStringList outline;
    } rows[] = {
        {5,
         4,
         {"zeta.url", "Alpha.URL", "B/inner.url", "B/C/deep.url", "a/first.url", "readme.txt",
          "link.lnk"},
         {"Favorites", "  Alpha", "  zeta", "  a", "    first", "  B", "    inner", "    C",
          "      deep"}},
        {1, 1, {".url"}, {"Favorites", "  "}},
        {1,
         3,
         {"Dead Favorites/gone.url", "Sub/Dead Favorites/gone.url",
          "Sub/Dead Favorites/Below/gone.url", "Sub/dead favorites/shown.url"},
         {"Favorites", "  Sub", "    dead favorites", "      shown"}},
        {0, 1, {"program/Dead Favorites/old.url"}, {"Favorites"}}, // moving them is off
        {0, 1, {}, {"Favorites"}},
        {2,
         3,
         {"Real/r.url", "elsewhere/e.url", "Real/Up -> Favorites", "Other -> elsewhere",
          "broken.url -> nowhere"},
         {"Favorites", "  Other", "    e", "  Real", "    r"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.join(QLatin1Char(' ')).toStdString());
        QDir(m_temp.path()).removeRecursively();
        m_tree.clear();
        m_state.FavoriteCount = 0;
        m_state.FolderCount = 1;
        m_temp.folder(QStringLiteral("Favorites"));
        m_temp.folder(QStringLiteral("program"));
        for (const QString& file : row.files) {
            const QString path =
                file.startsWith(QLatin1String("program/")) || file.startsWith(QLatin1String("else"))
                    ? file
                    : fav(file);
            if (path.contains(QLatin1String(" -> ")))
                QFile::link(m_temp.path(path.section(QLatin1String(" -> "), 1)),
                            m_temp.path(path.section(QLatin1String(" -> "), 0, 0)));
            else if (path.endsWith(QLatin1String(".url"), Qt::CaseInsensitive))
                m_temp.shortcut(path);
            else
                m_temp.file(path, "not a favorite");
        }
        build();
        EXPECT_EQ(outline(), row.outline);
        EXPECT_EQ(m_state.FavoriteCount, row.favorites);
        EXPECT_EQ(m_state.FolderCount, row.folders);
    }
    const TreeNode* root = m_tree.node(1);
    EXPECT_EQ(root->key(), m_state.FavoritesPath);
    EXPECT_TRUE(root->expanded());
    EXPECT_EQ(root->image(), m_images.position(QStringLiteral("OPENFOLDER")));
}

TEST_F(FavoritesTreeTest, NodesFollowTheConventions)
{
    m_temp.shortcut(fav(QStringLiteral("Music/Radio.URL")));
    m_temp.shortcut(fav(QStringLiteral("Work/Music/Tools.url")));
    build();
    const TreeNode* music = m_tree.findByKey(m_state.FavoritesPath + QStringLiteral("/Music"));
    const TreeNode* workMusic =
        m_tree.findByKey(m_state.FavoritesPath + QStringLiteral("/Work/Music"));
    ASSERT_TRUE(music && workMusic) << "same names in different places get different keys";
    EXPECT_TRUE(music->isFolder());
    const TreeNode* radio = music->child(0);
    EXPECT_EQ(radio->text(), QStringLiteral("Radio"));
    EXPECT_TRUE(radio->key().isEmpty());
    EXPECT_FALSE(radio->isFolder());
    EXPECT_EQ(radio->image(), m_settings.LightUnchecked);
    EXPECT_EQ(FavoriteFilePath(radio, m_fs), m_temp.path(fav(QStringLiteral("Music/Radio.URL"))));
    EXPECT_EQ(FavoriteFilePath(workMusic->child(0), m_fs),
              m_temp.path(fav(QStringLiteral("Work/Music/Tools.url"))))
        << "the derived .URL path reaches a .url file";
}

TEST_F(FavoritesTreeTest, DeadFavoritesNodeComesFirstWithItsFavoritesOnly)
{
    m_settings.MoveDead = true;
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/old.url"));
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/Older.URL"));
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/Sub/hidden.url"));
    m_temp.shortcut(fav(QStringLiteral("live.url")));
    build();
    EXPECT_THAT(outline(),
                ElementsAre("Dead Favorites", "  old", "  Older", "Favorites", "  live"));
    const TreeNode* dead = m_tree.node(1);
    EXPECT_EQ(dead->key(), m_temp.path(QStringLiteral("program/Dead Favorites")));
    EXPECT_TRUE(dead->expanded());
    EXPECT_EQ(dead->child(0)->image(), m_settings.LightDead);
    EXPECT_EQ(m_state.FavoriteCount, 1) << "dead favorites are not counted";
    EXPECT_EQ(m_state.FolderCount, 1);
}

TEST_F(FavoritesTreeTest, MissingDeadFavoritesFolderIsCreatedAndOnlyLogged)
{
    m_settings.MoveDead = true;
    build();
    EXPECT_TRUE(QDir(m_temp.path(QStringLiteral("program/Dead Favorites"))).exists());
    EXPECT_THAT(outline(), ElementsAre("Dead Favorites", "Favorites"));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].contains(QStringLiteral("Error 424:")));
}

TEST_F(FavoritesTreeTest, VanishedFavoritesFolderGivesRootAndTwoShownErrors)
{
    m_temp.shortcut(fav(QStringLiteral("x.url")));
    QDir(m_state.FavoritesPath).removeRecursively();
    m_builder.RefreshLinks();
    EXPECT_THAT(outline(), ElementsAre("Favorites"));
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Error 76", "Error 76"));
    EXPECT_EQ(logLines().size(), 2);
    EXPECT_FALSE(m_tree.node(1)->expanded() && m_tree.node(1)->childCount() > 0);
}

TEST_F(FavoritesTreeTest, BuildChangesNothingOnDisk)
{
    m_temp.shortcut(fav(QStringLiteral("a.url")), QStringLiteral("http://127.0.0.1/a"));
    m_temp.file(fav(QStringLiteral("Sub/bad.url")), QByteArray("\xff\xfe garbage \x00 [", 15));
    const QByteArray before = m_temp.read(fav(QStringLiteral("Sub/bad.url")));
    build();
    EXPECT_EQ(m_temp.read(fav(QStringLiteral("Sub/bad.url"))), before);
    EXPECT_EQ(m_tree.count(), 4);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(FavoritesTreeTest, NameThatIsNotUtf8IsLoggedNotShown)
{
    m_temp.shortcut(fav(QStringLiteral("ok.url")));
    const QByteArray rawName =
        QFile::encodeName(m_temp.path(QStringLiteral("Favorites"))) + QByteArray("/caf\xe9.url");
    ::close(::creat(rawName.constData(), 0644));
    build();
    EXPECT_THAT(outline(), ElementsAre("Favorites", "  ok"));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].contains(QStringLiteral("caf%E9.url")))
        << logLines()[0].toStdString();
}

TEST_F(FavoritesTreeTest, RefreshForgetsLightsAndExpandsEverything)
{
    m_temp.shortcut(fav(QStringLiteral("Sub/a.url")));
    build();
    TreeNode* sub = m_tree.node(2);
    TreeNode* favorite = m_tree.node(3);
    m_tree.setExpanded(sub, false);
    m_tree.setImage(favorite, m_settings.LightDead);
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
    const QString folder = m_temp.folder(fav(QStringLiteral("Many")));
    for (int i = 0; i < 50000; ++i) {
        const QByteArray path = QFile::encodeName(folder) + "/f" + QByteArray::number(i) + ".url";
        ::close(::creat(path.constData(), 0644));
    }
    build();
    EXPECT_EQ(m_state.FavoriteCount, 50000);
    EXPECT_EQ(m_tree.count(), 50002);
    EXPECT_EQ(m_tree.indexOf(m_tree.node(50002)), 50002);
    EXPECT_EQ(m_tree.node(2)->childCount(), 50000);
}

} // namespace
