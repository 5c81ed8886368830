#include "BrowserStaging.h"

#include "favorites/NameCleanup.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "favorites/WebAddress.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/ProfileFile.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace norvale {

const QString BrowserStaging::kSection = QStringLiteral("BrowserBookmark");
const QString BrowserStaging::kIdKey = QStringLiteral("Id");
const QString BrowserStaging::kFolderIdFile = QStringLiteral(".bookmark-folder-id");
const QString BrowserStaging::kDeadParent = QStringLiteral("<dead>");
const QString BrowserStaging::kTopParent = QStringLiteral("<top>");

namespace {

const QString kSource = QStringLiteral("BrowserStaging");
const QString kDeadReference = QStringLiteral("new:dead");

// What a favorite's own section held that a new layout keeps, by the
// bookmark's id: the user's own settings and the failure history.
using KeptSettings = QList<std::pair<QString, QString>>;

const QStringList& keptKeys()
{
    static const QStringList keys{ShortcutKeys::Rename, ShortcutKeys::Bypass, ShortcutKeys::Timeout,
                                  ShortcutKeys::FailingSince, ShortcutKeys::Failures};
    return keys;
}

bool isShortcut(const QString& name)
{
    return name.endsWith(kNewShortcutExtension, Qt::CaseInsensitive);
}

bool writable(const QString& url)
{
    return !url.isEmpty() && !url.contains(QLatin1Char('\n')) && !url.contains(QLatin1Char('\r')) &&
           !url.contains(QChar(0));
}

// The folder's id; "" for a folder made here (no file), "?" when the
// file is there but cannot be read.
QString readFolderId(const QString& folder)
{
    QFile file(FileSystem::join(folder, BrowserStaging::kFolderIdFile));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromUtf8(file.read(64)).trimmed();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw NorvaleError(ErrorNumber::PathFileAccess,
                           QStringLiteral("%1 could not be written: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()),
                           kSource);
}

QByteArray shortcutBytes(const BrowserNode& node, KeptSettings kept)
{
    QByteArray bytes = NewShortcutBytes(node.url) + "[" + BrowserStaging::kSection.toUtf8() +
                       "]\r\n" + BrowserStaging::kIdKey.toUtf8() + "=" + node.id.toUtf8() + "\r\n";
    // What is no web address (javascript:, place:, file:) is not checked:
    // the favorite says so as a user's own "skip" does.
    if (!IsWebAddress(node.url)) {
        kept.removeIf([](const auto& setting) { return setting.first == ShortcutKeys::Bypass; });
        kept.append({ShortcutKeys::Bypass, QStringLiteral("1")});
    }
    if (!kept.isEmpty())
        bytes += "[" + ShortcutKeys::Private.toUtf8() + "]\r\n";
    for (const auto& [key, value] : kept)
        bytes += key.toUtf8() + "=" + value.toUtf8() + "\r\n";
    return bytes;
}

// What one layout of a tree writes: names free within each folder, in
// any letter case, as the file system needs them.
class Layout {
public:
    Layout(const BrowserTree& tree, bool deadApart, QHash<QString, KeptSettings> kept)
        : m_tree(tree)
        , m_deadApart(deadApart)
        , m_kept(std::move(kept))
    {}

    // The folder id deadPath() stands for, when the tree has one.
    QString deadFolderId;

    void layOut(const QString& favoritesPath, const QString& deadPath)
    {
        for (const BrowserNode& root : m_tree.roots)
            addNode(root, favoritesPath, deadPath, true);
    }

private:
    void addNode(const BrowserNode& node, const QString& folder, const QString& deadPath,
                 bool inOther)
    {
        if (!node.isFolder) {
            if (writable(node.url))
                writeFile(FileSystem::join(folder, freeName(folder, node, kNewShortcutExtension) +
                                                       kNewShortcutExtension),
                          shortcutBytes(node, m_kept.value(node.id)));
            return;
        }
        // Dead Bookmarks stands apart only as the dead favorites' folder
        // can be shown: with no folders of its own.
        const bool holdsFolders =
            std::any_of(node.children.begin(), node.children.end(),
                        [](const BrowserNode& child) { return child.isFolder; });
        if (m_deadApart && inOther && deadFolderId.isEmpty() &&
            node.title == kDeadBookmarksFolder && !holdsFolders) {
            deadFolderId = node.id;
            for (const BrowserNode& child : node.children)
                addNode(child, deadPath, deadPath, false);
            return;
        }
        const QString path = FileSystem::join(folder, freeName(folder, node, {}));
        if (!QDir().mkpath(path))
            throw NorvaleError(
                ErrorNumber::PathFileAccess,
                QStringLiteral("%1 could not be made").arg(QDir::toNativeSeparators(path)),
                kSource);
        writeFile(FileSystem::join(path, BrowserStaging::kFolderIdFile), node.id.toUtf8());
        const bool isOther = node.id == m_tree.otherBookmarksId;
        for (const BrowserNode& child : node.children)
            addNode(child, path, deadPath, isOther);
    }

    QString freeName(const QString& folder, const BrowserNode& node, const QString& extension)
    {
        const QString name =
            NameFromTitle(node.title, node.url,
                          node.isFolder ? QStringLiteral("Folder") : QStringLiteral("Bookmark"));
        // Fitted to the file system's name length, and never a name of the
        // program's own temporary files, which a start clears away.
        QSet<QString>& taken = m_taken[folder];
        for (int number = 1;; ++number) {
            const QString suffix = number == 1 ? QString() : QStringLiteral(" (%1)").arg(number);
            QString candidate = FitName(name, 1 << 30, suffix + extension) + suffix;
            const QString folded = (candidate + extension).toCaseFolded();
            // The tree hides a folder of the dead favorites' name.
            const bool hidden = extension.isEmpty() && candidate == kDeadFavoritesText;
            if (!taken.contains(folded) && !hidden && !IsOwnTemporaryName(candidate + extension)) {
                taken.insert(folded);
                return candidate;
            }
        }
    }

    const BrowserTree& m_tree;
    bool m_deadApart;
    QHash<QString, KeptSettings> m_kept;
    QHash<QString, QSet<QString>> m_taken; // by folder: names given, case-folded
};

// A name other than the saved one, apart from the " (2)" the program adds
// when a move or a rename finds the name taken.
bool renamed(const QString& saved, const QString& name)
{
    if (name == saved)
        return false;
    static const QRegularExpression added(QStringLiteral("^ \\(\\d+\\)$"));
    return !name.startsWith(saved) || !added.match(QStringView(name).mid(saved.size())).hasMatch();
}

// Which item of each id keeps it: the one still in its saved folder, else
// the first; the others (copies) count as new.
QList<bool> keepersOf(const QList<BrowserStaging::Item>& items,
                      const QHash<QString, BrowserStaging::Item>& base)
{
    QHash<QString, qsizetype> keeper;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const BrowserStaging::Item& item = items[i];
        const auto saved = base.constFind(item.id);
        if (item.id.isEmpty() || saved == base.cend() || saved->isFolder != item.isFolder)
            continue;
        const auto found = keeper.constFind(item.id);
        if (found == keeper.cend() ||
            (items[*found].parent != saved->parent && item.parent == saved->parent))
            keeper.insert(item.id, i);
    }
    QList<bool> keeps(items.size(), false);
    for (const qsizetype index : std::as_const(keeper))
        keeps[index] = true;
    return keeps;
}

} // namespace

