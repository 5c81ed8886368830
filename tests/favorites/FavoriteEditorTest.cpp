#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/NameCleanup.h"
#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/ProfileFile.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

TEST(NameCleanup, ForbiddenAndControlCharactersBecomeDashes)
{
    EXPECT_EQ(CleanName(QStringLiteral("a/b\\c:d*e?f<g>h|i\"j")),
              QStringLiteral("a-b-c-d-e-f-g-h-i-j"));
    EXPECT_EQ(CleanName(QStringLiteral("nul") + QChar(0) + QStringLiteral("bell\a")),
              QStringLiteral("nul-bell-"));
    EXPECT_EQ(CleanNameForRename(QStringLiteral("two\r\nlines\tand tab")),
              QStringLiteral("two  lines and tab"));
    EXPECT_EQ(CleanName(QStringLiteral("two\nlines")), QStringLiteral("two-lines"))
        << "only renames turn line breaks into spaces";
}

TEST(NameCleanup, NamesFitTheFileSystemWithoutSplittingCharacters)
{
    EXPECT_EQ(FitName(QString(200, QLatin1Char('a')), 127, QStringLiteral(".url")).size(), 127);
    EXPECT_EQ(FitName(QString(1000, QLatin1Char('a')), 1 << 30).size(), 255);
    QString emoji;
    for (int i = 0; i < 127; ++i)
        emoji += QString::fromUtf8("\xf0\x9f\x98\x80"); // four bytes, two UTF-16 units
    const QString fitted = FitName(emoji, 127, QStringLiteral(".url"));
    EXPECT_LE(fitted.toUtf8().size() + 4, 255);
    EXPECT_FALSE(fitted.back().isHighSurrogate());
    EXPECT_EQ(fitted.toUtf8(), QString(fitted).toUtf8()) << "whole characters only";
    EXPECT_TRUE(IsUnusableName(QStringLiteral("..")));
    EXPECT_TRUE(IsUnusableName(QString()));
    EXPECT_FALSE(IsUnusableName(QStringLiteral("...")));
}

class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class FavoriteEditorTest : public testing::Test {
protected:
    FavoriteEditorTest()
    {
        qputenv("XDG_DATA_HOME", m_temp.folder(QStringLiteral("data")).toUtf8());
        ChooseLightImages(m_settings, m_images);
        m_state.FavoritesPath = m_temp.folder(QStringLiteral("Favorites"));
    }

    void build() { m_favorites.RefreshLinks(); }
    QString fav(const QString& relative) const
    {
        return m_temp.path(QStringLiteral("Favorites/") + relative);
    }
    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_tree, text); }
    void select(const QString& text) { m_tree.select(nodeNamed(text)); }
    QStringList files(const QString& relative) const
    {
        return m_fs.listFolder(fav(relative)).files;
    }

    TempFolder m_temp;
    ImageList m_images;
    AppSettings m_settings;
    MainWindowState m_state;
    TreeControl m_tree;
    FileSystem m_fs;
    ScriptedMessageBoxes m_boxes;
    FixedClock m_clock;
    QString m_program = m_temp.folder(QStringLiteral("program"));
    ErrorLog m_log{m_program, m_boxes, m_clock};
    FavoritesTree m_favorites{m_tree, m_images, m_settings, m_state, m_fs, m_log, m_program};
    ShortcutFile m_shortcuts{m_settings, m_fs, m_program, nullptr};
    RecordingOpener m_opener;
    FavoriteEditor m_editor{{m_tree, m_images, m_fs, m_log, m_boxes, m_settings, m_state,
                             m_favorites, m_shortcuts, &m_opener}};
};

TEST_F(FavoriteEditorTest, RenameCleansTheNameOnDiskAndInTheTree)
{
    m_temp.shortcut(QStringLiteral("Favorites/Old.url"));
    build();
    ASSERT_EQ(m_editor.RenameLink(QStringLiteral("Cats/Dogs\r\nDaily"), nodeNamed("Old")),
              RenameOutcome::Renamed);
    EXPECT_THAT(files(QString()), ElementsAre("Cats-Dogs  Daily.url"));
    EXPECT_NE(nodeNamed(QStringLiteral("Cats-Dogs  Daily")), nullptr);

    ASSERT_EQ(m_editor.RenameLink(QString(200, QLatin1Char('t')), nodeNamed("Cats-Dogs  Daily")),
              RenameOutcome::Renamed);
    EXPECT_THAT(files(QString()), ElementsAre(QString(127, QLatin1Char('t')) + ".url"));
    EXPECT_NE(nodeNamed(QString(127, QLatin1Char('t'))), nullptr);
}

