#include "PageTitles.h"

#include "HtmlEntities.h"

#include <algorithm>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <ranges>
#include <string>

namespace norvale {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Pages that write &#128; to &#159; meant the Windows code page, and
// browsers read them so; the five numbers it leaves unused stand for
// themselves.
constexpr char16_t kWindowsC1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t referencedCharacter(qint64 number)
{
    if (number == 0 || number > 0x10FFFF || (number >= 0xD800 && number <= 0xDFFF))
        return kReplacement;
    if (number >= 0x80 && number <= 0x9F)
        return kWindowsC1[number - 0x80];
    return char32_t(number);
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    const int value = u >= u'0' && u <= u'9'   ? u - u'0'
                      : u >= u'a' && u <= u'z' ? u - u'a' + 10
                      : u >= u'A' && u <= u'Z' ? u - u'A' + 10
                                               : base;
    return value < base ? value : -1;
}

bool isAsciiLetterOrDigit(QChar c)
{
    return digitValue(c, 36) >= 0;
}

// A numeric reference at the start of text ("&#233;", "&#xE9;") appended to
// out as its character; the characters it took, 0 when text starts with none.
qsizetype numericReference(QStringView text, QString& out)
{
    const bool hex = text.size() > 2 && (text[2] == u'x' || text[2] == u'X');
    const int base = hex ? 16 : 10;
    const qsizetype digitsFrom = hex ? 3 : 2;
    qsizetype at = digitsFrom;
    qint64 number = 0; // held at one past the last code point, so it never overflows
    for (int digit = 0; at < text.size() && (digit = digitValue(text[at], base)) >= 0; ++at)
        number = std::min<qint64>(number * base + digit, 0x110000);
    if (at == digitsFrom || at == text.size() || text[at] != u';')
        return 0;
    out.append(QChar::fromUcs4(referencedCharacter(number)));
    return at + 1;
}

// A named reference at the start of text ("&eacute;") appended to out as its
// characters; the characters it took, 0 when text starts with none.
qsizetype namedReference(QStringView text, QString& out)
{
    // Reading stops past the longest name, so a long run of letters costs little.
    static const size_t longest =
        std::ranges::max_element(kHtmlEntities, {}, [](const HtmlEntity& e) {
            return e.name.size();
        })->name.size();
    std::string name;
    for (qsizetype at = 1; at < text.size() && isAsciiLetterOrDigit(text[at]); ++at) {
        if (name.size() == longest)
            return 0;
        name += char(text[at].unicode());
    }
    const qsizetype end = qsizetype(name.size()) + 1;
    if (name.empty() || end == text.size() || text[end] != u';')
        return 0;
    const auto found =
        std::ranges::lower_bound(kHtmlEntities, std::string_view(name), {}, &HtmlEntity::name);
    if (found == kHtmlEntities.end() || found->name != name)
        return 0;
    out.append(QChar::fromUcs4(found->first));
    if (found->second != 0)
        out.append(QChar::fromUcs4(found->second));
    return end + 1;
}

// Each reference is read once, left to right, and what it gives is never
// read again: "&amp;lt;" is "&lt;", as a browser shows it. Each character is
// looked at a bounded number of times, so long titles stay cheap.
QString withReferencesDecoded(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        qsizetype taken = 0;
        if (text[at] == u'&') {
            const QStringView rest = text.sliced(at);
            taken =
                rest.startsWith(u"&#") ? numericReference(rest, out) : namedReference(rest, out);
        }
        if (taken == 0)
            out += text[at++];
        at += taken;
    }
    return out;
}

// A no-break space counts as white space here, unlike in a browser: kept in
// a favorite's file name it looks like a space and is not one.
bool isTitleSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u'\u00A0';
}

QString withSpacesCollapsed(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool spaceDue = false;
    for (const QChar c : text) {
        if (isTitleSpace(c)) {
            spaceDue = !out.isEmpty();
            continue;
        }
        if (spaceDue)
            out += u' ';
        spaceDue = false;
        out += c;
    }
    return out;
}