BrowserStaging::BrowserStaging(const FileSystem& fs, QString folder)
    : m_fs(fs)
    , m_folder(std::move(folder))
{}

QString BrowserStaging::favoritesPath() const
{
    return FileSystem::join(m_folder, QStringLiteral("Bookmarks"));
}

QString BrowserStaging::deadPath() const
{
    return FileSystem::join(m_folder, kDeadFavoritesText);
}

void BrowserStaging::layOut(const BrowserTree& tree, bool deadApart)
{
    QHash<QString, KeptSettings> kept;
    scan([&kept](const Item& item, const ProfileFile::Reading& reading) {
        KeptSettings settings;
        for (const QString& key : keptKeys()) {
            const QString value = reading.value(ShortcutKeys::Private, key, {}, 64);
            if (!value.isEmpty())
                settings.append({key, value});
        }
        if (!item.id.isEmpty() && !settings.isEmpty())
            kept.insert(item.id, settings);
    });
    for (const QString& path : {favoritesPath(), deadPath()}) {
        if (!QDir(path).removeRecursively() || !QDir().mkpath(path))
            throw NorvaleError(
                ErrorNumber::PathFileAccess,
                QStringLiteral("%1 could not be made afresh").arg(QDir::toNativeSeparators(path)),
                kSource);
    }
    Layout layout(tree, deadApart, std::move(kept));
    layout.layOut(favoritesPath(), deadPath());
    m_otherBookmarksId = tree.otherBookmarksId;
    m_deadFolderId = layout.deadFolderId;
    m_rootIds.clear();
    for (const BrowserNode& root : tree.roots)
        m_rootIds.append(root.id);
    saved({}, {});
}

