#include "ChromiumBookmarks.h"

#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cmath>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("ChromiumBookmarks");
constexpr qint64 kMostBytes = 512LL * 1024 * 1024;
// The only file version this program writes; another may mean something
// it does not know about.
constexpr int kKnownVersion = 1;
// Chromium's times count microseconds from 1601-01-01 UTC.
constexpr qint64 kEpochFrom1601Seconds = 11644473600LL;

struct RootKey {
    const char* key;
    const char* title;
};
constexpr RootKey kRoots[] = {
    {"bookmark_bar", "Bookmarks bar"},
    {"other", "Other bookmarks"},
    {"synced", "Mobile bookmarks"},
};

const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("name");
const QString kUrl = QStringLiteral("url");
const QString kType = QStringLiteral("type");
const QString kChildren = QStringLiteral("children");
const QString kDateModified = QStringLiteral("date_modified");

bool isFolder(const QJsonObject& node)
{
    return node.value(kType).toString() == QLatin1String("folder");
}

void addToChecksum(const QJsonObject& node, QCryptographicHash& md5, int depth)
{
    md5.addData(node.value(kId).toString().toUtf8());
    const QString title = node.value(kName).toString();
    QByteArray utf16;
    utf16.reserve(title.size() * 2);
    for (const QChar c : title) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    md5.addData(utf16);
    if (!isFolder(node)) {
        md5.addData(QByteArrayLiteral("url"));
        md5.addData(node.value(kUrl).toString().toUtf8());
        return;
    }
    md5.addData(QByteArrayLiteral("folder"));
    if (depth > 500)
        return;
    for (const QJsonValue child : node.value(kChildren).toArray())
        addToChecksum(child.toObject(), md5, depth + 1);
}

BrowserNode nodeOf(const QJsonObject& json, int depth)
{
    BrowserNode node;
    node.id = json.value(kId).toString();
    node.title = json.value(kName).toString();
    node.isFolder = isFolder(json);
    node.url = json.value(kUrl).toString();
    if (node.isFolder && depth < 500) {
        for (const QJsonValue child : json.value(kChildren).toArray())
            node.children.append(nodeOf(child.toObject(), depth + 1));
    }
    return node;
}

QJsonObject readDocument(const QString& file)
{
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(file, kMostBytes);
    } catch (const NorvaleError& error) {
        throw NorvaleError(error.number(), error.description(), kSource);
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (!document.isObject() || !document.object().value(QStringLiteral("roots")).isObject())
        throw NorvaleError(ErrorNumber::InvalidFileFormat,
                           QStringLiteral("%1 is no bookmark file of Chromium's: %2")
                               .arg(file, parseError.error == QJsonParseError::NoError
                                              ? QStringLiteral("it holds no roots")
                                              : parseError.errorString()),
                           kSource);
    return document.object();
}

QString chromiumTime(const QDateTime& time)
{
    return QString::number((time.toSecsSinceEpoch() + kEpochFrom1601Seconds) * 1000000 +
                           qint64(time.time().msec()) * 1000);
}

// The JSON tree with the changes made. Moved nodes are taken out into
// `moved`, to be put into Dead Bookmarks afterwards.
class JsonEditor {
public:
    JsonEditor(const QList<BookmarkChange>& changes, const QString& now)
        : m_now(now)
    {
        for (const BookmarkChange& change : changes)
            m_changes.insert(change.id, change);
    }

    QJsonObject edit(QJsonObject folder, int depth)
    {
        if (depth > 500)
            return folder;
        QJsonArray children;
        bool changed = false;
        for (const QJsonValue value : folder.value(kChildren).toArray()) {
            QJsonObject child = value.toObject();
            const QString id = child.value(kId).toString();
            if (isFolder(child)) {
                children.append(edit(child, depth + 1));
                continue;
            }
            const QList<BookmarkChange> mine = m_changes.values(id);
            bool moved = false;
            for (const BookmarkChange& change : mine) {
                changed = true;
                m_done.insert(id);
                switch (change.kind) {
                case BookmarkChange::Kind::SetUrl:
                    child.insert(kUrl, change.value);
                    break;
                case BookmarkChange::Kind::SetTitle:
                    child.insert(kName, change.value);
                    break;
                case BookmarkChange::Kind::MoveToDead:
                    moved = true;
                    break;
                default: // not made by this code yet
                    break;
                }
            }
            if (moved)
                m_moved.append(child);
            else
                children.append(child);
        }
        folder.insert(kChildren, children);
        if (changed)
            folder.insert(kDateModified, m_now);
        return folder;
    }

    QList<QJsonObject> moved() const { return m_moved; }
    QStringList missing() const
    {
        QStringList ids;
        for (const QString& id : m_changes.uniqueKeys()) {
            if (!m_done.contains(id))
                ids.append(id);
        }
        return ids;
    }

private:
    QString m_now;
    QMultiHash<QString, BookmarkChange> m_changes;
    QSet<QString> m_done;
    QList<QJsonObject> m_moved;
};

