// Importing a bookmark file of N links (100,000 unless told) in one folder,
// half of them sharing one title, into an empty folder. Prints how long
// reading and importing took and what the import made; run it through
// bench/import_bench.sh for the peak memory.
//
//   bench_import [LINKS]

#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkImporter.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace norvale;

namespace {

QByteArray bookmarkFile(int links)
{
    QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                      "<DT><H3 ADD_DATE=\"1700000000\">One folder</H3>\n<DL><p>\n";
    for (int i = 0; i < links; ++i) {
        const QByteArray title = i % 2 ? "Same title" : "Link " + QByteArray::number(i);
        file += "<DT><A HREF=\"http://127.0.0.1/page/" + QByteArray::number(i) +
                "\" ADD_DATE=\"1700000000\">" + title + "</A>\n";
    }
    return file + "</DL><p>\n</DL><p>\n";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int links = args.size() > 1 ? args[1].toInt() : 100'000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bookmarks.html"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bookmarkFile(links)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
        return 1;
    }
    out.close();
    const QString target = dir.filePath(QStringLiteral("Favorites"));
    QDir().mkpath(target);

    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto items = LoadBookmarkFile(path, error);
    if (!items) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error));
        return 1;
    }
    const double reading = timer.nsecsElapsed() / 1e9;
    const ImportSummary summary = ImportBookmarks(*items, target, FileSystem());
    const double importing = timer.nsecsElapsed() / 1e9 - reading;
    std::printf("%d links in one folder (%.1f MB): read %.2f s, imported %.2f s\n%s\n", links,
                QFileInfo(path).size() / 1048576.0, reading, importing,
                qUtf8Printable(summary.text()));
    return 0;
}
