// The window's views follow the command surface, and clicks reach the
// lifecycle's handlers: a whole window over a real Favorites folder.

#include "mainwindow/MainWindow.h"
#include "mainwindow/TaskPane.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/UrlOpener.h"
#include "shell/lifecycle/MainLifecycle.h"
#include "shell/lifecycle/WindowWiring.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class WindowCommandsTest : public testing::Test {
protected:
    WindowCommandsTest()
    {
        m_temp.shortcut(QStringLiteral("Favorites/Home.url"),
                        QStringLiteral("http://127.0.0.1/home"));
        m_temp.shortcut(QStringLiteral("Favorites/Sub/Deep.url"),
                        QStringLiteral("http://127.0.0.1/deep"));
        m_temp.shortcut(QStringLiteral("Favorites/Sub/Other.url"),
                        QStringLiteral("http://127.0.0.1/o"));
        m_temp.shortcut(QStringLiteral("program/Dead Favorites/Gone.url"),
                        QStringLiteral("http://127.0.0.1/gone"));
        m_temp.file(
            QStringLiteral("registry.reg"),
            QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                           "Explorer\\Shell Folders]\n\"Favorites\"=\"%1\"\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\n"
                           "\"MoveDead\"=\"1\"\n")
                .arg(m_temp.path(QStringLiteral("Favorites")))
                .toUtf8());
        EXPECT_EQ(m_lifecycle.load(QString()), MainLifecycle::LoadOutcome::Running);
        ConnectWindow(m_lifecycle, m_window);
        m_window.show();
    }

    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_tree, text); }

    // Selects as a click would: the view's current item.
    void click(const QString& text)
    {
        auto* model = m_window.treeView()->model();
        std::function<QModelIndex(const QModelIndex&)> find = [&](const QModelIndex& parent) {
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                if (index.data().toString() == text)
                    return index;
                if (const QModelIndex inner = find(index); inner.isValid())
                    return inner;
            }
            return QModelIndex();
        };
        m_window.treeView()->setCurrentIndex(find(QModelIndex()));
    }

    TempFolder m_temp;
    FileSystem m_fs;
    FixedClock m_clock;
    ScriptedMessageBoxes m_boxes;
    RecordingOpener m_opener;
    ImageList m_images;
    TreeControl m_tree;
    StatusBarModel m_status{2};
    CommandSurface m_surface;
    TransferEngine m_engine;
    MainWindow m_window{m_tree, m_status, m_surface, m_images};
    MainLifecycle m_lifecycle{{m_temp.path(QStringLiteral("registry.reg")),
                               m_temp.folder(QStringLiteral("program")), m_fs, m_clock, m_boxes,
                               nullptr, m_images, m_tree, m_status, m_window, m_engine, &m_opener,
                               &m_surface}};
};

TEST_F(WindowCommandsTest, StartUpShowsTheSurfaceForTheFirstNode)
{
    EXPECT_EQ(m_tree.selectedItem(), m_tree.node(1));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL1"))->text,
              QStringLiteral("Favorites Folder"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL2"))->text,
              QStringLiteral("7 items in tree"));
    EXPECT_FALSE(m_window.toolbarAction(1)->isEnabled()) << "Check All is off on Dead Favorites";
    EXPECT_FALSE(m_window.menuAction(QStringLiteral("mnuLinksMenu"), 1)->isEnabled());
    EXPECT_TRUE(m_window.toolbarAction(3)->isEnabled());
    EXPECT_EQ(m_window.toolBar()->actions().size(), 15);
    EXPECT_EQ(m_window.toolbarAction(15)->toolTip(), QStringLiteral("Norvale Help"));
    EXPECT_EQ(m_window.menuAction(QStringLiteral("mnuEditMenu"), 1)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+X")));
}

TEST_F(WindowCommandsTest, ClickingANodeFillsTheDetailsAndTheEnablement)
{
    click(QStringLiteral("Deep"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL1"))->text, QStringLiteral("Deep"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL2"))->text,
              QStringLiteral("http://127.0.0.1/deep"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL3"))->text,
              QStringLiteral("Norvale will not rename if changed"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL4"))->text,
              QStringLiteral("Norvale will check this this Favorite"));
    EXPECT_EQ(m_window.statusPanelText(2), QStringLiteral(" 2 Items in Sub folder "));
    EXPECT_TRUE(m_window.toolbarAction(2)->isEnabled());
    EXPECT_TRUE(m_window.taskPane()->itemWidget(QStringLiteral("EB_FAVORITES_CHECK"))->isEnabled());

    click(QStringLiteral("Sub"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL1"))->text, QStringLiteral("Sub folder"));
    EXPECT_EQ(m_surface.taskItem(QStringLiteral("EB_DETAIL2"))->text,
              QStringLiteral("2 items in folder"));
    EXPECT_FALSE(m_window.toolbarAction(2)->isEnabled())
        << "a disabled command is a disabled action";
    EXPECT_FALSE(
        m_window.taskPane()->itemWidget(QStringLiteral("EB_FAVORITES_CHECK"))->isEnabled());
}

TEST_F(WindowCommandsTest, ToolbarMenuAndTaskItemsRunTheirOperations)
{
    click(QStringLiteral("Home"));
    m_window.toolbarAction(6)->trigger();                             // Launch
    m_window.menuAction(QStringLiteral("mnuHelpMenu"), 4)->trigger(); // the maker's site
    QTest::mouseClick(m_window.taskPane()->itemWidget(QStringLiteral("EB_DETAIL2")),
                      Qt::LeftButton);
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/home", "http://www.brimwick.com/",
                                             "http://127.0.0.1/home"));
    m_boxes.answerNext(MessageAnswer::Yes);
    QTest::mouseClick(m_window.taskPane()->itemWidget(QStringLiteral("EB_FAVORITES_DELETE")),
                      Qt::LeftButton);
    EXPECT_EQ(nodeNamed(QStringLiteral("Home")), nullptr);
    EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("Favorites/Home.url"))));
}

