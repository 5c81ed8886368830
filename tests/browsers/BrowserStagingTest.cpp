#include "browsers/BrowserStaging.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using namespace norvale;
using namespace norvale::test;

namespace {

using Kind = BookmarkChange::Kind;

BrowserNode bookmark(const QString& id, const QString& title, const QString& url)
{
    return {false, id, title, url, {}};
}

BrowserNode folder(const QString& id, const QString& title, QList<BrowserNode> children)
{
    return {true, id, title, {}, std::move(children)};
}

BrowserTree sampleTree()
{
    BrowserTree tree;
    tree.roots = {
        folder(u"1"_s, u"Bookmarks bar"_s,
               {bookmark(u"10"_s, u"Alpha"_s, u"http://a.test/"_s),
                folder(u"11"_s, u"Work"_s,
                       {bookmark(u"12"_s, u"Beta"_s, u"http://b.test/"_s),
                        folder(u"13"_s, u"Old"_s,
                               {bookmark(u"14"_s, u"Gamma"_s, u"http://c.test/"_s)})}),
                bookmark(u"18"_s, u"Script"_s, u"javascript:void(0)"_s)}),
        folder(u"2"_s, u"Other bookmarks"_s,
               {bookmark(u"15"_s, u"Alpha"_s, u"http://a.test/"_s),
                bookmark(u"16"_s, u"Same"_s, u"http://s.test/"_s),
                bookmark(u"17"_s, u"Same"_s, u"http://s.test/other"_s)}),
    };
    tree.otherBookmarksId = u"2"_s;
    return tree;
}

// A change as one line, for a whole list to compare at once.
QStringList lines(const QList<BookmarkChange>& changes)
{
    static const char* const kinds[] = {"SetUrl", "SetTitle",    "MoveToDead", "Move",
                                        "Remove", "AddBookmark", "AddFolder"};
    QStringList result;
    for (const BookmarkChange& change : changes) {
        QStringList parts{QString::fromLatin1(kinds[int(change.kind)]), change.id};
        for (const QString& part : {change.value, change.parent, change.url})
            if (!part.isEmpty())
                parts.append(part);
        result.append(parts.join(u' '));
    }
    return result;
}

struct Staged {
    TempFolder dir;
    FileSystem fs;
    BrowserStaging staging{fs, dir.path(u"profile"_s)};

    QString at(const QString& relative) const
    {
        return QDir(staging.favoritesPath()).filePath(relative);
    }
    void move(const QString& from, const QString& to) const
    {
        ASSERT_TRUE(QFile::rename(at(from), to.startsWith(u'/') ? to : at(to))) << qPrintable(from);
    }
};

} // namespace

// What the window and the checks do to the laid-out folders comes back as
// the changes that make the browser's tree the same.
TEST(BrowserStagingTest, EditsInTheFoldersReadBackAsBookmarkChanges)
{
    Staged s;
    s.staging.layOut(sampleTree(), true);
    // Two titles in one folder get two names; no web address is skipped.
    EXPECT_TRUE(QFile::exists(s.at(u"Other bookmarks/Same (2).url"_s)));
    EXPECT_EQ(
        ProfileFile::read(s.at(u"Bookmarks bar/Script.url"_s), u"Brimwick"_s, u"Bypass"_s, {}),
        u"1"_s);
    EXPECT_TRUE(s.staging.changes().isEmpty());

    s.move(u"Bookmarks bar/Alpha.url"_s, u"Bookmarks bar/First.url"_s);
    s.move(u"Bookmarks bar/Work/Beta.url"_s, u"Other bookmarks/Beta.url"_s);
    QDir().mkpath(s.at(u"Bookmarks bar/New"_s));
    ASSERT_TRUE(QFile::copy(s.at(u"Bookmarks bar/Work/Old/Gamma.url"_s),
                            s.at(u"Bookmarks bar/New/Gamma.url"_s)));
    s.dir.file(s.at(u"Bookmarks bar/New/Fresh.url"_s),
               "[InternetShortcut]\r\nURL=http://f.test/\r\n");
    ASSERT_TRUE(QDir(s.at(u"Bookmarks bar/Work/Old"_s)).removeRecursively());
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"InternetShortcut"_s, u"URL"_s,
                       u"http://s2.test/"_s);
    s.move(u"Other bookmarks/Same (2).url"_s, s.staging.deadPath() + u"/Same (2).url"_s);

    const QList<BookmarkChange> changes = s.staging.changes();
    EXPECT_EQ(lines(changes), (QStringList{
                                  u"AddFolder new:1 New 1"_s,
                                  u"AddBookmark new:2 Fresh new:1 http://f.test/"_s,
                                  u"Move 14 new:1"_s,
                                  u"SetTitle 10 First"_s,
                                  u"Move 12 2"_s,
                                  u"SetUrl 16 http://s2.test/"_s,
                                  u"AddFolder new:dead Dead Bookmarks 2"_s,
                                  u"Move 17 new:dead"_s,
                                  u"Remove 13"_s,
                              }));

    // Written: the new items carry their ids, and nothing waits any more.
    s.staging.saved(changes,
                    {{u"new:1"_s, u"20"_s}, {u"new:2"_s, u"21"_s}, {u"new:dead"_s, u"22"_s}});
    EXPECT_TRUE(s.staging.changes().isEmpty());
    EXPECT_EQ(s.staging.nameOf(u"22"_s), kDeadBookmarksFolder);

    // A copy is new; the one left in its folder keeps the id. A favorite
    // that cannot be read hides what may be gone: nothing is removed.
    ASSERT_TRUE(
        QFile::copy(s.at(u"Other bookmarks/Alpha.url"_s), s.at(u"Bookmarks bar/Work/Alpha.url"_s)));
    ASSERT_TRUE(QFile::remove(s.at(u"Bookmarks bar/First.url"_s)));
    s.dir.file(s.at(u"Bookmarks bar/Broken.url"_s), QByteArray(ProfileFile::kMostBytes + 1, 'x'));
    EXPECT_EQ(lines(s.staging.changes()),
              QStringList{u"AddBookmark new:1 Alpha 11 http://a.test/"_s});
    ASSERT_TRUE(QFile::remove(s.at(u"Bookmarks bar/Broken.url"_s)));
    EXPECT_EQ(lines(s.staging.changes()),
              (QStringList{u"AddBookmark new:1 Alpha 11 http://a.test/"_s, u"Remove 10"_s}));
}

// A new layout keeps what the checks learnt of a favorite by its id.
TEST(BrowserStagingTest, ANewLayoutKeepsTheFailureHistory)
{
    Staged s;
    s.staging.layOut(sampleTree(), false);
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"FailingSince"_s,
                       u"2026-11-20"_s);
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"Failures"_s, u"3"_s);
    BrowserTree renamed = sampleTree();
    renamed.roots[1].children[1].title = u"Renamed"_s;
    s.staging.layOut(renamed, false);
    // "Same" is the other bookmark of that title now, with no history.
    EXPECT_EQ(
        ProfileFile::read(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"Failures"_s, {}),
        QString());
    EXPECT_EQ(
        ProfileFile::read(s.at(u"Other bookmarks/Renamed.url"_s), u"Brimwick"_s, u"Failures"_s, {}),
        u"3"_s);
}
