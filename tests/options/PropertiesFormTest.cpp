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
    EXPECT_EQ(form->text(TextBox::URL), longAddress.left(2083));
    ASSERT_TRUE(form->ClickButton(OptionsButton::OK));
    EXPECT_EQ(file(),
              before + "[Brimwick]\r\nTimeout=1500\r\nRename=1\r\nShowNew=0\r\nBypass=0\r\n")
        << "an address that was not edited is not rewritten, even one cut when read";
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

// A name edit applies on close whatever the button: Cancel drops the other
// edits, Default drops them and the favorite's own section.
TEST_F(PropertiesFormTest, ANameEditStillRenamesOnCancelAndDefault)
{
    favorite({"Timeout=750", "Rename=0", "Bypass=1", "ShowNew=1"});
    auto unchanged = open(PrefPage::Properties);
    unchanged->SetText(TextBox::Link, " Example ");
    unchanged->Unload();
    EXPECT_THAT(favoriteFiles(), ElementsAre("Example.url")) << "blanks alone are no new name";
    EXPECT_FALSE(open(PrefPage::Defaults)->ClickButton(OptionsButton::Default))
        << "not on the options' pages";
    const QByteArray before = file();
    for (const auto& [button, name] : {std::pair{OptionsButton::Cancel, "Renamed"},
                                       std::pair{OptionsButton::Default, "Defaulted"}}) {
        m_tree.select(nodeNamed(button == OptionsButton::Cancel ? "Example" : "Renamed"));
        auto form = open(PrefPage::Properties);
        form->SetText(TextBox::Link, QStringLiteral("  %1  ").arg(name));
        form->SetText(TextBox::URL, "http://127.0.0.1/edited");
        form->SetTimeoutSlider(1, 1750);
        ASSERT_TRUE(form->ClickButton(button));
        EXPECT_TRUE(form->closed());
        EXPECT_THAT(favoriteFiles(), ElementsAre(QString(name) + ".url"));
        if (button == OptionsButton::Cancel)
            EXPECT_EQ(file(name), before);
    }
    EXPECT_NE(nodeNamed("Defaulted"), nullptr);
    EXPECT_EQ(file("Defaulted"), before.left(before.indexOf("[Brimwick]")));
}

} // namespace
