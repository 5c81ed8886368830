#include "FailureHistory.h"

#include <QLocale>

namespace norvale {

QString FailureHistory::sinceText() const
{
    return QStringLiteral("since %1 (%2 %3)")
        .arg(QLocale::c().toString(since, QStringLiteral("d MMM yyyy")))
        .arg(failures)
        .arg(failures == 1 ? QStringLiteral("check") : QStringLiteral("checks"));
}

} // namespace norvale
