#pragma once

#include "platform/WindowFrame.h"

#include <functional>
#include <QMainWindow>

class QLabel;
class QTreeView;
class QToolBar;

namespace norvale {

class ImageList;
class StatusBarModel;
class TreeControl;
class TreeItemModel;

// The main window: toolbar on top, the task pane on the left, the favorites
// tree to its right and the status bar at the bottom. It renders the
// headless models and hands its window events to the handlers it is given.
class MainWindow : public QMainWindow, public WindowFrame {
    Q_OBJECT
public:
    MainWindow(TreeControl& tree, StatusBarModel& status, const ImageList& images,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Asked on every close request; false keeps the window open.
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }
    // Runs once when a close goes ahead, before the window goes.
    void setUnloadHandler(std::function<void()> handler) { m_unload = std::move(handler); }
    void setActivationHandler(std::function<void()> handler) { m_activate = std::move(handler); }

    QTreeView* treeView() const { return m_treeView; }
    QWidget* taskPane() const { return m_taskPane; }
    QToolBar* toolBar() const { return m_toolBar; }
    QString statusPanelText(int panel) const;

    double top() const override;
    double left() const override;
    double height() const override;
    double width() const override;
    void setTop(double twips) override;
    void setLeft(double twips) override;
    void setHeight(double twips) override;
    void setWidth(double twips) override;
    QList<QRectF> screens() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layOutClientArea();
    void syncExpansion();
    double dpiX() const;
    double dpiY() const;

    TreeControl& m_tree;
    TreeItemModel* m_model = nullptr;
    QTreeView* m_treeView = nullptr;
    QWidget* m_taskPane = nullptr;
    QToolBar* m_toolBar = nullptr;
    QList<QLabel*> m_panels;
    std::function<bool()> m_closeGuard;
    std::function<void()> m_unload;
    std::function<void()> m_activate;
    bool m_unloaded = false;
};

} // namespace norvale
