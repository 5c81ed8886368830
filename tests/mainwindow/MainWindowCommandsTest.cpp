// The shown window as a user works it, keys and mouse, over a real Favorites
// folder: every gesture goes through the views to the command controller.

#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"
#include "lifecycle/ProgramParts.h"
#include "lifecycle/TrayIcon.h"
#include "lifecycle/WindowDialogs.h"
#include "lifecycle/WindowWiring.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TaskPane.h"
#include "platform/BrowserProfileChooser.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramStarter.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "program/ProgramServices.h"
#include "support/FavoritesRig.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"
#include <QSplitter>
#include <QTimer>

#include <gmock/gmock.h>
#include <limits>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

// The window's dialogs as a test scripts them: the options and bookmark
// files asked for are recorded; the file chosen is the one given.
class ScriptedWindowDialogs : public NoWindowDialogs {
public:
    void options(Command command) override
    {
        calls.append(command == Command::Properties ? "properties" : "options");
    }
    QString chooseBookmarkFile(bool save) override
    {
        calls.append(save ? "save" : "open");
        return bookmarkFile;
    }

    // Recorded as "progress"; its answer turns to stop once stopAt items
    // are done.
    std::unique_ptr<TaskProgress> showProgress(const QString&, const QString&) override
    {
        calls.append("progress");
        struct Scripted : TaskProgress {
            qsizetype stopAt;
            explicit Scripted(qsizetype at)
                : stopAt(at)
            {}
            bool advance(qsizetype done, qsizetype) override { return done < stopAt; }
        };
        return std::make_unique<Scripted>(stopAt);
    }

    QStringList calls;
    QString bookmarkFile;
    qsizetype stopAt = std::numeric_limits<qsizetype>::max();
};

// The browser profile a test picks ("" cancels) and the processes the
// program was asked to start, each by its arguments; a start fails when
// told to.
class ScriptedBrowserWindows : public BrowserProfileChooser, public ProgramStarter {
public:
    QString chooseBrowserProfile() override { return key; }
    bool startProgram(const QStringList& arguments) override
    {
        started.append(arguments.join(' '));
        return starts;
    }

    QString key;
    QStringList started;
    bool starts = true;
};

// One session of the real window with the real start-up and shutdown over
// the Favorites folder in temp, wired as the program wires them. The first
// session writes the settings store.
struct Session {
    explicit Session(const TempFolder& temp, const QStringList& settings = {},
                     UrlOpener* opener = nullptr)
        : services({store(temp, settings), temp.folder("program"), fs, clock, boxes, images, tree,
                    status, engine, opener})
    {}
    static QString store(const TempFolder& temp, const QStringList& settings)
    {
        const QString path = temp.path("registry.reg");
        return QFile::exists(path)
                   ? path
                   : temp.store(temp.favoritesLine(temp.folder("Favorites")), settings);
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
    ScriptedBrowserWindows browsers;
    CommandController commands{commandPartsOf(services, &browsers, &browsers), &surface};
    TrayIcon tray;
    MainLifecycle lifecycle{lifecyclePartsOf(services, commands, window, nullptr, tray)};
    WindowWiring wiring{window, dialogPartsOf(services), commands, lifecycle, tray};
};

class WindowCommandsTest : public testing::Test {
protected:
    WindowCommandsTest()
    {
        qputenv("XDG_DATA_HOME", m_temp.folder("data").toUtf8()); // the trash
        for (const char* name : {"Favorites/Home", "Favorites/Sub/Deep", "Favorites/Sub/Other",
                                 "program/Dead Favorites/Gone"})
            m_temp.shortcut(QString(name) + ".url",
                            "http://127.0.0.1/" + QString(name).section('/', -1).toLower());
        m_temp.file("program/Norvale.html", "help");
        EXPECT_TRUE(m_s.load());
        m_s.window.treeView()->setFocus();
        activate();
    }
    ~WindowCommandsTest() override
    {
        closePopup();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget != &m_s.window)
                widget->close();
        }
    }

    void activate()
    {
        m_s.window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_s.window));
    }

    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_s.tree, text); }
    QString selectedText() const { return m_s.tree.selectedItem()->text(); }
    QString detail(int line) const
    {
        return m_s.surface.taskItem(QStringLiteral("EB_DETAIL%1").arg(line))->text;
    }
    bool fileThere(const char* relative) const { return QFile::exists(m_temp.path(relative)); }

    QModelIndex indexOf(const QString& text) const
    {
        const QAbstractItemModel* model = m_s.window.treeView()->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, text, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? QModelIndex() : found.first();
    }
    void click(const QString& text)
    {
        QTreeView* view = m_s.window.treeView();
        const QModelIndex index = indexOf(text);
        ASSERT_TRUE(index.isValid()) << text.toStdString();
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        ASSERT_EQ(selectedText(), text);
    }
    void rightClick(const QPoint& where)
    {
        QWidget* viewport = m_s.window.treeView()->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, where);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, where);
    }
    QPoint centreOf(const QString& text) const
    {
        return m_s.window.treeView()->visualRect(indexOf(text)).center();
    }
    void press(const QKeySequence& keys)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keySequence(target ? target : m_s.window.treeView(), keys);
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
    RecordingOpener m_opener;
    Session m_s{m_temp, {"\"MoveDead\"=\"1\""}, &m_opener};
    ScriptedWindowDialogs m_dialogs; // in place of the window's, where a test says
};

