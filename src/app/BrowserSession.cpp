#include "BrowserSession.h"

#include "browsers/BrowserStore.h"
#include "ConsoleOutput.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/ProgramFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>

namespace norvale {

namespace {

// "firefox-default-esr-1a2b3c4d": a folder name for the profile, readable
// and yet its own: two profiles whose names read alike ("a b", "a-b") or
// that share a name in two places must never share a folder.
QString folderName(const BrowserProfile& profile)
{
    QString name = profile.key();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("-"));
    const QByteArray file = QDir::cleanPath(profile.storeFile()).toUtf8();
    return name.left(64) + QLatin1Char('-') +
           QString::fromLatin1(
               QCryptographicHash::hash(file, QCryptographicHash::Sha1).toHex().left(8));
}

// What the run would have done to a favorite, told rather than shown as
// done: the browser's file still holds the bookmark as it was.
void markUnwritten(ReportEntry& entry)
{
    QStringList planned;
    if (!entry.addressAfter.isEmpty() && entry.addressAfter != entry.addressBefore)
        planned.append(QStringLiteral("address to ") +
                       std::exchange(entry.addressAfter, entry.addressBefore));
    if (!entry.renamedTo.isEmpty())
        planned.append(QStringLiteral("name to \"%1\"").arg(std::exchange(entry.renamedTo, {})));
    if (!entry.movedTo.isEmpty()) {
        entry.movedTo.clear();
        planned.append(QStringLiteral("moved to ") + kDeadBookmarksFolder);
    }
    if (!planned.isEmpty())
        entry.reason += QStringLiteral(" (not written, to do with the browser closed: %1)")
                            .arg(planned.join(QStringLiteral(", ")));
}

} // namespace

BrowserSession::BrowserSession(BrowserProfile profile, const FileSystem& fs)
    : m_profile(std::move(profile))
    , m_folder(
          FileSystem::join(FileSystem::join(norvale::programFolder(), QStringLiteral("Browsers")),
                           folderName(m_profile)))
    , m_staging(fs, m_folder)
{}

QString BrowserSession::rootText() const
{
    return QStringLiteral("%1 (%2)").arg(m_profile.browserName, m_profile.name);
}

QString BrowserSession::windowTitle() const
{
    return QStringLiteral("Brimwick Norvale - ") + rootText();
}

QString BrowserSession::prepare(bool deadApart)
{
    try {
        m_staging.layOut(ReadBrowserBookmarks(m_profile), deadApart);
    } catch (const NorvaleError& error) {
        return error.description();
    }
    return {};
}

void BrowserSession::start(std::function<bool()> busy, StatusBarModel& status, WindowFrame* frame,
                           bool unattended)
{
    m_saver = std::make_unique<BrowserSaver>(m_profile, m_staging, std::move(busy), status, frame);
    // An unattended run writes once, at its end, and says what it wrote.
    if (!unattended)
        m_saver->start();
}

bool BrowserSession::mayClose(MessageBoxes& boxes)
{
    return !m_saver || m_saver->mayClose(boxes);
}

void BrowserSession::finishUnattended(QList<ReportEntry>& entries)
{
    const BrowserSaver::Outcome outcome = m_saver->saveNow();
    const bool written = outcome.write.written;
    for (const QString& change : outcome.described)
        PrintLine(stdout,
                  (written ? QStringLiteral("Changed: ") : QStringLiteral("Not written: ")) +
                      change);
    if (!outcome.changes.isEmpty() && !written) {
        PrintLine(stdout, QStringLiteral("The changes were not written: ") + outcome.write.reason);
        for (ReportEntry& entry : entries)
            markUnwritten(entry);
    }
    if (!outcome.write.backup.isEmpty())
        PrintLine(stdout, QStringLiteral("The bookmarks as they were: ") + outcome.write.backup);
}

} // namespace norvale
