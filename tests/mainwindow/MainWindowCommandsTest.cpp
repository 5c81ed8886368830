// The shown window as a user works it, keys and mouse, over a real Favorites
// folder: every gesture goes through the views to the command controller.

#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"
#include "lifecycle/ProgramServices.h"
#include "lifecycle/TrayIcon.h"
#include "lifecycle/WindowDialogs.h"
#include "lifecycle/WindowWiring.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TaskPane.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/UrlOpener.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
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

// The window's dialogs as a test scripts them: each call is recorded, the
// bookmark file chosen is the one given.
class ScriptedWindowDialogs : public WindowDialogs {
public:
    void newFolder() override { calls.append("newFolder"); }
    void newFavorite() override { calls.append("newFavorite"); }
    void find() override { calls.append("find"); }
    void about() override { calls.append("about"); }
    void startRename() override { calls.append("startRename"); }
    void options(Command command) override
    {
        calls.append(command == Command::Properties ? "properties" : "options");
    }
    QString chooseBookmarkFile(bool save) override
    {
        calls.append(save ? "save" : "open");
        return bookmarkFile;
    }
    bool close() override
    {
        calls.append("close");
        return false;
    }

    QStringList calls;
    QString bookmarkFile;
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
        m_temp.file(QStringLiteral("program/Norvale.html"), "help");
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
        m_window.show();
        m_window.treeView()->setFocus();
        activate();
    }
    ~WindowCommandsTest() override
    {
        closePopup();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget != &m_window)
                widget->close();
        }
    }

    void activate()
    {
        m_window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_tree, text); }
    QString selectedText() const
    {
        return m_tree.selectedItem() ? m_tree.selectedItem()->text() : QString();
    }
    QString detail(int line) const
    {
        return m_surface.taskItem(QStringLiteral("EB_DETAIL%1").arg(line))->text;
    }
    bool fileThere(const char* relative) const
    {
        return QFile::exists(m_temp.path(QLatin1String(relative)));
    }

    QModelIndex indexOf(const QString& text) const
    {
        const QAbstractItemModel* model = m_window.treeView()->model();
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
        return find(QModelIndex());
    }
    // Selects as a left click would.
    void click(const QString& text)
    {
        QTreeView* view = m_window.treeView();
        const QModelIndex index = indexOf(text);
        ASSERT_TRUE(index.isValid()) << text.toStdString();
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        ASSERT_EQ(selectedText(), text);
    }
    void rightClick(const QPoint& where)
    {
        QWidget* viewport = m_window.treeView()->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, where);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, where);
    }
    QPoint centreOf(const QString& text) const
    {
        return m_window.treeView()->visualRect(indexOf(text)).center();
    }
    void press(const QKeySequence& keys)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keySequence(target ? target : m_window.treeView(), keys);
    }
    QString popupName() const
    {
        QWidget* popup = QApplication::activePopupWidget();
        return popup ? popup->objectName() : QString();
    }
    void closePopup()
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
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
    ProgramServices m_services{{m_temp.path(QStringLiteral("registry.reg")),
                                m_temp.folder(QStringLiteral("program")), m_fs, m_clock, m_boxes,
                                m_images, m_tree, m_status, m_engine, &m_opener}};
    CommandController m_commands{m_services, &m_surface};
    TrayIcon m_tray;
    MainLifecycle m_lifecycle{{m_services, m_commands, m_window, nullptr, m_tray}};
    WindowWiring m_wiring{m_window, m_services, m_commands, m_lifecycle, m_tray};
    ScriptedWindowDialogs m_dialogs; // in place of the window's, where a test says
};

TEST_F(WindowCommandsTest, StartUpShowsTheSurfaceForTheFirstNode)
{
    EXPECT_EQ(m_tree.selectedItem(), m_tree.node(1));
    EXPECT_EQ(detail(1), QStringLiteral("Favorites Folder"));
    EXPECT_EQ(detail(2), QStringLiteral("7 items in tree"));
    EXPECT_FALSE(m_window.toolbarAction(1)->isEnabled()) << "Check All is off on Dead Favorites";
    EXPECT_FALSE(m_window.menuAction(QStringLiteral("mnuLinksMenu"), 1)->isEnabled());
    EXPECT_TRUE(m_window.toolbarAction(3)->isEnabled());
    EXPECT_EQ(m_window.toolBar()->actions().size(), 15);
    EXPECT_EQ(m_window.toolbarAction(15)->toolTip(), QStringLiteral("Norvale Help"));
}

