#include "MainWindow.h"

#include "favorites/TreeConventions.h"
#include "FavoritesTreeView.h"
#include "ImagePainter.h"
#include "NoticeBar.h"
#include "platform/CommandSurface.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "TaskPane.h"
#include "TreeItemModel.h"
#include "WindowLayout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace norvale {

namespace {

// The window's first size, used while no placement is stored: large enough
// for every group of the task pane on a 1280 x 800 screen.
constexpr int kFirstWidth = 1000;
constexpr int kFirstHeight = 700;

} // namespace

MainWindow::MainWindow(TreeControl& tree, StatusBarModel& status, CommandSurface& surface,
                       const ImageList& images, QWidget* parent)
    : QMainWindow(parent)
    , m_tree(tree)
    , m_surface(surface)
    , m_pictures(PaintImages(images))
{
    setWindowTitle(QStringLiteral("Brimwick Norvale"));
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(m_pictures.value(ImageList::position(ImageKey::CheckAll)));
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(
        firstSize(screen ? screen->availableGeometry().size() : QSize(kFirstWidth, kFirstHeight)));

    buildToolBar();
    buildPaneAndTree();
    buildStatusBar(status);
    followTheTree();
    connect(&m_surface, &CommandSurface::rebuilt, this, &MainWindow::buildSurfaceViews);
    connect(&m_surface, &CommandSurface::changed, this, &MainWindow::refreshSurfaceViews);
    buildSurfaceViews();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolbar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
}

void MainWindow::buildPaneAndTree()
{
    // The task pane keeps its width when the window grows; the user may
    // drag it narrower or wider.
    // A notice bar, hidden until there is news, stands above the pane and
    // the tree.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_notice = new NoticeBar(central);
    connect(m_notice, &NoticeBar::linkActivated, this, &MainWindow::noticeLinkActivated);
    column->addWidget(m_notice);
    m_saveNotice = new NoticeBar(central);
    m_saveNotice->setObjectName(QStringLiteral("frmSaveNotice"));
    column->addWidget(m_saveNotice);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    column->addWidget(m_splitter, 1);
    setCentralWidget(central);
    m_taskPane = new TaskPane(m_surface, m_pictures, m_splitter);
    connect(m_taskPane, &TaskPane::itemClicked, this, [this](const QString& key) {
        if (const TaskItem* item = m_surface.taskItem(key); item && item->available)
            Q_EMIT commandRequested(item->command);
    });

    m_treeView = new FavoritesTreeView(m_splitter);
    m_model = new TreeItemModel(
        m_tree, m_pictures, [this](Light light) { return m_lightImage ? m_lightImage(light) : 0; },
        this);
    m_treeView->setModel(m_model);
    m_splitter->addWidget(m_taskPane);
    m_splitter->addWidget(m_treeView);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setTaskPaneWidth(kTaskPaneWidthTwips);
}

void MainWindow::buildStatusBar(StatusBarModel& status)
{
    statusBar()->setObjectName(QStringLiteral("sbStatus"));
    for (int panel = 1; panel <= status.panelCount(); ++panel) {
        auto* label = new QLabel(status.panelText(panel));
        statusBar()->addWidget(label, panel == 1 ? 0 : 1);
        m_panels.append(label);
    }
    m_progress = new QProgressBar;
    m_progress->setMaximumWidth(200);
    m_progress->setFormat(QStringLiteral("%v of %m"));
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);
    connect(&status, &StatusBarModel::panelChanged, this,
            [this](int panel, const QString& text) { m_panels[panel - 1]->setText(text); });
    connect(&status, &StatusBarModel::messageShown, statusBar(), &QStatusBar::showMessage);
    // A progress bar paints itself at once on every new value: shown for
    // each of 100,000 favorites, that painting cost more than their checks.
    // It shows the newest count a few times a second, and its start and end
    // at once.
    m_progressDue.setSingleShot(true);
    m_progressDue.setInterval(kProgressEveryMs);
    connect(&m_progressDue, &QTimer::timeout, this, &MainWindow::showProgress);
    connect(&status, &StatusBarModel::progressChanged, this, [this](int done, int total) {
        m_progressNow = {done, total};
        if (total == 0 || done == 0 || done == total)
            showProgress();
        else if (!m_progressDue.isActive())
            m_progressDue.start();
    });
}

