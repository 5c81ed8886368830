// The favorite-properties mode of frmOptions, driven through its form over a
// real Favorites folder, real shortcut files and the editor's real rename.

#include "OptionsFixture.h"

#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

const QString kAddress = QStringLiteral("http://127.0.0.1/home");

class PropertiesFormTest : public OptionsFixture {
protected:
    // Writes Favorites/Example.url with the address and private lines given,
    // builds the tree and selects the favorite.
    void favorite(const QStringList& privateLines = {}, const QString& address = kAddress)
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n";
        if (!privateLines.isEmpty())
            bytes += "[Brimwick]\r\n" + privateLines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        m_temp.file(QStringLiteral("Favorites/Example.url"), bytes);
        buildTree();
        m_tree.select(nodeNamed(QStringLiteral("Example")));
    }
    QByteArray file(const char* name = "Example") const
    {
        return m_temp.read(QStringLiteral("Favorites/%1.url").arg(QLatin1String(name)));
    }
    QStringList favoriteFiles() const
    {
        return m_fs.listFolder(m_temp.path(QStringLiteral("Favorites"))).files;
    }
    QString storedAddress() const
    {
        return ProfileFile::read(favoritePath("Example"), ShortcutKeys::Standard, ShortcutKeys::Url,
                                 QString());
    }
};

TEST_F(PropertiesFormTest, WithoutPrivateEntriesTheProgramWideChoicesShow)
{
    favorite();
    for (const bool on : {false, true}) {
        m_settings.Timeout = on ? 750 : 2000;
        m_settings.ChangeName = m_settings.ShowNew = on;
        auto form = open(PrefPage::Properties);
        EXPECT_EQ(form->timeoutSlider(1), m_settings.Timeout);
        EXPECT_EQ(form->check(Check::NameChange1).checked, on);
        EXPECT_EQ(form->check(Check::NewPage1).checked, on);
        EXPECT_FALSE(form->check(Check::DontCheck).checked);
        EXPECT_TRUE(form->check(Check::NameChange1).enabled);
    }
}

TEST_F(PropertiesFormTest, PrivateEntriesAreReadWithTheirCutsAndOddOnesShowTheDefault)
{
    // Program-wide: 1000 ms, renaming on, changed pages off.
    const struct {
        const char* entry;
        int timeout;
        bool rename, bypass, showNew;
    } rows[] = {
        {"Timeout=1500", 1500, true, false, false}, {"Timeout=12345", 1234, true, false, false},
        {"Timeout=", 1000, true, false, false},     {"Timeout=abc", 1000, true, false, false},
        {"Timeout=75ms", 1000, true, false, false}, {"Timeout=100", 500, true, false, false},
        {"Timeout=9999", 2000, true, false, false}, {"Rename=0", 1000, false, false, false},
        {"Rename=1", 1000, true, false, false},     {"Rename=-1", 1000, true, false, false},
        {"Rename=", 1000, true, false, false},      {"Rename=no", 1000, true, false, false},
        {"Rename=01", 1000, false, false, false},   {"Bypass=1", 1000, true, true, false},
        {"Bypass=", 1000, true, false, false},      {"Bypass=yes", 1000, true, false, false},
        {"ShowNew=1", 1000, true, false, true},     {"ShowNew=", 1000, true, false, false},
        {"ShowNew=?", 1000, true, false, false},
    };
    m_settings.ChangeName = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        favorite({QString::fromLatin1(row.entry)});
        auto form = open(PrefPage::Properties);
        EXPECT_EQ(form->timeoutSlider(1), row.timeout);
        EXPECT_EQ(form->check(Check::NameChange1).checked, row.rename);
        EXPECT_EQ(form->check(Check::DontCheck).checked, row.bypass);
        EXPECT_EQ(form->check(Check::NameChange1).enabled, !row.bypass);
        EXPECT_EQ(form->check(Check::NewPage1).checked, row.showNew);
    }
}

TEST_F(PropertiesFormTest, DoNotCheckSwitchesTheRenameChoice)
{
    favorite();
    auto form = open(PrefPage::Properties);
    form->ClickCheck(Check::DontCheck, true);
    EXPECT_FALSE(form->check(Check::NameChange1).enabled);
    form->ClickCheck(Check::DontCheck, false);
    EXPECT_TRUE(form->check(Check::NameChange1).enabled);
}

TEST_F(PropertiesFormTest, EveryControlRoundTripsThroughTheFile)
{
    const struct {
        int timeout;
        bool rename, showNew, bypass;
    } rows[] = {{500, false, false, false},
                {750, true, false, false},
                {1250, false, true, false},
                {2000, false, false, true},
                {1000, true, true, true}};
    const QString flag[] = {QStringLiteral("0"), QStringLiteral("1")};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.timeout);
        favorite();
        auto form = open(PrefPage::Properties);
        form->SetTimeoutSlider(1, row.timeout);
        form->ClickCheck(Check::NameChange1, row.rename);
        form->ClickCheck(Check::NewPage1, row.showNew);
        form->ClickCheck(Check::DontCheck, row.bypass);
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(privateEntry("Example", ShortcutKeys::Timeout), QString::number(row.timeout));
        EXPECT_EQ(privateEntry("Example", ShortcutKeys::Rename), flag[row.rename]);
        EXPECT_EQ(privateEntry("Example", ShortcutKeys::ShowNew), flag[row.showNew]);
        EXPECT_EQ(privateEntry("Example", ShortcutKeys::Bypass), flag[row.bypass]);

        auto again = open(PrefPage::Properties);
        EXPECT_EQ(again->timeoutSlider(1), row.timeout);
        EXPECT_EQ(again->check(Check::NameChange1).checked, row.rename);
        EXPECT_EQ(again->check(Check::NewPage1).checked, row.showNew);
        EXPECT_EQ(again->check(Check::DontCheck).checked, row.bypass);
    }
}