TEST_F(FavoriteEditorTest, RenameOntoATakenOrUnusableNameChangesNothing)
{
    m_temp.shortcut(QStringLiteral("Favorites/a.url"), QStringLiteral("http://127.0.0.1/a"));
    m_temp.shortcut(QStringLiteral("Favorites/b.url"), QStringLiteral("http://127.0.0.1/b"));
    m_temp.shortcut(QStringLiteral("Favorites/B.url"), QStringLiteral("http://127.0.0.1/B"));
    m_temp.shortcut(QStringLiteral("Favorites/c.url"), QStringLiteral("http://127.0.0.1/c"));
    m_temp.folder(QStringLiteral("outside"));
    // A link of a taken name that leads out of the folder, to nothing yet.
    QFile::link(m_temp.path(QStringLiteral("outside/written.url")), fav("Out.url"));
    build();
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("b"), nodeNamed("a")), RenameOutcome::NameTaken);
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("B"), nodeNamed("b")), RenameOutcome::NameTaken)
        << "a sibling differing only in case is another file here";
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("A"), nodeNamed("c")), RenameOutcome::NameTaken)
        << "a name taken in any letter case is taken";
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("out"), nodeNamed("c")), RenameOutcome::NameTaken)
        << "a dangling link takes its name too";
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral(".."), nodeNamed("a")),
              RenameOutcome::UnusableName);
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("   "), nodeNamed("a")), RenameOutcome::EmptyName);
    EXPECT_THAT(files(QString()), ElementsAre("a.url", "B.url", "b.url", "c.url"));
    EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("outside/written.url"))));
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/b.url")),
              QByteArray("[InternetShortcut]\r\nURL=http://127.0.0.1/b\r\n"));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    EXPECT_EQ(m_editor.RenameLink(QStringLiteral("C"), nodeNamed("c")), RenameOutcome::Renamed)
        << "a favorite may change the case of its own name";
    EXPECT_THAT(files(QString()), ElementsAre("a.url", "B.url", "b.url", "C.url"));
}

TEST_F(FavoriteEditorTest, RenamedFolderGivesEveryNodeBelowItsNewPath)
{
    m_temp.shortcut(QStringLiteral("Favorites/Old/Inner/x.url"));
    build();
    ASSERT_EQ(m_editor.RenameLink(QStringLiteral("New"), nodeNamed("Old")), RenameOutcome::Renamed);
    EXPECT_EQ(nodeNamed("New")->key(), fav(QStringLiteral("New")));
    EXPECT_EQ(nodeNamed("Inner")->key(), fav(QStringLiteral("New/Inner")));
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("New/Inner/x.url"))));
    select(QStringLiteral("x"));
    m_editor.LaunchFavorite();
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/")) << "the file is still found";
}

TEST_F(FavoriteEditorTest, CutNeverPastedLeavesTheFileWhereItIs)
{
    m_temp.shortcut(QStringLiteral("Favorites/keep.url"));
    build();
    select(QStringLiteral("keep"));
    m_editor.CutNode();
    EXPECT_EQ(nodeNamed("keep"), nullptr);
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("keep.url"))));
    build();
    EXPECT_NE(nodeNamed("keep"), nullptr);
}

TEST_F(FavoriteEditorTest, CutAndPasteMovesAndASecondPasteMovesOn)
{
    m_temp.shortcut(QStringLiteral("Favorites/item.url"));
    m_temp.folder(QStringLiteral("Favorites/One"));
    m_temp.shortcut(QStringLiteral("Favorites/Two/other.url"));
    build();
    select(QStringLiteral("item"));
    m_editor.CutNode();
    select(QStringLiteral("One"));
    m_editor.PasteNode();
    EXPECT_THAT(files(QStringLiteral("One")), ElementsAre("item.url"));
    select(QStringLiteral("other")); // a favorite: its folder is the target
    m_editor.PasteNode();
    EXPECT_THAT(files(QStringLiteral("One")), IsEmpty());
    EXPECT_THAT(files(QStringLiteral("Two")), ElementsAre("item.url", "other.url"));
    EXPECT_EQ(nodeNamed("item")->parent(), nodeNamed("Two"));
}

