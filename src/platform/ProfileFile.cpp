#include "ProfileFile.h"

#include "AtomicFile.h"
#include "NorvaleError.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <algorithm>
#include <optional>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("ProfileFile");

enum class Encoding { Bytes, Utf16LE, Utf16BE };

struct Line {
    QByteArray text; // without its line end
    QByteArray eol;  // "\r\n", "\n", "\r" or "" for a last line without one
};

// A profile file as lines of bytes. UTF-16 files are worked on as UTF-8
// (that keeps even a lone surrogate) and encoded back when written, so the
// line logic is the same for all.
struct Document {
    bool exists = false;
    Encoding encoding = Encoding::Bytes;
    QByteArray bom;     // kept as found
    QByteArray oddByte; // after the last whole UTF-16 unit, kept as found
    QList<Line> lines;
    QByteArray newLineEnd = "\r\n"; // the file's own, for lines we add
};

// UTF-16 without a mark shows as text with zero bytes on one side of its
// units: the high byte of every ASCII character. The other side has a zero
// only for the few characters such as U+4E00 that end in one, so a file
// counts as UTF-16 when its zeros lean clearly one way, however much of its
// text is not ASCII. Noise and 8-bit text with a few NULs do not lean.
std::optional<Encoding> unmarkedUtf16(const QByteArray& bytes)
{
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    constexpr qsizetype kFewest = 4; // "[A]" and a line end
    if (oddZeros >= kFewest && oddZeros >= 4 * evenZeros)
        return Encoding::Utf16LE;
    if (evenZeros >= kFewest && evenZeros >= 4 * oddZeros)
        return Encoding::Utf16BE;
    return std::nullopt;
}

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype eolLength =
            (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        lines.append({bytes.mid(start, i - start), bytes.mid(i, eolLength)});
        i += eolLength - 1;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append({bytes.mid(start), QByteArray()});
    return lines;
}

Document load(const QString& path)
{
    Document doc;
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(path, ProfileFile::kMostBytes);
    } catch (const NorvaleError& error) {
        if (error.number() == ErrorNumber::FileNotFound)
            return doc;
        throw;
    }
    doc.exists = true;
    std::optional<Encoding> utf16;
    if (bytes.startsWith("\xff\xfe")) {
        utf16 = Encoding::Utf16LE;
        doc.bom = bytes.left(2);
    } else if (bytes.startsWith("\xfe\xff")) {
        utf16 = Encoding::Utf16BE;
        doc.bom = bytes.left(2);
    } else if (bytes.startsWith("\xef\xbb\xbf")) {
        doc.bom = bytes.left(3);
    } else {
        utf16 = unmarkedUtf16(bytes);
    }
    bytes.remove(0, doc.bom.size());
    if (utf16) {
        doc.encoding = *utf16;
        if (bytes.size() % 2 != 0)
            doc.oddByte = bytes.right(1);
        bytes = ToLosslessUtf8(FromUtf16Units(bytes, *utf16 == Encoding::Utf16BE));
    }
    doc.lines = splitLines(bytes);
    for (const Line& line : doc.lines) {
        if (!line.eol.isEmpty()) {
            doc.newLineEnd = line.eol;
            break;
        }
    }
    return doc;
}

QByteArray serialize(const Document& doc)
{
    QByteArray bytes;
    for (const Line& line : doc.lines)
        bytes += line.text + line.eol;
    if (doc.encoding != Encoding::Bytes)
        bytes =
            ToUtf16Units(FromLosslessUtf8(bytes), doc.encoding == Encoding::Utf16BE) + doc.oddByte;
    return doc.bom + bytes;
}

// The section a line opens, if it opens one.
std::optional<QString> sectionName(const QByteArray& text)
{
    const QByteArray trimmed = text.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    return DecodeUtf8OrWindows1252(trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed());
}

