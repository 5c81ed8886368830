#include "FirefoxPlaces.h"

#include "platform/NorvaleError.h"

#include <atomic>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("FirefoxPlaces");

constexpr int kMostBytesHashed = 1500;
constexpr int kMostSchemeLength = 50;
constexpr quint32 kGoldenRatio = 0x9E3779B9U;
constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;
constexpr int kSyncStatusNew = 1;
constexpr int kSyncStatusNormal = 2;
// Firefox cuts longer titles when it stores them (DB_TITLE_LENGTH_MAX).
constexpr int kMostTitleLength = 4096;

const QString kRootGuid = QStringLiteral("root________");
const QString kTagsGuid = QStringLiteral("tags________");
const QString kUnfiledGuid = QStringLiteral("unfiled_____");

quint32 hashBytes(const QByteArray& bytes)
{
    quint32 hash = 0;
    for (const char byte : bytes)
        hash = (((hash << 5) | (hash >> 27)) ^ quint32(quint8(byte))) * kGoldenRatio;
    return hash;
}

// The names Firefox shows for its roots; the database holds short keys.
QString rootTitle(const QString& guid, const QString& stored)
{
    static const QHash<QString, QString> titles{
        {QStringLiteral("menu________"), QStringLiteral("Bookmarks Menu")},
        {QStringLiteral("toolbar_____"), QStringLiteral("Bookmarks Toolbar")},
        {kUnfiledGuid, QStringLiteral("Other Bookmarks")},
        {QStringLiteral("mobile______"), QStringLiteral("Mobile Bookmarks")},
    };
    return titles.value(guid, stored);
}

NorvaleError failure(const QString& what, const QSqlError& error)
{
    return NorvaleError(ErrorNumber::InvalidFileFormat,
                        what + QStringLiteral(": ") + error.text().trimmed(), kSource);
}

// One QSQLITE connection under a name of its own, removed when it ends.
class Connection {
public:
    Connection(const QString& file, const QString& options)
        : m_name(QStringLiteral("norvale-places-%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(options);
        if (!db.open())
            throw failure(QStringLiteral("%1 could not be opened").arg(file), db.lastError());
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Q_DISABLE_COPY(Connection)

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Runs sql with the values bound in order; throws on failure.
    QSqlQuery run(const QString& sql, const QVariantList& values = {}) const
    {
        QSqlQuery query(db());
        if (!query.prepare(sql))
            throw failure(QStringLiteral("The bookmarks could not be read"), query.lastError());
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            throw failure(QStringLiteral("The bookmarks could not be changed"), query.lastError());
        return query;
    }
    QVariant single(const QString& sql, const QVariantList& values = {}) const
    {
        QSqlQuery query = run(sql, values);
        return query.next() ? query.value(0) : QVariant();
    }

private:
    static inline std::atomic<int> s_count{0};
    QString m_name;
};

struct Row {
    qint64 id = 0;
    int type = 0;
    qint64 parent = 0;
    QString title;
    QString guid;
    QString url;
};

BrowserNode nodeOf(const Row& row, const QHash<qint64, QList<qint64>>& childrenOf,
                   const QHash<qint64, Row>& rows, int depth)
{
    BrowserNode node;
    node.id = QString::number(row.id);
    node.isFolder = row.type == kTypeFolder;
    node.title = row.title;
    node.url = row.url;
    // The depth guards against a damaged database whose rows point in a
    // circle.
    if (node.isFolder && depth < 200) {
        for (const qint64 child : childrenOf.value(row.id)) {
            const Row& childRow = rows[child];
            if (childRow.type == kTypeFolder || childRow.type == kTypeBookmark)
                node.children.append(nodeOf(childRow, childrenOf, rows, depth + 1));
        }
    }
    return node;
}

// A new guid as Firefox makes them: twelve characters of base64url.
QString newGuid()
{
    QByteArray bytes(9, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 2);
    bytes[8] = char(QRandomGenerator::system()->generate());
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding));
}

qint64 microseconds(const QDateTime& time)
{
    return time.toMSecsSinceEpoch() * 1000;
}