TEST_F(PropertiesFormTest, OkWithoutChangesAddsThePrivateSectionAndLeavesTheRest)
{
    m_settings.Timeout = 1500;
    m_settings.ChangeName = m_settings.SmallLights = true;
    ChooseLightImages(m_settings, m_images);
    m_settings.ProxyMode = ProxyMode::Own;
    m_settings.ProxyServer = QStringLiteral(" kept as it is ");
    const QString longAddress = kAddress + QString(2100, QLatin1Char('a')) + QStringLiteral("  ");
    favorite({}, longAddress);
    const QByteArray before = file();
    auto form = open(PrefPage::Properties);
    EXPECT_EQ(form->text(TextBox::URL), longAddress.left(2083));
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_EQ(file(),
              before + "[Brimwick]\r\nTimeout=1500\r\nRename=1\r\nShowNew=0\r\nBypass=0\r\n")
        << "an address that was not edited is not rewritten, even one cut when read";
    EXPECT_EQ(m_settings.ProxyServer, QStringLiteral(" kept as it is ")) << "not the options";
    EXPECT_TRUE(m_settings.ChangeName && m_settings.SmallLights);
    EXPECT_EQ(m_settings.LightAlive, m_images.position(QStringLiteral("GREENDOT")));
    EXPECT_EQ(m_refreshes, 0);
}

TEST_F(PropertiesFormTest, AnAddressWithoutHttpInFrontGetsIt)
{
    const std::pair<const char*, const char*> rows[] = {
        {nullptr, "http://example.test"}, // stored without a scheme, not edited
        {"example.test/page", "http://example.test/page"},
        {"HTTP://127.0.0.1/Up", "HTTP://127.0.0.1/Up"},
        {"hTtPs://127.0.0.1/mixed", "hTtPs://127.0.0.1/mixed"},
        {"http://127.0.0.1/spaced   ", "http://127.0.0.1/spaced"},
    };
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed ? typed : "(stored)");
        favorite({}, QStringLiteral("example.test"));
        auto form = open(PrefPage::Properties);
        if (typed)
            form->SetText(TextBox::URL, QString::fromLatin1(typed));
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        EXPECT_EQ(storedAddress(), QString::fromLatin1(stored));
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

// ---- Cancel, Default and the rename on close ------------------------------------------

TEST_F(PropertiesFormTest, CancelAfterANameEditStillRenamesButDropsTheOtherEdits)
{
    favorite();
    auto unchanged = open(PrefPage::Properties);
    unchanged->SetText(TextBox::Link, QStringLiteral(" Example "));
    unchanged->Unload();
    EXPECT_THAT(favoriteFiles(), ElementsAre("Example.url")) << "blanks alone are no new name";

    const QByteArray before = file();
    auto form = open(PrefPage::Properties);
    form->SetText(TextBox::Link, QStringLiteral("  Renamed  "));
    form->SetText(TextBox::URL, QStringLiteral("http://127.0.0.1/other"));
    form->ClickCheck(Check::DontCheck, true);
    ASSERT_TRUE(form->ClickButton(OptionsButton::Cancel));
    EXPECT_THAT(favoriteFiles(), ElementsAre("Renamed.url"));
    EXPECT_EQ(file("Renamed"), before);
    EXPECT_NE(nodeNamed(QStringLiteral("Renamed")), nullptr);
}

TEST_F(PropertiesFormTest, OkWritesThePageIntoTheOldFileThenRenamesIt)
{
    favorite();
    auto form = open(PrefPage::Properties);
    form->SetText(TextBox::Link, QStringLiteral("Renamed"));
    form->ClickCheck(Check::DontCheck, true);
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_THAT(favoriteFiles(), ElementsAre("Renamed.url"));
    EXPECT_EQ(privateEntry("Renamed", ShortcutKeys::Bypass), QStringLiteral("1"));
}

TEST_F(PropertiesFormTest, DefaultRemovesThePrivateSectionAndDiscardsTheAddressEdit)
{
    favorite({QStringLiteral("Timeout=750"), QStringLiteral("Rename=0"), QStringLiteral("Bypass=1"),
              QStringLiteral("ShowNew=1")});
    auto options = open(PrefPage::Defaults);
    EXPECT_FALSE(options->ClickButton(OptionsButton::Default)) << "not on the options' pages";

    auto form = open(PrefPage::Properties);
    form->SetText(TextBox::URL, QStringLiteral("http://127.0.0.1/edited"));
    form->SetTimeoutSlider(1, 1750);
    form->SetText(TextBox::Link, QStringLiteral("Defaulted"));
    ASSERT_TRUE(form->ClickButton(OptionsButton::Default));
    EXPECT_TRUE(form->closed());
    EXPECT_THAT(favoriteFiles(), ElementsAre("Defaulted.url")) << "the name edit still applies";
    EXPECT_EQ(file("Defaulted"), "[InternetShortcut]\r\nURL=" + kAddress.toUtf8() + "\r\n");
}

} // namespace