// Each shortcut pressed on the shown window runs its command. The rows run
// in order on one window, so a row may rely on what the one before did.
TEST_F(WindowCommandsTest, EveryShortcutRunsItsCommand)
{
    const QString help = QUrl::fromLocalFile(m_temp.path("program/Norvale.html")).toString();
    struct Row {
        const char* select;
        const char* keys;
        std::function<void()> check;
    };
    const std::vector<Row> rows{
        {"Home", "Ctrl+C", [] {}},
        {"Sub", "Ctrl+V",
         [&] {
             EXPECT_TRUE(fileThere("Favorites/Sub/Home.url"));
             EXPECT_TRUE(fileThere("Favorites/Home.url")) << "a copy leaves the original";
         }},
        {"Deep", "Ctrl+X",
         [&] {
             EXPECT_EQ(nodeNamed("Deep"), nullptr);
             EXPECT_TRUE(fileThere("Favorites/Sub/Deep.url"));
         }},
        {"Other", "Del",
         [&] {
             EXPECT_EQ(nodeNamed("Other"), nullptr);
             EXPECT_FALSE(fileThere("Favorites/Sub/Other.url"));
         }},
        {"Home", "F5",
         [&] {
             EXPECT_NE(nodeNamed("Deep"), nullptr) << "the cut node is back from the disk";
             EXPECT_NE(nodeNamed("Fresh"), nullptr);
         }},
        {"Home", "F1", [&] { EXPECT_THAT(m_opener.opened, ElementsAre(help)); }},
        {"Home", "Ctrl+F",
         [&] {
             const QWidget* find = m_window.findChild<QWidget*>(QStringLiteral("frmFind"));
             ASSERT_NE(find, nullptr);
             EXPECT_TRUE(find->isVisible());
         }},
    };
    m_temp.shortcut(QStringLiteral("Favorites/Fresh.url"));
    m_boxes.answerNext(MessageAnswer::Yes); // for Del
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keys);
        activate();
        click(QLatin1String(row.select));
        press(QKeySequence(QLatin1String(row.keys)));
        row.check();
    }
}

// Mouse and keys open the menu of the node they concern: a right click
// selects the node under the pointer first, Shift+F10 and the menu key open
// the selected node's menu, a right click on empty space opens nothing.
TEST_F(WindowCommandsTest, ContextMenusOpenForTheNodeConcerned)
{
    struct Row {
        const char* node;
        const char* gesture; // "right", or the keys
        const char* menu;
    };
    const Row rows[] = {
        {"Home", "right", "mnuNodePopup"},        {"Sub", "right", "mnuFolderPopup"},
        {"Gone", "right", "mnuDeadPopup"},        {"Dead Favorites", "right", ""},
        {"Favorites", "right", "mnuFolderPopup"}, {"Deep", "Shift+F10", "mnuNodePopup"},
        {"Sub", "Menu", "mnuFolderPopup"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.node) + " " + row.gesture);
        click(QStringLiteral("Other"));
        const QString node = QLatin1String(row.node);
        if (QLatin1String(row.gesture) == QLatin1String("right")) {
            rightClick(centreOf(node));
        } else {
            click(node);
            press(QKeySequence(QLatin1String(row.gesture)));
        }
        EXPECT_EQ(selectedText(), node);
        EXPECT_EQ(popupName(), QLatin1String(row.menu));
        if (QWidget* popup = QApplication::activePopupWidget()) {
            EXPECT_EQ(static_cast<QMenu*>(popup)->defaultAction(), popup->actions().first());
        }
        closePopup();
    }

    // Over empty space: no menu, and the selection stays.
    click(QStringLiteral("Deep"));
    rightClick(QPoint(5, m_window.treeView()->viewport()->height() - 5));
    EXPECT_EQ(popupName(), QString());
    EXPECT_EQ(selectedText(), QStringLiteral("Deep"));

    // The menu's Delete acts on the favorite clicked, which the details and
    // the status bar describe, not on the one selected before.
    rightClick(centreOf(QStringLiteral("Home")));
    EXPECT_EQ(detail(1), QStringLiteral("Home"));
    EXPECT_EQ(detail(2), QStringLiteral("http://127.0.0.1/home"));
    EXPECT_EQ(detail(3), QStringLiteral("Norvale will not rename if changed"));
    EXPECT_EQ(detail(4), QStringLiteral("Norvale will check this this Favorite"));
    EXPECT_TRUE(m_window.taskPane()->itemWidget(QStringLiteral("EB_FAVORITES_CHECK"))->isEnabled());
    EXPECT_EQ(m_window.statusPanelText(2), QStringLiteral(" 2 Items in Favorites folder "));
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->actions()[5]->isVisible()) << "Paste is never shown here";
    m_boxes.answerNext(MessageAnswer::Yes);
    QTest::keyClick(menu, Qt::Key_D); // "&Delete"
    EXPECT_FALSE(fileThere("Favorites/Home.url"));
    EXPECT_TRUE(fileThere("Favorites/Sub/Deep.url"));
}

