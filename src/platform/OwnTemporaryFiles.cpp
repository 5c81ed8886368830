#include "OwnTemporaryFiles.h"

#include "FolderIndex.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>

namespace norvale {

namespace {

constexpr char kPrefix[] = ".norvale-";
constexpr char kSuffix[] = ".tmp";
constexpr qsizetype kPrefixLength = sizeof kPrefix - 1;
constexpr qsizetype kSuffixLength = sizeof kSuffix - 1;
constexpr qsizetype kRandomLength = 12;
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Far below any real Favorites folder; it keeps the open folders few.
constexpr int kDeepest = 64;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The entry's kind, looked up only where the folder listing does not say;
// a link is a link, never what it points to.
unsigned char kindOf(int folder, const dirent* entry)
{
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type;
    struct stat info {};
    if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISREG(info.st_mode) ? DT_REG : S_ISDIR(info.st_mode) ? DT_DIR : DT_UNKNOWN;
}

// Takes over folderFd.
int removeIn(const QString& folder, int folderFd, bool recursive, int depth)
{
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (isDotOrDotDot(name))
            continue;
        const unsigned char kind = kindOf(::dirfd(dir), entry);
        if (kind == DT_REG && std::strncmp(name, kPrefix, kPrefixLength) == 0) {
            const QString decoded = QFile::decodeName(name);
            if (IsOwnTemporaryName(decoded) && ::unlinkat(::dirfd(dir), name, 0) == 0) {
                ++removed;
                FolderIndex::shared().noteRemoved(folder, decoded);
            }
        } else if (kind == DT_DIR && recursive && depth < kDeepest) {
            const int child =
                ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                removed += removeIn(folder + QLatin1Char('/') + QFile::decodeName(name), child,
                                    true, depth + 1);
        }
    }
    ::closedir(dir);
    return removed;
}

} // namespace

QString NewOwnTemporaryName()
{
    QString name = QLatin1String(kPrefix);
    for (qsizetype i = 0; i < kRandomLength; ++i)
        name +=
            QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return name + QLatin1String(kSuffix);
}

bool IsOwnTemporaryName(QStringView name)
{
    if (name.size() != kPrefixLength + kRandomLength + kSuffixLength ||
        !name.startsWith(QLatin1String(kPrefix)) || !name.endsWith(QLatin1String(kSuffix)))
        return false;
    for (const QChar c : name.mid(kPrefixLength, kRandomLength)) {
        if (!(c >= u'a' && c <= u'z') && !(c >= u'0' && c <= u'9'))
            return false;
    }
    return true;
}

int RemoveOwnTemporaryFiles(const QString& folder, bool recursive)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : removeIn(folder, fd, recursive, 0);
}

} // namespace norvale