QList<BrowserStaging::Item> BrowserStaging::scan(const FileReader& read) const
{
    QList<Item> items;
    if (m_fs.folderExists(favoritesPath()))
        scanFolder(favoritesPath(), kTopParent, kTopParent, items, read);
    if (m_fs.folderExists(deadPath()))
        scanFolder(deadPath(), kDeadParent, kDeadParent, items, read);
    return items;
}

// Folders before what they hold, so that a folder is made before anything
// is put in it.
void BrowserStaging::scanFolder(const QString& path, const QString& parent,
                                const QString& parentPath, QList<Item>& items,
                                const FileReader& read) const
{
    const FolderListing listing = m_fs.listFolder(path);
    for (const Subfolder& sub : listing.subfolders) {
        if (sub.isSymLink)
            continue;
        Item folder;
        folder.isFolder = true;
        folder.name = sub.name;
        folder.path = FileSystem::join(path, sub.name);
        folder.id = readFolderId(folder.path);
        folder.parent = parent;
        folder.parentPath = parentPath;
        items.append(folder);
        scanFolder(folder.path, folder.id, folder.path, items, read);
    }
    for (const QString& name : listing.files) {
        if (!isShortcut(name))
            continue;
        Item favorite;
        favorite.name = name.chopped(kNewShortcutExtension.size());
        favorite.path = FileSystem::join(path, name);
        favorite.parent = parent;
        favorite.parentPath = parentPath;
        try {
            const ProfileFile::Reading reading = ProfileFile::readAll(favorite.path);
            favorite.id = reading.value(kSection, kIdKey, {}, 64);
            favorite.url = reading.value(ShortcutKeys::Standard, ShortcutKeys::Url, {});
            if (read)
                read(favorite, reading);
        } catch (const NorvaleError&) {
            favorite.id = QStringLiteral("?"); // see changes()
        }
        items.append(favorite);
    }
}

QString BrowserStaging::deadFolderIn(const QHash<QString, Item>& base) const
{
    if (!m_deadFolderId.isEmpty())
        return m_deadFolderId;
    for (const Item& item : base) {
        if (item.isFolder && item.parent == m_otherBookmarksId && item.name == kDeadBookmarksFolder)
            return item.id;
    }
    return {};
}

