#include "UnattendedReport.h"

#include "CheckRunner.h"
#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"

namespace norvale {

namespace {

// A field of a report row with its tabs, line breaks and other controls
// (and so its backslashes) escaped, so that one row is always one favorite.
QString field(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            // Other controls and the Unicode line and paragraph separators
            // break lines for some readers too.
            if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.unicode() == 0x85 ||
                c.unicode() == 0x2028 || c.unicode() == 0x2029)
                escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    return escaped;
}

// The total a light adds to.
int& countOf(ReportTotals& totals, Light light)
{
    switch (light) {
    case Light::Alive:
        return totals.alive;
    case Light::New:
        return totals.changed;
    case Light::Warning:
        return totals.noAnswer;
    case Light::Dead:
        return totals.dead;
    case Light::Gray:
        return totals.skipped;
    case Light::Unchecked:
        break;
    }
    return totals.unchecked;
}

} // namespace

QList<ReportEntry> UnattendedReportEntries(const CheckRunner& runner)
{
    QList<ReportEntry> entries;
    for (const RunRecord& record : runner.lastRunRecords()) {
        ReportEntry entry;
        entry.path = record.path.isEmpty() && record.node ? TreePathOf(record.node) : record.path;
        entry.addressBefore = record.originalUrl.isEmpty() ? record.url : record.originalUrl;
        entry.addressAfter = record.url;
        entry.light = record.status.light;
        entry.code = record.status.code;
        entry.reason = record.status.reason;
        entry.title = record.title;
        entry.pageDate = record.pageDate;
        entry.renamedTo = record.renamedTo;
        entry.history = record.history;
        if (record.moved)
            entry.movedTo = kDeadFavoritesText + QLatin1Char('/') + record.movedName;
        entries.append(entry);
    }
    return entries;
}

ReportTotals TotalsOf(const QList<ReportEntry>& entries)
{
    ReportTotals totals;
    totals.checked = int(entries.size());
    for (const ReportEntry& entry : entries) {
        ++countOf(totals, entry.light);
        totals.moved += entry.movedTo.isEmpty() ? 0 : 1;
    }
    return totals;
}

QString LightName(Light light)
{
    switch (light) {
    case Light::Alive:
        return QStringLiteral("alive");
    case Light::New:
        return QStringLiteral("changed");
    case Light::Warning:
        return QStringLiteral("no-answer");
    case Light::Dead:
        return QStringLiteral("dead");
    case Light::Gray:
        return QStringLiteral("skipped");
    case Light::Unchecked:
        break;
    }
    return QStringLiteral("unchecked");
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
        lines.append(LightName(entry.light) + QLatin1Char('\t') + field(path) + QLatin1Char('\t') +
                     field(entry.addressAfter));
    }
    lines.append(SummaryLine(TotalsOf(entries)));
    return lines;
}

} // namespace norvale