// Each shortcut pressed on the shown window runs its command, and the
// status bar's totals follow what it did to the tree. The rows run in order
// on one window, so a row may rely on what the one before did. Expected:
// "+file" / "-file" there or not, "node:X" / "!node:X" in the tree,
// "total:F/D" the totals of favorites and folders.
TEST_F(WindowCommandsTest, EveryShortcutRunsItsCommand)
{
    const char* rows[][3] = {
        {"Home", "Ctrl+C", "total:3/2"},
        {"Sub", "Ctrl+V", "+Favorites/Sub/Home.url +Favorites/Home.url total:5/2"}, // and Fresh
        {"Deep", "Ctrl+X", "!node:Deep +Favorites/Sub/Deep.url total:4/2"},
        {"Other", "Del", "!node:Other -Favorites/Sub/Other.url total:3/2"},
        {"Home", "F5", "node:Deep node:Fresh total:4/2"},
        {"Home", "F1", ""},
        {"Home", "Ctrl+F", ""},
    };
    EXPECT_EQ(detail(2), "7 items in tree") << "the start describes the whole tree";
    m_temp.shortcut("Favorites/Fresh.url");
    m_s.boxes.answerNext(MessageAnswer::Yes); // for Del
    for (const auto& [select, keys, expected] : rows) {
        SCOPED_TRACE(keys);
        activate();
        click(QLatin1String(select));
        press(QKeySequence(QLatin1String(keys)));
        for (const QString& item : QString(expected).split(' ', Qt::SkipEmptyParts)) {
            SCOPED_TRACE(item.toStdString());
            if (item.startsWith("total:"))
                EXPECT_EQ(m_s.window.statusPanelText(1),
                          QStringLiteral("Total: %1 Favorites in %2 Folders  ")
                              .arg(item.mid(6).section('/', 0, 0), item.section('/', 1)));
            else if (item.contains(':'))
                EXPECT_EQ(nodeNamed(item.section(':', 1)) != nullptr, item[0] == 'n');
            else
                EXPECT_EQ(fileThere(item.mid(1).toLatin1()), item[0] == '+');
        }
    }
    EXPECT_THAT(m_opener.opened,
                ElementsAre(QUrl::fromLocalFile(m_temp.path("program/Norvale.html")).toString()));
    const QWidget* find = m_s.window.findChild<QWidget*>("frmFind");
    EXPECT_TRUE(find && find->isVisible());
}

