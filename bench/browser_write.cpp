// Writes a list of bookmark changes into a browser profile found in $HOME,
// as the program's own write does (backup, lock check, all or nothing), so
// bench/browser_roundtrip.sh can show the real browser what came of it.
//
//   bench_browser_write BROWSER[:PROFILE] CHANGES.json
//
// CHANGES.json: [{"kind": "AddFolder", "id": "new:1", "value": "...",
// "parent": "...", "url": "..."}]. An id or parent "@Title" names the first
// folder or bookmark of that title. Prints "written" and each added item's
// reference and id, or the reason nothing was written (exit code 1).

#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace norvale;

namespace {

const BrowserNode* titled(const QList<BrowserNode>& nodes, const QString& title)
{
    for (const BrowserNode& node : nodes) {
        if (node.title == title)
            return &node;
        if (const BrowserNode* found = titled(node.children, title))
            return found;
    }
    return nullptr;
}

QString resolve(const BrowserTree& tree, const QString& name)
{
    if (!name.startsWith(QLatin1Char('@')))
        return name;
    const BrowserNode* node = titled(tree.roots, name.mid(1));
    return node != nullptr ? node->id : name;
}

} // namespace

int main(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: bench_browser_write BROWSER[:PROFILE] CHANGES.json\n", stderr);
        return 2;
    }
    QString error;
    const auto profile =
        FindBrowserProfile(DiscoverBrowserProfiles(QDir::homePath()), arguments[1], error);
    QFile file(arguments[2]);
    if (!profile || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s\n", qPrintable(profile ? file.errorString() : error));
        return 2;
    }
    const BrowserTree tree = ReadBrowserBookmarks(*profile);
    static const QHash<QString, BookmarkChange::Kind> kinds{
        {QStringLiteral("SetUrl"), BookmarkChange::Kind::SetUrl},
        {QStringLiteral("SetTitle"), BookmarkChange::Kind::SetTitle},
        {QStringLiteral("Move"), BookmarkChange::Kind::Move},
        {QStringLiteral("Remove"), BookmarkChange::Kind::Remove},
        {QStringLiteral("AddBookmark"), BookmarkChange::Kind::AddBookmark},
        {QStringLiteral("AddFolder"), BookmarkChange::Kind::AddFolder},
    };
    QList<BookmarkChange> changes;
    for (const QJsonValue value : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject change = value.toObject();
        const QString kind = change.value(QStringLiteral("kind")).toString();
        if (!kinds.contains(kind)) {
            std::fprintf(stderr, "no change of kind \"%s\"\n", qPrintable(kind));
            return 2;
        }
        changes.append({kinds.value(kind),
                        resolve(tree, change.value(QStringLiteral("id")).toString()),
                        change.value(QStringLiteral("value")).toString(),
                        resolve(tree, change.value(QStringLiteral("parent")).toString()),
                        change.value(QStringLiteral("url")).toString()});
    }
    const BrowserWriteOutcome outcome =
        WriteBrowserChanges(*profile, changes, QDateTime::currentDateTime());
    if (!outcome.written) {
        std::printf("not written: %s\n", qPrintable(outcome.reason));
        return 1;
    }
    std::printf("written\n");
    QStringList references = outcome.addedIds.keys();
    references.sort();
    for (const QString& reference : references)
        std::printf("%s -> %s\n", qPrintable(reference),
                    qPrintable(outcome.addedIds.value(reference)));
    return 0;
}
