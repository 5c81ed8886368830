// frmOptions on screen (offscreen): which pages each mode offers, the
// captions, and that the widgets follow the form both ways.

#include "options/OptionsDialog.h"
#include "options/ShowOptions.h"
#include "OptionsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
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
using testing::IsEmpty;

namespace {

class OptionsDialogTest : public OptionsFixture {
protected:
    // The tab captions of the pages the dialog offers.
    static QStringList offeredTabs(const OptionsDialog& dialog)
    {
        QStringList out;
        for (int i = 0; i < dialog.tabs()->count(); ++i) {
            if (dialog.tabs()->isTabVisible(i) && dialog.tabs()->isTabEnabled(i))
                out.append(dialog.tabs()->tabText(i));
        }
        return out;
    }
    template <typename W> static W* child(const QWidget& dialog, const char* name)
    {
        return dialog.findChild<W*>(QLatin1String(name));
    }
};

TEST_F(OptionsDialogTest, EachModeOffersItsPagesUnderItsCaption)
{
    m_temp.shortcut(QStringLiteral("Favorites/Example.url"), QStringLiteral("http://127.0.0.1/x"));
    buildTree();
    m_tree.select(nodeNamed(QStringLiteral("Example")));
    const QStringList options = {"Defaults", "Scanning", "Proxy"};
    const struct {
        int page;
        QStringList tabs;
        int current;
        const char* caption;
    } rows[] = {
        {-1, options, PrefPage::Defaults, "Options"},
        {PrefPage::Defaults, options, PrefPage::Defaults, "Options"},
        {PrefPage::Scanning, options, PrefPage::Scanning, "Options"},
        {PrefPage::Proxy, options, PrefPage::Proxy, "Options"},
        {PrefPage::Properties, {"Properties"}, PrefPage::Properties, "Favorite Properties"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        OptionsForm form(m_context);
        form.Load();
        OptionsDialog dialog(form);
        dialog.activate(row.page);
        dialog.show();
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmOptions"));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(row.caption));
        EXPECT_EQ(offeredTabs(dialog), row.tabs);
        EXPECT_EQ(dialog.tabs()->currentIndex(), row.current);
        EXPECT_EQ(dialog.button(OptionsButton::Default)->isVisible(),
                  row.page == PrefPage::Properties);
        if (row.page == PrefPage::Properties) {
            EXPECT_EQ(dialog.textBox(TextBox::Link)->text(), QStringLiteral("Example"));
            EXPECT_EQ(dialog.textBox(TextBox::URL)->text(), QStringLiteral("http://127.0.0.1/x"));
        }
        dialog.close(); // the close box runs the close step as well
        EXPECT_TRUE(form.closed());
    }
}

TEST_F(OptionsDialogTest, EveryControlCarriesItsCaptionAndTooltip)
{
    OptionsForm form(m_context);
    form.Load();
    OptionsDialog dialog(form);
    const struct {
        const char* name;
        const char* caption;
        const char* toolTip; // null: any
    } rows[] = {
        {"chkAddToIE", "Add Norvale to IE Tools Menu", nullptr},
        {"chkAddToToolbar", "Add Norvale to IE Toolbar", nullptr},
        {"chkAutoCheck", "Automatically Check for Updates", nullptr},
        {"chkNameChange0", "Change Favorite's Names if Different", nullptr},
        {"chkNameChange1", "Change Favorite's Names if Different", nullptr},
        {"chkPreserveIcons", "Preserve Icons",
         "Keep icons in Favorites List even when clearing Temporary Internet Files"},
        {"chkSmallLights", "Use Norvale Classic Icons",
         "Use smaller colored spheres in Favorites list"},
        {"chkNewPage0", "Show if Web Page was Updated", nullptr},
        {"chkNewPage1", "Show if Web Page was Updated", nullptr},
        {"chkMoveDead", "Move Dead Favorites to Folder", nullptr},
        {"chkAutoThrottle", "Automatically Adjust Wait Time", nullptr},
        {"chkDeadInIE", "View Dead Favorites In Internet Explorer", nullptr},
        {"chkDontCheck", "Do Not Check This Favorite", "Do not check this favorite"},
        {"chkBypassProxy", "Bypass proxy server for local addresses", nullptr},
        {"optNoProxy", "No proxy server", nullptr},
        {"optIEProxy", "Use Internet Explorer proxy settings", nullptr},
        {"optSetProxy", "Use proxy settings defined below", nullptr},
        {"btnButtons0", "&OK", nullptr},
        {"btnButtons1", "&Cancel", nullptr},
        {"btnButtons2", "&Default", "Use Default Settings"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto* button = child<QAbstractButton>(dialog, row.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(row.caption));
        if (row.toolTip) {
            EXPECT_EQ(button->toolTip(), QString::fromUtf8(row.toolTip));
        }
    }
    const struct {
        const char* name;
        const char* title;
    } frames[] = {{"Frame1_0", "Wait Time"},
                  {"Frame1_1", "Wait Time"},
                  {"Frame2", "Link"},
                  {"Frame3", "Proxy server"}};
    for (const auto& frame : frames) {
        SCOPED_TRACE(frame.name);
        const auto* box = child<QGroupBox>(dialog, frame.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), QString::fromUtf8(frame.title));
    }
    EXPECT_EQ(child<QGroupBox>(dialog, "Frame2")->toolTip(),
              QStringLiteral("The current name of this Favorite"));
    EXPECT_FALSE(child<QGroupBox>(dialog, "Frame1_0")->toolTip().isEmpty());
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkNameChange0")->toolTip().isEmpty());
    EXPECT_EQ(child<QLabel>(dialog, "lblAddress")->text(), QStringLiteral("Address:"));
    EXPECT_EQ(child<QLabel>(dialog, "lblPort")->text(), QStringLiteral("Port:"));
    for (const char* name : {"txtLink", "txtURL", "txtProxy", "txtPort"})
        EXPECT_NE(child<QLineEdit>(dialog, name), nullptr) << name;
    EXPECT_NE(child<QTabWidget>(dialog, "PrefTab"), nullptr);
    for (const int index : {0, 1}) {
        QSlider* slider = dialog.timeoutSlider(index);
        EXPECT_EQ(slider->objectName(), QStringLiteral("TimeoutSlider%1").arg(index));
        EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()), std::pair(500, 2000));
        QStringList scale;
        for (const QLabel* label : slider->parentWidget()->findChildren<QLabel*>())
            scale.append(label->text());
        EXPECT_THAT(scale, ElementsAre(".5 sec", "1 sec", "2 sec"));
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
    EXPECT_TRUE(child<QLabel>(dialog, "lblAddress")->isEnabled());
    EXPECT_EQ(form.proxyOption(), ProxyMode::Own);
    dialog.textBox(TextBox::Proxy)->setFocus();
    QTest::keyClicks(dialog.textBox(TextBox::Proxy), QStringLiteral("cache.example.test"));
    EXPECT_EQ(form.text(TextBox::Proxy), QStringLiteral("cache.example.test"));

    dialog.button(OptionsButton::OK)->click();
    EXPECT_TRUE(dialog.isVisible()) << "no port yet";
    EXPECT_EQ(dialog.tabs()->currentIndex(), PrefPage::Proxy);
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Options"));
    QTest::keyClicks(dialog.textBox(TextBox::Port), QStringLiteral("3128"));
    dialog.button(OptionsButton::OK)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_settings.Timeout, 1750);
    EXPECT_EQ(m_settings.ProxyServer, QStringLiteral("cache.example.test"));
    EXPECT_EQ(m_settings.ProxyPort, QStringLiteral("3128"));
    EXPECT_FALSE(m_settings.MoveDead);
    EXPECT_EQ(m_refreshes, 1);
}

