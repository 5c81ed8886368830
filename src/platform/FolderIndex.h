#pragma once

#include <ctime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace norvale {

// The names in folders, for looking them up without regard to letter case
// without listing a whole folder each time. A folder is listed once; its
// list is kept while the folder's modification time stays as it was, and
// the program's own changes (noteAdded, noteRemoved) keep it current.
// Used on the window's thread only.
class FolderIndex {
public:
    static FolderIndex& shared();

    // The names of every entry in folder (files, folders, links, dangling
    // or not) that equal name without regard to case: the one that matches
    // name most closely first (the exact name, when there is one). Empty
    // when the folder cannot be listed.
    QStringList namesLike(const QString& folder, const QString& name);

    // The program has made, or taken away, the entry name in folder.
    void noteAdded(const QString& folder, const QString& name);
    void noteRemoved(const QString& folder, const QString& name);

private:
    struct Listing {
        timespec modified{};
        QHash<QString, QStringList> byFolded;
    };
    Listing* current(const QString& folder);
    void refreshStamp(const QString& folder, Listing& listing);

    QHash<QString, Listing> m_folders;
};

} // namespace norvale
