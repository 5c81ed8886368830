#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"
#include "browsers/ChromiumBookmarks.h"
#include "browsers/FirefoxPlaces.h"
#include "checker/Probe.h"
#include "platform/Clock.h"
#include "platform/NorvaleError.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"
#include "support/SmallDisk.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace norvale;
using namespace norvale::test;

namespace {

// "Folder/" and "  title = url", indented by depth.
QStringList describe(const BrowserTree& tree)
{
    QStringList lines;
    const std::function<void(const BrowserNode&, int)> walk = [&](const BrowserNode& node,
                                                                  int depth) {
        const QString indent(depth * 2, u' ');
        lines.append(node.isFolder ? indent + node.title + u'/'
                                   : indent + node.title + u" = "_s + node.url);
        for (const BrowserNode& child : node.children)
            walk(child, depth + 1);
    };
    for (const BrowserNode& root : tree.roots)
        walk(root, 0);
    return lines;
}

// A bookmark to seed: its folder below the toolbar ("" for the toolbar
// itself), title and address.
struct Seed {
    QString folder;
    QString title;
    QString url;
};

// Firefox's own schema of the three tables a bookmark touches, as its
// places.sqlite holds them, with its roots.
void makeFirefoxPlaces(const QString& file, const QList<Seed>& seeds)
{
    QDir().mkpath(QFileInfo(file).path());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"seed"_s);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        const QStringList statements = {
            u"CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT "
            "NOT NULL, frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, "
            "alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, block_until_ms "
            "INTEGER, block_pages_until_ms INTEGER, UNIQUE (prefix, host) )"_s,
            u"CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
            "LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER "
            "DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT "
            "NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, "
            "url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, "
            "site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER "
            "NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL "
            "DEFAULT 0)"_s,
            u"CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER "
            "DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id "
            "INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, "
            "syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1)"_s,
            u"CREATE TABLE moz_bookmarks_deleted (  guid TEXT PRIMARY KEY, dateRemoved INTEGER "
            "NOT NULL DEFAULT 0)"_s,
            u"CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places (url)"_s,
            u"INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
            "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
            "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
            "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______')"_s,
        };
        for (const QString& statement : statements)
            ASSERT_TRUE(q.exec(statement)) << qPrintable(statement);
        QHash<QString, qint64> folders{{QString(), 3}};
        QHash<qint64, int> positions;
        for (const Seed& seed : seeds) {
            if (!folders.contains(seed.folder)) {
                q.prepare(u"INSERT INTO moz_bookmarks (type, parent, position, title, guid) "
                          "VALUES (2, 3, ?, ?, ?)"_s);
                q.addBindValue(positions[3]++);
                q.addBindValue(seed.folder);
                q.addBindValue(u"folder%1____"_s.arg(folders.size()).left(12));
                ASSERT_TRUE(q.exec());
                folders.insert(seed.folder, q.lastInsertId().toLongLong());
            }
            const qint64 parent = folders[seed.folder];
            q.prepare(u"INSERT INTO moz_places (url, url_hash, foreign_count, guid) "
                      "VALUES (?, ?, 1, ?)"_s);
            q.addBindValue(seed.url);
            q.addBindValue(qint64(FirefoxUrlHash(seed.url)));
            q.addBindValue(u"place%1_____"_s.arg(positions.size()).left(12));
            ASSERT_TRUE(q.exec());
            const qint64 place = q.lastInsertId().toLongLong();
            q.prepare(u"INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
                      "lastModified, guid) VALUES (1, ?, ?, ?, ?, 0, ?)"_s);
            q.addBindValue(place);
            q.addBindValue(parent);
            q.addBindValue(positions[parent]++);
            q.addBindValue(seed.title);
            q.addBindValue(u"item%1______"_s.arg(place).left(12));
            ASSERT_TRUE(q.exec());
        }
    }
    QSqlDatabase::removeDatabase(u"seed"_s);
}

QJsonObject chromiumFolder(const QString& id, const QString& name, const QJsonArray& children)
{
    return QJsonObject{{u"id"_s, id},
                       {u"name"_s, name},
                       {u"type"_s, u"folder"_s},
                       {u"date_added"_s, u"13300000000000000"_s},
                       {u"children"_s, children}};
}

