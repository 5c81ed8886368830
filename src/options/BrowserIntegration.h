#pragma once

#include <QString>

namespace norvale {

// The browser's extension registration: a key per extension under the
// current user's "Microsoft\Internet Explorer\Extensions", whose values name
// the caption, the icons, the kind of extension and the program to run.
namespace BrowserExtension {
inline const QString ExtensionsKey = QStringLiteral("Microsoft\\Internet Explorer\\Extensions");
inline const QString ToolbarButtonId = QStringLiteral("{7A3E5C21-4B9D-4F08-A1C6-5D2E8B9F0A34}");
inline const QString ToolsMenuEntryId = QStringLiteral("{C4D8E2F1-6A7B-4C3D-9E8F-1A2B3C4D5E6F}");
// The browser's class for extensions that run a program. The two extensions
// write it with a different letter case in "11D2"; both spellings are kept.
inline const QString RunProgramClassToolbar =
    QStringLiteral("{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
inline const QString RunProgramClassToolsMenu =
    QStringLiteral("{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}");
inline const QString Caption = QStringLiteral("Brimwick Norvale");
inline const QString IconFileName = QStringLiteral("checkmrk.ico");
} // namespace BrowserExtension

// The values of the program's own key that record what is installed.
namespace IntegrationValues {
inline const QString ToolbarSetting = QStringLiteral("IEToolbar");
inline const QString ToolsMenuSetting = QStringLiteral("IEToolMenu");
inline const QString ToolbarId = QStringLiteral("ToolMenubarGUID");
inline const QString ToolsMenuId = QStringLiteral("ToolMenuGUID");
} // namespace IntegrationValues

// Adds Norvale to the browser's toolbar and Tools menu, or takes it away.
// Whether to act is decided from the stored "IEToolbar" and "IEToolMenu"
// values, which the program writes only at exit: they describe what was
// installed when the program last ended, not changes made since in this run.
// Each call opens the store for itself; a failing store write throws
// NorvaleError and ends the call at that point.
class BrowserIntegration {
public:
    // storePath: the settings store file; programFolder: where the button's
    // icon lies; executablePath: the running program, which the browser
    // starts.
    BrowserIntegration(QString storePath, QString programFolder, QString executablePath);

    // Add: only when the stored "IEToolbar" reads as the number 0 (absent
    // counts as "0"). Remove: only when it is exactly the text "1".
    void SetToolbarButton(bool add) const;
    // Add: only when the stored "IEToolMenu" is exactly the text "0" (absent
    // counts as "0"). Remove: only when it is exactly the text "1".
    void SetToolsMenuEntry(bool add) const;

    // The program folder's check-mark icon that the button shows.
    QString iconPath() const;
    // The program the browser runs: its folder and its name without
    // extension, with ".exe" where programs carry that extension.
    QString execPath() const;

private:
    QString m_storePath;
    QString m_programFolder;
    QString m_executablePath;
};

} // namespace norvale