// Qt holds JSON numbers as doubles: an integer beyond 2^53 (in a key of a
// later Chromium, say) would come back changed, so such a file is not
// rewritten.
bool holdsInexactNumber(const QJsonValue& value, int depth)
{
    constexpr double kExactUpTo = 9007199254740992.0;
    if (value.isDouble())
        return std::abs(value.toDouble()) >= kExactUpTo;
    if (depth > 500)
        return false;
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(), [depth](const QJsonValue& item) {
            return holdsInexactNumber(item, depth + 1);
        });
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        return std::any_of(object.begin(), object.end(), [depth](const QJsonValue& item) {
            return holdsInexactNumber(item, depth + 1);
        });
    }
    return false;
}

qint64 largestId(const QJsonObject& node, int depth)
{
    qint64 largest = node.value(kId).toString().toLongLong();
    if (depth < 500) {
        for (const QJsonValue child : node.value(kChildren).toArray())
            largest = std::max(largest, largestId(child.toObject(), depth + 1));
    }
    return largest;
}

} // namespace

QString ChromiumChecksum(const QJsonObject& roots)
{
    QCryptographicHash md5(QCryptographicHash::Md5);
    for (const RootKey& root : kRoots)
        addToChecksum(roots.value(QLatin1String(root.key)).toObject(), md5, 0);
    return QString::fromLatin1(md5.result().toHex());
}

BrowserTree ReadChromiumBookmarks(const QString& file)
{
    const QJsonObject roots = readDocument(file).value(QStringLiteral("roots")).toObject();
    BrowserTree tree;
    for (const RootKey& root : kRoots) {
        const QJsonValue value = roots.value(QLatin1String(root.key));
        if (!value.isObject())
            continue;
        BrowserNode node = nodeOf(value.toObject(), 0);
        node.isFolder = true;
        if (node.title.isEmpty())
            node.title = QLatin1String(root.title);
        if (QLatin1String(root.key) == QLatin1String("other"))
            tree.otherBookmarksId = node.id;
        tree.roots.append(node);
    }
    return tree;
}

AddedIds WriteChromiumChanges(const QString& file, const QList<BookmarkChange>& changes,
                              const QDateTime& now)
{
    QJsonObject document = readDocument(file);
    const int version = document.value(QStringLiteral("version")).toInt(-1);
    if (version != kKnownVersion)
        throw NorvaleError(
            ErrorNumber::InvalidFileFormat,
            QStringLiteral("%1 is of a version (%2) this program does not write; it was left "
                           "as it is")
                .arg(file, document.value(QStringLiteral("version")).toVariant().toString()),
            kSource);
    if (holdsInexactNumber(document, 0))
        throw NorvaleError(ErrorNumber::InvalidFileFormat,
                           QStringLiteral("%1 holds a number too large to be kept exactly; it was "
                                          "left as it is")
                               .arg(file),
                           kSource);
    QJsonObject roots = document.value(QStringLiteral("roots")).toObject();
    const QString stamp = chromiumTime(now);
    JsonEditor editor(changes, stamp);
    qint64 nextId = 0;
    for (const RootKey& root : kRoots) {
        const QString key = QLatin1String(root.key);
        if (roots.value(key).isObject()) {
            roots.insert(key, editor.edit(roots.value(key).toObject(), 0));
            nextId = std::max(nextId, largestId(roots.value(key).toObject(), 0));
        }
    }
    if (!editor.missing().isEmpty())
        throw NorvaleError(ErrorNumber::FileNotFound,
                           QStringLiteral("No bookmark %1 in %2; it was left as it is")
                               .arg(editor.missing().join(QStringLiteral(", ")), file),
                           kSource);
    if (!editor.moved().isEmpty()) {
        QJsonObject other = roots.value(QStringLiteral("other")).toObject();
        QJsonArray otherChildren = other.value(kChildren).toArray();
        qsizetype at = -1;
        for (qsizetype i = 0; i < otherChildren.size(); ++i) {
            const QJsonObject child = otherChildren.at(i).toObject();
            if (isFolder(child) && child.value(kName).toString() == kDeadBookmarksFolder) {
                at = i;
                break;
            }
        }
        QJsonObject dead;
        if (at < 0) {
            dead.insert(kChildren, QJsonArray());
            dead.insert(QStringLiteral("date_added"), stamp);
            dead.insert(QStringLiteral("guid"), QUuid::createUuid().toString(QUuid::WithoutBraces));
            dead.insert(kId, QString::number(nextId + 1));
            dead.insert(kName, kDeadBookmarksFolder);
            dead.insert(kType, QStringLiteral("folder"));
        } else {
            dead = otherChildren.at(at).toObject();
        }
        QJsonArray deadChildren = dead.value(kChildren).toArray();
        for (const QJsonObject& node : editor.moved())
            deadChildren.append(node);
        dead.insert(kChildren, deadChildren);
        dead.insert(kDateModified, stamp);
        if (at < 0)
            otherChildren.append(dead);
        else
            otherChildren.replace(at, dead);
        other.insert(kChildren, otherChildren);
        other.insert(kDateModified, stamp);
        roots.insert(QStringLiteral("other"), other);
    }
    document.insert(QStringLiteral("roots"), roots);
    document.insert(QStringLiteral("checksum"), ChromiumChecksum(roots));
    WriteFileAtomically(file, QJsonDocument(document).toJson(QJsonDocument::Indented));
    return {};
}

} // namespace norvale
