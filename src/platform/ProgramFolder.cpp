#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace norvale {

QString programFolder()
{
    QString folder = qEnvironmentVariable("NORVALE_HOME");
    if (folder.isEmpty()) {
        const QString executableFolder = QCoreApplication::applicationDirPath();
        if (!executableFolder.isEmpty() && QFileInfo(executableFolder).isWritable())
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
