#pragma once

#include <QTreeView>

namespace norvale {

// The favorites tree's view. A right-button press leaves the selection as
// it is (the context menu concerns the selected node, not the one under the
// pointer); its release asks for that menu.
class FavoritesTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit FavoritesTreeView(QWidget* parent = nullptr);

Q_SIGNALS:
    void rightButtonReleased(const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace norvale
