#pragma once

#include <QString>

namespace norvale {

// "1 folder", "2 folders": a number with the word that agrees with it.
inline QString Counted(qsizetype number, const QString& one, const QString& many)
{
    return QString::number(number) + QLatin1Char(' ') + (number == 1 ? one : many);
}

} // namespace norvale
