#pragma once

#include "services/ProgramVersion.h"
#include "services/UpdateInfo.h"

#include <QDateTime>
#include <QString>

namespace norvale {

struct AppSettings;
class Clock;
class TransferEngine;

// Where the update document lives on the maker's site.
inline constexpr const char* kUpdateDocumentAddress = "http://www.brimwick.com/norvale/update.xml";
inline constexpr const char* kMakerDownloadSite = "http://www.brimwick.com/";

// The update document's address: NORVALE_UPDATE_URL when it is set and not
// empty, otherwise kUpdateDocumentAddress.
QString UpdateDocumentAddress();

// Whether start-up should run the automatic check: AutoCheck is on and now is
// later than LastCheck plus 30 days (a LastCheck that was never set counts as
// long ago).
bool AutomaticUpdateCheckDue(const AppSettings& settings, const QDateTime& now);

// Asks the maker's site whether a newer version exists. The request waits one
// full second while the window keeps handling its events; what has not fully
// arrived by then counts as no answer. Nothing is reported or logged: every
// failure just means no notice.
class UpdateCheck {
public:
    UpdateCheck(AppSettings& settings, const Clock& clock, TransferEngine& engine,
                QString address = UpdateDocumentAddress(),
                ProgramVersion version = ProgramVersion::current());

    const QString& address() const { return m_address; }

    // Fetches and reads the update document; the empty record when there is
    // no usable one (no answer within the second, a status other than 200, a
    // malformed document).
    UpdateInfo FetchUpdateInfo();

    // The notice for the user, empty when there is nothing to tell: New_Version
    // when the document's version is greater than ours, else Common. An empty
    // New_Version moves LastCheck to now at once; a notice leaves it for
    // NoticeShown, so that news nobody saw is asked for again next start.
    QString CheckForUpdate();
    // The notice reached the user: LastCheck moves to now.
    void NoticeShown();
    // Where the newer version is to be had: the document's Update_Location
    // when it is a web address, else the maker's site.
    QString downloadPage() const { return m_downloadPage; }

private:
    AppSettings& m_settings;
    const Clock& m_clock;
    TransferEngine& m_engine;
    QString m_address;
    ProgramVersion m_version;
    QString m_downloadPage;
};

} // namespace norvale
