// frmOptions on screen (offscreen): the widgets follow the form both ways,
// and the two ways in open the dialog in its modes.

#include "options/OptionsDialog.h"
#include "options/ShowOptions.h"
#include "OptionsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

using OptionsDialogTest = OptionsFixture;

TEST_F(OptionsDialogTest, TheWidgetsAndTheFormFollowEachOther)
{
    m_settings.Timeout = 1250;
    m_settings.MoveDead = true;
    OptionsForm form(m_context);
    form.Load();
    OptionsDialog dialog(form);
    dialog.activate(PrefPage::Scanning);
    dialog.show();
    EXPECT_EQ(dialog.timeoutSlider(0)->value(), 1250);
    dialog.checkBox(Check::MoveDead)->click();
    EXPECT_FALSE(dialog.checkBox(Check::DeadInIE)->isEnabled());
    dialog.timeoutSlider(0)->setValue(1750);
    dialog.proxyOption(ProxyMode::Own)->click();
    EXPECT_TRUE(dialog.textBox(TextBox::Port)->isEnabled());
    QTest::keyClicks(dialog.textBox(TextBox::Proxy), "cache.example.test");
    dialog.button(OptionsButton::OK)->click();
    EXPECT_EQ(dialog.tabs()->currentIndex(), PrefPage::Proxy) << "no port yet";
    QTest::keyClicks(dialog.textBox(TextBox::Port), "3128");
    dialog.button(OptionsButton::OK)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QStringLiteral("%1 %2:%3 %4")
                  .arg(m_settings.Timeout)
                  .arg(m_settings.ProxyServer, m_settings.ProxyPort)
                  .arg(m_settings.MoveDead),
              "1750 cache.example.test:3128 0");
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

// Options says whether Move Dead changed; a touch alone still reloads the tree.
// Properties opens for a favorite only, and a name typed there renames it.
TEST_F(OptionsDialogTest, ShowOptionsAndShowPropertiesOpenTheirModes)
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

} // namespace
