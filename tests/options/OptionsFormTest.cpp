// The options mode of frmOptions, driven through its form: load, activation,
// the clicks, OK, Cancel and the close step.

#include "options/BrowserIntegration.h"
#include "OptionsFixture.h"
#include "platform/AtomicFile.h"

#include <cerrno>

using namespace norvale;
using namespace norvale::test;
using testing::IsEmpty;

namespace {

// The record's stored fields and light slots, for comparing two records.
QStringList fieldsOf(const AppSettings& s)
{
    QStringList out;
    for (const bool flag :
         {s.ChangeName, s.IEToolMenu, s.IEToolbar, s.PreserveIcons, s.SmallLights, s.ShowNew,
          s.AutoCheck, s.MoveDead, s.AutoThrottle, s.DeadFavoritesInIE})
        out.append(flag ? QStringLiteral("1") : QStringLiteral("0"));
    for (const int number : {s.Timeout, static_cast<int>(s.ProxyMode), s.LightUnchecked,
                             s.LightDead, s.LightWarning, s.LightAlive, s.LightGray, s.LightNew})
        out.append(QString::number(number));
    return out << s.ProxyServer << s.ProxyPort << s.ProxyBypassDomain;
}

class OptionsFormTest : public OptionsFixture {
protected:
    bool extensionInstalled(const QString& id) const
    {
        return OpenStore(storePath())
            .value(BrowserExtension::ExtensionsKey, id, QStringLiteral("Exec"))
            .has_value();
    }
    void ownProxy(const char* server = "cache.example.test", const char* port = "3128",
                  const char* bypass = "")
    {
        m_settings.ProxyMode = ProxyMode::Own;
        m_settings.ProxyServer = QString::fromLatin1(server);
        m_settings.ProxyPort = QString::fromLatin1(port);
        m_settings.ProxyBypassDomain = QString::fromLatin1(bypass);
    }
};

TEST_F(OptionsFormTest, EveryCheckBoxShowsItsSettingAndWritesItBack)
{
    const struct {
        Check box;
        bool AppSettings::*field;
        const char* name;
    } rows[] = {
        {Check::NameChange0, &AppSettings::ChangeName, "ChangeName"},
        {Check::NewPage0, &AppSettings::ShowNew, "ShowNew"},
        {Check::PreserveIcons, &AppSettings::PreserveIcons, "PreserveIcons"},
        {Check::SmallLights, &AppSettings::SmallLights, "SmallLights"},
        {Check::AutoCheck, &AppSettings::AutoCheck, "AutoCheck"},
        {Check::MoveDead, &AppSettings::MoveDead, "MoveDead"},
        {Check::AutoThrottle, &AppSettings::AutoThrottle, "AutoThrottle"},
        {Check::DeadInIE, &AppSettings::DeadFavoritesInIE, "DeadFavoritesInIE"},
        {Check::AddToIE, &AppSettings::IEToolMenu, "IEToolMenu"},
        {Check::AddToToolbar, &AppSettings::IEToolbar, "IEToolbar"},
    };
    for (const auto& row : rows) {
        for (const bool start : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (start ? " on" : " off"));
            m_settings.*row.field = start;
            m_settings.MoveDead = m_settings.MoveDead || row.box == Check::DeadInIE;
            auto form = open();
            EXPECT_EQ(form->check(row.box).checked, start);
            form->ClickCheck(row.box, !start);
            ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
            EXPECT_EQ(m_settings.*row.field, !start);
            m_settings.MoveDead = false;
        }
    }
}

TEST_F(OptionsFormTest, NumbersAreShownAndWrittenBackWithinTheirRanges)
{
    const struct {
        int AppSettings::*field;
        int stored, shown, movedTo, kept;
    } rows[] = {
        {&AppSettings::Parallel, 24, 24, 1, 1},
        {&AppSettings::Parallel, 1, 1, 64, 64},
        {&AppSettings::Parallel, 64, 64, 0, 1},
        {&AppSettings::Parallel, 300, 256, 999, 256},
        {&AppSettings::Timeout, 500, 500, 2000, 2000},
        {&AppSettings::Timeout, 1000, 1000, 750, 750},
        {&AppSettings::Timeout, 2000, 2000, 500, 500},
        {&AppSettings::Timeout, 5000, 2000, 1250, 1250},
    };
    for (const auto& row : rows) {
        const bool parallel = row.field == &AppSettings::Parallel;
        SCOPED_TRACE((parallel ? "checks at once " : "time-out ") + std::to_string(row.stored));
        m_settings.*row.field = row.stored;
        auto form = open(PrefPage::Scanning);
        EXPECT_EQ(parallel ? form->checksAtOnce() : form->timeoutSlider(0), row.shown);
        if (parallel)
            form->SetChecksAtOnce(row.movedTo);
        else
            form->SetTimeoutSlider(0, row.movedTo);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(m_settings.*row.field, row.kept);
    }
}

