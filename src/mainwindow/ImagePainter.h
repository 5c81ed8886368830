#pragma once

#include <QIcon>
#include <QVector>

namespace norvale {

class ImageList;

// The pictures of the image list, one icon per position (index 0 unused).
QVector<QIcon> PaintImages(const ImageList& images);

} // namespace norvale
