#include "FolderIndex.h"

#include <algorithm>
#include <dirent.h>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <sys/stat.h>

namespace norvale {

namespace {

// Folders whose lists are kept at once; past this the lists start afresh.
constexpr qsizetype kMostFolders = 512;

bool modifiedAt(const QString& folder, timespec* modified)
{
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    *modified = info.st_mtim;
    return true;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Characters at the start of a that b has in the same place and case.
qsizetype sharedStart(const QString& a, const QString& b)
{
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}

QString folderKey(const QString& folder)
{
    return QDir::cleanPath(folder);
}

} // namespace

FolderIndex& FolderIndex::shared()
{
    static FolderIndex index;
    return index;
}

FolderIndex::Listing* FolderIndex::current(const QString& folder)
{
    const QString key = folderKey(folder);
    timespec modified{};
    if (!modifiedAt(key, &modified)) {
        m_folders.remove(key);
        return nullptr;
    }
    if (const auto it = m_folders.find(key); it != m_folders.end()) {
        if (sameTime(it->modified, modified))
            return &*it;
        m_folders.erase(it);
    }
    DIR* dir = ::opendir(QFile::encodeName(key).constData());
    if (!dir)
        return nullptr;
    if (m_folders.size() >= kMostFolders)
        m_folders.clear();
    Listing listing;
    listing.modified = modified;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString decoded = utf8.decode(QByteArrayView(name, qstrlen(name)));
        if (!utf8.hasError())
            listing.byFolded[decoded.toCaseFolded()].append(decoded);
    }
    ::closedir(dir);
    return &*m_folders.emplace(key, std::move(listing));
}

QStringList FolderIndex::namesLike(const QString& folder, const QString& name)
{
    const Listing* listing = current(folder);
    if (!listing)
        return {};
    QStringList names = listing->byFolded.value(name.toCaseFolded());
    std::stable_sort(names.begin(), names.end(), [&name](const QString& a, const QString& b) {
        return sharedStart(a, name) > sharedStart(b, name);
    });
    return names;
}

void FolderIndex::refreshStamp(const QString& folder, Listing& listing)
{
    if (!modifiedAt(folder, &listing.modified))
        m_folders.remove(folder);
}

void FolderIndex::noteAdded(const QString& folder, const QString& name)
{
    const QString key = folderKey(folder);
    const auto it = m_folders.find(key);
    if (it == m_folders.end())
        return;
    QStringList& names = it->byFolded[name.toCaseFolded()];
    if (!names.contains(name))
        names.append(name);
    refreshStamp(key, *it);
}

void FolderIndex::noteRemoved(const QString& folder, const QString& name)
{
    const QString key = folderKey(folder);
    const auto it = m_folders.find(key);
    if (it == m_folders.end())
        return;
    const QString folded = name.toCaseFolded();
    if (auto names = it->byFolded.find(folded); names != it->byFolded.end()) {
        names->removeAll(name);
        if (names->isEmpty())
            it->byFolded.erase(names);
    }
    refreshStamp(key, *it);
}

} // namespace norvale
