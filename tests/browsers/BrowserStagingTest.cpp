#include "browsers/BrowserStaging.h"
#include "browsers/BrowserSaver.h"
#include "browsers/BrowserStore.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/StatusBarModel.h"
#include "support/NoWindowFrame.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

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
                bookmark(u"17"_s, u"Same"_s, u"http://s.test/other"_s),
                folder(u"19"_s, u"Dead Favorites"_s, {})}),
    };
    tree.otherBookmarksId = u"2"_s;
    return tree;
}

// A change as one line, for a whole list to compare at once.
QStringList lines(const QList<BookmarkChange>& changes)
{
    static const char* const kinds[] = {"SetUrl", "SetTitle",    "Move",
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
    // Two titles in one folder get two names, a folder of the name the tree
    // hides another; no web address is skipped.
    EXPECT_TRUE(QFile::exists(s.at(u"Other bookmarks/Same (2).url"_s)));
    EXPECT_TRUE(QFileInfo(s.at(u"Other bookmarks/Dead Favorites (2)"_s)).isDir());
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
    // that cannot be read may stand for any: nothing is told until it can.
    ASSERT_TRUE(
        QFile::copy(s.at(u"Other bookmarks/Alpha.url"_s), s.at(u"Bookmarks bar/Work/Alpha.url"_s)));
    ASSERT_TRUE(QFile::remove(s.at(u"Bookmarks bar/First.url"_s)));
    s.dir.file(s.at(u"Bookmarks bar/Broken.url"_s), QByteArray(ProfileFile::kMostBytes + 1, 'x'));
    EXPECT_THROW(s.staging.changes(), NorvaleError);
    ASSERT_TRUE(QFile::remove(s.at(u"Bookmarks bar/Broken.url"_s)));
    EXPECT_EQ(lines(s.staging.changes()),
              (QStringList{u"AddBookmark new:1 Alpha 11 http://a.test/"_s, u"Remove 10"_s}));

    // The " (2)" a taken name gets is no rename of the bookmark's own.
    ASSERT_TRUE(QFile::remove(s.at(u"Bookmarks bar/Work/Alpha.url"_s)));
    s.move(u"Bookmarks bar/New/Fresh.url"_s, u"Bookmarks bar/New/Fresh (2).url"_s);
    EXPECT_EQ(lines(s.staging.changes()), QStringList{u"Remove 10"_s});
    s.move(u"Bookmarks bar/New/Fresh (2).url"_s, u"Bookmarks bar/New/Fresh (old).url"_s);
    EXPECT_EQ(lines(s.staging.changes()),
              (QStringList{u"SetTitle 21 Fresh (old)"_s, u"Remove 10"_s}));
}

// A new layout keeps, by id, what the checks learnt of a favorite and what
// the user set for it.
TEST(BrowserStagingTest, ANewLayoutKeepsTheFailureHistory)
{
    Staged s;
    s.staging.layOut(sampleTree(), false);
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"FailingSince"_s,
                       u"2026-11-20"_s);
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"Failures"_s, u"3"_s);
    ProfileFile::write(s.at(u"Other bookmarks/Same.url"_s), u"Brimwick"_s, u"Rename"_s, u"0"_s);
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
    EXPECT_EQ(
        ProfileFile::read(s.at(u"Other bookmarks/Renamed.url"_s), u"Brimwick"_s, u"Rename"_s, {}),
        u"0"_s);
}

