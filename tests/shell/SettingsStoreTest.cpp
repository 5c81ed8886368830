#include "shell/SettingsStore.h"
#include "platform/ImageList.h"
#include "platform/NorvaleError.h"
#include "platform/RegistryStore.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>

using namespace norvale;
using norvale::test::TempFolder;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

const QDateTime kNow(QDate(2026, 5, 1), QTime(8, 30, 0));

class SettingsStoreTest : public testing::Test {
protected:
    QString storePath() const { return m_temp.path(QStringLiteral("registry.reg")); }

    // Writes the program's key with the given value lines, as a person might.
    void writeProgramValues(const QStringList& lines) const
    {
        m_temp.file(QStringLiteral("registry.reg"),
                    ("Windows Registry Editor Version 5.00\n\n"
                     "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\n" +
                     lines.join(QLatin1Char('\n')) + "\n")
                        .toUtf8());
    }

    AppSettings load()
    {
        AppSettings settings;
        LoadAppSettings(settings, OpenStore(storePath()), kNow, [this](const NorvaleError& error) {
            m_problems.append(error.description());
        });
        return settings;
    }

    AppSettings loadProxy(const QStringList& programLines, const QStringList& browserLines = {})
    {
        QString text = QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\n") +
                       programLines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        if (!browserLines.isEmpty()) {
            text += QStringLiteral("\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                   "CurrentVersion\\Internet Settings]\n") +
                    browserLines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
        m_temp.file(QStringLiteral("registry.reg"), text.toUtf8());
        AppSettings settings;
        LoadProxySettings(settings, OpenStore(storePath()));
        return settings;
    }

    QString stored(const QString& name) const
    {
        return OpenStore(storePath())
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or(QStringLiteral("<absent>"));
    }

    TempFolder m_temp;
    QStringList m_problems;
};

TEST_F(SettingsStoreTest, FirstRunStartsWithTheDefaults)
{
    const AppSettings settings = load();
    EXPECT_EQ(settings.Timeout, 1000);
    EXPECT_TRUE(settings.AutoThrottle);
    EXPECT_FALSE(settings.ChangeName);
    EXPECT_FALSE(settings.MoveDead);
    EXPECT_FALSE(settings.SmallLights);
    EXPECT_EQ(settings.LastRun, kNow);
    EXPECT_EQ(settings.LastCheck, kNow);
    EXPECT_TRUE(m_problems.isEmpty());
}

TEST_F(SettingsStoreTest, StoredValuesAreReadWhateverTheirLetterCase)
{
    writeProgramValues({QStringLiteral("\"timeout\"=\"1500\""),
                        QStringLiteral("\"CHANGENAME\"=\"1\""),
                        QStringLiteral("\"AutoThrottle\"=\"0\""),
                        QStringLiteral("\"LastCheck\"=\"2026-01-02 03:04:05\"")});
    const AppSettings settings = load();
    EXPECT_EQ(settings.Timeout, 1500);
    EXPECT_TRUE(settings.ChangeName);
    EXPECT_FALSE(settings.AutoThrottle);
    EXPECT_EQ(settings.LastCheck, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
}

TEST_F(SettingsStoreTest, ShortTimeOutIsRaisedAndSavedRaised)
{
    writeProgramValues({QStringLiteral("\"Timeout\"=\"100\"")});
    AppSettings settings = load();
    EXPECT_EQ(settings.Timeout, 500);
    RegistryStore store = OpenStore(storePath());
    SaveAppSettings(settings, store, kNow);
    EXPECT_EQ(stored(QStringLiteral("Timeout")), QStringLiteral("500"));
}

TEST_F(SettingsStoreTest, ValueThatDoesNotConvertFallsBackAndIsReported)
{
    writeProgramValues(
        {QStringLiteral("\"Timeout\"=\"soon\""), QStringLiteral("\"MoveDead\"=\"maybe\""),
         QStringLiteral("\"LastRun\"=\"yesterday\""), QStringLiteral("\"ShowNew\"=\"1\"")});
    const AppSettings settings = load();
    EXPECT_EQ(settings.Timeout, 1000);
    EXPECT_FALSE(settings.MoveDead);
    EXPECT_EQ(settings.LastRun, kNow);
    EXPECT_TRUE(settings.ShowNew) << "good values next to bad ones still load";
    ASSERT_EQ(m_problems.size(), 3);
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("Timeout"));
    EXPECT_THAT(m_problems[0].toStdString(), HasSubstr("soon"));
}

TEST_F(SettingsStoreTest, TimeOutBeyondSixteenBitsIsNotAValue)
{
    writeProgramValues({QStringLiteral("\"Timeout\"=\"40000\"")});
    EXPECT_EQ(load().Timeout, 1000);
    EXPECT_EQ(m_problems.size(), 1);
}

TEST_F(SettingsStoreTest, SaveWritesEveryValueInOrderWithBooleansAsDigits)
{
    AppSettings settings = load();
    settings.ChangeName = true;
    settings.LastCheck = QDateTime(QDate(2025, 12, 24), QTime(18, 0, 0));
    settings.ProxyMode = ProxyMode::Own;
    settings.ProxyServer = QStringLiteral("proxy.example.test");
    settings.ProxyPort = QStringLiteral("3128");
    RegistryStore store = OpenStore(storePath());
    SaveAppSettings(settings, store, kNow.addSecs(60));

    EXPECT_THAT(m_temp.lines(QStringLiteral("registry.reg")),
                ElementsAre("Windows Registry Editor Version 5.00", "",
                            "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]",
                            "\"Timeout\"=\"1000\"", "\"ChangeName\"=\"1\"", "\"IEToolMenu\"=\"0\"",
                            "\"IEToolbar\"=\"0\"", "\"PreserveIcons\"=\"0\"",
                            "\"SmallLights\"=\"0\"", "\"LastRun\"=\"2026-05-01 08:31:00\"",
                            "\"ShowNew\"=\"0\"", "\"MoveDead\"=\"0\"", "\"AutoThrottle\"=\"1\"",
                            "\"DeadFavoritesInIE\"=\"0\"", "\"AutoCheck\"=\"0\"",
                            "\"LastCheck\"=\"2025-12-24 18:00:00\"", "\"Parallel\"=\"256\"",
                            "\"Proxy\"=\"Yes\"", "\"ProxyServer\"=\"proxy.example.test\"",
                            "\"ProxyPort\"=\"3128\"", "\"ProxyLocalByPass\"=\"No\""));
}

TEST_F(SettingsStoreTest, SavedRecordLoadsBackTheSame)
{
    AppSettings settings = load();
    settings.Timeout = 1750;
    settings.PreserveIcons = true;
    settings.DeadFavoritesInIE = true;
    settings.AutoThrottle = false;
    RegistryStore store = OpenStore(storePath());
    SaveAppSettings(settings, store, kNow);
    const AppSettings again = load();
    EXPECT_EQ(again.Timeout, 1750);
    EXPECT_TRUE(again.PreserveIcons);
    EXPECT_TRUE(again.DeadFavoritesInIE);
    EXPECT_FALSE(again.AutoThrottle);
    EXPECT_TRUE(m_problems.isEmpty());
}

TEST_F(SettingsStoreTest, ProxyNoClearsEverything)
{
    const AppSettings settings = loadProxy(
        {QStringLiteral("\"Proxy\"=\"No\""), QStringLiteral("\"ProxyServer\"=\"left.over\"")});
    EXPECT_EQ(settings.ProxyMode, ProxyMode::None);
    EXPECT_TRUE(settings.ProxyServer.isEmpty());
    EXPECT_TRUE(settings.ProxyPort.isEmpty());
}

TEST_F(SettingsStoreTest, BrowserProxyWithHostAndPort)
{
    const AppSettings settings =
        loadProxy({QStringLiteral("\"Proxy\"=\" IE \"")},
                  {QStringLiteral("\"ProxyServer\"=\"cache.corp.example.test:8080\"")});
    EXPECT_EQ(settings.ProxyMode, ProxyMode::Browser);
    EXPECT_EQ(settings.ProxyServer, QStringLiteral("cache.corp.example.test"));
    EXPECT_EQ(settings.ProxyPort, QStringLiteral("8080"));
    EXPECT_EQ(settings.ProxyBypassDomain, QStringLiteral("corp.example.test"));
}

TEST_F(SettingsStoreTest, BrowserProxyBareHostGetsPort80)
{
    const AppSettings settings = loadProxy({QStringLiteral("\"Proxy\"=\"IE\"")},
                                           {QStringLiteral("\"ProxyServer\"=\"gateway\"")});
    EXPECT_EQ(settings.ProxyServer, QStringLiteral("gateway"));
    EXPECT_EQ(settings.ProxyPort, QStringLiteral("80"));
    EXPECT_EQ(settings.ProxyBypassDomain, QStringLiteral("gateway"));
}

TEST_F(SettingsStoreTest, BrowserProxyEmptyGivesEmptyServer)
{
    const AppSettings settings =
        loadProxy({QStringLiteral("\"Proxy\"=\"IE\"")}, {QStringLiteral("\"ProxyServer\"=\"\"")});
    EXPECT_EQ(settings.ProxyMode, ProxyMode::Browser);
    EXPECT_EQ(settings.ProxyServer, QString());
    EXPECT_EQ(settings.ProxyPort, QStringLiteral("80"));
    EXPECT_EQ(settings.ProxyBypassDomain, QString());
}

TEST_F(SettingsStoreTest, BrowserProxyListIsSplitAtItsFirstColon)
{
    const AppSettings settings = loadProxy(
        {QStringLiteral("\"Proxy\"=\"IE\"")},
        {QStringLiteral("\"ProxyServer\"=\"http=web.example.test:80;ftp=files.example.test:21\"")});
    EXPECT_EQ(settings.ProxyServer, QStringLiteral("http=web.example.test"));
    EXPECT_EQ(settings.ProxyPort, QStringLiteral("80;ftp=files.example.test:21"));
}

TEST_F(SettingsStoreTest, BrowserProxyFallsBackToTheEnvironmentOnlyWhenAbsent)
{
    qputenv("http_proxy", "http://envproxy.example.test:3128/");
    const AppSettings fromEnvironment = loadProxy({QStringLiteral("\"Proxy\"=\"IE\"")});
    const AppSettings storedEmpty =
        loadProxy({QStringLiteral("\"Proxy\"=\"IE\"")}, {QStringLiteral("\"ProxyServer\"=\"\"")});
    qunsetenv("http_proxy");
    EXPECT_EQ(fromEnvironment.ProxyServer, QStringLiteral("envproxy.example.test"));
    EXPECT_EQ(fromEnvironment.ProxyPort, QStringLiteral("3128"));
    EXPECT_EQ(storedEmpty.ProxyServer, QString());
}

TEST_F(SettingsStoreTest, OwnProxyBypassOnlyForExactYes)
{
    const AppSettings on = loadProxy({QStringLiteral("\"Proxy\"=\"Yes\""),
                                      QStringLiteral("\"ProxyServer\"=\"px.lan.example.test\""),
                                      QStringLiteral("\"ProxyLocalByPass\"=\"Yes\"")});
    EXPECT_EQ(on.ProxyMode, ProxyMode::Own);
    EXPECT_EQ(on.ProxyPort, QStringLiteral("80"));
    EXPECT_EQ(on.ProxyBypassDomain, QStringLiteral("lan.example.test"));

    const AppSettings lower = loadProxy({QStringLiteral("\"Proxy\"=\"Yes\""),
                                         QStringLiteral("\"ProxyServer\"=\"px.lan.example.test\""),
                                         QStringLiteral("\"ProxyLocalBypass\"=\"yes\"")});
    EXPECT_EQ(lower.ProxyBypassDomain, QString());
}

TEST_F(SettingsStoreTest, UnknownProxyTextActsAsNoAndIsSavedAsNo)
{
    AppSettings settings = loadProxy({QStringLiteral("\"Proxy\"=\"no\""),
                                      QStringLiteral("\"ProxyServer\"=\"kept.example.test\"")});
    EXPECT_EQ(settings.ProxyMode, ProxyMode::None);
    EXPECT_TRUE(settings.ProxyServer.isEmpty());
    RegistryStore store = OpenStore(storePath());
    SaveProxySettings(settings, store);
    EXPECT_EQ(stored(QStringLiteral("Proxy")), QStringLiteral("No"));
    EXPECT_EQ(stored(QStringLiteral("ProxyLocalBypass")), QStringLiteral("No"));
}

TEST_F(SettingsStoreTest, BrowserProxyIsCopiedIntoOwnValuesAtSave)
{
    AppSettings settings =
        loadProxy({QStringLiteral("\"Proxy\"=\"IE\"")},
                  {QStringLiteral("\"ProxyServer\"=\"cache.corp.example.test:8080\"")});
    RegistryStore store = OpenStore(storePath());
    SaveProxySettings(settings, store);
    EXPECT_EQ(stored(QStringLiteral("Proxy")), QStringLiteral("IE"));
    EXPECT_EQ(stored(QStringLiteral("ProxyServer")), QStringLiteral("cache.corp.example.test"));
    EXPECT_EQ(stored(QStringLiteral("ProxyPort")), QStringLiteral("8080"));
    EXPECT_EQ(stored(QStringLiteral("ProxyLocalByPass")), QStringLiteral("Yes"));
}

TEST_F(SettingsStoreTest, BrowserVersionComesFromTheMachineKey)
{
    EXPECT_EQ(GetBrowserVersion(storePath()), QStringLiteral("0"));
    m_temp.file(QStringLiteral("registry.reg"),
                "Windows Registry Editor Version 5.00\n\n"
                "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer]\n"
                "\"Version\"=\"11.0.9600\"\n");
    EXPECT_EQ(GetBrowserVersion(storePath()), QStringLiteral("11.0.9600"));
}

TEST(LightImages, EachSetPicksItsSixImages)
{
    const ImageList images;
    AppSettings settings;
    ChooseLightImages(settings, images);
    EXPECT_EQ(settings.LightUnchecked, images.position(QStringLiteral("IELOGO")));
    EXPECT_EQ(settings.LightDead, images.position(QStringLiteral("REDRESULT")));
    EXPECT_EQ(settings.LightNew, images.position(QStringLiteral("GREENNEW")));
    EXPECT_EQ(settings.LightGray, images.position(QStringLiteral("GRAYDOT")));
    settings.SmallLights = true;
    ChooseLightImages(settings, images);
    EXPECT_EQ(settings.LightUnchecked, images.position(QStringLiteral("BLACKDOT")));
    EXPECT_EQ(settings.LightWarning, images.position(QStringLiteral("YELLOWDOT")));
    EXPECT_EQ(settings.LightAlive, images.position(QStringLiteral("GREENDOT")));
    EXPECT_EQ(settings.LightGray, images.position(QStringLiteral("GRAYDOT")));
}

TEST(ImageListOrder, KeysSitAtTheirFixedPositions)
{
    const ImageList images;
    EXPECT_EQ(images.count(), 33);
    EXPECT_EQ(images.position(QStringLiteral("COPY")), 1);
    EXPECT_EQ(images.position(QStringLiteral("IELOGO")), 14);
    EXPECT_EQ(images.position(QStringLiteral("FOLDER")), 15);
    EXPECT_EQ(images.position(QStringLiteral("OPENFOLDER")), 16);
    EXPECT_EQ(images.position(QStringLiteral("GREENDOT")), 17);
    EXPECT_EQ(images.position(QStringLiteral("GREENNEW")), 26);
    EXPECT_EQ(images.position(QStringLiteral("SYNC")), 33);
    EXPECT_EQ(images.position(QStringLiteral("NOSUCHKEY")), 0);
}

} // namespace