// Firefox's own folders: they hold everything else, so they stay where and
// what they are.
bool isFirefoxRoot(const QString& guid)
{
    static const QStringList roots{
        kRootGuid,    QStringLiteral("menu________"), QStringLiteral("toolbar_____"), kTagsGuid,
        kUnfiledGuid, QStringLiteral("mobile______")};
    return roots.contains(guid);
}

class PlacesWriter {
public:
    PlacesWriter(const Connection& connection, qint64 now)
        : m_db(connection)
        , m_now(now)
    {}

    void apply(const BookmarkChange& change)
    {
        switch (change.kind) {
        case BookmarkChange::Kind::SetTitle:
            touch(changeable(change.id).id, QStringLiteral("title = ?, "),
                  {change.value.left(kMostTitleLength)});
            break;
        case BookmarkChange::Kind::SetUrl:
            setUrl(bookmark(change.id).id, change.value);
            break;
        case BookmarkChange::Kind::Move: {
            const Item moving = changeable(change.id);
            const qint64 target = folder(change.parent).id;
            if (target == moving.id || ancestors(target).contains(moving.id))
                throw NorvaleError(ErrorNumber::PermissionDenied,
                                   QStringLiteral("Folder %1 cannot go into itself or a folder "
                                                  "within it")
                                       .arg(change.id),
                                   kSource);
            move(moving, target);
            break;
        }
        case BookmarkChange::Kind::Remove:
            remove(changeable(change.id));
            break;
        case BookmarkChange::Kind::AddBookmark:
            if (change.url.isEmpty() || !QUrl(change.url).isValid())
                throw NorvaleError(
                    ErrorNumber::InvalidFileFormat,
                    QStringLiteral("\"%1\" is no address to bookmark").arg(change.url), kSource);
            add(change, kTypeBookmark, placeFor(change.url));
            break;
        case BookmarkChange::Kind::AddFolder:
            add(change, kTypeFolder, QVariant(QMetaType::fromType<qint64>()));
            break;
        }
    }

    const AddedIds& added() const { return m_added; }

private:
    struct Item {
        qint64 id = 0;
        int type = 0;
        qint64 parent = 0;
        qint64 position = 0;
        QString guid;
    };

    // The row a change names: a browser id, or the reference of an item an
    // earlier change of the list added.
    Item item(const QString& name) const
    {
        bool isNumber = false;
        const qint64 id = m_added.value(name, name).toLongLong(&isNumber);
        QSqlQuery query =
            m_db.run(QStringLiteral("SELECT id, type, parent, position, guid FROM moz_bookmarks "
                                    "WHERE id = ?"),
                     {id});
        if (!isNumber || !query.next())
            throw NorvaleError(ErrorNumber::FileNotFound,
                               QStringLiteral("No bookmark or folder %1 in the database").arg(name),
                               kSource);
        return {query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toLongLong(),
                query.value(3).toLongLong(), query.value(4).toString()};
    }
    Item bookmark(const QString& name) const
    {
        Item found = item(name);
        if (found.type != kTypeBookmark)
            throw NorvaleError(ErrorNumber::FileNotFound,
                               QStringLiteral("No bookmark %1 in the database").arg(name), kSource);
        return found;
    }
    // A bookmark or folder that may be renamed, moved or removed.
    Item changeable(const QString& name) const
    {
        Item found = item(name);
        if (isFirefoxRoot(found.guid))
            throw NorvaleError(ErrorNumber::PermissionDenied,
                               QStringLiteral("%1 is one of Firefox's own folders, which stay as "
                                              "they are")
                                   .arg(name),
                               kSource);
        return found;
    }
    // A folder that items may go into: not the root above Firefox's own
    // folders, nor the tags, whose folders are tags rather than bookmarks.
    Item folder(const QString& name) const
    {
        Item found = item(name);
        if (found.type != kTypeFolder || found.guid == kRootGuid || found.guid == kTagsGuid ||
            ancestors(found.id).contains(tagsFolder()))
            throw NorvaleError(ErrorNumber::FileNotFound,
                               QStringLiteral("No folder %1 to put bookmarks into").arg(name),
                               kSource);
        return found;
    }
    qint64 tagsFolder() const
    {
        return m_db
            .single(QStringLiteral("SELECT id FROM moz_bookmarks WHERE guid = ?"), {kTagsGuid})
            .toLongLong();
    }
    // The folders above an item, nearest first; the count guards against a
    // damaged database whose rows point in a circle.
    QList<qint64> ancestors(qint64 id) const
    {
        QList<qint64> above;
        for (qint64 at = id; above.size() < 200;) {
            const QVariant parent =
                m_db.single(QStringLiteral("SELECT parent FROM moz_bookmarks WHERE id = ?"), {at});
            if (parent.isNull() || parent.toLongLong() <= 0)
                break;
            at = parent.toLongLong();
            above.append(at);
        }
        return above;
    }