QByteArray chromiumBookmarks(const QList<Seed>& seeds, int version = 1)
{
    QJsonArray bar;
    QHash<QString, QJsonArray> folders;
    QStringList folderOrder;
    int id = 10;
    for (const Seed& seed : seeds) {
        const QJsonObject url{{u"id"_s, QString::number(++id)},
                              {u"name"_s, seed.title},
                              {u"type"_s, u"url"_s},
                              {u"url"_s, seed.url},
                              {u"meta_info"_s, QJsonObject{{u"kept"_s, u"yes"_s}}}};
        if (seed.folder.isEmpty()) {
            bar.append(url);
        } else {
            if (!folders.contains(seed.folder))
                folderOrder.append(seed.folder);
            folders[seed.folder].append(url);
        }
    }
    for (const QString& folder : folderOrder)
        bar.append(chromiumFolder(QString::number(++id), folder, folders[folder]));
    const QJsonObject roots{{u"bookmark_bar"_s, chromiumFolder(u"1"_s, u"Bookmarks bar"_s, bar)},
                            {u"other"_s, chromiumFolder(u"2"_s, u"Other bookmarks"_s, {})},
                            {u"synced"_s, chromiumFolder(u"3"_s, u"Mobile bookmarks"_s, {})}};
    return QJsonDocument(QJsonObject{{u"checksum"_s, ChromiumChecksum(roots)},
                                     {u"roots"_s, roots},
                                     {u"version"_s, version},
                                     {u"a_key_of_a_later_chromium"_s, QJsonArray{1, u"two"_s}}})
        .toJson();
}

// A temporary home with one profile of the family, seeded.
struct Home {
    TempFolder dir;
    BrowserProfile profile;

    Home(BrowserFamily family, const QList<Seed>& seeds)
    {
        profile.family = family;
        if (family == BrowserFamily::Firefox) {
            dir.file(u".mozilla/firefox/profiles.ini"_s,
                     "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abc.default-esr\n"
                     "Default=1\n");
            makeFirefoxPlaces(dir.path(u".mozilla/firefox/abc.default-esr/places.sqlite"_s), seeds);
        } else {
            dir.file(u".config/chromium/Default/Bookmarks"_s, chromiumBookmarks(seeds));
        }
        QString error;
        profile = *FindBrowserProfile(
            DiscoverBrowserProfiles(dir.path()),
            family == BrowserFamily::Firefox ? u"firefox"_s : u"chromium"_s, error);
    }
    // The browser "running": its lock names this very process.
    void lock() const
    {
        const QString pid = QString::number(::getpid());
        if (profile.family == BrowserFamily::Firefox)
            QFile::link(u"127.0.0.1:+"_s + pid, QDir(profile.folder).filePath(u"lock"_s));
        else
            QFile::link(QSysInfo::machineHostName() + u'-' + pid,
                        QDir(profile.folder).filePath(u"../SingletonLock"_s));
    }
};

class BrowsersTest : public testing::TestWithParam<BrowserFamily> {
protected:
    const QDateTime m_now{QDate(2026, 12, 7), QTime(23, 30, 5)};
};

QList<Seed> tidySeeds()
{
    const QString live = server().url(FixtureServer::path(u"/page"_s, {{u"title"_s, u"Live"_s}}));
    return {
        {{}, u"Live"_s, live},
        {{},
         u"old name"_s,
         server().url(FixtureServer::path(u"/page"_s, {{u"title"_s, u"Page Title"_s}}))},
        {u"Work"_s, u"Moved"_s,
         server().url(
             FixtureServer::path(u"/redirect"_s, {{u"to"_s, live}, {u"status"_s, u"301"_s}}))},
        {u"Work"_s, u"Gone"_s, server().url(u"/nothing-here"_s)},
        {u"Work"_s, u"Script"_s, u"javascript:void(0)"_s},
    };
}

// The rows a query gives, each as its values joined by "|".
QStringList rowsOf(const QString& file, const QString& sql)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"look"_s);
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << qPrintable(sql);
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values.append(q.value(i).toString());
            rows.append(values.join(u'|'));
        }
    }
    QSqlDatabase::removeDatabase(u"look"_s);
    return rows;
}

// The node of the tree with this title.
const BrowserNode* titled(const BrowserTree& tree, const QString& title)
{
    const std::function<const BrowserNode*(const BrowserNode&)> find =
        [&](const BrowserNode& node) -> const BrowserNode* {
        if (node.title == title)
            return &node;
        for (const BrowserNode& child : node.children) {
            if (const BrowserNode* found = find(child))
                return found;
        }
        return nullptr;
    };
    for (const BrowserNode& root : tree.roots) {
        if (const BrowserNode* found = find(root))
            return found;
    }
    return nullptr;
}

// The id of the first bookmark on the toolbar (bookmarks bar).
QString firstBookmark(const BrowserProfile& profile)
{
    const BrowserTree tree = ReadBrowserBookmarks(profile);
    return tree.roots.value(profile.family == BrowserFamily::Firefox ? 1 : 0).children.value(0).id;
}

} // namespace

