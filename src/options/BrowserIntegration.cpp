#include "BrowserIntegration.h"

#include "CheckmarkIcon.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "shell/SettingsStore.h"

#include <QFileInfo>

namespace norvale {

namespace {

const QString kOne = QStringLiteral("1");
const QString kZero = QStringLiteral("0");

QString storedInstallState(const RegistryStore& store, const QString& name)
{
    return store.GetSetting(StoreKeys::Company, StoreKeys::Product, name, kZero);
}

// The toolbar's add test compares numbers: "0", "00" or " 0 " all pass;
// a text that is no number does not.
bool isNumberZero(const QString& text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    return ok && number == 0;
}

void saveExtensionValue(RegistryStore& store, const QString& id, const QString& name,
                        const QString& value)
{
    store.SaveSetting(BrowserExtension::ExtensionsKey, id, name, value);
}

void removeInstall(RegistryStore& store, const QString& id, const QString& idValue,
                   const QString& setting)
{
    store.DeleteSetting(BrowserExtension::ExtensionsKey, id, QString());
    store.DeleteSetting(StoreKeys::Company, StoreKeys::Product, idValue);
    store.DeleteSetting(StoreKeys::Company, StoreKeys::Product, setting);
}

} // namespace

BrowserIntegration::BrowserIntegration(QString storePath, QString programFolder,
                                       QString executablePath)
    : m_storePath(std::move(storePath))
    , m_programFolder(std::move(programFolder))
    , m_executablePath(std::move(executablePath))
{}

QString BrowserIntegration::iconPath() const
{
    return FileSystem::join(m_programFolder, BrowserExtension::IconFileName);
}

QString BrowserIntegration::execPath() const
{
    const QFileInfo program(m_executablePath);
#ifdef Q_OS_WIN
    return FileSystem::join(program.absolutePath(),
                            program.completeBaseName() + QStringLiteral(".exe"));
#else
    return FileSystem::join(program.absolutePath(), program.fileName());
#endif
}

void BrowserIntegration::SetToolbarButton(bool add) const
{
    RegistryStore store = OpenStore(m_storePath);
    const QString installed = storedInstallState(store, IntegrationValues::ToolbarSetting);
    const QString& id = BrowserExtension::ToolbarButtonId;
    if (add) {
        // The button's picture is best effort: the browser shows a blank
        // button without it, which is no reason to leave the button out.
        InstallCheckmarkIcon(iconPath());
        if (!isNumberZero(installed))
            return;
        saveExtensionValue(store, id, QStringLiteral("Default Visible"), QStringLiteral("Yes"));
        saveExtensionValue(store, id, QStringLiteral("ButtonText"), BrowserExtension::Caption);
        saveExtensionValue(store, id, QStringLiteral("HotIcon"), iconPath());
        saveExtensionValue(store, id, QStringLiteral("Icon"), iconPath());
        saveExtensionValue(store, id, QStringLiteral("CLSID"),
                           BrowserExtension::RunProgramClassToolbar);
        saveExtensionValue(store, id, QStringLiteral("Exec"), execPath());
        store.SaveSetting(StoreKeys::Company, StoreKeys::Product, IntegrationValues::ToolbarId, id);
    } else if (installed == kOne) {
        removeInstall(store, id, IntegrationValues::ToolbarId, IntegrationValues::ToolbarSetting);
    }
}

void BrowserIntegration::SetToolsMenuEntry(bool add) const
{
    RegistryStore store = OpenStore(m_storePath);
    const QString installed = storedInstallState(store, IntegrationValues::ToolsMenuSetting);
    const QString& id = BrowserExtension::ToolsMenuEntryId;
    if (add) {
        if (installed != kZero)
            return;
        saveExtensionValue(store, id, QStringLiteral("MenuCustomize"), QStringLiteral("Tools"));
        saveExtensionValue(store, id, QStringLiteral("CLSID"),
                           BrowserExtension::RunProgramClassToolsMenu);
        saveExtensionValue(store, id, QStringLiteral("MenuText"), BrowserExtension::Caption);
        saveExtensionValue(store, id, QStringLiteral("MenuStatusBar"),
                           QStringLiteral("Run Brimwick Norvale"));
        saveExtensionValue(store, id, QStringLiteral("Exec"), execPath());
        store.SaveSetting(StoreKeys::Company, StoreKeys::Product, IntegrationValues::ToolsMenuId,
                          id);
    } else if (installed == kOne) {
        removeInstall(store, id, IntegrationValues::ToolsMenuId,
                      IntegrationValues::ToolsMenuSetting);
    }
}

} // namespace norvale