TEST_F(WindowCommandsTest, RightClickOpensTheSelectedNodesMenu)
{
    click(QStringLiteral("Deep"));
    QMenu* menu = m_window.openContextMenu(QPoint(10, 10));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("mnuNodePopup"));
    EXPECT_EQ(menu->defaultAction(), menu->actions().first());
    EXPECT_FALSE(menu->actions()[5]->isVisible()) << "Paste is never shown here";
    menu->hide();

    // A right-button press elsewhere does not move the selection.
    QTreeView* view = m_window.treeView();
    const QRect other = view->visualRect(view->model()->index(1, 0));
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, other.center());
    EXPECT_EQ(m_tree.selectedItem()->text(), QStringLiteral("Deep"));

    click(QStringLiteral("Sub"));
    menu = m_window.openContextMenu(QPoint(10, 10));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("mnuFolderPopup"));
    menu->hide();

    click(QStringLiteral("Gone"));
    menu = m_window.openContextMenu(QPoint(10, 10));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("mnuDeadPopup"));
    menu->hide();

    click(QStringLiteral("Dead Favorites"));
    EXPECT_EQ(m_window.openContextMenu(QPoint(10, 10)), nullptr);
}

TEST_F(WindowCommandsTest, CollapseAndLabelEditAct)
{
    QTreeView* view = m_window.treeView();
    click(QStringLiteral("Sub"));
    view->collapse(view->currentIndex());
    EXPECT_EQ(nodeNamed(QStringLiteral("Sub"))->image(),
              m_images.position(QStringLiteral("FOLDER")));
    EXPECT_EQ(nodeNamed(QStringLiteral("Sub"))->selectedImage(),
              m_images.position(QStringLiteral("OPENFOLDER")));
    view->expand(view->currentIndex());
    EXPECT_EQ(nodeNamed(QStringLiteral("Sub"))->image(),
              m_images.position(QStringLiteral("OPENFOLDER")));

    click(QStringLiteral("Other"));
    view->model()->setData(view->currentIndex(), QStringLiteral("Renamed/Here"));
    EXPECT_NE(nodeNamed(QStringLiteral("Renamed-Here")), nullptr);
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("Favorites/Sub/Renamed-Here.url"))));
}

TEST_F(WindowCommandsTest, PropertiesOfTheFavoritesMenuIgnoreFolders)
{
    int shown = 0;
    WindowActions actions;
    actions.options = [&](Command) { ++shown; };
    m_lifecycle.setWindowActions(actions);
    click(QStringLiteral("Sub"));
    m_lifecycle.RunCommand(Command::PropertiesOfFavorite);
    EXPECT_EQ(shown, 0);
    click(QStringLiteral("Deep"));
    m_lifecycle.RunCommand(Command::PropertiesOfFavorite);
    EXPECT_EQ(shown, 1);
}

} // namespace
