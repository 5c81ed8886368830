// frmOptions in both modes, driven through its form and shown offscreen.

#include "options/BrowserIntegration.h"
#include "options/CheckmarkIcon.h"
#include "options/ShowOptions.h"
#include "OptionsFixture.h"
#include "platform/AtomicFile.h"
#include "platform/RegistryStore.h"
#include "shell/AppSettings.h"
#include "shell/SettingsStore.h"
#include "support/TempFavorites.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
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
    const std::pair<Check, bool S::*> rows[] = {{Check::NameChange0, &S::ChangeName},
                                                {Check::NewPage0, &S::ShowNew},
                                                {Check::PreserveIcons, &S::PreserveIcons},
                                                {Check::SmallLights, &S::SmallLights},
                                                {Check::AutoCheck, &S::AutoCheck},
                                                {Check::MoveDead, &S::MoveDead},
                                                {Check::AutoThrottle, &S::AutoThrottle},
                                                {Check::DeadInIE, &S::DeadFavoritesInIE},
                                                {Check::AddToIE, &S::IEToolMenu},
                                                {Check::AddToToolbar, &S::IEToolbar},
                                                {Check::LookAgain, &S::LookAgain},
                                                {Check::DeadAfterFailures, &S::DeadAfterFailures}};
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
    // Field (P checks at once, T time-out): stored, shown, moved to, kept.
    for (const char* row :
         {"P 24 24 1 1", "P 1 1 64 64", "P 64 64 0 1", "P 300 256 999 256", "T 500 500 2000 2000",
          "T 1000 1000 750 750", "T 2000 2000 500 500", "T 5000 2000 1250 1250"}) {
        SCOPED_TRACE(row);
        const QStringList cells = QString(row).split(' ');
        const bool parallel = cells[0] == "P";
        (parallel ? m_settings.Parallel : m_settings.Timeout) = cells[1].toInt();
        auto form = open(PrefPage::Scanning);
        EXPECT_EQ(parallel ? form->checksAtOnce() : form->timeoutSlider(0), cells[2].toInt());
        parallel ? form->SetChecksAtOnce(cells[3].toInt())
                 : form->SetTimeoutSlider(0, cells[3].toInt());
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(parallel ? m_settings.Parallel : m_settings.Timeout, cells[4].toInt());
    }
}

