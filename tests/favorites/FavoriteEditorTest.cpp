#include "favorites/NameCleanup.h"
#include "platform/ProfileFile.h"
#include "support/FavoritesRig.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

TEST(NameCleanup, NamesBecomeFileNamesThatFitWithoutSplittingCharacters)
{
    EXPECT_EQ(CleanName(u"a/b\\c:d*e?f<g>h|i\"j\0k\nl"_s), u"a-b-c-d-e-f-g-h-i-j-k-l"_s);
    const QString fitted = FitName(u"\U0001F600"_s.repeated(127), 127, u".url"_s);
    EXPECT_LE(fitted.toUtf8().size() + 4, 255);
    EXPECT_FALSE(fitted.back().isHighSurrogate());
    EXPECT_FALSE(IsUnusableName(u"..."_s));
}

class FavoriteEditorTest : public testing::Test, protected FavoritesRig {
protected:
    FavoriteEditorTest()
    {
        qputenv("XDG_DATA_HOME", m_temp.folder(u"data"_s).toUtf8());
        ChooseLightImages(m_settings, m_images);
        m_state.FavoritesPath = m_temp.folder(u"Favorites"_s);
    }

    void build(const QStringList& entries = {})
    {
        for (const QString& entry : entries) {
            if (entry.endsWith(u".url"_s, Qt::CaseInsensitive))
                m_temp.shortcut(u"Favorites/"_s + entry, u"http://127.0.0.1/"_s + entry);
            else
                m_temp.folder(u"Favorites/"_s + entry);
        }
        m_favorites.RefreshLinks();
    }
    QString fav(const QString& relative) const { return m_temp.path(u"Favorites/"_s + relative); }
    QString url(const QString& relative) const
    {
        return ProfileFile::read(fav(relative), u"InternetShortcut"_s, u"URL"_s, {});
    }
    TreeNode* node(const QString& text) const { return NodeNamed(m_tree, text); }
    void select(const QString& text) { m_tree.select(node(text)); }
    QStringList files(const QString& relative = {}) const
    {
        return m_fs.listFolder(fav(relative)).files;
    }
};

// A rename cleans the name; a name taken in any letter case (by a dangling
// link too) or unusable changes nothing, but a favorite may change the case
// of its own name.
TEST_F(FavoriteEditorTest, EachRenameGivesItsOutcomeOnDiskAndInTheTree)
{
    m_temp.folder(u"outside"_s);
    QFile::link(m_temp.path(u"outside/written.url"_s), fav(u"Out.url"_s));
    build({u"a.url"_s, u"b.url"_s, u"B.url"_s, u"c.url"_s, u"Old.url"_s});
    const QString longName(127, 't');
    const struct {
        QString from, to;
        RenameOutcome outcome;
        QString shownAs = {};
    } rows[] = {
        {"a", "b", RenameOutcome::NameTaken},
        {"b", "B", RenameOutcome::NameTaken},
        {"c", "A", RenameOutcome::NameTaken},
        {"c", "out", RenameOutcome::NameTaken},
        {"a", "..", RenameOutcome::UnusableName},
        {"a", "   ", RenameOutcome::EmptyName},
        {"c", "C", RenameOutcome::Renamed, "C"},
        {"Old", "Cats/Dogs\r\nDaily", RenameOutcome::Renamed, "Cats-Dogs  Daily"},
        {"Cats-Dogs  Daily", QString(200, 't'), RenameOutcome::Renamed, longName},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.from + u" -> "_s + row.to).toStdString());
        EXPECT_EQ(m_editor.RenameLink(row.to, node(row.from)), row.outcome);
        if (!row.shownAs.isEmpty()) {
            EXPECT_NE(node(row.shownAs), nullptr);
        }
    }
    EXPECT_THAT(files(), ElementsAre("a.url", "B.url", "b.url", "C.url", longName + u".url"_s));
    EXPECT_EQ(url(u"b.url"_s), u"http://127.0.0.1/b.url"_s);
    EXPECT_EQ(url(longName + u".url"_s), u"http://127.0.0.1/Old.url"_s);
    EXPECT_FALSE(QFile::exists(m_temp.path(u"outside/written.url"_s)));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());

    // A launch opens a favorite's address (a folder's nothing), below a renamed folder too.
    build({u"Dir/Inner/x.url"_s});
    ASSERT_EQ(m_editor.RenameLink(u"New"_s, node(u"Dir"_s)), RenameOutcome::Renamed);
    EXPECT_EQ(node(u"Inner"_s)->key(), fav(u"New/Inner"_s));
    select(u"Inner"_s);
    m_editor.LaunchFavorite();
    select(u"x"_s);
    m_editor.LaunchFavorite();
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/Dir/Inner/x.url"));
}

