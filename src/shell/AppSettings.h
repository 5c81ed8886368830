#pragma once

#include "platform/FavoriteStatus.h"

#include <QDateTime>
#include <QString>

namespace norvale {

class ImageList;

// Checks a run keeps in flight: by default, and at the most. Each waiting
// check costs a socket, not a thread; at most two go to one host at once,
// as a browser does.
constexpr int kDefaultParallel = 256;
constexpr int kMostParallel = 256;

// When a favorite that keeps failing counts as dead, by default, and the
// most each limit may be.
constexpr int kDefaultDeadAfterChecks = 3;
constexpr int kDefaultDeadAfterDays = 14;
constexpr int kMostDeadAfterChecks = 999;
constexpr int kMostDeadAfterDays = 3650;

enum class ProxyMode : int {
    None = 0,    // connect directly
    Browser = 1, // the browser's proxy
    Own = 2,     // the program's own proxy server and port
};

// The program-wide settings record, loaded once at start and saved once at
// exit. Field names are the settings' own names.
struct AppSettings {
    // Image-list positions of the six status lights, chosen by SmallLights.
    int LightUnchecked = 0;
    int LightDead = 0;
    int LightWarning = 0;
    int LightAlive = 0;
    int LightGray = 0;
    int LightNew = 0;
    // The image position of a light: one of the six fields above.
    int& lightImage(Light light);
    int lightImage(Light light) const { return const_cast<AppSettings*>(this)->lightImage(light); }

    int Timeout = 0; // milliseconds
    bool ChangeName = false;
    bool IEToolMenu = false;
    bool IEToolbar = false;
    bool PreserveIcons = false;
    bool SmallLights = false;
    QDateTime LastRun;
    bool ShowNew = false;
    bool AutoCheck = false;
    QDateTime LastCheck;
    bool MoveDead = false;
    bool AutoThrottle = false;
    bool DeadFavoritesInIE = false;
    norvale::ProxyMode ProxyMode = norvale::ProxyMode::None;
    QString ProxyServer;
    QString ProxyPort;
    QString ProxyBypassDomain;
    // Host name of the domain-parking service whose redirect marks a dead
    // site; read from the store's "ParkingHost" when present, never written.
    QString ParkingHost = QStringLiteral("www.sedoparking.com");
    // How many checks a run keeps in flight at once; 1 checks one at a time.
    int Parallel = kDefaultParallel;
    // At the end of a run, look once more at favorites whose trouble may
    // have passed (a time-out, a refused connection, a busy server).
    bool LookAgain = true;
    // Count a favorite whose site stays unreachable as dead once it failed
    // DeadAfterChecks checks in a row over at least DeadAfterDays days.
    bool DeadAfterFailures = false;
    int DeadAfterChecks = kDefaultDeadAfterChecks;
    int DeadAfterDays = kDefaultDeadAfterDays;
};

// The shortest time-out a check may use, whatever the store says.
constexpr int kMinimumTimeout = 500;

// Puts the image positions of the light set that SmallLights picks into the
// six light fields.
void ChooseLightImages(AppSettings& settings, const ImageList& images);

} // namespace norvale
