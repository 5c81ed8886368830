#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace norvale {

// The two ways browsers keep bookmarks: Firefox's places.sqlite, and the
// Bookmarks JSON file of Chromium and the browsers built on it.
enum class BrowserFamily { Firefox, Chromium };

// One browser profile whose bookmarks can be read.
struct BrowserProfile {
    BrowserFamily family = BrowserFamily::Firefox;
    QString browser;     // the short name the command line takes: firefox, chromium, brave...
    QString browserName; // as people know it: "Firefox", "Google Chrome"
    QString name;        // Firefox's profile name, or Chromium's folder ("Default", "Profile 1")
    QString folder;      // the profile's folder
    bool isDefault = false;

    // places.sqlite or Bookmarks inside the folder.
    QString storeFile() const;
    // "firefox:default-esr": what --browser takes to pick this profile.
    QString key() const { return browser + QLatin1Char(':') + name; }
};

// A folder or bookmark of a browser's tree, under the browser's own id
// (Firefox's row id, Chromium's "id"), so a change finds it again.
struct BrowserNode {
    bool isFolder = false;
    QString id;
    QString title;
    QString url; // bookmarks only
    QList<BrowserNode> children;
};

// The roots as the browser shows them ("Bookmarks Toolbar", "Other
// Bookmarks", ...), each a folder; what lies outside them (Firefox's tags)
// is not part of the tree.
struct BrowserTree {
    QList<BrowserNode> roots;
    // The id of the root that "Dead Bookmarks" goes into: Firefox's unfiled
    // folder, Chromium's "other".
    QString otherBookmarksId;
};

inline const QString kDeadBookmarksFolder = QStringLiteral("Dead Bookmarks");

// One change of the tree, by the browser's ids. A list of them is made in
// order: a change may name as parent a folder an earlier AddFolder made,
// by that change's `id` (a reference such as "new:3", never a browser id).
struct BookmarkChange {
    enum class Kind {
        SetUrl,      // the page moved for good: value is the new address
        SetTitle,    // a bookmark's or folder's new name: value
        Move,        // a bookmark or folder to the end of folder `parent`
        Remove,      // a bookmark, or a folder with everything it still holds
        AddBookmark, // at the end of `parent`: title value, address url; id is a reference
        AddFolder,   // at the end of `parent`: title value; id is a reference
    };
    Kind kind = Kind::SetUrl;
    QString id;
    QString value;
    QString parent{}; // Move, AddBookmark, AddFolder
    QString url{};    // AddBookmark
};

// The browser ids the items an AddBookmark or AddFolder made were given,
// by the change's reference.
using AddedIds = QHash<QString, QString>;

int CountBookmarks(const BrowserTree& tree);
// Every folder and bookmark of the tree by its id.
QHash<QString, const BrowserNode*> BrowserNodesById(const BrowserTree& tree);

} // namespace norvale
