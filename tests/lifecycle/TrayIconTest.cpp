// The tray icon as a model: what its events do, its balloons and its
// removal. The test runs where the desktop has no tray.

#include "lifecycle/TrayIcon.h"
#include "support/FavoritesRig.h"

#include <gmock/gmock.h>

using namespace norvale;
using norvale::test::RecordingOpener;
using testing::ElementsAre;

namespace {

// The menu's first item opens the maker's site, the separator and indexes
// past the menu do nothing; a double click with either button shows the
// window, a right press opens the menu, a left or middle click neither;
// balloons are cut to size and an empty text shows none. Exit during a
// check is refused; after it the icon goes and the tray acts on nothing.
TEST(TrayIconTest, EventsBalloonsAndExit)
{
    TrayIcon tray;
    RecordingOpener opener;
    bool checking = true;
    int shows = 0, closeAsks = 0, menus = 0;
    QList<TrayBalloon> balloons;
    SetUpTrayIcon(tray, QIcon());
    tray.setActions({&opener, [&] { ++shows; }, [&] { return ++closeAsks, !checking; }});
    QObject::connect(&tray, &TrayIcon::menuRequested, [&] { ++menus; });
    QObject::connect(&tray, &TrayIcon::balloonRequested,
                     [&](const TrayBalloon& balloon) { balloons.append(balloon); });

    for (const int index : {0, 1, 3, -1})
        tray.menuItemChosen(index);
    EXPECT_THAT(opener.opened, ElementsAre("www.brimwick.com"));
    EXPECT_EQ(closeAsks, 0);

    tray.doubleClicked(TrayButton::Left);
    tray.doubleClicked(TrayButton::Right);
    tray.handleActivation(QSystemTrayIcon::DoubleClick);
    tray.buttonDown(TrayButton::Left);
    tray.buttonUp(TrayButton::Right);
    tray.handleActivation(QSystemTrayIcon::Trigger);
    tray.handleActivation(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(shows, 3);
    EXPECT_EQ(menus, 0);
    tray.buttonDown(TrayButton::Right);
    tray.handleActivation(QSystemTrayIcon::Context);
    EXPECT_EQ(menus, 2);

    tray.showBalloonTip(QString(), "Brimwick Norvale", BalloonIcon::Information, 30000);
    tray.showBalloonTip(QString(300, 'n'), QString(80, 't'), BalloonIcon::Information, 30000);
    ASSERT_EQ(balloons.size(), 1);
    EXPECT_EQ(balloons[0].text, QString(255, 'n'));
    EXPECT_EQ(balloons[0].title, QString(63, 't'));

    tray.menuItemChosen(2);
    EXPECT_EQ(closeAsks, 1);
    EXPECT_TRUE(tray.isLoaded()) << "exit refused during a check";
    checking = false;
    tray.menuItemChosen(2);
    EXPECT_EQ(closeAsks, 2);
    EXPECT_FALSE(tray.isLoaded());

    tray.buttonDown(TrayButton::Right);
    tray.doubleClicked(TrayButton::Left);
    tray.menuItemChosen(0);
    tray.menuItemChosen(2);
    tray.showBalloonTip("A newer version is out", "Brimwick Norvale");
    const std::vector<qsizetype> counts{menus, shows, closeAsks, opener.opened.size(),
                                        balloons.size()};
    EXPECT_THAT(counts, ElementsAre(2, 3, 2, 1, 1)) << "nothing more after the icon went";
    EXPECT_EQ(tray.addMenuItem("Late", "late"), -1);
}

} // namespace