QList<BookmarkChange> BrowserStaging::changes() const
{
    using Kind = BookmarkChange::Kind;
    const QList<Item> items = scan();
    const QList<bool> keeps = keepersOf(items, m_base);
    QList<BookmarkChange> result;
    QHash<QString, QString> keyOfFolder; // by path: its id, or the reference that adds it
    QSet<QString> present;
    int added = 0;
    m_addedPaths.clear();
    QString dead = deadFolderIn(m_base);

    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        // What an unreadable item stands for is unknown: it may be one that
        // would otherwise count as removed, or, read later, as added twice.
        if (item.id == QLatin1String("?"))
            throw NorvaleError(ErrorNumber::PathFileAccess,
                               QStringLiteral("%1 cannot be read, so nothing is saved until it can")
                                   .arg(QDir::toNativeSeparators(item.path)),
                               kSource);
        const bool isRoot = keeps[i] && m_rootIds.contains(item.id);
        QString parent = keyOfFolder.value(item.parentPath, item.parentPath);
        if (parent == kTopParent) {
            parent = m_otherBookmarksId;
        } else if (parent == kDeadParent) {
            if (dead.isEmpty()) {
                result.append(
                    {Kind::AddFolder, kDeadReference, kDeadBookmarksFolder, m_otherBookmarksId});
                dead = kDeadReference;
            }
            parent = dead;
        }
        QString key = item.id;
        if (!keeps[i]) {
            key = QStringLiteral("new:%1").arg(++added);
            result.append({item.isFolder ? Kind::AddFolder : Kind::AddBookmark, key, item.name,
                           parent, item.url});
            m_addedPaths.insert(key, item.path);
        } else if (!isRoot) {
            const Item& saved = m_base[item.id];
            if (saved.parent != parent)
                result.append({Kind::Move, key, {}, parent});
            if (renamed(saved.name, item.name))
                result.append({Kind::SetTitle, key, item.name});
            if (!item.isFolder && saved.url != item.url && writable(item.url))
                result.append({Kind::SetUrl, key, item.url});
        }
        present.insert(key);
        if (item.isFolder)
            keyOfFolder.insert(item.path, key);
    }
    for (auto saved = m_base.cbegin(); saved != m_base.cend(); ++saved) {
        if (present.contains(saved.key()) || m_rootIds.contains(saved.key()))
            continue;
        // Whatever was in a removed folder goes with it.
        if (m_base.contains(saved->parent) && !present.contains(saved->parent))
            continue;
        result.append({Kind::Remove, saved.key(), {}});
    }
    return result;
}

QString BrowserStaging::conflictWith(const BrowserTree& now,
                                     const QList<BookmarkChange>& changes) const
{
    const QHash<QString, const BrowserNode*> held = BrowserNodesById(now);
    for (const BookmarkChange& change : changes) {
        for (const QString& id : {change.id, change.parent}) {
            const auto saved = m_base.constFind(id);
            if (id.isEmpty() || id.startsWith(QLatin1String("new:")) ||
                (saved == m_base.cend() && id != m_deadFolderId && id != m_otherBookmarksId))
                continue;
            const BrowserNode* node = held.value(id);
            const bool same =
                node && (saved == m_base.cend() ? node->isFolder
                                                : node->isFolder == saved->isFolder &&
                                                      (node->isFolder || node->url == saved->url));
            if (!same)
                return QStringLiteral("\"%1\" was %2 in the browser meanwhile")
                    .arg(nameOf(id), node ? QStringLiteral("changed") : QStringLiteral("removed"));
        }
    }
    return {};
}

QString BrowserStaging::nameOf(const QString& id) const
{
    if (id == kDeadReference || (!id.isEmpty() && id == m_deadFolderId))
        return kDeadBookmarksFolder;
    const auto saved = m_base.constFind(id);
    if (saved != m_base.cend())
        return saved->name;
    const QString name = QFileInfo(m_addedPaths.value(id)).fileName();
    return isShortcut(name) ? name.chopped(kNewShortcutExtension.size()) : name;
}

void BrowserStaging::saved(const QList<BookmarkChange>& written, const AddedIds& ids)
{
    for (const BookmarkChange& change : written) {
        const QString id = ids.value(change.id);
        if (id.isEmpty())
            continue;
        if (change.id == kDeadReference) {
            m_deadFolderId = id;
        } else if (change.kind == BookmarkChange::Kind::AddFolder) {
            writeFile(FileSystem::join(m_addedPaths.value(change.id), kFolderIdFile), id.toUtf8());
        } else if (change.kind == BookmarkChange::Kind::AddBookmark) {
            ProfileFile::write(m_addedPaths.value(change.id), kSection, kIdKey, id);
        }
    }
    m_base.clear();
    for (const Item& item : scan()) {
        if (item.id.isEmpty() || item.id == QLatin1String("?") || m_base.contains(item.id))
            continue;
        Item base = item;
        if (base.parent == kTopParent && !m_rootIds.contains(item.id))
            base.parent = m_otherBookmarksId;
        else if (base.parent == kDeadParent)
            base.parent = m_deadFolderId;
        m_base.insert(item.id, base);
    }
}

} // namespace norvale
