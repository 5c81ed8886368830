#include "shell/SettingsStore.h"
#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"
#include "shell/ErrorLog.h"
#include "shell/TimeConversion.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <QFile>
#include <QLocale>
#include <sys/stat.h>
#include <unistd.h>

using namespace norvale;
using namespace Qt::StringLiterals;
using namespace norvale::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

const QDateTime kNow(QDate(2026, 5, 1), QTime(8, 30, 0));

// Store files written as a person might, loaded, then saved to a file of
// their own: what the program does with them shows in what it writes.
class SettingsStoreTest : public testing::Test {
protected:
    QString path(const char* name) const { return m_temp.path(QString::fromLatin1(name)); }

    // Each value as Name=Value, the program's and the browser's.
    AppSettings load(const QStringList& values, const QStringList& browserValues = {})
    {
        const auto lines = [](const QStringList& values) {
            QString text;
            for (const QString& value : values)
                text += u"\"%1\"=\"%2\"\n"_s.arg(value.section('=', 0, 0), value.section('=', 1));
            return text;
        };
        QString text = u"Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\n"_s +
                       lines(values);
        if (!browserValues.isEmpty())
            text += u"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                    "Internet Settings]\n"_s +
                    lines(browserValues);
        m_temp.file(u"in.reg"_s, text.toUtf8());
        AppSettings settings;
        m_problems.clear();
        LoadAppSettings(settings, OpenStore(path("in.reg")), kNow,
                        [this](const NorvaleError& error) { m_problems << error.description(); });
        LoadProxySettings(settings, OpenStore(path("in.reg")));
        QFile::remove(path("out.reg"));
        RegistryStore out = OpenStore(path("out.reg"));
        SaveAppSettings(settings, out, kNow.addSecs(60));
        return settings;
    }
    QString saved(const QString& name) const
    {
        return OpenStore(path("out.reg"))
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or(u"<absent>"_s);
    }

    norvale::test::TempFolder m_temp;
    QStringList m_problems;
};

// Every value saved in order, booleans as digits; flags set in a pattern
// that tells each from its neighbours, whatever their letter case.
TEST_F(SettingsStoreTest, SaveWritesEveryValueInOrderWithBooleansAsDigits)
{
    const AppSettings s = load({u"changename=1"_s, u"IEToolbar=1"_s, u"SMALLLIGHTS=1"_s,
                                u"MoveDead=1"_s, u"AutoThrottle=0"_s, u"AutoCheck=1"_s});
    EXPECT_TRUE(s.ChangeName && !s.IEToolMenu && s.IEToolbar && !s.PreserveIcons && s.SmallLights &&
                !s.ShowNew && s.MoveDead && !s.AutoThrottle && s.AutoCheck && m_problems.isEmpty());
    EXPECT_THAT(m_temp.lines(u"out.reg"_s).replaceInStrings(u"\""_s, QString()),
                ElementsAre("Windows Registry Editor Version 5.00", "",
                            "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]", "Timeout=1000",
                            "ChangeName=1", "IEToolMenu=0", "IEToolbar=1", "PreserveIcons=0",
                            "SmallLights=1", "LastRun=2026-05-01 08:31:00", "ShowNew=0",
                            "MoveDead=1", "AutoThrottle=0", "DeadFavoritesInIE=0", "AutoCheck=1",
                            "LastCheck=2026-05-01 08:30:00", "Parallel=256", "LookAgain=1",
                            "DeadAfterFailures=0", "DeadAfterChecks=3", "DeadAfterDays=14",
                            "Proxy=No", "ProxyServer=", "ProxyPort=", "ProxyLocalByPass=No"));
}

// Each stored value, whatever its letter case, loads and saves back; one
// that does not convert falls back to its default and is reported; the
// time-out is raised to its minimum.
TEST_F(SettingsStoreTest, EachStoredValueLoadsAndSavesBack)
{
    const struct {
        QStringList stored;
        const char *name, *saved;
        int problems;
    } rows[] = {
        {{"timeout=1500"}, "Timeout", "1500", 0},
        {{"PreserveIcons=1"}, "PreserveIcons", "1", 0},
        {{"DeadFavoritesInIE=1"}, "DeadFavoritesInIE", "1", 0},
        {{"LastCheck=2026-01-02 03:04:05"}, "LastCheck", "2026-01-02 03:04:05", 0},
        {{"Timeout=100"}, "Timeout", "500", 0},
        {{"LookAgain=0"}, "LookAgain", "0", 0},
        {{"DeadAfterFailures=1", "DeadAfterChecks=0"}, "DeadAfterChecks", "1", 0},
        {{"DeadAfterDays=5000"}, "DeadAfterDays", "3650", 0},
        {{"Timeout=40000"}, "Timeout", "1000", 1}, // beyond 16 bits
        {{"Timeout=soon", "MoveDead=maybe", "LastRun=yesterday", "ShowNew=1"}, "ShowNew", "1", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored.join(';').toStdString());
        const AppSettings settings = load(row.stored);
        EXPECT_EQ(saved(row.name), row.saved);
        EXPECT_EQ(m_problems.size(), row.problems);
        EXPECT_EQ(settings.LastRun, kNow);
    }
    EXPECT_EQ(saved(u"Timeout"_s), u"1000"_s);
    EXPECT_EQ(saved(u"MoveDead"_s), u"0"_s);
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("Timeout"));
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("soon"));
}

