#include "ChromiumBookmarks.h"

#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>
#include <vector>

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

// The JSON tree as nodes that can be moved about while the changes are
// made in their order, then written back. Beyond the depth that is read,
// a folder's children stay in its keys as they were.
struct JsonNode {
    QJsonObject keys; // all but "children" while `children` holds them
    std::vector<std::unique_ptr<JsonNode>> children;
    JsonNode* parent = nullptr;
    bool expanded = false;

    bool folder() const { return isFolder(keys); }
};

class JsonTree {
public:
    JsonTree(const QJsonObject& roots, const QString& now)
        : m_now(now)
    {
        qint64 largest = 0;
        for (const QJsonValue root : roots)
            largest = std::max(largest, largestId(root.toObject(), 0));
        m_nextId = largest + 1;
        for (const RootKey& root : kRoots) {
            const QJsonValue value = roots.value(QLatin1String(root.key));
            m_roots.push_back(value.isObject() ? load(value.toObject(), nullptr, 0) : nullptr);
        }
    }

    void apply(const BookmarkChange& change)
    {
        switch (change.kind) {
        case BookmarkChange::Kind::SetUrl: {
            JsonNode& node = changeable(change.id);
            if (node.folder())
                throw missing(change.id);
            node.keys.insert(kUrl, change.value);
            modified(*node.parent);
            break;
        }
        case BookmarkChange::Kind::SetTitle: {
            JsonNode& node = changeable(change.id);
            node.keys.insert(kName, change.value);
            modified(*node.parent);
            break;
        }
        case BookmarkChange::Kind::Move: {
            JsonNode& node = changeable(change.id);
            JsonNode& target = folder(change.parent);
            for (const JsonNode* at = &target; at != nullptr; at = at->parent) {
                if (at == &node)
                    throw NorvaleError(
                        ErrorNumber::PermissionDenied,
                        QStringLiteral("Folder %1 cannot go into itself or a folder within it")
                            .arg(change.id),
                        kSource);
            }
            attach(detach(node), target);
            break;
        }
        case BookmarkChange::Kind::Remove:
            forget(*detach(changeable(change.id)));
            break;
        case BookmarkChange::Kind::AddBookmark:
            if (change.url.isEmpty())
                throw NorvaleError(ErrorNumber::InvalidFileFormat,
                                   QStringLiteral("An added bookmark needs an address"), kSource);
            add(change.id, make(folder(change.parent), change.value, change.url));
            break;
        case BookmarkChange::Kind::AddFolder:
            add(change.id, make(folder(change.parent), change.value, {}));
            break;
        }
    }

    // The roots with the changes, other keys of `roots` as they were.
    QJsonObject save(QJsonObject roots) const
    {
        for (size_t i = 0; i < m_roots.size(); ++i) {
            if (m_roots[i])
                roots.insert(QLatin1String(kRoots[i].key), save(*m_roots[i]));
        }
        return roots;
    }

    const AddedIds& added() const { return m_added; }

private:
    std::unique_ptr<JsonNode> load(QJsonObject json, JsonNode* parent, int depth)
    {
        auto node = std::make_unique<JsonNode>();
        node->parent = parent;
        node->expanded = depth < 500 && json.contains(kChildren);
        if (node->expanded) {
            for (const QJsonValue child : json.take(kChildren).toArray())
                node->children.push_back(load(child.toObject(), node.get(), depth + 1));
        }
        node->keys = json;
        m_byId.insert(json.value(kId).toString(), node.get());
        return node;
    }

    static QJsonObject save(const JsonNode& node)
    {
        QJsonObject json = node.keys;
        if (node.expanded) {
            QJsonArray children;
            for (const auto& child : node.children)
                children.append(save(*child));
            json.insert(kChildren, children);
        }
        return json;
    }

    NorvaleError missing(const QString& name) const
    {
        return NorvaleError(ErrorNumber::FileNotFound,
                            QStringLiteral("No bookmark or folder %1").arg(name), kSource);
    }

