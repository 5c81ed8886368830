// The program as a whole process: started twice, started unattended with no
// Favorites folder, and each of its command-line options.

#include "bookmarks/BookmarkFileReader.h"
#include "mainwindow/MainWindow.h"
#include "platform/CommandSurface.h"
#include "platform/ImageList.h"
#include "platform/InstanceLock.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <QThread>

using namespace norvale::test;
using norvale::InstanceLock;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

class ProcessTest : public testing::Test {
protected:
    ProcessTest()
    {
        m_temp.folder("program");
        QFile::setPermissions(m_temp.folder("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // This process finds the programs' instance guard where they do.
        qputenv("XDG_RUNTIME_DIR", m_temp.path("runtime").toUtf8());
        m_temp.store(m_temp.favoritesLine(m_favorites));
    }

    void prepare(QProcess& process, const QStringList& arguments = {},
                 const QString& pathFirst = QString()) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!pathFirst.isEmpty())
            environment.insert("PATH", pathFirst + QLatin1Char(':') + environment.value("PATH"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("NORVALE_REGISTRY", m_temp.path("registry.reg"));
        environment.insert("NORVALE_HOME", m_temp.path("program"));
        environment.insert("XDG_RUNTIME_DIR", m_temp.path("runtime"));
        environment.insert("HOME", m_temp.folder("home"));
        process.setProcessEnvironment(environment);
        process.setProgram(QStringLiteral(NORVALE_BINARY));
        process.setArguments(arguments);
    }

    Outcome run(const QStringList& arguments, const QString& pathFirst = QString())
    {
        QProcess process;
        prepare(process, arguments, pathFirst);
        process.start();
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Holds the single-instance guard as a running window would.
    static std::unique_ptr<InstanceLock> holdInstanceLock()
    {
        auto lock = std::make_unique<InstanceLock>(QStringLiteral("Vintrel"));
        EXPECT_TRUE(lock->tryAcquire());
        return lock;
    }
    // Whether a running window holds the guard: it takes a call.
    static bool instanceRunning()
    {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(InstanceLock(QStringLiteral("Vintrel")).socketName());
        return socket.waitForConnected(200);
    }
    // Lets this process's window take calls until done() or a minute passed.
    static void waitFor(const std::function<bool()>& done)
    {
        for (int i = 0; i < 1200 && !done(); ++i)
            QTest::qWait(50);
    }

    TempFolder m_temp;
    QString m_favorites = m_temp.folder("Favorites");
};

// A second start brings the running window forward, restored when it was
// minimised and shown when only its tray icon was left, and ends at once
// and silently, before it touches the settings.
TEST_F(ProcessTest, SecondStartBringsTheRunningWindowForward)
{
    const auto running = holdInstanceLock();
    norvale::TreeControl tree;
    norvale::StatusBarModel status(2);
    norvale::CommandSurface surface;
    const norvale::ImageList images;
    norvale::MainWindow window(tree, status, surface, images);
    QObject::connect(running.get(), &InstanceLock::called, &window,
                     &norvale::MainWindow::bringForward);
    const QByteArray storeBefore = m_temp.read("registry.reg");
    for (const bool minimised : {true, false}) {
        SCOPED_TRACE(minimised ? "minimised" : "in the tray only");
        window.show();
        if (minimised)
            window.showMinimized();
        else
            window.hide();
        QProcess second;
        prepare(second);
        second.start();
        waitFor([&] { return second.state() == QProcess::NotRunning; });
        waitFor([&] { return window.isVisible() && !window.isMinimized(); });
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.isMinimized());
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(second.readAllStandardOutput() + second.readAllStandardError(), QByteArray());
    }
    EXPECT_EQ(m_temp.read("registry.reg"), storeBefore);
}

// The guard is a name the kernel holds for the running window, not a file:
// a window killed outright (SIGKILL) leaves nothing in the runtime folder,
// and the next start opens its window.
TEST_F(ProcessTest, AKilledWindowLeavesNoGuardBehind)
{
    QProcess first;
    prepare(first);
    first.start();
    ASSERT_TRUE(first.waitForStarted());
    waitFor([] { return instanceRunning(); });
    ASSERT_TRUE(instanceRunning());
    first.kill(); // SIGKILL: no handler runs
    first.waitForFinished();

    EXPECT_THAT(QDir(m_temp.path("runtime"))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                testing::IsEmpty());
    QProcess next;
    prepare(next);
    next.start();
    waitFor([&] { return instanceRunning() || next.state() == QProcess::NotRunning; });
    EXPECT_EQ(next.state(), QProcess::Running) << "the next start holds the guard";
    next.kill();
    next.waitForFinished();
}

// Started from a folder that is neither the build tree nor marked portable
// (an installed bin/), with no NORVALE_HOME, the program keeps its files in
// $XDG_DATA_HOME/norvale and writes nothing beside itself.
TEST_F(ProcessTest, InstalledProgramWritesNothingBesideItself)
{
    for (const bool portable : {false, true}) {
        SCOPED_TRACE(portable ? "portable" : "installed");
        TempFolder prefix;
        const QString program = prefix.path("bin/norvale");
        prefix.folder("bin");
        ASSERT_TRUE(QFile::copy(QStringLiteral(NORVALE_BINARY), program));
        if (portable)
            prefix.file("bin/norvale.portable", "");
        QProcess process;
        prepare(process, {"/inspect"});
        QProcessEnvironment environment = process.processEnvironment();
        environment.remove("NORVALE_HOME");
        environment.insert("XDG_DATA_HOME", prefix.folder("data"));
        process.setProcessEnvironment(environment);
        process.setProgram(program);
        process.start();
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_EQ(QFile::exists(prefix.path("data/norvale/Norvale.html")), !portable);
        EXPECT_EQ(QFile::exists(prefix.path("bin/Norvale.html")), portable);
        if (!portable) {
            EXPECT_THAT(QDir(prefix.path("bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                        ElementsAre("norvale"));
        }
    }
}

// Without a display the window cannot open: the program says why and ends
// with 1 instead of aborting.
TEST_F(ProcessTest, NoDisplaySaysWhy)
{
    QProcess process;
    prepare(process);
    QProcessEnvironment environment = process.processEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_THAT(process.readAllStandardError().toStdString(), HasSubstr("no display"));
}

// Each of these ends before anything is checked or saved; among them an
// unattended start that finds no Favorites folder, which prints the message
// and is no success.
TEST_F(ProcessTest, OptionsThatEndAtOnce)
{
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out; // the start of standard output
        const char* err; // the start of standard error
    } cases[] = {
        {{"--help"}, 0, "Usage: norvale", ""},
        {{"--version"}, 0, "Norvale " NORVALE_VERSION "\n", ""},
        {{"--bogus"}, 2, "", "norvale: Unknown option 'bogus'.\nUsage: norvale"},
        {{"--import"}, 2, "", "norvale: Missing value after '--import'."},
        {{"--report", "r.json"}, 2, "", "norvale: --report goes with /inspect only."},
        {{"/inspect", "--report", m_temp.path("r.txt")}, 2, "", "norvale: The report"},
        {{"/inspect", "--report", m_temp.path("missing/r.json")}, 2, "", "norvale: The folder"},
        {{"/inspect", "--report", m_temp.path("Favorites")}, 2, "", "norvale: The report"},
        {{"/inspect"}, 1, "", "Favorites Not Found: Cannot Find Favorites Folder\n"},
        {{"notes.txt"}, 2, "", "norvale: notes.txt is not a favorite"},
    };
    m_temp.store(m_temp.favoritesLine(QString()));
    const QByteArray store = m_temp.read("registry.reg");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out.left(qstrlen(c.out)), QString::fromUtf8(c.out));
        EXPECT_EQ(result.err.left(qstrlen(c.err)), QString::fromUtf8(c.err));
        EXPECT_EQ(m_temp.read("registry.reg"), store) << "nothing was checked";
    }
}

TEST_F(ProcessTest, OpenHandsWebAddressesOnlyToTheDesktopWithoutTheLock)
{
    const QString opened = m_temp.path("opened");
    const QString bin = m_temp.folder("bin");
    m_temp.file("bin/xdg-open",
                QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(opened).toUtf8());
    QFile::setPermissions(m_temp.path("bin/xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
    const QString web = m_temp.shortcut("Web.url", "https://127.0.0.1/a?b=1&c=2");
    const QString local = m_temp.shortcut("Local.url", "file:///bin/sh");
    const auto lock = holdInstanceLock();

    EXPECT_EQ(run({"--open", local}, bin).exitCode, 1);
    // The option, and a lone .url file as the desktop entry passes it.
    for (const QStringList& arguments : {QStringList{"--open", web}, {web}}) {
        const Outcome result = run(arguments, bin);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    }
    for (int i = 0; i < 100 && m_temp.lines("opened").size() < 2; ++i)
        QThread::msleep(50); // the opener runs on its own
    EXPECT_THAT(m_temp.lines("opened"),
                ElementsAre("https://127.0.0.1/a?b=1&c=2", "https://127.0.0.1/a?b=1&c=2"));
    // A desktop with no browser to take the address: said, and no success.
    m_temp.file("bin/xdg-open", "#!/bin/sh\nexit 3\n");
    const Outcome refused = run({"--open", web}, bin);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err.toStdString(), HasSubstr("No browser could open"));
}

TEST_F(ProcessTest, ImportThenExportWithoutTheLock)
{
    const QString bookmarks =
        m_temp.file("bookmarks.html",
                    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Tools</H3>\n<DL><p>\n"
                    "<DT><A HREF=\"http://127.0.0.1/a\">A &amp; B</A>\n</DL><p>\n"
                    "<DT><A HREF=\"javascript:void(0)\">Script</A>\n"
                    "<DT><A HREF=\"https://127.0.0.1/c\">C</A>\n</DL>\n");
    m_temp.shortcut("program/Dead Favorites/Gone.url", "http://127.0.0.1/gone");
    m_temp.shortcut("Favorites/Dead Favorites/Mirror.url");
    const auto lock = holdInstanceLock();

    Outcome result = run({"--import", bookmarks, "Imported"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("Made 1 folder and 2 favorites; skipped 1 address "
                                         "that is not a web or FTP address.\n"));
    EXPECT_TRUE(QFile::exists(m_temp.path("Favorites/Imported/Tools/A & B.url")));
    result = run({"--import", bookmarks, "../Outside"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err.toStdString(), HasSubstr("outside the Favorites folder"));
    EXPECT_FALSE(QFileInfo::exists(m_temp.path("Outside"))) << "a relative folder stays inside";

    const QString exported = m_temp.path("out.html");
    result = run({"--export", exported, "--include-dead"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    QStringList items;
    for (const norvale::BookmarkItem& item : norvale::ReadBookmarkFile(m_temp.read("out.html")))
        items.append(QString::number(item.depth) + QLatin1Char(' ') + item.title);
    EXPECT_THAT(items, ElementsAre("0 Imported", "1 C", "1 Tools", "2 A & B", "0 Dead Favorites",
                                   "1 Gone"));
}

// The unattended run checks everything, prints a line a favorite and the
// totals, writes its report in the format the name asks for, and saves the
// session as a close would.
TEST_F(ProcessTest, UnattendedRunChecksEverythingReportsAndSaves)
{
    FixtureServer server;
    const QString alive =
        server.url(FixtureServer::path("/page", {{"body", "<title>Alive</title>"}}));
    const QString dead = server.url("/nothing-here");
    m_temp.shortcut("Favorites/Alive.url", alive);
    m_temp.shortcut("Favorites/Old/Dead.url", dead);
    for (const char* name : {"report.json", "report.csv", "report.html"}) {
        SCOPED_TRACE(name);
        const Outcome result = run({"/inspect", "--report", m_temp.path(QString::fromUtf8(name))});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_THAT(result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                    ElementsAre("alive\tAlive\t" + alive, "dead\tOld/Dead\t" + dead,
                                QStringLiteral("Checked 2 favorites: 1 alive, 0 changed, 0 no "
                                               "answer, 1 dead, 0 skipped, 0 moved to Dead "
                                               "Favorites")));
    }
    EXPECT_TRUE(m_temp.read("registry.reg").contains("\"LastRun\"="))
        << "the unload sequence saved the settings";
    // The layout of each format is the report tests' (RunReport) and the entries the
    // unattended run's (CheckRunnerTest); here, that the name chose the format.
    const QJsonObject json = QJsonDocument::fromJson(m_temp.read("report.json")).object();
    EXPECT_EQ(json["summary"]["checked"].toInt(), 2);
    const QStringList csv = m_temp.lines("report.csv");
    EXPECT_TRUE(csv.size() == 3 && csv[0].startsWith("path,address_before,address_after,"));
    EXPECT_TRUE(m_temp.read("report.html").contains("<td>Old/Dead</td>"));
}

} // namespace