TEST(BrowserProfilesTest, DiscoveryFindsEachFamilysProfilesAndTheDefault)
{
    TempFolder home;
    home.file(
        u".mozilla/firefox/profiles.ini"_s,
        "[Profile1]\nName=work\nIsRelative=1\nPath=w.work\n\n[Profile0]\nName=default-esr\n"
        "IsRelative=1\nPath=d.default-esr\n\n[Install4F96D1932A9F858E]\nDefault=d.default-esr\n");
    makeFirefoxPlaces(home.path(u".mozilla/firefox/w.work/places.sqlite"_s),
                      {{{}, u"a"_s, u"http://a/"_s}});
    makeFirefoxPlaces(home.path(u".mozilla/firefox/d.default-esr/places.sqlite"_s), {});
    home.file(u".var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini"_s,
              "[Profile0]\nName=WORK\nIsRelative=1\nPath=f\n");
    makeFirefoxPlaces(home.path(u".var/app/org.mozilla.firefox/.mozilla/firefox/f/places.sqlite"_s),
                      {});
    home.file(u".config/mozilla/firefox/profiles.ini"_s,
              "[Profile0]\nName=xdg\nIsRelative=0\nPath=" + home.path(u"x"_s).toUtf8());
    makeFirefoxPlaces(home.path(u"x/places.sqlite"_s), {});
    home.file(u".mozilla/firefox/profiles.ini.bak"_s, "not read");
    for (const char* path :
         {".config/chromium/Profile 10/Bookmarks", ".config/chromium/Default/Bookmarks",
          ".config/chromium/Profile 2/Bookmarks", ".config/chromium/System Profile/Bookmarks",
          ".config/BraveSoftware/Brave-Browser/Default/Bookmarks"})
        home.file(QString::fromUtf8(path), chromiumBookmarks({{{}, u"b"_s, u"http://b/"_s}}));
    home.folder(u".config/google-chrome/Default"_s); // no Bookmarks file yet

    const QList<BrowserProfile> found = DiscoverBrowserProfiles(home.path());
    QStringList keys;
    for (const BrowserProfile& profile : found)
        keys.append(profile.key() + (profile.isDefault ? u" *"_s : QString()));
    EXPECT_THAT(keys, testing::ElementsAre(u"firefox:xdg"_s, u"firefox:default-esr *"_s,
                                           u"firefox:work"_s, u"firefox:WORK"_s,
                                           u"chromium:Default *"_s, u"chromium:Profile 2"_s,
                                           u"chromium:Profile 10"_s, u"brave:Default *"_s));

    // What is asked for, then the profile folder it picks or the error: a
    // name as written first, a folder beyond doubt, never a guess.
    const QString flatpak = home.path(u".var/app/org.mozilla.firefox/.mozilla/firefox/f"_s);
    const std::pair<QString, QString> rows[] = {
        {u"firefox"_s, u"d.default-esr"_s},
        {u"FireFox:work"_s, u"w.work"_s},
        {u"firefox:WORK"_s, u"f"_s},
        {u"firefox:Work"_s, u"firefox:Work names 2 profiles ("_s +
                                home.path(u".mozilla/firefox/w.work"_s) + u", "_s + flatpak +
                                u"); give the folder of the one meant instead."_s},
        {flatpak + u"/"_s, u"f"_s},
        {u"chromium:Profile 2"_s, u"Profile 2"_s},
        {u"brave"_s, u"Default"_s},
        {u"edge"_s, u"No edge profile with bookmarks was found."_s},
        {u"firefox:nobody"_s, u"firefox has no profile named nobody."_s},
    };
    for (const auto& [wanted, expected] : rows) {
        QString error;
        const auto profile = FindBrowserProfile(found, wanted, error);
        EXPECT_EQ(profile ? QFileInfo(profile->folder).fileName() : error, expected)
            << qPrintable(wanted);
    }
}

TEST(BrowserStoresTest, HashesAndChecksumsAreTheBrowsersOwn)
{
    // Values Firefox itself stored in moz_places.url_hash.
    const std::pair<const char*, quint64> hashes[] = {
        {"http://www.example.com", 0x72262c1a3496ULL},
        {"https://support.mozilla.org/products/firefox", 47358327123126ULL},
        {"https://www.mozilla.org/about/", 47357608426557ULL},
        {"www.example.com", 0x8b149337ULL},
    };
    for (const auto& [url, hash] : hashes)
        EXPECT_EQ(FirefoxUrlHash(QString::fromUtf8(url)), hash) << url;

    // Computed apart (Python's hashlib) from the same tree: a title beyond
    // Latin-1 and outside the BMP, a nested folder.
    const QByteArray roots =
        R"({"bookmark_bar":{"children":[{"id":"5","name":"Café ☕ 😀","type":"url","url":"http://127.0.0.1/a"},{"id":"6","name":"F","type":"folder","children":[{"id":"7","name":"x","type":"url","url":"ftp://h/"}]}],"id":"1","name":"Bookmarks bar","type":"folder"},"other":{"children":[],"id":"2","name":"Other bookmarks","type":"folder"},"synced":{"children":[],"id":"3","name":"Mobile bookmarks","type":"folder"}})";
    EXPECT_EQ(ChromiumChecksum(QJsonDocument::fromJson(roots).object()),
              u"99adc3ac0d8a34ae081d34369ceccfd1"_s);
}

