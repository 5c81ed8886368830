// Times a check of all favorites: 500 favorites whose pages answer after
// 20 to 200 ms, served by the local fixture server. Prints favorites per
// second.
//
//   bench_check_all [--count N]

#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"
#include "lifecycle/ProgramParts.h"
#include "lifecycle/TrayIcon.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/MessageBoxes.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "program/ProgramServices.h"
#include "support/FixtureServer.h"
#include "support/NoWindowFrame.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace norvale;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 500;
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 && args[1] == QLatin1String("--count"))
        count = args[2].toInt();

    test::FixtureServer server;
    QTemporaryDir temp;
    const QString favorites = temp.filePath(QStringLiteral("Favorites"));
    for (int i = 0; i < count; ++i) {
        const QString folder = favorites + QStringLiteral("/Folder %1").arg(i / 50);
        QDir().mkpath(folder);
        const int delay = 20 + (i * 37) % 181; // 20..200 ms, spread evenly
        const QString url = server.url(test::FixtureServer::path(
            QStringLiteral("/page"), {{"delay", QString::number(delay)},
                                      {"body", QStringLiteral("<title>Site %1</title>").arg(i)}}));
        QFile file(folder + QStringLiteral("/Site %1.url").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
    }
    QFile store(temp.filePath(QStringLiteral("registry.reg")));
    if (!store.open(QIODevice::WriteOnly))
        return 1;
    store.write("Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                "Folders]\r\n\"Favorites\"=\"" +
                favorites.toUtf8() + "\"\r\n");
    store.close();

    const FileSystem fs;
    const SystemClock clock;
    ConsoleMessageBoxes boxes;
    const ImageList images;
    TreeControl tree;
    StatusBarModel status;
    test::NoWindowFrame window; // the run needs none
    ProgramServices services({store.fileName(), temp.filePath(QStringLiteral("program")), fs, clock,
                              boxes, images, tree, status, TransferEngine::shared()});
    CommandController commands(commandPartsOf(services));
    TrayIcon tray;
    MainLifecycle lifecycle(lifecyclePartsOf(services, commands, window, nullptr, tray));
    if (lifecycle.load(QString()) != MainLifecycle::LoadOutcome::Running)
        return 1;
    QElapsedTimer timer;
    timer.start();
    services.checker().CheckAllLinks();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("check of all %d favorites in %.1f s: %.1f favorites/s\n", count, seconds,
                count / seconds);
    return 0;
}
