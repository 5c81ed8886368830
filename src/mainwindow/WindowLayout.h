#pragma once

#include <QRect>

namespace norvale {

struct WindowLayout {
    QRect taskPane;
    QRect tree;
};

// Places the task pane along the left edge at its own width and the tree to
// its right, both between the toolbar and the status bar. Returns nothing
// useful for a minimised window (zero width), which is left alone.
WindowLayout LayOutClientArea(int clientWidth, int clientHeight, int toolbarHeight,
                              int statusBarHeight, int taskPaneWidth);

// The task pane's design width, 3015 twips.
constexpr double kTaskPaneWidthTwips = 3015.0;
constexpr double kTwipsPerInch = 1440.0;

inline int TwipsToPixels(double twips, double dotsPerInch)
{
    return qRound(twips * dotsPerInch / kTwipsPerInch);
}

inline double PixelsToTwips(int pixels, double dotsPerInch)
{
    return pixels * kTwipsPerInch / dotsPerInch;
}

} // namespace norvale