TEST_F(OptionsFormTest, OkWithoutChangesRewritesTheSameValuesAndMakesTheIconsFolder)
{
    m_settings.Timeout = 1250;
    m_settings.ChangeName = m_settings.PreserveIcons = m_settings.MoveDead = true;
    m_settings.DeadFavoritesInIE = m_settings.IEToolbar = true;
    ownProxy("cache.example.test", "3128", "example.test");
    const QStringList before = fieldsOf(m_settings);
    for (int showing = 0; showing < 2; ++showing) { // the second finds the folder there
        ASSERT_TRUE(open()->ClickButton(OptionsButton::OK));
        EXPECT_EQ(fieldsOf(m_settings), before);
        EXPECT_TRUE(QFileInfo(m_program + QStringLiteral("/Icons")).isDir());
    }
    EXPECT_EQ(m_refreshes, 0);
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(OptionsFormTest, CancelKeepsTheSettingsAsTheyWere)
{
    ownProxy();
    const QStringList before = fieldsOf(m_settings);
    auto form = open();
    form->ClickCheck(Check::SmallLights, true);
    form->SetTimeoutSlider(0, 1750);
    form->ClickProxyOption(ProxyMode::None);
    ASSERT_TRUE(form->ClickButton(OptionsButton::Cancel));
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(fieldsOf(m_settings), before);
    EXPECT_FALSE(QFileInfo::exists(m_program + QStringLiteral("/Icons")));
}

TEST_F(OptionsFormTest, TheBrowserVersionDecidesWhetherTheIntegrationBoxesAreOffered)
{
    const std::pair<const char*, bool> rows[] = {
        {"5", true},  {"5.50.4807", true}, {"6.0", true},   {"9.0", true},  {"4.72", false},
        {"0", false}, {"", false},         {"10.0", false}, {"11.0", false}};
    m_settings.IEToolMenu = m_settings.IEToolbar = true;
    for (const auto& [version, offered] : rows) {
        SCOPED_TRACE(version);
        setBrowserVersion(QString::fromLatin1(version));
        auto form = open();
        EXPECT_EQ(form->check(Check::AddToIE).enabled, offered);
        EXPECT_EQ(form->check(Check::AddToToolbar).enabled, offered);
        EXPECT_TRUE(form->check(Check::AddToIE).checked && form->check(Check::AddToToolbar).checked)
            << "filled either way";
        form->ClickCheck(Check::AddToToolbar, false);
        EXPECT_NE(form->check(Check::AddToToolbar).checked, offered) << "clicks need it enabled";
    }
    removeBrowserVersion();
    EXPECT_FALSE(open()->check(Check::AddToIE).enabled) << "no version reads as \"0\"";
}

// ---- Proxy -------------------------------------------------------------------

TEST_F(OptionsFormTest, ActivationFillsTheProxyPageForItsOption)
{
    for (const ProxyMode mode : {ProxyMode::None, ProxyMode::Browser, ProxyMode::Own}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const bool own = mode == ProxyMode::Own;
        ownProxy("cache.example.test", "3128", "example.test");
        m_settings.ProxyMode = mode;
        auto form = open(PrefPage::Proxy);
        EXPECT_EQ(form->proxyOption(), mode);
        EXPECT_EQ(form->proxyFieldsEnabled(), own);
        EXPECT_EQ(form->check(Check::BypassProxy).enabled, own);
        EXPECT_EQ(form->check(Check::BypassProxy).checked, own);
        EXPECT_EQ(form->text(TextBox::Proxy), own ? "cache.example.test" : "");
        EXPECT_EQ(form->text(TextBox::Port), own ? "3128" : "");
    }
}

TEST_F(OptionsFormTest, TheProxyOptionsSwitchTheDetailsAndKeepTheirContents)
{
    ownProxy();
    auto form = open(PrefPage::Proxy);
    form->ClickProxyOption(ProxyMode::None);
    EXPECT_FALSE(form->proxyFieldsEnabled() || form->check(Check::BypassProxy).enabled);
    form->SetText(TextBox::Proxy, QStringLiteral("typed while off"));
    EXPECT_EQ(form->text(TextBox::Proxy), QStringLiteral("cache.example.test"));
    form->ClickProxyOption(ProxyMode::Browser);
    EXPECT_FALSE(form->proxyFieldsEnabled());
    form->ClickProxyOption(ProxyMode::Own);
    EXPECT_TRUE(form->proxyFieldsEnabled() && form->check(Check::BypassProxy).enabled);
    EXPECT_EQ(form->text(TextBox::Port), QStringLiteral("3128"));
}

TEST_F(OptionsFormTest, OkStoresTheProxyPageAfterTheChosenOption)
{
    const struct {
        ProxyMode option;
        const char* server;
        const char* port;
        bool bypass;
        const char* want[3]; // server, port, bypass domain
    } rows[] = {
        {ProxyMode::None, "cache.example.test", "3128", true, {"", "", ""}},
        {ProxyMode::Browser, "cache.example.test", "3128", true, {"", "", ""}},
        {ProxyMode::Browser, "cache.example.test", "no port", false, {"", "", ""}},
        {ProxyMode::Own,
         "  cache.example.test ",
         " 3128  ",
         false,
         {"cache.example.test", "3128", ""}},
        {ProxyMode::Own,
         "a.lan.example.test",
         "8080",
         true,
         {"a.lan.example.test", "8080", "lan.example.test"}},
        {ProxyMode::Own, "gateway", "80", true, {"gateway", "80", "gateway"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.server) + "|" + row.port);
        ownProxy("old.example.test", "1080", "example.test");
        auto form = open(PrefPage::Proxy);
        form->SetText(TextBox::Proxy, QString::fromLatin1(row.server));
        form->SetText(TextBox::Port, QString::fromLatin1(row.port));
        form->ClickCheck(Check::BypassProxy, row.bypass);
        form->ClickProxyOption(row.option);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(m_settings.ProxyMode, row.option);
        EXPECT_EQ(QStringList(
                      {m_settings.ProxyServer, m_settings.ProxyPort, m_settings.ProxyBypassDomain}),
                  QStringList({row.want[0], row.want[1], row.want[2]}));
    }
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(OptionsFormTest, APortThatIsNoWholeNumberFrom1To65535IsRefusedAndNothingStored)
{
    const std::pair<const char*, const char*> rows[] = {
        // typed, stored (null: refused)
        {"1", "1"},         {"65535", "65535"}, {" 8080 ", "8080"}, {"080", "080"},
        {"", nullptr},      {"  ", nullptr},    {"0", nullptr},     {"65536", nullptr},
        {"99999", nullptr}, {"80a", nullptr},   {"-1", nullptr},    {"+80", nullptr},
        {"8 0", nullptr},   {"1.5", nullptr},   {"0x50", nullptr},  {"\xd9\xa8\xd9\xa0", nullptr},
    };
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed);
        m_boxes = ScriptedMessageBoxes();
        QFile::remove(storePath());
        setBrowserVersion(QStringLiteral("6.0"));
        m_settings.IEToolbar = m_settings.AutoCheck = false;
        ownProxy();
        const QStringList before = fieldsOf(m_settings);
        auto form = open(PrefPage::Proxy);
        form->ClickCheck(Check::AutoCheck, true);
        form->ClickCheck(Check::AddToToolbar, true);
        form->SetText(TextBox::Port, QString::fromUtf8(typed));
        EXPECT_EQ(form->ClickButton(OptionsButton::OK), stored != nullptr);
        if (stored) {
            EXPECT_EQ(m_settings.ProxyPort, QString::fromLatin1(stored));
            EXPECT_THAT(m_boxes.shown(), IsEmpty());
            continue;
        }
        EXPECT_FALSE(form->closed());
        EXPECT_EQ(fieldsOf(m_settings), before);
        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_EQ(m_boxes.shown()[0].text, OptionsForm::invalidPortMessage());
        EXPECT_EQ(m_boxes.shown()[0].icon, MessageIcon::Exclamation);
        EXPECT_FALSE(extensionInstalled(BrowserExtension::ToolbarButtonId));
        form->SetText(TextBox::Port, QStringLiteral("8080"));
        EXPECT_TRUE(form->ClickButton(OptionsButton::OK)) << "a corrected port is taken";
        EXPECT_TRUE(m_settings.AutoCheck);
    }
}