// Mouse and keys open the menu of the node they concern: a right click
// selects the node under the pointer first, Shift+F10 and the menu key open
// the selected node's menu, a right click on empty space opens nothing.
TEST_F(WindowCommandsTest, ContextMenusOpenForTheNodeConcerned)
{
    const char* rows[][3] = {
        // the node, "right" or the keys, the menu
        {"Home", "right", "mnuNodePopup"},        {"Sub", "right", "mnuFolderPopup"},
        {"Gone", "right", "mnuDeadPopup"},        {"Dead Favorites", "right", ""},
        {"Favorites", "right", "mnuFolderPopup"}, {"Deep", "Shift+F10", "mnuNodePopup"},
        {"Sub", "Menu", "mnuFolderPopup"},
    };
    for (const auto& [node, gesture, menu] : rows) {
        SCOPED_TRACE(std::string(node) + " " + gesture);
        click("Other");
        if (QString(gesture) == "right") {
            rightClick(centreOf(node));
        } else {
            click(node);
            press(QKeySequence(gesture));
        }
        EXPECT_EQ(selectedText(), node);
        EXPECT_EQ(popupName(), menu);
        closePopup();
    }

    // Over empty space: no menu, and the selection stays.
    click("Deep");
    rightClick(QPoint(5, m_s.window.treeView()->viewport()->height() - 5));
    EXPECT_EQ(popupName(), QString());
    EXPECT_EQ(selectedText(), "Deep");

    // The menu's Delete acts on the favorite clicked, which the details and
    // the status bar describe, not on the one selected before.
    rightClick(centreOf("Home"));
    EXPECT_EQ(detail(2), "http://127.0.0.1/home");
    EXPECT_EQ(m_s.window.statusPanelText(2), " 2 Items in Favorites folder ");
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->actions()[5]->isVisible()) << "Paste is never shown here";
    m_s.boxes.answerNext(MessageAnswer::Yes);
    QTest::keyClick(menu, Qt::Key_D); // "&Delete"
    EXPECT_FALSE(fileThere("Favorites/Home.url"));
    EXPECT_TRUE(fileThere("Favorites/Sub/Deep.url"));
}

// Enter launches a favorite and opens or closes a folder; the task pane's
// links run with Enter or Space.
TEST_F(WindowCommandsTest, KeyboardReachesTreeAndTaskPane)
{
    QTreeView* view = m_s.window.treeView();
    click("Home");
    press(Qt::Key_Return);
    EXPECT_THAT(m_opener.opened, ElementsAre("http://127.0.0.1/home"));
    click("Sub");
    press(Qt::Key_Return);
    EXPECT_FALSE(view->isExpanded(indexOf("Sub")));
    press(Qt::Key_Enter);
    EXPECT_TRUE(view->isExpanded(indexOf("Sub")));

    click("Home");
    m_s.window.taskPane()->itemWidget("EB_OTHER_HELP")->setFocus();
    press(Qt::Key_Return);
    m_s.window.taskPane()->itemWidget("EB_FAVORITES_LAUNCH")->setFocus();
    press(Qt::Key_Space);
    EXPECT_THAT(m_opener.opened,
                ElementsAre("http://127.0.0.1/home",
                            QUrl::fromLocalFile(m_temp.path("program/Norvale.html")).toString(),
                            "http://127.0.0.1/home"));
}

// After a run, a paste and a refresh the same node is selected (or the root
// when it has gone), and the details (a favorite's status reason among
// them), status bar and commands describe it.
TEST_F(WindowCommandsTest, SelectionSurvivesRebuildsAndCommandsFollowIt)
{
    const QString home = m_temp.path("Favorites/Home.url");
    ProfileFile::write(home, "Brimwick", "FailingSince", "2026-11-20");
    ProfileFile::write(home, "Brimwick", "Failures", "3");
    click("Home");
    EXPECT_EQ(detail(5), "Failing since 20 Nov 2026 (3 checks)") << "before its first check";
    press(QKeySequence("Ctrl+C"));
    click("Gone");
    EXPECT_EQ(detail(5), "in Dead Favorites") << "why the favorite has its light";
    click("Sub");
    EXPECT_EQ(detail(5), " ");
    press(QKeySequence("Ctrl+V"));
    EXPECT_EQ(selectedText(), "Sub");
    EXPECT_EQ(m_s.window.statusPanelText(2), " 3 Items in Sub folder ");
    EXPECT_FALSE(m_s.window.toolbarAction(2)->isEnabled()) << "no Check One on a folder";

    click("Deep");
    press(Qt::Key_F5);
    EXPECT_EQ(m_s.window.treeView()->currentIndex(), indexOf("Deep"));
    EXPECT_EQ(detail(1), "Deep");
}

