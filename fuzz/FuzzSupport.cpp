#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>
#include <QTemporaryDir>

namespace norvale::fuzz {

QString scratchFile(const QString& name)
{
    static QTemporaryDir folder;
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