TEST_P(BrowsersTest, TidyIsWrittenAndReadsBackWithABackup)
{
    const Home home(GetParam(), tidySeeds());
    const BrowserTree before = ReadBrowserBookmarks(home.profile);
    // What a check of the seeds tidies: the permanent move followed and
    // renamed, a title taken, the dead one moved aside.
    const BrowserNode& toolbar = before.roots.value(GetParam() == BrowserFamily::Firefox ? 1 : 0);
    const QList<BrowserNode>& work = toolbar.children[2].children;
    using Kind = BookmarkChange::Kind;
    const BrowserWriteOutcome written = WriteBrowserChanges(
        home.profile,
        {{Kind::SetUrl, work[0].id, tidySeeds()[0].url},
         {Kind::SetTitle, work[0].id, u"Live"_s},
         {Kind::SetTitle, toolbar.children[1].id, u"Page Title"_s},
         {Kind::AddFolder, u"new:1"_s, kDeadBookmarksFolder, before.otherBookmarksId},
         {Kind::Move, work[1].id, {}, u"new:1"_s}},
        m_now);
    ASSERT_TRUE(written.written) << qPrintable(written.reason);
    EXPECT_EQ(written.backup, home.profile.storeFile() + u".norvale-20261207-233005"_s);
    // The copy holds the bookmarks as they were.
    EXPECT_EQ(describe(GetParam() == BrowserFamily::Firefox
                           ? ReadFirefoxBookmarks(written.backup)
                           : ReadChromiumBookmarks(written.backup)),
              describe(before));

    const QString live = tidySeeds()[0].url;
    const bool firefox = GetParam() == BrowserFamily::Firefox;
    const QString bar = firefox ? u"Bookmarks Toolbar/"_s : u"Bookmarks bar/"_s;
    QStringList expected{
        bar,          u"  Live = "_s + live,   u"  Page Title = "_s + tidySeeds()[1].url,
        u"  Work/"_s, u"    Live = "_s + live, u"    Script = javascript:void(0)"_s};
    if (firefox)
        expected.prepend(u"Bookmarks Menu/"_s);
    expected += {firefox ? u"Other Bookmarks/"_s : u"Other bookmarks/"_s, u"  Dead Bookmarks/"_s,
                 u"    Gone = "_s + tidySeeds()[3].url,
                 firefox ? u"Mobile Bookmarks/"_s : u"Mobile bookmarks/"_s};
    EXPECT_EQ(describe(ReadBrowserBookmarks(home.profile)), expected);

    if (firefox) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"look"_s);
        db.setDatabaseName(home.profile.storeFile());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        // The moved bookmark's place, its counts, and the changed items' marks.
        ASSERT_TRUE(q.exec(u"SELECT p.url_hash, p.foreign_count, b.syncChangeCounter, "
                           "b.lastModified FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk "
                           "WHERE b.title = 'Live' ORDER BY b.id DESC LIMIT 1"_s));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toLongLong(), qint64(FirefoxUrlHash(live)));
        EXPECT_EQ(q.value(1).toInt(), 2);
        EXPECT_EQ(q.value(2).toInt(), 3); // its address, then its name
        EXPECT_EQ(q.value(3).toLongLong(), m_now.toMSecsSinceEpoch() * 1000);
        ASSERT_TRUE(q.exec(u"SELECT group_concat(position) FROM (SELECT position FROM "
                           "moz_bookmarks WHERE parent = (SELECT parent FROM moz_bookmarks WHERE "
                           "title = 'Script') ORDER BY position)"_s));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), u"0,1"_s);
        q.finish();
        db.close();
        db = {};
        QSqlDatabase::removeDatabase(u"look"_s);
    } else {
        const QJsonObject document =
            QJsonDocument::fromJson(home.dir.read(home.profile.storeFile())).object();
        EXPECT_EQ(document.value(u"checksum"_s).toString(),
                  ChromiumChecksum(document.value(u"roots"_s).toObject()));
        EXPECT_EQ(document.value(u"a_key_of_a_later_chromium"_s), (QJsonArray{1, u"two"_s}));
        EXPECT_TRUE(home.dir.read(home.profile.storeFile()).contains("\"kept\": \"yes\""));
    }
}

TEST_P(BrowsersTest, DamagedOrUnknownFilesAreLeftAsTheyAre)
{
    const Home home(GetParam(), tidySeeds());
    const QList<BookmarkChange> rename{{BookmarkChange::Kind::SetTitle, u"11"_s, u"x"_s}};
    // Each row: how the file is spoiled; the write must leave its bytes.
    QList<QByteArray> spoilt;
    if (GetParam() == BrowserFamily::Firefox) {
        QByteArray truncated = home.dir.read(home.profile.storeFile());
        truncated.truncate(3000);
        spoilt = {QByteArray(8192, 'x'), truncated};
    } else {
        QByteArray bigNumber = chromiumBookmarks(tidySeeds());
        bigNumber.insert(bigNumber.indexOf('{') + 1,
                         "\"later\": {\"count\": 12345678901234567891},");
        spoilt = {QByteArray("{\"roots\": [1, 2"), chromiumBookmarks(tidySeeds(), 2), bigNumber};
    }
    for (const QByteArray& bytes : spoilt) {
        home.dir.file(home.profile.storeFile(), bytes);
        const BrowserWriteOutcome written = WriteBrowserChanges(home.profile, rename, m_now);
        EXPECT_FALSE(written.written);
        EXPECT_FALSE(written.reason.isEmpty());
        EXPECT_EQ(home.dir.read(home.profile.storeFile()), bytes);
    }
}

