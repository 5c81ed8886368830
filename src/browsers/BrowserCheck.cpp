#include "BrowserCheck.h"

#include "checker/StatusLights.h"
#include "favorites/WebAddress.h"

#include <QHash>

namespace norvale {

namespace {

struct Walker {
    const ProbeFunction& probe;
    int timeoutMs;
    const BrowserTidyRules& rules;
    const std::function<void(int, int)>& progress;
    int total = 0;
    BrowserCheckOutcome outcome;

    void walk(const BrowserNode& node, const QString& folderPath)
    {
        const QString path =
            folderPath.isEmpty() ? node.title : folderPath + QLatin1Char('\\') + node.title;
        if (node.isFolder) {
            for (const BrowserNode& child : node.children)
                walk(child, path);
            return;
        }
        if (progress)
            progress(int(outcome.verdicts.size()), total);
        BookmarkVerdict verdict{node.id, path, node.url, {}};
        if (!IsWebAddress(node.url)) {
            verdict.result = LinkResult::Of(LinkResult::Unchecked, 0,
                                            QStringLiteral("not checked: no web address"));
            outcome.verdicts.append(verdict);
            return;
        }
        verdict.result = FollowToTheEnd(node.url, timeoutMs, probe);
        const LinkResult& result = verdict.result;
        bool addressUpdated = false;
        if (rules.updateAddresses && MovedForGood(result) && result.EndAddress != node.url) {
            outcome.changes.append({BookmarkChange::Kind::SetUrl, node.id, result.EndAddress});
            addressUpdated = true;
        }
        if (rules.renameFromTitles && TitleMayRename(result, node.title, addressUpdated))
            outcome.changes.append({BookmarkChange::Kind::SetTitle, node.id, result.Title});
        if (rules.moveDead && LightFor(result) == Light::Dead)
            outcome.changes.append({BookmarkChange::Kind::MoveToDead, node.id, {}});
        outcome.verdicts.append(verdict);
    }
};

int countWeb(const BrowserNode& node)
{
    int count = node.isFolder ? 0 : 1;
    for (const BrowserNode& child : node.children)
        count += countWeb(child);
    return count;
}

} // namespace

BrowserCheckOutcome CheckBrowserTree(const BrowserTree& tree, const ProbeFunction& probe,
                                     int timeoutMs, const BrowserTidyRules& rules,
                                     const std::function<void(int done, int total)>& progress)
{
    Walker walker{probe, timeoutMs, rules, progress, 0, {}};
    for (const BrowserNode& root : tree.roots)
        walker.total += countWeb(root);
    for (const BrowserNode& root : tree.roots)
        walker.walk(root, {});
    if (progress)
        progress(walker.total, walker.total);
    return walker.outcome;
}

QList<ReportEntry> BrowserReportEntries(const BrowserCheckOutcome& outcome, bool written)
{
    QMultiHash<QString, BookmarkChange> changesOf;
    for (const BookmarkChange& change : outcome.changes)
        changesOf.insert(change.id, change);
    const QString planned = written ? QString() : QStringLiteral(" (not written)");
    QList<ReportEntry> entries;
    for (const BookmarkVerdict& verdict : outcome.verdicts) {
        ReportEntry entry;
        entry.path = verdict.path;
        entry.addressBefore = verdict.url;
        entry.addressAfter = verdict.url;
        entry.light = verdict.result.Status == LinkResult::Unchecked &&
                              verdict.result.Reason.startsWith(QLatin1String("not checked"))
                          ? Light::Gray
                          : LightFor(verdict.result);
        entry.code = verdict.result.Code;
        entry.reason = verdict.result.Reason;
        entry.title = verdict.result.Title;
        if (verdict.result.PageDated)
            entry.pageDate = verdict.result.LastModified;
        for (const BookmarkChange& change : changesOf.values(verdict.id)) {
            switch (change.kind) {
            case BookmarkChange::Kind::SetUrl:
                entry.addressAfter = change.value;
                entry.reason += planned.isEmpty()
                                    ? QString()
                                    : QStringLiteral(" (address update") + planned + u')';
                break;
            case BookmarkChange::Kind::SetTitle:
                entry.renamedTo = change.value + planned;
                break;
            case BookmarkChange::Kind::MoveToDead:
                entry.movedTo = kDeadBookmarksFolder + planned;
                break;
            }
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace norvale
