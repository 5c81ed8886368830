// The tray icon as a model: what its events do, its balloons and its
// removal. The test runs where the desktop has no tray.

#include "lifecycle/TrayIcon.h"
#include "support/FavoritesRig.h"

#include <gmock/gmock.h>

using namespace norvale;
using norvale::test::RecordingOpener;
using testing::ElementsAre;

namespace {

// A tray set up as the program sets it up, counting what each event asked for.
class TrayIconTest : public testing::Test {
protected:
    TrayIconTest()
    {
        SetUpTrayIcon(m_tray, QIcon());
        m_tray.setActions(
            {&m_opener, [this] { ++m_shows; }, [this] { return ++m_closeAsks, !m_checking; }});
        QObject::connect(&m_tray, &TrayIcon::menuRequested, [this] { ++m_menus; });
        QObject::connect(&m_tray, &TrayIcon::balloonRequested,
                         [this](const TrayBalloon& balloon) { m_balloons.append(balloon); });
    }

    TrayIcon m_tray;
    RecordingOpener m_opener;
    bool m_checking = false;
    int m_shows = 0, m_closeAsks = 0, m_menus = 0;
    QList<TrayBalloon> m_balloons;
};

// The first item opens the maker's site; the separator and indexes past the
// menu do nothing.
TEST_F(TrayIconTest, OnlyTheFirstMenuItemOpensTheSite)
{
    for (const int index : {0, 1, 3, -1})
        m_tray.menuItemChosen(index);
    EXPECT_THAT(m_opener.opened, ElementsAre("www.brimwick.com"));
    EXPECT_EQ(m_closeAsks, 0);
}

// A double click with either button shows the window, a right press opens
// the menu, a left or middle click neither.
TEST_F(TrayIconTest, DoubleClicksShowTheWindowAndRightPressesOpenTheMenu)
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
}

TEST_F(TrayIconTest, BalloonsAreCutToSizeAndAnEmptyTextShowsNone)
{
    m_tray.showBalloonTip(QString(), "Brimwick Norvale", BalloonIcon::Information, 30000);
    m_tray.showBalloonTip(QString(300, 'n'), QString(80, 't'), BalloonIcon::Information, 30000);
    ASSERT_EQ(m_balloons.size(), 1);
    EXPECT_EQ(m_balloons[0].text, QString(255, 'n'));
    EXPECT_EQ(m_balloons[0].title, QString(63, 't'));
}

// Exit during a check is refused; after it the icon goes and the tray acts
// on nothing.
TEST_F(TrayIconTest, ExitIsRefusedDuringACheckAndAfterItTheTrayActsOnNothing)
{
    m_checking = true;
    m_tray.menuItemChosen(2);
    EXPECT_EQ(m_closeAsks, 1);
    EXPECT_TRUE(m_tray.isLoaded()) << "exit refused during a check";
    m_checking = false;
    m_tray.menuItemChosen(2);
    EXPECT_EQ(m_closeAsks, 2);
    EXPECT_FALSE(m_tray.isLoaded());

    m_tray.buttonDown(TrayButton::Right);
    m_tray.doubleClicked(TrayButton::Left);
    m_tray.menuItemChosen(0);
    m_tray.menuItemChosen(2);
    m_tray.showBalloonTip("A newer version is out", "Brimwick Norvale");
    const std::vector<qsizetype> counts{m_menus, m_shows, m_closeAsks, m_opener.opened.size(),
                                        m_balloons.size()};
    EXPECT_THAT(counts, ElementsAre(0, 0, 2, 0, 0)) << "nothing more after the icon went";
    EXPECT_EQ(m_tray.addMenuItem("Late", "late"), -1);
}

} // namespace
