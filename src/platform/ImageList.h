#pragma once

#include <QString>
#include <QStringList>

namespace norvale {

// The program's one image list: 33 keyed 16 x 16 images, by key or by
// position (counted from 1). This is the key <-> position map; the pictures
// themselves belong to the window side.
class ImageList {
public:
    ImageList();

    static const QStringList& keys();
    int count() const { return static_cast<int>(keys().size()); }
    // Position of the key, 0 when the list has no such key.
    int position(const QString& key) const;
    QString key(int position) const;
};

} // namespace norvale
