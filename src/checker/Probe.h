#pragma once

#include "LinkResult.h"

#include <QString>

namespace norvale {

class Clock;
class TransferControl;
struct AppSettings;
struct TransferOutcome;

// Where a probe connects: the protocol and port it works out from the
// address, and the proxy and time-out it takes from the settings.
struct ProbeTarget {
    bool valid = true; // false: the port is not a number; no fetch is made
    long port = 80;
    QString proxy;
    int requestTimeoutSeconds = 0;
};

// Fetches a favorite's page and judges it: alive, dead or no answer, with
// its title, redirect target and date.
class Probe {
public:
    Probe(TransferControl& control, const AppSettings& settings, const Clock& clock);

    // timeoutMs: the favorite's own time-out.
    LinkResult CheckLink(const QString& url, int timeoutMs);

    // What a probe of url would set on the transfer control.
    static ProbeTarget TargetFor(const QString& url, int timeoutMs, const AppSettings& settings);
    // The verdict on a fetch of url that was given cutMs: an answer that
    // came whole within that time is judged; a failure within it says why;
    // anything else is no answer, whatever part of an answer had arrived (a
    // page cut short says nothing about the site). Every probe's verdict is
    // made here.
    LinkResult Verdict(const TransferOutcome& outcome, int cutMs, const QString& url) const;
    // The two halves of Verdict, for a fetch whose answer is judged when it
    // lands and weighed later: the judgement of a whole answer, and the
    // weighing of how the fetch ended (`judged` counts only when it came
    // whole within cutMs).
    LinkResult JudgeAnswer(const TransferOutcome& outcome, const QString& url) const;
    LinkResult Settle(const TransferOutcome& ending, int cutMs, LinkResult judged) const;
    // Whether a fetch came whole within cutMs.
    static bool CameWholeInTime(const TransferOutcome& outcome, int cutMs);
    // The verdict on one whole answer's text (status line, headers, a blank
    // line, the page) that came back for url.
    LinkResult Judge(const QString& text, const QString& url) const;

private:
    TransferControl& m_control;
    const AppSettings& m_settings;
    const Clock& m_clock;
};

// The time a fetch really gets for a time-out: whole seconds, a half going
// to the even neighbour, and half a second for none.
int EffectiveCutMs(int timeoutMs);

} // namespace norvale
