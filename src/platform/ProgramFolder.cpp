#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace norvale {

namespace {

// The executable's folder holds the program's data only where it is the
// program's own: the build tree (CMake's cache beside it) or a folder the
// user marked portable. An installed executable's folder (bin/) is shared
// with every other program and never gets data.
bool keepsItsOwnData(const QString& executableFolder)
{
    if (executableFolder.isEmpty() || !QFileInfo(executableFolder).isWritable())
        return false;
    const QDir folder(executableFolder);
    return QFileInfo::exists(folder.filePath(QStringLiteral("CMakeCache.txt"))) ||
           QFileInfo::exists(folder.filePath(kPortableMarker));
}

} // namespace

QString programFolder()
{
    QString folder = qEnvironmentVariable("NORVALE_HOME");
    if (folder.isEmpty()) {
        const QString executableFolder = QCoreApplication::applicationDirPath();
        if (keepsItsOwnData(executableFolder))
            folder = executableFolder;
        else
            folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/norvale");
    }
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    QDir().mkpath(folder);
    return folder;
}

} // namespace norvale
