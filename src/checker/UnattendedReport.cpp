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

// Folders below the root and the favorite's name, joined by "/".
QString pathOf(const TreeNode* node)
{
    QStringList parts{node->text()};
    for (const TreeNode* folder = node->parent(); folder && folder->parent();
         folder = folder->parent())
        parts.prepend(folder->text());
    return parts.join(QLatin1Char('/'));
}

} // namespace

QStringList UnattendedReportLines(const CheckRunner& runner, const AppSettings& settings)
{
    QStringList lines;
    QHash<QString, int> counts;
    int moved = 0;
    for (const RunRecord& record : runner.lastRunRecords()) {
        QString light;
        QString path;
        if (record.moved) {
            light = QStringLiteral("dead");
            path = kDeadFavoritesText + QLatin1Char('/') + record.movedName;
            ++moved;
        } else {
            light = lightName(record.node->image(), settings);
            path = pathOf(record.node);
        }
        ++counts[light];
        lines.append(light + QLatin1Char('\t') + path + QLatin1Char('\t') + record.url);
    }
    lines.append(
        QStringLiteral("Checked %1 favorites: %2 alive, %3 changed, %4 no answer, %5 dead, "
                       "%6 skipped, %7 moved to Dead Favorites")
            .arg(runner.lastRunRecords().size())
            .arg(counts.value(QStringLiteral("alive")))
            .arg(counts.value(QStringLiteral("changed")))
            .arg(counts.value(QStringLiteral("no-answer")))
            .arg(counts.value(QStringLiteral("dead")))
            .arg(counts.value(QStringLiteral("skipped")))
            .arg(moved));
    return lines;
}

} // namespace norvale
