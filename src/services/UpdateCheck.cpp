#include "UpdateCheck.h"

#include "platform/Clock.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"

#include <algorithm>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <utility>

namespace norvale {

namespace {

// The wait for the answer always lasts this long, even when the answer comes
// sooner.
constexpr qint64 kWaitMs = 1000;
// How long each round of the wait gives the network before the window's events.
constexpr int kPollMs = 20;

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

    // A monotonic timer, not the clock: a change of the system time must not
    // stretch or cut the wait.
    QElapsedTimer waited;
    waited.start();
    for (qint64 left = kWaitMs; left > 0; left = kWaitMs - waited.elapsed()) {
        const int slice = int(std::min<qint64>(kPollMs, left));
        if (m_engine.idle())
            QThread::msleep(slice);
        else
            m_engine.pump(slice);
        QCoreApplication::processEvents();
    }

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
    QString notice;
    if (*offered > VersionNumber(m_version)) {
        notice = info.New_Version;
        m_settings.LastCheck = m_clock.now();
    } else if (!info.Common.isEmpty()) {
        notice = info.Common;
        m_settings.LastCheck = m_clock.now();
    }
    return notice;
}

} // namespace norvale
