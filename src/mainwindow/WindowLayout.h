#pragma once

#include <QtGlobal>

namespace norvale {

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
