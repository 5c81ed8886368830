// frmOptions on screen (offscreen): which pages each mode offers, and that
// the widgets follow the form both ways.

#include "options/OptionsDialog.h"
#include "options/ShowOptions.h"
#include "OptionsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
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

TEST_F(OptionsDialogTest, EachModeOffersItsPagesUnderItsCaption)
{
    m_temp.shortcut("Favorites/Example.url", "http://127.0.0.1/x");
    m_favorites.RefreshLinks();
    m_tree.select(nodeNamed("Example"));
    for (const int page :
         {-1, PrefPage::Defaults, PrefPage::Scanning, PrefPage::Proxy, PrefPage::Properties}) {
        SCOPED_TRACE(page);
        const bool properties = page == PrefPage::Properties;
        OptionsForm form(m_context);
        form.Load();
        OptionsDialog dialog(form);
        dialog.activate(page);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), properties ? "Favorite Properties" : "Options");
        QStringList offered;
        for (int i = 0; i < dialog.tabs()->count(); ++i) {
            if (dialog.tabs()->isTabVisible(i) && dialog.tabs()->isTabEnabled(i))
                offered.append(dialog.tabs()->tabText(i));
        }
        const QStringList pages =
            properties ? QStringList{"Properties"} : QStringList{"Defaults", "Scanning", "Proxy"};
        EXPECT_EQ(offered, pages);
        EXPECT_EQ(dialog.tabs()->currentIndex(), std::max(page, 0));
        EXPECT_EQ(dialog.button(OptionsButton::Default)->isVisible(), properties);
        if (properties) {
            EXPECT_EQ(dialog.textBox(TextBox::Link)->text(), "Example");
            EXPECT_EQ(dialog.textBox(TextBox::URL)->text(), "http://127.0.0.1/x");
        }
        dialog.close(); // the close box runs the close step as well
        EXPECT_TRUE(form.closed());
    }
}

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
    EXPECT_TRUE(dialog.checkBox(Check::MoveDead)->isChecked());
    dialog.checkBox(Check::MoveDead)->click();
    EXPECT_FALSE(form.check(Check::MoveDead).checked);
    EXPECT_FALSE(dialog.checkBox(Check::DeadInIE)->isEnabled());
    dialog.timeoutSlider(0)->setValue(1750);
    EXPECT_EQ(form.timeoutSlider(0), 1750);

    // Proxy details start off and follow the options.
    EXPECT_TRUE(dialog.proxyOption(ProxyMode::None)->isChecked());
    EXPECT_FALSE(dialog.textBox(TextBox::Port)->isEnabled());
    EXPECT_FALSE(dialog.checkBox(Check::BypassProxy)->isEnabled());
    dialog.proxyOption(ProxyMode::Own)->click();
    EXPECT_TRUE(dialog.textBox(TextBox::Port)->isEnabled());
    EXPECT_TRUE(dialog.findChild<QLabel*>("lblAddress")->isEnabled());
    EXPECT_EQ(form.proxyOption(), ProxyMode::Own);
    dialog.textBox(TextBox::Proxy)->setFocus();
    QTest::keyClicks(dialog.textBox(TextBox::Proxy), "cache.example.test");
    EXPECT_EQ(form.text(TextBox::Proxy), "cache.example.test");

    dialog.button(OptionsButton::OK)->click();
    EXPECT_TRUE(dialog.isVisible()) << "no port yet";
    EXPECT_EQ(dialog.tabs()->currentIndex(), PrefPage::Proxy);
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Options"));
    QTest::keyClicks(dialog.textBox(TextBox::Port), "3128");
    dialog.button(OptionsButton::OK)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_settings.Timeout, 1750);
    EXPECT_EQ(m_settings.ProxyServer + ":" + m_settings.ProxyPort, "cache.example.test:3128");
    EXPECT_FALSE(m_settings.MoveDead);
    EXPECT_EQ(m_refreshes, 1);
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

TEST_F(OptionsDialogTest, ShowOptionsSaysWhenMoveDeadChanged)
{
    clickInNextDialog("btnButtons0", [](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("chkMoveDead")->click();
    });
    EXPECT_TRUE(ShowOptionsDialog(m_context, PrefPage::Scanning));
    EXPECT_TRUE(m_settings.MoveDead);
    EXPECT_EQ(m_refreshes, 1);
    clickInNextDialog("btnButtons1", [](QWidget* dialog) {
        auto* box = dialog->findChild<QCheckBox*>("chkMoveDead");
        box->click();
        box->click();
    });
    EXPECT_FALSE(ShowOptionsDialog(m_context));
    EXPECT_EQ(m_refreshes, 2) << "touched, so reloaded, but not changed";
}

TEST_F(OptionsDialogTest, ShowPropertiesOpensOnlyForAFavorite)
{
    m_temp.shortcut("Favorites/Example.url");
    m_temp.folder("Favorites/Sub");
    m_favorites.RefreshLinks();
    for (const char* other : {"Sub", "Favorites"}) {
        m_tree.select(nodeNamed(other));
        EXPECT_FALSE(ShowPropertiesDialog(m_context)) << other;
    }
    m_tree.select(nodeNamed("Example"));
    QString caption;
    clickInNextDialog("btnButtons0", [&caption](QWidget* dialog) {
        caption = dialog->windowTitle();
        auto* name = dialog->findChild<QLineEdit*>("txtLink");
        name->selectAll();
        QTest::keyClicks(name, "Renamed");
    });
    EXPECT_FALSE(ShowPropertiesDialog(m_context));
    EXPECT_EQ(caption, "Favorite Properties");
    EXPECT_THAT(m_fs.listFolder(m_temp.path("Favorites")).files, ElementsAre("Renamed.url"));
    EXPECT_EQ(privateEntry("Renamed", ShortcutKeys::Timeout), "1000");
}

} // namespace
