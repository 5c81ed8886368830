#pragma once

#include "lifecycle/TrayControl.h"

#include <functional>
#include <memory>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

namespace norvale {

class UrlOpener;

// The tip shown before the program sets one: the program's description.
inline constexpr const char* kTrayDescription = "Brimwick Norvale";

// The mouse buttons the tray reports.
enum class TrayButton { Left = 1, Right = 2 };

struct TrayMenuItem {
    QString caption; // "-" makes the item a separator
    QString key;

    bool isSeparator() const { return caption == QLatin1String("-"); }
};

// One balloon as it was asked for, its texts already cut to what a balloon
// holds.
struct TrayBalloon {
    QString text;
    QString title;
    BalloonIcon icon = BalloonIcon::None;
    int timeoutMs = 0;
};

// What the owner does for the tray's events. Any of them may be missing.
struct TrayActions {
    // Opens the maker's web site (the "website" item).
    UrlOpener* opener = nullptr;
    // Shows the main window and brings it to the top (a double click).
    std::function<void()> showWindow;
    // Asks the main window to close through its normal close path (the
    // "close" item); false when the window refused, as it does during a
    // check. Must not destroy this TrayIcon: unload() it instead.
    std::function<bool()> closeWindow;
};

// The icon in the desktop's notification area, with its popup menu, its tip
// and its balloons. The class keeps the menu, tip, icon and balloon requests
// itself and takes the tray's events as plain calls, so it works the same
// where the desktop has no tray; only where one exists does it also show a
// QSystemTrayIcon with a menu built from the items.
//
// Events: a right-button press opens the menu; a double click with either
// button shows the main window; the menu's "website" item opens the maker's
// web site and its "close" item asks the main window to close. After
// unload() the icon is gone and every event and operation is ignored.
class TrayIcon : public QObject, public TrayControl {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void setActions(TrayActions actions) { m_actions = std::move(actions); }

    // Appends an item and returns its index (from 0); -1 once unloaded. The
    // default item is shown bold.
    int addMenuItem(const QString& caption, const QString& key = {}, bool isDefault = false);
    // Pops the menu up at the mouse.
    void showMenu();
    // At most 127 characters; the empty text keeps the current tip, so the
    // icon never goes without one.
    void setToolTip(const QString& tip);
    // A new icon replaces the shown one; the same icon changes nothing.
    void setIcon(const QIcon& icon);
    // A balloon with the text (at most 255 characters) and the title (at
    // most 63). The empty text shows nothing; a desktop without balloons
    // shows nothing either. True when a balloon went to the screen.
    bool showBalloonTip(const QString& text, const QString& title = {},
                        BalloonIcon icon = BalloonIcon::None, int timeoutMs = 10000) override;
    // Removes the icon from the notification area for good. Safe to call
    // more than once, and from inside one of the actions.
    void unload() override;
    // SetUpTrayIcon with the icon the window gave it.
    void setUp() override;

    const QList<TrayMenuItem>& menuItems() const { return m_items; }
    int defaultIndex() const { return m_defaultIndex; } // -1: none
    QString toolTip() const { return m_toolTip; }
    QIcon icon() const { return m_icon; }
    bool isLoaded() const { return m_loaded; }
    // Whether an icon is actually on screen (never without a tray).
    bool isVisible() const;

    // The tray's events, as the notification area reports them.
    void buttonDown(TrayButton button);
    void buttonUp(TrayButton button);
    void doubleClicked(TrayButton button);
    void menuItemChosen(int index);
    // QSystemTrayIcon's way of reporting the same events.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

signals:
    // The menu was asked to pop up.
    void menuRequested();
    // An item other than a separator was chosen, before it is acted on.
    void menuClicked(int index, const QString& key);
    void balloonRequested(const norvale::TrayBalloon& balloon);
    void balloonClicked();

private:
    struct View;
    void createView();
    void addMenuAction(int index);

    TrayActions m_actions;
    QList<TrayMenuItem> m_items;
    int m_defaultIndex = -1;
    QString m_toolTip;
    QIcon m_icon;
    bool m_loaded = true;
    std::unique_ptr<View> m_view; // only where a tray exists
};

// The tray as the program sets it up at start: the maker's web site (the
// default item), a separator and exit, the tip left as it is, and the main
// window's icon.
void SetUpTrayIcon(TrayIcon& tray, const QIcon& windowIcon);

} // namespace norvale
