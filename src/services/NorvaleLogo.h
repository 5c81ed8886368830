#pragma once

#include <QPixmap>

namespace norvale {

// The program's logo, drawn at size x size pixels: a folder with a star and
// a green tick on a blue tile.
QPixmap DrawNorvaleLogo(int size = 64);

} // namespace norvale
