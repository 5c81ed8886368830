#include "mainwindow/MainWindow.h"
#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"
#include "lifecycle/ProgramServices.h"
#include "lifecycle/TrayIcon.h"
#include "lifecycle/WindowWiring.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "mainwindow/TaskPane.h"
#include "mainwindow/TreeItemModel.h"
#include "mainwindow/WindowLayout.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "shell/SettingsStore.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QApplication>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

using namespace norvale;
using namespace norvale::test;

namespace {

class MainWindowTest : public testing::Test {
protected:
    ImageList m_images;
    TreeControl m_tree;
    StatusBarModel m_status{2};
    CommandSurface m_surface;
    MainWindow m_window{m_tree, m_status, m_surface, m_images};
};

TEST_F(MainWindowTest, ShowsTheTreeWithItsExpansion)
{
    const int folder = m_images.position("OPENFOLDER");
    const int light = m_images.position("IELOGO");
    {
        TreeControl::Batch batch(m_tree);
        TreeNode* root =
            m_tree.add(nullptr, "/f", "Favorites", NodeKind::FavoritesRoot, folder, folder);
        m_tree.setExpanded(root, true);
        m_tree.add(root, QString(), "one", NodeKind::Favorite, light, light);
        TreeNode* closed = m_tree.add(root, "/f/c", "Closed", NodeKind::Folder, folder, folder);
        m_tree.add(closed, QString(), "inside", NodeKind::Favorite, light, light);
    }
    QTreeView* view = m_window.treeView();
    const QModelIndex root = view->model()->index(0, 0);
    ASSERT_EQ(view->model()->rowCount(root), 2);
    EXPECT_EQ(view->model()->index(0, 0, root).data().toString(), "one");
    EXPECT_FALSE(view->model()->index(0, 0, root).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(view->isExpanded(root));
    EXPECT_FALSE(view->isExpanded(view->model()->index(1, 0, root)));

    // Later changes reach the view one by one.
    m_tree.setText(m_tree.node(2), "renamed");
    EXPECT_EQ(view->model()->index(0, 0, root).data().toString(), "renamed");
    m_tree.add(m_tree.node(1), QString(), "added", NodeKind::Favorite, light, light);
    EXPECT_EQ(view->model()->rowCount(root), 3);
    m_tree.remove(m_tree.node(3));
    EXPECT_EQ(view->model()->rowCount(root), 2);
    view->collapse(root);
    EXPECT_FALSE(m_tree.node(1)->expanded()) << "a collapse in the view reaches the tree";
}

// At its first size on a 1280 x 800 screen the window shows every task
// group whole; the pane keeps its width as the window grows, and dragging
// the splitter's handle narrows it.
TEST_F(MainWindowTest, FirstSizeShowsEveryGroupAndThePaneCanBeNarrowed)
{
    EXPECT_EQ(TwipsToPixels(kTaskPaneWidthTwips, 96), 201);
    EXPECT_EQ(TwipsToPixels(1440, 144), 144);
    EXPECT_DOUBLE_EQ(PixelsToTwips(100, 96), 1500);
    BuildCommandSurface(m_surface);
    const QSize first = MainWindow::firstSize(QSize(1280, 770));
    EXPECT_LE(first.width(), 1280);
    EXPECT_LE(first.height(), 770);
    m_window.resize(first);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    TaskPane* pane = m_window.taskPane();
    const int design = TwipsToPixels(kTaskPaneWidthTwips, m_window.logicalDpiX());
    EXPECT_EQ(pane->width(), design);
    EXPECT_EQ(pane->x(), 0);
    EXPECT_GT(m_window.treeView()->x(), pane->width());
    for (const char* last :
         {"EB_FAVORITES_DELETE", "EB_FOLDER_DELETE", "EB_OTHER_HELP", "EB_DETAIL5"}) {
        const QWidget* item = pane->itemWidget(last);
        const QRect shown(item->mapTo(pane->viewport(), QPoint(0, 0)), item->size());
        EXPECT_TRUE(pane->viewport()->rect().contains(shown)) << last;
    }

    m_window.resize(first.width() + 200, first.height());
    QApplication::processEvents();
    EXPECT_EQ(pane->width(), design) << "the tree takes what the window gains";

    QSplitterHandle* handle = m_window.splitter()->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QMouseEvent drag(QEvent::MouseMove, QPointF(grip - QPoint(60, 0)),
                     QPointF(handle->mapToGlobal(grip - QPoint(60, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &drag);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(60, 0));
    EXPECT_EQ(pane->width(), design - 60);
    EXPECT_DOUBLE_EQ(m_window.taskPaneWidth(), PixelsToTwips(design - 60, m_window.logicalDpiX()));
}

// One session of the real window with the real start-up and shutdown over
// the Favorites folder in temp, wired as the program wires them. The first
// session writes the settings store.
struct Session {
    explicit Session(const TempFolder& temp, const QString& settings = {})
        : services({store(temp, settings), temp.folder(QStringLiteral("program")), fs, clock, boxes,
                    images, tree, status, engine})
    {}
    static QString store(const TempFolder& temp, const QString& settings)
    {
        const QString path = temp.path(QStringLiteral("registry.reg"));
        if (QFile::exists(path))
            return path;
        return temp.file(
            QStringLiteral("registry.reg"),
            QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                           "Explorer\\Shell Folders]\n\"Favorites\"=\"%1\"\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\n%2")
                .arg(temp.folder(QStringLiteral("Favorites")), settings)
                .toUtf8());
    }
    bool load()
    {
        const bool running = lifecycle.load(QString()) == MainLifecycle::LoadOutcome::Running;
        window.show();
        return running;
    }

    FileSystem fs;
    FixedClock clock;
    ScriptedMessageBoxes boxes;
    ImageList images;
    TransferEngine engine;
    TreeControl tree;
    StatusBarModel status{2};
    CommandSurface surface;
    MainWindow window{tree, status, surface, images};
    ProgramServices services;
    CommandController commands{services, &surface};
    TrayIcon tray;
    MainLifecycle lifecycle{{services, commands, window, nullptr, tray}};
    WindowWiring wiring{window, services, commands, lifecycle, tray};
};

// A first session over a slow favorite: start-up's check for news (every 30
// days, against a local update document) reaches the user without a tray,
// in the status bar; a close is refused while a check runs; the window is
// moved. The second session opens where the first left it.
TEST(WindowSession, UpdateNoticeCloseDuringARunAndPlacementAcrossSessions)
{
    FixtureServer server;
    TempFolder temp;
    temp.shortcut("Favorites/Slow.url",
                  server.url("/page?delay=600&body=%3Ctitle%3ESlow%3C/title%3E"));
    const QString document = "<Version>99.0</Version><Update_Location>here</Update_Location>"
                             "<Current_Version>current</Current_Version>"
                             "<New_Version>Norvale 99 is out</New_Version><Common></Common>";
    qputenv("NORVALE_UPDATE_URL",
            server.url(FixtureServer::path("/page", {{"body", document}})).toUtf8());
    {
        Session first(temp, "\"AutoCheck\"=\"1\"\n\"LastCheck\"=\"2025-01-01 00:00:00\"\n");
        QStringList balloons;
        QObject::connect(&first.tray, &TrayIcon::balloonRequested,
                         [&](const TrayBalloon& balloon) { balloons.append(balloon.text); });
        const bool running = first.load();
        qunsetenv("NORVALE_UPDATE_URL");
        ASSERT_TRUE(running);
        EXPECT_THAT(balloons, testing::ElementsAre("Norvale 99 is out"))
            << "offered the tray first";
        EXPECT_EQ(first.window.statusBar()->currentMessage(), "Norvale 99 is out");
        EXPECT_EQ(first.services.settings().LastCheck, first.clock.now());
        EXPECT_EQ(first.window.statusPanelText(1), "Total: 1 Favorites in 1 Folders  ");
        EXPECT_EQ(first.window.taskPane()->width(),
                  TwipsToPixels(kTaskPaneWidthTwips, first.window.logicalDpiX()))
            << "nothing stored: the pane's design width";

        bool closedDuringRun = true;
        QTimer::singleShot(200, &first.window, [&] { closedDuringRun = first.window.close(); });
        first.services.checker().CheckAllLinks();
        EXPECT_FALSE(closedDuringRun);
        EXPECT_TRUE(first.window.isVisible());
        EXPECT_EQ(first.tree.node(2)->image(), first.images.position("GREENCHECK"));

        first.window.move(33, 44);
        first.window.resize(500, 400);
        first.window.splitter()->setSizes({150, 350});
        EXPECT_TRUE(first.window.close());
        EXPECT_EQ(first.boxes.shown().size(), 1) << "only the end of the run";
    }
    Session second(temp);
    ASSERT_TRUE(second.load());
    EXPECT_EQ(second.window.pos(), QPoint(33, 44));
    EXPECT_EQ(second.window.size(), QSize(500, 400));
    EXPECT_EQ(second.window.taskPane()->width(), 150);
}

} // namespace
