#include "shell/SettingsStore.h"
#include "platform/ImageList.h"
#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>

using namespace norvale;
using namespace Qt::StringLiterals;
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

TEST_F(SettingsStoreTest, SaveWritesEveryValueInOrderWithBooleansAsDigits)
{
    load({});
    EXPECT_TRUE(m_problems.isEmpty());
    EXPECT_THAT(m_temp.lines(u"out.reg"_s).replaceInStrings(u"\""_s, QString()),
                ElementsAre("Windows Registry Editor Version 5.00", "",
                            "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]", "Timeout=1000",
                            "ChangeName=0", "IEToolMenu=0", "IEToolbar=0", "PreserveIcons=0",
                            "SmallLights=0", "LastRun=2026-05-01 08:31:00", "ShowNew=0",
                            "MoveDead=0", "AutoThrottle=1", "DeadFavoritesInIE=0", "AutoCheck=0",
                            "LastCheck=2026-05-01 08:30:00", "Parallel=256", "Proxy=No",
                            "ProxyServer=", "ProxyPort=", "ProxyLocalByPass=No"));
}

// Each stored value, whatever its letter case, loads and saves back; one
// that does not convert falls back to its default and is reported; the
// time-out is raised to its minimum.
TEST_F(SettingsStoreTest, EachStoredValueLoadsAndSavesBack)
{
    const struct {
        QStringList lines;
        const char* name;
        const char* saved;
        int problems = 0;
    } rows[] = {
        {{"timeout=1500"}, "Timeout", "1500"},
        {{"CHANGENAME=1"}, "ChangeName", "1"},
        {{"AutoThrottle=0"}, "AutoThrottle", "0"},
        {{"PreserveIcons=1"}, "PreserveIcons", "1"},
        {{"DeadFavoritesInIE=1"}, "DeadFavoritesInIE", "1"},
        {{"LastCheck=2026-01-02 03:04:05"}, "LastCheck", "2026-01-02 03:04:05"},
        {{"Timeout=100"}, "Timeout", "500"},
        {{"Timeout=40000"}, "Timeout", "1000", 1}, // beyond sixteen bits
        {{"Timeout=soon", "MoveDead=maybe", "LastRun=yesterday", "ShowNew=1"}, "ShowNew", "1", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines.join(' ').toStdString());
        const AppSettings settings = load(row.lines);
        EXPECT_EQ(saved(QString::fromLatin1(row.name)), QString::fromLatin1(row.saved));
        EXPECT_EQ(m_problems.size(), row.problems);
        EXPECT_EQ(settings.LastRun, kNow);
    }
    EXPECT_EQ(saved(u"Timeout"_s), u"1000"_s);
    EXPECT_EQ(saved(u"MoveDead"_s), u"0"_s);
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("Timeout"));
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("soon"));
}

// Each stored flag, set against its default, lands in its own field alone.
TEST_F(SettingsStoreTest, EachFlagLoadsIntoItsOwnField)
{
    const std::pair<const char*, bool AppSettings::*> flags[] = {
        {"ChangeName", &AppSettings::ChangeName},
        {"IEToolMenu", &AppSettings::IEToolMenu},
        {"IEToolbar", &AppSettings::IEToolbar},
        {"PreserveIcons", &AppSettings::PreserveIcons},
        {"SmallLights", &AppSettings::SmallLights},
        {"ShowNew", &AppSettings::ShowNew},
        {"MoveDead", &AppSettings::MoveDead},
        {"AutoThrottle", &AppSettings::AutoThrottle},
        {"AutoCheck", &AppSettings::AutoCheck},
        {"DeadFavoritesInIE", &AppSettings::DeadFavoritesInIE},
    };
    const AppSettings defaults = load({});
    for (const auto& [name, field] : flags) {
        const bool flipped = !(defaults.*field);
        const AppSettings settings = load({u"%1=%2"_s.arg(QLatin1String(name)).arg(int(flipped))});
        for (const auto& [other, otherField] : flags)
            EXPECT_EQ(settings.*otherField, other == name ? flipped : defaults.*otherField)
                << name << " set, " << other << " read";
    }
}

