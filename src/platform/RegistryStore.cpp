#include "RegistryStore.h"

#include "AtomicFile.h"
#include "NorvaleError.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <algorithm>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("RegistryStore");
const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
// Far above what the program's settings take; a larger file is not ours.
constexpr qint64 kMostBytes = qint64(16) * 1024 * 1024;

QString rootName(RegistryRoot root)
{
    return root == RegistryRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                              : QStringLiteral("HKEY_CURRENT_USER");
}

bool samePath(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isBelow(const QString& path, const QString& key)
{
    return path.size() > key.size() && path.startsWith(key, Qt::CaseInsensitive) &&
           path.at(key.size()) == QLatin1Char('\\');
}

// Reads a "quoted" string with \\ and \" escapes starting at pos; advances pos
// past the closing quote. Returns nullopt when the text is not such a string.
std::optional<QString> readQuoted(const QString& line, qsizetype& pos)
{
    if (pos >= line.size() || line.at(pos) != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == QLatin1Char('"')) {
            ++pos;
            return out;
        }
        if (c == QLatin1Char('\\') && pos + 1 < line.size())
            ++pos;
        out.append(line.at(pos));
    }
    return std::nullopt;
}

QString quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// A string value whose every character reads back from a quoted one: no
// line breaks or other controls but the tab, no lone surrogate (UTF-8 has
// none). The others are written as the export format's hex(1) string, its
// UTF-16 bytes and a closing NUL.
QString storedValue(const QString& value)
{
    const bool plain = std::none_of(value.cbegin(), value.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f;
    });
    if (plain && !HasLoneSurrogate(value))
        return quoted(value);
    const QByteArray bytes = ToUtf16Units(value, false) + QByteArray(2, '\0');
    QStringList hex;
    for (const char byte : bytes)
        hex.append(QStringLiteral("%1").arg(uchar(byte), 2, 16, QLatin1Char('0')));
    return QStringLiteral("hex(1):") + hex.join(QLatin1Char(','));
}

// The text of a hex(1) value as storedValue writes it; nothing for any
// other text.
std::optional<QString> fromHexString(const QString& text)
{
    static const QLatin1String prefix("hex(1):");
    if (!text.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    QByteArray bytes;
    for (const QString& hex : text.mid(prefix.size()).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint byte = hex.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xff)
            return std::nullopt;
        bytes += char(byte);
    }
    QString value = FromUtf16Units(bytes, false);
    if (value.endsWith(QChar(0)))
        value.chop(1);
    return value;
}

// A key path or value name that reads back as written: no controls (a line
// break would end its line) and no lone surrogate.
bool namesReadBack(const QString& path, const QString& name)
{
    const QString both = path + name;
    return !HasLoneSurrogate(both) && std::none_of(both.cbegin(), both.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
}

// UTF-16 or UTF-8 by their byte-order marks, else UTF-8 when the bytes are
// valid UTF-8, else the Windows code page the older export format used.
QString decode(const QByteArray& bytes)
{
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(bytes);
    }
    return DecodeUtf8OrWindows1252(bytes);
}

} // namespace

RegistryStore::RegistryStore(QString filePath)
    : m_filePath(std::move(filePath))
{
    load();
}

QString RegistryStore::defaultFilePath()
{
    QString fromEnvironment = qEnvironmentVariable("NORVALE_REGISTRY");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/norvale/registry.reg");
}

QString RegistryStore::storedForm(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDateTime:
        return value.toDateTime().toString(dateFormat());
    case QMetaType::Float:
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 9);
    default:
        return value.toString();
    }
}

void RegistryStore::load()
{
    try {
        parse(decode(ReadRegularFile(m_filePath, kMostBytes)));
    } catch (const NorvaleError& error) {
        // Never overwrite a file we could not read: it may hold settings.
        m_loadFailed = error.number() != ErrorNumber::FileNotFound;
    }
}

void RegistryStore::parse(const QString& text)
{
    // Lines end in CR LF, LF or a CR alone; new lines take the file's own.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    if (const QRegularExpressionMatch first = lineEnd.match(text); first.hasMatch())
        m_lineEnd = first.captured();
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    Block* current = nullptr;
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        Line entry;
        entry.raw = line;
        if (m_header.isEmpty() && !current &&
            (trimmed == kHeader || trimmed == QLatin1String("REGEDIT4"))) {
            m_header = trimmed;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')) &&
            !trimmed.startsWith(QLatin1String("[-"))) {
            m_blocks.push_back(Block{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            current = &m_blocks.back();
            continue;
        }
        const bool quiet = trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'));
        if (!quiet && current) {
            qsizetype pos = line.indexOf(QLatin1Char('"'));
            const auto name = pos >= 0 ? readQuoted(line, pos) : std::nullopt;
            while (name && pos < line.size() && line.at(pos).isSpace())
                ++pos;
            if (name && pos < line.size() && line.at(pos) == QLatin1Char('=')) {
                ++pos;
                const QString rest = line.mid(pos).trimmed();
                qsizetype valuePos = 0;
                std::optional<QString> value = readQuoted(rest, valuePos);
                if (value && rest.mid(valuePos).trimmed().isEmpty()) {
                    entry.isValue = true;
                } else if (const auto hex = fromHexString(rest)) {
                    value = hex;
                    entry.isValue = true;
                } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
                    bool ok = false;
                    const quint32 number = rest.mid(6).trimmed().toUInt(&ok, 16);
                    if (ok) {
                        value = QString::number(number);
                        entry.isValue = true;
                    }
                }
                if (entry.isValue) {
                    entry.name = *name;
                    entry.value = *value;
                }
            }
        }
        if (!quiet && !entry.isValue)
            m_unparsed.append(line);
        (current ? current->lines : m_preamble).push_back(entry);
    }
}

