// Any bytes as the settings file: loading, saving and deleting never crash,
// and a value saved (line breaks and all) reads back as saved.

#include "FuzzTarget.h"
#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"

#include <QFile>

using namespace norvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::scratchFile(QStringLiteral("registry.reg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    const QString company = QStringLiteral("Brimwick");
    const QString product = QStringLiteral("Norvale");
    const QString value = QStringLiteral("two\nlines\r\tand \"quotes\" \\ ") + QChar(0xD800);
    try {
        RegistryStore store(path);
        store.SetBasePath(QStringLiteral("Software\\"));
        store.GetSetting(company, product, QStringLiteral("Timeout"), QStringLiteral("1000"));
        store.SaveSetting(company, product, QStringLiteral("Fuzz"), value);
        RegistryStore again(path);
        again.SetBasePath(QStringLiteral("Software\\"));
        fuzz::require(again.GetSetting(company, product, QStringLiteral("Fuzz"), {}) == value,
                      "a saved value reads back");
        again.DeleteSetting(company, product, QString());
    } catch (const NorvaleError&) {
        // An unreadable file is never overwritten: an answer, not a failure.
    }
    return 0;
}
