// The page-reading steps of a probe on hostile pages of the probe's largest
// size (1 MB): prints the time each step takes on each page.
//
//   bench_page_reading

#include "checker/PageReading.h"

#include <cstdio>
#include <functional>
#include <QElapsedTimer>

using namespace norvale;

namespace {

constexpr qsizetype kPageSize = 1 << 20;

QString repeated(const QString& piece, const QString& tail = QString())
{
    QString text;
    while (text.size() + piece.size() + tail.size() <= kPageSize)
        text += piece;
    return text + tail;
}

void time(const char* what, const std::function<qsizetype()>& step)
{
    QElapsedTimer timer;
    timer.start();
    const qsizetype size = step();
    std::printf("%-48s %9.3f s (result %lld characters)\n", what, timer.nsecsElapsed() / 1e9,
                static_cast<long long>(size));
}

} // namespace

int main()
{
    const QString header = QStringLiteral("HTTP/1.1 200 OK\r\n\r\n");
    const struct {
        const char* name;
        QString title;
    } titles[] = {
        {"title of \"&#a\" (no \";\")", repeated(QStringLiteral("&#a"))},
        {"title of \"&#a\" ending in \";\"", repeated(QStringLiteral("&#a"), QStringLiteral(";"))},
        {"title of \"&#65;\"", repeated(QStringLiteral("&#65;"))},
        {"title of distinct \"&#300..;\"",
         [] {
             QString text;
             for (int code = 300; text.size() < kPageSize; ++code)
                 text += QStringLiteral("&#%1;").arg(code);
             return text;
         }()},
        {"title of \"&amp;\"", repeated(QStringLiteral("&amp;"))},
        {"title of blanks around one letter",
         repeated(QStringLiteral(" ")).left(kPageSize / 2) + QLatin1Char('x') +
             repeated(QStringLiteral(" ")).left(kPageSize / 2)},
        {"title of tabs and line breaks", repeated(QStringLiteral("\t\r\na"))},
    };
    for (const auto& title : titles)
        time(title.name, [&] { return CleanTitle(title.title).size(); });

    const QString manyOpenings = header + repeated(QStringLiteral("<title>"));
    time("FindTitle: openings, no closing", [&] { return FindTitle(manyOpenings).size(); });
    const QString manyLastModified = header + repeated(QStringLiteral("Last-Modified"));
    time("PageDate: \"Last-Modified\" without GMT",
         [&] { return PageDate(manyLastModified).has_value() ? 1 : 0; });
    const QString manyErrors = repeated(QStringLiteral("erro"));
    time("IsErrorTitle: \"erro\" again and again",
         [&] { return IsErrorTitle(manyErrors) ? 1 : 0; });
    return 0;
}
