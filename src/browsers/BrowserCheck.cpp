#include "BrowserCheck.h"

#include "checker/StatusLights.h"
#include "favorites/WebAddress.h"

#include <algorithm>
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

int countBookmarks(const BrowserNode& node)
{
    int count = node.isFolder ? 0 : 1;
    for (const BrowserNode& child : node.children)
        count += countBookmarks(child);
    return count;
}

} // namespace

BrowserCheckOutcome CheckBrowserTree(const BrowserTree& tree, const ProbeFunction& probe,
                                     int timeoutMs, const BrowserTidyRules& rules,
                                     const std::function<void(int done, int total)>& progress)
{
    Walker walker{probe, timeoutMs, rules, progress, 0, {}};
    for (const BrowserNode& root : tree.roots)
        walker.total += countBookmarks(root);
    for (const BrowserNode& root : tree.roots)
        walker.walk(root, {});
    if (progress)
        progress(walker.total, walker.total);
    return walker.outcome;
}

QList<ReportEntry> BrowserReportEntries(const BrowserTree& tree, const BrowserCheckOutcome& outcome,
                                        bool written)
{
    QMultiHash<QString, BookmarkChange> changesOf;
    for (const BookmarkChange& change : outcome.changes)
        changesOf.insert(change.id, change);
    const BrowserNode* other = FindBrowserNode(tree, tree.otherBookmarksId);
    const QString deadFolder =
        (other ? other->title + QLatin1Char('\\') : QString()) + kDeadBookmarksFolder;
    QList<ReportEntry> entries;
    for (const BookmarkVerdict& verdict : outcome.verdicts) {
        ReportEntry entry;
        entry.path = verdict.path;
        entry.addressBefore = verdict.url;
        entry.addressAfter = verdict.url;
        // A bookmark that is no web address was never checked: gray, as a
        // favorite set to be skipped.
        entry.light = LightFor(verdict.result);
        entry.code = verdict.result.Code;
        entry.reason = verdict.result.Reason;
        entry.title = verdict.result.Title;
        if (verdict.result.PageDated)
            entry.pageDate = verdict.result.LastModified;
        QString name = verdict.path.section(QLatin1Char('\\'), -1);
        QStringList planned;
        // In the order they apply (address, name, move); the hash gives the
        // last added first.
        QList<BookmarkChange> changes = changesOf.values(verdict.id);
        std::reverse(changes.begin(), changes.end());
        for (const BookmarkChange& change : changes) {
            switch (change.kind) {
            case BookmarkChange::Kind::SetUrl:
                if (written)
                    entry.addressAfter = change.value;
                planned.append(QStringLiteral("address to ") + change.value);
                break;
            case BookmarkChange::Kind::SetTitle:
                if (written)
                    entry.renamedTo = name = change.value;
                planned.append(QStringLiteral("name to \"%1\"").arg(change.value));
                break;
            case BookmarkChange::Kind::MoveToDead:
                if (written)
                    entry.movedTo = deadFolder + QLatin1Char('\\') + name;
                planned.append(QStringLiteral("moved to ") + kDeadBookmarksFolder);
                break;
            default: // not made by this code yet
                break;
            }
        }
        if (!written && !planned.isEmpty()) {
            entry.reason += QStringLiteral(" (not written, to do with the browser closed: %1)")
                                .arg(planned.join(QStringLiteral(", ")));
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace norvale
