// The program as a whole process: started twice, and started unattended
// with no Favorites folder.

#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QProcess>
#include <QThread>

using namespace norvale::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class ProcessTest : public testing::Test {
protected:
    ProcessTest()
    {
        m_temp.folder(QStringLiteral("program"));
        QFile::setPermissions(m_temp.folder(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void writeStore(const QString& favorites)
    {
        m_temp.file(QStringLiteral("registry.reg"),
                    QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                   "CurrentVersion\\Explorer\\Shell Folders]\r\n"
                                   "\"Favorites\"=\"%1\"\r\n")
                        .arg(favorites)
                        .toUtf8());
    }

    void prepare(QProcess& process, const QStringList& arguments = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("NORVALE_REGISTRY"),
                           m_temp.path(QStringLiteral("registry.reg")));
        environment.insert(QStringLiteral("NORVALE_HOME"), m_temp.path(QStringLiteral("program")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           m_temp.path(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("HOME"), m_temp.folder(QStringLiteral("home")));
        process.setProcessEnvironment(environment);
        process.setProgram(QStringLiteral(NORVALE_BINARY));
        process.setArguments(arguments);
    }

    TempFolder m_temp;
};

TEST_F(ProcessTest, SecondStartEndsAtOnceAndSilently)
{
    writeStore(m_temp.folder(QStringLiteral("Favorites")));
    QProcess first;
    prepare(first);
    first.start();
    ASSERT_TRUE(first.waitForStarted());
    // The first instance holds the lock once its window is up.
    const QString lock = m_temp.path(QStringLiteral("runtime/Vintrel.lock"));
    for (int i = 0; i < 300 && !QFile::exists(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(lock));
    const QByteArray storeBefore = m_temp.read(QStringLiteral("registry.reg"));

    QProcess second;
    prepare(second);
    second.start();
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(second.readAllStandardError(), QByteArray());
    EXPECT_EQ(m_temp.read(QStringLiteral("registry.reg")), storeBefore);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
}

TEST_F(ProcessTest, UnattendedStartWithoutFavoritesPrintsTheMessageAndEnds)
{
    writeStore(QString());
    const QByteArray storeBefore = m_temp.read(QStringLiteral("registry.reg"));
    QProcess process;
    prepare(process, {QStringLiteral("/inspect")});
    process.start();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_THAT(process.readAllStandardError().toStdString(),
                HasSubstr("Cannot Find Favorites Folder"));
    EXPECT_NE(process.exitCode(), 0) << "a start that found nothing to check is no success";
    EXPECT_EQ(m_temp.read(QStringLiteral("registry.reg")), storeBefore);
}

TEST_F(ProcessTest, UnattendedRunChecksEverythingReportsAndSaves)
{
    FixtureServer server;
    const QString alive = server.url(
        FixtureServer::path(QStringLiteral("/page"), {{"body", "<title>Alive</title>"}}));
    const QString dead = server.url(QStringLiteral("/nothing-here"));
    const QString favorites = m_temp.folder(QStringLiteral("Favorites"));
    m_temp.shortcut(QStringLiteral("Favorites/Alive.url"), alive);
    m_temp.shortcut(QStringLiteral("Favorites/Old/Dead.url"), dead);
    writeStore(favorites);
    QProcess process;
    prepare(process, {QStringLiteral("/inspect")});
    process.start();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_THAT(lines, ElementsAre(QStringLiteral("alive\tAlive\t") + alive,
                                   QStringLiteral("dead\tOld/Dead\t") + dead,
                                   QStringLiteral("Checked 2 favorites: 1 alive, 0 changed, 0 no "
                                                  "answer, 1 dead, 0 skipped, 0 moved to Dead "
                                                  "Favorites")));
    const QByteArray store = m_temp.read(QStringLiteral("registry.reg"));
    EXPECT_TRUE(store.contains("\"LastRun\"=")) << "the unload sequence saved the settings";
    EXPECT_TRUE(store.contains("\"Top\"="));
}

} // namespace