    // Sets what `assignments` says, lastModified, and raises the sync change
    // counter, as Firefox does for every item it changes.
    void touch(qint64 id, const QString& assignments = {}, QVariantList values = {})
    {
        values << m_now << id;
        m_db.run(QStringLiteral("UPDATE moz_bookmarks SET ") + assignments +
                     QStringLiteral("lastModified = ?, syncChangeCounter = syncChangeCounter + 1 "
                                    "WHERE id = ?"),
                 values);
    }

    qint64 placeFor(const QString& url)
    {
        const qint64 hash = qint64(FirefoxUrlHash(url));
        const QVariant known =
            m_db.single(QStringLiteral("SELECT id FROM moz_places WHERE url_hash = ? AND url = ?"),
                        {hash, url});
        if (!known.isNull())
            return known.toLongLong();
        const QUrl address(url);
        const QString prefix = address.scheme() + QStringLiteral("://");
        const QString host =
            address.host(QUrl::FullyEncoded) +
            (address.port() >= 0 ? QStringLiteral(":%1").arg(address.port()) : QString());
        m_db.run(QStringLiteral("INSERT OR IGNORE INTO moz_origins (prefix, host, frecency, "
                                "recalc_frecency) VALUES (?, ?, -1, 1)"),
                 {prefix, host});
        const QVariant origin =
            m_db.single(QStringLiteral("SELECT id FROM moz_origins WHERE prefix = ? AND host = ?"),
                        {prefix, host});
        QString reversed = address.host(QUrl::FullyEncoded).toLower();
        std::reverse(reversed.begin(), reversed.end());
        const QSqlQuery insert = m_db.run(
            QStringLiteral("INSERT INTO moz_places (url, rev_host, hidden, frecency, guid, "
                           "foreign_count, url_hash, origin_id, recalc_frecency) "
                           "VALUES (?, ?, 0, -1, ?, 0, ?, ?, 1)"),
            {url, reversed + QLatin1Char('.'), newGuid(), hash, origin});
        return insert.lastInsertId().toLongLong();
    }

    // Firefox keeps foreign_count with triggers of its own session; they are
    // not in the file, so the counts are kept here.
    void countReference(qint64 place, int by)
    {
        if (by > 0)
            m_db.run(QStringLiteral("UPDATE moz_places SET foreign_count = foreign_count + 1, "
                                    "recalc_frecency = 1 WHERE id = ?"),
                     {place});
        else
            m_db.run(QStringLiteral("UPDATE moz_places SET foreign_count = foreign_count - 1 "
                                    "WHERE id = ? AND foreign_count > 0"),
                     {place});
    }

    void setUrl(qint64 id, const QString& url)
    {
        const qint64 oldPlace =
            m_db.single(QStringLiteral("SELECT fk FROM moz_bookmarks WHERE id = ?"), {id})
                .toLongLong();
        const qint64 newPlace = placeFor(url);
        if (newPlace == oldPlace)
            return;
        touch(id, QStringLiteral("fk = ?, "), {newPlace});
        countReference(oldPlace, -1);
        countReference(newPlace, +1);
    }

    qint64 childCount(qint64 folder) const
    {
        return m_db
            .single(QStringLiteral("SELECT COUNT(*) FROM moz_bookmarks WHERE parent = ?"), {folder})
            .toLongLong();
    }

