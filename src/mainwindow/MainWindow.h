#pragma once

#include "platform/TreeControl.h"

#include "mainwindow/Commands.h"
#include "mainwindow/TreeInteraction.h"
#include "platform/WindowFrame.h"

#include <functional>
#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <utility>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QToolBar;
class QTreeView;

namespace norvale {

class CommandSurface;
struct CommandItem;
class FavoritesTreeView;
class ImageList;
class NoticeBar;
class StatusBarModel;
class TaskPane;
class TreeItemModel;

// The main window: menus and toolbar on top, the task pane on the left, the
// favorites tree to its right and the status bar at the bottom. It renders
// the headless models and reports what the user does; the handlers it is
// given decide what happens.
class MainWindow : public QMainWindow, public WindowFrame {
    Q_OBJECT
public:
    MainWindow(TreeControl& tree, StatusBarModel& status, CommandSurface& surface,
               const ImageList& images, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Asked on every close request; false keeps the window open.
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }
    // Runs once when a close goes ahead, before the window goes.
    void setUnloadHandler(std::function<void()> handler) { m_unload = std::move(handler); }
    // Chooses the context menu for the selected node (and may set the
    // command state before it opens).
    void setContextMenuChooser(std::function<ContextMenu()> chooser)
    {
        m_chooseMenu = std::move(chooser);
    }
    // Where a light's picture is among the images: the settings know, and
    // they come after the window. Until then favorites show none.
    void setLightImages(std::function<int(Light)> lightImage)
    {
        m_lightImage = std::move(lightImage);
    }

    // The size the window opens at while no placement is stored, on a
    // screen whose available area is screenArea.
    static QSize firstSize(const QSize& screenArea);

    QTreeView* treeView() const;
    TaskPane* taskPane() const { return m_taskPane; }
    QSplitter* splitter() const { return m_splitter; }
    QToolBar* toolBar() const { return m_toolBar; }
    QString statusPanelText(int panel) const;
    // The action shown for a menu item (by menu name and index, from 1).
    QAction* menuAction(const QString& menu, int index) const;
    QAction* toolbarAction(int position) const;
    // Opens the context menu of the selected node at a screen position.
    QMenu* openContextMenu(const QPoint& globalPosition);
    void startRename();
    // Shows the window in front, restored when minimised, shown when only
    // the tray icon was left of it, and gives it the keyboard.
    void bringForward();

    double top() const override;
    double left() const override;
    double height() const override;
    double width() const override;
    void setTop(double twips) override;
    void setLeft(double twips) override;
    void setHeight(double twips) override;
    void setWidth(double twips) override;
    QList<QRectF> screens() const override;
    double taskPaneWidth() const override;
    void setTaskPaneWidth(double twips) override;
    void showNotice(const QString& text, const QString& address,
                    std::function<void()> seen) override;
    void showSaveNotice(const QString& text) override;
    NoticeBar* noticeBar() const { return m_notice; }
    NoticeBar* saveNoticeBar() const { return m_saveNotice; }

Q_SIGNALS:
    void commandRequested(norvale::Command command);
    void labelEdited(norvale::TreeNode* node, const QString& text);
    void noticeLinkActivated(const QString& address);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void buildPaneAndTree();
    void buildStatusBar(StatusBarModel& status);
    void followTheTree();
    void buildSurfaceViews();
    void refreshSurfaceViews();
    QAction* actionFor(const CommandItem& item);
    void activate(const QModelIndex& index);
    void syncExpansion();
    void showTreeSelection();
    void selectIfHidden(const QModelIndex& collapsed);
    void setFolderImage(const QModelIndex& index, bool open);
    void showProgress();
    double dpiX() const;
    double dpiY() const;

    TreeControl& m_tree;
    CommandSurface& m_surface;
    QVector<QIcon> m_pictures;
    TreeItemModel* m_model = nullptr;
    FavoritesTreeView* m_treeView = nullptr;
    TaskPane* m_taskPane = nullptr;
    QSplitter* m_splitter = nullptr;
    NoticeBar* m_notice = nullptr;
    NoticeBar* m_saveNotice = nullptr; // changes waiting for a browser to close
    double m_taskPaneTwips = 0;        // asked for; the splitter's once shown
    QToolBar* m_toolBar = nullptr;
    QList<QLabel*> m_panels;
    QProgressBar* m_progress = nullptr;
    static constexpr int kProgressEveryMs = 200;
    QTimer m_progressDue;
    std::pair<int, int> m_progressNow; // done, total: the newest count told
    QHash<QString, QList<QAction*>> m_menuActions;
    QList<QAction*> m_toolbarActions;
    QHash<QString, QMenu*> m_contextMenus;
    std::function<bool()> m_closeGuard;
    std::function<void()> m_unload;
    std::function<ContextMenu()> m_chooseMenu;
    std::function<int(Light)> m_lightImage;
    bool m_unloaded = false;
};

} // namespace norvale