// A part lower case, letters and digits alone, one space between words:
// "Server Error in '/' Application." reads "server error in application".
QString normalised(QStringView part)
{
    QString out;
    out.reserve(part.size());
    for (const QChar c : part) {
        if (c.isLetterOrNumber())
            out += c.toLower();
        else if (c != u'\'' && c != u'\u2019')
            out += u' ';
    }
    return out.simplified();
}

// The title cut where sites set their name beside a page's own title ("Not
// Found - Example", "Example | Log in"), each part normalised.
QStringList titleParts(const QString& title)
{
    static const QRegularExpression separator(
        QStringLiteral("\\s(?:[-|\\x{2013}\\x{2014}\\x{00B7}\\x{00BB}]|::?)\\s|:\\s"));
    QStringList parts;
    for (const QString& part : title.split(separator)) {
        QString words = normalised(part);
        if (!words.isEmpty())
            parts += words;
    }
    return parts;
}

// True when a part of the title is such a phrase and at most one other part
// (a site's name) stands beside it. A title of many parts is a page of its
// own that merely names the phrase.
template <typename IsPhrase> bool isOnly(const QString& title, IsPhrase isPhrase)
{
    const QStringList parts = titleParts(title);
    if (parts.size() >= 4)
        return false;
    const qsizetype phrases = std::ranges::count_if(parts, isPhrase);
    return phrases > 0 && parts.size() - phrases <= 1;
}

QSet<QString> phrases(std::initializer_list<const char*> list)
{
    QSet<QString> set;
    for (const char* phrase : list)
        set.insert(QString::fromLatin1(phrase));
    return set;
}

} // namespace

QString CleanTitle(QString title)
{
    return withSpacesCollapsed(withReferencesDecoded(title));
}

bool IsErrorTitle(const QString& title)
{
    static const QSet<QString> errors = phrases({
        "404",
        "400",
        "410",
        "error",
        "error 400",
        "error 404",
        "error 410",
        "error 500",
        "404 error",
        "500 error",
        "http 404",
        "http error 404",
        "not found",
        "not found 404",
        "404 not found",
        "http 404 not found",
        "error 404 not found",
        "page not found",
        "page not found 404",
        "404 page not found",
        "error 404 page not found",
        "404 error page not found",
        "oops page not found",
        "sorry page not found",
        "file not found",
        "404 file not found",
        "document not found",
        "object not found",
        "410 gone",
        "page cannot be found",
        "the page cannot be found",
        "page could not be found",
        "the page could not be found",
        "the requested page could not be found",
        "the resource cannot be found",
        "page does not exist",
        "this page does not exist",
        "server error",
        "500 server error",
        "internal server error",
        "500 internal server error",
        "server error in application",
        "bad request",
        "400 bad request",
    });
    return isOnly(title, [](const QString& part) { return errors.contains(part); });
}

bool MentionsError(const QString& title)
{
    return title.contains(QLatin1String("error"), Qt::CaseInsensitive) ||
           title.contains(QLatin1String("not found"), Qt::CaseInsensitive);
}

bool IsChallengeTitle(const QString& title)
{
    static const QSet<QString> challenges = phrases({
        "just a moment",
        "attention required",
        "access denied",
        "sign in",
        "signin",
        "log in",
        "login",
        "please wait",
        "verifying you are human",
        "verify you are human",
        "checking your browser",
        "checking your browser before accessing",
        "ddos guard",
        "security check",
        "captcha",
        "are you a robot",
        "are you human",
        "one more step",
        "human verification",
        "bot verification",
    });
    // "Sign in to GitHub" is as much a gate as "Sign in".
    static const QStringList gatePrefixes = {"sign in to ", "log in to ", "login to ",
                                             "checking your browser before accessing "};
    return isOnly(title, [](const QString& part) {
        return challenges.contains(part) ||
               std::ranges::any_of(gatePrefixes,
                                   [&](const QString& prefix) { return part.startsWith(prefix); });
    });
}

} // namespace norvale