// A cut never pasted leaves the file; a paste moves it, a second paste moves
// it on; a paste onto a name taken moves nothing, and the clipboard then
// points at the file in the target.
TEST_F(FavoriteEditorTest, CutAndPasteMoveTheFileAndNeverOverwrite)
{
    build({u"item.url"_s, u"One"_s, u"Two/other.url"_s, u"Box/same.url"_s, u"same.url"_s});
    select(u"item"_s);
    m_editor.CutNode();
    build();
    EXPECT_THAT(files(), ElementsAre("item.url", "same.url")) << "not pasted: still there";
    select(u"item"_s);
    m_editor.CutNode();
    EXPECT_EQ(node(u"item"_s), nullptr);
    m_tree.setImage(node(u"One"_s), m_images.position(u"FOLDER"_s)); // collapsed: still a folder
    select(u"One"_s);
    m_editor.PasteNode();
    EXPECT_THAT(files(u"One"_s), ElementsAre("item.url"));
    select(u"other"_s); // a favorite: its folder is the target
    m_editor.PasteNode();
    EXPECT_THAT(files(u"One"_s), IsEmpty());
    EXPECT_THAT(files(u"Two"_s), ElementsAre("item.url", "other.url"));
    EXPECT_EQ(node(u"item"_s)->parent(), node(u"Two"_s));

    select(u"same"_s); // the top-level one: files come before folders
    m_editor.CutNode();
    select(u"Box"_s);
    m_editor.PasteNode();
    EXPECT_THAT(files(), ElementsAre("same.url"));
    EXPECT_EQ(url(u"Box/same.url"_s), u"http://127.0.0.1/Box/same.url"_s);
    EXPECT_EQ(m_editor.clipboard().key, fav(u"Box/same.URL"_s));
}

TEST_F(FavoriteEditorTest, FoldersCopyWholeButNeverIntoThemselvesAndGoneSourcesFail)
{
    build({u"Src/a.url"_s, u"Src/Deep/b.url"_s, u"Dest"_s, u"gone.url"_s});
    select(u"Dest"_s);
    m_editor.PasteNode();
    EXPECT_THAT(m_boxes.shown(), IsEmpty()) << "an empty clipboard says nothing";
    select(u"Src"_s);
    m_editor.CopyNode();
    select(u"Dest"_s);
    m_editor.PasteNode();
    EXPECT_TRUE(QFile::exists(fav(u"Dest/Src/Deep/b.url"_s)));
    EXPECT_TRUE(QFile::exists(fav(u"Src/Deep/b.url"_s)));

    m_tree.select(m_tree.findByKey(fav(u"Src"_s)));
    m_editor.CopyNode();
    m_tree.select(m_tree.findByKey(fav(u"Src/Deep"_s)));
    m_editor.PasteNode();
    EXPECT_FALSE(QFile::exists(fav(u"Src/Deep/Src"_s)));
    EXPECT_EQ(m_boxes.shown().size(), 1);

    select(u"gone"_s);
    m_editor.CopyNode();
    QFile::remove(fav(u"gone.url"_s));
    select(u"Dest"_s);
    m_editor.PasteNode();
    EXPECT_EQ(m_boxes.shown().size(), 2) << "the copy that stands in for it fails too";
    EXPECT_THAT(files(u"Dest"_s), IsEmpty());

    // A folder whose name ends as a favorite's file does is still a folder.
    m_temp.shortcut(u"Favorites/Old.URL/inside.url"_s);
    m_favorites.RefreshLinks();
    select(u"Old.URL"_s);
    m_editor.CopyNode();
    select(u"Dest"_s);
    m_editor.PasteNode();
    EXPECT_TRUE(QFile::exists(fav(u"Dest/Old.URL/inside.url"_s)));
    EXPECT_EQ(m_boxes.shown().size(), 2);
}

