#pragma once

#include "options/OptionsContext.h"
#include "options/OptionsForm.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/RegistryStore.h"
#include "shell/SettingsStore.h"
#include "support/FavoritesRig.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <memory>

namespace norvale::test {

// The real parts the dialog works on, over a temporary folder.
class OptionsFixture : public testing::Test, protected FavoritesRig {
protected:
    OptionsFixture()
    {
        qputenv("XDG_DATA_HOME", m_temp.folder("data").toUtf8());
        m_state.FavoritesPath = m_temp.folder("Favorites");
        m_settings.Timeout = 1000;
        m_settings.AutoThrottle = true;
        m_settings.ProxyPort = "80";
        ChooseLightImages(m_settings, m_images);
        setBrowserVersion("6.0");
    }

    QString storePath() const { return m_temp.path("registry.reg"); }
    QString favoritePath(const QString& name) const
    {
        return m_temp.path("Favorites/" + name + ".url");
    }
    // Stores the browser version the dialog reads; none removes it.
    void setBrowserVersion(const std::optional<QString>& version)
    {
        RegistryStore store = OpenStore(storePath(), true);
        if (version)
            store.SaveSetting("Microsoft", "Internet Explorer", "Version", *version);
        else
            store.DeleteSetting("Microsoft", "Internet Explorer", "Version");
    }
    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_tree, text); }

    // Loads the form and activates it with the page selected.
    std::unique_ptr<OptionsForm> open(int page = PrefPage::Defaults)
    {
        auto form = std::make_unique<OptionsForm>(m_context);
        form->load();
        form->activate(page);
        return form;
    }
    QString privateEntry(const QString& name, const QString& key) const
    {
        return ProfileFile::read(favoritePath(name), ShortcutKeys::Private, key, "<absent>");
    }

    int m_refreshes = 0;
    QStringList m_errors;
    std::function<void()> m_refresh = [this] {
        m_favorites.RefreshLinks();
        ++m_refreshes;
    };
    std::function<void(const NorvaleError&)> m_report = [this](const NorvaleError& error) {
        m_errors.append(error.description());
    };
    OptionsContext m_context{
        m_settings, storePath(), m_program, m_temp.path("bin/norvale"), m_tree,
        m_images,   m_fs,        m_boxes,   RenameThrough(m_editor),    m_refresh,
        m_report};
};

} // namespace norvale::test