// After a check run the node selected before is selected and highlighted
// again, or, when the run moved it to Dead Favorites, the node that took
// its place; the details, the status bar and the commands describe it, and
// the arrow keys go on from it. The rows run in order on one window.
TEST_F(WindowCommandsTest, AfterARunTheSelectionIsWhereTheUserLeftIt)
{
    FixtureServer server;
    const struct {
        const char* select;
        int button;       // on the toolbar: 1 Check All, 3 Check Favorites in this Directory
        const char* dies; // a favorite that answers 404 in this run
        const char *selected, *details, *below;
    } rows[] = {
        {"Home", 1, "", "Home", "Home", "Sub"},    {"Other", 3, "", "Other", "Other", ""},
        {"Deep", 1, "Deep", "Other", "Other", ""}, {"Other", 3, "Other", "Sub", "Sub folder", ""},
        {"Sub", 1, "", "Sub", "Sub folder", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.select) + " " + std::to_string(row.button));
        if (*row.dies)
            m_temp.shortcut(QStringLiteral("Favorites/Sub/%1.url").arg(row.dies),
                            server.url("/page?status=404"));
        activate();
        click(row.select);
        QWidget* button =
            m_s.window.toolBar()->widgetForAction(m_s.window.toolbarAction(row.button));
        QTest::mouseClick(button, Qt::LeftButton);
        QTreeView* view = m_s.window.treeView();
        EXPECT_EQ(selectedText(), row.selected);
        EXPECT_EQ(view->currentIndex(), indexOf(row.selected));
        EXPECT_TRUE(view->selectionModel()->isSelected(indexOf(row.selected))) << "highlighted";
        EXPECT_EQ(detail(1), row.details);
        EXPECT_TRUE(m_s.window.toolbarAction(1)->isEnabled()) << "Check All";
        if (*row.below) {
            activate();
            press(Qt::Key_Down);
            EXPECT_EQ(selectedText(), row.below);
        }
    }
}

// Closing a folder that holds the selection selects the folder, so that no
// command acts on a node the user cannot see; closing another leaves the
// selection alone.
TEST_F(WindowCommandsTest, ClosingAFolderOverTheSelectionSelectsTheFolder)
{
    QTreeView* view = m_s.window.treeView();
    const char* rows[][3] = {
        // selected, the folder closed with a click on its arrow, selected after
        {"Deep", "Sub", "Sub"},
        {"Home", "Sub", "Home"},
        {"Other", "Favorites", "Favorites"},
    };
    for (const auto& [select, folder, after] : rows) {
        SCOPED_TRACE(std::string(select) + " " + folder);
        view->expandAll();
        click(select);
        const QRect row = view->visualRect(indexOf(folder));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - view->indentation() / 2, row.center().y()));
        ASSERT_FALSE(view->isExpanded(indexOf(folder)));
        EXPECT_EQ(selectedText(), after);
        EXPECT_TRUE(view->selectionModel()->isSelected(indexOf(after)));
    }
    // Del now concerns the folder the user sees, which refuses it.
    press(Qt::Key_Delete);
    EXPECT_TRUE(m_s.boxes.titles().filter("Remove").isEmpty());
    EXPECT_TRUE(fileThere("Favorites/Sub/Other.url"));
}

// The window opens with Favorites selected and highlighted: Check All works
// on the first click and the keys start from there.
TEST_F(WindowCommandsTest, StartsWithFavoritesSelected)
{
    QTreeView* view = m_s.window.treeView();
    EXPECT_EQ(selectedText(), "Favorites");
    EXPECT_TRUE(view->selectionModel()->isSelected(indexOf("Favorites")));
    EXPECT_TRUE(m_s.window.toolbarAction(1)->isEnabled());
    press(Qt::Key_Down);
    EXPECT_EQ(selectedText(), "Home");
}

