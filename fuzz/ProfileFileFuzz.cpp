// Any bytes as a shortcut file: reading, writing a key and deleting a
// section never crash, and a key written reads back as written.

#include "FuzzTarget.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"

#include <QFile>

using namespace norvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::scratchFile(QStringLiteral("fuzz.url"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    const QString standard = QStringLiteral("InternetShortcut");
    const QString own = QStringLiteral("Brimwick");
    ProfileFile::read(path, standard, QStringLiteral("URL"), QString(), 2083);
    ProfileFile::read(path, own, QStringLiteral("Timeout"), QStringLiteral("1000"), 4);
    try {
        const QString address = QStringLiteral("http://127.0.0.1/fuzz?q=\u00e9");
        ProfileFile::write(path, standard, QStringLiteral("URL"), address);
        // Text files (no NUL bytes, or a byte-order mark) keep their
        // encoding through a write, so the key reads back.
        const bool text =
            !bytes.contains('\0') || bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff");
        if (text && bytes.size() < ProfileFile::kMostBytes - 100)
            fuzz::require(ProfileFile::read(path, standard, QStringLiteral("URL"), {}) == address,
                          "a written key reads back");
        ProfileFile::deleteSection(path, own);
        ProfileFile::write(path, own, QStringLiteral("Bypass"), QStringLiteral("1"));
    } catch (const NorvaleError&) {
        // Refused writes are answers, not failures.
    }
    return 0;
}
