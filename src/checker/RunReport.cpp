#include "RunReport.h"

#include "favorites/WebAddress.h"
#include "platform/Counted.h"
#include "Probe.h"

#include <algorithm>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace norvale {

namespace {

// The lights in the order a reader wants them: trouble first.
struct LightGroup {
    Light light;
    const char* heading;
    const char* colour;
};
constexpr LightGroup kGroups[] = {
    {Light::Dead, "Dead", "#c62828"},    {Light::Warning, "No answer", "#b7791f"},
    {Light::New, "Changed", "#1565c0"},  {Light::Alive, "Alive", "#2e7d32"},
    {Light::Gray, "Skipped", "#6b6b6b"}, {Light::Unchecked, "Not checked", "#6b6b6b"},
};

// The number a report gives a favorite's answer: its status code, -1 for no
// answer at all, 0 for a favorite not probed.
int reportedStatus(const ReportEntry& entry)
{
    if (entry.code == 0 && entry.light == Light::Warning)
        return -1;
    return entry.code;
}

QString pageDateText(const ReportEntry& entry)
{
    return entry.pageDate.isValid() ? entry.pageDate.toUTC().toString(Qt::ISODate) : QString();
}

QString failingSince(const ReportEntry& entry)
{
    return entry.history.failing() ? entry.history.since.toString(Qt::ISODate) : QString();
}

// Favorites whose checks have failed more than once in a row.
bool failingForAWhile(const ReportEntry& entry)
{
    return entry.history.failing() && entry.history.failures > 1;
}

QByteArray json(const QList<ReportEntry>& entries, const QDateTime& finished)
{
    const ReportTotals totals = TotalsOf(entries);
    QJsonArray favorites;
    for (const ReportEntry& entry : entries) {
        favorites.append(QJsonObject{
            {QStringLiteral("path"), entry.path},
            {QStringLiteral("addressBefore"), entry.addressBefore},
            {QStringLiteral("addressAfter"), entry.addressAfter},
            {QStringLiteral("light"), LightName(entry.light)},
            {QStringLiteral("status"), reportedStatus(entry)},
            {QStringLiteral("reason"), entry.reason},
            {QStringLiteral("title"), entry.title},
            {QStringLiteral("pageDate"),
             entry.pageDate.isValid() ? QJsonValue(pageDateText(entry)) : QJsonValue()},
            {QStringLiteral("renamedTo"),
             entry.renamedTo.isEmpty() ? QJsonValue() : QJsonValue(entry.renamedTo)},
            {QStringLiteral("moved"), !entry.movedTo.isEmpty()},
            {QStringLiteral("movedTo"),
             entry.movedTo.isEmpty() ? QJsonValue() : QJsonValue(entry.movedTo)},
            {QStringLiteral("failingSince"),
             entry.history.failing() ? QJsonValue(failingSince(entry)) : QJsonValue()},
            {QStringLiteral("failures"), entry.history.failing() ? entry.history.failures : 0},
        });
    }
    const QJsonObject summary{
        {QStringLiteral("finished"), finished.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("checked"), totals.checked},
        {QStringLiteral("alive"), totals.alive},
        {QStringLiteral("changed"), totals.changed},
        {QStringLiteral("noAnswer"), totals.noAnswer},
        {QStringLiteral("dead"), totals.dead},
        {QStringLiteral("skipped"), totals.skipped},
        {QStringLiteral("unchecked"), totals.unchecked},
        {QStringLiteral("moved"), totals.moved},
    };
    return QJsonDocument(QJsonObject{{QStringLiteral("summary"), summary},
                                     {QStringLiteral("favorites"), favorites}})
        .toJson(QJsonDocument::Indented);
}

// A text field for a spreadsheet: quoted when it must be (RFC 4180), and
// never read as a formula, since titles come from pages anyone may write.
QString csvField(QString text, bool isText = true)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (isText && !text.isEmpty() && formulaStarts.contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
               QLatin1Char('"');
    return text;
}

QByteArray csv(const QList<ReportEntry>& entries)
{
    QString text =
        QStringLiteral("path,address_before,address_after,light,status,title,"
                       "page_date,renamed_to,moved_to,reason,failing_since,failures\r\n");
    for (const ReportEntry& entry : entries) {
        const QStringList row{
            csvField(entry.path),
            csvField(entry.addressBefore),
            csvField(entry.addressAfter),
            LightName(entry.light),
            csvField(QString::number(reportedStatus(entry)), false),
            csvField(entry.title),
            pageDateText(entry),
            csvField(entry.renamedTo),
            csvField(entry.movedTo),
            csvField(entry.reason),
            failingSince(entry),
            QString::number(entry.history.failing() ? entry.history.failures : 0)};
        text += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QString htmlAddress(const QString& address)
{
    const QString text = address.toHtmlEscaped();
    return IsWebAddress(address)
               ? QStringLiteral("<a href=\"%1\" rel=\"noreferrer\">%1</a>").arg(text)
               : text;
}

QString htmlNotes(const ReportEntry& entry)
{
    QStringList notes;
    if (!entry.reason.isEmpty())
        notes.append(entry.reason.toHtmlEscaped());
    if (entry.addressBefore != entry.addressAfter)
        notes.append(QStringLiteral("address updated from ") + htmlAddress(entry.addressBefore));
    if (!entry.renamedTo.isEmpty())
        notes.append(
            QStringLiteral("renamed to \u201c%1\u201d").arg(entry.renamedTo.toHtmlEscaped()));
    if (!entry.movedTo.isEmpty())
        notes.append(QStringLiteral("now in ") + entry.movedTo.toHtmlEscaped());
    if (entry.pageDate.isValid())
        notes.append(QStringLiteral("page dated ") +
                     entry.pageDate.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")));
    return notes.join(QStringLiteral("<br>"));
}

QString statusName(int status)
{
    return status > 0 ? QString::number(status) : QStringLiteral("\u2014");
}

const char* const kStyle = R"(
body { font: 15px/1.45 system-ui, sans-serif; margin: 2em auto; max-width: 70em; color: #222; padding: 0 1em; }
h1 { font-size: 1.5em; margin-bottom: .2em; }
.when { color: #666; margin-top: 0; }
.totals { display: flex; flex-wrap: wrap; gap: .6em; padding: 0; list-style: none; }
.totals li { border: 1px solid #ddd; border-left: .45em solid var(--c); border-radius: 4px; padding: .35em .8em; }
.totals b { font-size: 1.25em; margin-right: .25em; }
h2 { font-size: 1.15em; border-bottom: 3px solid var(--c); padding-bottom: .15em; margin-top: 1.6em; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
th, td { text-align: left; vertical-align: top; padding: .3em .5em; border-bottom: 1px solid #eee; overflow-wrap: break-word; }
th { color: #555; font-weight: 600; }
th.name { width: 22%; } th.status { width: 4.5em; } th.title { width: 20%; } th.notes { width: 18%; }
tr:nth-child(even) td { background: #fafafa; }
a { color: #0b57d0; }
)";

// One heading and table of favorites.
QString htmlSection(const QString& colour, const QString& heading,
                    const QList<const ReportEntry*>& members)
{
    QString section =
        QStringLiteral("<h2 %1>%2 (%3)</h2>\n<table>\n<tr><th class=\"name\">Favorite</th>"
                       "<th>Address</th><th class=\"status\">Status</th>"
                       "<th class=\"title\">Page title</th><th class=\"notes\">Notes</th>"
                       "</tr>\n")
            .arg(colour, heading)
            .arg(members.size());
    for (const ReportEntry* entry : members) {
        section += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                                  "</tr>\n")
                       .arg(entry->path.toHtmlEscaped(), htmlAddress(entry->addressAfter),
                            statusName(reportedStatus(*entry)), entry->title.toHtmlEscaped(),
                            htmlNotes(*entry));
    }
    return section + QStringLiteral("</table>\n");
}

QString colourStyle(const char* colour)
{
    return QStringLiteral("style=\"--c: %1\"").arg(QLatin1String(colour));
}

// What has failed check after check comes first, the longest failing first:
// that is what a reader may want to tidy away.
QString failingSection(const QList<ReportEntry>& entries)
{
    QList<const ReportEntry*> members;
    for (const ReportEntry& entry : entries) {
        if (failingForAWhile(entry))
            members.append(&entry);
    }
    if (members.isEmpty())
        return QString();
    std::stable_sort(members.begin(), members.end(), [](const auto* a, const auto* b) {
        return a->history.since < b->history.since;
    });
    return htmlSection(colourStyle("#6a1b9a"), QStringLiteral("Failing for a while"), members);
}

QByteArray html(const QList<ReportEntry>& entries, const QDateTime& finished)
{
    const ReportTotals totals = TotalsOf(entries);
    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                       "'none'; style-src 'unsafe-inline'\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width\">\n"
                       "<title>Norvale check report</title>\n<style>%1</style>\n</head>\n"
                       "<body>\n<h1>Favorites checked</h1>\n<p class=\"when\">%2 favorites, "
                       "finished %3</p>\n<ul class=\"totals\">\n")
            .arg(QLatin1String(kStyle))
            .arg(totals.checked)
            .arg(finished.toString(QStringLiteral("yyyy-MM-dd HH:mm t")));
    QString body = failingSection(entries);
    for (const LightGroup& group : kGroups) {
        QList<const ReportEntry*> members;
        for (const ReportEntry& entry : entries) {
            if (entry.light == group.light)
                members.append(&entry);
        }
        if (members.isEmpty())
            continue;
        const QString colour = colourStyle(group.colour);
        page += QStringLiteral("<li %1><b>%2</b>%3</li>\n")
                    .arg(colour)
                    .arg(members.size())
                    .arg(QLatin1String(group.heading));
        body += htmlSection(colour, QLatin1String(group.heading), members);
    }
    page += QStringLiteral("</ul>\n");
    if (totals.moved > 0)
        page += QStringLiteral("<p class=\"when\">%1 to Dead Favorites.</p>\n")
                    .arg(Counted(totals.moved, QStringLiteral("dead favorite was moved"),
                                 QStringLiteral("dead favorites were moved")));
    page += body + QStringLiteral("</body>\n</html>\n");
    return page.toUtf8();
}

} // namespace

std::optional<ReportFormat> ReportFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("json"))
        return ReportFormat::Json;
    if (suffix == QLatin1String("csv"))
        return ReportFormat::Csv;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return ReportFormat::Html;
    return std::nullopt;
}

QString ReportPathProblem(const QString& path)
{
    if (!ReportFormatFor(path))
        return QStringLiteral("The report %1 must end in .json, .csv or .html.").arg(path);
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("The folder of the report %1 does not exist.").arg(path);
    if (file.exists() && !file.isFile())
        return QStringLiteral("The report %1 is not a file.").arg(path);
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return QStringLiteral("The report %1 may not be written.").arg(path);
    return QString();
}

QByteArray FormatReport(ReportFormat format, const QList<ReportEntry>& entries,
                        const QDateTime& finished)
{
    switch (format) {
    case ReportFormat::Json:
        return json(entries, finished);
    case ReportFormat::Csv:
        return csv(entries);
    case ReportFormat::Html:
        return html(entries, finished);
    }
    return {};
}

} // namespace norvale
