#pragma once

#include "FailureHistory.h"

#include <functional>
#include <QString>

namespace norvale {

class FileSystem;
class IconDownloader;
class NorvaleError;
class TreeControl;
class TreeNode;
struct AppSettings;

// Sections and keys of a favorite's Internet Shortcut file.
namespace ShortcutKeys {
inline const QString Standard = QStringLiteral("InternetShortcut");
inline const QString Private = QStringLiteral("Brimwick");
inline const QString Url = QStringLiteral("URL");
inline const QString IconFile = QStringLiteral("IconFile");
inline const QString IconIndex = QStringLiteral("IconIndex");
inline const QString Timeout = QStringLiteral("Timeout");
inline const QString Rename = QStringLiteral("Rename");
inline const QString Bypass = QStringLiteral("Bypass");
inline const QString ShowNew = QStringLiteral("ShowNew");
// The favorite's failure history: the day its checks began to fail
// (yyyy-MM-dd) and how many in a row did.
inline const QString FailingSince = QStringLiteral("FailingSince");
inline const QString Failures = QStringLiteral("Failures");
} // namespace ShortcutKeys

// Characters kept when a key is read.
namespace ReadLimits {
// An address is read whole: the file's own size limit bounds it.
constexpr int Url = 64 * 1024;
constexpr int IconFile = 511;
constexpr int Timeout = 4;
constexpr int Rename = 2;
constexpr int Bypass = 1;
constexpr int FailingSince = 10;
constexpr int Failures = 6;
} // namespace ReadLimits

// The longest address a check writes into a favorite (a redirect's target):
// the longest that every browser takes.
constexpr int kMostWrittenAddress = 2083;

// A new favorite's file as the New Favorite dialog writes it: the standard
// section with the address, CRLF line ends.
QByteArray NewShortcutBytes(const QString& url);

// The check settings of the favorite being checked.
struct CurrentLinkSettings {
    int Timeout = 0;              // milliseconds, as read (at most four digits)
    bool Rename = false;          // may rename to the page title and follow redirects
    bool Bypass = false;          // skipped by checks
    bool OwnTimeout = false;      // differs from the program-wide time-out
    bool TimeoutFromFile = false; // set by the favorite's own key, not the program's value
    FailureHistory History;       // as the file held it when read
};

// What the details pane shows of the selected favorite.
struct LinkInfo {
    QString Name;
    QString URL;
    bool Rename = false;
    bool Bypass = false;
    FailureHistory History;
};

// Reading and writing a favorite's own file. Nothing is cached: every call
// goes to the file. Reads for a check throw NorvaleError for a file that
// cannot be read or is malformed (not a regular file, or too large); the
// other reads give the defaults for it. Writes throw NorvaleError when the
// file was not changed.
class ShortcutFile {
public:
    ShortcutFile(const AppSettings& settings, const FileSystem& fs, QString programFolder,
                 IconDownloader* downloader);

    // The favorite's file in folderPath (see FavoriteFilePath).
    QString pathFor(const QString& folderPath, const TreeNode* favorite) const;

    // Reads the address and fills the current link settings; with icons
    // preserved, also brings a web icon home first.
    QString ReadLinkSettings(const QString& folderPath, const TreeNode* favorite,
                             CurrentLinkSettings& current);
    // The address and check settings of the file at path, read only: no
    // icon is fetched and nothing is written.
    QString ReadCheckSettings(const QString& path, CurrentLinkSettings& current) const;
    // The summary of the tree's selected favorite.
    LinkInfo GetLinkInfo(const TreeControl& tree) const;
    QString ReadIconFile(const QString& path) const;

    void WriteUrl(const QString& path, const QString& url) const;
    // Writes the address only while the file still holds `expected`; false
    // when it was deleted or given another address meanwhile.
    bool ReplaceUrl(const QString& path, const QString& expected, const QString& url) const;
    // The address the file holds now, "" when it has none or is gone.
    QString ReadUrl(const QString& path) const;
    // Never creates the file.
    void WriteIcon(const QString& path, const QString& localIconPath) const;
    // Writes the history, or removes it when there is none; never creates
    // the file (a favorite deleted meanwhile stays deleted).
    void WriteFailureHistory(const QString& path, const FailureHistory& history) const;
    // Removes the private section: all private keys return to their defaults.
    void ResetPrivateSettings(const QString& path) const;

    // Told when a downloaded icon could not be written into a favorite (the
    // favorite is read all the same).
    void setIconWriteFailureReporter(std::function<void(const NorvaleError&)> report)
    {
        m_reportIconWriteFailure = std::move(report);
    }

private:
    void preserveIcon(const QString& path);

    const AppSettings& m_settings;
    const FileSystem& m_fs;
    QString m_programFolder;
    IconDownloader* m_downloader;
    std::function<void(const NorvaleError&)> m_reportIconWriteFailure;
};

} // namespace norvale