// Cancel drops every edit; OK without edits writes back what it read and makes the Icons folder.
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
    ASSERT_TRUE(open()->ClickButton(OptionsButton::OK));
    ASSERT_TRUE(open()->ClickButton(OptionsButton::OK)) << "the second time finds the folder";
    EXPECT_EQ(fieldsOf(m_settings), before);
    EXPECT_TRUE(QFileInfo(m_program + "/Icons").isDir());
    EXPECT_EQ(m_refreshes + m_errors.size() + m_boxes.shown().size(), 0);
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
        EXPECT_EQ(form->check(Check::AddToIE).enabled + form->check(Check::AddToToolbar).enabled,
                  2 * offered);
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
        form->setText(TextBox::Proxy, cells[1]);
        form->setText(TextBox::Port, cells[2]);
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
        form->setText(TextBox::Port, typed);
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
    // Clicks on Move Dead, the button closing (- the close box), then reloads.
    for (const char* row : {"0 OK 0", "0 Cancel 0", "1 OK 1", "2 OK 1", "2 Cancel 1", "2 - 1"}) {
        SCOPED_TRACE(row);
        const QStringList cells = QString(row).split(' ');
        m_refreshes = 0;
        m_settings.MoveDead = true; // set by load, which is no click of the user's
        auto form = open(PrefPage::Scanning);
        for (int i = 0; i < cells[0].toInt(); ++i)
            form->ClickCheck(Check::MoveDead, !form->check(Check::MoveDead).checked);
        ASSERT_TRUE(cells[1] == "-" || form->ClickButton(cells[1] == "OK" ? OptionsButton::OK
                                                                          : OptionsButton::Cancel));
        form->unload(); // runs once, however often it is called
        EXPECT_EQ(m_refreshes, cells[2].toInt());
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

// The light set switches on OK only, when it changed, and the views are told
// to redraw; statuses and folder pictures stay.
TEST_F(OptionsFormTest, SwitchingTheLightSetRedrawsTheTreeOnOkOnly)
{
    const QString classic = "OPENFOLDER IELOGO REDRESULT YELLOWRESULT GREENCHECK GRAYDOT GREENNEW";
    const QString small = "OPENFOLDER BLACKDOT REDDOT YELLOWDOT GREENDOT GRAYDOT NEWGREENDOT";
    for (int i = 1; i <= 6; ++i)
        m_temp.shortcut(QStringLiteral("Favorites/Sub/%1.url").arg(i));
    m_favorites.RefreshLinks();
    for (int i = 1; i <= 6; ++i)
        m_tree.setStatus(nodeNamed(QString::number(i)), {kLights[i - 1], 0, {}});
    int redraws = 0;
    QObject::connect(&m_tree, &TreeControl::picturesChanged, [&redraws] { ++redraws; });
    const auto pictures = [this] {
        QStringList keys{m_images.key(nodeNamed("Sub")->image())};
        for (int i = 1; i <= 6; ++i) {
            const Light light = nodeNamed(QString::number(i))->status().light;
            keys.append(m_images.key(m_settings.lightImage(light)));
        }
        return keys.join(' ');
    };
    EXPECT_EQ(pictures(), classic);
    const std::tuple<bool, bool, OptionsButton, QString, int> steps[] = {
        {true, true, OptionsButton::Cancel, classic, 0},
        {true, true, OptionsButton::OK, small, 1},
        {false, true, OptionsButton::OK, small, 1}, // ending as it began switches nothing
        {false, false, OptionsButton::OK, classic, 2}};
    for (const auto& [first, last, button, want, redrawn] : steps) {
        auto form = open(PrefPage::Scanning);
        form->ClickCheck(Check::SmallLights, first);
        form->ClickCheck(Check::SmallLights, last);
        ASSERT_TRUE(form->ClickButton(button));
        EXPECT_EQ(pictures(), want);
        EXPECT_EQ(redraws, redrawn);
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

// Answers the next modal dialog by clicking one of its buttons.
void clickInNextDialog(const char* button, std::function<void(QWidget*)> before)
{
    QTimer::singleShot(0, [button, before] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        before(dialog);
        dialog->findChild<QPushButton*>(button)->click();
    });
}

// Options says whether Move Dead changed; Properties opens for a favorite only.
TEST_F(OptionsFormTest, ShowOptionsAndShowPropertiesOpenTheirModes)
{
    clickInNextDialog("btnButtons0", [](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("chkMoveDead")->click();
    });
    EXPECT_TRUE(ShowOptionsDialog(m_context, PrefPage::Scanning));
    EXPECT_TRUE(m_settings.MoveDead);
    clickInNextDialog("btnButtons1", [](QWidget* dialog) {
        auto* box = dialog->findChild<QCheckBox*>("chkMoveDead");
        box->click();
        box->click();
    });
    EXPECT_FALSE(ShowOptionsDialog(m_context));
    EXPECT_EQ(m_refreshes, 2);

    m_temp.shortcut("Favorites/Example.url");
    m_temp.folder("Favorites/Sub");
    m_favorites.RefreshLinks();
    for (const char* other : {"Sub", "Favorites"}) {
        m_tree.select(nodeNamed(other));
        EXPECT_FALSE(ShowPropertiesDialog(m_context)) << other;
    }
    m_tree.select(nodeNamed("Example"));
    clickInNextDialog("btnButtons0", [](QWidget* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("txtLink");
        name->selectAll();
        QTest::keyClicks(name, "Renamed");
    });
    EXPECT_FALSE(ShowPropertiesDialog(m_context));
    EXPECT_THAT(m_fs.listFolder(m_temp.path("Favorites")).files, ElementsAre("Renamed.url"));
    EXPECT_EQ(privateEntry("Renamed", ShortcutKeys::Timeout), "1000");
}

// The options of verdicts over time, from the keyboard alone: Space ticks a
// box, Tab goes on to the next control; the limits are offered only while
// their option is on.
TEST_F(OptionsFormTest, VerdictsOverTimeOptionsWorkFromTheKeyboard)
{
    QStringList visited;
    bool limitsOfferedWhileOff = true;
    clickInNextDialog("btnButtons0", [&](QWidget* dialog) {
        const auto press = [&](Qt::Key key, const QString& text = {}) {
            QWidget* focus = dialog->focusWidget();
            visited.append(focus->objectName());
            if (!text.isEmpty())
                QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
            text.isEmpty() ? QTest::keyClick(focus, key) : QTest::keyClicks(focus, text);
        };
        limitsOfferedWhileOff = dialog->findChild<QSpinBox*>("spnDeadAfterChecks")->isEnabled();
        dialog->findChild<QCheckBox*>("chkLookAgain")->setFocus();
        press(Qt::Key_Space);
        press(Qt::Key_Tab);
        press(Qt::Key_Space);
        press(Qt::Key_Tab);
        press(Qt::Key_5, "5");
        press(Qt::Key_Tab);
        press(Qt::Key_3, "30");
    });
    ShowOptionsDialog(m_context, PrefPage::Scanning);
    EXPECT_FALSE(limitsOfferedWhileOff);
    EXPECT_THAT(visited, ElementsAre("chkLookAgain", "chkLookAgain", "chkDeadAfterFailures",
                                     "chkDeadAfterFailures", "spnDeadAfterChecks",
                                     "spnDeadAfterChecks", "spnDeadAfterDays"));
    EXPECT_FALSE(m_settings.LookAgain);
    EXPECT_TRUE(m_settings.DeadAfterFailures);
    EXPECT_EQ(m_settings.DeadAfterChecks, 5);
    EXPECT_EQ(m_settings.DeadAfterDays, 30);
}

// ---- The favorite-properties mode, over real shortcut files and the real rename.

const QString kAddress = "http://127.0.0.1/home";

class PropertiesFormTest : public OptionsFixture {
protected:
    // Writes Favorites/Example.url, builds the tree and selects the favorite.
    void favorite(const QStringList& privateLines = {}, const QString& address = kAddress)
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n";
        if (!privateLines.isEmpty())
            bytes += "[Brimwick]\r\n" + privateLines.join("\r\n").toUtf8() + "\r\n";
        m_temp.file("Favorites/Example.url", bytes);
        m_favorites.RefreshLinks();
        m_tree.select(nodeNamed("Example"));
    }
    QByteArray file(const QString& name = "Example") const
    {
        return m_temp.read("Favorites/" + name + ".url");
    }
    QStringList favoriteFiles() const { return m_fs.listFolder(m_temp.path("Favorites")).files; }
    // The time-out, then R, B and N for Rename, Bypass and ShowNew checked.
    QString shown(const OptionsForm& form) const
    {
        return QString::number(form.timeoutSlider(1)) +
               (form.check(Check::NameChange1).checked ? "R" : "") +
               (form.check(Check::DontCheck).checked ? "B" : "") +
               (form.check(Check::NewPage1).checked ? "N" : "");
    }
};

// A favorite's own entries are read with their cuts; missing or odd ones show the program's.
TEST_F(PropertiesFormTest, PrivateEntriesAreReadWithTheirCutsAndOddOnesShowTheDefault)
{
    m_settings.ChangeName = true; // and 1000 ms, changed pages off
    for (const char* row :
         {"|1000R", "Timeout=1500|1500R", "Timeout=12345|1234R", "Timeout=abc|1000R",
          "Timeout=100|500R", "Timeout=9999|2000R", "Rename=0|1000", "Rename=-1|1000R",
          "Rename=01|1000", "Bypass=1|1000RB", "Bypass=yes|1000R", "ShowNew=1|1000RN"}) {
        SCOPED_TRACE(row);
        const QString entry = QString(row).section('|', 0, 0);
        favorite(entry.isEmpty() ? QStringList{} : QStringList{entry});
        auto form = open(PrefPage::Properties);
        EXPECT_EQ(shown(*form), QString(row).section('|', 1));
        EXPECT_EQ(form->check(Check::NameChange1).enabled, !form->check(Check::DontCheck).checked);
    }
    m_settings.Timeout = 2000;
    m_settings.ChangeName = false;
    m_settings.ShowNew = true;
    favorite();
    EXPECT_EQ(shown(*open(PrefPage::Properties)), "2000N");
}

TEST_F(PropertiesFormTest, EveryControlRoundTripsThroughTheFile)
{
    // Time-out and the boxes checked; then Timeout, Rename, ShowNew and Bypass as written.
    for (const auto& [timeout, flags, written] : {std::tuple{500, "", "500 0 0 0"},
                                                  {1250, "N", "1250 0 1 0"},
                                                  {1000, "RBN", "1000 1 1 1"}}) {
        const QString on = flags;
        favorite();
        auto form = open(PrefPage::Properties);
        form->SetTimeoutSlider(1, timeout);
        form->ClickCheck(Check::NameChange1, on.contains('R'));
        form->ClickCheck(Check::NewPage1, on.contains('N'));
        form->ClickCheck(Check::DontCheck, on.contains('B'));
        EXPECT_EQ(form->check(Check::NameChange1).enabled, !on.contains('B'));
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        QStringList stored;
        for (const QString& key : {ShortcutKeys::Timeout, ShortcutKeys::Rename,
                                   ShortcutKeys::ShowNew, ShortcutKeys::Bypass})
            stored.append(privateEntry("Example", key));
        EXPECT_EQ(stored.join(' '), written);
        EXPECT_EQ(shown(*open(PrefPage::Properties)), QString::number(timeout) + flags);
    }
}

TEST_F(PropertiesFormTest, OkWithoutChangesAddsThePrivateSectionAndLeavesTheRest)
{
    m_settings.Timeout = 1500;
    m_settings.ChangeName = true;
    m_settings.ProxyServer = " kept as it is ";
    const QString longAddress = kAddress + QString(2100, 'a') + "  ";
    favorite({}, longAddress);
    const QByteArray before = file();
    auto form = open(PrefPage::Properties);
    EXPECT_EQ(form->text(TextBox::URL), longAddress.trimmed());
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_EQ(file(),
              before + "[Brimwick]\r\nTimeout=1500\r\nRename=1\r\nShowNew=0\r\nBypass=0\r\n")
        << "an address that was not edited is not rewritten, even a long one";
    EXPECT_EQ(m_settings.ProxyServer, " kept as it is ") << "not the options";
}

TEST_F(PropertiesFormTest, AnAddressWithoutHttpInFrontGetsIt)
{
    // Typed (none: the stored address, not edited) and written.
    for (const char* row : {"|http://example.test", "example.test/page|http://example.test/page",
                            "hTtPs://127.0.0.1/mixed|hTtPs://127.0.0.1/mixed",
                            "http://127.0.0.1/spaced   |http://127.0.0.1/spaced"}) {
        SCOPED_TRACE(row);
        const QString typed = QString(row).section('|', 0, 0),
                      stored = QString(row).section('|', 1);
        favorite({}, "example.test");
        auto form = open(PrefPage::Properties);
        if (!typed.isEmpty())
            form->setText(TextBox::URL, typed);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(ProfileFile::read(favoritePath("Example"), ShortcutKeys::Standard,
                                    ShortcutKeys::Url, QString()),
                  stored);
    }
}

TEST_F(PropertiesFormTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas)
{
    favorite();
    const QByteArray before = file();
    QFile::setPermissions(favoritePath("Example"), QFileDevice::ReadOwner);
    auto form = open(PrefPage::Properties);
    form->ClickCheck(Check::DontCheck, true);
    EXPECT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_EQ(file(), before);
}

// A name edit applies on Cancel and Default; Default also drops the own section.
TEST_F(PropertiesFormTest, ANameEditStillRenamesOnCancelAndDefault)
{
    favorite({"Timeout=750", "Rename=0", "Bypass=1", "ShowNew=1"});
    auto unchanged = open(PrefPage::Properties);
    unchanged->setText(TextBox::Link, " Example ");
    unchanged->unload();
    EXPECT_THAT(favoriteFiles(), ElementsAre("Example.url")) << "blanks alone are no new name";
    EXPECT_FALSE(open(PrefPage::Defaults)->ClickButton(OptionsButton::Default))
        << "not on the options' pages";
    const QByteArray before = file();
    for (const auto& [button, name] : {std::pair{OptionsButton::Cancel, "Renamed"},
                                       std::pair{OptionsButton::Default, "Defaulted"}}) {
        m_tree.select(nodeNamed(button == OptionsButton::Cancel ? "Example" : "Renamed"));
        auto form = open(PrefPage::Properties);
        form->setText(TextBox::Link, QStringLiteral("  %1  ").arg(name));
        form->setText(TextBox::URL, "http://127.0.0.1/edited");
        form->SetTimeoutSlider(1, 1750);
        ASSERT_TRUE(form->ClickButton(button));
        EXPECT_TRUE(form->closed());
        EXPECT_THAT(favoriteFiles(), ElementsAre(QString(name) + ".url"));
        EXPECT_EQ(button == OptionsButton::Cancel ? file(name) : before, before);
    }
    EXPECT_NE(nodeNamed("Defaulted"), nullptr);
    EXPECT_EQ(file("Defaulted"), before.left(before.indexOf("[Brimwick]")));
}

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

// On first use each is added with every value in order, the button's icon beside the program.
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

// Only after an exit that saved them on does each go, with its key and program values.
TEST_F(BrowserIntegrationTest, RemovingNeedsAnExitThatSavedTheChoiceOn)
{
    set(false, false);
    EXPECT_FALSE(QFile::exists(storePath())) << "first use removes nothing";
    set(true, true);
    set(false, false);
    exitWith(false, false);
    set(false, false);
    EXPECT_EQ(program("ToolMenubarGUID"), kButton);

    exitWith(true, true);
    set(false, true, false);
    EXPECT_THAT(extensionLines(kButton), IsEmpty());
    EXPECT_EQ(program("ToolMenubarGUID") + program("IEToolbar"), kAbsent + kAbsent);
    EXPECT_EQ(program("IEToolMenu") + program("ToolMenuGUID") + program("Timeout"),
              "1" + kMenu + "0")
        << "the other one and the rest of the program's key stay";
    set(false, false);
    EXPECT_THAT(extensionLines(kMenu), IsEmpty());
    EXPECT_EQ(program("ToolMenuGUID") + program("IEToolMenu"), kAbsent + kAbsent);
}

// The toolbar adds on a numeric zero, the menu on "0" only; both remove on "1" only.
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
