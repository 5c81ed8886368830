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
        out.append(flag ? "1" : "0");
    for (const int number : {s.Timeout, static_cast<int>(s.ProxyMode), s.LightUnchecked,
                             s.LightDead, s.LightWarning, s.LightAlive, s.LightGray, s.LightNew})
        out.append(QString::number(number));
    return out << s.ProxyServer << s.ProxyPort << s.ProxyBypassDomain;
}

class OptionsFormTest : public OptionsFixture {
protected:
    bool installed(const QString& id) const
    {
        return OpenStore(storePath())
            .value(BrowserExtension::ExtensionsKey, id, "Exec")
            .has_value();
    }
    void ownProxy(const char* server = "cache.example.test", const char* port = "3128",
                  const char* bypass = "")
    {
        m_settings.ProxyMode = ProxyMode::Own;
        m_settings.ProxyServer = server;
        m_settings.ProxyPort = port;
        m_settings.ProxyBypassDomain = bypass;
    }
};

TEST_F(OptionsFormTest, EveryCheckBoxShowsItsSettingAndWritesItBack)
{
    using S = AppSettings;
    const std::pair<Check, bool S::*> rows[] = {
        {Check::NameChange0, &S::ChangeName},      {Check::NewPage0, &S::ShowNew},
        {Check::PreserveIcons, &S::PreserveIcons}, {Check::SmallLights, &S::SmallLights},
        {Check::AutoCheck, &S::AutoCheck},         {Check::MoveDead, &S::MoveDead},
        {Check::AutoThrottle, &S::AutoThrottle},   {Check::DeadInIE, &S::DeadFavoritesInIE},
        {Check::AddToIE, &S::IEToolMenu},          {Check::AddToToolbar, &S::IEToolbar}};
    for (const auto& [box, field] : rows) {
        for (const bool start : {false, true}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(box) << " from " << start);
            m_settings.*field = start;
            m_settings.MoveDead = m_settings.MoveDead || box == Check::DeadInIE;
            auto form = open();
            EXPECT_EQ(form->check(box).checked, start);
            form->ClickCheck(box, !start);
            ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
            EXPECT_EQ(m_settings.*field, !start);
            m_settings.MoveDead = false;
        }
    }
}

TEST_F(OptionsFormTest, NumbersAreShownAndWrittenBackWithinTheirRanges)
{
    const auto P = &AppSettings::Parallel, T = &AppSettings::Timeout;
    const struct {
        int AppSettings::*field;
        int stored, shown, movedTo, kept;
    } rows[] = {{P, 24, 24, 1, 1},         {P, 1, 1, 64, 64},          {P, 64, 64, 0, 1},
                {P, 300, 256, 999, 256},   {T, 500, 500, 2000, 2000},  {T, 1000, 1000, 750, 750},
                {T, 2000, 2000, 500, 500}, {T, 5000, 2000, 1250, 1250}};
    for (const auto& row : rows) {
        const bool parallel = row.field == P;
        SCOPED_TRACE(testing::Message() << parallel << " " << row.stored);
        m_settings.*row.field = row.stored;
        auto form = open(PrefPage::Scanning);
        EXPECT_EQ(parallel ? form->checksAtOnce() : form->timeoutSlider(0), row.shown);
        parallel ? form->SetChecksAtOnce(row.movedTo) : form->SetTimeoutSlider(0, row.movedTo);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(m_settings.*row.field, row.kept);
    }
}

