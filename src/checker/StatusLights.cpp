#include "StatusLights.h"

#include "LinkResult.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

namespace {

constexpr int kStreakToShorten = 10;
constexpr int kWindow = 10;
constexpr int kFailuresToLengthen = 4;
constexpr int kShortenBy = 25;
constexpr int kLengthenBy = 50;
constexpr int kLengthenBelow = 1950;

} // namespace

StatusLights::StatusLights(TreeControl& tree, AppSettings& settings, const QDateTime& lastRunGmt)
    : m_tree(tree)
    , m_settings(settings)
    , m_lastRunGmt(lastRunGmt)
{}

Light LightFor(const LinkResult& result)
{
    switch (result.Status) {
    case LinkResult::Dead:
    case LinkResult::Gone:
        return Light::Dead;
    case LinkResult::NoAnswer:
        return Light::Warning;
    case LinkResult::Unchecked:
        return Light::Gray;
    case LinkResult::Alive:
        break;
    }
    return Light::Alive;
}

int StatusLights::LongestTimeoutAfter(int timeout, int windowCount, qint64 lights)
{
    if (timeout >= kLengthenBelow)
        return timeout;
    // Each window of ten lights may lengthen it once, while it is below the
    // limit.
    const qint64 windows = (windowCount + lights) / kWindow;
    const qint64 raisesLeft = (kLengthenBelow - timeout + kLengthenBy - 1) / kLengthenBy;
    return timeout + int(kLengthenBy * std::min(windows, raisesLeft));
}

void StatusLights::resetRunCounters()
{
    m_failCount = 0;
    m_okStreak = 0;
}

void StatusLights::SetLinkLight(const LinkResult& result, TreeNode* node, bool ownTimeout)
{
    Light light = LightFor(result);
    QString reason = result.Reason;
    switch (result.Status) {
    case LinkResult::Dead:
    case LinkResult::Gone:
        break;
    case LinkResult::NoAnswer:
        if (m_settings.AutoThrottle) {
            ++m_failCount;
            m_okStreak = 0;
        }
        break;
    case LinkResult::Unchecked:
        if (reason.isEmpty())
            reason = QStringLiteral("not checked: set to be skipped");
        break;
    case LinkResult::Alive: {
        // Only the page's own date tells it changed, never the time of the check.
        const bool changed =
            m_settings.ShowNew && result.PageDated && result.LastModified > m_lastRunGmt;
        light = changed ? Light::New : Light::Alive;
        if (m_settings.AutoThrottle)
            ++m_okStreak;
        break;
    }
    }
    m_tree.setStatus(node, {light, result.Code, reason});
    if (m_settings.AutoThrottle)
        throttle(ownTimeout);
}

void StatusLights::throttle(bool ownTimeout)
{
    if (m_okStreak == kStreakToShorten) {
        // Never below the floor that start-up applies anyway.
        m_settings.Timeout = std::max(m_settings.Timeout - kShortenBy, kMinimumTimeout);
        m_okStreak = 0;
        m_failCount = 0;
        m_windowCount = 0;
        return;
    }
    if (++m_windowCount < kWindow)
        return;
    if (m_failCount >= kFailuresToLengthen && m_settings.Timeout < kLengthenBelow && !ownTimeout)
        m_settings.Timeout += kLengthenBy;
    m_failCount = 0;
    m_windowCount = 0;
}

} // namespace norvale
