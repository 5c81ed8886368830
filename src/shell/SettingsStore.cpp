#include "SettingsStore.h"

#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"

#include <QLocale>
#include <QUrl>

#include <algorithm>
#include <variant>
#include <vector>

namespace norvale {

namespace {

using Member = std::variant<int AppSettings::*, bool AppSettings::*, QDateTime AppSettings::*>;

// A date's first-run value: the time the program started.
struct StartTime {};
using FirstRunValue = std::variant<int, bool, StartTime>;

struct SettingField {
    const char* name; // the stored value's name
    Member member;
    FirstRunValue firstRun; // used when the store has no valid value
    int savedAs;            // place among the values written at exit
};

// Every stored field of the record, in the order they are read at start-up.
const SettingField kSettings[] = {
    {"Timeout", &AppSettings::Timeout, 1000, 1},
    {"ChangeName", &AppSettings::ChangeName, false, 2},
    {"IEToolMenu", &AppSettings::IEToolMenu, false, 3},
    {"IEToolbar", &AppSettings::IEToolbar, false, 4},
    {"PreserveIcons", &AppSettings::PreserveIcons, false, 5},
    {"SmallLights", &AppSettings::SmallLights, false, 6},
    {"LastRun", &AppSettings::LastRun, StartTime{}, 7},
    {"ShowNew", &AppSettings::ShowNew, false, 8},
    {"AutoCheck", &AppSettings::AutoCheck, false, 12},
    {"LastCheck", &AppSettings::LastCheck, StartTime{}, 13},
    {"MoveDead", &AppSettings::MoveDead, false, 9},
    {"AutoThrottle", &AppSettings::AutoThrottle, true, 10},
    {"DeadFavoritesInIE", &AppSettings::DeadFavoritesInIE, false, 11},
    {"Parallel", &AppSettings::Parallel, kDefaultParallel, 14},
    {"LookAgain", &AppSettings::LookAgain, true, 15},
    {"DeadAfterFailures", &AppSettings::DeadAfterFailures, false, 16},
    {"DeadAfterChecks", &AppSettings::DeadAfterChecks, kDefaultDeadAfterChecks, 17},
    {"DeadAfterDays", &AppSettings::DeadAfterDays, kDefaultDeadAfterDays, 18},
};

// The rows of kSettings in the order they are written at exit.
const std::vector<const SettingField*>& saveOrder()
{
    static const std::vector<const SettingField*> order = [] {
        std::vector<const SettingField*> rows;
        for (const SettingField& f : kSettings)
            rows.push_back(&f);
        std::sort(rows.begin(), rows.end(), [](const SettingField* a, const SettingField* b) {
            return a->savedAs < b->savedAs;
        });
        return rows;
    }();
    return order;
}

void applyDefault(AppSettings& settings, const SettingField& f, const QDateTime& now)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, QDateTime>)
                settings.*member = now;
            else
                settings.*member = std::get<T>(f.firstRun);
        },
        f.member);
}

bool parseInto(AppSettings& settings, const SettingField& f, const QString& text)
{
    return std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, int>)
                return ParseStoredInt16(text, &(settings.*member));
            else if constexpr (std::is_same_v<T, bool>)
                return ParseStoredBool(text, &(settings.*member));
            else
                return ParseStoredDate(text, &(settings.*member));
        },
        f.member);
}

QVariant valueOf(const AppSettings& settings, const SettingField& f)
{
    return std::visit([&](auto member) { return QVariant::fromValue(settings.*member); }, f.member);
}

// Text after the first ".", all of it without one, "" for an empty server.
QString bypassDomainOf(const QString& server)
{
    const qsizetype dot = server.indexOf(QLatin1Char('.'));
    return dot < 0 ? server : server.mid(dot + 1);
}

// The browser's proxy text, or the host:port of http_proxy when the store
// has no browser proxy value at all.
QString browserProxyText(const RegistryStore& store)
{
    const auto stored = store.value(QStringLiteral("Microsoft"),
                                    QStringLiteral("Windows\\CurrentVersion\\Internet Settings"),
                                    QStringLiteral("ProxyServer"));
    if (stored)
        return *stored;
    QString environment = qEnvironmentVariable("http_proxy").trimmed();
    if (environment.isEmpty())
        return QString();
    if (!environment.contains(QLatin1String("://")))
        environment.prepend(QLatin1String("http://"));
    const QUrl url(environment);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    return url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port())
                          : url.host();
}

} // namespace

RegistryStore OpenStore(const QString& filePath, bool localMachine)
{
    RegistryStore store(filePath);
    store.SetBasePath(StoreKeys::BasePath);
    store.SetRootKey(localMachine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser);
    return store;
}

bool ParseStoredBool(const QString& text, bool* value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        *value = true;
        return true;
    }
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        *value = false;
        return true;
    }
    bool ok = false;
    const qlonglong number = trimmed.toLongLong(&ok);
    if (ok)
        *value = number != 0;
    return ok;
}

bool ParseStoredInt16(const QString& text, int* value)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < -32768 || number > 32767)
        return false;
    *value = number;
    return true;
}