// ---- Move dead favorites ---------------------------------------------------------

TEST_F(OptionsFormTest, ClickingMoveDeadReloadsTheTreeOnCloseEvenWhenItEndsAsItBegan)
{
    const struct {
        int clicks;
        std::optional<OptionsButton> close; // none: the close box
        int refreshes;
    } rows[] = {
        {0, OptionsButton::OK, 0}, {0, OptionsButton::Cancel, 0}, {1, OptionsButton::OK, 1},
        {2, OptionsButton::OK, 1}, {2, OptionsButton::Cancel, 1}, {2, std::nullopt, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clicks * 10 +
                     static_cast<int>(row.close.value_or(OptionsButton::Default)));
        m_refreshes = 0;
        m_settings.MoveDead = true; // set by load, which is no click of the user's
        auto form = open(PrefPage::Scanning);
        for (int i = 0; i < row.clicks; ++i)
            form->ClickCheck(Check::MoveDead, !form->check(Check::MoveDead).checked);
        if (row.close) {
            ASSERT_TRUE(form->ClickButton(*row.close));
        }
        form->Unload(); // runs once, however often it is called
        EXPECT_EQ(m_refreshes, row.refreshes);
    }
}

TEST_F(OptionsFormTest, ViewingDeadFavoritesInTheBrowserFollowsMoveDead)
{
    m_settings.DeadFavoritesInIE = true;
    EXPECT_TRUE(open()->check(Check::DeadInIE).enabled) << "loading an unchecked box is no click";
    m_settings.MoveDead = true;
    auto form = open(PrefPage::Scanning);
    EXPECT_TRUE(form->check(Check::DeadInIE).enabled && form->check(Check::DeadInIE).checked);
    form->ClickCheck(Check::MoveDead, false);
    EXPECT_FALSE(form->check(Check::DeadInIE).enabled);
    EXPECT_FALSE(form->check(Check::DeadInIE).checked) << "disabled means unchecked";
    form->ClickCheck(Check::MoveDead, true);
    EXPECT_TRUE(form->check(Check::DeadInIE).enabled);
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_TRUE(m_settings.MoveDead);
    EXPECT_FALSE(m_settings.DeadFavoritesInIE);
}