// The view follows the tree's model, and tells the window of what the user
// does in it.
void MainWindow::followTheTree()
{
    // A reset leaves the view with no current row; the tree's selection
    // survives it, and the view must show it again before anything (a focus
    // coming back from a message box) picks a row of its own.
    connect(&m_tree, &TreeControl::resetDone, this, [this] {
        syncExpansion();
        showTreeSelection();
    });
    connect(&m_tree, &TreeControl::expandedChanged, this, [this](TreeNode* node) {
        const QSignalBlocker quiet(m_treeView);
        m_treeView->setExpanded(m_model->indexFor(node), node->expanded());
    });
    connect(&m_tree, &TreeControl::ensureVisibleRequested, this,
            [this](TreeNode* node) { m_treeView->scrollTo(m_model->indexFor(node)); });
    connect(&m_tree, &TreeControl::selectionChanged, this, [this] { showTreeSelection(); });
    connect(m_treeView, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { setFolderImage(index, true); });
    connect(m_treeView, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        setFolderImage(index, false);
        selectIfHidden(index);
    });
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_tree.select(TreeItemModel::nodeAt(current)); });
    connect(m_treeView, &QTreeView::doubleClicked, this,
            [this] { Q_EMIT commandRequested(Command::Launch); });
    connect(m_treeView, &FavoritesTreeView::enterPressed, this, &MainWindow::activate);
    connect(m_treeView, &FavoritesTreeView::contextMenuRequested, this,
            [this](const QPoint& position) { openContextMenu(position); });
    connect(m_model, &TreeItemModel::labelEdited, this, &MainWindow::labelEdited);
}

// Never larger than most of the screen, so that a small screen still shows
// the window's frame.
QSize MainWindow::firstSize(const QSize& screenArea)
{
    return QSize(kFirstWidth, kFirstHeight).boundedTo(screenArea * 9 / 10);
}

QTreeView* MainWindow::treeView() const
{
    return m_treeView;
}

QString MainWindow::statusPanelText(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1]->text() : QString();
}

QAction* MainWindow::actionFor(const CommandItem& item)
{
    auto* action = new QAction(this);
    if (item.separator) {
        action->setSeparator(true);
        return action;
    }
    action->setText(item.caption);
    action->setToolTip(item.tooltip.isEmpty() ? QString(item.caption).remove(QLatin1Char('&'))
                                              : item.tooltip);
    const int position = ImageList::position(item.icon);
    if (position > 0)
        action->setIcon(m_pictures.value(position));
    if (!item.shortcut.isEmpty())
        action->setShortcut(QKeySequence(item.shortcut));
    const Command command = item.command;
    connect(action, &QAction::triggered, this,
            [this, command] { Q_EMIT commandRequested(command); });
    return action;
}

// The views are replaced as a whole, never added to: a shortcut that two
// actions of the window hold is ambiguous, and then neither runs.
void MainWindow::buildSurfaceViews()
{
    for (const QList<QAction*>& actions : std::as_const(m_menuActions))
        qDeleteAll(actions);
    qDeleteAll(m_toolbarActions);
    qDeleteAll(m_contextMenus);
    m_menuActions.clear();
    m_toolbarActions.clear();
    m_contextMenus.clear();
    const QList<QAction*> barMenus = menuBar()->actions();
    menuBar()->clear();
    for (QAction* barMenu : barMenus)
        delete barMenu->menu();
    for (const CommandMenu& menu : m_surface.menus()) {
        QMenu* view = menu.popupOnly ? new QMenu(this) : menuBar()->addMenu(menu.caption);
        view->setObjectName(menu.name);
        QList<QAction*>& actions = m_menuActions[menu.name];
        for (const CommandItem& item : menu.items) {
            QAction* action = actionFor(item);
            view->addAction(action);
            actions.append(action);
        }
        if (menu.popupOnly) {
            if (!actions.isEmpty())
                view->setDefaultAction(actions.first());
            m_contextMenus.insert(menu.name, view);
        } else {
            // Shortcuts work whether or not the menu bar has the focus.
            addActions(actions);
        }
    }
    for (const CommandItem& button : m_surface.toolbarButtons()) {
        QAction* action = actionFor(button);
        action->setObjectName(button.key);
        m_toolBar->addAction(action);
        m_toolbarActions.append(action);
    }
    refreshSurfaceViews();
}

