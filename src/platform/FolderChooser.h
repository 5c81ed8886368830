#pragma once

#include <QString>

namespace norvale {

// Asks the user to pick a folder; an empty answer means nothing was chosen.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    virtual QString chooseFolder(const QString& caption) = 0;
};

} // namespace norvale
