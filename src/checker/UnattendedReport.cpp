#include "UnattendedReport.h"

#include "CheckRunner.h"
#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

namespace {

QString lightName(int image, const AppSettings& settings)
{
    if (image == settings.LightAlive)
        return QStringLiteral("alive");
    if (image == settings.LightNew)
        return QStringLiteral("changed");
    if (image == settings.LightWarning)
        return QStringLiteral("no-answer");
    if (image == settings.LightDead)
        return QStringLiteral("dead");
    if (image == settings.LightGray)
        return QStringLiteral("skipped");
    return QStringLiteral("unchecked");
}

} // namespace

QList<ReportEntry> UnattendedReportEntries(const CheckRunner& runner, const AppSettings& settings)
{
    QList<ReportEntry> entries;
    for (const RunRecord& record : runner.lastRunRecords()) {
        ReportEntry entry;
        entry.path = record.path;
        entry.addressBefore = record.originalUrl.isEmpty() ? record.url : record.originalUrl;
        entry.addressAfter = record.url;
        entry.status = record.status;
        entry.title = record.title;
        entry.pageDate = record.pageDate;
        entry.renamedTo = record.renamedTo;
        if (record.moved) {
            entry.light = QStringLiteral("dead");
            entry.movedTo = kDeadFavoritesText + QLatin1Char('/') + record.movedName;
        } else {
            entry.light = lightName(record.node->image(), settings);
        }
        entries.append(entry);
    }
    return entries;
}

ReportTotals TotalsOf(const QList<ReportEntry>& entries)
{
    ReportTotals totals;
    totals.checked = int(entries.size());
    for (const ReportEntry& entry : entries) {
        const QString& light = entry.light;
        int& count = light == QLatin1String("alive")       ? totals.alive
                     : light == QLatin1String("changed")   ? totals.changed
                     : light == QLatin1String("no-answer") ? totals.noAnswer
                     : light == QLatin1String("dead")      ? totals.dead
                     : light == QLatin1String("skipped")   ? totals.skipped
                                                           : totals.unchecked;
        ++count;
        totals.moved += entry.movedTo.isEmpty() ? 0 : 1;
    }
    return totals;
}

QString SummaryLine(const ReportTotals& totals)
{
    return QStringLiteral("Checked %1 favorites: %2 alive, %3 changed, %4 no answer, %5 dead, "
                          "%6 skipped, %7 moved to Dead Favorites")
        .arg(totals.checked)
        .arg(totals.alive)
        .arg(totals.changed)
        .arg(totals.noAnswer)
        .arg(totals.dead)
        .arg(totals.skipped)
        .arg(totals.moved);
}

QStringList UnattendedReportLines(const QList<ReportEntry>& entries)
{
    QStringList lines;
    for (const ReportEntry& entry : entries) {
        const QString path = entry.movedTo.isEmpty() ? entry.path : entry.movedTo;
        lines.append(entry.light + QLatin1Char('\t') + path + QLatin1Char('\t') +
                     entry.addressAfter);
    }
    lines.append(SummaryLine(TotalsOf(entries)));
    return lines;
}

} // namespace norvale