// The proxy as stored, the browser's own, or from the environment when the
// browser has none; saved as the program's own values.
TEST_F(SettingsStoreTest, TheProxyComesFromTheStoreTheBrowserOrTheEnvironment)
{
    // Stored values, the browser's, then Proxy|ProxyServer|ProxyPort|ProxyLocalBypass as saved
    // and the domain that goes around the proxy.
    qputenv("http_proxy", "http://envproxy.example.test:3128/");
    const struct {
        QStringList stored;
        QString browser;
        const char* saved;
    } rows[] = {
        {{"Proxy=No", "ProxyServer=left.over"}, {}, "No|||No|"},
        {{"Proxy=no", "ProxyServer=kept"}, {}, "No|||No|"},
        {{"Proxy= IE "},
         "ProxyServer=cache.corp.example.test:8080",
         "IE|cache.corp.example.test|8080|Yes|corp.example.test"},
        {{"Proxy=IE"}, "ProxyServer=gateway", "IE|gateway|80|Yes|gateway"},
        {{"Proxy=IE"}, "ProxyServer=", "IE||80|No|"},
        {{"Proxy=IE"},
         "ProxyServer=http=web.example.test:80;ftp=files.example.test:21",
         "IE|http=web.example.test|80;ftp=files.example.test:21|Yes|example.test"},
        {{"Proxy=IE"}, {}, "IE|envproxy.example.test|3128|Yes|example.test"},
        {{"Proxy=Yes", "ProxyServer=px.lan.example.test", "ProxyLocalByPass=Yes"},
         {},
         "Yes|px.lan.example.test|80|Yes|lan.example.test"},
        {{"Proxy=Yes", "ProxyServer=px.lan.example.test", "ProxyLocalBypass=yes"},
         {},
         "Yes|px.lan.example.test|80|No|"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.stored.join(';') + " " + row.browser).toStdString());
        const AppSettings settings =
            load(row.stored, row.browser.isEmpty() ? QStringList() : QStringList{row.browser});
        QStringList got;
        for (const char* name : {"Proxy", "ProxyServer", "ProxyPort", "ProxyLocalBypass"})
            got << saved(QString::fromLatin1(name));
        EXPECT_EQ(got.join('|') + '|' + settings.ProxyBypassDomain, row.saved);
    }
    qunsetenv("http_proxy");
}

TEST(ErrorLogTest, ErrorsAreAppendedToTheLogAndShownWhenAsked)
{
    TempFolder temp;
    ScriptedMessageBoxes boxes;
    FixedClock clock;
    ErrorLog log(temp.path(), boxes, clock);
    temp.file(u"ERROR.LOG"_s, "an earlier line\r\n");
    log.LogError(NorvaleError(76, u"Path not found"_s, u"FileSystem"_s), false);
    log.LogError(NorvaleError(91, QString(), u"Norvale"_s), false);
    log.LogError(NorvaleError(70, u"Permission denied: /x"_s, u"FS"_s), true);

    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(clock.now().date(), QLocale::ShortFormat) + ' ' +
                          locale.toString(clock.now().time(), QLocale::ShortFormat);
    EXPECT_EQ(temp.read(u"ERROR.LOG"_s), ("an earlier line\r\n" + stamp +
                                          "  Error 76: Path not found in module FileSystem\r\n" +
                                          stamp + "  Error 91:  in module Norvale\r\n" + stamp +
                                          "  Error 70: Permission denied: /x in module FS\r\n")
                                             .toUtf8());
    EXPECT_EQ(boxes.titles(), QStringList{u"Error 70"_s});

    // What the log cannot be written to: the line goes to standard error at
    // once, and nothing waits for a reader of a FIFO.
    const auto fifo = [&temp](const QString& name) {
        const QString path = temp.folder(name) + u"/ERROR.LOG"_s;
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    };
    const QString lonelyFifo = fifo(u"fifo"_s);
    const QString readFifo = fifo(u"read"_s);
    // A reader waiting on the FIFO: writing to it would not block, but the
    // line would vanish into it.
    const int reader = ::open(QFile::encodeName(readFifo).constData(), O_RDONLY | O_NONBLOCK);
    const QString logFolders[] = {temp.folder(u"sub/ERROR.LOG"_s).chopped(10),
                                  lonelyFifo.chopped(10), readFifo.chopped(10)};
    for (const QString& folder : logFolders) {
        SCOPED_TRACE(folder.toStdString());
        ErrorLog unwritable(folder, boxes, clock);
        testing::internal::CaptureStderr();
        unwritable.LogError(NorvaleError(58, u"Taken"_s, u"FS"_s), true);
        EXPECT_THAT(testing::internal::GetCapturedStderr(),
                    HasSubstr("Error 58: Taken in module FS"));
    }
    ::close(reader);
    EXPECT_EQ(boxes.shown().size(), 4);
}

TEST(LocalToGmt, AddsTheBiasInEffectNow)
{
    const auto at = [](int day, int hour, int minute, Qt::TimeSpec zone = Qt::LocalTime) {
        return QDateTime(QDate(2026, 1, day), QTime(hour, minute), zone);
    };
    EXPECT_EQ(LocalToGmt(at(10, 21, 30), {300, 0, -60, false}), at(11, 2, 30, Qt::UTC));
    EXPECT_EQ(LocalToGmt(at(10, 12, 0), {300, 0, -60, true}), at(10, 16, 0, Qt::UTC)) << "daylight";
    EXPECT_EQ(LocalToGmt(at(10, 3, 0), {-540, 0, 0, false}), at(9, 18, 0, Qt::UTC));
    FixedClock clock;
    clock.setZone({-60, 0, -60, true});
    EXPECT_EQ(LocalToGmt(at(10, 12, 0), clock), at(10, 10, 0, Qt::UTC)) << "the clock's own zone";
}

} // namespace
