#pragma once

#include "favorites/FailureHistory.h"
#include "platform/FavoriteStatus.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace norvale {

class CheckRunner;

// One favorite of an unattended run over all favorites, as the reports show it.
struct ReportEntry {
    QString path;          // folders below the root and the name, before the run
    QString addressBefore; // as the check found it
    QString addressAfter;  // as it stands now (a redirect may have moved it)
    Light light = Light::Unchecked;
    int code = 0; // the status code of the answer that decided, 0 when none did
    QString reason;
    QString title;
    QDateTime pageDate;
    QString renamedTo;
    QString movedTo; // its path in Dead Favorites when moved there
    FailureHistory history;
};

// The totals by light, in the order the reports list them.
struct ReportTotals {
    int checked = 0;
    int alive = 0;
    int changed = 0;
    int noAnswer = 0;
    int dead = 0;
    int skipped = 0;
    int unchecked = 0;
    int moved = 0;
};

QList<ReportEntry> UnattendedReportEntries(const CheckRunner& runner);
ReportTotals TotalsOf(const QList<ReportEntry>& entries);
// The reports' name of a light: alive, changed, no-answer, dead, skipped or
// unchecked.
QString LightName(Light light);

// The report printed at the end of an unattended run: one line per favorite
// in tree order, "<light>\t<path>\t<address>", then a summary line. In the
// path and the address, "\\" stands for a backslash, "\t", "\n" and "\r"
// for a tab, a line feed and a carriage return, "\uXXXX" for another control
// or line separator.
QStringList UnattendedReportLines(const QList<ReportEntry>& entries);
QString SummaryLine(const ReportTotals& totals);

} // namespace norvale