// Cancel drops every edit; OK without edits writes back what it read, and
// makes the Icons folder (the second time finds it there).
TEST_F(OptionsFormTest, CancelDropsTheEditsAndOkWithoutEditsChangesNothing)
{
    m_settings.Timeout = 1250;
    m_settings.ChangeName = m_settings.PreserveIcons = m_settings.MoveDead = true;
    m_settings.DeadFavoritesInIE = m_settings.IEToolbar = true;
    ownProxy("cache.example.test", "3128", "example.test");
    const QStringList before = fieldsOf(m_settings);
    auto form = open();
    form->ClickCheck(Check::SmallLights, true);
    form->SetTimeoutSlider(0, 1750);
    form->ClickProxyOption(ProxyMode::None);
    ASSERT_TRUE(form->ClickButton(OptionsButton::Cancel));
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(fieldsOf(m_settings), before);
    EXPECT_FALSE(QFileInfo::exists(m_program + "/Icons"));
    for (int showing = 0; showing < 2; ++showing) {
        ASSERT_TRUE(open()->ClickButton(OptionsButton::OK));
        EXPECT_EQ(fieldsOf(m_settings), before);
        EXPECT_TRUE(QFileInfo(m_program + "/Icons").isDir());
    }
    EXPECT_EQ(m_refreshes, 0);
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(OptionsFormTest, TheBrowserVersionDecidesWhetherTheIntegrationBoxesAreOffered)
{
    const std::pair<std::optional<QString>, bool> rows[] = {
        {"5", true}, {"5.50.4807", true}, {"9.0", true},        {"4.72", false},
        {"", false}, {"10.0", false},     {std::nullopt, false}};
    m_settings.IEToolMenu = m_settings.IEToolbar = true;
    for (const auto& [version, offered] : rows) {
        SCOPED_TRACE(version.value_or("(none)").toStdString());
        setBrowserVersion(version);
        auto form = open();
        EXPECT_EQ(form->check(Check::AddToIE).enabled, offered);
        EXPECT_EQ(form->check(Check::AddToToolbar).enabled, offered);
        form->ClickCheck(Check::AddToToolbar, false);
        EXPECT_NE(form->check(Check::AddToToolbar).checked, offered) << "clicks need it enabled";
    }
}

TEST_F(OptionsFormTest, OkStoresTheProxyPageAfterTheChosenOption)
{
    const ProxyMode modes[] = {ProxyMode::None, ProxyMode::Browser, ProxyMode::Own};
    // Option (None, Browser, Own); server; port; bypass; stored server|port|bypass domain.
    for (const char* row :
         {"N;c.test;3128;1;||", "B;c.test;3128;1;||", "B;c.test;no port;0;||",
          "O;  c.test ; 3128  ;0;c.test|3128|", "O;a.lan.test;8080;1;a.lan.test|8080|lan.test",
          "O;gateway;80;1;gateway|80|gateway"}) {
        SCOPED_TRACE(row);
        const QStringList cells = QString(row).split(';');
        const ProxyMode option = modes[QString("NBO").indexOf(cells[0])];
        ownProxy("old.example.test", "1080", "example.test");
        auto form = open(PrefPage::Proxy);
        form->SetText(TextBox::Proxy, cells[1]);
        form->SetText(TextBox::Port, cells[2]);
        form->ClickCheck(Check::BypassProxy, cells[3] == "1");
        form->ClickProxyOption(option);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(m_settings.ProxyMode, option);
        EXPECT_EQ(QStringList(
                      {m_settings.ProxyServer, m_settings.ProxyPort, m_settings.ProxyBypassDomain})
                      .join('|'),
                  cells[4]);
    }
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(OptionsFormTest, APortThatIsNoWholeNumberFrom1To65535IsRefusedAndNothingStored)
{
    const std::pair<const char*, const char*> rows[] = {
        // typed, stored (null: refused)
        {"1", "1"},       {"65535", "65535"}, {" 8080 ", "8080"},           {"080", "080"},
        {"", nullptr},    {"0", nullptr},     {"65536", nullptr},           {"80a", nullptr},
        {"+80", nullptr}, {"0x50", nullptr},  {"\xd9\xa8\xd9\xa0", nullptr}};
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed);
        m_boxes = ScriptedMessageBoxes();
        QFile::remove(storePath());
        setBrowserVersion("6.0");
        m_settings.IEToolbar = m_settings.AutoCheck = false;
        ownProxy();
        const QStringList before = fieldsOf(m_settings);
        auto form = open(PrefPage::Proxy);
        form->ClickCheck(Check::AutoCheck, true);
        form->ClickCheck(Check::AddToToolbar, true);
        form->SetText(TextBox::Port, typed);
        EXPECT_EQ(form->ClickButton(OptionsButton::OK), stored != nullptr);
        EXPECT_EQ(installed(BrowserExtension::ToolbarButtonId), stored != nullptr);
        EXPECT_FALSE(installed(BrowserExtension::ToolsMenuEntryId)) << "unchanged: not called";
        if (stored) {
            EXPECT_EQ(m_settings.ProxyPort, stored);
            EXPECT_THAT(m_boxes.shown(), IsEmpty());
            continue;
        }
        EXPECT_FALSE(form->closed());
        EXPECT_EQ(fieldsOf(m_settings), before);
        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_EQ(m_boxes.shown()[0].text, OptionsForm::invalidPortMessage());
    }
}

