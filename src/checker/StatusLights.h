#pragma once

#include "LinkResult.h"
#include "platform/FavoriteStatus.h"

#include <QDateTime>

namespace norvale {

class TreeControl;
class TreeNode;
struct AppSettings;

// The light a verdict gives: dead, no answer, alive, or gray for a favorite
// set to be skipped (whether an alive page is new is StatusLights' to say).
Light LightFor(const LinkResult& result);

// Sets favorites' statuses from probe results, and adapts the
// program-wide time-out to how the network answers (AutoThrottle): ten good
// answers in a row shorten it by 25 ms; four or more silences among ten
// lights lengthen it by 50 ms, up to 1950 ms.
class StatusLights {
public:
    StatusLights(TreeControl& tree, AppSettings& settings, const QDateTime& lastRunGmt);

    // A result with the Unchecked verdict stands for a favorite set to be
    // skipped. ownTimeout: the favorite just checked has a time-out of its own.
    void SetLinkLight(const LinkResult& result, TreeNode* node, bool ownTimeout);
    // A folder or all-favorites run starts afresh (the window count goes on).
    void resetRunCounters();

    // The longest the program-wide time-out can have grown to once `lights`
    // more lights are set, starting from `timeout` and `windowCount`.
    static int LongestTimeoutAfter(int timeout, int windowCount, qint64 lights);

    int windowCount() const { return m_windowCount; }

private:
    void throttle(bool ownTimeout);

    TreeControl& m_tree;
    AppSettings& m_settings;
    const QDateTime& m_lastRunGmt;
    int m_failCount = 0;
    int m_okStreak = 0;
    int m_windowCount = 0;
};

} // namespace norvale