// A list as the tree's editor makes it: what it adds is named by reference
// by the changes after it.
QList<BookmarkChange> reorganisation(const BrowserTree& tree)
{
    using Kind = BookmarkChange::Kind;
    const QString toolbar = tree.roots.value(tree.roots.size() == 4 ? 1 : 0).id;
    return {
        {Kind::AddFolder, u"new:1"_s, u"Reading"_s, toolbar},
        {Kind::AddBookmark, u"new:2"_s, u"Later"_s, u"new:1"_s, u"http://127.0.0.1:9/later"_s},
        {Kind::Move, titled(tree, u"Game"_s)->id, {}, u"new:1"_s},
        {Kind::SetTitle, titled(tree, u"Play"_s)->id, u"Games"_s},
        {Kind::Remove, titled(tree, u"Work"_s)->id, {}},
    };
}

QList<Seed> reorganisationSeeds()
{
    return tidySeeds() << Seed{u"Play"_s, u"Game"_s, u"http://127.0.0.1:9/game"_s};
}

TEST_P(BrowsersTest, AddsMovesRenamesAndRemovesInTheListsOrder)
{
    const Home home(GetParam(), reorganisationSeeds());
    const bool firefox = GetParam() == BrowserFamily::Firefox;
    const QString places = home.profile.storeFile();
    const QString now = QString::number(m_now.toMSecsSinceEpoch() * 1000);
    QStringList synced; // what Sync knows of, and must be told is gone
    if (firefox) {
        rowsOf(places, u"UPDATE moz_bookmarks SET syncStatus = 2 WHERE title IN ('Work', 'Moved', "
                       "'Gone')"_s);
        synced = rowsOf(places, u"SELECT guid, %1 FROM moz_bookmarks WHERE syncStatus = 2 ORDER "
                                "BY guid"_s.arg(now));
        ASSERT_EQ(synced.size(), 3);
    }
    const BrowserWriteOutcome written = WriteBrowserChanges(
        home.profile, reorganisation(ReadBrowserBookmarks(home.profile)), m_now);
    ASSERT_TRUE(written.written) << qPrintable(written.reason);

    const BrowserTree after = ReadBrowserBookmarks(home.profile);
    QStringList expected{firefox ? u"Bookmarks Toolbar/"_s : u"Bookmarks bar/"_s,
                         u"  Live = "_s + tidySeeds()[0].url,
                         u"  old name = "_s + tidySeeds()[1].url,
                         u"  Games/"_s,
                         u"  Reading/"_s,
                         u"    Later = http://127.0.0.1:9/later"_s,
                         u"    Game = http://127.0.0.1:9/game"_s,
                         firefox ? u"Other Bookmarks/"_s : u"Other bookmarks/"_s,
                         firefox ? u"Mobile Bookmarks/"_s : u"Mobile bookmarks/"_s};
    if (firefox)
        expected.prepend(u"Bookmarks Menu/"_s);
    EXPECT_EQ(describe(after), expected);
    EXPECT_EQ(written.addedIds, (AddedIds{{u"new:1"_s, titled(after, u"Reading"_s)->id},
                                          {u"new:2"_s, titled(after, u"Later"_s)->id}}));

    const QString added = written.addedIds.value(u"new:2"_s);
    if (firefox) {
        // Tombstones for what Sync had seen ("Script" it had not), the
        // removed bookmarks' places no longer referenced, the new rows new
        // to Sync, positions gapless.
        EXPECT_EQ(rowsOf(places, u"SELECT guid, dateRemoved FROM moz_bookmarks_deleted "
                                 "ORDER BY guid"_s),
                  synced);
        EXPECT_EQ(rowsOf(places, u"SELECT foreign_count FROM moz_places ORDER BY id"_s),
                  (QStringList{u"1"_s, u"1"_s, u"0"_s, u"0"_s, u"0"_s, u"1"_s, u"1"_s}));
        const QStringList row =
            rowsOf(places, u"SELECT guid, syncStatus, syncChangeCounter, dateAdded, lastModified, "
                           "position FROM moz_bookmarks WHERE id = "_s +
                               added)
                .value(0)
                .split(u'|');
        EXPECT_THAT(row.value(0).toStdString(), testing::MatchesRegex("[A-Za-z0-9_-]{12}"));
        EXPECT_EQ(row.mid(1), (QStringList{u"1"_s, u"1"_s, now, now, u"0"_s}));
        EXPECT_EQ(rowsOf(places, u"SELECT group_concat(position) FROM (SELECT position FROM "
                                 "moz_bookmarks WHERE parent = 3 ORDER BY position)"_s),
                  QStringList{u"0,1,2,3"_s});
        // The folder renamed, then left empty, both marked.
        EXPECT_EQ(rowsOf(places, u"SELECT syncChangeCounter, lastModified FROM moz_bookmarks "
                                 "WHERE title = 'Games'"_s),
                  QStringList{u"3|"_s + now});
    } else {
        const QJsonObject document = QJsonDocument::fromJson(home.dir.read(places)).object();
        EXPECT_EQ(document.value(u"checksum"_s).toString(),
                  ChromiumChecksum(document.value(u"roots"_s).toObject()));
        // Chromium's time: microseconds since 1601.
        const QString stamp = QString::number((m_now.toSecsSinceEpoch() + 11644473600LL) * 1000000);
        const QJsonObject bar = document[u"roots"_s][u"bookmark_bar"_s].toObject();
        EXPECT_EQ(bar.value(u"date_modified"_s), stamp);
        EXPECT_EQ(bar[u"children"_s][2][u"date_modified"_s], stamp); // left empty
        QJsonObject later = bar[u"children"_s][3][u"children"_s][0].toObject();
        EXPECT_EQ(later.value(u"id"_s).toString(), added);
        EXPECT_THAT(later.value(u"guid"_s).toString().toStdString(),
                    testing::MatchesRegex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-"
                                          "[0-9a-f]{12}"));
        later.remove(u"guid"_s);
        EXPECT_EQ(later,
                  (QJsonObject{{u"date_added"_s, stamp},
                               {u"date_last_used"_s, u"0"_s},
                               {u"id"_s, added},
                               {u"meta_info"_s, QJsonObject{{u"power_bookmark_meta"_s, QString()}}},
                               {u"name"_s, u"Later"_s},
                               {u"type"_s, u"url"_s},
                               {u"url"_s, u"http://127.0.0.1:9/later"_s}}));
    }
}

