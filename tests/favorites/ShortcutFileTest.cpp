#include "favorites/ShortcutFile.h"
#include "favorites/IconDownloader.h"
#include "favorites/WebAddress.h"
#include "platform/FileSystem.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::ElementsAre;

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

const QByteArray kBrowserFile = "[DEFAULT]\r\nBASEURL=http://127.0.0.1/home\r\n[InternetShortcut]"
                                "\r\nURL=http://127.0.0.1/home\r\nIDList=\r\n"
                                "IconFile=http://127.0.0.1/favicon.ico\r\nIconIndex=1\r\n"
                                "HotKey=0\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n"
                                "Prop3=19,2\r\n";

class ShortcutFileTest : public testing::Test {
protected:
    ShortcutFileTest()
    {
        m_settings.Timeout = 1000;
        m_root = m_tree.add(nullptr, m_temp.folder(u"Favorites"_s), u"Favorites"_s,
                            NodeKind::FavoritesRoot, 16, 16);
        m_favorite = m_tree.add(m_root, QString(), u"Home"_s, NodeKind::Favorite, 14, 14);
    }
    // The favorite's file with its standard section and these private lines.
    QString write(const QStringList& privateLines = {})
    {
        return m_temp.shortcut(u"Favorites/Home.url"_s, u"http://127.0.0.1/home"_s, privateLines);
    }
    CurrentLinkSettings read()
    {
        CurrentLinkSettings current;
        m_url = m_file.ReadLinkSettings(m_root->key(), m_favorite, current);
        return current;
    }
    QByteArray bytes() const { return m_temp.read(u"Favorites/Home.url"_s); }

    TempFolder m_temp;
    AppSettings m_settings;
    FileSystem m_fs;
    ScriptedDownloader m_downloader;
    ShortcutFile m_file{m_settings, m_fs, m_temp.folder(u"program"_s), &m_downloader};
    TreeControl m_tree;
    TreeNode* m_root = nullptr;
    TreeNode* m_favorite = nullptr;
    QString m_url;
};

// The private section's keys over the program's settings: Rename as a flag
// (absent or -1: the program's), Timeout as its first four characters
// (own when it differs), Bypass as its first character; reads never write.
TEST_F(ShortcutFileTest, PrivateKeysOverrideTheProgramSettings)
{
    const struct {
        const char* line;
        bool changeName;  // the program's
        const char* read; // Rename Timeout Own Bypass
    } rows[] = {{"", false, "0 1000 0 0"},
                {"", true, "1 1000 0 0"},
                {"Rename=0", true, "0 1000 0 0"},
                {"Rename=1", false, "1 1000 0 0"},
                {"Rename=-1", true, "1 1000 0 0"},
                {"Rename=yes", true, "1 1000 0 0"},
                {"Rename=7", false, "1 1000 0 0"},
                {"Timeout=750", false, "0 750 1 0"},
                {"Timeout=1000", false, "0 1000 0 0"},
                {"Timeout=12345", false, "0 1234 1 0"},
                {"Timeout=12abc", false, "0 1000 0 0"},
                {"Timeout=0", false, "0 0 1 0"},
                {"Timeout=\"600\"", false, "0 600 1 0"},
                {"Bypass=1", false, "0 1000 0 1"},
                {"Bypass=10", false, "0 1000 0 1"},
                {"Bypass=01", false, "0 1000 0 0"},
                {"Bypass=x", false, "0 1000 0 0"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << '"' << row.line << "\" over ChangeName " << row.changeName);
        write(*row.line ? QStringList{row.line} : QStringList());
        const QByteArray before = bytes();
        m_settings.ChangeName = row.changeName;
        const CurrentLinkSettings c = read();
        EXPECT_EQ(m_url, u"http://127.0.0.1/home"_s);
        EXPECT_EQ(u"%1 %2 %3 %4"_s.arg(int(c.Rename))
                      .arg(c.Timeout)
                      .arg(int(c.OwnTimeout))
                      .arg(int(c.Bypass)),
                  row.read);
        EXPECT_EQ(bytes(), before) << "reading never rewrites";
    }
}

// An address is read whole, however long (the file's own size is bounded);
// a missing file gives the program's settings and is not made.
TEST_F(ShortcutFileTest, AddressIsReadWholeFromAFileOfAnyExtensionCase)
{
    const QString url = u"http://127.0.0.1/?q="_s + QString(2500, 'a');
    m_temp.file(u"Favorites/Home.Url"_s, "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
    read();
    EXPECT_EQ(m_url, url);
    QFile::remove(m_temp.path(u"Favorites/Home.Url"_s));
    m_settings.ChangeName = true;
    const CurrentLinkSettings current = read();
    EXPECT_EQ(m_url, QString());
    EXPECT_EQ(current.Timeout, 1000);
    EXPECT_TRUE(current.Rename);
    EXPECT_EQ(m_fs.listFolder(m_root->key()).files, QStringList()) << "a read never creates it";
}

// A web icon is brought home and the file pointed at it (only the two icon
// lines change); a local icon, a failed download or preservation off change
// nothing.
TEST_F(ShortcutFileTest, WebIconIsBroughtHomeAndTheFilePointedAtIt)
{
    m_settings.PreserveIcons = true;
    m_temp.file(u"Favorites/Home.url"_s,
                "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\nIconFile=" +
                    m_temp.path(u"PROGRAM/Icons/1.ico"_s).toUtf8() + "\r\n");
    read();
    EXPECT_TRUE(m_downloader.asked.isEmpty()) << "a path in the program's folder, any case";

    m_temp.file(u"Favorites/Home.url"_s, kBrowserFile);
    read();
    EXPECT_EQ(bytes(), kBrowserFile) << "a failed download";
    m_settings.PreserveIcons = false;
    read();
    EXPECT_EQ(m_downloader.asked.size(), 1) << "no preservation when it is off";

    m_settings.PreserveIcons = true;
    m_downloader.answer = m_temp.path(u"program/Icons/20261206.ico"_s);
    read();
    EXPECT_THAT(m_downloader.asked,
                ElementsAre("http://127.0.0.1/favicon.ico", "http://127.0.0.1/favicon.ico"));
    EXPECT_EQ(bytes(), QByteArray(kBrowserFile)
                           .replace("IconFile=http://127.0.0.1/favicon.ico",
                                    "IconFile=" + m_downloader.answer.toUtf8())
                           .replace("IconIndex=1", "IconIndex=0"));
}

} // namespace

// The one test of a web address that every part asks: the checks, the
// icons, the reports and the import.
TEST(WebAddress, OnlyWebAndFtpAddressesWithAHost)
{
    const struct {
        const char* address;
        bool web;
    } rows[] = {
        {"http://127.0.0.1/a", true},
        {"HTTPS://Example.test/", true},
        {"ftp://files.test/pub/x", true},
        {"ftps://files.test/favicon.ico", true},
        {"http://", false},
        {"https://:443/", false},
        {"http:example.test", false},
        {"javascript://example.test/%0Aalert(1)", false},
        {"file:///etc/passwd", false},
        {"data://text/html,x", false},
        {"place:sort=8", false},
        {"example.test/page", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(norvale::IsWebAddress(QString::fromLatin1(row.address)), row.web) << row.address;
}