namespace {

// The window as the saver sees it: where its bar shows.
class NoticeFrame : public NoWindowFrame {
public:
    void showSaveNotice(const QString& text) override { notice = text; }
    QString notice;
};

// Runs the event loop until done() holds, for at most ms milliseconds.
bool eventually(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

// While the browser runs, the changes only wait, and the bar says so; once
// it is closed they go in, and the bar goes. A close while they wait asks.
TEST(BrowserSaverTest, ChangesWaitForTheBrowserToClose)
{
    TempFolder home;
    const BrowserProfile profile{BrowserFamily::Chromium,
                                 u"chromium"_s,
                                 u"Chromium"_s,
                                 u"Default"_s,
                                 home.folder(u"chromium/Default"_s),
                                 true};
    home.file(profile.storeFile(), R"({"version": 1, "roots": {
        "bookmark_bar": {"id": "1", "name": "Bookmarks bar", "type": "folder", "children": [
            {"id": "5", "name": "Alpha", "type": "url", "url": "http://a.test/"}]},
        "other": {"id": "2", "name": "Other bookmarks", "type": "folder", "children": []},
        "synced": {"id": "3", "name": "Mobile bookmarks", "type": "folder", "children": []}}})");
    const QString lock = home.path(u"chromium/SingletonLock"_s);
    ASSERT_TRUE(QFile::link(QSysInfo::machineHostName() + u'-' +
                                QString::number(QCoreApplication::applicationPid()),
                            lock));
    const QByteArray before = home.read(profile.storeFile());

    FileSystem fs;
    BrowserStaging staging(fs, home.path(u"staged"_s));
    staging.layOut(ReadBrowserBookmarks(profile), true);
    StatusBarModel status(2);
    NoticeFrame frame;
    BrowserSaver saver(profile, staging, {}, status, &frame);
    saver.start(20);
    ASSERT_TRUE(QFile::rename(staging.favoritesPath() + u"/Bookmarks bar/Alpha.url"_s,
                              staging.favoritesPath() + u"/Bookmarks bar/First.url"_s));
    ASSERT_TRUE(eventually([&] { return !frame.notice.isEmpty(); }));
    EXPECT_EQ(frame.notice, u"Close the browser to save: 1 change to the bookmarks of Chromium "
                            "waits (rename \"Alpha\" to \"First\")."_s);
    EXPECT_EQ(home.read(profile.storeFile()), before);

    ScriptedMessageBoxes boxes;
    boxes.answerNext(MessageAnswer::No);
    EXPECT_FALSE(saver.mayClose(boxes));
    EXPECT_EQ(boxes.titles(), QStringList{u"Bookmarks Not Saved"_s});

    ASSERT_TRUE(QFile::remove(lock));
    ASSERT_TRUE(eventually([&] { return frame.notice.isEmpty(); }));
    EXPECT_EQ(ReadBrowserBookmarks(profile).roots[0].children[0].title, u"First"_s);
    EXPECT_EQ(status.panelText(2), u" Saved 1 change to the bookmarks of Chromium "_s);
    EXPECT_TRUE(saver.mayClose(boxes));
    EXPECT_EQ(boxes.shown().size(), 1);

    // The browser removed the bookmark meanwhile and gave its id to another:
    // the rename is not made, the file stays as it is, and the bar says
    // why, once.
    const QByteArray emptied = R"({"version": 1, "roots": {
        "bookmark_bar": {"id": "1", "name": "Bookmarks bar", "type": "folder", "children": [
            {"id": "5", "name": "Other", "type": "url", "url": "http://other.test/"}]},
        "other": {"id": "2", "name": "Other bookmarks", "type": "folder", "children": []},
        "synced": {"id": "3", "name": "Mobile bookmarks", "type": "folder", "children": []}}})";
    home.file(profile.storeFile(), emptied);
    ASSERT_TRUE(QFile::rename(staging.favoritesPath() + u"/Bookmarks bar/First.url"_s,
                              staging.favoritesPath() + u"/Bookmarks bar/Second.url"_s));
    ASSERT_TRUE(eventually([&] { return !frame.notice.isEmpty(); }));
    const QString refused = frame.notice;
    EXPECT_THAT(refused.toStdString(),
                testing::StartsWith("1 change to the bookmarks of Chromium could not be saved "
                                    "(\"First\" was changed in the browser meanwhile)"));
    eventually([] { return false; }, 300); // ticks enough to say it again
    EXPECT_EQ(frame.notice, refused);
    EXPECT_EQ(home.read(profile.storeFile()), emptied);
}
