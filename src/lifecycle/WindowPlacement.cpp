#include "WindowPlacement.h"

#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"
#include "platform/WindowFrame.h"
#include "shell/SettingsStore.h"

namespace norvale {

namespace {

// At least this much of the window (in twips, about 100 x 30 pixels) must be
// on a screen for the user to grab it.
constexpr double kGrabWidth = 1500;
constexpr double kGrabHeight = 450;

double storedTwips(const RegistryStore& store, const char* name, double fallback,
                   const std::function<void(const NorvaleError&)>& report)
{
    const auto text = store.value(StoreKeys::Company, StoreKeys::Product, QLatin1String(name));
    double value = fallback;
    if (text && !ParseStoredTwips(*text, &value)) {
        value = fallback;
        report(NorvaleError(ErrorNumber::TypeMismatch,
                            QStringLiteral("The setting \"%1\" holds \"%2\", which is not a "
                                           "number; the default is used")
                                .arg(QLatin1String(name), *text),
                            QStringLiteral("WindowPlacement")));
    }
    return value;
}

bool grabbable(const QRectF& window, const QList<QRectF>& screens)
{
    for (const QRectF& screen : screens) {
        const QRectF visible = window.intersected(screen);
        if (visible.width() >= std::min(kGrabWidth, window.width()) &&
            visible.height() >= std::min(kGrabHeight, window.height()) && !visible.isEmpty())
            return true;
    }
    return false;
}

} // namespace

void RestoreWindowPlacement(WindowFrame& frame, const RegistryStore& store,
                            const std::function<void(const NorvaleError&)>& report)
{
    const QList<QRectF> screens = frame.screens();
    const QRectF primary = screens.isEmpty() ? QRectF() : screens.first();
    const double designHeight = frame.height();
    const double designWidth = frame.width();
    frame.setTop(
        storedTwips(store, "Top", primary.top() + (primary.height() - designHeight) / 2, report));
    frame.setLeft(
        storedTwips(store, "Left", primary.left() + (primary.width() - designWidth) / 2, report));
    frame.setHeight(storedTwips(store, "Height", designHeight, report));
    frame.setWidth(storedTwips(store, "Width", designWidth, report));
    if (const double pane = frame.taskPaneWidth(); pane > 0)
        frame.setTaskPaneWidth(storedTwips(store, "TaskPaneWidth", pane, report));

    const QRectF placed(frame.left(), frame.top(), frame.width(), frame.height());
    if (screens.isEmpty() || grabbable(placed, screens))
        return;
    const double height = std::min(placed.height(), primary.height());
    const double width = std::min(placed.width(), primary.width());
    frame.setHeight(height);
    frame.setWidth(width);
    frame.setTop(primary.top() + (primary.height() - height) / 2);
    frame.setLeft(primary.left() + (primary.width() - width) / 2);
}

void SaveWindowPlacement(const WindowFrame& frame, RegistryStore& store)
{
    const QString& company = StoreKeys::Company;
    const QString& product = StoreKeys::Product;
    store.SaveSetting(company, product, QStringLiteral("Height"), float(frame.height()));
    store.SaveSetting(company, product, QStringLiteral("Width"), float(frame.width()));
    store.SaveSetting(company, product, QStringLiteral("Top"), float(frame.top()));
    store.SaveSetting(company, product, QStringLiteral("Left"), float(frame.left()));
    if (const double pane = frame.taskPaneWidth(); pane > 0)
        store.SaveSetting(company, product, QStringLiteral("TaskPaneWidth"), float(pane));
}

} // namespace norvale