TEST_F(OptionsFormTest, ClickingMoveDeadReloadsTheTreeOnCloseEvenWhenItEndsAsItBegan)
{
    const struct {
        int clicks;
        std::optional<OptionsButton> close; // none: the close box
        int refreshes;
    } rows[] = {{0, OptionsButton::OK, 0}, {0, OptionsButton::Cancel, 0}, {1, OptionsButton::OK, 1},
                {2, OptionsButton::OK, 1}, {2, OptionsButton::Cancel, 1}, {2, std::nullopt, 1}};
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
    form->ClickCheck(Check::MoveDead, false);
    EXPECT_FALSE(form->check(Check::DeadInIE).enabled || form->check(Check::DeadInIE).checked);
    form->ClickCheck(Check::MoveDead, true);
    EXPECT_TRUE(form->check(Check::DeadInIE).enabled);
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_TRUE(m_settings.MoveDead);
    EXPECT_FALSE(m_settings.DeadFavoritesInIE);
}

// The tree's lights are switched on OK only and only when the set changed,
// each to the same light of the other set; folders and pictures that are no
// light keep theirs.
TEST_F(OptionsFormTest, SwitchingTheLightSetConvertsTheTreeOnOkOnly)
{
    const QString classic = "FOLDER IELOGO REDRESULT YELLOWRESULT GREENCHECK GRAYDOT GREENNEW "
                            "TOMBSTONE";
    const QString small = "FOLDER BLACKDOT REDDOT YELLOWDOT GREENDOT GRAYDOT NEWGREENDOT TOMBSTONE";
    for (int i = 1; i < 8; ++i)
        m_temp.shortcut(QStringLiteral("Favorites/Sub/%1.url").arg(i));
    m_favorites.RefreshLinks();
    const auto lights = [this](const QString& set) {
        QStringList keys;
        for (int i = 0; i < 8; ++i) {
            TreeNode* node = nodeNamed(i ? QString::number(i) : "Sub");
            if (!set.isEmpty()) {
                m_tree.setImage(node, m_images.position(set.section(' ', i, i)));
                m_tree.setSelectedImage(node, node->image());
            }
            EXPECT_EQ(node->image(), node->selectedImage());
            keys.append(m_images.key(node->image()));
        }
        return keys.join(' ');
    };
    lights(classic);
    const std::tuple<bool, bool, OptionsButton, QString> steps[] = {
        {true, true, OptionsButton::Cancel, classic},
        {true, true, OptionsButton::OK, small},
        {false, true, OptionsButton::OK, small}, // ending as it began switches nothing
        {false, false, OptionsButton::OK, classic}};
    for (const auto& [first, last, button, want] : steps) {
        auto form = open(PrefPage::Scanning);
        form->ClickCheck(Check::SmallLights, first);
        form->ClickCheck(Check::SmallLights, last);
        ASSERT_TRUE(form->ClickButton(button));
        EXPECT_EQ(lights({}), want);
        EXPECT_EQ(m_images.key(m_settings.LightNew), want.section(' ', 6, 6));
    }
}

TEST_F(OptionsFormTest, AStoreThatCannotBeWrittenIsReportedAndOkGoesOn)
{
    auto form = open();
    form->ClickCheck(Check::AddToIE, true);
    form->ClickCheck(Check::AutoCheck, true);
    SetFileFaultForTesting([](FileStep step, const QString& path) {
        return step == FileStep::Rename && path.endsWith("registry.reg") ? EIO : 0;
    });
    const bool closed = form->ClickButton(OptionsButton::OK);
    SetFileFaultForTesting({});
    EXPECT_TRUE(closed);
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_settings.IEToolMenu && m_settings.AutoCheck);
    EXPECT_FALSE(installed(BrowserExtension::ToolsMenuEntryId));
}

} // namespace
