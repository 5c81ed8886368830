#include "BookmarkFileReader.h"

#include "platform/TextDecoding.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimeZone>
#include <vector>

namespace norvale {

namespace {

// A tag as the reader needs it: its name in capitals, whether it closes,
// and its attributes (names in capitals, values with entities resolved).
struct Tag {
    QString name;
    bool closing = false;
    QHash<QString, QString> attributes;
    qsizetype end = -1; // just past the '>'; -1 when the text ends first
};

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
           c == QLatin1Char(':');
}

qsizetype skipBlanks(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at].isSpace())
        ++at;
    return at;
}

// Reads the tag that starts at text[at] == '<'. A quote that never closes
// ends at the next '>' instead, so one broken attribute costs one tag.
Tag readTag(QStringView text, qsizetype at)
{
    Tag tag;
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < text.size() && isNameChar(text[i]))
        ++i;
    tag.name = text.mid(nameStart, i - nameStart).toString().toUpper();
    while (i < text.size()) {
        i = skipBlanks(text, i);
        if (i >= text.size())
            break;
        if (text[i] == QLatin1Char('>')) {
            tag.end = i + 1;
            return tag;
        }
        const qsizetype attributeStart = i;
        while (i < text.size() && isNameChar(text[i]))
            ++i;
        if (i == attributeStart) {
            ++i; // a stray character such as '/' or a lone quote
            continue;
        }
        const QString attribute = text.mid(attributeStart, i - attributeStart).toString().toUpper();
        i = skipBlanks(text, i);
        if (i >= text.size() || text[i] != QLatin1Char('=')) {
            tag.attributes.insert(attribute, QString());
            continue;
        }
        i = skipBlanks(text, i + 1);
        if (i >= text.size())
            break;
        QStringView value;
        const QChar quote = text[i];
        if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
            const qsizetype close = text.indexOf(quote, i + 1);
            const qsizetype tagEnd = text.indexOf(QLatin1Char('>'), i + 1);
            if (close < 0) {
                // Unclosed: the value runs to the tag's end, if there is one.
                if (tagEnd < 0)
                    break;
                tag.attributes.insert(attribute, DecodeEntities(text.mid(i + 1, tagEnd - i - 1)));
                tag.end = tagEnd + 1;
                return tag;
            }
            value = text.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const qsizetype valueStart = i;
            while (i < text.size() && !text[i].isSpace() && text[i] != QLatin1Char('>'))
                ++i;
            value = text.mid(valueStart, i - valueStart);
        }
        tag.attributes.insert(attribute, DecodeEntities(value));
    }
    return tag; // the text ended inside the tag
}