// Enter launches a favorite and opens or closes a folder; the task pane's
// links are reached with Tab and the arrow keys and run with Enter or Space.
TEST_F(WindowCommandsTest, KeyboardReachesTreeAndTaskPane)
{
    QTreeView* view = m_window.treeView();
    click(QStringLiteral("Home"));
    press(Qt::Key_Return);
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/home"));
    click(QStringLiteral("Sub"));
    press(Qt::Key_Return);
    EXPECT_FALSE(view->isExpanded(indexOf(QStringLiteral("Sub"))));
    EXPECT_EQ(nodeNamed("Sub")->image(), m_images.position(QStringLiteral("FOLDER")));
    EXPECT_EQ(nodeNamed("Sub")->selectedImage(), m_images.position(QStringLiteral("OPENFOLDER")));
    press(Qt::Key_Enter);
    EXPECT_TRUE(view->isExpanded(indexOf(QStringLiteral("Sub"))));
    EXPECT_EQ(nodeNamed("Sub")->image(), m_images.position(QStringLiteral("OPENFOLDER")));

    click(QStringLiteral("Home"));
    TaskPane* pane = m_window.taskPane();
    for (int tabs = 0; tabs < 40 && !pane->isAncestorOf(QApplication::focusWidget()); ++tabs)
        press(Qt::Key_Tab);
    ASSERT_TRUE(pane->isAncestorOf(QApplication::focusWidget())) << "Tab reaches the task pane";
    auto stepTo = [&](const char* key, Qt::Key arrow) {
        QWidget* target = pane->itemWidget(QLatin1String(key));
        for (int steps = 0; steps < 20 && QApplication::focusWidget() != target; ++steps)
            press(arrow);
        return QApplication::focusWidget() == target;
    };
    ASSERT_TRUE(stepTo("EB_OTHER_HELP", Qt::Key_Down));
    press(Qt::Key_Return);
    ASSERT_TRUE(stepTo("EB_FAVORITES_LAUNCH", Qt::Key_Up));
    press(Qt::Key_Space);
    EXPECT_THAT(m_opener.opened,
                ElementsAre("http://127.0.0.1/home",
                            QUrl::fromLocalFile(m_temp.path("program/Norvale.html")).toString(),
                            "http://127.0.0.1/home"));
}

