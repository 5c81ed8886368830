#pragma once

#include <QString>
#include <QStringList>

namespace norvale {

// The images of the program's image list, in list order: each one's value
// is its position (counted from 1).
enum class ImageKey {
    None = 0, // no image
    Copy = 1,
    Cut,
    Paste,
    Delete,
    Find,
    Properties,
    CheckAll,
    CheckOne,
    CheckDir,
    Stop,
    Launch,
    Refresh,
    Info,
    IeLogo,
    Folder,
    OpenFolder,
    GreenDot,
    GrayDot,
    NewGreenDot,
    RedDot,
    BlackDot,
    YellowDot,
    YellowResult,
    RedResult,
    GreenCheck,
    GreenNew,
    Tombstone,
    FileExit,
    NewFolder,
    Options,
    Print,
    Rename,
    Sync,
};

// The program's one image list: 33 keyed 16 x 16 images, by key or by
// position (counted from 1). This is the key <-> position map; the pictures
// themselves belong to the window side.
class ImageList {
public:
    ImageList();

    // The list's text keys, in order: what command tables and stored
    // files name the images by.
    static const QStringList& keys();
    int count() const { return static_cast<int>(keys().size()); }
    static constexpr int position(ImageKey key) { return static_cast<int>(key); }
    // Position of the text key, 0 when the list has no such key.
    int position(const QString& key) const;
    QString key(int position) const;
};

} // namespace norvale
