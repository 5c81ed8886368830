#pragma once

#include "BrowserBookmarks.h"

#include <optional>
#include <QList>
#include <QString>

namespace norvale {

// The browser profiles under home that hold bookmarks: Firefox's through
// each profiles.ini (the usual one, Flatpak's and Snap's), the Chromium
// family's through each browser's configuration folder (Default and
// "Profile N"). Folders that do not exist are passed over.
QList<BrowserProfile> DiscoverBrowserProfiles(const QString& home);

// The profile that "NAME[:PROFILE]" names (as written, else in any letter
// case), or whose folder `wanted` is; without a PROFILE the browser's
// default one, else its first. Nothing, and why in error, when none
// matches or the name fits more than one profile.
std::optional<BrowserProfile> FindBrowserProfile(const QList<BrowserProfile>& profiles,
                                                 const QString& wanted, QString& error);

// Why the profile's browser is taken to be running (its profile lock is
// held), or "" when it is not: only then may its bookmarks be written. A
// lock held from another machine counts as held.
QString BrowserRunningReason(const BrowserProfile& profile);

} // namespace norvale