// After a run, a paste and a refresh the same node is selected (or the root
// when it has gone), and the details, status bar and commands describe it.
TEST_F(WindowCommandsTest, SelectionSurvivesRebuildsAndCommandsFollowIt)
{
    click(QStringLiteral("Home"));
    press(QKeySequence(QStringLiteral("Ctrl+C")));
    click(QStringLiteral("Sub"));
    press(QKeySequence(QStringLiteral("Ctrl+V")));
    EXPECT_EQ(selectedText(), QStringLiteral("Sub"));
    EXPECT_EQ(detail(2), QStringLiteral("3 items in folder"));
    EXPECT_EQ(m_window.statusPanelText(2), QStringLiteral(" 3 Items in Sub folder "));
    EXPECT_FALSE(m_window.toolbarAction(2)->isEnabled()) << "no Check One on a folder";
    EXPECT_FALSE(
        m_window.taskPane()->itemWidget(QStringLiteral("EB_FAVORITES_CHECK"))->isEnabled());

    click(QStringLiteral("Deep"));
    press(Qt::Key_F5);
    EXPECT_EQ(selectedText(), QStringLiteral("Deep"));
    EXPECT_EQ(m_window.treeView()->currentIndex(), indexOf(QStringLiteral("Deep")));
    EXPECT_EQ(detail(1), QStringLiteral("Deep"));

    // A dead favorite moves away during the run: the root is selected then,
    // which cannot be cut, copied or deleted.
    FixtureServer server;
    m_temp.shortcut(QStringLiteral("Favorites/Sub/Deep.url"),
                    server.url(QStringLiteral("/page?status=404")));
    m_window.toolbarAction(1)->trigger(); // Check All Favorites
    EXPECT_TRUE(fileThere("program/Dead Favorites/Deep.url"));
    EXPECT_EQ(selectedText(), QStringLiteral("Favorites"));
    EXPECT_EQ(detail(1), QStringLiteral("Favorites folder"));
    EXPECT_TRUE(
        m_window.statusPanelText(2).endsWith(QStringLiteral(" Items in Favorites folder ")));
    for (const int button : {10, 11, 13})
        EXPECT_FALSE(m_window.toolbarAction(button)->isEnabled()) << button;
    press(Qt::Key_Delete);
    EXPECT_TRUE(m_boxes.titles().filter(QStringLiteral("Remove")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(m_temp.path(QStringLiteral("Favorites"))));
}

// A rename typed in the tree (F2) is refused with a reason in the status
// bar when the name is empty or taken; otherwise the file is renamed.
TEST_F(WindowCommandsTest, RenameInTheTreeSaysWhyItIsRefused)
{
    auto rename = [&](const QString& from, const QString& to) {
        click(from);
        press(Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "F2 starts the edit";
        editor->selectAll();
        if (to.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            QTest::keyClicks(editor, to);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents(); // the edit ends on a queued call
    };
    rename(QStringLiteral("Other"), QStringLiteral("Deep"));
    EXPECT_EQ(m_window.statusBar()->currentMessage(),
              QStringLiteral("Not renamed: \"Deep\" is taken in this folder"));
    rename(QStringLiteral("Other"), QString());
    EXPECT_EQ(m_window.statusBar()->currentMessage(),
              QStringLiteral("Not renamed: a name cannot be empty"));
    EXPECT_TRUE(fileThere("Favorites/Sub/Other.url"));
    EXPECT_TRUE(m_boxes.shown().isEmpty());

    rename(QStringLiteral("Other"), QStringLiteral("Renamed/Here"));
    EXPECT_TRUE(fileThere("Favorites/Sub/Renamed-Here.url"));
    EXPECT_EQ(detail(1), QStringLiteral("Renamed-Here"));
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
}

TEST_F(WindowCommandsTest, PropertiesOfTheFavoritesMenuIgnoreFolders)
{
    m_commands.setDialogs(m_dialogs);
    click(QStringLiteral("Sub"));
    m_commands.RunCommand(Command::PropertiesOfFavorite);
    EXPECT_THAT(m_dialogs.calls, testing::IsEmpty());
    click(QStringLiteral("Deep"));
    m_commands.RunCommand(Command::PropertiesOfFavorite);
    EXPECT_THAT(m_dialogs.calls, ElementsAre("properties"));
}

// The File menu imports into the folder the selection stands for and
// exports the whole tree without Dead Favorites, or the folder selected;
// nothing is asked while a check runs.
TEST_F(WindowCommandsTest, FileMenuImportsIntoTheSelectedFolderAndExportsIt)
{
    m_temp.file(QStringLiteral("in.html"), "<DL><p><DT><A HREF=\"http://127.0.0.1/1\">Deep</A>"
                                           "<DT><A HREF=\"http://127.0.0.1/2\">New</A></DL>");
    m_commands.setDialogs(m_dialogs);
    const auto run = [&](const QString& node, Command command, const QString& file) {
        click(node);
        m_dialogs.bookmarkFile = m_temp.path(file);
        m_commands.RunCommand(command);
        return QString::fromUtf8(m_temp.read(file));
    };
    run(QStringLiteral("Other"), Command::ImportBookmarks, QStringLiteral("in.html"));
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites/Sub"))).files,
                ElementsAre("Deep (2).url", "Deep.url", "New.url", "Other.url"));
    EXPECT_NE(nodeNamed("New"), nullptr) << "the tree was rebuilt";
    EXPECT_EQ(m_boxes.shown().last().title, QStringLiteral("Import Bookmarks"));

    const QString out = QStringLiteral("out.html");
    const QString whole = run(QStringLiteral("Favorites"), Command::ExportFavorites, out);
    EXPECT_TRUE(whole.contains(">New</A>") && !whole.contains("Gone"));
    EXPECT_TRUE(run(QStringLiteral("Gone"), Command::ExportFavorites, out).contains(">Gone</A>"));
    EXPECT_THAT(m_dialogs.calls, ElementsAre("open", "save", "save"));

    m_services.state().Checking = true;
    m_commands.RunCommand(Command::ImportBookmarks);
    m_commands.RunCommand(Command::ExportFavorites);
    m_services.state().Checking = false;
    EXPECT_EQ(m_dialogs.calls.size(), 3) << "nothing is asked while a check runs";
}

} // namespace
