#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>
#include <QDir>
#include <QTemporaryDir>

namespace norvale::fuzz {

// Targets write through the program's safe writes, which flush every file
// to disk: on a memory file system that costs nothing, so a target tries
// millions of inputs rather than thousands.
QString scratchFile(const QString& name)
{
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/norvale-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/norvale-fuzz-XXXXXX"));
    return folder.filePath(name);
}

void require(bool promise, const char* what)
{
    if (promise)
        return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

} // namespace norvale::fuzz