// The key a line sets, if it sets one: comments and lines without "=" do not.
std::optional<QString> keyName(const QByteArray& text)
{
    const QByteArray trimmed = text.trimmed();
    const qsizetype equals = text.indexOf('=');
    if (equals < 0 || trimmed.startsWith(';'))
        return std::nullopt;
    return DecodeUtf8OrWindows1252(text.left(equals).trimmed());
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first header of the section, or -1.
qsizetype findSection(const Document& doc, const QString& section)
{
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        const auto name = sectionName(doc.lines[i].text);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

// One past the last line of the section whose header is at index header.
qsizetype sectionEnd(const Document& doc, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < doc.lines.size() && !sectionName(doc.lines[i].text))
        ++i;
    return i;
}

qsizetype findKey(const Document& doc, qsizetype header, const QString& key)
{
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyName(doc.lines[i].text);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

QString unquoted(QString value)
{
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return value.mid(1, value.size() - 2);
    return value;
}

QString keep(const QString& text, int limit)
{
    if (limit < 0 || text.size() <= limit)
        return text;
    // Never keep half of a character that needs two UTF-16 units.
    const bool splitsPair = limit > 0 && text.at(limit - 1).isHighSurrogate();
    return text.left(splitsPair ? limit - 1 : limit);
}

void requireWritable(const QString& path, const Document& doc)
{
    if (doc.exists && !(QFileInfo(path).permissions() & QFileDevice::WriteOwner)) {
        throw NorvaleError(ErrorNumber::PermissionDenied,
                           QStringLiteral("Permission denied (the file is read-only): %1")
                               .arg(QDir::toNativeSeparators(path)),
                           kSource);
    }
}

// A value's text: UTF-16 files are held as lossless UTF-8; other files are
// UTF-8 when valid, else Windows-1252.
QString textOf(const Document& doc, const QByteArray& bytes)
{
    return doc.encoding == Encoding::Bytes ? DecodeUtf8OrWindows1252(bytes)
                                           : FromLosslessUtf8(bytes);
}

QByteArray bytesOf(const Document& doc, const QString& text)
{
    return doc.encoding == Encoding::Bytes ? text.toUtf8() : ToLosslessUtf8(text);
}

// A section or key name that a read finds again as written: no controls,
// no outer blanks (reads trim them), nothing the line syntax gives a meaning.
bool readsBack(const QString& name, bool isSection)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    if (name != name.trimmed())
        return false;
    if (isSection)
        return !name.contains(QLatin1Char(']'));
    return !name.contains(QLatin1Char('=')) && !name.startsWith(QLatin1Char(';')) &&
           !name.startsWith(QLatin1Char('['));
}

void ensureLineEnd(Document& doc, qsizetype index)
{
    if (index >= 0 && index < doc.lines.size() && doc.lines[index].eol.isEmpty())
        doc.lines[index].eol = doc.newLineEnd;
}

} // namespace

namespace {

// The key's value as a read gives it, none when the section or key is absent.
std::optional<QString> valueIn(const Document& doc, const QString& section, const QString& key)
{
    const qsizetype header = findSection(doc, section);
    const qsizetype line = header < 0 ? -1 : findKey(doc, header, key);
    if (line < 0)
        return std::nullopt;
    const QByteArray& text = doc.lines[line].text;
    QByteArray value = text.mid(text.indexOf('=') + 1);
    // Like a C string, a value ends at a NUL byte.
    if (const qsizetype nul = value.indexOf('\0'); nul >= 0)
        value.truncate(nul);
    return unquoted(textOf(doc, value.trimmed()));
}

} // namespace

struct ProfileFile::Reading::Contents {
    Document doc;
};

ProfileFile::Reading ProfileFile::readAll(const QString& path)
{
    Reading reading;
    reading.m_contents = std::make_shared<const Reading::Contents>(Reading::Contents{load(path)});
    return reading;
}

QString ProfileFile::Reading::value(const QString& section, const QString& key,
                                    const QString& defaultValue, int limit) const
{
    if (!m_contents)
        return keep(defaultValue, limit);
    return keep(valueIn(m_contents->doc, section, key).value_or(defaultValue), limit);
}

QString ProfileFile::read(const QString& path, const QString& section, const QString& key,
                          const QString& defaultValue, int limit)
{
    Document doc;
    try {
        doc = load(path);
    } catch (const NorvaleError&) {
        return keep(defaultValue, limit);
    }
    return keep(valueIn(doc, section, key).value_or(defaultValue), limit);
}

void ProfileFile::check(const QString& path)
{
    load(path);
}

namespace {

// Refuses what a read would not find again as written.
void requireWritableText(const QString& path, const QString& section, const QString& key,
                         const QString& value)
{
    const auto refuse = [&](const QString& why) {
        throw NorvaleError(5,
                           QStringLiteral("Invalid procedure call or argument: %1 cannot be "
                                          "written into %2")
                               .arg(why, QDir::toNativeSeparators(path)),
                           kSource);
    };
    for (const QString& text : {section, key, value}) {
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
            text.contains(QChar(0)))
            refuse(QStringLiteral("a line break"));
    }
    if (!readsBack(section, true) || !readsBack(key, false))
        refuse(QStringLiteral("a name that would read back otherwise"));
}

