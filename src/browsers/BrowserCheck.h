#pragma once

#include "BrowserBookmarks.h"
#include "checker/LinkResult.h"
#include "checker/RedirectChain.h"
#include "checker/UnattendedReport.h"

#include <functional>
#include <QList>
#include <QString>

namespace norvale {

// Which tidy changes a check of a browser's bookmarks plans, as the
// settings allow them for favorites.
struct BrowserTidyRules {
    bool updateAddresses = true; // from a permanent move to a live page
    bool renameFromTitles = true;
    bool moveDead = true;
};

// One bookmark's check.
struct BookmarkVerdict {
    QString id;
    QString path; // folders from the root, then the title
    QString url;
    LinkResult result;
};

struct BrowserCheckOutcome {
    QList<BookmarkVerdict> verdicts; // tree order
    QList<BookmarkChange> changes;   // what the tidy would write
};

// Checks every web address of the tree with the favorites' engine (the
// redirect chain followed to its end, the same rules for a permanent move,
// a title and a dead page) and plans the changes. Bookmarks that are no web
// addresses (javascript:, place:, file:) are left unchecked. `progress` is
// told of each bookmark as it is about to be checked.
BrowserCheckOutcome CheckBrowserTree(const BrowserTree& tree, const ProbeFunction& probe,
                                     int timeoutMs, const BrowserTidyRules& rules,
                                     const std::function<void(int done, int total)>& progress = {});

// The run as the reports of an unattended run show it. Changes that were
// written show as a favorite's do (the new address, name, place in Dead
// Bookmarks); unwritten ones are told in the reason.
QList<ReportEntry> BrowserReportEntries(const BrowserTree& tree, const BrowserCheckOutcome& outcome,
                                        bool written);

} // namespace norvale
