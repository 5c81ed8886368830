#include "TrayIcon.h"

#include <QApplication>

#include "platform/UrlOpener.h"
#include "services/AboutTexts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>

namespace norvale {

namespace {

constexpr int kTipLength = 127;
constexpr int kBalloonTextLength = 255;
constexpr int kBalloonTitleLength = 63;

QSystemTrayIcon::MessageIcon messageIcon(BalloonIcon icon)
{
    switch (icon) {
    case BalloonIcon::Information:
        return QSystemTrayIcon::Information;
    case BalloonIcon::Warning:
        return QSystemTrayIcon::Warning;
    case BalloonIcon::Error:
        return QSystemTrayIcon::Critical;
    case BalloonIcon::None:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

} // namespace

// What is on screen where the desktop has a tray. The menu is a top-level
// widget, so it has no QObject parent and is owned here.
struct TrayIcon::View {
    QSystemTrayIcon* icon = nullptr; // a child of the TrayIcon
    std::unique_ptr<QMenu> menu;
};

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_toolTip(QString::fromLatin1(kTrayDescription))
{
    // Without a widget application (a tool, a benchmark) there is no tray
    // to ask about: the icon stays a model only.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    m_icon = QGuiApplication::windowIcon();
    if (QSystemTrayIcon::isSystemTrayAvailable())
        createView();
}

TrayIcon::~TrayIcon()
{
    if (m_view)
        m_view->icon->hide();
}

void TrayIcon::createView()
{
    m_view = std::make_unique<View>();
    m_view->menu = std::make_unique<QMenu>();
    m_view->icon = new QSystemTrayIcon(this);
    m_view->icon->setToolTip(m_toolTip);
    // The menu is popped up by showMenu() on a right press rather than
    // handed to the tray, so that it opens once and the same way everywhere.
    connect(m_view->icon, &QSystemTrayIcon::activated, this, &TrayIcon::handleActivation);
    connect(m_view->icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::balloonClicked);
    // A tray icon without a picture cannot be shown; it appears once the
    // program gives it one.
    if (!m_icon.isNull()) {
        m_view->icon->setIcon(m_icon);
        m_view->icon->show();
    }
}

void TrayIcon::addMenuAction(int index)
{
    const TrayMenuItem& item = m_items.at(index);
    QMenu& menu = *m_view->menu;
    if (item.isSeparator()) {
        menu.addSeparator();
        return;
    }
    QAction* action = menu.addAction(item.caption);
    connect(action, &QAction::triggered, this, [this, index] { menuItemChosen(index); });
    if (index == m_defaultIndex) {
        const QList<QAction*> actions = menu.actions();
        for (QAction* other : actions)
            other->setFont(QFont());
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        menu.setDefaultAction(action);
    }
}

int TrayIcon::addMenuItem(const QString& caption, const QString& key, bool isDefault)
{
    if (!m_loaded)
        return -1;
    const int index = int(m_items.size());
    m_items.append({caption, key});
    if (isDefault)
        m_defaultIndex = index;
    if (m_view)
        addMenuAction(index);
    return index;
}

void TrayIcon::showMenu()
{
    if (!m_loaded)
        return;
    emit menuRequested();
    if (m_view && m_view->icon->isVisible())
        m_view->menu->popup(QCursor::pos());
}

void TrayIcon::setToolTip(const QString& tip)
{
    if (!m_loaded || tip.isEmpty())
        return;
    m_toolTip = tip.left(kTipLength);
    if (m_view)
        m_view->icon->setToolTip(m_toolTip);
}

void TrayIcon::setIcon(const QIcon& icon)
{
    if (!m_loaded || icon.cacheKey() == m_icon.cacheKey())
        return;
    m_icon = icon;
    if (!m_view)
        return;
    m_view->icon->setIcon(m_icon);
    m_view->icon->setVisible(!m_icon.isNull());
}

bool TrayIcon::showBalloonTip(const QString& text, const QString& title, BalloonIcon icon,
                              int timeoutMs)
{
    if (!m_loaded || text.isEmpty())
        return false;
    const TrayBalloon balloon{text.left(kBalloonTextLength), title.left(kBalloonTitleLength), icon,
                              timeoutMs};
    emit balloonRequested(balloon);
    if (!m_view || !m_view->icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return false;
    m_view->icon->showMessage(balloon.title, balloon.text, messageIcon(balloon.icon),
                              balloon.timeoutMs);
    return true;
}

void TrayIcon::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    if (!m_view)
        return;
    // This may run inside one of the menu's own signals (the "close" item),
    // so the widgets go once control is back in the event loop.
    m_view->icon->hide();
    m_view->icon->deleteLater();
    m_view->menu.release()->deleteLater();
    m_view.reset();
}

bool TrayIcon::isVisible() const
{
    return m_view && m_view->icon->isVisible();
}

void TrayIcon::buttonDown(TrayButton button)
{
    if (m_loaded && button == TrayButton::Right)
        showMenu();
}

void TrayIcon::buttonUp(TrayButton)
{
    // Nothing answers a release.
}

void TrayIcon::doubleClicked(TrayButton)
{
    if (m_loaded && m_actions.showWindow)
        m_actions.showWindow();
}

void TrayIcon::menuItemChosen(int index)
{
    if (!m_loaded || index < 0 || index >= m_items.size() || m_items.at(index).isSeparator())
        return;
    const QString key = m_items.at(index).key;
    const QPointer<TrayIcon> alive(this);
    emit menuClicked(index, key);
    if (!alive || !m_loaded)
        return;
    if (key == QLatin1String("website")) {
        if (m_actions.opener)
            m_actions.opener->open(QString::fromLatin1(kMakerWebAddress));
    } else if (key == QLatin1String("close")) {
        // A granted close has normally unloaded the tray already, on the
        // window's way out; make sure no icon outlives the window.
        if (m_actions.closeWindow && m_actions.closeWindow() && alive)
            unload();
    }
}

void TrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context: // the right button went down
        buttonDown(TrayButton::Right);
        break;
    case QSystemTrayIcon::DoubleClick:
        doubleClicked(TrayButton::Left);
        break;
    case QSystemTrayIcon::Trigger: // a left click, reported on release
        buttonDown(TrayButton::Left);
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TrayIcon::setUp()
{
    SetUpTrayIcon(*this, QIcon());
}

void SetUpTrayIcon(TrayIcon& tray, const QIcon& windowIcon)
{
    tray.addMenuItem(QStringLiteral("&Brimwick Web Site"), QStringLiteral("website"), true);
    tray.addMenuItem(QStringLiteral("-"));
    tray.addMenuItem(QStringLiteral("&Exit Norvale"), QStringLiteral("close"));
    tray.setToolTip(QString());
    // No icon to give keeps the one the tray has: a tray icon without a
    // picture is not shown, and a balloon needs a shown icon.
    if (!windowIcon.isNull())
        tray.setIcon(windowIcon);
}

} // namespace norvale
