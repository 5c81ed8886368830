#pragma once

#include "platform/WindowFrame.h"

namespace norvale::test {

// A window that is nowhere, for runs that need a frame but show none: its
// placement is a fixed 800 x 600 design size and it keeps nothing.
class NoWindowFrame : public WindowFrame {
public:
    double top() const override { return 0; }
    double left() const override { return 0; }
    double height() const override { return 9000; }
    double width() const override { return 12000; }
    void setTop(double) override {}
    void setLeft(double) override {}
    void setHeight(double) override {}
    void setWidth(double) override {}
    QList<QRectF> screens() const override { return {}; }
};

} // namespace norvale::test
