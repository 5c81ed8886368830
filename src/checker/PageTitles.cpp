#include "PageTitles.h"

#include "platform/CharacterReferences.h"

#include <algorithm>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace norvale {

namespace {

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

QString CleanTitle(const QString& title)
{
    return withSpacesCollapsed(DecodeCharacterReferences(title));
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
    static const QStringList gatePrefixes = {
        QStringLiteral("sign in to "), QStringLiteral("log in to "), QStringLiteral("login to "),
        QStringLiteral("checking your browser before accessing ")};
    return isOnly(title, [](const QString& part) {
        return challenges.contains(part) ||
               std::ranges::any_of(gatePrefixes,
                                   [&](const QString& prefix) { return part.startsWith(prefix); });
    });
}

} // namespace norvale
