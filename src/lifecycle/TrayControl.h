#pragma once

#include <QString>

namespace norvale {

// The picture beside a balloon's title.
enum class BalloonIcon { None = 0, Information = 1, Warning = 2, Error = 3 };

// What start-up and shutdown ask of the icon in the notification area; the
// views make it with the desktop's tray, where there is one.
class TrayControl {
public:
    virtual ~TrayControl() = default;

    // The tray as the program sets it up at start: its menu, its tip and
    // the window's icon.
    virtual void setUp() = 0;
    // A balloon with the text and the title; true when one went to the
    // screen.
    virtual bool showBalloonTip(const QString& text, const QString& title, BalloonIcon icon,
                                int timeoutMs) = 0;
    // Removes the icon for good.
    virtual void unload() = 0;
};

} // namespace norvale