    // A new row at the end of its folder, marked new to Sync.
    qint64 insert(int type, const QVariant& place, qint64 parent, const QString& title)
    {
        const QSqlQuery insert =
            m_db.run(QStringLiteral("INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
                                    "dateAdded, lastModified, guid, syncStatus, syncChangeCounter) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
                     {type, place, parent, childCount(parent), title.left(kMostTitleLength), m_now,
                      m_now, newGuid(), kSyncStatusNew});
        touch(parent);
        return insert.lastInsertId().toLongLong();
    }

    void add(const BookmarkChange& change, int type, const QVariant& place)
    {
        if (change.id.isEmpty() || m_added.contains(change.id))
            throw NorvaleError(ErrorNumber::KeyNotUnique,
                               QStringLiteral("An added item needs a reference of its own, not "
                                              "\"%1\"")
                                   .arg(change.id),
                               kSource);
        const qint64 id = insert(type, place, folder(change.parent).id, change.value);
        if (type == kTypeBookmark)
            countReference(place.toLongLong(), +1);
        m_added.insert(change.id, QString::number(id));
    }

    // Positions stay a gapless count in every folder.
    void closeUp(const Item& leaving)
    {
        m_db.run(QStringLiteral("UPDATE moz_bookmarks SET position = position - 1 "
                                "WHERE parent = ? AND position > ?"),
                 {leaving.parent, leaving.position});
    }

    // To the end of the folder.
    void move(const Item& moving, qint64 target)
    {
        if (moving.parent == target && moving.position == childCount(target) - 1)
            return;
        closeUp(moving);
        touch(moving.id, QStringLiteral("parent = ?, position = ?, "),
              {target, m_db.single(QStringLiteral("SELECT COUNT(*) FROM moz_bookmarks WHERE "
                                                  "parent = ? AND id <> ?"),
                                   {target, moving.id})});
        touch(moving.parent);
        if (target != moving.parent)
            touch(target);
    }

    // The item and everything below it. What Sync has seen leaves a
    // tombstone, so the removal reaches the user's other devices too.
    void remove(const Item& removing)
    {
        const QString below = QStringLiteral(
            "WITH RECURSIVE below(id) AS (SELECT ? UNION SELECT b.id FROM moz_bookmarks b "
            "JOIN below ON b.parent = below.id) ");
        m_db.run(below + QStringLiteral("INSERT OR IGNORE INTO moz_bookmarks_deleted (guid, "
                                        "dateRemoved) SELECT guid, ? FROM moz_bookmarks WHERE id "
                                        "IN below AND syncStatus = ?"),
                 {removing.id, m_now, kSyncStatusNormal});
        QSqlQuery places = m_db.run(below + QStringLiteral("SELECT fk FROM moz_bookmarks WHERE "
                                                           "id IN below AND fk IS NOT NULL"),
                                    {removing.id});
        QList<qint64> referenced;
        while (places.next())
            referenced.append(places.value(0).toLongLong());
        places.finish();
        for (const qint64 place : referenced)
            countReference(place, -1);
        if (m_db.db().tables().contains(QStringLiteral("moz_items_annos")))
            m_db.run(below + QStringLiteral("DELETE FROM moz_items_annos WHERE item_id IN below"),
                     {removing.id});
        m_db.run(below + QStringLiteral("DELETE FROM moz_bookmarks WHERE id IN below"),
                 {removing.id});
        closeUp(removing);
        touch(removing.parent);
    }

    const Connection& m_db;
    qint64 m_now;
    AddedIds m_added;
};

void checkIntegrity(const Connection& db, const QString& file)
{
    const QString answer = db.single(QStringLiteral("PRAGMA integrity_check")).toString();
    if (answer != QLatin1String("ok"))
        throw NorvaleError(ErrorNumber::InvalidFileFormat,
                           QStringLiteral("%1 failed its integrity check: %2").arg(file, answer),
                           kSource);
}

} // namespace