void requireEncodable(const QString& path, const Document& doc, const QString& text)
{
    if (doc.encoding == Encoding::Bytes && HasLoneSurrogate(text))
        throw NorvaleError(5,
                           QStringLiteral("Invalid procedure call or argument: half of a "
                                          "character pair (it needs a UTF-16 file) cannot be "
                                          "written into %1")
                               .arg(QDir::toNativeSeparators(path)),
                           kSource);
}

void setKey(Document& doc, const QString& section, const QString& key, const QString& value)
{
    const QByteArray newValue = bytesOf(doc, value);
    const qsizetype header = findSection(doc, section);
    if (header < 0) {
        ensureLineEnd(doc, doc.lines.size() - 1);
        doc.lines.append({'[' + bytesOf(doc, section) + ']', doc.newLineEnd});
        doc.lines.append({bytesOf(doc, key) + '=' + newValue, doc.newLineEnd});
    } else if (const qsizetype line = findKey(doc, header, key); line >= 0) {
        QByteArray& text = doc.lines[line].text;
        text = text.left(text.indexOf('=')).trimmed() + '=' + newValue;
    } else {
        // After the section's last line that is not blank.
        qsizetype after = sectionEnd(doc, header) - 1;
        while (after > header && doc.lines[after].text.trimmed().isEmpty())
            --after;
        ensureLineEnd(doc, after);
        doc.lines.insert(after + 1, {bytesOf(doc, key) + '=' + newValue, doc.newLineEnd});
    }
}

// Removes every line that sets the key in the section's first occurrence;
// a section left with nothing but blank lines goes as a whole. True when a
// line went.
bool removeKey(Document& doc, const QString& section, const QString& key)
{
    const qsizetype header = findSection(doc, section);
    if (header < 0)
        return false;
    bool removed = false;
    for (qsizetype line = findKey(doc, header, key); line >= 0; line = findKey(doc, header, key)) {
        doc.lines.remove(line);
        removed = true;
    }
    const qsizetype end = sectionEnd(doc, header);
    const bool empty = std::all_of(doc.lines.begin() + header + 1, doc.lines.begin() + end,
                                   [](const Line& line) { return line.text.trimmed().isEmpty(); });
    if (removed && empty)
        doc.lines.remove(header, end - header);
    return removed;
}

} // namespace

void ProfileFile::write(const QString& path, const QString& section, const QString& key,
                        const QString& value)
{
    requireWritableText(path, section, key, value);
    Document doc = load(path);
    requireWritable(path, doc);
    requireEncodable(path, doc, section + key + value);
    setKey(doc, section, key, value);
    WriteFileAtomically(path, serialize(doc));
}

void ProfileFile::update(const QString& path, const QString& section,
                         const QList<KeyChange>& changes)
{
    for (const KeyChange& change : changes)
        requireWritableText(path, section, change.key, change.value.value_or(QString()));
    Document doc = load(path);
    if (!doc.exists)
        throw NorvaleError(ErrorNumber::FileNotFound,
                           QStringLiteral("File not found: %1").arg(QDir::toNativeSeparators(path)),
                           kSource);
    const QByteArray before = serialize(doc);
    for (const KeyChange& change : changes) {
        if (change.value) {
            requireEncodable(path, doc, section + change.key + *change.value);
            setKey(doc, section, change.key, *change.value);
        } else {
            removeKey(doc, section, change.key);
        }
    }
    const QByteArray after = serialize(doc);
    if (after == before)
        return;
    requireWritable(path, doc);
    WriteFileAtomically(path, after);
}

bool ProfileFile::writeIfStill(const QString& path, const QString& section, const QString& key,
                               const QString& expected, const QString& value)
{
    requireWritableText(path, section, key, value);
    Document doc = load(path);
    if (!doc.exists || valueIn(doc, section, key).value_or(QString()) != expected)
        return false;
    requireWritable(path, doc);
    requireEncodable(path, doc, section + key + value);
    setKey(doc, section, key, value);
    WriteFileAtomically(path, serialize(doc));
    return true;
}

void ProfileFile::deleteSection(const QString& path, const QString& section)
{
    Document doc = load(path);
    if (!doc.exists)
        return;
    bool removed = false;
    for (qsizetype header = findSection(doc, section); header >= 0;
         header = findSection(doc, section)) {
        doc.lines.remove(header, sectionEnd(doc, header) - header);
        removed = true;
    }
    if (!removed)
        return;
    requireWritable(path, doc);
    WriteFileAtomically(path, serialize(doc));
}

} // namespace norvale
