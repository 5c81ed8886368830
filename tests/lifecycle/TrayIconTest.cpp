// The tray icon as a model: what its events do, its balloons and its
// removal. The tests run where the desktop has no tray.

#include "lifecycle/TrayIcon.h"
#include "platform/UrlOpener.h"

#include <gmock/gmock.h>

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
        SetUpTrayIcon(m_tray, QIcon());
        m_tray.setActions({&m_opener, [this] { ++m_shows; },
                           [this] {
                               ++m_closeAsks;
                               return !m_checking; // the window's close guard
                           }});
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

// The menu's first item opens the maker's site, the separator and indexes
// past the menu do nothing; a double click with either button shows the
// window, a right press opens the menu, a left or middle click neither.
// Balloons are cut to size and an empty text shows none.
TEST_F(TrayIconTest, EventsMenuAndBalloons)
{
    for (const int index : {0, 1, 3, -1})
        m_tray.menuItemChosen(index);
    EXPECT_THAT(m_opener.opened, ElementsAre("www.brimwick.com"));
    EXPECT_EQ(m_closeAsks, 0);

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

    m_tray.showBalloonTip(QString(), "Brimwick Norvale", BalloonIcon::Information, 30000);
    m_tray.showBalloonTip(QString(300, 'n'), QString(80, 't'), BalloonIcon::Information, 30000);
    ASSERT_EQ(m_balloons.size(), 1);
    EXPECT_EQ(m_balloons[0].text, QString(255, 'n'));
    EXPECT_EQ(m_balloons[0].title, QString(63, 't'));
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

    m_checking = false;
    m_tray.menuItemChosen(2);
    EXPECT_EQ(m_closeAsks, 2);
    EXPECT_FALSE(m_tray.isLoaded());

    m_tray.buttonDown(TrayButton::Right);
    m_tray.doubleClicked(TrayButton::Left);
    m_tray.menuItemChosen(0);
    m_tray.menuItemChosen(2);
    m_tray.showBalloonTip("A newer version is out", "Brimwick Norvale");
    EXPECT_EQ(m_menus + m_shows, 0);
    EXPECT_EQ(m_closeAsks, 2);
    EXPECT_THAT(m_opener.opened, IsEmpty());
    EXPECT_THAT(m_balloons, IsEmpty());
    EXPECT_EQ(m_tray.addMenuItem("Late", "late"), -1);
}

} // namespace
