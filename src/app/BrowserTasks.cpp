#include "BrowserTasks.h"

#include "browsers/BrowserCheck.h"
#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"
#include "checker/Probe.h"
#include "checker/RunReport.h"
#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "platform/Clock.h"
#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"
#include "shell/SettingsStore.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>

namespace norvale {

namespace {

void printNode(const BrowserNode& node, int depth)
{
    const QString indent(qsizetype(depth) * 2, QLatin1Char(' '));
    if (node.isFolder) {
        PrintLine(stdout, indent + node.title + QLatin1Char('/'));
        for (const BrowserNode& child : node.children)
            printNode(child, depth + 1);
    } else {
        PrintLine(stdout, indent + node.title + QLatin1Char('\t') + node.url);
    }
}

QString changeText(const BookmarkChange& change, const BrowserTree& tree)
{
    const BrowserNode* node = FindBrowserNode(tree, change.id);
    const QString title = node ? node->title : change.id;
    switch (change.kind) {
    case BookmarkChange::Kind::SetUrl:
        return QStringLiteral("address of \"%1\" to %2").arg(title, change.value);
    case BookmarkChange::Kind::SetTitle:
        return QStringLiteral("rename \"%1\" to \"%2\"").arg(title, change.value);
    case BookmarkChange::Kind::MoveToDead:
        return QStringLiteral("move \"%1\" to %2").arg(title, kDeadBookmarksFolder);
    default:
        break;
    }
    return {};
}

} // namespace

int ListBrowserProfiles()
{
    const QList<BrowserProfile> profiles = DiscoverBrowserProfiles(QDir::homePath());
    if (profiles.isEmpty()) {
        PrintLine(stdout, QStringLiteral("No browser profile with bookmarks was found."));
        return 0;
    }
    for (const BrowserProfile& profile : profiles) {
        QString count;
        try {
            const int bookmarks = CountBookmarks(ReadBrowserBookmarks(profile));
            count = QString::number(bookmarks) +
                    (bookmarks == 1 ? QStringLiteral(" bookmark") : QStringLiteral(" bookmarks"));
        } catch (const NorvaleError& error) {
            count = QStringLiteral("unreadable: ") + error.description();
        }
        PrintLine(stdout,
                  QStringList{profile.browserName, profile.key(), profile.folder, count}.join(
                      QLatin1Char('\t')));
    }
    return 0;
}

int ShowBrowserBookmarks(int& argc, char** argv, const CommandLine& line)
{
    QString error;
    const auto profile =
        FindBrowserProfile(DiscoverBrowserProfiles(QDir::homePath()), line.browser, error);
    if (!profile)
        return Fail(error);
    BrowserTree tree;
    try {
        tree = ReadBrowserBookmarks(*profile);
    } catch (const NorvaleError& readError) {
        return Fail(readError.description());
    }
    if (!line.inspect) {
        for (const BrowserNode& root : tree.roots)
            printNode(root, 0);
        return 0;
    }
    if (!line.reportPath.isEmpty()) {
        const QString problem = ReportPathProblem(line.reportPath);
        if (!problem.isEmpty())
            return Fail(problem);
    }

    // The fetches run on the event loop of the transfer engine.
    QCoreApplication app(argc, argv);
    AppSettings settings;
    LoadAppSettings(settings, OpenStore(RegistryStore::defaultFilePath()),
                    QDateTime::currentDateTime(), [](const NorvaleError&) {});
    const SystemClock clock;
    TransferEngine engine;
    TransferControl control(engine);
    Probe probe(control, settings, clock);
    BrowserTidyRules rules;
    rules.updateAddresses = settings.ChangeName;
    rules.renameFromTitles = settings.ChangeName;
    rules.moveDead = settings.MoveDead;
    const BrowserCheckOutcome outcome = CheckBrowserTree(
        tree,
        [&probe](const QString& url, int timeoutMs) { return probe.CheckLink(url, timeoutMs); },
        settings.Timeout, rules);

    const BrowserWriteOutcome written =
        WriteBrowserChanges(*profile, outcome.changes, QDateTime::currentDateTime());
    const QList<ReportEntry> entries = BrowserReportEntries(tree, outcome, written.written);
    for (const QString& reportLine : UnattendedReportLines(entries))
        PrintLine(stdout, reportLine);
    for (const BookmarkChange& change : outcome.changes)
        PrintLine(stdout, (written.written ? QStringLiteral("Changed: ")
                                           : QStringLiteral("Not written: ")) +
                              changeText(change, tree));
    if (!outcome.changes.isEmpty() && !written.written)
        PrintLine(stdout, QStringLiteral("The changes were not written: ") + written.reason);
    if (!written.backup.isEmpty())
        PrintLine(stdout, QStringLiteral("The bookmarks as they were: ") + written.backup);
    if (!line.reportPath.isEmpty() && !WriteReportFile(line.reportPath, entries))
        return 1;
    return 0;
}

} // namespace norvale
