#pragma once

#include <QDate>
#include <QString>

namespace norvale {

// How long a favorite has failed its checks: since the day of the first
// failed check in a row, and how many checks in a row failed. A favorite
// that answered at its last check has none.
struct FailureHistory {
    QDate since;
    int failures = 0;

    bool failing() const { return failures > 0 && since.isValid(); }
    // The history once one more check failed on `today`.
    FailureHistory afterFailure(const QDate& today) const
    {
        return failing() ? FailureHistory{since, failures + 1} : FailureHistory{today, 1};
    }
    // "since 20 Nov 2026 (3 checks)"
    QString sinceText() const;

    bool operator==(const FailureHistory&) const = default;
};

} // namespace norvale