quint64 FirefoxUrlHash(const QString& url)
{
    const QByteArray bytes = url.toUtf8();
    const quint64 whole = hashBytes(bytes.left(kMostBytesHashed));
    const qsizetype colon = bytes.left(kMostSchemeLength).indexOf(':');
    if (colon < 0)
        return whole;
    return (quint64(hashBytes(bytes.left(colon)) & 0xFFFFU) << 32) + whole;
}

BrowserTree ReadFirefoxBookmarks(const QString& placesFile)
{
    if (!QFile::exists(placesFile))
        throw NorvaleError(ErrorNumber::FileNotFound,
                           QStringLiteral("%1 does not exist").arg(placesFile), kSource);
    QTemporaryDir copyFolder;
    const QString copy = copyFolder.filePath(QStringLiteral("places.sqlite"));
    if (!copyFolder.isValid() || !QFile::copy(placesFile, copy))
        throw NorvaleError(ErrorNumber::PathFileAccess,
                           QStringLiteral("%1 could not be copied to be read").arg(placesFile),
                           kSource);
    // What Firefox wrote since its last checkpoint is only in the -wal file.
    const QString wal = placesFile + QStringLiteral("-wal");
    if (QFile::exists(wal))
        QFile::copy(wal, copy + QStringLiteral("-wal"));

    QHash<qint64, Row> rows;
    QHash<qint64, QList<qint64>> childrenOf; // in position order
    {
        const Connection db(copy, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query = db.run(QStringLiteral(
            "SELECT b.id, b.type, b.parent, b.title, b.guid, p.url FROM moz_bookmarks b "
            "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id"));
        while (query.next()) {
            const Row row{query.value(0).toLongLong(), query.value(1).toInt(),
                          query.value(2).toLongLong(), query.value(3).toString(),
                          query.value(4).toString(),   query.value(5).toString()};
            rows.insert(row.id, row);
            childrenOf[row.parent].append(row.id);
        }
    }
    BrowserTree tree;
    const auto root = std::find_if(rows.cbegin(), rows.cend(),
                                   [](const Row& row) { return row.guid == kRootGuid; });
    if (root == rows.cend())
        throw NorvaleError(ErrorNumber::InvalidFileFormat,
                           QStringLiteral("%1 holds no bookmark root").arg(placesFile), kSource);
    for (const qint64 id : childrenOf.value(root->id)) {
        const Row& row = rows[id];
        if (row.type != kTypeFolder || row.guid == kTagsGuid)
            continue;
        BrowserNode node = nodeOf(row, childrenOf, rows, 0);
        node.title = rootTitle(row.guid, row.title);
        if (row.guid == kUnfiledGuid)
            tree.otherBookmarksId = node.id;
        tree.roots.append(node);
    }
    return tree;
}

AddedIds WriteFirefoxChanges(const QString& placesFile, const QList<BookmarkChange>& changes,
                             const QDateTime& now)
{
    if (!QFile::exists(placesFile))
        throw NorvaleError(ErrorNumber::FileNotFound,
                           QStringLiteral("%1 does not exist").arg(placesFile), kSource);
    const Connection db(placesFile, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    // A database that is damaged already is left exactly as it is.
    checkIntegrity(db, placesFile);
    QSqlDatabase handle = db.db();
    if (!handle.transaction())
        throw failure(QStringLiteral("The bookmarks could not be changed"), handle.lastError());
    try {
        PlacesWriter writer(db, microseconds(now));
        for (const BookmarkChange& change : changes)
            writer.apply(change);
        checkIntegrity(db, placesFile);
        if (!handle.commit())
            throw failure(QStringLiteral("The changes could not be saved"), handle.lastError());
        return writer.added();
    } catch (const NorvaleError& error) {
        handle.rollback();
        throw NorvaleError(error.number(),
                           error.description() + QStringLiteral("; nothing was changed"),
                           error.source());
    }
}

void BackUpFirefoxPlaces(const QString& placesFile, const QString& backupFile)
{
    const Connection db(placesFile, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    db.run(QStringLiteral("VACUUM INTO ?"), {backupFile});
}

} // namespace norvale
