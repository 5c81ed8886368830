#include "BrowserTasks.h"

#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"
#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "platform/NorvaleError.h"

#include <cstdio>
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

int PrintBrowserBookmarks(const CommandLine& line)
{
    QString error;
    const auto profile =
        FindBrowserProfile(DiscoverBrowserProfiles(QDir::homePath()), line.browser, error);
    if (!profile)
        return Fail(error);
    try {
        for (const BrowserNode& root : ReadBrowserBookmarks(*profile).roots)
            printNode(root, 0);
    } catch (const NorvaleError& readError) {
        return Fail(readError.description());
    }
    return 0;
}

} // namespace norvale