TEST_F(FavoriteEditorTest, PasteOntoAnExistingNameMovesNothing)
{
    m_temp.shortcut(QStringLiteral("Favorites/same.url"), QStringLiteral("http://127.0.0.1/top"));
    m_temp.shortcut(QStringLiteral("Favorites/Box/same.url"),
                    QStringLiteral("http://127.0.0.1/box"));
    build();
    m_tree.select(m_tree.node(2)); // the top-level "same"
    m_editor.CutNode();
    select(QStringLiteral("Box"));
    m_editor.PasteNode();
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("same.url"))));
    EXPECT_EQ(ProfileFile::read(fav(QStringLiteral("Box/same.url")), "InternetShortcut", "URL", {}),
              QStringLiteral("http://127.0.0.1/box"));
    EXPECT_EQ(m_editor.clipboard().key, fav(QStringLiteral("Box/same.URL")))
        << "the clipboard now points at the file in the target";
}

TEST_F(FavoriteEditorTest, FoldersCopyWholeButNeverIntoThemselves)
{
    m_temp.shortcut(QStringLiteral("Favorites/Src/a.url"));
    m_temp.shortcut(QStringLiteral("Favorites/Src/Deep/b.url"));
    m_temp.folder(QStringLiteral("Favorites/Dest"));
    build();
    select(QStringLiteral("Src"));
    m_editor.CopyNode();
    select(QStringLiteral("Dest"));
    m_editor.PasteNode();
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("Dest/Src/Deep/b.url"))));
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("Src/Deep/b.url"))));

    m_tree.select(m_tree.findByKey(fav(QStringLiteral("Src"))));
    m_editor.CopyNode();
    m_tree.select(m_tree.findByKey(fav(QStringLiteral("Src/Deep"))));
    m_editor.PasteNode();
    EXPECT_FALSE(QFile::exists(fav(QStringLiteral("Src/Deep/Src"))));
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("Src/a.url"))));
    EXPECT_EQ(m_boxes.shown().size(), 1);
}

TEST_F(FavoriteEditorTest, PasteWithNothingCopiedOrASourceGoneIsHandled)
{
    m_temp.shortcut(QStringLiteral("Favorites/gone.url"));
    m_temp.folder(QStringLiteral("Favorites/Dest"));
    build();
    select(QStringLiteral("Dest"));
    m_editor.PasteNode();
    EXPECT_THAT(m_boxes.shown(), IsEmpty()) << "an empty clipboard says nothing";
    select(QStringLiteral("gone"));
    m_editor.CopyNode();
    QFile::remove(fav(QStringLiteral("gone.url")));
    select(QStringLiteral("Dest"));
    m_editor.PasteNode();
    EXPECT_EQ(m_boxes.shown().size(), 1) << "the copy that stands in for it fails too";
    EXPECT_THAT(files(QStringLiteral("Dest")), IsEmpty());
}

TEST_F(FavoriteEditorTest, DeleteAsksAndSendsToTheTrash)
{
    m_temp.shortcut(QStringLiteral("Favorites/doomed.url"));
    m_temp.shortcut(QStringLiteral("Favorites/Box/ro.url"));
    QFile::setPermissions(fav(QStringLiteral("Box/ro.url")), QFileDevice::ReadOwner);
    build();
    select(QStringLiteral("doomed"));
    m_boxes.answerNext(MessageAnswer::No);
    m_editor.DeleteNode();
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("doomed.url"))));
    m_boxes.answerNext(MessageAnswer::Yes);
    m_editor.DeleteNode();
    EXPECT_FALSE(QFile::exists(fav(QStringLiteral("doomed.url"))));
    EXPECT_EQ(nodeNamed("doomed"), nullptr);
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("data/Trash/files/doomed.url"))));
    EXPECT_EQ(m_boxes.shown()[0].text,
              QStringLiteral("Are you sure you want to remove this Favorite?"));
    EXPECT_EQ(m_boxes.shown()[0].title, QStringLiteral("Remove Favorite"));

    select(QStringLiteral("Box"));
    m_boxes.answerNext(MessageAnswer::Yes);
    m_editor.DeleteNode();
    EXPECT_EQ(m_boxes.shown()[2].text,
              QStringLiteral("Removing this folder will also remove all of its Favorites. Are you "
                             "sure you want to remove this folder?"));
    EXPECT_FALSE(QDir(fav(QStringLiteral("Box"))).exists());
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("data/Trash/files/Box/ro.url"))));
}