    // The one place a change's node is looked up: by the browser's id, or
    // by the reference of an item an earlier change added.
    JsonNode& find(const QString& name) const
    {
        JsonNode* node = m_byId.value(m_added.value(name, name));
        if (name.isEmpty() || node == nullptr)
            throw missing(name);
        return *node;
    }
    // A node that may be renamed, moved or removed: not one of the roots.
    JsonNode& changeable(const QString& name) const
    {
        JsonNode& node = find(name);
        if (node.parent == nullptr)
            throw NorvaleError(ErrorNumber::PermissionDenied,
                               QStringLiteral("%1 is one of Chromium's own folders, which stay as "
                                              "they are")
                                   .arg(name),
                               kSource);
        return node;
    }
    JsonNode& folder(const QString& name) const
    {
        JsonNode& node = find(name);
        if (!node.expanded || (!node.folder() && node.parent != nullptr))
            throw NorvaleError(ErrorNumber::FileNotFound,
                               QStringLiteral("No folder %1 to put bookmarks into").arg(name),
                               kSource);
        return node;
    }

    void modified(JsonNode& folder) const { folder.keys.insert(kDateModified, m_now); }

    std::unique_ptr<JsonNode> detach(JsonNode& node) const
    {
        auto& siblings = node.parent->children;
        const auto at = std::find_if(siblings.begin(), siblings.end(),
                                     [&node](const auto& child) { return child.get() == &node; });
        std::unique_ptr<JsonNode> taken = std::move(*at);
        siblings.erase(at);
        modified(*node.parent);
        node.parent = nullptr;
        return taken;
    }
    void attach(std::unique_ptr<JsonNode> node, JsonNode& folder) const
    {
        node->parent = &folder;
        folder.children.push_back(std::move(node));
        modified(folder);
    }
    void forget(const JsonNode& node)
    {
        m_byId.remove(node.keys.value(kId).toString());
        for (const auto& child : node.children)
            forget(*child);
    }

    // A new node at the end of the folder, with the keys Chromium itself
    // writes for one.
    JsonNode& make(JsonNode& folder, const QString& name, const QString& url)
    {
        const QString id = QString::number(m_nextId++);
        auto node = std::make_unique<JsonNode>();
        node->keys = {{QStringLiteral("date_added"), m_now},
                      {QStringLiteral("date_last_used"), QStringLiteral("0")},
                      {QStringLiteral("guid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
                      {kId, id},
                      {kName, name}};
        if (url.isEmpty()) {
            node->keys.insert(kType, QStringLiteral("folder"));
            node->keys.insert(kDateModified, QStringLiteral("0"));
            node->expanded = true;
        } else {
            node->keys.insert(kType, QStringLiteral("url"));
            node->keys.insert(kUrl, url);
            node->keys.insert(QStringLiteral("meta_info"),
                              QJsonObject{{QStringLiteral("power_bookmark_meta"), QString()}});
        }
        JsonNode& made = *node;
        m_byId.insert(id, &made);
        attach(std::move(node), folder);
        return made;
    }
    void add(const QString& reference, const JsonNode& made)
    {
        if (reference.isEmpty() || m_added.contains(reference))
            throw NorvaleError(ErrorNumber::KeyNotUnique,
                               QStringLiteral("An added item needs a reference of its own, not "
                                              "\"%1\"")
                                   .arg(reference),
                               kSource);
        m_added.insert(reference, made.keys.value(kId).toString());
    }

    QString m_now;
    qint64 m_nextId = 1;
    std::vector<std::unique_ptr<JsonNode>> m_roots; // as kRoots, null when missing
    QHash<QString, JsonNode*> m_byId;
    AddedIds m_added;
};

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
    JsonTree tree(document.value(QStringLiteral("roots")).toObject(), chromiumTime(now));
    try {
        for (const BookmarkChange& change : changes)
            tree.apply(change);
    } catch (const NorvaleError& error) {
        throw NorvaleError(
            error.number(),
            QStringLiteral("%1 in %2; it was left as it is").arg(error.description(), file),
            kSource);
    }
    const QJsonObject roots = tree.save(document.value(QStringLiteral("roots")).toObject());
    document.insert(QStringLiteral("roots"), roots);
    document.insert(QStringLiteral("checksum"), ChromiumChecksum(roots));
    WriteFileAtomically(file, QJsonDocument(document).toJson(QJsonDocument::Indented));
    return tree.added();
}

} // namespace norvale
