// The tray icon as a model: its start-up menu, what its events do, its
// balloons and its removal. The tests run where the desktop has no tray.

#include "lifecycle/TrayIcon.h"
#include "platform/UrlOpener.h"

#include <gmock/gmock.h>
#include <QPixmap>

using namespace norvale;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class TrayIconTest : public testing::Test {
protected:
    TrayIconTest()
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkGreen);
        m_windowIcon = QIcon(pixmap);
        SetUpTrayIcon(m_tray, m_windowIcon);
        m_tray.setActions({&m_opener, [this] { ++m_shows; },
                           [this] {
                               ++m_closeAsks;
                               return !m_checking; // the window's close guard
                           }});
        QObject::connect(&m_tray, &TrayIcon::menuRequested, [this] { ++m_menus; });
        QObject::connect(&m_tray, &TrayIcon::menuClicked, [this](int index, const QString& key) {
            m_clicks.append({index, key});
        });
        QObject::connect(&m_tray, &TrayIcon::balloonRequested,
                         [this](const TrayBalloon& balloon) { m_balloons.append(balloon); });
    }

    QIcon m_windowIcon;
    TrayIcon m_tray;
    RecordingOpener m_opener;
    bool m_checking = false;
    int m_shows = 0;
    int m_closeAsks = 0;
    int m_menus = 0;
    QList<std::pair<int, QString>> m_clicks;
    QList<TrayBalloon> m_balloons;
};

// The menu at start: the maker's site (the default, which opens the site
// and nothing else), a separator and exit; the window's icon and the
// program's description as the tip.
TEST_F(TrayIconTest, StartsWithTheSiteAsDefaultASeparatorAndExit)
{
    const QList<TrayMenuItem>& items = m_tray.menuItems();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].caption, "&Brimwick Web Site");
    EXPECT_EQ(items[0].key, "website");
    EXPECT_TRUE(items[1].isSeparator());
    EXPECT_EQ(items[2].caption, "&Exit Norvale");
    EXPECT_EQ(items[2].key, "close");
    EXPECT_EQ(m_tray.defaultIndex(), 0);
    EXPECT_EQ(m_tray.icon().cacheKey(), m_windowIcon.cacheKey());
    EXPECT_EQ(m_tray.toolTip(), "Brimwick Norvale");

    // The separator and indexes past the menu are not items.
    for (const int index : {0, 1, 3, -1})
        m_tray.menuItemChosen(index);
    EXPECT_THAT(m_opener.opened, ElementsAre("www.brimwick.com"));
    EXPECT_THAT(m_clicks, ElementsAre(std::pair<int, QString>(0, "website")));
    EXPECT_EQ(m_closeAsks, 0);
}

// Exit during a check is refused and leaves the tray as it was; after the
// run it closes the window and the icon goes, and from then on the tray
// acts on nothing.
TEST_F(TrayIconTest, ExitDuringACheckIsRefusedAndAfterItTheIconGoes)
{
    m_checking = true;
    m_tray.menuItemChosen(2);
    EXPECT_EQ(m_closeAsks, 1);
    EXPECT_TRUE(m_tray.isLoaded());
    m_tray.buttonDown(TrayButton::Right);
    EXPECT_EQ(m_menus, 1) << "still answering its events";

    m_checking = false;
    m_tray.menuItemChosen(2);
    EXPECT_EQ(m_closeAsks, 2);
    EXPECT_FALSE(m_tray.isLoaded());
    EXPECT_FALSE(m_tray.isVisible());

    m_tray.unload();
    m_tray.buttonDown(TrayButton::Right);
    m_tray.handleActivation(QSystemTrayIcon::Context);
    m_tray.doubleClicked(TrayButton::Left);
    m_tray.menuItemChosen(0);
    m_tray.menuItemChosen(2);
    m_tray.showBalloonTip("A newer version is out", "Brimwick Norvale");
    EXPECT_EQ(m_menus, 1);
    EXPECT_EQ(m_shows, 0);
    EXPECT_EQ(m_closeAsks, 2);
    EXPECT_THAT(m_opener.opened, IsEmpty());
    EXPECT_EQ(m_clicks.size(), 2);
    EXPECT_THAT(m_balloons, IsEmpty());
    EXPECT_EQ(m_tray.addMenuItem("Late", "late"), -1);
}

// A double click with either button shows the window; a right press opens
// the menu; a left click or a middle one does neither.
TEST_F(TrayIconTest, ADoubleClickShowsTheWindowARightPressOpensTheMenu)
{
    m_tray.doubleClicked(TrayButton::Left);
    m_tray.doubleClicked(TrayButton::Right);
    m_tray.handleActivation(QSystemTrayIcon::DoubleClick);
    m_tray.buttonDown(TrayButton::Left);
    m_tray.buttonUp(TrayButton::Right);
    m_tray.handleActivation(QSystemTrayIcon::Trigger);
    m_tray.handleActivation(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(m_shows, 3);
    EXPECT_EQ(m_menus, 0);
    m_tray.buttonDown(TrayButton::Right);
    m_tray.handleActivation(QSystemTrayIcon::Context);
    EXPECT_EQ(m_menus, 2);
    EXPECT_EQ(m_shows, 3);
}

TEST_F(TrayIconTest, BalloonsAreCutToSizeAndAnEmptyTextShowsNone)
{
    m_tray.showBalloonTip(QString(), "Brimwick Norvale", BalloonIcon::Information, 30000);
    EXPECT_THAT(m_balloons, IsEmpty());

    m_tray.showBalloonTip(QString(300, QLatin1Char('n')), QString(80, QLatin1Char('t')),
                          BalloonIcon::Information, 30000);
    ASSERT_EQ(m_balloons.size(), 1);
    EXPECT_EQ(m_balloons[0].text, QString(255, QLatin1Char('n')));
    EXPECT_EQ(m_balloons[0].title, QString(63, QLatin1Char('t')));
    EXPECT_EQ(m_balloons[0].icon, BalloonIcon::Information);
    EXPECT_EQ(m_balloons[0].timeoutMs, 30000);
}

} // namespace