// Answers the next modal dialog by clicking one of its buttons.
void clickInNextDialog(const char* buttonName, std::function<void(QWidget*)> before = {})
{
    QTimer::singleShot(0, [buttonName, before] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        if (before)
            before(dialog);
        dialog->findChild<QPushButton*>(QLatin1String(buttonName))->click();
    });
}

TEST_F(OptionsDialogTest, ShowOptionsSaysWhenMoveDeadChanged)
{
    clickInNextDialog("btnButtons0", [](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("chkMoveDead"))->click();
    });
    EXPECT_TRUE(ShowOptionsDialog(m_context, PrefPage::Scanning));
    EXPECT_TRUE(m_settings.MoveDead);
    EXPECT_EQ(m_refreshes, 1);

    clickInNextDialog("btnButtons1", [](QWidget* dialog) {
        auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("chkMoveDead"));
        box->click();
        box->click();
    });
    EXPECT_FALSE(ShowOptionsDialog(m_context));
    EXPECT_EQ(m_refreshes, 2) << "touched, so reloaded, but not changed";
}

TEST_F(OptionsDialogTest, ShowPropertiesOpensOnlyForAFavorite)
{
    m_temp.shortcut(QStringLiteral("Favorites/Example.url"));
    m_temp.folder(QStringLiteral("Favorites/Sub"));
    buildTree();
    m_tree.select(nodeNamed(QStringLiteral("Sub")));
    EXPECT_FALSE(ShowPropertiesDialog(m_context));
    m_tree.select(nodeNamed(QStringLiteral("Favorites")));
    EXPECT_FALSE(ShowPropertiesDialog(m_context));
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites"))).files,
                ElementsAre("Example.url"));

    m_tree.select(nodeNamed(QStringLiteral("Example")));
    QString caption;
    clickInNextDialog("btnButtons0", [&caption](QWidget* dialog) {
        caption = dialog->windowTitle();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("txtLink"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Renamed"));
    });
    EXPECT_FALSE(ShowPropertiesDialog(m_context));
    EXPECT_EQ(caption, QStringLiteral("Favorite Properties"));
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites"))).files,
                ElementsAre("Renamed.url"));
    EXPECT_EQ(privateEntry(QStringLiteral("Renamed"), ShortcutKeys::Timeout),
              QStringLiteral("1000"));
}

} // namespace
