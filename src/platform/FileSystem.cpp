#include "FileSystem.h"

#include "NorvaleError.h"

#include <algorithm>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("FileSystem");
const QString kAllFiles = QStringLiteral("*.*");

[[noreturn]] void fail(int number, const QString& what, const QString& path) {
    throw NorvaleError(number, QStringLiteral("%1: %2").arg(what, QDir::toNativeSeparators(path)),
                       kSource);
}

bool nameLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

void requireFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir())
        fail(ErrorNumber::PathNotFound, QStringLiteral("Path not found"), path);
}

// Splits "folder/*.*" into its folder; returns false for a plain path.
bool isWildcard(const QString& path, QString* folder) {
    if (!path.endsWith(kAllFiles))
        return false;
    *folder = path.chopped(kAllFiles.size());
    if (folder->endsWith(QLatin1Char('/')))
        folder->chop(1);
    return true;
}

} // namespace

QString FileSystem::join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

FolderListing FileSystem::listFolder(const QString& path) const {
    const QFileInfo info(path);
    if (!info.isDir())
        fail(ErrorNumber::PathNotFound, QStringLiteral("Path not found"), path);
    if (!info.isReadable() || !info.isExecutable())
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);

    FolderListing listing;
    QDirIterator it(path, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (entry.isDir())
            listing.subfolders.push_back({entry.fileName(), entry.isSymLink()});
        else
            listing.files.append(entry.fileName());
    }
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.subfolders.begin(), listing.subfolders.end(),
              [](const Subfolder& a, const Subfolder& b) { return nameLess(a.name, b.name); });
    return listing;
}

bool FileSystem::folderExists(const QString& path) const {
    return QFileInfo(path).isDir();
}

bool FileSystem::fileExists(const QString& path) const {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void FileSystem::createFolder(const QString& path) const {
    const QFileInfo info(path);
    if (info.exists())
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), path);
    requireFolder(info.absolutePath());
    if (!QDir().mkdir(path))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
}

void FileSystem::rename(const QString& path, const QString& newName) const {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
    const QString target = join(info.absolutePath(), newName);
    // A change of letter case alone names the same item and is no clash.
    if (QFileInfo::exists(target) && target.compare(path, Qt::CaseInsensitive) != 0)
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), target);
    if (!QFile::rename(path, target))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
}

void FileSystem::copyFile(const QString& source, const QString& destinationFolder,
                          bool overwrite) const {
    requireFolder(destinationFolder);
    QString folder;
    QStringList names;
    if (isWildcard(source, &folder)) {
        names = listFolder(folder).files;
    } else {
        if (!fileExists(source))
            fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), source);
        folder = QFileInfo(source).absolutePath();
        names = {QFileInfo(source).fileName()};
    }
    for (const QString& name : names) {
        const QString target = join(destinationFolder, name);
        if (QFileInfo::exists(target)) {
            if (!overwrite)
                fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), target);
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteUser);
            QFile::remove(target);
        }
        if (!QFile::copy(join(folder, name), target))
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), target);
    }
}

void FileSystem::moveFile(const QString& source, const QString& destination) const {
    if (!fileExists(source))
        fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), source);
    if (QFileInfo::exists(destination))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), destination);
    if (QFile::rename(source, destination))
        return;
    // Across file systems a rename is a copy and a delete; the copy must
    // land whole before the source goes.
    if (!QFile::copy(source, destination))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), destination);
    if (!QFile::remove(source)) {
        QFile::remove(destination);
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), source);
    }
}

void FileSystem::moveFolder(const QString& source, const QString& destination) const {
    requireFolder(source);
    if (QFileInfo::exists(destination))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), destination);
    if (!QDir().rename(source, destination))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), source);
}

void FileSystem::deleteFile(const QString& path, bool force) const {
    QString folder;
    QStringList targets;
    if (isWildcard(path, &folder)) {
        for (const QString& name : listFolder(folder).files)
            targets.append(join(folder, name));
    } else {
        if (!fileExists(path))
            fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
        targets = {path};
    }
    for (const QString& target : targets) {
        const QFileInfo info(target);
        if (!info.isWritable() && !force)
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), target);
        if (!QFile::remove(target))
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), target);
    }
}

void FileSystem::deleteFolder(const QString& path, bool force) const {
    requireFolder(path);
    if (!force && !QFileInfo(path).isWritable())
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
    if (!QDir(path).removeRecursively())
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
}

void FileSystem::appendText(const QString& path, const QByteArray& bytes) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        fail(ErrorNumber::PermissionDenied,
             QStringLiteral("Cannot open for appending (%1)").arg(file.errorString()), path);
    if (file.write(bytes) != bytes.size() || !file.flush())
        fail(ErrorNumber::PathFileAccess,
             QStringLiteral("Cannot write (%1)").arg(file.errorString()), path);
}

QString FileSystem::resolveCaseInsensitive(const QString& path) const {
    const QFileInfo info(path);
    if (info.exists())
        return path;
    const QString folder = info.absolutePath();
    const QString name = info.fileName();
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return join(folder, it.fileName());
    }
    return path;
}

} // namespace norvale
