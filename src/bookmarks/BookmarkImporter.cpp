#include "BookmarkImporter.h"

#include "favorites/NameCleanup.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "favorites/WebAddress.h"
#include "platform/AtomicFile.h"
#include "platform/Counted.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"

#include <algorithm>
#include <QHash>

namespace norvale {

namespace {

// Folders deeper than this are merged into the one at this depth: no
// browser writes them, and paths must stay well inside the system's limit.
constexpr int kMostDepth = 32;
constexpr int kAnyLength = 1 << 30;

// The name a title becomes: cleaned as the New Favorite dialog cleans it,
// and something usable even when the title is empty or only dots.
QString baseName(const BookmarkItem& item)
{
    return NameFromTitle(item.title, item.url,
                         item.kind == BookmarkItem::Kind::Folder ? QStringLiteral("Folder")
                                                                 : QStringLiteral("Favorite"));
}

// Gives free names in folders. A name already given out for a title is
// not tried again, so that a thousand links of one title cost a thousand
// tries, not half a million.
class NameChooser {
public:
    explicit NameChooser(const FileSystem& fs)
        : m_fs(fs)
    {}

    // The first of name, "name (2)", "name (3)"... that no entry of folder
    // has in any letter case and that is no name of the program's own
    // temporary files (which no listing shows), each fitted to the file
    // system's name length.
    QString freeName(const QString& folder, const QString& name, const QString& extension)
    {
        int& next = m_next[folder + QLatin1Char('/') + (name + extension).toCaseFolded()];
        for (int number = std::max(next, 1);; ++number) {
            const QString suffix = number == 1 ? QString() : QStringLiteral(" (%1)").arg(number);
            QString candidate = FitName(name, kAnyLength, suffix + extension) + suffix;
            if (!IsOwnTemporaryName(candidate + extension) &&
                !m_fs.nameTaken(folder, candidate + extension)) {
                next = number + 1;
                return candidate;
            }
        }
    }

private:
    const FileSystem& m_fs;
    QHash<QString, int> m_next; // by folder and folded name
};

bool isImportableAddress(const QString& url)
{
    return IsWebAddress(url) && !url.contains(QLatin1Char('\n')) &&
           !url.contains(QLatin1Char('\r')) && !url.contains(QChar(0));
}

// One import's state: where each depth's items go, and what was made.
class Import {
public:
    Import(const QString& targetFolder, const FileSystem& fs)
        : m_fs(fs)
        , m_names(fs)
        , m_folders{targetFolder}
    {}

    void add(const BookmarkItem& item)
    {
        const qsizetype depth = std::min<qsizetype>(item.depth, m_folders.size() - 1);
        if (item.kind == BookmarkItem::Kind::Folder)
            addFolder(item, depth);
        else if (!isImportableAddress(item.url))
            ++m_summary.skipped;
        else
            addFavorite(item, m_folders[depth]);
    }

    ImportSummary& summary() { return m_summary; }

private:
    // m_folders[d] is where items of depth d go; a folder of depth d makes
    // m_folders[d + 1].
    void addFolder(const BookmarkItem& item, qsizetype depth)
    {
        m_folders.resize(depth + 1);
        if (depth >= kMostDepth)
            return; // its contents go into its parent
        const QString& parent = m_folders[depth];
        const QString path = FileSystem::join(parent, m_names.freeName(parent, baseName(item), {}));
        try {
            m_fs.makeFolder(path);
            m_folders.append(path);
            ++m_summary.folders;
        } catch (const NorvaleError& error) {
            m_summary.problems.append(path + QStringLiteral(": ") + error.description());
        }
    }

    // Written through a hidden temporary file and renamed onto a free name,
    // so that a kill never leaves an empty or torn favorite, and an entry
    // made meanwhile by anyone else is never written over.
    void addFavorite(const BookmarkItem& item, const QString& parent)
    {
        const QString path = FileSystem::join(
            parent, m_names.freeName(parent, baseName(item), kNewShortcutExtension) +
                        kNewShortcutExtension);
        try {
            CreateFileAtomically(path, NewShortcutBytes(item.url));
            ++m_summary.favorites;
        } catch (const NorvaleError& error) {
            m_summary.problems.append(path + QStringLiteral(": ") + error.description());
        }
    }

    const FileSystem& m_fs;
    NameChooser m_names;
    QStringList m_folders;
    ImportSummary m_summary;
};

} // namespace

QString ImportSummary::text() const
{
    QString result = cancelled ? QStringLiteral("Import cancelled. ") : QString();
    result += QStringLiteral("Made %1 and %2; skipped %3.")
                  .arg(Counted(folders, QStringLiteral("folder"), QStringLiteral("folders")),
                       Counted(favorites, QStringLiteral("favorite"), QStringLiteral("favorites")),
                       Counted(skipped, QStringLiteral("address that is not a web or FTP address"),
                               QStringLiteral("addresses that are not web or FTP addresses")));
    if (!problems.isEmpty())
        result += QStringLiteral("\n%1 could not be made:\n").arg(problems.size()) +
                  problems.mid(0, 10).join(QLatin1Char('\n'));
    return result;
}

ImportSummary ImportBookmarks(const BookmarkList& items, const QString& targetFolder,
                              const FileSystem& fs, const ImportProgress& progress)
{
    Import import(targetFolder, fs);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (progress && !progress(i, items.size())) {
            import.summary().cancelled = true;
            break;
        }
        import.add(items[i]);
    }
    return import.summary();
}

} // namespace norvale
