// Reading a favorite's check settings from an oversized shortcut file: a
// sparse file of the given size (2 GB unless told) whose first lines are a
// real favorite. Prints the time the read took, how it ended, and the
// process's peak memory.
//
//   bench_shortcut_read [MEGABYTES]

#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "shell/AppSettings.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace norvale;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 2048;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Huge.url"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n") < 0 ||
        !file.resize(megabytes << 20)) {
        std::fprintf(stderr, "cannot make %s\n", qUtf8Printable(path));
        return 1;
    }
    file.close();

    AppSettings settings;
    settings.Timeout = 1000;
    const FileSystem fs;
    const ShortcutFile shortcuts(settings, fs, dir.path(), nullptr);
    CurrentLinkSettings current;
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        outcome = QStringLiteral("read, address \"%1\"")
                      .arg(shortcuts.ReadCheckSettings(path, current).left(60));
    } catch (const NorvaleError& error) {
        outcome = QStringLiteral("refused: ") + error.description();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld MB shortcut file: %.3f s, peak memory %.1f MB, %s\n",
                static_cast<long long>(megabytes), seconds, usage.ru_maxrss / 1024.0,
                qUtf8Printable(outcome));
    return 0;
}
