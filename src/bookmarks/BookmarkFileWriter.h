#pragma once

#include "BookmarkItem.h"

#include <QByteArray>

namespace norvale {

// The bookmark file of the items, in UTF-8, as browsers import it.
QByteArray WriteBookmarkFile(const BookmarkList& items);

} // namespace norvale
