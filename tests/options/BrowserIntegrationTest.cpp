#include "options/BrowserIntegration.h"
#include "options/CheckmarkIcon.h"
#include "platform/RegistryStore.h"
#include "shell/AppSettings.h"
#include "shell/SettingsStore.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QImage>
#include <QImageWriter>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QString kAbsent = QStringLiteral("<absent>");

class BrowserIntegrationTest : public testing::Test {
protected:
    QString storePath() const { return m_temp.path(QStringLiteral("registry.reg")); }
    BrowserIntegration integration() const
    {
        return BrowserIntegration(storePath(), m_program,
                                  m_temp.path(QStringLiteral("bin/norvale")));
    }
    QString program(const QString& name) const
    {
        return OpenStore(storePath())
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or(kAbsent);
    }
    void storeProgramValue(const QString& name, const QString& value) const
    {
        OpenStore(storePath()).SaveSetting(StoreKeys::Company, StoreKeys::Product, name, value);
    }
    // The value lines of an extension's key, in file order.
    QStringList extensionLines(const QString& id) const
    {
        const QString header = QStringLiteral("[HKEY_CURRENT_USER\\Software\\") +
                               BrowserExtension::ExtensionsKey + QLatin1Char('\\') + id +
                               QLatin1Char(']');
        QStringList out;
        bool inside = false;
        for (const QString& line : m_temp.lines(QStringLiteral("registry.reg"))) {
            if (line.startsWith(QLatin1Char('[')))
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
    QString quoted(const QString& text) const
    {
        QString escaped = text;
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        return QLatin1Char('"') + escaped + QLatin1Char('"');
    }

    TempFolder m_temp;
    QString m_program = m_temp.folder(QStringLiteral("program"));
};

// ---- First use -------------------------------------------------------------------

TEST_F(BrowserIntegrationTest, FirstUseAddsTheToolbarButtonWithEveryValueInOrder)
{
    integration().SetToolbarButton(true);
    const QString icon = quoted(m_program + QStringLiteral("/checkmrk.ico"));
    EXPECT_THAT(extensionLines(BrowserExtension::ToolbarButtonId),
                ElementsAre(QStringLiteral("\"Default Visible\"=\"Yes\""),
                            QStringLiteral("\"ButtonText\"=\"Brimwick Norvale\""),
                            QStringLiteral("\"HotIcon\"=") + icon,
                            QStringLiteral("\"Icon\"=") + icon,
                            QStringLiteral("\"CLSID\"=\"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}\""),
                            QStringLiteral("\"Exec\"=") +
                                quoted(m_temp.path(QStringLiteral("bin/norvale")))));
    EXPECT_EQ(program(QStringLiteral("ToolMenubarGUID")), BrowserExtension::ToolbarButtonId);
    EXPECT_EQ(program(QStringLiteral("IEToolbar")), kAbsent) << "the setting is saved at exit";
    EXPECT_THAT(extensionLines(BrowserExtension::ToolsMenuEntryId), IsEmpty());
}

TEST_F(BrowserIntegrationTest, FirstUseAddsTheToolsMenuEntryWithEveryValueInOrder)
{
    integration().SetToolsMenuEntry(true);
    EXPECT_THAT(extensionLines(BrowserExtension::ToolsMenuEntryId),
                ElementsAre(QStringLiteral("\"MenuCustomize\"=\"Tools\""),
                            QStringLiteral("\"CLSID\"=\"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}\""),
                            QStringLiteral("\"MenuText\"=\"Brimwick Norvale\""),
                            QStringLiteral("\"MenuStatusBar\"=\"Run Brimwick Norvale\""),
                            QStringLiteral("\"Exec\"=") +
                                quoted(m_temp.path(QStringLiteral("bin/norvale")))));
    EXPECT_EQ(program(QStringLiteral("ToolMenuGUID")), BrowserExtension::ToolsMenuEntryId);
    EXPECT_THAT(extensionLines(BrowserExtension::ToolbarButtonId), IsEmpty());
    EXPECT_FALSE(QFile::exists(m_program + QStringLiteral("/checkmrk.ico")))
        << "only the toolbar button shows the icon";
}

// ---- Within one run, and after a restart -------------------------------------------

TEST_F(BrowserIntegrationTest, AddThenRemoveInOneRunLeavesBothInstalled)
{
    integration().SetToolbarButton(false);
    integration().SetToolsMenuEntry(false);
    EXPECT_FALSE(QFile::exists(storePath())) << "first use removes nothing";
    integration().SetToolbarButton(true);
    integration().SetToolsMenuEntry(true);
    const QByteArray installed = m_temp.read(QStringLiteral("registry.reg"));
    integration().SetToolbarButton(false);
    integration().SetToolsMenuEntry(false);
    EXPECT_EQ(m_temp.read(QStringLiteral("registry.reg")), installed)
        << "the stored choices still say \"not installed\" until the program exits";

    // That exit saves false; removing needs a saved true first.
    exitWith(false, false);
    integration().SetToolbarButton(false);
    EXPECT_EQ(program(QStringLiteral("ToolMenubarGUID")), BrowserExtension::ToolbarButtonId);
}

TEST_F(BrowserIntegrationTest, RemoveAfterARestartDeletesTheKeyAndBothProgramValues)
{
    integration().SetToolbarButton(true);
    integration().SetToolsMenuEntry(true);
    exitWith(true, true);

    integration().SetToolbarButton(false);
    EXPECT_THAT(extensionLines(BrowserExtension::ToolbarButtonId), IsEmpty());
    EXPECT_EQ(program(QStringLiteral("ToolMenubarGUID")), kAbsent);
    EXPECT_EQ(program(QStringLiteral("IEToolbar")), kAbsent);
    EXPECT_EQ(program(QStringLiteral("IEToolMenu")), QStringLiteral("1"));
    EXPECT_EQ(program(QStringLiteral("ToolMenuGUID")), BrowserExtension::ToolsMenuEntryId);
    EXPECT_EQ(extensionLines(BrowserExtension::ToolsMenuEntryId).size(), 5);
    EXPECT_EQ(program(QStringLiteral("Timeout")), QStringLiteral("0"))
        << "the rest of the program's key stays";

    integration().SetToolsMenuEntry(false);
    EXPECT_THAT(extensionLines(BrowserExtension::ToolsMenuEntryId), IsEmpty());
    EXPECT_EQ(program(QStringLiteral("ToolMenuGUID")), kAbsent);
    EXPECT_EQ(program(QStringLiteral("IEToolMenu")), kAbsent);
}

// ---- The stored tests ------------------------------------------------------------

// What the stored choice must be for each to act: the toolbar adds on a
// numeric zero, the tools menu on the text "0" only, and both remove on the
// text "1" only.
TEST_F(BrowserIntegrationTest, EachActsOnlyOnTheStoredValueItReads)
{
    const struct {
        const char* stored;
        bool toolbarAdds, toolsMenuAdds, removes;
    } rows[] = {
        {"0", true, true, false},      {"00", true, false, false},   {" 0", true, false, false},
        {"0.0", true, false, false},   {"-0", true, false, false},   {"", false, false, false},
        {"zero", false, false, false}, {"1", false, false, true},    {"01", false, false, false},
        {" 1", false, false, false},   {"1.0", false, false, false}, {"2", false, false, false},
        {"True", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        const QString stored = QString::fromLatin1(row.stored);
        QFile::remove(storePath());
        storeProgramValue(QStringLiteral("IEToolbar"), stored);
        storeProgramValue(QStringLiteral("IEToolMenu"), stored);
        integration().SetToolbarButton(true);
        integration().SetToolsMenuEntry(true);
        EXPECT_EQ(!extensionLines(BrowserExtension::ToolbarButtonId).isEmpty(), row.toolbarAdds);
        EXPECT_EQ(program(QStringLiteral("ToolMenubarGUID")) != kAbsent, row.toolbarAdds);
        EXPECT_EQ(!extensionLines(BrowserExtension::ToolsMenuEntryId).isEmpty(), row.toolsMenuAdds);
        EXPECT_EQ(program(QStringLiteral("ToolMenuGUID")) != kAbsent, row.toolsMenuAdds);

        QFile::remove(storePath());
        integration().SetToolbarButton(true);
        integration().SetToolsMenuEntry(true);
        storeProgramValue(QStringLiteral("IEToolbar"), stored);
        storeProgramValue(QStringLiteral("IEToolMenu"), stored);
        integration().SetToolbarButton(false);
        integration().SetToolsMenuEntry(false);
        EXPECT_EQ(extensionLines(BrowserExtension::ToolbarButtonId).isEmpty(), row.removes);
        EXPECT_EQ(extensionLines(BrowserExtension::ToolsMenuEntryId).isEmpty(), row.removes);
        EXPECT_EQ(program(QStringLiteral("IEToolbar")) == kAbsent, row.removes);
        EXPECT_EQ(program(QStringLiteral("IEToolMenu")) == kAbsent, row.removes);
    }
}

// ---- The icon ----------------------------------------------------------------------

TEST_F(BrowserIntegrationTest, AddingTheButtonPutsACheckMarkIconBesideTheProgram)
{
    integration().SetToolbarButton(true);
    const QString path = m_program + QStringLiteral("/checkmrk.ico");
    const QByteArray bytes = m_temp.read(QStringLiteral("program/checkmrk.ico"));
    if (QImageWriter::supportedImageFormats().contains("ico"))
        EXPECT_TRUE(bytes.startsWith(QByteArray("\x00\x00\x01\x00", 4))) << "an ICO header";
    else
        EXPECT_TRUE(bytes.startsWith("\x89PNG")) << "PNG data under the icon's name";
    const QImage icon(path);
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << "a transparent ground";
    int marked = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x)
            marked += icon.pixelColor(x, y).alpha() > 0 ? 1 : 0;
    }
    EXPECT_GT(marked, 40);
    EXPECT_LT(marked, 32 * 32 / 2);

    m_temp.file(QStringLiteral("program/checkmrk.ico"), "mine");
    integration().SetToolbarButton(true);
    EXPECT_EQ(m_temp.read(QStringLiteral("program/checkmrk.ico")), "mine") << "one there is kept";
    EXPECT_FALSE(InstallCheckmarkIcon(m_temp.path(QStringLiteral("no/such/folder/check.ico"))));
}

} // namespace