void MainWindow::refreshSurfaceViews()
{
    for (const CommandMenu& menu : m_surface.menus()) {
        const QList<QAction*> actions = m_menuActions.value(menu.name);
        for (int i = 0; i < menu.items.size() && i < actions.size(); ++i) {
            actions[i]->setEnabled(menu.items[i].enabled);
            actions[i]->setVisible(menu.items[i].visible);
        }
    }
    const QList<CommandItem>& buttons = m_surface.toolbarButtons();
    for (int i = 0; i < buttons.size() && i < m_toolbarActions.size(); ++i)
        m_toolbarActions[i]->setEnabled(buttons[i].enabled);
}

QAction* MainWindow::menuAction(const QString& menu, int index) const
{
    const QList<QAction*> actions = m_menuActions.value(menu);
    return index >= 1 && index <= actions.size() ? actions[index - 1] : nullptr;
}

QAction* MainWindow::toolbarAction(int position) const
{
    return position >= 1 && position <= m_toolbarActions.size() ? m_toolbarActions[position - 1]
                                                                : nullptr;
}

QMenu* MainWindow::openContextMenu(const QPoint& globalPosition)
{
    const ContextMenu choice = m_chooseMenu ? m_chooseMenu() : ContextMenu::None;
    const char* name = nullptr;
    switch (choice) {
    case ContextMenu::None:
        return nullptr;
    case ContextMenu::Folder:
    case ContextMenu::RootFolder:
        name = Menus::Folder;
        break;
    case ContextMenu::Favorite:
        name = Menus::Node;
        break;
    case ContextMenu::DeadFavorite:
        name = Menus::Dead;
        break;
    }
    QMenu* menu = m_contextMenus.value(QLatin1String(name));
    if (menu)
        menu->popup(globalPosition);
    return menu;
}

// Enter on a node: a favorite is launched, a folder opened or closed.
void MainWindow::activate(const QModelIndex& index)
{
    const TreeNode* node = TreeItemModel::nodeAt(index);
    if (!node)
        return;
    if (node->isFolder())
        m_treeView->setExpanded(index, !m_treeView->isExpanded(index));
    else
        Q_EMIT commandRequested(Command::Launch);
}

void MainWindow::bringForward()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::startRename()
{
    const QModelIndex index = m_treeView->currentIndex();
    if (index.isValid())
        m_treeView->edit(index);
}

// The view's current row is the tree's selected node, highlighted: a
// current row without the highlight is one the user does not see as chosen.
void MainWindow::showTreeSelection()
{
    const QModelIndex index = m_model->indexFor(m_tree.selectedItem());
    QItemSelectionModel* selection = m_treeView->selectionModel();
    if (m_treeView->currentIndex() != index || !selection->isSelected(index))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (index.isValid())
        m_treeView->scrollTo(index);
}

// A folder closed over the selected node takes the selection, as in a file
// manager: a command must never act on a node the user cannot see.
void MainWindow::selectIfHidden(const QModelIndex& collapsed)
{
    for (QModelIndex above = m_treeView->currentIndex().parent(); above.isValid();
         above = above.parent()) {
        if (above == collapsed) {
            m_treeView->setCurrentIndex(collapsed);
            return;
        }
    }
}

