#include "UnattendedReport.h"

#include "CheckRunner.h"
#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

namespace {

QString lightName(int image, const AppSettings& settings)
{
    // The report's name of each light, in the order an image is matched.
    static const struct {
        Light light;
        const char* name;
    } kNames[] = {
        {Light::Alive, "alive"}, {Light::New, "changed"},  {Light::Warning, "no-answer"},
        {Light::Dead, "dead"},   {Light::Gray, "skipped"},
    };
    for (const auto& entry : kNames) {
        if (image == settings.lightImage(entry.light))
            return QLatin1String(entry.name);
    }
    return QStringLiteral("unchecked");
}

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

} // namespace

QList<ReportEntry> UnattendedReportEntries(const CheckRunner& runner, const AppSettings& settings)
{
    QList<ReportEntry> entries;
    for (const RunRecord& record : runner.lastRunRecords()) {
        ReportEntry entry;
        entry.path = record.path.isEmpty() && record.node ? TreePathOf(record.node) : record.path;
        entry.addressBefore = record.originalUrl.isEmpty() ? record.url : record.originalUrl;
        entry.addressAfter = record.url;
        entry.status = ReportedStatus(record.status);
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
        lines.append(entry.light + QLatin1Char('\t') + field(path) + QLatin1Char('\t') +
                     field(entry.addressAfter));
    }
    lines.append(SummaryLine(TotalsOf(entries)));
    return lines;
}

} // namespace norvale
