#pragma once

#include <QString>

namespace norvale {

// Asks the user which browser profile's bookmarks to open; the profile's
// key ("firefox:default-esr"), or "" when none was chosen or none is there.
class BrowserProfileChooser {
public:
    virtual ~BrowserProfileChooser() = default;
    virtual QString chooseBrowserProfile() = 0;
};

} // namespace norvale
