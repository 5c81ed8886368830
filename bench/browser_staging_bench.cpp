// The cost of a browser window's folder: laying out a profile of N
// bookmarks (10,000 unless told, 25 to a folder) as favorites, and one
// comparison of the folder with what was saved, which the window makes
// every few seconds while it is idle. Prints both times.
//
//   bench_browser_staging [BOOKMARKS]

#include "browsers/BrowserStaging.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace norvale;

namespace {

BrowserTree profileOf(int bookmarks)
{
    BrowserTree tree;
    tree.otherBookmarksId = QStringLiteral("2");
    BrowserNode bar{true, QStringLiteral("1"), QStringLiteral("Bookmarks bar"), {}, {}};
    BrowserNode other{true, QStringLiteral("2"), QStringLiteral("Other bookmarks"), {}, {}};
    int id = 10;
    for (int made = 0; made < bookmarks;) {
        BrowserNode folder{
            true, QString::number(id++), QStringLiteral("Folder %1").arg(id), {}, {}};
        for (int i = 0; i < 25 && made < bookmarks; ++i, ++made)
            folder.children.append({false,
                                    QString::number(id++),
                                    QStringLiteral("Page %1").arg(made),
                                    QStringLiteral("http://127.0.0.1/page/%1").arg(made),
                                    {}});
        bar.children.append(folder);
    }
    tree.roots = {bar, other};
    return tree;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int bookmarks = args.size() > 1 ? args[1].toInt() : 10000;
    QTemporaryDir dir;
    const FileSystem fs;
    BrowserStaging staging(fs, dir.path());
    const BrowserTree tree = profileOf(bookmarks);

    QElapsedTimer timer;
    timer.start();
    staging.layOut(tree, true);
    const qint64 layOut = timer.restart();
    const qsizetype changes = staging.changes().size();
    const qint64 compare = timer.elapsed();
    std::printf("%d bookmarks: laid out in %lld ms; compared in %lld ms (%lld changes)\n",
                bookmarks, static_cast<long long>(layOut), static_cast<long long>(compare),
                static_cast<long long>(changes));
    return changes == 0 ? 0 : 1;
}
