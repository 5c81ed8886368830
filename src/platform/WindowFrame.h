#pragma once

#include <functional>
#include <QList>
#include <QRectF>
#include <QString>

namespace norvale {

// The main window's placement as the settings keep it: in twips (1/1440
// inch at the screen's logical resolution), with the screens it may lie on.
class WindowFrame {
public:
    virtual ~WindowFrame() = default;

    virtual double top() const = 0;
    virtual double left() const = 0;
    virtual double height() const = 0;
    virtual double width() const = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual void setWidth(double twips) = 0;

    // Available area of every screen, the primary first, in twips.
    virtual QList<QRectF> screens() const = 0;

    // The width of the task pane beside the tree, in twips; 0 where the
    // window has none to keep.
    virtual double taskPaneWidth() const { return 0; }
    virtual void setTaskPaneWidth(double) {}

    // A notice the user must get to read, with a link to address; seen runs
    // once it was on screen. A frame that cannot show one never calls it.
    virtual void showNotice(const QString&, const QString&, std::function<void()>) {}
    // A notice of changes that wait to be saved elsewhere; "" takes it away.
    virtual void showSaveNotice(const QString&) {}
};

} // namespace norvale
