#pragma once

#include "BrowserProfiles.h"
#include "BrowserStaging.h"
#include "BrowserStore.h"

#include <functional>
#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace norvale {

class MessageBoxes;
class StatusBarModel;
class WindowFrame;

// Carries what was done to a browser profile's laid-out bookmarks into the
// browser's own file: whenever the window is idle, as soon as the browser
// is closed. While it runs, the window says that changes wait.
class BrowserSaver : public QObject {
    Q_OBJECT
public:
    // What one attempt did.
    struct Outcome {
        QList<BookmarkChange> changes; // what waited
        QStringList described;         // each change as describe() told it before the write
        BrowserWriteOutcome write;
    };

    // busy: true while a check runs (the folders change under it then);
    // frame may be null (no window).
    BrowserSaver(BrowserProfile profile, BrowserStaging& staging, std::function<bool()> busy,
                 StatusBarModel& status, WindowFrame* frame, QObject* parent = nullptr);

    // Looks again every interval while the window runs.
    void start(int intervalMs = 3000);
    // Writes what waits, when the browser is closed; else says it waits.
    Outcome saveNow(const QDateTime& now = QDateTime::currentDateTime());
    // A close: true when nothing waits, or the user lets it go unsaved.
    bool mayClose(MessageBoxes& boxes);

    // "Renamed "Old" to "New"", in the user's words.
    static QString describe(const BookmarkChange& change, const BrowserStaging& staging);

private:
    void show(const Outcome& outcome);

    BrowserProfile m_profile;
    BrowserStaging& m_staging;
    std::function<bool()> m_busy;
    StatusBarModel& m_status;
    WindowFrame* m_frame;
    QTimer m_timer;
    int m_interval = 0;
    QList<BookmarkChange> m_failed; // not tried again until they differ
    QString m_failedReason;
    QString m_stale; // why nothing may be written any more
    QString m_shown; // the notice on show
};

} // namespace norvale