// The proxy as stored, the browser's own, or from the environment when the
// browser has none; saved as the program's own values.
TEST_F(SettingsStoreTest, EachProxySettingIsReadAndSavedAsItsOwnValues)
{
    // Saved as Proxy|ProxyServer|ProxyPort|ProxyLocalBypass, and the domain
    // that goes around the proxy.
    const struct {
        QStringList values, browser;
        QString saved;
    } rows[] = {
        {{"Proxy=No", "ProxyServer=left.over"}, {}, "No|||No|"},
        {{"Proxy=no", "ProxyServer=kept"}, {}, "No|||No|"},
        {{"Proxy= IE "},
         {"ProxyServer=cache.corp.example.test:8080"},
         "IE|cache.corp.example.test|8080|Yes|corp.example.test"},
        {{"Proxy=IE"}, {"ProxyServer=gateway"}, "IE|gateway|80|Yes|gateway"},
        {{"Proxy=IE"}, {"ProxyServer="}, "IE||80|No|"},
        {{"Proxy=IE"},
         {"ProxyServer=http=web.example.test:80;ftp=files.example.test:21"},
         "IE|http=web.example.test|80;ftp=files.example.test:21|Yes|example.test"},
        {{"Proxy=IE"}, {}, "IE|envproxy.example.test|3128|Yes|example.test"},
        {{"Proxy=Yes", "ProxyServer=px.lan.example.test", "ProxyLocalByPass=Yes"},
         {},
         "Yes|px.lan.example.test|80|Yes|lan.example.test"},
        {{"Proxy=Yes", "ProxyServer=px.lan.example.test", "ProxyLocalBypass=yes"},
         {},
         "Yes|px.lan.example.test|80|No|"},
    };
    qputenv("http_proxy", "http://envproxy.example.test:3128/");
    for (const auto& row : rows) {
        SCOPED_TRACE((row.values + row.browser).join(' ').toStdString());
        const AppSettings settings = load(row.values, row.browser);
        QStringList got;
        for (const char* name : {"Proxy", "ProxyServer", "ProxyPort", "ProxyLocalBypass"})
            got << saved(QString::fromLatin1(name));
        EXPECT_EQ(got.join('|') + '|' + settings.ProxyBypassDomain, row.saved);
    }
    qunsetenv("http_proxy");
}

TEST_F(SettingsStoreTest, BrowserVersionComesFromTheMachineKey)
{
    EXPECT_EQ(GetBrowserVersion(path("in.reg")), u"0"_s);
    m_temp.file(u"in.reg"_s, "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer]\n"
                             "\"Version\"=\"11.0.9600\"\n");
    EXPECT_EQ(GetBrowserVersion(path("in.reg")), u"11.0.9600"_s);
}

// The image list's positions are fixed: 1 to 33, the lights at 17 to 26.
TEST(ImageListOrder, KeysSitAtTheirFixedPositions)
{
    const ImageList images;
    QStringList keys;
    for (const int at : {1, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 33, 34})
        keys << images.key(at);
    EXPECT_EQ(keys.join(' '),
              u"COPY IELOGO FOLDER OPENFOLDER GREENDOT GRAYDOT NEWGREENDOT REDDOT "
              "BLACKDOT YELLOWDOT YELLOWRESULT REDRESULT GREENCHECK GREENNEW SYNC "_s);
}

TEST(LightImages, EachSetPicksItsSixImages)
{
    const ImageList images;
    AppSettings settings;
    const auto keys = [&] {
        ChooseLightImages(settings, images);
        QStringList keys;
        for (const int at : {settings.LightUnchecked, settings.LightDead, settings.LightWarning,
                             settings.LightAlive, settings.LightGray, settings.LightNew})
            keys << images.key(at);
        return keys.join(' ');
    };
    EXPECT_EQ(keys(), u"IELOGO REDRESULT YELLOWRESULT GREENCHECK GRAYDOT GREENNEW"_s);
    settings.SmallLights = true;
    EXPECT_EQ(keys(), u"BLACKDOT REDDOT YELLOWDOT GREENDOT GRAYDOT NEWGREENDOT"_s);
}

} // namespace