QString RegistryStore::keyPath(const QString& section1, const QString& section2) const
{
    QString path =
        rootName(m_root) + QLatin1Char('\\') + m_basePath + section1 + QLatin1Char('\\') + section2;
    while (path.contains(QLatin1String("\\\\")))
        path.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

std::optional<QString> RegistryStore::value(const QString& section1, const QString& section2,
                                            const QString& name) const
{
    const QString path = keyPath(section1, section2);
    for (const Block& block : m_blocks) {
        if (!samePath(block.path, path))
            continue;
        for (const Line& line : block.lines) {
            if (line.isValue && samePath(line.name, name))
                return line.value;
        }
    }
    return std::nullopt;
}

QString RegistryStore::GetSetting(const QString& section1, const QString& section2,
                                  const QString& name, const QString& defaultValue) const
{
    return value(section1, section2, name).value_or(defaultValue);
}

RegistryStore::Block& RegistryStore::blockFor(const QString& path)
{
    for (Block& block : m_blocks) {
        if (samePath(block.path, path))
            return block;
    }
    m_blocks.push_back(Block{path, {}});
    return m_blocks.back();
}

void RegistryStore::SaveSetting(const QString& section1, const QString& section2,
                                const QString& name, const QVariant& value)
{
    const QString path = keyPath(section1, section2);
    const QString text = storedForm(value);
    if (!namesReadBack(path, name)) {
        throw NorvaleError(5,
                           QStringLiteral("Invalid procedure call or argument: a name with a "
                                          "control character cannot be stored in %1")
                               .arg(m_filePath),
                           kSource);
    }
    for (Block& block : m_blocks) {
        if (!samePath(block.path, path))
            continue;
        for (Line& line : block.lines) {
            if (line.isValue && samePath(line.name, name)) {
                line.value = text;
                save();
                return;
            }
        }
    }
    Block& block = blockFor(path);
    // New values go after the key's last value, before any trailing blank lines.
    auto insertAt = block.lines.end();
    while (insertAt != block.lines.begin() && !std::prev(insertAt)->isValue &&
           std::prev(insertAt)->raw.trimmed().isEmpty())
        --insertAt;
    Line line;
    line.isValue = true;
    line.name = name;
    line.value = text;
    block.lines.insert(insertAt, line);
    save();
}

void RegistryStore::DeleteSetting(const QString& section1, const QString& section2,
                                  const QString& name)
{
    const QString path = keyPath(section1, section2);
    if (name.isEmpty()) {
        std::erase_if(m_blocks, [&](const Block& block) {
            return samePath(block.path, path) || isBelow(block.path, path);
        });
    } else {
        for (Block& block : m_blocks) {
            if (samePath(block.path, path)) {
                std::erase_if(block.lines, [&](const Line& line) {
                    return line.isValue && samePath(line.name, name);
                });
            }
        }
    }
    save();
}

QString RegistryStore::serialize() const
{
    const QString& eol = m_lineEnd;
    QString out = (m_header.isEmpty() ? kHeader : m_header) + eol;
    auto writeLines = [&](const std::vector<Line>& lines) {
        for (const Line& line : lines)
            out += (line.isValue ? quoted(line.name) + QLatin1Char('=') + storedValue(line.value)
                                 : line.raw) +
                   eol;
    };
    writeLines(m_preamble);
    for (const Block& block : m_blocks) {
        if (!out.endsWith(eol + eol))
            out += eol;
        out += QLatin1Char('[') + block.path + QLatin1Char(']') + eol;
        writeLines(block.lines);
    }
    return out;
}

void RegistryStore::releaseWrites()
{
    if (m_held > 0 && --m_held == 0 && m_unsaved)
        save();
}

void RegistryStore::save() const
{
    if (m_held > 0) {
        m_unsaved = true;
        return;
    }
    m_unsaved = false;
    if (m_loadFailed) {
        throw NorvaleError(ErrorNumber::PathFileAccess,
                           QStringLiteral("The settings file %1 could not be read, so it is "
                                          "not overwritten")
                               .arg(m_filePath),
                           kSource);
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    WriteFileAtomically(m_filePath, serialize().toUtf8());
}

} // namespace norvale
