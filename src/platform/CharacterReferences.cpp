#include "CharacterReferences.h"

#include "HtmlEntities.h"

#include <algorithm>
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

} // namespace

QString DecodeCharacterReferences(QStringView text)
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

} // namespace norvale
