#include "ProgramVersion.h"

#include <QLocale>
#include <QStringList>

namespace norvale {

ProgramVersion ProgramVersion::current()
{
    return parse(QStringLiteral(NORVALE_VERSION));
}

ProgramVersion ProgramVersion::parse(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    const auto part = [&parts](qsizetype index) {
        return index < parts.size() ? parts.at(index).toInt() : 0;
    };
    return {part(0), part(1), part(2)};
}

QString VersionText(const ProgramVersion& version)
{
    return QString::number(version.major) + QLatin1Char('.') + QString::number(version.minor) +
           QString::number(version.revision);
}

float VersionNumber(const ProgramVersion& version)
{
    return QLocale::c().toFloat(VersionText(version));
}

} // namespace norvale
