#pragma once

#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserSaver.h"
#include "browsers/BrowserStaging.h"
#include "checker/UnattendedReport.h"

#include <memory>
#include <QList>
#include <QString>

namespace norvale {

class FileSystem;
class MessageBoxes;
class StatusBarModel;
class WindowFrame;

// The window on a browser profile's bookmarks: they are laid out as
// favorites in a folder of this profile's own beside the program's data,
// the window works there as on the Favorites folder, and what it changed
// is carried back into the browser's file.
class BrowserSession {
public:
    BrowserSession(BrowserProfile profile, const FileSystem& fs);

    // The profile's own folder, standing for the program's folder: its
    // Dead Favorites are the profile's "Dead Bookmarks".
    QString programFolder() const { return m_folder; }
    QString favoritesPath() const { return m_staging.favoritesPath(); }
    QString windowTitle() const;
    // "Firefox (default-esr)": the tree's root.
    QString rootText() const;

    // Lays the bookmarks out; "" or why it could not.
    QString prepare(bool deadApart);
    // Starts carrying changes back while the window runs (unattended: only
    // at the end).
    void start(std::function<bool()> busy, StatusBarModel& status, WindowFrame* frame,
               bool unattended);
    bool mayClose(MessageBoxes& boxes);

    // After an unattended run: writes what it changed, prints what was
    // written or why not, and makes the report entries say so.
    void finishUnattended(QList<ReportEntry>& entries);

private:
    BrowserProfile m_profile;
    QString m_folder;
    BrowserStaging m_staging;
    std::unique_ptr<BrowserSaver> m_saver;
};

} // namespace norvale
