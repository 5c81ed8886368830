// Build tool: draws the application icon as PNG files for the hicolor icon
// theme, so that the installed icons are the very ones the window shows.
// render_icons OUTPUT_FOLDER NAME SIZE... writes OUTPUT_FOLDER/SIZExSIZE/apps/NAME.png.

#include "services/NorvaleLogo.h"

#include <cstdio>
#include <QDir>
#include <QGuiApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: render_icons OUTPUT_FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    for (const QString& size : arguments.mid(3)) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments[1], size);
        const QString file = folder + QLatin1Char('/') + arguments[2] + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !norvale::DrawNorvaleLogo(size.toInt()).save(file)) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
