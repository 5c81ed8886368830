#include "support/FixtureServer.h"

#include <gmock/gmock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>

using namespace norvale::test;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

// Sends the request to 127.0.0.1:port and returns everything that comes back
// until the server closes the connection.
std::string exchange(quint16 port, const QByteArray& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    timeval limit{60, 0}; // an upper bound only, so a broken server cannot hang the test
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("connect failed");
    }
    ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
    std::string received;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return received;
}

std::string get(quint16 port, const QString& target)
{
    return exchange(port, "GET " + target.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

std::string bodyOf(const std::string& response)
{
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

} // namespace

TEST(FixtureServerTest, PageSendsStatusHeadersAndBody)
{
    FixtureServer server;
    const std::string response =
        get(server.port(),
            FixtureServer::path(QStringLiteral("/page"),
                                {{QStringLiteral("status"), QStringLiteral("404")},
                                 {QStringLiteral("header"), QStringLiteral("X-Test: yes")},
                                 {QStringLiteral("body"), QStringLiteral("a+b é")}}));
    EXPECT_THAT(response, StartsWith("HTTP/1.1 404 Not Found\r\n"));
    EXPECT_THAT(response, HasSubstr("\r\nX-Test: yes\r\n"));
    EXPECT_THAT(response, HasSubstr("\r\nContent-Length: 6\r\n"));
    EXPECT_THAT(response, Not(HasSubstr("X-Fixture-Via-Proxy")));
    EXPECT_EQ(bodyOf(response), "a+b é");
    EXPECT_EQ(server.url(QStringLiteral("/x")),
              QStringLiteral("http://127.0.0.1:%1/x").arg(server.port()));
}

TEST(FixtureServerTest, RawSendsExactlyTheGivenBytes)
{
    FixtureServer server;
    const char bytes[] = "HTTP/1.1 301 Moved\r\nLocation: /x\0\xff\xfe?";
    const QByteArray raw(bytes, sizeof bytes - 1);
    const std::string response = get(server.port(), FixtureServer::rawPath(raw));
    EXPECT_EQ(response, raw.toStdString());
}

TEST(FixtureServerTest, AbsoluteFormTargetIsServedAndMarked)
{
    FixtureServer server;
    const std::string response =
        exchange(server.port(), "GET http://any.host.invalid/echo HTTP/1.1\r\n"
                                "Host: any.host.invalid\r\nX-Probe: 1\r\n\r\n");
    EXPECT_THAT(response, StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_THAT(response, HasSubstr("\r\nX-Fixture-Via-Proxy: 1\r\n"));
    EXPECT_EQ(bodyOf(response), "GET http://any.host.invalid/echo HTTP/1.1\r\n"
                                "Host: any.host.invalid\r\nX-Probe: 1\r\n\r\n");
}

TEST(FixtureServerTest, DropClosesBeforeTheClaimedLength)
{
    FixtureServer server;
    const std::string response = get(server.port(), QStringLiteral("/drop?after=10&length=1000"));
    EXPECT_THAT(response, HasSubstr("\r\nContent-Length: 1000\r\n"));
    EXPECT_EQ(bodyOf(response).size(), 10u);
}

TEST(FixtureServerTest, CountCountsTheOtherRequests)
{
    FixtureServer server;
    get(server.port(), QStringLiteral("/page"));
    get(server.port(), QStringLiteral("/page?status=500"));
    get(server.port(), QStringLiteral("/nowhere"));
    EXPECT_EQ(bodyOf(get(server.port(), QStringLiteral("/count"))), "3");
    EXPECT_EQ(bodyOf(get(server.port(), QStringLiteral("/count?path=/page"))), "2");
    EXPECT_THAT(get(server.port(), QStringLiteral("/nowhere")),
                StartsWith("HTTP/1.1 404 Not Found\r\n"));
}

TEST(FixtureServerTest, TlsServerDoesNotAnswerPlainHttp)
{
    TestCertificate certificate;
    EXPECT_THAT(certificate.certPem().toStdString(), StartsWith("-----BEGIN CERTIFICATE-----"));
    FixtureServer server(certificate.tls());
    EXPECT_THAT(server.url(QStringLiteral("/page")).toStdString(),
                StartsWith("https://127.0.0.1:"));
    EXPECT_THAT(get(server.port(), QStringLiteral("/page")), Not(StartsWith("HTTP/1.1")));
}

TEST(FixtureServerTest, ReportsAServerThatCannotStart)
{
    const FixtureServer::Tls missing{QStringLiteral("/nonexistent/cert.pem"),
                                     QStringLiteral("/nonexistent/key.pem")};
    try {
        FixtureServer server(missing);
        FAIL() << "the server started without its certificate";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("/nonexistent/cert.pem"));
    }
}