// New Folder and New Favorite, from the task pane's keys: a name taken in
// other letters, or a file that cannot be written, is refused with its
// reason in the dialog, which stays open, and no node appears; a good name
// then makes the item on disk and in the tree, and the dialog closes.
TEST_F(WindowCommandsTest, NewItemsRefusedSayWhyAndAddNoNode)
{
    m_temp.folder("Favorites/Tools");
    m_temp.folder("Favorites/Docs.url"); // a folder where the favorite's file would go
    press(Qt::Key_F5);
    const struct {
        const char* task;
        QStringList refused; // typed into the dialog's boxes, one after the other
        const char* reason;  // the start of the reason shown
        QStringList accepted;
        const char* made;
    } rows[] = {
        {"EB_FOLDER_NEW",
         {"tools"},
         "A folder named Tools is already here",
         {"Trips"},
         "Favorites/Trips"},
        {"EB_FAVORITES_NEW",
         {"docs", "127.0.0.1/d"},
         "",
         {"Daily", "127.0.0.1/d"},
         "Favorites/Daily.url"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.task);
        activate(); // the dialog before took the activation
        click("Favorites");
        const int nodes = m_s.tree.count();
        QString reason;
        bool openAfterRefusal = false;
        int nodesAfterRefusal = -1;
        bool closed = false;
        const auto type = [](QDialog* dialog, const QStringList& texts) {
            const QList<QLineEdit*> boxes = dialog->findChildren<QLineEdit*>();
            for (int i = 0; i < texts.size(); ++i) {
                boxes[i]->selectAll();
                QTest::keyClicks(boxes[i], texts[i]);
            }
            QTest::keyClick(boxes[0], Qt::Key_Return);
        };
        QTimer::singleShot(0, &m_s.window, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            type(dialog, row.refused);
            type(dialog, row.refused); // a second Enter changes nothing
            const auto* label = dialog->findChild<QLabel*>("lblRefusal");
            reason = label && label->isVisible() ? label->text() : QString();
            openAfterRefusal = dialog->isVisible();
            nodesAfterRefusal = m_s.tree.count();
            type(dialog, row.accepted);
            closed = !dialog->isVisible();
            if (!closed)
                dialog->reject();
        });
        m_s.window.taskPane()->itemWidget(row.task)->setFocus();
        press(Qt::Key_Space);
        EXPECT_TRUE(reason.startsWith(row.reason) && !reason.isEmpty()) << reason.toStdString();
        EXPECT_TRUE(openAfterRefusal);
        EXPECT_EQ(nodesAfterRefusal, nodes) << "no node for what is not on disk";
        EXPECT_TRUE(closed);
        EXPECT_TRUE(fileThere(row.made));
        EXPECT_EQ(m_s.tree.count(), nodes + 1);
    }
}

// The help and the window agree on keys: every key the help names is bound
// on the shown window (a shortcut of one of its actions, or one the tree
// and the task pane take themselves, each pinned by a test above), and
// every shortcut of the window is in the help.
TEST_F(WindowCommandsTest, HelpNamesTheKeysTheWindowHas)
{
    QFile help(QStringLiteral(NORVALE_HELP_FILE));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(help.readAll());
    const QStringList ownKeys = {"Enter", "Space", "F2",   "Shift+F10", "Menu",
                                 "Tab",   "Up",    "Down", "Left",      "Right"};
    QSet<QString> shortcuts;
    for (const QAction* action : m_s.window.findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty())
            shortcuts.insert(action->shortcut().toString());
    }
    // "<kbd>Ctrl</kbd>+<kbd>F</kbd>" names one key.
    static const QRegularExpression kbd(QStringLiteral("<kbd>[^<]+</kbd>(\\+<kbd>[^<]+</kbd>)*"));
    QSet<QString> named;
    for (const QRegularExpressionMatch& match : kbd.globalMatch(html)) {
        const QString key = QString(match.captured()).remove("<kbd>").remove("</kbd>");
        named.insert(QKeySequence(key).toString());
        EXPECT_TRUE(shortcuts.contains(QKeySequence(key).toString()) || ownKeys.contains(key))
            << key.toStdString() << " is named in the help but bound to nothing";
    }
    for (const QString& shortcut : std::as_const(shortcuts))
        EXPECT_TRUE(named.contains(shortcut)) << shortcut.toStdString() << " is not in the help";
    for (const char* key : {"F1", "F2", "Enter", "Shift+F10", "Menu"})
        EXPECT_TRUE(named.contains(QKeySequence(key).toString())) << key;
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
    rename("Other", "Deep");
    EXPECT_EQ(m_s.window.statusBar()->currentMessage(),
              "Not renamed: \"Deep\" is taken in this folder");
    rename("Other", QString());
    EXPECT_EQ(m_s.window.statusBar()->currentMessage(), "Not renamed: a name cannot be empty");
    EXPECT_TRUE(fileThere("Favorites/Sub/Other.url"));
    EXPECT_TRUE(m_s.boxes.shown().isEmpty());

    rename("Other", "Renamed/Here");
    EXPECT_TRUE(fileThere("Favorites/Sub/Renamed-Here.url"));
    EXPECT_EQ(detail(1), "Renamed-Here");
    EXPECT_EQ(m_s.window.statusBar()->currentMessage(), QString())
        << "the earlier refusal's reason went with the rename that worked";
}

