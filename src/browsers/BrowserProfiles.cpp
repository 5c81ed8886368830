#include "BrowserProfiles.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <unistd.h>

namespace norvale {

namespace {

struct ChromiumKind {
    const char* key;
    const char* name;
    const char* configFolder; // below ~/.config
};

constexpr ChromiumKind kChromiumFamily[] = {
    {"chromium", "Chromium", "chromium"},
    {"chrome", "Google Chrome", "google-chrome"},
    {"brave", "Brave", "BraveSoftware/Brave-Browser"},
    {"edge", "Microsoft Edge", "microsoft-edge"},
    {"vivaldi", "Vivaldi", "vivaldi"},
};

// Where Firefox keeps its profiles.ini: the XDG folder that newer releases
// start in, the traditional one, as a Flatpak, as a Snap.
const char* const kFirefoxFolders[] = {
    ".config/mozilla/firefox",
    ".mozilla/firefox",
    ".var/app/org.mozilla.firefox/.mozilla/firefox",
    "snap/firefox/common/.mozilla/firefox",
};

void addFirefoxProfiles(const QString& base, QList<BrowserProfile>& found)
{
    const QString ini = QDir(base).filePath(QStringLiteral("profiles.ini"));
    if (!QFileInfo(ini).isFile())
        return;
    QSettings settings(ini, QSettings::IniFormat);
    // Newer Firefox names the default of each installation in an Install
    // section; older ones mark the profile with Default=1.
    QString installDefault;
    for (const QString& group : settings.childGroups()) {
        if (group.startsWith(QLatin1String("Install")))
            installDefault = settings.value(group + QLatin1String("/Default")).toString();
    }
    for (const QString& group : settings.childGroups()) {
        if (!group.startsWith(QLatin1String("Profile")))
            continue;
        settings.beginGroup(group);
        const QString path = settings.value(QStringLiteral("Path")).toString();
        const bool relative = settings.value(QStringLiteral("IsRelative"), 1).toInt() != 0;
        BrowserProfile profile;
        profile.family = BrowserFamily::Firefox;
        profile.browser = QStringLiteral("firefox");
        profile.browserName = QStringLiteral("Firefox");
        profile.name = settings.value(QStringLiteral("Name"), path).toString();
        profile.folder = QDir::cleanPath(relative ? QDir(base).filePath(path) : path);
        profile.isDefault = installDefault.isEmpty()
                                ? settings.value(QStringLiteral("Default")).toInt() == 1
                                : path == installDefault;
        settings.endGroup();
        if (!path.isEmpty() && QFileInfo(profile.storeFile()).isFile())
            found.append(profile);
    }
}

// "Default", then "Profile 1", "Profile 2"... in number order.
bool chromiumOrder(const QString& a, const QString& b)
{
    const auto number = [](const QString& name) {
        return name == QLatin1String("Default") ? 0 : name.section(QLatin1Char(' '), 1).toInt();
    };
    return number(a) < number(b);
}

void addChromiumProfiles(const QString& home, QList<BrowserProfile>& found)
{
    static const QRegularExpression profileName(QStringLiteral("^(Default|Profile [0-9]+)$"));
    for (const ChromiumKind& kind : kChromiumFamily) {
        const QDir config(
            QDir(home).filePath(QStringLiteral(".config/") + QLatin1String(kind.configFolder)));
        QStringList names = config.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        names.removeIf([](const QString& name) { return !profileName.match(name).hasMatch(); });
        std::sort(names.begin(), names.end(), chromiumOrder);
        for (const QString& name : names) {
            BrowserProfile profile;
            profile.family = BrowserFamily::Chromium;
            profile.browser = QLatin1String(kind.key);
            profile.browserName = QLatin1String(kind.name);
            profile.name = name;
            profile.folder = config.filePath(name);
            profile.isDefault = name == QLatin1String("Default");
            if (QFileInfo(profile.storeFile()).isFile())
                found.append(profile);
        }
    }
}

bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// A lock link "HOST<separator>PID" (Chromium's SingletonLock "host-pid",
// Firefox's lock "address:+pid"): held unless it names this machine's
// process that is gone.
bool lockLinkHeld(const QString& link, const QString& separator, bool compareHost)
{
    if (!QFileInfo(link).isSymLink())
        return false;
    // The link's own text: it leads nowhere, so Qt's resolved target is no use.
    QByteArray buffer(4096, '\0');
    const ssize_t length =
        ::readlink(QFile::encodeName(link).constData(), buffer.data(), size_t(buffer.size()));
    const QString target = QFile::decodeName(buffer.left(std::max<ssize_t>(length, 0)));
    const qsizetype at = target.lastIndexOf(separator);
    bool isNumber = false;
    const qint64 pid = target.mid(at + separator.size()).toLongLong(&isNumber);
    if (at < 0 || !isNumber)
        return true; // not understood: taken as held
    if (compareHost && target.left(at) != QSysInfo::machineHostName())
        return true;
    return processAlive(pid);
}

// Firefox's .parentlock is locked with fcntl while Firefox runs; asking
// about it takes no lock of our own.
bool parentLockHeld(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    const bool held = ::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

} // namespace

QString BrowserProfile::storeFile() const
{
    return QDir(folder).filePath(family == BrowserFamily::Firefox ? QStringLiteral("places.sqlite")
                                                                  : QStringLiteral("Bookmarks"));
}

QList<BrowserProfile> DiscoverBrowserProfiles(const QString& home)
{
    QList<BrowserProfile> found;
    for (const char* folder : kFirefoxFolders)
        addFirefoxProfiles(QDir(home).filePath(QLatin1String(folder)), found);
    addChromiumProfiles(home, found);
    return found;
}

std::optional<BrowserProfile> FindBrowserProfile(const QList<BrowserProfile>& profiles,
                                                 const QString& wanted, QString& error)
{
    // A profile's folder names it beyond doubt (the same name may be in
    // ~/.mozilla and in a Snap's folder).
    for (const BrowserProfile& profile : profiles) {
        if (QDir::cleanPath(profile.folder) == QDir::cleanPath(wanted))
            return profile;
    }
    const QString browser = wanted.section(QLatin1Char(':'), 0, 0);
    const QString name = wanted.section(QLatin1Char(':'), 1);
    QList<BrowserProfile> ofBrowser;
    for (const BrowserProfile& profile : profiles) {
        if (profile.browser.compare(browser, Qt::CaseInsensitive) == 0)
            ofBrowser.append(profile);
    }
    if (ofBrowser.isEmpty()) {
        error = QStringLiteral("No %1 profile with bookmarks was found.").arg(browser);
        return std::nullopt;
    }
    if (name.isEmpty()) {
        for (const BrowserProfile& profile : ofBrowser) {
            if (profile.isDefault)
                return profile;
        }
        return ofBrowser.first();
    }
    // The name as written, else in any letter case; never a guess between two.
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QList<BrowserProfile> named;
        for (const BrowserProfile& profile : ofBrowser) {
            if (profile.name.compare(name, sensitivity) == 0)
                named.append(profile);
        }
        if (named.size() == 1)
            return named.first();
        if (named.size() > 1) {
            QStringList folders;
            for (const BrowserProfile& profile : named)
                folders.append(profile.folder);
            error = QStringLiteral("%1:%2 names %3 profiles (%4); give the folder of the one "
                                   "meant instead.")
                        .arg(browser, name, QString::number(named.size()),
                             folders.join(QStringLiteral(", ")));
            return std::nullopt;
        }
    }
    error = QStringLiteral("%1 has no profile named %2.").arg(browser, name);
    return std::nullopt;
}

QString BrowserRunningReason(const BrowserProfile& profile)
{
    const QDir folder(profile.folder);
    if (profile.family == BrowserFamily::Chromium) {
        // A Flatpak or Snap browser runs in a pid namespace of its own: the
        // pid in its lock says nothing here, so any lock is taken as held.
        static const QRegularExpression sandbox(QStringLiteral("/(\\.var/app|snap)/"));
        const bool sandboxed = sandbox.match(QDir::cleanPath(profile.folder)).hasMatch();
        // Chromium keeps SingletonLock in the configuration folder above its
        // profiles; one in the profile itself is heeded too.
        for (const QString& link :
             {QFileInfo(profile.folder).dir().filePath(QStringLiteral("SingletonLock")),
              folder.filePath(QStringLiteral("SingletonLock"))}) {
            if (sandboxed && QFileInfo(link).isSymLink())
                return QStringLiteral("%1 may be running (it is a Flatpak or Snap, whose "
                                      "SingletonLock cannot be checked from outside)")
                    .arg(profile.browserName);
            if (lockLinkHeld(link, QStringLiteral("-"), true))
                return QStringLiteral("%1 is running (its SingletonLock is held)")
                    .arg(profile.browserName);
        }
        return {};
    }
    // The lock link's pid means nothing across a Flatpak's or Snap's pid
    // namespace; the POSIX lock on .parentlock is seen from everywhere.
    if (lockLinkHeld(folder.filePath(QStringLiteral("lock")), QStringLiteral(":+"), false))
        return QStringLiteral("Firefox is running (the profile's lock is held)");
    if (parentLockHeld(folder.filePath(QStringLiteral(".parentlock"))))
        return QStringLiteral("Firefox is running (the profile's .parentlock is held)");
    return {};
}

} // namespace norvale
