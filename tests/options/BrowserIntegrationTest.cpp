#include "options/BrowserIntegration.h"
#include "options/CheckmarkIcon.h"
#include "platform/RegistryStore.h"
#include "shell/AppSettings.h"
#include "shell/SettingsStore.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QImage>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QString kAbsent = "<absent>";
const QString kButton = BrowserExtension::ToolbarButtonId;
const QString kMenu = BrowserExtension::ToolsMenuEntryId;

class BrowserIntegrationTest : public testing::Test {
protected:
    QString storePath() const { return m_temp.path("registry.reg"); }
    // Adds (or removes) the toolbar button and the tools menu entry.
    void set(bool button, bool menu, bool both = true) const
    {
        BrowserIntegration integration(storePath(), m_program, m_temp.path("bin/norvale"));
        integration.SetToolbarButton(button);
        if (both)
            integration.SetToolsMenuEntry(menu);
    }
    QString program(const QString& name) const
    {
        return OpenStore(storePath())
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or(kAbsent);
    }
    void storeChoices(const QString& value) const
    {
        RegistryStore store = OpenStore(storePath());
        for (const char* name : {"IEToolbar", "IEToolMenu"})
            store.SaveSetting(StoreKeys::Company, StoreKeys::Product, name, value);
    }
    // The value lines of an extension's key, in file order.
    QStringList extensionLines(const QString& id) const
    {
        const QString header =
            "[HKEY_CURRENT_USER\\Software\\" + BrowserExtension::ExtensionsKey + "\\" + id + "]";
        QStringList out;
        bool inside = false;
        for (const QString& line : m_temp.lines("registry.reg")) {
            if (line.startsWith('['))
                inside = line == header;
            else if (inside && !line.isEmpty())
                out.append(line);
        }
        return out;
    }
    // The program's exit, which stores the two choices as the record holds them.
    void exitWith(bool toolbar, bool toolsMenu) const
    {
        AppSettings settings;
        settings.IEToolbar = toolbar;
        settings.IEToolMenu = toolsMenu;
        RegistryStore store = OpenStore(storePath());
        SaveAppSettings(settings, store, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    }
    static QString quoted(QString text) { return '"' + text.replace("\\", "\\\\") + '"'; }

    TempFolder m_temp;
    QString m_program = m_temp.folder("program");
};

// On first use each is added with every value in order; the icon only the
// button shows is written beside the program.
TEST_F(BrowserIntegrationTest, FirstUseAddsEachWithEveryValueInOrder)
{
    const QString exec = "\"Exec\"=" + quoted(m_temp.path("bin/norvale"));
    set(false, true);
    EXPECT_THAT(extensionLines(kMenu),
                ElementsAre("\"MenuCustomize\"=\"Tools\"",
                            "\"CLSID\"=\"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}\"",
                            "\"MenuText\"=\"Brimwick Norvale\"",
                            "\"MenuStatusBar\"=\"Run Brimwick Norvale\"", exec));
    EXPECT_EQ(program("ToolMenuGUID"), kMenu);
    EXPECT_THAT(extensionLines(kButton), IsEmpty());
    EXPECT_FALSE(QFile::exists(m_program + "/checkmrk.ico"));

    set(true, true, false);
    const QString icon = quoted(m_program + "/checkmrk.ico");
    EXPECT_THAT(extensionLines(kButton),
                ElementsAre("\"Default Visible\"=\"Yes\"", "\"ButtonText\"=\"Brimwick Norvale\"",
                            "\"HotIcon\"=" + icon, "\"Icon\"=" + icon,
                            "\"CLSID\"=\"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}\"", exec));
    EXPECT_EQ(program("ToolMenubarGUID"), kButton);
    EXPECT_EQ(program("IEToolbar"), kAbsent) << "the setting is saved at exit";
    ASSERT_EQ(QImage(m_program + "/checkmrk.ico").size(), QSize(32, 32));
    m_temp.file("program/checkmrk.ico", "mine");
    set(true, true, false);
    EXPECT_EQ(m_temp.read("program/checkmrk.ico"), "mine") << "one there is kept";
    EXPECT_FALSE(InstallCheckmarkIcon(m_temp.path("no/such/folder/check.ico")));
}

// Removing needs "installed" stored by an exit: within the run that added
// them, and after an exit that saved them off, both stay; after an exit
// that saved them on, each goes with its key and both program values.
TEST_F(BrowserIntegrationTest, RemovingNeedsAnExitThatSavedTheChoiceOn)
{
    set(false, false);
    EXPECT_FALSE(QFile::exists(storePath())) << "first use removes nothing";
    set(true, true);
    const QByteArray installed = m_temp.read("registry.reg");
    set(false, false);
    EXPECT_EQ(m_temp.read("registry.reg"), installed);
    exitWith(false, false);
    set(false, false);
    EXPECT_EQ(program("ToolMenubarGUID"), kButton);

    exitWith(true, true);
    set(false, true, false);
    EXPECT_THAT(extensionLines(kButton), IsEmpty());
    EXPECT_EQ(program("ToolMenubarGUID") + program("IEToolbar"), kAbsent + kAbsent);
    EXPECT_EQ(program("IEToolMenu") + program("ToolMenuGUID"), "1" + kMenu);
    EXPECT_EQ(extensionLines(kMenu).size(), 5);
    EXPECT_EQ(program("Timeout"), "0") << "the rest of the program's key stays";
    set(false, false);
    EXPECT_THAT(extensionLines(kMenu), IsEmpty());
    EXPECT_EQ(program("ToolMenuGUID") + program("IEToolMenu"), kAbsent + kAbsent);
}

// The toolbar adds on a numeric zero, the tools menu on the text "0" only,
// and both remove on the text "1" only.
TEST_F(BrowserIntegrationTest, EachActsOnlyOnTheStoredValueItReads)
{
    // Stored value, then what acts: B/M the toolbar/tools menu adds, b/m it removes.
    const std::pair<const char*, QString> rows[] = {
        {"0", "BM"}, {"00", "B"}, {"-0", "B"}, {"", ""},    {"zero", ""},
        {"1", "bm"}, {"01", ""},  {" 1", ""},  {"1.0", ""}, {"True", ""}};
    for (const auto& [stored, acts] : rows) {
        SCOPED_TRACE(stored);
        QFile::remove(storePath());
        storeChoices(stored);
        set(true, true);
        QString seen = extensionLines(kButton).isEmpty() ? "" : "B";
        seen += extensionLines(kMenu).isEmpty() ? "" : "M";
        EXPECT_EQ(program("ToolMenubarGUID") != kAbsent, seen.contains('B'));
        EXPECT_EQ(program("ToolMenuGUID") != kAbsent, seen.contains('M'));

        QFile::remove(storePath());
        set(true, true);
        storeChoices(stored);
        set(false, false);
        seen += extensionLines(kButton).isEmpty() && program("IEToolbar") == kAbsent ? "b" : "";
        seen += extensionLines(kMenu).isEmpty() && program("IEToolMenu") == kAbsent ? "m" : "";
        EXPECT_EQ(seen, acts);
    }
}

} // namespace
