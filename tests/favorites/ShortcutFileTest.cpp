#include "favorites/ShortcutFile.h"
#include "favorites/IconDownloader.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Answers every download with the same path and remembers what was asked.
class ScriptedDownloader : public IconDownloader {
public:
    QString DownloadIcon(const QString& iconAddress) override
    {
        asked.append(iconAddress);
        return answer;
    }
    QString answer;
    QStringList asked;
};

const QByteArray kBrowserFile = "[DEFAULT]\r\n"
                                "BASEURL=http://127.0.0.1/home\r\n"
                                "[InternetShortcut]\r\n"
                                "URL=http://127.0.0.1/home\r\n"
                                "IDList=\r\n"
                                "IconFile=http://127.0.0.1/favicon.ico\r\n"
                                "IconIndex=1\r\n"
                                "HotKey=0\r\n"
                                "[{000214A0-0000-0000-C000-000000000046}]\r\n"
                                "Prop3=19,2\r\n";

class ShortcutFileTest : public testing::Test {
protected:
    ShortcutFileTest()
    {
        m_settings.Timeout = 1000;
        m_root = m_tree.add(nullptr, m_temp.folder(QStringLiteral("Favorites")),
                            QStringLiteral("Favorites"), NodeKind::FavoritesRoot, 16, 16);
        m_favorite =
            m_tree.add(m_root, QString(), QStringLiteral("Home"), NodeKind::Favorite, 14, 14);
    }

    // Writes the favorite's file with its standard section and these
    // private lines.
    QString writeFavorite(const QStringList& privateLines = {}, const QByteArray& name = "Home.url")
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=http://127.0.0.1/home\r\n";
        if (!privateLines.isEmpty())
            bytes += "[Brimwick]\r\n" + privateLines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        return m_temp.file(QStringLiteral("Favorites/") + QString::fromUtf8(name), bytes);
    }

    CurrentLinkSettings read()
    {
        CurrentLinkSettings current;
        m_url = m_file.ReadLinkSettings(m_root->key(), m_favorite, current);
        return current;
    }

    TempFolder m_temp;
    AppSettings m_settings;
    FileSystem m_fs;
    ScriptedDownloader m_downloader;
    ShortcutFile m_file{m_settings, m_fs, m_temp.folder(QStringLiteral("program")), &m_downloader};
    TreeControl m_tree;
    TreeNode* m_root = nullptr;
    TreeNode* m_favorite = nullptr;
    QString m_url;
};

TEST_F(ShortcutFileTest, WithoutPrivateSectionTheProgramSettingsApply)
{
    writeFavorite();
    for (const bool changeName : {false, true}) {
        m_settings.ChangeName = changeName;
        const CurrentLinkSettings current = read();
        EXPECT_EQ(m_url, QStringLiteral("http://127.0.0.1/home"));
        EXPECT_EQ(current.Timeout, 1000);
        EXPECT_FALSE(current.OwnTimeout);
        EXPECT_EQ(current.Rename, changeName);
        EXPECT_FALSE(current.Bypass);
    }
}

TEST_F(ShortcutFileTest, RenameKeyOverridesTheProgramSetting)
{
    struct Case {
        const char* stored;
        bool changeName;
        bool expected;
    };
    for (const Case& c : {Case{"0", true, false}, Case{"1", false, true}, Case{"-1", true, true},
                          Case{"-1", false, false}, Case{"yes", true, true}, Case{"", false, false},
                          Case{"7", false, true}}) {
        SCOPED_TRACE(c.stored);
        writeFavorite({QStringLiteral("Rename=") + QLatin1String(c.stored)});
        m_settings.ChangeName = c.changeName;
        EXPECT_EQ(read().Rename, c.expected);
    }
}

TEST_F(ShortcutFileTest, TimeoutKeyIsReadAsItsFirstFourCharacters)
{
    struct Case {
        const char* stored;
        int timeout;
        bool own;
    };
    for (const Case& c :
         {Case{"750", 750, true}, Case{"1000", 1000, false}, Case{"12345", 1234, true},
          Case{"abc", 1000, false}, Case{"12abc", 1000, false}, Case{"", 1000, false},
          Case{"0", 0, true}, Case{"-5", -5, true}, Case{"9999", 9999, true},
          Case{"\"600\"", 600, true}}) {
        SCOPED_TRACE(c.stored);
        const QString path = writeFavorite({QStringLiteral("Timeout=") + QLatin1String(c.stored)});
        const QByteArray before = m_temp.read(QStringLiteral("Favorites/Home.url"));
        const CurrentLinkSettings current = read();
        EXPECT_EQ(current.Timeout, c.timeout);
        EXPECT_EQ(current.OwnTimeout, c.own);
        EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")), before)
            << "reading never rewrites " << path.toStdString();
    }
}

TEST_F(ShortcutFileTest, BypassIsOnlyTheFirstCharacterAsAFlag)
{
    for (const auto& [stored, expected] : {std::pair{"1", true},
                                           {"0", false},
                                           {"10", true},
                                           {"01", false},
                                           {"", false},
                                           {"x", false}}) {
        SCOPED_TRACE(stored);
        writeFavorite({QStringLiteral("Bypass=") + QLatin1String(stored)});
        EXPECT_EQ(read().Bypass, expected);
    }
}

