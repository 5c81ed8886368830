#include "NameCleanup.h"

#include <QUrl>

namespace norvale {

namespace {

constexpr int kMaxNameBytes = 255;

} // namespace

QString CleanName(const QString& name)
{
    QString cleaned = name;
    for (QChar& c : cleaned) {
        if (kForbiddenNameChars.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('-');
    }
    return cleaned;
}

QString CleanNameForRename(const QString& name)
{
    QString spaced = name;
    for (QChar& c : spaced) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return CleanName(spaced);
}

QString FitName(const QString& name, int maxCharacters, const QString& suffix)
{
    QString fitted = name.left(maxCharacters);
    const qsizetype room = kMaxNameBytes - suffix.toUtf8().size();
    while (!fitted.isEmpty() && fitted.toUtf8().size() > room)
        fitted.chop(1);
    // A lone high surrogate would be half a character.
    if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
        fitted.chop(1);
    return fitted;
}

bool IsUnusableName(const QString& name)
{
    return name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..");
}

QString NameFromTitle(const QString& title, const QString& url, const QString& fallback)
{
    QString name = CleanName(title.left(255)).trimmed();
    if (!IsUnusableName(name))
        return name;
    const QString host = QUrl(url).host();
    return host.isEmpty() ? fallback : CleanName(host);
}

} // namespace norvale