// The File menu imports into the folder the selection stands for and
// exports the whole tree without Dead Favorites, or the folder selected;
// nothing is asked while a check runs. Properties of the Favorites menu
// ignore a folder.
TEST_F(WindowCommandsTest, FileMenuImportsIntoTheSelectedFolderAndExportsIt)
{
    m_temp.file("in.html", "<DL><p><DT><A HREF=\"http://127.0.0.1/1\">Deep</A>"
                           "<DT><A HREF=\"http://127.0.0.1/2\">New</A></DL>");
    m_s.commands.setDialogs(m_dialogs);
    const auto run = [&](const QString& node, Command command, const QString& file) {
        click(node);
        m_dialogs.bookmarkFile = m_temp.path(file);
        m_s.commands.RunCommand(command);
        return QString::fromUtf8(m_temp.read(file));
    };
    run("Other", Command::ImportBookmarks, "in.html");
    EXPECT_THAT(m_s.fs.listFolder(m_temp.path("Favorites/Sub")).files,
                ElementsAre("Deep (2).url", "Deep.url", "New.url", "Other.url"));
    EXPECT_NE(nodeNamed("New"), nullptr) << "the tree was rebuilt";
    EXPECT_EQ(m_s.boxes.shown().last().title, "Import Bookmarks");
    // Stopped after the first favorite: it stays, and the message says so.
    m_dialogs.stopAt = 1;
    run("Other", Command::ImportBookmarks, "in.html");
    m_dialogs.stopAt = std::numeric_limits<qsizetype>::max();
    EXPECT_THAT(m_s.fs.listFolder(m_temp.path("Favorites/Sub")).files,
                ElementsAre("Deep (2).url", "Deep (3).url", "Deep.url", "New.url", "Other.url"));
    EXPECT_THAT(m_s.boxes.shown().last().text.toStdString(),
                testing::StartsWith("Import cancelled. Made 0 folders and 1 favorite"));

    const QString whole = run("Favorites", Command::ExportFavorites, "out.html");
    EXPECT_TRUE(whole.contains(">New</A>") && !whole.contains("Gone"));
    EXPECT_TRUE(run("Gone", Command::ExportFavorites, "out.html").contains(">Gone</A>"));
    EXPECT_THAT(m_dialogs.calls,
                ElementsAre("open", "progress", "open", "progress", "save", "save"));

    m_s.services.state().Checking = true;
    m_s.commands.RunCommand(Command::ImportBookmarks);
    m_s.commands.RunCommand(Command::ExportFavorites);
    m_s.services.state().Checking = false;
    EXPECT_EQ(m_dialogs.calls.size(), 6) << "nothing is asked while a check runs";

    click("Sub");
    m_s.commands.RunCommand(Command::PropertiesOfFavorite);
    click("Deep");
    m_s.commands.RunCommand(Command::PropertiesOfFavorite);
    EXPECT_EQ(m_dialogs.calls.mid(6), QStringList{"properties"});
}

// File > Open Browser Bookmarks, placed before Exit, starts the program
// again for the profile chosen, during a check too; a choice cancelled
// starts nothing, and a start that failed says so.
TEST_F(WindowCommandsTest, FileMenuOpensABrowserProfileInAProcessOfItsOwn)
{
    QMenu* file = m_s.window.menuBar()->actions().value(0)->menu();
    ASSERT_NE(file, nullptr);
    QStringList captions;
    for (const QAction* action : file->actions())
        captions.append(action->text());
    ASSERT_THAT(captions, ElementsAre("&Import Bookmarks...", "&Export Favorites...", "",
                                      "Open &Browser Bookmarks...", "", "E&xit"));
    QAction* open = file->actions()[3];
    m_s.browsers.key = "firefox:default-esr";
    open->trigger();
    m_s.browsers.key.clear();
    open->trigger();
    EXPECT_THAT(m_s.browsers.started, ElementsAre("--browser firefox:default-esr"));

    m_s.browsers.key = "chromium:Profile 1";
    m_s.services.state().Checking = true;
    m_s.commands.RunCommand(Command::OpenBrowserBookmarks);
    m_s.services.state().Checking = false;
    EXPECT_THAT(m_s.browsers.started,
                ElementsAre("--browser firefox:default-esr", "--browser chromium:Profile 1"));
    EXPECT_TRUE(m_s.boxes.shown().isEmpty());

    m_s.browsers.starts = false;
    open->trigger();
    ASSERT_EQ(m_s.boxes.shown().size(), 1);
    EXPECT_EQ(m_s.boxes.shown()[0].title, "Open Browser Bookmarks");
    EXPECT_TRUE(m_s.boxes.shown()[0].text.contains("chromium:Profile 1"));
}

