#include "OptionsForm.h"

#include "BrowserIntegration.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/TreeControl.h"
#include "shell/SettingsStore.h"
#include "StatusLightSwitch.h"

#include <algorithm>

namespace norvale {

namespace {

const QString kIconsFolder = QStringLiteral("Icons");

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

int clampTimeout(int value)
{
    return std::clamp(value, kTimeoutSliderMinimum, kTimeoutSliderMaximum);
}

// The browser integration boxes are offered from version 5 on. Only the first
// character counts, compared as text: "10.0" starts with "1" and is refused.
bool browserTakesExtensions(const QString& version)
{
    return version.left(1) >= QLatin1String("5");
}

// The part of a proxy host after its first ".", all of it without one.
QString bypassDomainOf(const QString& server)
{
    const qsizetype dot = server.indexOf(QLatin1Char('.'));
    return dot < 0 ? server : server.mid(dot + 1);
}

// One of the favorite's private entries as a number. An entry that is absent,
// empty or no number shows the fallback, as an absent one would.
int privateNumber(const QString& path, const QString& key, int fallback, int limit)
{
    const QString text =
        ProfileFile::read(path, ShortcutKeys::Private, key, QString::number(fallback), limit);
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? number : fallback;
}

} // namespace

OptionsForm::OptionsForm(OptionsContext& context)
    : m_context(context)
{
    box(Check::BypassProxy).enabled = false; // with the other proxy details
}

bool OptionsForm::pageOffered(int page) const
{
    return page >= 0 && page < PrefPage::Count && m_pageOffered[static_cast<size_t>(page)];
}

bool OptionsForm::textEnabled(TextBox box) const
{
    return (box != TextBox::Proxy && box != TextBox::Port) || m_proxyFieldsEnabled;
}

void OptionsForm::setCheck(Check which, bool checked)
{
    if (box(which).checked == checked)
        return;
    box(which).checked = checked;
    clicked(which);
}

void OptionsForm::ClickCheck(Check which, bool checked)
{
    if (box(which).enabled)
        setCheck(which, checked);
}

void OptionsForm::clicked(Check which)
{
    switch (which) {
    case Check::MoveDead:
        m_moveDeadTouched = true;
        box(Check::DeadInIE).enabled = check(Check::MoveDead).checked;
        if (!check(Check::DeadInIE).enabled)
            box(Check::DeadInIE).checked = false;
        break;
    case Check::DontCheck:
        box(Check::NameChange1).enabled = !check(Check::DontCheck).checked;
        break;
    default:
        break;
    }
}

void OptionsForm::SetTimeoutSlider(int index, int value)
{
    m_timeoutSlider.at(static_cast<size_t>(index)) = clampTimeout(value);
}

void OptionsForm::SetChecksAtOnce(int value)
{
    m_checksAtOnce = std::clamp(value, 1, kMostParallel);
}

void OptionsForm::SetDeadAfterChecks(int checks)
{
    if (deadAfterLimitsEnabled())
        m_deadAfterChecks = std::clamp(checks, 1, kMostDeadAfterChecks);
}

void OptionsForm::SetDeadAfterDays(int days)
{
    if (deadAfterLimitsEnabled())
        m_deadAfterDays = std::clamp(days, 0, kMostDeadAfterDays);
}

void OptionsForm::setText(TextBox which, const QString& text)
{
    if (textEnabled(which))
        m_texts[static_cast<size_t>(which)] = text;
}

void OptionsForm::EnableProxyFields(bool enabled)
{
    m_proxyFieldsEnabled = enabled;
    box(Check::BypassProxy).enabled = enabled;
}

void OptionsForm::ClickProxyOption(ProxyMode option)
{
    m_proxyOption = option;
    EnableProxyFields(option == ProxyMode::Own);
}

void OptionsForm::load()
{
    const AppSettings& s = m_context.settings;
    m_timeoutSlider[0] = clampTimeout(s.Timeout);
    SetChecksAtOnce(s.Parallel);
    m_deadAfterChecks = std::clamp(s.DeadAfterChecks, 1, kMostDeadAfterChecks);
    m_deadAfterDays = std::clamp(s.DeadAfterDays, 0, kMostDeadAfterDays);
    setCheck(Check::LookAgain, s.LookAgain);
    setCheck(Check::DeadAfterFailures, s.DeadAfterFailures);
    setCheck(Check::NameChange0, s.ChangeName);
    setCheck(Check::NewPage0, s.ShowNew);
    setCheck(Check::PreserveIcons, s.PreserveIcons);
    setCheck(Check::SmallLights, s.SmallLights);
    setCheck(Check::AutoCheck, s.AutoCheck);
    setCheck(Check::MoveDead, s.MoveDead);
    setCheck(Check::AutoThrottle, s.AutoThrottle);
    setCheck(Check::DeadInIE, s.DeadFavoritesInIE);
    setCheck(Check::AddToIE, s.IEToolMenu);
    setCheck(Check::AddToToolbar, s.IEToolbar);

    const bool integration = browserTakesExtensions(GetBrowserVersion(m_context.storePath));
    box(Check::AddToIE).enabled = integration;
    box(Check::AddToToolbar).enabled = integration;

    m_initialToolsMenu = s.IEToolMenu;
    m_initialToolbar = s.IEToolbar;
    m_initialSmallLights = check(Check::SmallLights).checked;
    m_moveDeadTouched = false;
}

void OptionsForm::activate(int selectedPage)
{
    if (selectedPage == PrefPage::Properties)
        activateProperties();
    else
        activateOptions();
}

void OptionsForm::activateOptions()
{
    m_mode = OptionsMode::Options;
    m_pageOffered[PrefPage::Properties] = false;
    m_pageOffered[PrefPage::Proxy] = true;

    const AppSettings& s = m_context.settings;
    m_proxyOption = s.ProxyMode;
    if (s.ProxyMode == ProxyMode::Own) {
        EnableProxyFields(true);
        m_texts[static_cast<size_t>(TextBox::Proxy)] = s.ProxyServer;
        m_texts[static_cast<size_t>(TextBox::Port)] = s.ProxyPort;
        setCheck(Check::BypassProxy, !s.ProxyBypassDomain.isEmpty());
    }
}

void OptionsForm::activateProperties()
{
    m_mode = OptionsMode::Properties;
    m_pageOffered = {false, true, false, false};
    m_caption = QStringLiteral("Favorite Properties");

    m_favorite = m_context.tree.selectedItem();
    if (!m_favorite || !m_favorite->parent())
        return; // nothing to show; nothing will be written
    m_loadedName = m_favorite->text();
    m_texts[static_cast<size_t>(TextBox::Link)] = m_loadedName;
    m_filePath = FavoriteFilePath(m_favorite, m_context.fs);

    const int timeout =
        privateNumber(m_filePath, ShortcutKeys::Timeout, m_timeoutSlider[0], ReadLimits::Timeout);
    m_timeoutSlider[1] = clampTimeout(timeout);
    const int rename = privateNumber(m_filePath, ShortcutKeys::Rename,
                                     check(Check::NameChange0).checked ? 1 : 0, 1);
    setCheck(Check::NameChange1, rename != 0);
    const int bypass = privateNumber(m_filePath, ShortcutKeys::Bypass, 0, ReadLimits::Bypass);
    setCheck(Check::DontCheck, bypass != 0);
    const int showNew =
        privateNumber(m_filePath, ShortcutKeys::ShowNew, check(Check::NewPage0).checked ? 1 : 0, 1);
    setCheck(Check::NewPage1, showNew != 0);

    m_loadedAddress = ProfileFile::read(m_filePath, ShortcutKeys::Standard, ShortcutKeys::Url,
                                        QString(), ReadLimits::Url);
    m_texts[static_cast<size_t>(TextBox::URL)] = m_loadedAddress;
}

bool OptionsForm::ClickButton(OptionsButton button)
{
    switch (button) {
    case OptionsButton::OK:
        if (!ok())
            return false;
        break;
    case OptionsButton::Cancel:
        break;
    case OptionsButton::Default:
        if (m_mode != OptionsMode::Properties)
            return false;
        resetFavorite();
        break;
    }
    unload();
    return true;
}

bool OptionsForm::IsValidProxyPort(const QString& port)
{
    if (port.isEmpty() || port.size() > 10)
        return false;
    for (const QChar c : port) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int number = port.toInt();
    return number >= 1 && number <= 65535;
}

QString OptionsForm::invalidPortMessage()
{
    return QStringLiteral("The proxy port must be a whole number from 1 to 65535.");
}

bool OptionsForm::ok()
{
    // A port the proxy could never use is refused before anything is stored.
    if (m_mode == OptionsMode::Options && m_proxyOption == ProxyMode::Own &&
        !IsValidProxyPort(text(TextBox::Port).trimmed())) {
        m_context.boxes.show({invalidPortMessage(), QStringLiteral("Options"),
                              MessageIcon::Exclamation, MessageButtons::Ok});
        return false;
    }

    writeSettings();
    applyBrowserIntegration();
    if (m_mode == OptionsMode::Properties) {
        try {
            SaveFavoriteProperties();
        } catch (const NorvaleError& error) {
            report(error);
        }
    }
    if (check(Check::SmallLights).checked != m_initialSmallLights) {
        SwitchStatusLights(m_context.settings, m_context.tree, m_context.images);
    }
    if (m_context.settings.PreserveIcons) {
        try {
            m_context.fs.makeFolder(FileSystem::join(m_context.programFolder, kIconsFolder));
        } catch (const NorvaleError&) {
            // Most often the folder is there already; the icons go without it.
        }
    }
    if (m_mode == OptionsMode::Options)
        applyProxySettings();
    return true;
}

void OptionsForm::writeSettings()
{
    AppSettings& s = m_context.settings;
    s.Timeout = m_timeoutSlider[0];
    s.Parallel = m_checksAtOnce;
    s.LookAgain = check(Check::LookAgain).checked;
    s.DeadAfterFailures = check(Check::DeadAfterFailures).checked;
    s.DeadAfterChecks = m_deadAfterChecks;
    s.DeadAfterDays = m_deadAfterDays;
    s.ChangeName = check(Check::NameChange0).checked;
    s.ShowNew = check(Check::NewPage0).checked;
    s.PreserveIcons = check(Check::PreserveIcons).checked;
    s.SmallLights = check(Check::SmallLights).checked;
    s.AutoCheck = check(Check::AutoCheck).checked;
    s.MoveDead = check(Check::MoveDead).checked;
    s.AutoThrottle = check(Check::AutoThrottle).checked;
    s.DeadFavoritesInIE = check(Check::DeadInIE).checked;
    s.IEToolMenu = check(Check::AddToIE).checked;
    s.IEToolbar = check(Check::AddToToolbar).checked;
}

void OptionsForm::applyBrowserIntegration()
{
    const AppSettings& s = m_context.settings;
    const BrowserIntegration integration(m_context.storePath, m_context.programFolder,
                                         m_context.executablePath);
    try {
        if (s.IEToolMenu != m_initialToolsMenu)
            integration.SetToolsMenuEntry(s.IEToolMenu);
    } catch (const NorvaleError& error) {
        report(error);
    }
    try {
        if (s.IEToolbar != m_initialToolbar)
            integration.SetToolbarButton(s.IEToolbar);
    } catch (const NorvaleError& error) {
        report(error);
    }
}

void OptionsForm::applyProxySettings()
{
    AppSettings& s = m_context.settings;
    s.ProxyServer.clear();
    s.ProxyPort.clear();
    s.ProxyBypassDomain.clear();
    s.ProxyMode = m_proxyOption.value_or(ProxyMode::None);
    if (s.ProxyMode != ProxyMode::Own)
        return;
    s.ProxyServer = text(TextBox::Proxy).trimmed();
    s.ProxyPort = text(TextBox::Port).trimmed();
    if (check(Check::BypassProxy).checked)
        s.ProxyBypassDomain = bypassDomainOf(s.ProxyServer);
}

void OptionsForm::SaveFavoriteProperties()
{
    if (m_filePath.isEmpty())
        return;
    const QString& path = m_filePath;
    ProfileFile::write(path, ShortcutKeys::Private, ShortcutKeys::Timeout,
                       QString::number(m_timeoutSlider[1]));
    ProfileFile::write(path, ShortcutKeys::Private, ShortcutKeys::Rename,
                       flagText(check(Check::NameChange1).checked));
    ProfileFile::write(path, ShortcutKeys::Private, ShortcutKeys::ShowNew,
                       flagText(check(Check::NewPage1).checked));
    ProfileFile::write(path, ShortcutKeys::Private, ShortcutKeys::Bypass,
                       flagText(check(Check::DontCheck).checked));

    // Any capitalisation of "http" counts as a scheme; "https" starts with it.
    QString& address = m_texts[static_cast<size_t>(TextBox::URL)];
    if (address.left(4).toUpper() != QLatin1String("HTTP"))
        address.prepend(QStringLiteral("http://"));
    const QString trimmed = address.trimmed();
    if (trimmed != m_loadedAddress) {
        ShortcutFile(m_context.settings, m_context.fs, m_context.programFolder, nullptr)
            .WriteUrl(path, trimmed);
    }
}

void OptionsForm::resetFavorite()
{
    if (m_filePath.isEmpty())
        return;
    try {
        ShortcutFile(m_context.settings, m_context.fs, m_context.programFolder, nullptr)
            .ResetPrivateSettings(m_filePath);
    } catch (const NorvaleError& error) {
        report(error);
    }
}

void OptionsForm::unload()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_mode == OptionsMode::Properties && m_favorite) {
        const QString name = text(TextBox::Link).trimmed();
        if (name != m_loadedName && m_context.renameLink)
            m_context.renameLink(name, m_favorite);
    }
    if (m_moveDeadTouched && m_context.refreshLinks)
        m_context.refreshLinks();
}

void OptionsForm::report(const NorvaleError& error) const
{
    if (m_context.reportError) {
        m_context.reportError(error);
        return;
    }
    m_context.boxes.show({error.description(), QStringLiteral("Error %1").arg(error.number()),
                          MessageIcon::Critical, MessageButtons::Ok});
}

} // namespace norvale