TEST_F(FavoriteEditorTest, DeleteAsksAndSendsToTheTrash)
{
    build({u"doomed.url"_s, u"Box/ro.url"_s});
    QFile::setPermissions(fav(u"Box/ro.url"_s), QFileDevice::ReadOwner);
    select(u"doomed"_s);
    m_boxes.answerNext(MessageAnswer::No);
    m_editor.DeleteNode();
    EXPECT_TRUE(QFile::exists(fav(u"doomed.url"_s)));
    m_boxes.answerNext(MessageAnswer::Yes);
    m_editor.DeleteNode();
    EXPECT_EQ(node(u"doomed"_s), nullptr);
    EXPECT_FALSE(QFile::exists(fav(u"doomed.url"_s)));
    EXPECT_TRUE(QFile::exists(m_temp.path(u"data/Trash/files/doomed.url"_s)));

    select(u"Box"_s);
    m_boxes.answerNext(MessageAnswer::Yes);
    m_editor.DeleteNode();
    EXPECT_FALSE(QDir(fav(u"Box"_s)).exists());
    EXPECT_TRUE(QFile::exists(m_temp.path(u"data/Trash/files/Box/ro.url"_s)));
}

TEST_F(FavoriteEditorTest, NewFolderGoesBesideACollapsedFolderAndNeverTwice)
{
    build({u"Closed/Inside"_s});
    m_tree.setImage(node(u"Closed"_s), m_images.position(u"FOLDER"_s));
    select(u"Closed"_s);
    EXPECT_TRUE(m_editor.CreateFolder(u"Beside:it"_s));
    EXPECT_EQ(m_tree.selectedItem()->key(), fav(u"Beside-it"_s));
    EXPECT_TRUE(QDir(fav(u"Beside-it"_s)).exists());

    select(u"Inside"_s);
    const int nodes = m_tree.count();
    EXPECT_TRUE(m_editor.CreateFolder(u"Made"_s));
    TreeNode* made = m_tree.selectedItem();
    EXPECT_EQ(made->key(), fav(u"Closed/Inside/Made"_s));
    select(u"Inside"_s);
    EXPECT_TRUE(m_editor.CreateFolder(u"Made"_s));
    EXPECT_EQ(m_tree.selectedItem(), made) << "the folder already shown is selected, not doubled";
    EXPECT_EQ(m_tree.count(), nodes + 1);
    select(u"Inside"_s);
    EXPECT_FALSE(m_editor.CreateFolder(u"MADE"_s)) << "taken in another case: the dialog stays";
    EXPECT_EQ(m_fs.listFolder(fav(u"Closed/Inside"_s)).subfolders.size(), 1u);
}

// The address is completed as typed; a name taken in another letter case is
// that favorite, rewritten; blanks create nothing.
TEST_F(FavoriteEditorTest, NewFavoriteCompletesTheAddressAsTyped)
{
    build();
    m_tree.select(m_tree.node(1));
    // One after the other in the Favorites folder.
    const struct {
        QString name, typed, stored;
    } rows[] = {
        {"f1", "example.test", "http://example.test"},
        {"f2", "HTTP://caps.test", "http://HTTP://caps.test"},
        {"f4", "https://secure.test", "https://secure.test"},
        {"2026", "http://127.0.0.1/", "http://127.0.0.1/"},
        {"f1", "http://127.0.0.1/again", "http://127.0.0.1/again"},
        {"  ", "http://x", "http://x"},
        {"F1", "http://127.0.0.1/case", "http://127.0.0.1/case"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.name + u" "_s + row.typed).toStdString());
        QString address = row.typed;
        EXPECT_TRUE(m_editor.CreateFavorite(row.name, address));
        EXPECT_EQ(address, row.stored);
        EXPECT_EQ(url(row.name.toLower() + u".url"_s),
                  row.name.trimmed().isEmpty() ? QString() : row.stored);
    }
    EXPECT_EQ(files().size(), 4);
    EXPECT_EQ(m_shortcuts.GetLinkInfo(m_tree).URL, u"http://127.0.0.1/case"_s)
        << "the new node reaches the file it rewrote";
    EXPECT_TRUE(node(u"2026"_s)->key().isEmpty());
}

} // namespace
