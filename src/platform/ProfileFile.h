#pragma once

#include <memory>
#include <optional>
#include <QList>
#include <QString>

namespace norvale {

// Reads and writes keys of profile (INI) files such as Internet Shortcuts,
// as the Windows profile functions do: section and key names match without
// regard to case, names and values are trimmed, a value in matching quotes
// loses them, the first of duplicate sections or keys wins, and a read keeps
// at most `limit` characters. Writes touch only the lines they must; every
// other byte of the file, line ends included, stays as it was. The file is
// read afresh on every call and replaced atomically on every write.
//
// Values read as UTF-8 when they are valid UTF-8, else as Windows-1252; we
// write UTF-8. UTF-16 files (with or without a byte-order mark) are read and
// written back as UTF-16.
class ProfileFile {
public:
    // No limit on the characters kept.
    static constexpr int kWhole = -1;
    // Far above any real shortcut file; a larger file is malformed and is
    // neither read nor written.
    static constexpr qint64 kMostBytes = qint64(64) * 1024;

    // Throws NorvaleError (321) when path is not a file that can be read as
    // a profile file: not a regular file, or larger than kMostBytes. A
    // missing file passes (it reads as all defaults).
    static void check(const QString& path);

    // One reading of a file for several values: the file is read once, when
    // readAll() is called, and each value comes as read() would give it. One
    // made without reading gives every default.
    class Reading {
    public:
        QString value(const QString& section, const QString& key, const QString& defaultValue,
                      int limit = kWhole) const;

    private:
        friend class ProfileFile;
        struct Contents;
        std::shared_ptr<const Contents> m_contents;
    };
    // Throws as check() does; a missing file reads as all defaults.
    static Reading readAll(const QString& path);

    // The value, or defaultValue when the file, section or key is absent or
    // the file cannot be read.
    static QString read(const QString& path, const QString& section, const QString& key,
                        const QString& defaultValue, int limit = kWhole);
    // Creates the file, section or key as needed. Throws NorvaleError when
    // the file is read-only, cannot be read, or cannot be replaced, and for a
    // value holding a line break or NUL (which would add lines to the file).
    static void write(const QString& path, const QString& section, const QString& key,
                      const QString& value);
    // Sets the key only while the file is there and the key still reads as
    // `expected` (as read() gives it, "" when absent): another program may
    // have changed or deleted the file since it was read. False, and
    // nothing written, otherwise.
    static bool writeIfStill(const QString& path, const QString& section, const QString& key,
                             const QString& expected, const QString& value);
    // One key to set to a value, or to remove (no value).
    struct KeyChange {
        QString key;
        std::optional<QString> value;
    };
    // Sets and removes keys of one section in a single replace of the file,
    // and writes nothing when nothing changes. Never creates the file: a
    // missing one throws NorvaleError (53). A section that loses its last
    // key loses its header too, so that keys added and then removed leave
    // the file as it was.
    static void update(const QString& path, const QString& section,
                       const QList<KeyChange>& changes);
    // Removes every section of that name with all its lines.
    static void deleteSection(const QString& path, const QString& section);
};

} // namespace norvale
