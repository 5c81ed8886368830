#pragma once

#include "AppSettings.h"

#include <functional>
#include <QString>

namespace norvale {

class NorvaleError;
class RegistryStore;

// Where the program's values live: HKEY_CURRENT_USER, "Software\" +
// "Brimwick" + "\" + "Norvale".
namespace StoreKeys {
inline const QString BasePath = QStringLiteral("Software\\");
inline const QString Company = QStringLiteral("Brimwick");
inline const QString Product = QStringLiteral("Norvale");
} // namespace StoreKeys

using ProblemReporter = std::function<void(const NorvaleError&)>;

// Opens the store file for one use, with the base path and root set.
RegistryStore OpenStore(const QString& filePath, bool localMachine = false);

// Reads the record's stored values in load order. A value that does not
// convert to its field's type is reported and its default used instead.
// The time-out is raised to the minimum afterwards.
void LoadAppSettings(AppSettings& settings, const RegistryStore& store, const QDateTime& now,
                     const ProblemReporter& report);
// Writes the record in save order, LastRun as now, then the proxy values.
void SaveAppSettings(const AppSettings& settings, RegistryStore& store, const QDateTime& now);

void LoadProxySettings(AppSettings& settings, const RegistryStore& store);
void SaveProxySettings(const AppSettings& settings, RegistryStore& store);

// The browser version text, "0" when absent.
QString GetBrowserVersion(const QString& storeFilePath);

// A stored text as a typed value; false when it does not convert.
bool ParseStoredBool(const QString& text, bool* value);
bool ParseStoredInt16(const QString& text, int* value);
bool ParseStoredDate(const QString& text, QDateTime* value);
bool ParseStoredTwips(const QString& text, double* value);

} // namespace norvale
