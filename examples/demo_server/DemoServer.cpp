// The demo web farm behind scripts/run: plays the sample favorites' sites on
// 127.0.0.1, reached through Norvale's own proxy setting, so that a check of
// the sample lights every colour without touching the real web.
//
//   norvale_demo_server --port-file FILE
//
// Requests arrive in proxy form ("GET http://host/path HTTP/1.1"); the host
// picks the answer. Any host not listed below is an ordinary live site.

#include <cstdio>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTimeZone>
#include <QUrl>

namespace {

enum class Play { Alive, Changed, Dead, Redirect, Refresh, Slow, Parked, ErrorTitle };

struct Site {
    Play play;
    const char* title;
};

const QHash<QString, Site>& sites()
{
    static const QHash<QString, Site> table = {
        {QStringLiteral("www.debian.org"),
         {Play::Alive, "Debian -- The Universal Operating System"}},
        {QStringLiteral("www.gnu.org"), {Play::Changed, "The GNU Operating System"}},
        {QStringLiteral("lwn.net"), {Play::Changed, "Welcome to LWN.net"}},
        {QStringLiteral("wiki.debian.org"), {Play::Refresh, "Debian Wiki"}},
        {QStringLiteral("www.bbc.co.uk"), {Play::Redirect, "BBC News"}},
        {QStringLiteral("www.example.org"), {Play::Redirect, "New Project"}},
        {QStringLiteral("www.nasa.gov"), {Play::Slow, "NASA"}},
        {QStringLiteral("www.rome2rio.com"), {Play::Slow, "Timetable"}},
        {QStringLiteral("gone.invalid"), {Play::Dead, ""}},
        {QStringLiteral("www.merriam-webster.com"), {Play::Parked, ""}},
        {QStringLiteral("ecma-international.org"), {Play::ErrorTitle, "404 Not Found"}},
    };
    return table;
}

QByteArray httpDate(const QDateTime& when)
{
    return QLocale::c()
        .toString(when.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
        .toLatin1();
}

QByteArray response(int status, const QByteArray& reason, const QList<QByteArray>& headers,
                    const QByteArray& body)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    for (const QByteArray& header : headers)
        out += header + "\r\n";
    out += "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return out;
}

QByteArray page(const QByteArray& title, const QByteArray& extraHead = {})
{
    return "<html><head><title>" + title + "</title>" + extraHead + "</head><body><h1>" + title +
           "</h1><p>A page of Norvale's demo.</p></body></html>";
}

QByteArray answerFor(const QString& host, const QString& path)
{
    const auto it = sites().constFind(host);
    const Site site = it != sites().cend() ? *it : Site{Play::Alive, nullptr};
    const QByteArray title = site.title ? QByteArray(site.title) : host.toUtf8();
    switch (site.play) {
    case Play::Alive:
    case Play::Slow:
        return response(200, "OK", {}, page(title));
    case Play::Changed:
        return response(
            200, "OK",
            {"Last-Modified: " + httpDate(QDateTime::currentDateTimeUtc().addSecs(-3600))},
            page(title));
    case Play::Dead:
        return response(404, "Not Found", {}, QByteArray());
    case Play::ErrorTitle:
        return response(200, "OK", {}, page(title));
    case Play::Parked:
        return response(302, "Found",
                        {"Location: http://www.sedoparking.com/?&domain=" + host.toUtf8()},
                        QByteArray());
    case Play::Refresh:
        return response(200, "OK", {},
                        page(title, "<meta http-equiv=\"refresh\" content=\"0; "
                                    "URL=http://wiki.debian.org/FrontPage\">"));
    case Play::Redirect:
        if (path.startsWith(QLatin1String("/new")))
            return response(200, "OK", {}, page(title));
        return response(301, "Moved Permanently",
                        {"Location: http://" + host.toUtf8() + "/new-project/"}, QByteArray());
    }
    return response(500, "Internal Server Error", {}, QByteArray());
}

void serve(QTcpSocket* socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
        if (socket->property("answered").toBool())
            return;
        const QByteArray head = socket->peek(64 * 1024);
        if (!head.contains("\r\n\r\n") && socket->bytesAvailable() < 64 * 1024)
            return;
        socket->setProperty("answered", true);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QUrl target(QString::fromLatin1(requestLine.value(1)));
        QString host = target.host();
        if (host.isEmpty()) {
            const qsizetype at = head.toLower().indexOf("\r\nhost: ");
            host = QString::fromLatin1(head.mid(at + 8, head.indexOf("\r\n", at + 8) - at - 8))
                       .section(QLatin1Char(':'), 0, 0);
        }
        const QByteArray answer = answerFor(host, target.path());
        const auto it = sites().constFind(host);
        const bool slow = it != sites().cend() && it->play == Play::Slow;
        QTimer::singleShot(slow ? 5000 : 0, socket, [socket, answer] {
            socket->write(answer);
            socket->disconnectFromHost();
        });
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const qsizetype option = args.indexOf(QStringLiteral("--port-file"));
    if (option < 0 || option + 1 >= args.size()) {
        std::fprintf(stderr, "usage: norvale_demo_server --port-file FILE\n");
        return 2;
    }
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection())
            serve(socket);
    });
    QFile portFile(args[option + 1] + QStringLiteral(".tmp"));
    if (!portFile.open(QIODevice::WriteOnly) ||
        portFile.write(QByteArray::number(server.serverPort())) <= 0)
        return 1;
    portFile.close();
    portFile.rename(args[option + 1]);
    return app.exec();
}