bool ParseStoredDate(const QString& text, QDateTime* value)
{
    const QString trimmed = text.trimmed();
    QDateTime parsed = QDateTime::fromString(trimmed, RegistryStore::dateFormat());
    if (!parsed.isValid())
        parsed = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!parsed.isValid())
        parsed = QLocale::system().toDateTime(trimmed, QLocale::ShortFormat);
    if (!parsed.isValid())
        return false;
    *value = parsed;
    return true;
}

bool ParseStoredTwips(const QString& text, double* value)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !qIsFinite(number))
        return false;
    *value = number;
    return true;
}

void LoadAppSettings(AppSettings& settings, const RegistryStore& store, const QDateTime& now,
                     const ProblemReporter& report)
{
    for (const SettingField& f : kSettings) {
        const QString name = QLatin1String(f.name);
        applyDefault(settings, f, now);
        const auto stored = store.value(StoreKeys::Company, StoreKeys::Product, name);
        if (!stored || parseInto(settings, f, *stored))
            continue;
        report(NorvaleError(ErrorNumber::TypeMismatch,
                            QStringLiteral("The setting \"%1\" holds \"%2\", which is not a "
                                           "valid value; the default is used")
                                .arg(name, *stored),
                            QStringLiteral("SettingsStore")));
    }
    settings.Timeout = std::max(settings.Timeout, kMinimumTimeout);
    settings.Parallel = std::clamp(settings.Parallel, 1, kMostParallel);
    settings.DeadAfterChecks = std::clamp(settings.DeadAfterChecks, 1, kMostDeadAfterChecks);
    settings.DeadAfterDays = std::clamp(settings.DeadAfterDays, 0, kMostDeadAfterDays);
    settings.ParkingHost = store.GetSetting(StoreKeys::Company, StoreKeys::Product,
                                            QStringLiteral("ParkingHost"), settings.ParkingHost);
}

void SaveAppSettings(const AppSettings& settings, RegistryStore& store, const QDateTime& now)
{
    for (const SettingField* f : saveOrder()) {
        const bool lastRun = f->member == Member(&AppSettings::LastRun);
        const QVariant value = lastRun ? QVariant(now) : valueOf(settings, *f);
        store.SaveSetting(StoreKeys::Company, StoreKeys::Product, QLatin1String(f->name), value);
    }
    SaveProxySettings(settings, store);
}

void LoadProxySettings(AppSettings& settings, const RegistryStore& store)
{
    const QString mode = store
                             .GetSetting(StoreKeys::Company, StoreKeys::Product,
                                         QStringLiteral("Proxy"), QStringLiteral("No"))
                             .trimmed();
    if (mode == QLatin1String("No")) {
        settings.ProxyMode = ProxyMode::None;
        settings.ProxyServer.clear();
        settings.ProxyPort.clear();
        settings.ProxyBypassDomain.clear();
    } else if (mode == QLatin1String("IE")) {
        QString text = browserProxyText(store).trimmed();
        if (!text.contains(QLatin1Char(':')))
            text += QStringLiteral(":80");
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        settings.ProxyServer = text.left(colon);
        settings.ProxyPort = text.mid(colon + 1);
        settings.ProxyMode = ProxyMode::Browser;
        settings.ProxyBypassDomain = bypassDomainOf(settings.ProxyServer);
    } else if (mode == QLatin1String("Yes")) {
        settings.ProxyServer = store.GetSetting(StoreKeys::Company, StoreKeys::Product,
                                                QStringLiteral("ProxyServer"), QString());
        settings.ProxyPort = store.GetSetting(StoreKeys::Company, StoreKeys::Product,
                                              QStringLiteral("ProxyPort"), QStringLiteral("80"));
        settings.ProxyMode = ProxyMode::Own;
        const QString bypass =
            store.GetSetting(StoreKeys::Company, StoreKeys::Product,
                             QStringLiteral("ProxyLocalBypass"), QStringLiteral("No"));
        if (bypass == QLatin1String("Yes"))
            settings.ProxyBypassDomain = bypassDomainOf(settings.ProxyServer);
    }
}

void SaveProxySettings(const AppSettings& settings, RegistryStore& store)
{
    QString mode;
    switch (settings.ProxyMode) {
    case ProxyMode::None:
        mode = QStringLiteral("No");
        break;
    case ProxyMode::Browser:
        mode = QStringLiteral("IE");
        break;
    case ProxyMode::Own:
        mode = QStringLiteral("Yes");
        break;
    }
    const QString& company = StoreKeys::Company;
    const QString& product = StoreKeys::Product;
    store.SaveSetting(company, product, QStringLiteral("Proxy"), mode);
    store.SaveSetting(company, product, QStringLiteral("ProxyServer"), settings.ProxyServer);
    store.SaveSetting(company, product, QStringLiteral("ProxyPort"), settings.ProxyPort);
    store.SaveSetting(company, product, QStringLiteral("ProxyLocalByPass"),
                      settings.ProxyBypassDomain.isEmpty() ? QStringLiteral("No")
                                                           : QStringLiteral("Yes"));
}

QString GetBrowserVersion(const QString& storeFilePath)
{
    const RegistryStore store = OpenStore(storeFilePath, true);
    return store.GetSetting(QStringLiteral("Microsoft"), QStringLiteral("Internet Explorer"),
                            QStringLiteral("Version"), QStringLiteral("0"));
}

} // namespace norvale
