#pragma once

#include <optional>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace norvale {

// The registry hives that the program uses, with their standard handle values.
enum class RegistryRoot : quint32 {
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

// A settings store kept in one text file in the Windows ".reg" export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Brimwick\Norvale]
//   "Timeout"="1000"
//
// Every value is written as a string; key paths and value names match without
// regard to case. Lines that cannot be understood are kept as they are (and
// reported through unparsedLines()), so a hand-edited file never loses data.
// Each change is saved at once and atomically. One instance is made per use.
class RegistryStore {
public:
    explicit RegistryStore(QString filePath);

    // NORVALE_REGISTRY, else $XDG_CONFIG_HOME/norvale/registry.reg.
    static QString defaultFilePath();
    // How a typed value is written: booleans "1"/"0", dates as ISO local time.
    static QString storedForm(const QVariant& value);
    static QString dateFormat() { return QStringLiteral("yyyy-MM-dd HH:mm:ss"); }

    void SetBasePath(const QString& basePath) { m_basePath = basePath; }
    void SetRootKey(RegistryRoot root) { m_root = root; }

    // The stored value, or defaultValue when the key or the value is absent.
    QString GetSetting(const QString& section1, const QString& section2, const QString& name,
                       const QString& defaultValue) const;
    // Throws NorvaleError when the file cannot be written, and (5) for a key
    // path or value name holding a control character, which could not be
    // read back. A value that a quoted string cannot carry is stored in hex.
    void SaveSetting(const QString& section1, const QString& section2, const QString& name,
                     const QVariant& value);
    // An empty name removes the whole key (and the keys below it).
    void DeleteSetting(const QString& section1, const QString& section2, const QString& name);

    // Between these two, changes are kept and written once, at the release
    // (which throws NorvaleError when that write fails).
    void holdWrites() { ++m_held; }
    void releaseWrites();

    // Absent and empty are different answers here.
    std::optional<QString> value(const QString& section1, const QString& section2,
                                 const QString& name) const;
    QStringList unparsedLines() const { return m_unparsed; }
    QString filePath() const { return m_filePath; }

private:
    struct Line {
        bool isValue = false;
        QString name;  // values only
        QString value; // values only
        QString raw;   // the original text, kept for lines that are not values
    };
    struct Block {
        QString path;
        std::vector<Line> lines;
    };

    void load();
    void parse(const QString& text);
    void save() const;
    QString serialize() const;
    QString keyPath(const QString& section1, const QString& section2) const;
    Block& blockFor(const QString& path);

    QString m_filePath;
    QString m_basePath;
    RegistryRoot m_root = RegistryRoot::CurrentUser;
    bool m_loadFailed = false;
    int m_held = 0;
    mutable bool m_unsaved = false;
    QString m_header;
    QString m_lineEnd = QStringLiteral("\r\n");
    std::vector<Line> m_preamble; // lines before the first key
    std::vector<Block> m_blocks;
    QStringList m_unparsed;
};

} // namespace norvale
