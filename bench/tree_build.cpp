// Times the tree build for a generated Favorites folder: 100,000 favorites
// in 5,000 nested folders (empty files: only names are read). Prints the
// build into the headless tree, then the same build shown in the window.
//
//   bench_tree_build [--favorites N] [--folders M] [--keep DIR]

#include "favorites/FavoritesTree.h"
#include "mainwindow/MainWindow.h"
#include "platform/Clock.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/MessageBoxes.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

using namespace norvale;

namespace {

// Folder i (from 1) lies in folder (i - 1) / 8, so the folders form a tree
// eight wide and a few levels deep; each holds favoritesPerFolder files.
void generate(const QString& root, int favorites, int folders)
{
    QStringList paths{root};
    for (int i = 1; i <= folders; ++i)
        paths.append(paths[(i - 1) / 8] + QStringLiteral("/Folder %1").arg(i));
    for (const QString& path : paths)
        QDir().mkpath(path);
    for (int i = 0; i < favorites; ++i) {
        const QString file = paths[1 + i % folders] + QStringLiteral("/Favorite %1.url").arg(i);
        ::close(::creat(QFile::encodeName(file).constData(), 0644));
    }
}

double buildSeconds(TreeControl& tree, const QString& favoritesPath, const QString& programFolder,
                    qint64* favoriteCount)
{
    const ImageList images;
    AppSettings settings;
    ChooseLightImages(settings, images);
    MainWindowState state;
    state.FavoritesPath = favoritesPath;
    state.FolderCount = 1;
    const FileSystem fs;
    ConsoleMessageBoxes boxes;
    const SystemClock clock;
    ErrorLog log(programFolder, boxes, clock);
    FavoritesTree builder(tree, settings, state, fs, log, programFolder);
    QElapsedTimer timer;
    timer.start();
    builder.RefreshLinks();
    const double seconds = timer.nsecsElapsed() / 1e9;
    *favoriteCount = state.FavoriteCount;
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int favorites = 100000;
    int folders = 5000;
    QString keep;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--favorites"))
            favorites = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folders"))
            folders = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--keep"))
            keep = args[i + 1];
    }

    QTemporaryDir temp;
    const QString base = keep.isEmpty() ? temp.path() : keep;
    const QString favoritesPath = base + QStringLiteral("/Favorites");
    if (!QDir(favoritesPath).exists())
        generate(favoritesPath, favorites, folders);
    const QString programFolder = base + QStringLiteral("/program");
    QDir().mkpath(programFolder);

    // Once to warm the file system's caches, as a user's second start would.
    TreeControl warmUp;
    qint64 count = 0;
    buildSeconds(warmUp, favoritesPath, programFolder, &count);

    TreeControl headless;
    const double model = buildSeconds(headless, favoritesPath, programFolder, &count);
    std::printf("tree build, model only:  %7.3f s  (%lld favorites, %d nodes)\n", model,
                static_cast<long long>(count), headless.count());

    TreeControl shown;
    const ImageList images;
    StatusBarModel status;
    CommandSurface surface;
    MainWindow window(shown, status, surface, images);
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    const double inWindowBuild = buildSeconds(shown, favoritesPath, programFolder, &count);
    QApplication::processEvents();
    std::printf("tree build, in window:   %7.3f s  (of which the build %0.3f s)\n",
                timer.nsecsElapsed() / 1e9, inWindowBuild);
    return 0;
}
