#include "UpdateCheck.h"

#include "platform/Clock.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"

#include <utility>

namespace norvale {

namespace {

// The wait for the answer always lasts this long, even when the answer comes
// sooner.
constexpr qint64 kWaitMs = 1000;

constexpr int kDaysBetweenChecks = 30;

} // namespace

QString UpdateDocumentAddress()
{
    const QString fromEnvironment = qEnvironmentVariable("NORVALE_UPDATE_URL");
    return fromEnvironment.isEmpty() ? QString::fromLatin1(kUpdateDocumentAddress)
                                     : fromEnvironment;
}

bool AutomaticUpdateCheckDue(const AppSettings& settings, const QDateTime& now)
{
    if (!settings.AutoCheck)
        return false;
    if (!settings.LastCheck.isValid())
        return true;
    return now > settings.LastCheck.addDays(kDaysBetweenChecks);
}

UpdateCheck::UpdateCheck(AppSettings& settings, const Clock& clock, TransferEngine& engine,
                         QString address, ProgramVersion version)
    : m_settings(settings)
    , m_clock(clock)
    , m_engine(engine)
    , m_address(std::move(address))
    , m_version(version)
{}

UpdateInfo UpdateCheck::FetchUpdateInfo()
{
    TransferRequest request;
    request.url = m_address;
    request.timeoutMs = int(kWaitMs);
    Transfer transfer(request);
    transfer.start(m_engine);

    // The wait runs on a monotonic timer, not the clock: a change of the
    // system time must not stretch or cut it.
    m_engine.waitUntil([] { return false; }, kWaitMs);

    const TransferOutcome& outcome = transfer.outcome();
    if (outcome.result != TransferOutcome::Result::Complete || outcome.httpStatus != 200)
        return {};
    return ReadUpdateDocument(DecodePageText(outcome.body));
}

QString UpdateCheck::CheckForUpdate()
{
    const UpdateInfo info = FetchUpdateInfo();
    const std::optional<float> offered = ReadVersionNumber(info.Version);
    if (info.Version.isEmpty() || !offered)
        return QString();
    const QString location = info.Update_Location.trimmed();
    m_downloadPage = location.startsWith(QLatin1String("http://")) ||
                             location.startsWith(QLatin1String("https://"))
                         ? location
                         : QString::fromLatin1(kMakerDownloadSite);
    if (*offered > VersionNumber(m_version)) {
        if (info.New_Version.isEmpty())
            NoticeShown(); // nothing to read, nothing to lose
        return info.New_Version;
    }
    return info.Common;
}

void UpdateCheck::NoticeShown()
{
    m_settings.LastCheck = m_clock.now();
}

} // namespace norvale
