#pragma once

#include "favorites/IconDownloader.h"

#include <QDateTime>
#include <QString>

class QFile;

namespace norvale {

class Clock;
class FileSystem;
class TransferControl;

// Downloads a favorite's site icon through the transfer control into the
// "Icons" folder beside the program, named after the local time of the
// download. Only web addresses (http, https, ftp) are ever fetched.
class IconFetcher : public IconDownloader {
public:
    IconFetcher(TransferControl& control, const FileSystem& fs, const Clock& clock,
                QString programFolder);

    // The full path of the new icon file, or "" when the address is not a
    // web address, the answer is not 200 or 206, it gives no usable
    // Content-Length, or the body that came does not match it. A failed
    // download leaves no file behind; every download gets a file of its own.
    QString DownloadIcon(const QString& iconAddress) override;

    // The file name without folder and suffix: year, month, day, hour,
    // minute and second of the local time, each without leading zeros,
    // written one after the other.
    static QString TimeStampName(const QDateTime& localTime);

private:
    QString iconsFolder() const;
    // Creates and opens the next free file name for the current second,
    // making the Icons folder when it is missing.
    bool openNewIconFile(QFile& file) const;

    TransferControl& m_control;
    const FileSystem& m_fs;
    const Clock& m_clock;
    QString m_programFolder;
};

} // namespace norvale
