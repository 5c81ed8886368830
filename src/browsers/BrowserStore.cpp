#include "BrowserStore.h"

#include "BrowserProfiles.h"
#include "ChromiumBookmarks.h"
#include "FirefoxPlaces.h"
#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace norvale {

namespace {

// The files this process has backed up: one copy a session is enough, and
// a run of many small writes must not push the user's older copies out.
QSet<QString>& backedUp()
{
    static QSet<QString> files;
    return files;
}
QMutex g_backupMutex;

void dropOldBackups(const QString& file)
{
    const QFileInfo info(file);
    QDir folder = info.dir();
    QStringList copies =
        folder.entryList({info.fileName() + QStringLiteral(".norvale-*")}, QDir::Files, QDir::Name);
    while (copies.size() > kBrowserBackupsKept)
        folder.remove(copies.takeFirst());
}

QString backUp(const BrowserProfile& profile, const QDateTime& now)
{
    const QString file = profile.storeFile();
    QMutexLocker lock(&g_backupMutex);
    if (backedUp().contains(file))
        return {};
    QString copy =
        file + QStringLiteral(".norvale-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFileInfo::exists(copy)) {
        if (profile.family == BrowserFamily::Firefox)
            BackUpFirefoxPlaces(file, copy);
        else
            CopyFileAtomically(file, copy, false);
    }
    backedUp().insert(file);
    dropOldBackups(file);
    return copy;
}

} // namespace

BrowserTree ReadBrowserBookmarks(const BrowserProfile& profile)
{
    return profile.family == BrowserFamily::Firefox ? ReadFirefoxBookmarks(profile.storeFile())
                                                    : ReadChromiumBookmarks(profile.storeFile());
}

BrowserWriteOutcome WriteBrowserChanges(const BrowserProfile& profile,
                                        const QList<BookmarkChange>& changes, const QDateTime& now)
{
    BrowserWriteOutcome outcome;
    if (changes.isEmpty())
        return outcome;
    outcome.reason = BrowserRunningReason(profile);
    if (!outcome.reason.isEmpty()) {
        outcome.reason += QStringLiteral(": close it to save the changes");
        return outcome;
    }
    try {
        outcome.backup = backUp(profile, now);
        if (profile.family == BrowserFamily::Firefox)
            outcome.addedIds = WriteFirefoxChanges(profile.storeFile(), changes, now);
        else
            outcome.addedIds = WriteChromiumChanges(profile.storeFile(), changes, now);
        outcome.written = true;
    } catch (const NorvaleError& error) {
        outcome.reason = error.description();
    }
    return outcome;
}

} // namespace norvale
