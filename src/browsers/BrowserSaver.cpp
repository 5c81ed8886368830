#include "BrowserSaver.h"

#include "platform/Counted.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/StatusBarModel.h"
#include "platform/WindowFrame.h"

#include <algorithm>
#include <QElapsedTimer>

namespace norvale {

namespace {

bool sameChanges(const QList<BookmarkChange>& a, const QList<BookmarkChange>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const BookmarkChange& x, const BookmarkChange& y) {
                          return x.kind == y.kind && x.id == y.id && x.value == y.value &&
                                 x.parent == y.parent && x.url == y.url;
                      });
}

// One change to show what waits: the first that is more than a folder
// made to hold the others.
QString example(const BrowserSaver::Outcome& outcome)
{
    qsizetype shown = 0;
    while (shown + 1 < outcome.changes.size() &&
           outcome.changes[shown].kind == BookmarkChange::Kind::AddFolder)
        ++shown;
    return outcome.described.value(shown) +
           (outcome.changes.size() > 1 ? QStringLiteral(", ...") : QString());
}

} // namespace

BrowserSaver::BrowserSaver(BrowserProfile profile, BrowserStaging& staging,
                           std::function<bool()> busy, StatusBarModel& status, WindowFrame* frame,
                           QObject* parent)
    : QObject(parent)
    , m_profile(std::move(profile))
    , m_staging(staging)
    , m_busy(std::move(busy))
    , m_status(status)
    , m_frame(frame)
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_busy && m_busy())
            return;
        QElapsedTimer took;
        took.start();
        show(saveNow());
        // A profile of tens of thousands of bookmarks takes a while to
        // compare: the window looks less often then, so that it stays idle
        // nineteen twentieths of the time.
        m_timer.setInterval(int(std::max<qint64>(m_interval, 20 * took.elapsed())));
    });
}

void BrowserSaver::start(int intervalMs)
{
    m_interval = intervalMs;
    m_timer.start(intervalMs);
}

BrowserSaver::Outcome BrowserSaver::saveNow(const QDateTime& now)
{
    Outcome outcome;
    try {
        outcome.changes = m_staging.changes();
    } catch (const NorvaleError& error) {
        outcome.write.reason = error.description(); // the folder could not be read
        return outcome;
    }
    if (outcome.changes.isEmpty())
        return outcome;
    for (const BookmarkChange& change : outcome.changes)
        outcome.described.append(describe(change, m_staging));
    // A write that failed is not tried again for the same changes: the
    // user was told why, and only a change of theirs can mend it. Once
    // the folder could not take the ids of what a write added, nothing is
    // written again: those items would be added twice.
    if (!m_stale.isEmpty() || (!m_failed.isEmpty() && sameChanges(m_failed, outcome.changes))) {
        outcome.write.reason = m_stale.isEmpty() ? m_failedReason : m_stale;
        return outcome;
    }
    // Only while the browser is closed is its file worth reading: it may
    // have changed under the window since the last save.
    if (BrowserRunningReason(m_profile).isEmpty()) {
        QString conflict;
        try {
            conflict = m_staging.conflictWith(ReadBrowserBookmarks(m_profile), outcome.changes);
        } catch (const NorvaleError& error) {
            conflict = error.description();
        }
        if (!conflict.isEmpty()) {
            m_failed = outcome.changes;
            outcome.write.reason = m_failedReason = conflict;
            return outcome;
        }
    }
    outcome.write = WriteBrowserChanges(m_profile, outcome.changes, now);
    if (outcome.write.written) {
        m_failed.clear();
        try {
            m_staging.saved(outcome.changes, outcome.write.addedIds);
        } catch (const NorvaleError& error) {
            m_stale = QStringLiteral("what was saved could not be noted in the window's copy: ") +
                      error.description();
        }
    } else if (BrowserRunningReason(m_profile).isEmpty()) {
        m_failed = outcome.changes;
        m_failedReason = outcome.write.reason;
    }
    return outcome;
}

void BrowserSaver::show(const Outcome& outcome)
{
    QString notice;
    if (outcome.write.written) {
        m_status.setPanelText(2, QStringLiteral(" Saved %1 to the bookmarks of %2 ")
                                     .arg(Counted(outcome.changes.size(), QStringLiteral("change"),
                                                  QStringLiteral("changes")),
                                          m_profile.browserName));
    } else if (!outcome.changes.isEmpty()) {
        const QString waiting =
            Counted(outcome.changes.size(), QStringLiteral("change"), QStringLiteral("changes"));
        notice = BrowserRunningReason(m_profile).isEmpty() || !m_stale.isEmpty()
                     ? QStringLiteral("%1 to the bookmarks of %2 could not be saved (%3); open "
                                      "the profile again to start from what the browser holds.")
                           .arg(waiting, m_profile.browserName, outcome.write.reason)
                     : QStringLiteral("Close the browser to save: %1 to the bookmarks of %2 "
                                      "%3 (%4).")
                           .arg(waiting, m_profile.browserName,
                                outcome.changes.size() == 1 ? QStringLiteral("waits")
                                                            : QStringLiteral("wait"),
                                example(outcome));
    } else if (!outcome.write.reason.isEmpty()) {
        notice = QStringLiteral("What changed in the bookmarks of %1 cannot be told (%2).")
                     .arg(m_profile.browserName, outcome.write.reason);
    }
    if (notice == m_shown)
        return;
    m_shown = notice;
    if (m_frame)
        m_frame->showSaveNotice(notice);
}

bool BrowserSaver::mayClose(MessageBoxes& boxes)
{
    m_failed.clear(); // one more try: what failed may have passed (a full disk, a lock)
    const Outcome outcome = saveNow();
    show(outcome);
    if (outcome.changes.isEmpty() || outcome.write.written)
        return true;
    return boxes.show({QStringLiteral("%1 to the bookmarks of %2 are not saved: %3.\n\n"
                                      "Close Norvale and leave the bookmarks as they are?")
                           .arg(Counted(outcome.changes.size(), QStringLiteral("change"),
                                        QStringLiteral("changes")),
                                m_profile.browserName, outcome.write.reason),
                       QStringLiteral("Bookmarks Not Saved"), MessageIcon::Question,
                       MessageButtons::YesNo}) == MessageAnswer::Yes;
}

QString BrowserSaver::describe(const BookmarkChange& change, const BrowserStaging& staging)
{
    using Kind = BookmarkChange::Kind;
    const QString name = staging.nameOf(change.id);
    switch (change.kind) {
    case Kind::SetUrl:
        return QStringLiteral("address of \"%1\" to %2").arg(name, change.value);
    case Kind::SetTitle:
        return QStringLiteral("rename \"%1\" to \"%2\"").arg(name, change.value);
    case Kind::Move:
        return QStringLiteral("move \"%1\" into \"%2\"").arg(name, staging.nameOf(change.parent));
    case Kind::Remove:
        return QStringLiteral("remove \"%1\"").arg(name);
    case Kind::AddBookmark:
        return QStringLiteral("add \"%1\" (%2)").arg(change.value, change.url);
    case Kind::AddFolder:
        return QStringLiteral("add the folder \"%1\"").arg(change.value);
    }
    return {};
}

} // namespace norvale
