#include "PageReading.h"

#include "platform/TextDecoding.h"

#include <algorithm>
#include <array>
#include <limits>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

namespace norvale {

namespace {

// The character a code of the Windows single-byte code page stands for.
const QString& windowsCharacter(int code)
{
    static const std::array<QString, 256> table = [] {
        std::array<QString, 256> characters;
        for (int i = 0; i < 256; ++i) {
            const char byte = char(i);
            characters[size_t(i)] = DecodeWindows1252(QByteArrayView(&byte, 1));
        }
        return characters;
    }();
    return table[size_t(code)];
}

// A redirect target as a browser follows it: a relative one is resolved
// against the address that was asked for ("/new" on "http://h/old" is
// "http://h/new"); one with a scheme of its own stands as it is.
QString resolved(const QString& target, const QString& url)
{
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return QString();
    const QUrl reference(trimmed);
    if (!reference.isRelative())
        return trimmed;
    const QUrl base(url);
    if (!base.isValid() || base.isRelative())
        return QString();
    return base.resolved(reference).toString(QUrl::FullyEncoded);
}

QString refreshTarget(const QString& text)
{
    const qsizetype tag =
        text.indexOf(QLatin1String("<META HTTP-EQUIV=\"REFRESH\""), 0, Qt::CaseInsensitive);
    if (tag < 0)
        return QString();
    const qsizetype tagEnd = text.indexOf(QLatin1Char('>'), tag);
    if (tagEnd < 0)
        return QString();
    const QString inside = text.mid(tag, tagEnd - tag);
    const qsizetype url = inside.indexOf(QLatin1String("URL="), 0, Qt::CaseInsensitive);
    if (url < 0)
        return QString();
    const qsizetype quote = inside.indexOf(QLatin1Char('"'), url);
    if (quote < 0)
        return QString();
    // An attribute's "&" is written "&amp;" in a well-made page.
    return inside.mid(url + 4, quote - url - 4).replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// One pass over the text, so that any page title takes time in proportion
// to its length. A reference is "&#", decimal digits and ";": below 256 it
// becomes that character of the Windows code page, above it goes. Anything
// else stays as it is. A "&" that a reference gives may open the next one
// ("&#38;#65;" gives "A").
QString withNumericReferences(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool carriedAmpersand = false; // a "&" just given by a reference, not yet written
    qsizetype at = 0;
    while (at < text.size()) {
        const bool opens = carriedAmpersand ? text.at(at) == QLatin1Char('#')
                                            : text.sliced(at).startsWith(QLatin1String("&#"));
        if (!opens) {
            if (carriedAmpersand)
                out += QLatin1Char('&');
            else
                out += text.at(at++);
            carriedAmpersand = false;
            continue;
        }
        const qsizetype digitsFrom = at + (carriedAmpersand ? 1 : 2);
        qsizetype digitsEnd = digitsFrom;
        qint64 code = 0;
        while (digitsEnd < text.size() && text.at(digitsEnd).isDigit() &&
               text.at(digitsEnd).unicode() < 128) {
            code = std::min<qint64>(code * 10 + text.at(digitsEnd).digitValue(), qint64(1) << 32);
            ++digitsEnd;
        }
        const bool isReference = digitsEnd > digitsFrom && digitsEnd < text.size() &&
                                 text.at(digitsEnd) == QLatin1Char(';') &&
                                 code <= std::numeric_limits<int>::max();
        if (!isReference) {
            out += QLatin1String("&#");
            at = digitsFrom;
            carriedAmpersand = false;
            continue;
        }
        at = digitsEnd + 1;
        carriedAmpersand = false;
        if (code >= 256)
            continue;
        const QString& character = windowsCharacter(int(code));
        if (character == QLatin1String("&"))
            carriedAmpersand = true;
        else
            out += character;
    }
    if (carriedAmpersand)
        out += QLatin1Char('&');
    return out;
}

} // namespace

int GetStatusCode(const QString& text)
{
    bool ok = false;
    const int code = text.mid(9, 3).trimmed().toInt(&ok);
    return ok ? code : 0;
}

QString RefreshTarget(const QString& text, const QString& url)
{
    const QString target = resolved(refreshTarget(text), url);
    // A page that refreshes itself goes nowhere.
    return target == url ? QString() : target;
}

std::optional<QDateTime> PageDate(const QString& text)
{
    const qsizetype header = text.indexOf(QLatin1String("Last-Modified"), 0, Qt::CaseInsensitive);
    if (header < 0 || text.indexOf(QLatin1String("GMT"), header, Qt::CaseInsensitive) < 0)
        return std::nullopt;
    const QString stamp = text.mid(header + 20, 20).trimmed();
    const QDateTime parsed = QLocale::c().toDateTime(stamp, QStringLiteral("d MMM yyyy HH:mm:ss"));
    if (!parsed.isValid())
        return std::nullopt;
    return QDateTime(parsed.date(), parsed.time(), QTimeZone::utc());
}

QDateTime CheckDate(const QString& text, const QDateTime& now)
{
    return PageDate(text).value_or(QDateTime(now.date(), now.time(), QTimeZone::utc()));
}

QString FindTitle(const QString& text)
{
    const qsizetype open = text.indexOf(QLatin1String("<TITLE>"), 0, Qt::CaseInsensitive);
    const qsizetype close = text.indexOf(QLatin1String("</TITLE>"), 0, Qt::CaseInsensitive);
    if (open < 0 || close < open + 7)
        return QString();
    return text.mid(open + 7, close - open - 7);
}

QString CleanTitle(QString title)
{
    title.remove(QLatin1Char('\t'));
    title.remove(QLatin1Char('\r'));
    title.remove(QLatin1Char('\n'));
    title.replace(QLatin1String("&amp;"), QLatin1String("&"));
    title.replace(QLatin1String("&quot;"), QLatin1String("\""));
    title.replace(QLatin1String("&copy;"), QString(QChar(0xA9)));
    title.replace(QLatin1String("&reg;"), QString(QChar(0xAE)));
    title.remove(QLatin1String("&trade;"));
    title.remove(QLatin1String("&#153;"));
    qsizetype first = 0;
    while (first < title.size() && title.at(first) == QLatin1Char(' '))
        ++first;
    qsizetype end = title.size();
    while (end > first && title.at(end - 1) == QLatin1Char(' '))
        --end;
    return withNumericReferences(QStringView(title).sliced(first, end - first));
}

bool IsChallengeTitle(const QString& title)
{
    static const QStringList kChallenges{
        QStringLiteral("just a moment..."), QStringLiteral("attention required!"),
        QStringLiteral("access denied"),    QStringLiteral("sign in"),
        QStringLiteral("log in"),
    };
    return kChallenges.contains(title.trimmed().toLower());
}

bool MentionsError(const QString& title)
{
    return title.contains(QLatin1String("error"), Qt::CaseInsensitive) ||
           title.contains(QLatin1String("not found"), Qt::CaseInsensitive);
}

bool IsErrorTitle(const QString& title)
{
    return title.contains(QLatin1String("ERROR"), Qt::CaseInsensitive) ||
           title.contains(QLatin1String("NOT FOUND"), Qt::CaseInsensitive) ||
           title.startsWith(QLatin1String("404")) || title.startsWith(QLatin1String("400"));
}

} // namespace norvale