void MainWindow::setFolderImage(const QModelIndex& index, bool open)
{
    TreeNode* node = TreeItemModel::nodeAt(index);
    if (!node)
        return;
    m_tree.setExpanded(node, open);
    m_tree.setImage(node, ImageList::position(open ? ImageKey::OpenFolder : ImageKey::Folder));
}

// After a rebuild the view knows nothing of the nodes' expansion: expanding
// everything at once is fast, then the few collapsed folders are closed.
void MainWindow::syncExpansion()
{
    QList<const TreeNode*> collapsed;
    for (int i = 1; i <= m_tree.count(); ++i) {
        const TreeNode* node = m_tree.node(i);
        if (!node->expanded() && node->childCount() > 0)
            collapsed.append(node);
    }
    // The view reports its own expansions back; these ones are the tree's.
    const QSignalBlocker quiet(m_treeView);
    m_treeView->setUpdatesEnabled(false);
    m_treeView->expandAll();
    for (const TreeNode* node : collapsed)
        m_treeView->collapse(m_model->indexFor(node));
    m_treeView->setUpdatesEnabled(true);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        if (m_unload)
            m_unload();
    }
    event->accept();
}

double MainWindow::dpiX() const
{
    return logicalDpiX();
}

double MainWindow::dpiY() const
{
    return logicalDpiY();
}

double MainWindow::top() const
{
    return PixelsToTwips(pos().y(), dpiY());
}

double MainWindow::left() const
{
    return PixelsToTwips(pos().x(), dpiX());
}

double MainWindow::height() const
{
    return PixelsToTwips(size().height(), dpiY());
}

double MainWindow::width() const
{
    return PixelsToTwips(size().width(), dpiX());
}

void MainWindow::setTop(double twips)
{
    move(pos().x(), TwipsToPixels(twips, dpiY()));
}

void MainWindow::setLeft(double twips)
{
    move(TwipsToPixels(twips, dpiX()), pos().y());
}

void MainWindow::setHeight(double twips)
{
    resize(size().width(), std::max(1, TwipsToPixels(twips, dpiY())));
}

void MainWindow::setWidth(double twips)
{
    resize(std::max(1, TwipsToPixels(twips, dpiX())), size().height());
}

// Until the window is shown the splitter has not laid out its children, so
// the width asked for is the one that counts.
double MainWindow::taskPaneWidth() const
{
    const QList<int> sizes = m_splitter->sizes();
    if (!m_splitter->isVisible() || sizes.isEmpty())
        return m_taskPaneTwips;
    return PixelsToTwips(sizes.first(), dpiX());
}

void MainWindow::setTaskPaneWidth(double twips)
{
    m_taskPaneTwips = twips;
    const int pane = std::max(1, TwipsToPixels(twips, dpiX()));
    const int total = std::max(m_splitter->width(), pane + 1);
    m_splitter->setSizes({pane, total - pane});
}

void MainWindow::showNotice(const QString& text, const QString& address, std::function<void()> seen)
{
    m_notice->showNotice(text, address, std::move(seen));
}

void MainWindow::showSaveNotice(const QString& text)
{
    if (text.isEmpty())
        m_saveNotice->hide();
    else
        m_saveNotice->showNotice(text, {}, {});
}

QList<QRectF> MainWindow::screens() const
{
    QList<QRectF> result;
    QList<QScreen*> all = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        all.removeAll(primary);
        all.prepend(primary);
    }
    for (const QScreen* screen : all) {
        const QRect area = screen->availableGeometry();
        result.append(QRectF(PixelsToTwips(area.x(), dpiX()), PixelsToTwips(area.y(), dpiY()),
                             PixelsToTwips(area.width(), dpiX()),
                             PixelsToTwips(area.height(), dpiY())));
    }
    return result;
}

void MainWindow::showProgress()
{
    m_progressDue.stop();
    const auto [done, total] = m_progressNow;
    m_progress->setVisible(total > 0);
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(done);
}

} // namespace norvale
