#pragma once

#include "LinkResult.h"

#include <QString>

namespace norvale {

class Clock;
class TransferControl;
struct AppSettings;

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
    // The verdict on a document text that came back for url.
    LinkResult Judge(const QString& text, const QString& url) const;

private:
    TransferControl& m_control;
    const AppSettings& m_settings;
    const Clock& m_clock;
};

} // namespace norvale