TEST_P(BrowsersTest, AFailedChangeWritesNoneOfThem)
{
    const Home home(GetParam(), reorganisationSeeds());
    const BrowserTree tree = ReadBrowserBookmarks(home.profile);
    const QByteArray bytes = home.dir.read(home.profile.storeFile());
    const QString first = firstBookmark(home.profile);
    const QString work = titled(tree, u"Work"_s)->id;
    using Kind = BookmarkChange::Kind;
    // Each a change that cannot be made, last in a list of good ones, and
    // what the reason names.
    const std::pair<QList<BookmarkChange>, QString> wrongs[] = {
        {{{Kind::SetTitle, u"9999"_s, u"x"_s}}, u"9999"_s},
        {{{Kind::Remove, tree.roots.value(1).id, {}}}, tree.roots.value(1).id},
        {{{Kind::SetTitle, tree.otherBookmarksId, u"x"_s}}, tree.otherBookmarksId},
        {{{Kind::AddFolder, u"new:4"_s, u"In"_s, u"new:1"_s},
          {Kind::Move, u"new:1"_s, {}, u"new:4"_s}},
         u"new:1"_s},
        {{{Kind::AddBookmark, u"new:3"_s, u"x"_s, u"new:2"_s, u"http://127.0.0.1:9/"_s}},
         u"new:2"_s},
        {{{Kind::Move, first, {}, work}}, work}, // removed before
    };
    for (const auto& [wrong, named] : wrongs) {
        QList<BookmarkChange> changes = reorganisation(tree);
        changes.prepend({Kind::SetTitle, first, u"renamed"_s});
        changes.append(wrong);
        const BrowserWriteOutcome written = WriteBrowserChanges(home.profile, changes, m_now);
        EXPECT_FALSE(written.written) << qPrintable(named);
        EXPECT_THAT(written.reason.toStdString(), testing::HasSubstr(named.toStdString()));
        EXPECT_EQ(home.dir.read(home.profile.storeFile()), bytes) << qPrintable(named);
    }
}

TEST_P(BrowsersTest, OnlyTheLastFiveBackupsAreKept)
{
    const Home home(GetParam(), tidySeeds());
    for (int day = 1; day <= 6; ++day)
        home.dir.file(home.profile.storeFile() +
                          u".norvale-202611%1-120000"_s.arg(day, 2, 10, QChar(u'0')),
                      "old");
    const QString first = firstBookmark(home.profile);
    ASSERT_TRUE(
        WriteBrowserChanges(home.profile, {{BookmarkChange::Kind::SetTitle, first, u"a"_s}}, m_now)
            .written);
    ASSERT_TRUE(WriteBrowserChanges(home.profile, {{BookmarkChange::Kind::SetTitle, first, u"b"_s}},
                                    m_now.addSecs(1))
                    .written);
    const QString name = QFileInfo(home.profile.storeFile()).fileName() + u".norvale-"_s;
    QStringList expected;
    for (const char* stamp : {"20261103-120000", "20261104-120000", "20261105-120000",
                              "20261106-120000", "20261207-233005"})
        expected.append(name + QLatin1String(stamp));
    EXPECT_EQ(QDir(home.profile.folder).entryList({name + u'*'}, QDir::Files, QDir::Name),
              expected);
}

