#pragma once

#include <QTreeView>

namespace norvale {

// The favorites tree's view. A right-button press selects the node under
// the pointer, as trees on the desktop do, and its release asks for that
// node's context menu; a right click on empty space selects nothing and
// asks for no menu. From the keyboard, Shift+F10 and the menu key ask for
// the selected node's menu, and Enter activates the selected node.
class FavoritesTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit FavoritesTreeView(QWidget* parent = nullptr);

Q_SIGNALS:
    void contextMenuRequested(const QPoint& globalPosition);
    void enterPressed(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void rightPress(QMouseEvent* event);

    bool m_rightPressOnNode = false;
};

} // namespace norvale
