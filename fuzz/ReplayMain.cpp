// Feeds every file of the folders (or files) named on the command line to
// the fuzz target once: the seed corpus as a test, without libFuzzer.

#include "FuzzTarget.h"

#include <cstdio>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

int main(int argc, char** argv)
{
    int fed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString root = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(root).isDir()) {
            QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
        } else {
            files.append(root);
        }
        files.sort();
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qUtf8Printable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size()));
            ++fed;
        }
    }
    std::printf("%d inputs replayed\n", fed);
    return fed > 0 ? 0 : 1;
}
