#include "BookmarkFileReader.h"

#include "platform/CharacterReferences.h"
#include "platform/TextDecoding.h"

#include <limits>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimeZone>
#include <vector>

namespace norvale {

namespace {

// A tag as the reader needs it: its name in capitals, whether it closes,
// and its attributes (names in capitals, values as written, entities and
// all: only the few values the reader uses are worth resolving, and an
// icon's data can be megabytes).
struct Tag {
    QString name;
    bool closing = false;
    QHash<QString, QStringView> attributes;
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

// Finds the next of one character in a text that is read from front to
// back, remembering its last answer: however many tags ask, each character
// is looked at once.
class NextOf {
public:
    NextOf(QStringView text, QChar sought)
        : m_text(text)
        , m_sought(sought)
    {}

    // The first position at or after at that holds the character; -1 when
    // none does.
    qsizetype from(qsizetype at)
    {
        if (at < m_searchedFrom || (m_found >= 0 && at > m_found)) {
            m_searchedFrom = at;
            m_found = m_text.indexOf(m_sought, at);
        }
        return m_found;
    }

private:
    QStringView m_text;
    QChar m_sought;
    qsizetype m_searchedFrom = std::numeric_limits<qsizetype>::max();
    qsizetype m_found = -1;
};

// Reads tags one after the other, each from its '<'.
class TagScanner {
public:
    explicit TagScanner(QStringView text)
        : m_text(text)
    {}

    // Reads the tag that starts at text[at] == '<'. A quote that never
    // closes ends at the next '>' instead, so one broken attribute costs one
    // tag.
    Tag read(qsizetype at)
    {
        Tag tag;
        qsizetype i = at + 1;
        if (i < m_text.size() && m_text[i] == QLatin1Char('/')) {
            tag.closing = true;
            ++i;
        }
        tag.name = nameAt(i).toString().toUpper();
        while (i < m_text.size()) {
            i = skipBlanks(m_text, i);
            if (i >= m_text.size())
                break;
            if (m_text[i] == QLatin1Char('>')) {
                tag.end = i + 1;
                return tag;
            }
            const QStringView attribute = nameAt(i);
            if (attribute.isEmpty()) {
                ++i; // a stray character such as '/' or a lone quote
                continue;
            }
            if (!readValue(i, tag.attributes[attribute.toString().toUpper()], tag))
                return tag;
        }
        return tag; // the text ended inside the tag
    }

private:
    // The name at i, which moves past it.
    QStringView nameAt(qsizetype& i) const
    {
        const qsizetype start = i;
        while (i < m_text.size() && isNameChar(m_text[i]))
            ++i;
        return m_text.mid(start, i - start);
    }

    // Reads "= value" at i, if there, into value; false when the tag ended
    // with it (tag.end then says where, -1 for the text's end).
    bool readValue(qsizetype& i, QStringView& value, Tag& tag)
    {
        i = skipBlanks(m_text, i);
        if (i >= m_text.size() || m_text[i] != QLatin1Char('='))
            return true;
        i = skipBlanks(m_text, i + 1);
        if (i >= m_text.size())
            return false;
        const QChar quote = m_text[i];
        if (quote != QLatin1Char('"') && quote != QLatin1Char('\'')) {
            const qsizetype start = i;
            while (i < m_text.size() && !m_text[i].isSpace() && m_text[i] != QLatin1Char('>'))
                ++i;
            value = m_text.mid(start, i - start);
            return true;
        }
        const qsizetype close =
            (quote == QLatin1Char('"') ? m_doubleQuote : m_singleQuote).from(i + 1);
        if (close >= 0) {
            value = m_text.mid(i + 1, close - i - 1);
            i = close + 1;
            return true;
        }
        // Unclosed: the value runs to the tag's end, if there is one.
        const qsizetype tagEnd = m_tagEnd.from(i + 1);
        if (tagEnd >= 0) {
            value = m_text.mid(i + 1, tagEnd - i - 1);
            tag.end = tagEnd + 1;
        }
        return false;
    }

    QStringView m_text;
    NextOf m_tagEnd{m_text, QLatin1Char('>')};
    NextOf m_doubleQuote{m_text, QLatin1Char('"')};
    NextOf m_singleQuote{m_text, QLatin1Char('\'')};
};

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
        m_current.url =
            DecodeCharacterReferences(tag.attributes.value(QStringLiteral("HREF"))).trimmed();
        m_current.added =
            dateFrom(DecodeCharacterReferences(tag.attributes.value(QStringLiteral("ADD_DATE"))));
        m_title.clear();
    }

    void finishTitle()
    {
        if (!m_capturing)
            return;
        m_capturing = false;
        m_current.title = DecodeCharacterReferences(m_title).simplified();
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

BookmarkList ReadBookmarkFile(QByteArray bytes)
{
    const QString document = decodeBytes(bytes);
    bytes = QByteArray(); // a file read for this alone takes no memory from here on
    const QStringView text(document);
    TagScanner tags(text);
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
        const Tag tag = tags.read(open);
        if (tag.end < 0)
            break; // the file ends inside a tag
        reader.tag(tag);
        i = tag.end;
    }
    return reader.finish();
}

} // namespace norvale