QDateTime dateFrom(const QString& seconds)
{
    bool ok = false;
    const qint64 value = seconds.toLongLong(&ok);
    // Seconds since 1970, as the browsers write them; anything past the
    // year 5000 is no date we can trust.
    if (!ok || value <= 0 || value > 95'617'584'000LL)
        return {};
    return QDateTime::fromSecsSinceEpoch(value, QTimeZone::utc());
}

QString decodeBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    // A character set named by the file's META tag, when Qt knows it.
    static const QRegularExpression charset(QStringLiteral("charset=[\"']?([A-Za-z0-9_.:-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(4096));
    const QRegularExpressionMatch match = charset.match(head);
    if (match.hasMatch()) {
        const QString name = match.captured(1).toLower();
        if (name != QLatin1String("utf-8") && name != QLatin1String("utf8")) {
            QStringDecoder decoder(name.toLatin1().constData());
            if (decoder.isValid())
                return decoder.decode(bytes);
        }
    }
    return DecodeUtf8OrWindows1252(bytes);
}

// Collects what the document says, one tag at a time.
class Reader {
public:
    void tag(const Tag& tag)
    {
        const QString& name = tag.name;
        if (tag.closing) {
            if (name == QLatin1String("A") || name == QLatin1String("H3"))
                finishTitle();
            else if (name == QLatin1String("DL"))
                closeList();
            return;
        }
        if (name == QLatin1String("A")) {
            finishTitle();
            m_folderPending = false;
            startTitle(BookmarkItem::Kind::Link, tag);
        } else if (name == QLatin1String("H3")) {
            finishTitle();
            m_folderPending = false;
            startTitle(BookmarkItem::Kind::Folder, tag);
        } else if (name == QLatin1String("DT")) {
            finishTitle();
            m_folderPending = false;
        } else if (name == QLatin1String("DL")) {
            finishTitle();
            m_lists.push_back(m_folderPending);
            m_depth += m_folderPending ? 1 : 0;
            m_folderPending = false;
        } else if (name == QLatin1String("DD") || name == QLatin1String("HR")) {
            finishTitle();
        }
    }

    void text(QStringView text)
    {
        if (m_capturing)
            m_title += text;
    }

    BookmarkList finish()
    {
        finishTitle();
        return std::move(m_items);
    }

private:
    void startTitle(BookmarkItem::Kind kind, const Tag& tag)
    {
        m_capturing = true;
        m_current = {};
        m_current.kind = kind;
        m_current.depth = m_depth;
        m_current.url = tag.attributes.value(QStringLiteral("HREF")).trimmed();
        m_current.added = dateFrom(tag.attributes.value(QStringLiteral("ADD_DATE")));
        m_title.clear();
    }

    void finishTitle()
    {
        if (!m_capturing)
            return;
        m_capturing = false;
        m_current.title = DecodeEntities(m_title).simplified();
        m_title.clear();
        m_folderPending = m_current.kind == BookmarkItem::Kind::Folder;
        m_items.append(std::move(m_current));
    }

    void closeList()
    {
        finishTitle();
        m_folderPending = false;
        if (m_lists.empty())
            return; // a stray closing tag
        m_depth -= m_lists.back() ? 1 : 0;
        m_lists.pop_back();
    }

    BookmarkList m_items;
    BookmarkItem m_current;
    QString m_title;
    bool m_capturing = false;
    bool m_folderPending = false; // a folder's title was read; its list may follow
    std::vector<bool> m_lists;    // the open lists: true for a folder's own
    int m_depth = 0;
};

} // namespace

QString DecodeEntities(QStringView text)
{
    static const QHash<QString, QChar> named{
        {QStringLiteral("amp"), QLatin1Char('&')},   {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},    {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QChar(0xa0)},
    };
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'), i);
        if (amp < 0) {
            result += text.mid(i);
            break;
        }
        result += text.mid(i, amp - i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), amp + 1);
        // References are short; a far semicolon belongs to something else.
        if (semicolon < 0 || semicolon - amp > 12) {
            result += QLatin1Char('&');
            i = amp + 1;
            continue;
        }
        const QStringView body = text.mid(amp + 1, semicolon - amp - 1);
        if (body.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex =
                body.size() > 1 && (body[1] == QLatin1Char('x') || body[1] == QLatin1Char('X'));
            const uint code = body.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            const bool usable =
                ok && code != 0 && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff);
            if (ok) {
                const char32_t character = usable ? char32_t(code) : char32_t(0xfffd);
                result += QString::fromUcs4(&character, 1);
                i = semicolon + 1;
                continue;
            }
        } else if (const auto it = named.constFind(body.toString()); it != named.cend()) {
            result += *it;
            i = semicolon + 1;
            continue;
        }
        result += QLatin1Char('&');
        i = amp + 1;
    }
    return result;
}

BookmarkList ReadBookmarkFile(const QByteArray& bytes)
{
    const QString document = decodeBytes(bytes);
    const QStringView text(document);
    Reader reader;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), i);
        if (open < 0) {
            reader.text(text.mid(i));
            break;
        }
        reader.text(text.mid(i, open - i));
        if (text.mid(open, 4) == QLatin1String("<!--")) {
            const qsizetype close = text.indexOf(QLatin1String("-->"), open + 4);
            if (close < 0)
                break;
            i = close + 3;
            continue;
        }
        const Tag tag = readTag(text, open);
        if (tag.end < 0)
            break; // the file ends inside a tag
        reader.tag(tag);
        i = tag.end;
    }
    return reader.finish();
}

} // namespace norvale