// The window's progress dialog hears Cancel, and goes with its progress.
TEST_F(WindowCommandsTest, ProgressDialogTellsOfCancel)
{
    MainWindowDialogs dialogs(m_s.window, dialogPartsOf(m_s.services), m_s.commands);
    auto progress = dialogs.showProgress("Import Bookmarks", "Importing");
    EXPECT_TRUE(progress->advance(0, 10));
    auto* dialog = m_s.window.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->cancel();
    EXPECT_FALSE(progress->advance(1, 10));
    progress.reset();
    EXPECT_EQ(m_s.window.findChild<QProgressDialog*>(), nullptr);
}

// Sessions of the real window over one Favorites folder, which holds a slow
// favorite; the first session writes the settings store.
class WindowSessionTest : public testing::Test {
protected:
    WindowSessionTest()
    {
        m_temp.shortcut("Favorites/Slow.url",
                        m_server.url("/page?delay=600&body=%3Ctitle%3ESlow%3C/title%3E"));
    }

    FixtureServer m_server; // the slow page and the update document
    TempFolder m_temp;
};

// Start-up's check for news (every 30 days, against a local update document)
// reaches the user without a tray or a box, in a bar above the tree that
// stays until closed, and counts as done only once the window showed it.
TEST_F(WindowSessionTest, UpdateNoticeShowsAboveTheTreeUntilClosed)
{
    const QString document = "<Version>99.0</Version>"
                             "<Update_Location>http://127.0.0.1/get</Update_Location>"
                             "<Current_Version>current</Current_Version>"
                             "<New_Version>Norvale 99 is out</New_Version><Common></Common>";
    qputenv("NORVALE_UPDATE_URL",
            m_server.url(FixtureServer::path("/page", {{"body", document}})).toUtf8());
    Session session(m_temp, {"\"AutoCheck\"=\"1\"", "\"LastCheck\"=\"2025-01-01 00:00:00\""});
    const bool running = session.lifecycle.load(QString()) == MainLifecycle::LoadOutcome::Running;
    qunsetenv("NORVALE_UPDATE_URL");
    ASSERT_TRUE(running);
    EXPECT_EQ(session.services.settings().LastCheck, QDateTime(QDate(2025, 1, 1), QTime(0, 0)))
        << "not shown yet";
    session.window.show();
    EXPECT_EQ(session.services.settings().LastCheck, session.clock.now());
    QWidget* notice = session.window.findChild<QWidget*>("frmNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    const auto* text = notice->findChild<QLabel*>("lblNotice");
    EXPECT_TRUE(text->text().startsWith("Norvale 99 is out"));
    EXPECT_TRUE(text->text().contains("href=\"http://127.0.0.1/get\""));
    EXPECT_EQ(session.window.statusBar()->currentMessage(), QString()) << "never over the totals";
    QTest::mouseClick(notice->findChild<QPushButton*>("btnCloseNotice"), Qt::LeftButton);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(session.boxes.shown().isEmpty());
}

TEST_F(WindowSessionTest, CloseIsRefusedWhileACheckRuns)
{
    Session session(m_temp);
    ASSERT_TRUE(session.load());
    bool closedDuringRun = true;
    QTimer::singleShot(200, &session.window, [&] { closedDuringRun = session.window.close(); });
    session.services.checker().CheckAllLinks();
    EXPECT_FALSE(closedDuringRun);
    EXPECT_EQ(session.tree.node(2)->status().light, Light::Alive);
    EXPECT_TRUE(session.window.close());
    EXPECT_EQ(session.boxes.shown().size(), 1) << "only the end of the run";
}

TEST_F(WindowSessionTest, TheNextSessionOpensWhereTheLastLeftTheWindow)
{
    {
        Session first(m_temp);
        ASSERT_TRUE(first.load());
        first.window.move(33, 44);
        first.window.resize(500, 400);
        first.window.splitter()->setSizes({150, 350});
        EXPECT_TRUE(first.window.close());
    }
    Session second(m_temp);
    ASSERT_TRUE(second.load());
    EXPECT_EQ(second.window.pos(), QPoint(33, 44));
    EXPECT_EQ(second.window.size(), QSize(500, 400));
    EXPECT_EQ(second.window.taskPane()->width(), 150);
}

} // namespace
