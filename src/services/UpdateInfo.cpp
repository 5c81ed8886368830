#include "UpdateInfo.h"

#include <QLocale>
#include <QRegularExpression>

namespace norvale {

namespace {

// The value between <name> and </name>; nothing when either tag is missing
// or the closing tag starts before the opening one ends.
std::optional<QString> element(const QString& text, const QString& name)
{
    const QString opening = QLatin1Char('<') + name + QLatin1Char('>');
    const QString closing = QStringLiteral("</") + name + QLatin1Char('>');
    const qsizetype open = text.indexOf(opening, 0, Qt::CaseInsensitive);
    const qsizetype close = text.indexOf(closing, 0, Qt::CaseInsensitive);
    if (open < 0 || close < 0)
        return std::nullopt;
    const qsizetype start = open + opening.size();
    if (close < start)
        return std::nullopt;
    return text.mid(start, close - start);
}

} // namespace

std::optional<float> ReadVersionNumber(const QString& value)
{
    static const QRegularExpression number(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString digits = value.trimmed();
    if (!number.match(digits).hasMatch())
        return std::nullopt;
    bool ok = false;
    const float result = QLocale::c().toFloat(digits, &ok);
    if (!ok)
        return std::nullopt;
    return result;
}

UpdateInfo ReadUpdateDocument(const QString& text)
{
    const auto version = element(text, QStringLiteral("Version"));
    const auto location = element(text, QStringLiteral("Update_Location"));
    const auto current = element(text, QStringLiteral("Current_Version"));
    const auto newer = element(text, QStringLiteral("New_Version"));
    const auto common = element(text, QStringLiteral("Common"));
    if (!version || !location || !current || !newer || !common)
        return {};
    if (!ReadVersionNumber(*version))
        return {};
    return {*version, *location, *current, *newer, *common};
}

} // namespace norvale
