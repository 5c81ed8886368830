// The icon fetcher over real HTTP against the fixture server on 127.0.0.1,
// writing into a temporary program folder.

#include "checker/IconFetcher.h"
#include "CheckerRig.h"
#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

// Icon bytes with zero bytes and high bytes in them, over several chunks;
// the last chunk holds a single byte.
QByteArray iconBytes(char seed, int size = 2 * 1024 + 1)
{
    QByteArray bytes(size, '\0');
    for (int at = 0; at < size; ++at)
        bytes[at] = char((at * 7 + seed) % 256);
    return bytes;
}

// An address whose answer is exactly this status line, these headers and body.
QString answer(const QByteArray& head, const QByteArray& body)
{
    return server().url(FixtureServer::rawPath(head + "\r\n" + body));
}

QString icon(const QByteArray& body, const QByteArray& status = "200 OK")
{
    return answer("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n",
                  body);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Requests the server has had so far.
int requestCount(const FixtureServer& at = server())
{
    return FixtureNumber(at, QStringLiteral("/count"));
}

class IconFetcherTest : public testing::Test {
protected:
    IconFetcherTest()
    {
        // As a probe of the fixture server leaves it.
        m_control.setRemotePort(server().port());
        m_control.setRequestTimeout(10);
    }

    // A favorite "Home" whose IconFile is address, read once with icons
    // preserved.
    QString readFavoriteWithIcon(const QString& address)
    {
        const QString path = m_temp.file(
            QStringLiteral("Favorites/Home.url"),
            "[InternetShortcut]\r\nURL=http://127.0.0.1/home\r\nIconFile=" + address.toUtf8() +
                "\r\nIconIndex=1\r\n");
        AppSettings settings;
        settings.PreserveIcons = true;
        TreeControl tree;
        TreeNode* root = tree.add(nullptr, m_temp.path(QStringLiteral("Favorites")),
                                  QStringLiteral("Favorites"), NodeKind::FavoritesRoot, 16, 16);
        TreeNode* home =
            tree.add(root, QString(), QStringLiteral("Home"), NodeKind::Favorite, 14, 14);
        ShortcutFile shortcut(settings, m_fs, m_program, &m_fetcher);
        CurrentLinkSettings current;
        EXPECT_EQ(shortcut.ReadLinkSettings(root->key(), home, current),
                  QStringLiteral("http://127.0.0.1/home"));
        return path;
    }
    QString iconKey(const QString& path, const QString& key) const
    {
        return ProfileFile::read(path, QStringLiteral("InternetShortcut"), key, QString());
    }

    QString iconsFolder() const { return m_program + QStringLiteral("/Icons"); }
    QStringList iconFiles() const { return QDir(iconsFolder()).entryList(QDir::Files); }

    TempFolder m_temp;
    QString m_program = m_temp.folder(QStringLiteral("program"));
    FixedClock m_clock{QDateTime(QDate(2024, 2, 3), QTime(9, 5, 7))};
    FileSystem m_fs;
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    IconFetcher m_fetcher{m_control, m_fs, m_clock, m_program};
};

// A whole answer (200 or 206) is written under the time of the download,
// into an Icons folder made when missing.
TEST_F(IconFetcherTest, WholeIconIsWrittenUnderTheTimeOfTheDownload)
{
    ASSERT_FALSE(QFileInfo::exists(iconsFolder()));
    for (const QByteArray status : {"200 OK", "206 Partial Content"}) {
        QFile::remove(m_program + QStringLiteral("/Icons/202423957.ico"));
        const QByteArray bytes = iconBytes(status[2]);
        const QString path = m_fetcher.DownloadIcon(icon(bytes, status));
        EXPECT_EQ(path, m_program + QStringLiteral("/Icons/202423957.ico")) << status.data();
        EXPECT_EQ(readAll(path), bytes) << status.data();
    }
}

TEST_F(IconFetcherTest, UnusableAnswersGiveNothingAndLeaveNoFile)
{
    m_temp.folder(QStringLiteral("program/Icons"));
    const QList<std::pair<const char*, QString>> cases = {
        {"not found", server().url(FixtureServer::path(
                          QStringLiteral("/page"), {{"status", "404"}, {"body", "not an icon"}}))},
        {"other success", icon("no", "204 No Content")},
        {"redirect", icon("moved", "302 Found")},
        {"no length", answer("HTTP/1.1 200 OK\r\nConnection: close\r\n", "bytes")},
        {"zero length", icon("")},
        {"short body", answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n", iconBytes(3, 40))},
        {"dropped", server().url(QStringLiteral("/drop?after=500&length=3000"))},
    };
    for (const auto& [name, address] : cases) {
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << name;
        EXPECT_THAT(iconFiles(), IsEmpty()) << name;
    }
}

// The name is the time without leading zeros nor separators; a file of that
// name already there is neither overwritten nor mixed in, and times that
// read alike still give two files.
TEST_F(IconFetcherTest, EachDownloadKeepsAFileOfItsOwn)
{
    const QByteArray older = QByteArray(5000, 'o');
    m_temp.file(QStringLiteral("program/Icons/202423957.ico"), older);
    const QString b = m_fetcher.DownloadIcon(icon(iconBytes(6, 700)));
    const QString c = m_fetcher.DownloadIcon(icon(iconBytes(7, 1024)));
    EXPECT_EQ(readAll(m_program + QStringLiteral("/Icons/202423957.ico")), older);
    EXPECT_EQ(b, m_program + QStringLiteral("/Icons/202423957-2.ico"));
    EXPECT_EQ(c, m_program + QStringLiteral("/Icons/202423957-3.ico"));
    EXPECT_EQ(readAll(b), iconBytes(6, 700));
    EXPECT_EQ(readAll(c), iconBytes(7, 1024));

    m_clock.setNow(QDateTime(QDate(2024, 1, 11), QTime(1, 1, 1)));
    const QString january = m_fetcher.DownloadIcon(icon("january"));
    m_clock.setNow(QDateTime(QDate(2024, 11, 1), QTime(1, 1, 1)));
    const QString november = m_fetcher.DownloadIcon(icon("november"));
    EXPECT_EQ(january, m_program + QStringLiteral("/Icons/2024111111.ico"));
    EXPECT_EQ(readAll(january), QByteArray("january"));
    EXPECT_EQ(readAll(november), QByteArray("november"));
    EXPECT_EQ(IconFetcher::TimeStampName(QDateTime(QDate(2025, 12, 31), QTime(23, 59, 0))),
              QStringLiteral("2025123123590"));
}

// The icon comes from its own address's port, whatever the last probe left
// on the control (which is left as it was), asked for whole as a range.
TEST_F(IconFetcherTest, RequestGoesToTheIconsOwnPortAndAsksForTheWholeIcon)
{
    FixtureServer other;
    m_control.setRemotePort(other.port());
    const QByteArray head = readAll(m_fetcher.DownloadIcon(server().url(QStringLiteral("/echo"))));
    EXPECT_THAT(head.toStdString(), testing::StartsWith("GET /echo HTTP/1.1\r\n"));
    EXPECT_THAT(head.toStdString(), HasSubstr("\r\nRange: bytes=0 - \r\n"));
    EXPECT_EQ(m_control.RemotePort(), other.port());
    EXPECT_EQ(requestCount(other), 0);
}

TEST_F(IconFetcherTest, AddressesOffTheWebAreNeverFetched)
{
    const QString hostPort = QStringLiteral("127.0.0.1:") + QString::number(server().port());
    m_temp.file(QStringLiteral("local.ico"), "local icon");
    const QStringList addresses = {
        QStringLiteral("file://") + m_temp.path(QStringLiteral("local.ico")),
        m_temp.path(QStringLiteral("local.ico")),
        QStringLiteral("\\\\127.0.0.1\\share\\x.ico"),
        QStringLiteral("//") + hostPort + QStringLiteral("/echo"),
        hostPort + QStringLiteral("/echo"),
        QStringLiteral("favicon.ico"),
        QStringLiteral("javascript:alert(1)"),
        QStringLiteral("gopher://") + hostPort + QStringLiteral("/echo"),
        QStringLiteral("http:/") + hostPort + QStringLiteral("/echo"),
        QStringLiteral(" http://") + hostPort + QStringLiteral("/echo"),
        QString(),
    };
    const int before = requestCount();
    for (const QString& address : addresses)
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << address.toStdString();
    EXPECT_EQ(requestCount(), before);
    EXPECT_FALSE(QFileInfo::exists(iconsFolder()));
}

// A preserved icon points the favorite at the local copy; a failed download
// leaves it as it was.
TEST_F(IconFetcherTest, PreservedIconPointsTheFavoriteAtTheLocalCopy)
{
    const QString failing = server().url(QStringLiteral("/nothing-here.ico"));
    QString path = readFavoriteWithIcon(failing);
    EXPECT_EQ(iconKey(path, QStringLiteral("IconFile")), failing);
    EXPECT_EQ(iconKey(path, QStringLiteral("IconIndex")), QStringLiteral("1"));
    EXPECT_THAT(iconFiles(), IsEmpty());

    path = readFavoriteWithIcon(
        server().url(FixtureServer::path(QStringLiteral("/page"), {{"body", "site icon"}})));
    const QString iconFile = iconKey(path, QStringLiteral("IconFile"));
    EXPECT_EQ(iconFile, m_program + QStringLiteral("/Icons/202423957.ico"));
    EXPECT_EQ(iconKey(path, QStringLiteral("IconIndex")), QStringLiteral("0"));
    EXPECT_EQ(readAll(iconFile), QByteArray("site icon"));
}

} // namespace
