// frmOptions on screen (offscreen): which pages each mode offers, the
// captions, and that the widgets follow the form both ways.

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