TEST_F(FavoriteEditorTest, NewFolderGoesBesideACollapsedFolderAndNeverTwice)
{
    m_temp.folder(QStringLiteral("Favorites/Closed/Inside"));
    build();
    m_tree.setImage(nodeNamed("Closed"), m_images.position(QStringLiteral("FOLDER")));
    select(QStringLiteral("Closed"));
    EXPECT_TRUE(m_editor.CreateFolder(QStringLiteral("Beside:it")));
    EXPECT_TRUE(QDir(fav(QStringLiteral("Beside-it"))).exists());
    EXPECT_EQ(m_tree.selectedItem()->text(), QStringLiteral("Beside-it"));

    select(QStringLiteral("Inside"));
    const int nodes = m_tree.count();
    EXPECT_TRUE(m_editor.CreateFolder(QStringLiteral("   ")));
    EXPECT_EQ(m_tree.count(), nodes) << "blanks only create nothing";
    EXPECT_TRUE(m_editor.CreateFolder(QStringLiteral("Made")));
    TreeNode* made = m_tree.selectedItem();
    EXPECT_EQ(made->key(), fav(QStringLiteral("Closed/Inside/Made")));
    select(QStringLiteral("Inside"));
    EXPECT_TRUE(m_editor.CreateFolder(QStringLiteral("Made")));
    EXPECT_EQ(m_tree.selectedItem(), made) << "the folder already shown is selected, not doubled";
    EXPECT_EQ(m_tree.count(), nodes + 1);
    EXPECT_FALSE(m_editor.CreateFolder(QStringLiteral("..")));
    select(QStringLiteral("Inside"));
    EXPECT_FALSE(m_editor.CreateFolder(QStringLiteral("MADE")))
        << "a folder of that name in another case exists: the dialog stays open";
    EXPECT_EQ(m_fs.listFolder(fav(QStringLiteral("Closed/Inside"))).subfolders.size(), 1u);
}

TEST_F(FavoriteEditorTest, NewFavoriteCompletesTheAddressAsTyped)
{
    build();
    m_tree.select(m_tree.node(1));
    struct Case {
        const char* typed;
        const char* stored;
    };
    int n = 0;
    for (const Case& c : {Case{"example.test", "http://example.test"},
                          Case{"HTTP://caps.test", "http://HTTP://caps.test"},
                          Case{"ftp://files.test", "http://ftp://files.test"},
                          Case{"https://secure.test", "https://secure.test"}}) {
        QString address = QString::fromUtf8(c.typed);
        const QString name = QStringLiteral("f%1").arg(++n);
        EXPECT_TRUE(m_editor.CreateFavorite(name, address));
        EXPECT_EQ(address, QString::fromUtf8(c.stored));
        EXPECT_EQ(ProfileFile::read(fav(name + ".url"), "InternetShortcut", "URL", {}), address);
    }
    QString digits = QStringLiteral("http://127.0.0.1/");
    EXPECT_TRUE(m_editor.CreateFavorite(QStringLiteral("2026"), digits));
    EXPECT_TRUE(QFile::exists(fav(QStringLiteral("2026.url"))));
    EXPECT_EQ(m_tree.selectedItem()->text(), QStringLiteral("2026"));
    EXPECT_TRUE(m_tree.selectedItem()->key().isEmpty());

    QString again = QStringLiteral("http://127.0.0.1/again");
    EXPECT_TRUE(m_editor.CreateFavorite(QStringLiteral("f1"), again));
    EXPECT_EQ(ProfileFile::read(fav("f1.url"), "InternetShortcut", "URL", {}), again);
    QString blank = QStringLiteral("http://x");
    EXPECT_TRUE(m_editor.CreateFavorite(QStringLiteral("  "), blank));
    EXPECT_EQ(m_fs.listFolder(m_state.FavoritesPath).files.size(), 5);

    // A name taken in another letter case is that favorite, rewritten.
    QString otherCase = QStringLiteral("http://127.0.0.1/other-case");
    EXPECT_TRUE(m_editor.CreateFavorite(QStringLiteral("F1"), otherCase));
    EXPECT_EQ(ProfileFile::read(fav("f1.url"), "InternetShortcut", "URL", {}), otherCase);
    EXPECT_EQ(m_fs.listFolder(m_state.FavoritesPath).files.size(), 5);
    EXPECT_EQ(m_shortcuts.GetLinkInfo(m_tree).URL, otherCase)
        << "the new node reaches the file it rewrote";
}

TEST_F(FavoriteEditorTest, LaunchOpensTheFavoritesAddressOnly)
{
    m_temp.shortcut(QStringLiteral("Favorites/Sub/go.url"), QStringLiteral("http://127.0.0.1/go"));
    build();
    select(QStringLiteral("Sub"));
    m_editor.LaunchFavorite();
    select(QStringLiteral("go"));
    m_editor.LaunchFavorite();
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/go"));
}

} // namespace