// Browsers take addresses of up to 2,083 characters; query strings make them long.
TEST_F(ShortcutFileTest, AddressIsReadUpTo2083Characters)
{
    for (const int length : {2000, 2083, 2500}) {
        SCOPED_TRACE(length);
        const QString url = QStringLiteral("http://127.0.0.1/?q=") + QString(length - 20, 'a');
        m_temp.file(QStringLiteral("Favorites/Home.url"),
                    "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
        read();
        EXPECT_EQ(m_url, url.left(2083));
    }
}

TEST_F(ShortcutFileTest, PathIsFoundWhateverTheExtensionsCase)
{
    writeFavorite({QStringLiteral("Bypass=1")}, "Home.Url");
    EXPECT_TRUE(read().Bypass);
    EXPECT_EQ(m_file.pathFor(m_root->key(), m_favorite),
              m_temp.path(QStringLiteral("Favorites/Home.Url")));
}

TEST_F(ShortcutFileTest, VanishedFileReadsAsTheDefaults)
{
    m_settings.ChangeName = true;
    const CurrentLinkSettings current = read();
    EXPECT_EQ(m_url, QString());
    EXPECT_EQ(current.Timeout, 1000);
    EXPECT_TRUE(current.Rename);
    EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("Favorites/Home.URL"))))
        << "a read never creates the file";
}

TEST_F(ShortcutFileTest, ResetThenReadGivesTheDefaults)
{
    const QString path = writeFavorite({QStringLiteral("Timeout=750"), QStringLiteral("Rename=1"),
                                        QStringLiteral("Bypass=1"), QStringLiteral("ShowNew=1")});
    m_file.ResetPrivateSettings(path);
    const CurrentLinkSettings current = read();
    EXPECT_EQ(current.Timeout, 1000);
    EXPECT_FALSE(current.OwnTimeout);
    EXPECT_FALSE(current.Rename);
    EXPECT_FALSE(current.Bypass);
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")),
              QByteArray("[InternetShortcut]\r\nURL=http://127.0.0.1/home\r\n"));
}

TEST_F(ShortcutFileTest, DetailsOfTheSelectedFavorite)
{
    m_temp.file(QStringLiteral("Favorites/Home.url"),
                "[InternetShortcut]\r\nURL=  http://127.0.0.1/x  \r\n[Brimwick]\r\nBypass=1\r\n");
    m_tree.select(m_favorite);
    m_settings.ChangeName = true;
    const LinkInfo info = m_file.GetLinkInfo(m_tree);
    EXPECT_EQ(info.Name, QStringLiteral("Home"));
    EXPECT_EQ(info.URL, QStringLiteral("http://127.0.0.1/x"));
    EXPECT_TRUE(info.Rename);
    EXPECT_TRUE(info.Bypass);
    m_settings.ChangeName = false;
    EXPECT_FALSE(m_file.GetLinkInfo(m_tree).Rename);
}

TEST_F(ShortcutFileTest, WebIconIsBroughtHomeAndTheFilePointedAtIt)
{
    m_settings.PreserveIcons = true;
    m_temp.file(QStringLiteral("Favorites/Home.url"), kBrowserFile);
    m_downloader.answer = m_temp.path(QStringLiteral("program/Icons/20261206.ico"));
    read();
    EXPECT_THAT(m_downloader.asked, ElementsAre("http://127.0.0.1/favicon.ico"));
    QByteArray expected = kBrowserFile;
    expected.replace("IconFile=http://127.0.0.1/favicon.ico",
                     "IconFile=" + m_downloader.answer.toUtf8());
    expected.replace("IconIndex=1", "IconIndex=0");
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")), expected)
        << "only the two icon lines change";
}

TEST_F(ShortcutFileTest, LocalIconOrFailedDownloadChangesNothing)
{
    m_settings.PreserveIcons = true;
    const QByteArray local = "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\nIconFile=" +
                             m_temp.path(QStringLiteral("PROGRAM/Icons/1.ico")).toUtf8() + "\r\n";
    m_temp.file(QStringLiteral("Favorites/Home.url"), local);
    read();
    EXPECT_THAT(m_downloader.asked, IsEmpty()) << "a path in the program's folder, any case";

    m_temp.file(QStringLiteral("Favorites/Home.url"), kBrowserFile);
    m_downloader.answer.clear();
    read();
    EXPECT_EQ(m_downloader.asked.size(), 1);
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")), kBrowserFile);

    m_settings.PreserveIcons = false;
    read();
    EXPECT_EQ(m_downloader.asked.size(), 1) << "no preservation when it is off";
}

TEST_F(ShortcutFileTest, AddressWriteReplacesOnlyItsLine)
{
    const QString path = m_temp.file(QStringLiteral("Favorites/Home.url"), kBrowserFile);
    m_file.WriteUrl(path, QStringLiteral("http://127.0.0.1/moved"));
    QByteArray expected = kBrowserFile;
    expected.replace("\r\nURL=http://127.0.0.1/home", "\r\nURL=http://127.0.0.1/moved");
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")), expected);
}

TEST_F(ShortcutFileTest, WriteToReadOnlyFavoriteFailsAndLeavesIt)
{
    const QString path = m_temp.file(QStringLiteral("Favorites/Home.url"), kBrowserFile);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_THROW(m_file.WriteUrl(path, QStringLiteral("http://127.0.0.1/moved")), NorvaleError);
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Home.url")), kBrowserFile);
    const auto modeBits = QFile::permissions(path) &
                          ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    EXPECT_EQ(modeBits, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}

} // namespace