TEST_P(BrowsersTest, AFullDiskLeavesTheBookmarksWhole)
{
    SmallDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << qPrintable(disk.reason());
    const Home home(GetParam(), tidySeeds());
    BrowserProfile profile = home.profile;
    profile.folder = disk.path();
    ASSERT_TRUE(QFile::copy(home.profile.storeFile(), profile.storeFile()));
    const QString first = firstBookmark(profile);
    // The session's backup is made while there is room.
    if (GetParam() == BrowserFamily::Firefox) { // room for the backup on the small disk
        rowsOf(profile.storeFile(), u"DROP TABLE moz_bookmarks_deleted"_s);
        rowsOf(profile.storeFile(), u"VACUUM"_s);
    }
    ASSERT_TRUE(
        WriteBrowserChanges(profile, {{BookmarkChange::Kind::SetTitle, first, u"a"_s}}, m_now)
            .written);
    QFile filler(disk.path(u"filler"_s));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(512, 'f')) == 512 && filler.flush()) {
    }
    const QByteArray bytes = home.dir.read(profile.storeFile());
    const QStringList tree = describe(ReadBrowserBookmarks(profile));

    const BrowserWriteOutcome written = WriteBrowserChanges(
        profile, {{BookmarkChange::Kind::SetTitle, first, QString(30000, u'x')}}, m_now);
    EXPECT_FALSE(written.written);
    EXPECT_THAT(written.reason.toStdString(), testing::ContainsRegex("full|No space"));
    EXPECT_EQ(home.dir.read(profile.storeFile()), bytes);
    filler.remove();
    EXPECT_EQ(describe(ReadBrowserBookmarks(profile)), tree);
}

// Which locks mean the browser runs. A process that ended leaves its lock
// behind after a crash: that one no longer stops a write.
TEST(BrowserLocksTest, OnlyALiveHoldersLockStopsAWrite)
{
    QProcess ended;
    ended.start(u"true"_s);
    ASSERT_TRUE(ended.waitForStarted());
    const QString gone = QString::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished());
    const QString own = QString::number(::getpid());
    const QString host = QSysInfo::machineHostName();
    enum ParentLock { NoFile, LeftOver, Held };
    struct Row {
        BrowserFamily family;
        const char* link;      // below the profile folder
        QString target;        // "" for no link
        ParentLock parentLock; // Held: by another process
        bool written;
        const char* sandbox = nullptr; // the profile's folder below home
    };
    const char* const flatpak = ".var/app/org.chromium.Chromium/config/chromium/Default";
    const char* const snap = "snap/chromium/common/chromium/Default";
    const Row rows[] = {
        {BrowserFamily::Firefox, "lock", {}, NoFile, true},
        {BrowserFamily::Firefox, "lock", u"127.0.0.1:+"_s + own, NoFile, false},
        {BrowserFamily::Firefox, "lock", u"127.0.0.1:+"_s + gone, NoFile, true},
        {BrowserFamily::Firefox, "lock", u"garbage"_s, NoFile, false},
        {BrowserFamily::Firefox, "lock", {}, Held, false},
        {BrowserFamily::Firefox, "lock", {}, LeftOver, true},
        // A Flatpak's or Snap's lock names a pid of its own namespace.
        {BrowserFamily::Firefox, "lock", u"127.0.0.1:+"_s + gone, Held, false},
        {BrowserFamily::Chromium, "../SingletonLock", host + u'-' + own, NoFile, false},
        {BrowserFamily::Chromium, "SingletonLock", host + u'-' + own, NoFile, false},
        {BrowserFamily::Chromium, "../SingletonLock", host + u'-' + gone, NoFile, true},
        {BrowserFamily::Chromium, "../SingletonLock", u"elsewhere-"_s + gone, NoFile, false},
        {BrowserFamily::Chromium, "../SingletonLock", host + u'-' + gone, NoFile, false, flatpak},
        {BrowserFamily::Chromium, "SingletonLock", host + u'-' + gone, NoFile, false, snap},
        {BrowserFamily::Chromium, "../SingletonLock", {}, NoFile, true, snap},
    };
    for (const Row& row : rows) {
        Home home(row.family, {{{}, u"a"_s, u"http://127.0.0.1:9/"_s}});
        if (row.sandbox) {
            const QString folder = home.dir.path(QString::fromUtf8(row.sandbox));
            ASSERT_TRUE(QDir().mkpath(folder));
            ASSERT_TRUE(QFile::rename(home.profile.storeFile(), folder + u"/Bookmarks"_s));
            home.profile.folder = folder;
        }
        const QString link = QDir(home.profile.folder).filePath(QString::fromUtf8(row.link));
        if (!row.target.isEmpty()) {
            ASSERT_TRUE(QFile::link(row.target, link));
        }
        const QString parentLock = QDir(home.profile.folder).filePath(u".parentlock"_s);
        if (row.parentLock == LeftOver)
            home.dir.file(parentLock, "");
        QProcess holder;
        if (row.parentLock == Held) {
            holder.start(u"python3"_s, {u"-c"_s,
                                        u"import fcntl,sys; f=open(sys.argv[1],'w'); "
                                        "fcntl.lockf(f, fcntl.LOCK_EX); print(1, "
                                        "flush=True); sys.stdin.read()"_s,
                                        parentLock});
            ASSERT_TRUE(holder.waitForReadyRead(10000));
        }
        const BrowserWriteOutcome written = WriteBrowserChanges(
            home.profile, {{BookmarkChange::Kind::SetTitle, firstBookmark(home.profile), u"b"_s}},
            QDateTime::currentDateTime());
        EXPECT_EQ(written.written, row.written) << row.link << " " << qPrintable(row.target);
        if (row.sandbox && !row.written) {
            EXPECT_THAT(written.reason.toStdString(), testing::HasSubstr("Flatpak or Snap"));
        }
        holder.closeWriteChannel();
        holder.waitForFinished();
    }
}

