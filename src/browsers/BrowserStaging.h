#pragma once

#include "BrowserBookmarks.h"
#include "platform/ProfileFile.h"

#include <functional>
#include <QHash>
#include <QList>
#include <QString>

namespace norvale {

class FileSystem;

// A profile's bookmarks laid out as a folder of favorites, so that the
// window, the checks and the edits work on them as on the Favorites folder;
// what was done there reads back as the bookmark changes to write.
//
// Each favorite carries its bookmark's id in a section of its own, and each
// folder in a hidden file, so that the id travels with a cut, a paste or a
// rename. A copy carries it too: of two items with one id, the one still
// in its old folder keeps it and the other is new.
class BrowserStaging {
public:
    // folder: this profile's own; it holds the two below and nothing else.
    BrowserStaging(const FileSystem& fs, QString folder);

    // The folder the tree shows: one subfolder for each of the browser's
    // roots ("Bookmarks Toolbar", "Other Bookmarks", ...).
    QString favoritesPath() const;
    // Where dead favorites go: the profile's "Dead Bookmarks" folder.
    QString deadPath() const;

    // Lays the tree out anew, over whatever an earlier session left; a
    // favorite's own settings (rename, skip, time-out) and check history
    // from then are kept. With deadApart, the
    // "Dead Bookmarks" folder of Other Bookmarks is laid out in deadPath()
    // rather than in the tree. Throws NorvaleError when it cannot.
    void layOut(const BrowserTree& tree, bool deadApart);

    // What the folders now hold against the tree as laid out or last
    // saved, in an order the browser can apply them in. Throws NorvaleError
    // while any of them cannot be read.
    QList<BookmarkChange> changes() const;

    // Why the changes no longer fit what the browser holds now ("" when
    // they do): an item they name is gone, or has become another (a new
    // bookmark given an old id, an address changed in the browser).
    QString conflictWith(const BrowserTree& now, const QList<BookmarkChange>& changes) const;

    // After the changes were written: the added items get their new ids,
    // and what the folders hold becomes what is saved.
    void saved(const QList<BookmarkChange>& written, const AddedIds& ids);

    // The name an item has in the folders, by id or by the reference of
    // the last changes() that adds it.
    QString nameOf(const QString& id) const;

    // The section and key of a favorite's bookmark id.
    static const QString kSection;
    static const QString kIdKey;
    // The hidden file in each folder that holds the folder's id.
    static const QString kFolderIdFile;

    // One item as the folders hold it.
    struct Item {
        QString id; // the browser's; "" when it has none (new)
        bool isFolder = false;
        QString name; // its file or folder name (without ".url")
        QString url;
        QString parent;     // the parent's id as its folder holds it, or kDeadParent / kTopParent
        QString parentPath; // the parent's folder, or kDeadParent / kTopParent
        QString path;       // the file, or the folder
    };
    static const QString kDeadParent; // in deadPath()
    static const QString kTopParent;  // directly in favoritesPath()

private:
    // Each favorite's file is read once; `read`, when given, sees it too.
    using FileReader = std::function<void(const Item&, const ProfileFile::Reading&)>;
    QList<Item> scan(const FileReader& read = {}) const;
    void scanFolder(const QString& path, const QString& parent, const QString& parentPath,
                    QList<Item>& items, const FileReader& read) const;
    QString deadFolderIn(const QHash<QString, Item>& base) const;

    const FileSystem& m_fs;
    QString m_folder;
    QHash<QString, Item> m_base; // by id: what is saved
    QString m_otherBookmarksId;
    QString m_deadFolderId; // the folder deadPath() stands for; "" when none yet
    QStringList m_rootIds;
    // The references of the last changes() to the files and folders they add.
    mutable QHash<QString, QString> m_addedPaths;
};

} // namespace norvale
