#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace norvale {

struct Subfolder {
    QString name;
    bool isSymLink = false;
};

// One folder's direct contents, each list sorted by name without regard to
// case (the order in which the favorites' home platform lists a folder).
struct FolderListing {
    QStringList files;
    std::vector<Subfolder> subfolders;
    // Entries whose names are not UTF-8 and so cannot be named by the
    // program, with their odd bytes %-escaped for a message.
    QStringList undecodable;
};

// The file-system service: every folder and file operation of the program
// goes through here. Failures throw NorvaleError with the numbers callers
// branch on: 53 file not found, 58 already exists, 70 permission denied,
// 76 path not found.
class FileSystem {
public:
    // Names only: nothing is opened and, where the file system says what an
    // entry is, nothing is stat'ed. Broken links and devices are left out.
    // Throws 76 for a missing folder, 70 for one that may not be read.
    FolderListing listFolder(const QString& path) const;

    bool folderExists(const QString& path) const;
    bool fileExists(const QString& path) const;

    // Throws 58 when the name is taken in any letter case.
    void makeFolder(const QString& path) const;
    // Throws 58 when the new name is taken in any letter case; never
    // replaces another entry.
    void rename(const QString& path, const QString& newName) const;
    // source may end in "*.*" for every file directly in its folder.
    void copyFile(const QString& source, const QString& destinationFolder, bool overwrite) const;
    // The folder with everything in it, replacing files already there.
    void copyFolder(const QString& source, const QString& destination) const;
    void moveFile(const QString& source, const QString& destination) const;
    void moveFolder(const QString& source, const QString& destination) const;
    // path may end in "*.*"; force also removes read-only files.
    void deleteFile(const QString& path, bool force) const;
    void deleteFolder(const QString& path, bool force) const;
    // To the desktop trash where there is one; false when there is none.
    bool moveToTrash(const QString& path) const;
    // Appends to a regular file, made when missing; anything else at path (a
    // FIFO, a device, a folder) throws 70 without waiting.
    void appendText(const QString& path, const QByteArray& bytes) const;

    // The real entry that path names: path itself when an entry has exactly
    // its name, else the entry whose name matches the last part without
    // regard to case (the closest such); path itself when none does.
    QString resolveCaseInsensitive(const QString& path) const;
    // True when an entry of folder (of any kind: a link, dangling or not,
    // included) has name without regard to letter case; `itself`, the path
    // of an item being renamed, does not count.
    bool nameTaken(const QString& folder, const QString& name,
                   const QString& itself = QString()) const;

    static QString join(const QString& folder, const QString& name);
};

} // namespace norvale
