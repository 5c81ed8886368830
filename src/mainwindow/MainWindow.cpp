#include "MainWindow.h"

#include "ImagePainter.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "TreeItemModel.h"
#include "WindowLayout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

namespace norvale {

namespace {

// Design size of the window, used when no placement is stored.
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 600;

// Lays out the task pane and the tree by hand whenever the client area
// between toolbar and status bar changes size.
class ClientArea : public QWidget {
public:
    explicit ClientArea(std::function<void()> onResize)
        : m_onResize(std::move(onResize))
    {}

protected:
    void resizeEvent(QResizeEvent*) override { m_onResize(); }

private:
    std::function<void()> m_onResize;
};

} // namespace

MainWindow::MainWindow(TreeControl& tree, StatusBarModel& status, const ImageList& images,
                       QWidget* parent)
    : QMainWindow(parent)
    , m_tree(tree)
{
    setWindowTitle(QStringLiteral("Brimwick Norvale"));
    setObjectName(QStringLiteral("frmMain"));
    resize(kDesignWidth, kDesignHeight);

    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolbar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));

    auto* client = new ClientArea([this] { layOutClientArea(); });
    setCentralWidget(client);

    m_taskPane = new QWidget(client);
    m_taskPane->setObjectName(QStringLiteral("ExplorerBar"));
    m_taskPane->setAutoFillBackground(true);
    m_taskPane->setBackgroundRole(QPalette::Mid);
    m_taskPane->resize(TwipsToPixels(kTaskPaneWidthTwips, logicalDpiX()), 0);

    m_treeView = new QTreeView(client);
    m_treeView->setObjectName(QStringLiteral("tvFolders"));
    m_treeView->setHeaderHidden(true);
    m_treeView->setUniformRowHeights(true); // keeps 100,000 rows fast
    m_treeView->setIconSize(QSize(16, 16));
    m_model = new TreeItemModel(tree, PaintImages(images), this);
    m_treeView->setModel(m_model);

    for (int panel = 1; panel <= status.panelCount(); ++panel) {
        auto* label = new QLabel(status.panelText(panel));
        statusBar()->addWidget(label, panel == 1 ? 1 : 0);
        m_panels.append(label);
    }
    statusBar()->setObjectName(QStringLiteral("sbStatus"));
    connect(&status, &StatusBarModel::panelChanged, this,
            [this](int panel, const QString& text) { m_panels[panel - 1]->setText(text); });

    connect(&m_tree, &TreeControl::resetDone, this, [this] { syncExpansion(); });
    connect(&m_tree, &TreeControl::expandedChanged, this, [this](TreeNode* node) {
        const QSignalBlocker quiet(m_treeView);
        m_treeView->setExpanded(m_model->indexFor(node), node->expanded());
    });
    connect(&m_tree, &TreeControl::ensureVisibleRequested, this,
            [this](TreeNode* node) { m_treeView->scrollTo(m_model->indexFor(node)); });
    connect(m_treeView, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        m_tree.setExpanded(TreeItemModel::nodeAt(index), true);
    });
    connect(m_treeView, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        m_tree.setExpanded(TreeItemModel::nodeAt(index), false);
    });
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_tree.select(TreeItemModel::nodeAt(current)); });
}

MainWindow::~MainWindow() = default;

QString MainWindow::statusPanelText(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1]->text() : QString();
}

void MainWindow::layOutClientArea()
{
    QWidget* client = centralWidget();
    const WindowLayout layout =
        LayOutClientArea(client->width(), client->height(), 0, 0, m_taskPane->width());
    if (layout.tree.isNull())
        return;
    m_taskPane->setGeometry(layout.taskPane);
    m_treeView->setGeometry(layout.tree);
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

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && m_activate)
        m_activate();
    return handled;
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

} // namespace norvale