// The program run with this home, its settings (registry.reg) and its own
// folder there; what it printed.
QString runNorvale(const TempFolder& home, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"NORVALE_REGISTRY"_s, home.path(u"registry.reg"_s));
    environment.insert(u"NORVALE_HOME"_s, home.path(u"norvale"_s));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(NORVALE_BINARY), arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Two profiles whose names read alike as folder names ("a b", "a-b") each
// get a folder of their own: one's bookmarks never stand for the other's.
TEST(BrowserCommandLineTest, ProfilesNamedAlikeKeepApart)
{
    TempFolder home;
    home.file(u".mozilla/firefox/profiles.ini"_s, "[Profile0]\nName=a b\nIsRelative=1\nPath=p1\n\n"
                                                  "[Profile1]\nName=a-b\nIsRelative=1\nPath=p2\n");
    makeFirefoxPlaces(home.path(u".mozilla/firefox/p1/places.sqlite"_s),
                      {{{}, u"A one"_s, u"http://127.0.0.1:9/a"_s}});
    makeFirefoxPlaces(home.path(u".mozilla/firefox/p2/places.sqlite"_s),
                      {{{}, u"B one"_s, u"http://127.0.0.1:9/b"_s}});
    for (const QString& key : {u"firefox:a b"_s, u"firefox:a-b"_s})
        runNorvale(home, {u"--browser"_s, key, u"/inspect"_s});
    EXPECT_EQ(
        QDir(home.path(u"norvale/Browsers"_s)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
        2);
    EXPECT_THAT(runNorvale(home, {u"--browser"_s, u"firefox:a b"_s, u"--print"_s}).toStdString(),
                testing::HasSubstr("A one"));
}

// The program itself, as a user or a cron job runs it: a closed profile is
// tidied, an open one only reported.
TEST(BrowserCommandLineTest, TidiesAClosedProfileAndOnlyReportsAnOpenOne)
{
    const Home home(BrowserFamily::Chromium, tidySeeds());
    home.dir.file(u"registry.reg"_s,
                  "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
                  "Brimwick\\Norvale]\r\n\"ChangeName\"=\"1\"\r\n\"MoveDead\"=\"1\"\r\n");
    const auto run = [&](const QStringList& arguments) { return runNorvale(home.dir, arguments); };
    EXPECT_THAT(run({u"--browsers"_s}).toStdString(),
                testing::HasSubstr("Chromium\tchromium:Default\t" +
                                   home.profile.folder.toStdString() + "\t5 bookmarks"));

    // Open: nothing written, no backup made, and the report says what waits for the close.
    home.lock();
    const QByteArray bytes = home.dir.read(home.profile.storeFile());
    const QString report = home.dir.path(u"report.json"_s);
    const QString open = run({u"--browser"_s, u"chromium"_s, u"/inspect"_s, u"--report"_s, report});
    EXPECT_THAT(open.toStdString(),
                testing::HasSubstr("The changes were not written: Chromium is running"));
    EXPECT_FALSE(open.contains(u"The bookmarks as they were"_s));
    EXPECT_EQ(home.dir.read(home.profile.storeFile()), bytes);
    const std::string planned = home.dir.read(report).toStdString();
    EXPECT_THAT(planned, testing::HasSubstr("(not written, to do with the browser closed: moved "
                                            "to Dead Bookmarks)"));
    EXPECT_THAT(planned, testing::Not(testing::HasSubstr("Dead Bookmarks\\\\Gone")));

    QFile::remove(QDir(home.profile.folder).filePath(u"../SingletonLock"_s));
    // Closed: written (what is written is the tidy test's).
    EXPECT_THAT(run({u"--browser"_s, u"chromium:default"_s, u"/inspect"_s}).toStdString(),
                testing::HasSubstr("Changed: move \"Gone\" into \"Dead Bookmarks\""));
    EXPECT_EQ(ReadBrowserBookmarks(home.profile).roots[1].children.value(0).title,
              kDeadBookmarksFolder);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, BrowsersTest,
                         testing::Values(BrowserFamily::Firefox, BrowserFamily::Chromium),
                         [](const auto& info) {
                             return info.param == BrowserFamily::Firefox ? "Firefox" : "Chromium";
                         });
