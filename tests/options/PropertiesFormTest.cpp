// The favorite-properties mode of frmOptions, driven through its form over a
// real Favorites folder, real shortcut files and the editor's real rename.

#include "OptionsFixture.h"

#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

const QString kAddress = "http://127.0.0.1/home";

class PropertiesFormTest : public OptionsFixture {
protected:
    // Writes Favorites/Example.url with the address and private lines given,
    // builds the tree and selects the favorite.
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

// A favorite without entries of its own shows the program-wide choices; its
// own entries are read with their cuts, and odd ones show the program's.
TEST_F(PropertiesFormTest, PrivateEntriesAreReadWithTheirCutsAndOddOnesShowTheDefault)
{
    m_settings.ChangeName = true; // and 1000 ms, changed pages off
    const std::pair<const char*, const char*> rows[] = {{"", "1000R"},
                                                        {"Timeout=1500", "1500R"},
                                                        {"Timeout=12345", "1234R"},
                                                        {"Timeout=abc", "1000R"},
                                                        {"Timeout=100", "500R"},
                                                        {"Timeout=9999", "2000R"},
                                                        {"Rename=0", "1000"},
                                                        {"Rename=-1", "1000R"},
                                                        {"Rename=01", "1000"},
                                                        {"Bypass=1", "1000RB"},
                                                        {"Bypass=yes", "1000R"},
                                                        {"ShowNew=1", "1000RN"}};
    for (const auto& [entry, want] : rows) {
        SCOPED_TRACE(entry);
        favorite(*entry ? QStringList{entry} : QStringList{});
        auto form = open(PrefPage::Properties);
        EXPECT_EQ(shown(*form), want);
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
    const std::pair<int, const char*> rows[] = {{500, ""}, {1250, "N"}, {1000, "RBN"}};
    for (const auto& [timeout, flags] : rows) {
        SCOPED_TRACE(flags);
        const QString on = flags;
        favorite();
        auto form = open(PrefPage::Properties);
        form->SetTimeoutSlider(1, timeout);
        form->ClickCheck(Check::NameChange1, on.contains('R'));
        form->ClickCheck(Check::NewPage1, on.contains('N'));
        form->ClickCheck(Check::DontCheck, on.contains('B'));
        EXPECT_EQ(form->check(Check::NameChange1).enabled, !on.contains('B'));
        ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
        QString written;
        for (const QString& key : {ShortcutKeys::Timeout, ShortcutKeys::Rename,
                                   ShortcutKeys::ShowNew, ShortcutKeys::Bypass})
            written += privateEntry("Example", key) + " ";
        EXPECT_EQ(written, QStringLiteral("%1 %2 %3 %4 ")
                               .arg(timeout)
                               .arg(int(on.contains('R')))
                               .arg(int(on.contains('N')))
                               .arg(int(on.contains('B'))));
        EXPECT_EQ(shown(*open(PrefPage::Properties)), QString::number(timeout) + flags);
    }
}

TEST_F(PropertiesFormTest, OkWithoutChangesAddsThePrivateSectionAndLeavesTheRest)
{
    m_settings.Timeout = 1500;
    m_settings.ChangeName = m_settings.SmallLights = true;
    ChooseLightImages(m_settings, m_images);
    m_settings.ProxyMode = ProxyMode::Own;
    m_settings.ProxyServer = " kept as it is ";
    const QString longAddress = kAddress + QString(2100, 'a') + "  ";
    favorite({}, longAddress);
    const QByteArray before = file();
    auto form = open(PrefPage::Properties);
    EXPECT_EQ(form->text(TextBox::URL), longAddress.left(2083));
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_EQ(file(),
              before + "[Brimwick]\r\nTimeout=1500\r\nRename=1\r\nShowNew=0\r\nBypass=0\r\n")
        << "an address that was not edited is not rewritten, even one cut when read";
    EXPECT_EQ(m_settings.ProxyServer, " kept as it is ") << "not the options";
    EXPECT_EQ(m_settings.LightAlive, m_images.position("GREENDOT"));
}

TEST_F(PropertiesFormTest, AnAddressWithoutHttpInFrontGetsIt)
{
    const std::pair<const char*, const char*> rows[] = {
        {nullptr, "http://example.test"}, // stored without a scheme, not edited
        {"example.test/page", "http://example.test/page"},
        {"hTtPs://127.0.0.1/mixed", "hTtPs://127.0.0.1/mixed"},
        {"http://127.0.0.1/spaced   ", "http://127.0.0.1/spaced"}};
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed ? typed : "(stored)");
        favorite({}, "example.test");
        auto form = open(PrefPage::Properties);
        if (typed)
            form->SetText(TextBox::URL, typed);
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

TEST_F(PropertiesFormTest, CancelAfterANameEditStillRenamesButDropsTheOtherEdits)
{
    favorite();
    auto unchanged = open(PrefPage::Properties);
    unchanged->SetText(TextBox::Link, " Example ");
    unchanged->Unload();
    EXPECT_THAT(favoriteFiles(), ElementsAre("Example.url")) << "blanks alone are no new name";

    const QByteArray before = file();
    auto form = open(PrefPage::Properties);
    form->SetText(TextBox::Link, "  Renamed  ");
    form->SetText(TextBox::URL, "http://127.0.0.1/other");
    form->ClickCheck(Check::DontCheck, true);
    ASSERT_TRUE(form->ClickButton(OptionsButton::Cancel));
    EXPECT_THAT(favoriteFiles(), ElementsAre("Renamed.url"));
    EXPECT_EQ(file("Renamed"), before);
    EXPECT_NE(nodeNamed("Renamed"), nullptr);
}

TEST_F(PropertiesFormTest, DefaultRemovesThePrivateSectionAndDiscardsTheAddressEdit)
{
    favorite({"Timeout=750", "Rename=0", "Bypass=1", "ShowNew=1"});
    EXPECT_FALSE(open(PrefPage::Defaults)->ClickButton(OptionsButton::Default))
        << "not on the options' pages";
    auto form = open(PrefPage::Properties);
    form->SetText(TextBox::URL, "http://127.0.0.1/edited");
    form->SetTimeoutSlider(1, 1750);
    form->SetText(TextBox::Link, "Defaulted");
    ASSERT_TRUE(form->ClickButton(OptionsButton::Default));
    EXPECT_TRUE(form->closed());
    EXPECT_THAT(favoriteFiles(), ElementsAre("Defaulted.url")) << "the name edit still applies";
    EXPECT_EQ(file("Defaulted"), "[InternetShortcut]\r\nURL=" + kAddress.toUtf8() + "\r\n");
}

} // namespace