// ---- Lights and browser integration --------------------------------------------------

// The tree's lights are switched (as StatusLightSwitch does) on OK only, and
// only when the set changed.
TEST_F(OptionsFormTest, SwitchingTheLightSetConvertsTheTreeOnOkOnly)
{
    m_temp.shortcut(QStringLiteral("Favorites/Alive.url"));
    buildTree();
    TreeNode* alive = nodeNamed("Alive");
    m_tree.setImage(alive, m_settings.LightAlive);
    const int classicAlive = m_images.position(QStringLiteral("GREENCHECK"));
    const int smallAlive = m_images.position(QStringLiteral("GREENDOT"));
    const std::pair<OptionsButton, int> rows[] = {{OptionsButton::Cancel, classicAlive},
                                                  {OptionsButton::OK, smallAlive}};
    for (const auto& [button, image] : rows) {
        auto form = open(PrefPage::Scanning);
        form->ClickCheck(Check::SmallLights, true);
        ASSERT_TRUE(form->ClickButton(button));
        EXPECT_EQ(alive->image(), image);
    }
    EXPECT_EQ(m_settings.LightAlive, smallAlive);
    auto back = open(PrefPage::Scanning);
    back->ClickCheck(Check::SmallLights, false);
    back->ClickCheck(Check::SmallLights, true);
    ASSERT_TRUE(back->ClickButton(OptionsButton::OK));
    EXPECT_EQ(alive->image(), smallAlive) << "ending as it began switches nothing";
}

TEST_F(OptionsFormTest, TheToolbarButtonTurnedOnAndOffInOneRunStaysInstalled)
{
    auto on = open();
    on->ClickCheck(Check::AddToToolbar, true);
    ASSERT_TRUE(on->ClickButton(OptionsButton::OK));
    EXPECT_TRUE(extensionInstalled(BrowserExtension::ToolbarButtonId));
    EXPECT_FALSE(extensionInstalled(BrowserExtension::ToolsMenuEntryId)) << "unchanged: not called";
    auto off = open();
    off->ClickCheck(Check::AddToToolbar, false);
    ASSERT_TRUE(off->ClickButton(OptionsButton::OK));
    EXPECT_FALSE(m_settings.IEToolbar);
    EXPECT_TRUE(extensionInstalled(BrowserExtension::ToolbarButtonId))
        << "the store still holds what the last exit saved: not installed";
}

TEST_F(OptionsFormTest, AStoreThatCannotBeWrittenIsReportedAndOkGoesOn)
{
    auto form = open();
    form->ClickCheck(Check::AddToIE, true);
    form->ClickCheck(Check::AutoCheck, true);
    SetFileFaultForTesting([](FileStep step, const QString& path) {
        return step == FileStep::Rename && path.endsWith(QLatin1String("registry.reg")) ? EIO : 0;
    });
    const bool closed = form->ClickButton(OptionsButton::OK);
    SetFileFaultForTesting({});
    EXPECT_TRUE(closed);
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_settings.IEToolMenu && m_settings.AutoCheck);
    EXPECT_FALSE(extensionInstalled(BrowserExtension::ToolsMenuEntryId));
}

} // namespace
