// The icon fetcher over real HTTP against the fixture server on 127.0.0.1,
// writing into a temporary program folder.

#include "checker/IconFetcher.h"
#include "CheckerRig.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QFile>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

// Zero and high bytes over several chunks, the last of a single byte.
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
    return server().url(FixtureServer::rawPath("HTTP/1.1 " + head + "\r\n" + body));
}
QString icon(const QByteArray& body, const QByteArray& status = "200 OK")
{
    return answer(status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n", body);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class IconFetcherTest : public testing::Test {
protected:
    IconFetcherTest()
    {
        // As a probe of the fixture server leaves it.
        m_control.setRemotePort(server().port());
        m_control.setRequestTimeout(10);
    }
    QString icons(const QString& name = {}) const { return m_program + "/Icons/" + name; }
    QStringList iconFiles() const { return QDir(icons()).entryList(QDir::Files); }

    TempFolder m_temp;
    QString m_program = m_temp.folder("program");
    FixedClock m_clock{QDateTime(QDate(2024, 2, 3), QTime(9, 5, 7))};
    FileSystem m_fs;
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    IconFetcher m_fetcher{m_control, m_fs, m_clock, m_program};
};

// Addresses off the web are never fetched; answers that are no whole icon
// give nothing. Neither leaves a file.
TEST_F(IconFetcherTest, OnlyAWholeIconFromTheWebIsKept)
{
    const QString hostPort = "127.0.0.1:" + QString::number(server().port());
    m_temp.file("local.ico", "local icon");
    const QStringList offTheWeb = {"file://" + m_temp.path("local.ico"),
                                   m_temp.path("local.ico"),
                                   "\\\\127.0.0.1\\share\\x.ico",
                                   "//" + hostPort + "/echo",
                                   hostPort + "/echo",
                                   "gopher://" + hostPort + "/echo",
                                   "http:/" + hostPort + "/echo",
                                   QString()};
    const int before = FixtureNumber(server(), "/count");
    for (const QString& address : offTheWeb)
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << address.toStdString();
    EXPECT_EQ(FixtureNumber(server(), "/count"), before);
    EXPECT_FALSE(QFileInfo::exists(icons()));

    m_temp.folder("program/Icons");
    const QStringList unusable = {
        server().url(FixtureServer::path("/page", {{"status", "404"}, {"body", "not an icon"}})),
        icon("no", "204 No Content"),
        icon("moved", "302 Found"),
        answer("200 OK\r\nConnection: close\r\n", "no length"),
        answer("200 OK\r\nContent-Length: 100\r\n", iconBytes(3, 40)),
        server().url("/drop?after=500&length=3000")};
    for (const QString& address : unusable) {
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << address.toStdString();
        EXPECT_THAT(iconFiles(), IsEmpty()) << address.toStdString();
    }
}

// A whole answer (200 or 206) is written, into an Icons folder made when
// missing, under the time of the download without leading zeros nor
// separators; a file of that name already there is neither overwritten nor
// mixed in, and times that read alike still give two files.
TEST_F(IconFetcherTest, EachWholeIconKeepsAFileNamedForItsTime)
{
    ASSERT_FALSE(QFileInfo::exists(icons()));
    const QString a = m_fetcher.DownloadIcon(icon(iconBytes(5), "206 Partial Content"));
    const QString b = m_fetcher.DownloadIcon(icon(iconBytes(6, 700)));
    const QString c = m_fetcher.DownloadIcon(icon(iconBytes(7, 1024)));
    EXPECT_EQ(QStringList({a, b, c}), QStringList({icons("202423957.ico"), icons("202423957-2.ico"),
                                                   icons("202423957-3.ico")}));
    EXPECT_EQ(readAll(a) + readAll(b) + readAll(c),
              iconBytes(5) + iconBytes(6, 700) + iconBytes(7, 1024));

    m_clock.setNow(QDateTime(QDate(2024, 1, 11), QTime(1, 1, 1)));
    const QString january = m_fetcher.DownloadIcon(icon("january"));
    m_clock.setNow(QDateTime(QDate(2024, 11, 1), QTime(1, 1, 1)));
    const QString november = m_fetcher.DownloadIcon(icon("november"));
    EXPECT_EQ(january, icons("2024111111.ico"));
    EXPECT_EQ(readAll(january) + readAll(november), "januarynovember");
}

// The icon comes from its own address's port, whatever the last probe left
// on the control (which is left as it was), asked for whole as a range.
TEST_F(IconFetcherTest, RequestGoesToTheIconsOwnPortAndAsksForTheWholeIcon)
{
    FixtureServer other;
    m_control.setRemotePort(other.port());
    const QByteArray head = readAll(m_fetcher.DownloadIcon(server().url("/echo")));
    EXPECT_THAT(head.toStdString(), testing::StartsWith("GET /echo HTTP/1.1\r\n"));
    EXPECT_THAT(head.toStdString(), HasSubstr("\r\nRange: bytes=0 - \r\n"));
    EXPECT_EQ(m_control.RemotePort(), other.port());
    EXPECT_EQ(FixtureNumber(other, "/count"), 0);
}

} // namespace
