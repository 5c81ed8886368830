#include "lifecycle/MainLifecycle.h"
#include "lifecycle/CommandController.h"
#include "lifecycle/FavoritesFolder.h"
#include "lifecycle/ProgramParts.h"
#include "lifecycle/TrayIcon.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/ImageList.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/ProfileFile.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "platform/WindowFrame.h"
#include "program/ProgramServices.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <csignal>
#include <gmock/gmock.h>
#include <QDir>
#include <QTimeZone>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

// A window that keeps its placement in plain numbers, on one screen of
// 1280 x 960 pixels at 96 dots per inch, with a design size of 800 x 600.
class FakeWindow : public WindowFrame {
public:
    double top() const override { return place[0]; }
    double left() const override { return place[1]; }
    double height() const override { return place[2]; }
    double width() const override { return place[3]; }
    void setTop(double twips) override { place[0] = twips; }
    void setLeft(double twips) override { place[1] = twips; }
    void setHeight(double twips) override { place[2] = twips; }
    void setWidth(double twips) override { place[3] = twips; }
    QList<QRectF> screens() const override { return m_screens; }

    std::array<double, 4> place{0, 0, 9000, 12000}; // top, left, height, width
    QList<QRectF> m_screens{QRectF(0, 0, 19200, 14400)};
};

class ScriptedChooser : public FolderChooser {
public:
    QString chooseFolder(const QString&) override { return ++asked, answer; }
    QString answer;
    int asked = 0;
};

// One start of the program without a window, wired as the program wires it.
struct Session {
    Session(const ServiceParts& parts, WindowFrame& frame, FolderChooser& chooser)
        : services(parts)
        , lifecycle(lifecyclePartsOf(services, commands, frame, &chooser, tray))
    {}
    ProgramServices services;
    CommandController commands{commandPartsOf(services)};
    TrayIcon tray;
    MainLifecycle lifecycle;
};

class MainLifecycleTest : public testing::Test {
protected:
    MainLifecycleTest()
    {
        m_temp.folder("program");
        qputenv("XDG_DATA_HOME", m_temp.folder("data").toUtf8()); // the trash
    }

    // The store: where the Favorites are, plus the given lines of the program's own key.
    void writeStore(const QStringList& programLines = {}, const QString& favoritesLine = {})
    {
        m_temp.store(favoritesLine.isNull() ? m_temp.favoritesLine(m_favorites) : favoritesLine,
                     programLines);
    }

    std::unique_ptr<Session> start(const QString& commandLine = {})
    {
        m_tree.clear();
        auto session = std::make_unique<Session>(
            ServiceParts{m_temp.path("registry.reg"), m_temp.path("program"), m_fs, m_clock,
                         m_boxes, m_images, m_tree, m_status, m_transfers},
            m_window, m_chooser);
        m_outcome = session->lifecycle.load(commandLine);
        return session;
    }

    QString stored(const QString& name) const
    {
        return OpenStore(m_temp.path("registry.reg"))
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or("<absent>");
    }

    TempFolder m_temp;
    QString m_favorites = m_temp.folder("Favorites");
    FileSystem m_fs;
    FixedClock m_clock;
    ScriptedMessageBoxes m_boxes;
    ScriptedChooser m_chooser;
    ImageList m_images;
    TreeControl m_tree;
    StatusBarModel m_status{2};
    FakeWindow m_window;
    TransferEngine m_transfers;
    MainLifecycle::LoadOutcome m_outcome = MainLifecycle::LoadOutcome::Running;
};

// Start restores the settings and shows the tree and its totals; values it
// cannot read are logged, kept in the store and the start goes on. Unload
// saves the settings and the placement back, with the time of this run.
TEST_F(MainLifecycleTest, StartShowsTheTreeAndUnloadSavesTheSession)
{
    for (const char* name : {"a", "b", "News/c", "News/Local/d", "News/Local/e"})
        m_temp.shortcut(QStringLiteral("Favorites/%1.url").arg(QLatin1String(name)));
    writeStore({"\"MoveDead\"=\"1\"", "\"LastRun\"=\"2026-03-01 10:00:00\"", "\"Timeout\"=\"fast\"",
                "\"Top\"=\"high\"", "this line means nothing"});
    auto session = start();
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::Running);
    EXPECT_EQ(m_status.panelText(1), "Total: 5 Favorites in 3 Folders  ");
    EXPECT_EQ(m_tree.count(), 9);
    EXPECT_EQ(session->services.state().LastRunGmt,
              QDateTime(QDate(2026, 3, 1), QTime(10, 0), QTimeZone::utc()));
    EXPECT_EQ(session->services.settings().Timeout, 1000);
    const QStringList lines = m_temp.lines("program/ERROR.LOG");
    ASSERT_EQ(lines.size(), 4) << "and the Dead Favorites folder made";
    EXPECT_THAT(lines[0].toStdString(), HasSubstr("this line means nothing"));
    EXPECT_THAT(lines[2].toStdString(), HasSubstr("\"Timeout\""));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());

    const QDateTime started = m_clock.now();
    m_window.place = {1234, 2345, 7000, 9000};
    session->services.settings().ShowNew = true;
    m_clock.setNow(started.addSecs(3600));
    session->lifecycle.unload();
    EXPECT_EQ(stored("Top"), "1234");
    EXPECT_EQ(stored("Width"), "9000");
    EXPECT_EQ(stored("ShowNew"), "1");
    EXPECT_EQ(stored("LastRun"), m_clock.now().toString(RegistryStore::dateFormat()));
    EXPECT_EQ(stored("LastCheck"), started.toString(RegistryStore::dateFormat()))
        << "a first run's check date is its start time";
}

// A placement off every screen, or none stored, is centred on the first
// screen; one on any screen is kept.
TEST_F(MainLifecycleTest, WindowPlacementIsRestoredOrCentred)
{
    const QRectF second(19200, 0, 19200, 14400);
    const struct {
        int screens;
        QStringList stored; // top, left, height, width
        std::array<double, 4> expected;
    } rows[] = {
        {1, {}, {2700, 3600, 9000, 12000}},
        {1, {"1500", "3000", "6000", "7500.5"}, {1500, 3000, 6000, 7500.5}},
        {2, {"1500", "45000", "6000", "8000"}, {4200, 5600, 6000, 8000}},
        {2, {"1500", "25000", "6000", "8000"}, {1500, 25000, 6000, 8000}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored.join(' ').toStdString());
        m_window = FakeWindow();
        if (row.screens == 2)
            m_window.m_screens.append(second);
        QStringList lines;
        for (int i = 0; i < row.stored.size(); ++i)
            lines.append(QString("\"%1\"=\"%2\"")
                             .arg(QStringList{"Top", "Left", "Height", "Width"}[i], row.stored[i]));
        writeStore(lines);
        auto session = start();
        EXPECT_EQ(m_window.place, row.expected);
    }
}

// The store's value names the Favorites folder. An empty one ends the start
// with a message (on standard error when unattended) and saves nothing; an
// absent one means ~/Favorites when it exists, else the user is asked,
// except when unattended, and the answer kept.
TEST_F(MainLifecycleTest, FavoritesFolderIsFoundOrTheStartEndsWithAMessage)
{
    const char* empty = "\"Favorites\"=\"\"";
    const char* absent = "; no Favorites value";
    // The store's line, whether ~/Favorites exists, the command line, and
    // how the start ends: with a "box", the message "printed", running over
    // ~/Favorites ("home") or over the folder the user was "asked" for.
    const struct {
        const char* favoritesLine;
        bool homeFavorites;
        const char* commandLine;
        QString expect;
    } rows[] = {
        {empty, true, "", "box"},
        {empty, true, "  /inspect  ", "printed"},
        {empty, true, "/INSPECT", "box"},
        {empty, true, "/inspect now", "box"},
        {absent, true, "", "home"},
        {absent, false, "", "asked"},
        {absent, false, "/inspect", "printed"},
    };
    m_chooser.answer = m_favorites;
    int home = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.favoritesLine) + " " + row.commandLine);
        const QString homePath = m_temp.folder(QStringLiteral("home%1").arg(++home));
        if (row.homeFavorites)
            m_temp.shortcut(QStringLiteral("home%1/Favorites/mine.url").arg(home));
        qputenv("HOME", homePath.toUtf8());
        writeStore({}, row.favoritesLine);
        const QByteArray storeBefore = m_temp.read("registry.reg");
        const qsizetype boxesBefore = m_boxes.shown().size();
        m_chooser.asked = 0;
        testing::internal::CaptureStderr();
        auto session = start(row.commandLine);
        const std::string printed = testing::internal::GetCapturedStderr();

        const bool found = row.expect == "home" || row.expect == "asked";
        EXPECT_EQ(m_outcome == MainLifecycle::LoadOutcome::Running, found);
        EXPECT_EQ(session->services.state().InspectMode, row.expect == "printed");
        EXPECT_EQ(m_chooser.asked, row.expect == "asked" ? 1 : 0);
        EXPECT_EQ(session->services.state().FavoritesPath, row.expect == "home"
                                                               ? homePath + "/Favorites"
                                                           : row.expect == "asked" ? m_favorites
                                                                                   : QString());
        EXPECT_EQ(m_boxes.titles().mid(boxesBefore),
                  row.expect == "box" ? QStringList{"Favorites Not Found"} : QStringList());
        EXPECT_EQ(printed.find("Cannot Find Favorites Folder") != std::string::npos,
                  row.expect == "printed");
        EXPECT_TRUE(found || m_temp.read("registry.reg") == storeBefore) << "nothing saved";
        EXPECT_TRUE(row.expect != "asked" ||
                    StoredFavoritesFolder(m_temp.path("registry.reg"), m_fs) == m_favorites);
    }
}

// The mirror is merged both ways: what one side lacks or holds older is
// copied, and nothing that lives on one side only is lost, so an empty
// mirror (the option just switched on) or a half-written one costs nothing.
// Only a favorite removed in the program since the start leaves the mirror.
TEST_F(MainLifecycleTest, DeadFavoritesAreMergedInAtStartAndOutAtExit)
{
    const QByteArray edited = "[InternetShortcut]\r\nURL=http://127.0.0.1/edited\r\n";
    m_temp.shortcut("program/Dead Favorites/onlyHere.url");
    m_temp.file("program/Dead Favorites/edited.url", edited);
    m_temp.shortcut("Favorites/Dead Favorites/fromBrowser.url");
    m_temp.shortcut("Favorites/Dead Favorites/removedToday.url");
    QFile older(m_temp.shortcut("Favorites/Dead Favorites/edited.url"));
    ASSERT_TRUE(older.open(QIODevice::ReadWrite) &&
                older.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                  QFileDevice::FileModificationTime));
    older.close();
    // What a run killed while writing left behind, and a file like it.
    const QString leftover = NewOwnTemporaryName();
    for (const QString folder : {"Favorites/Dead Favorites/", "Favorites/News/", ""})
        m_temp.file(folder + leftover, "[InternetShortcut]\r\nURL=http://torn");
    m_temp.file("Favorites/News/" + leftover + ".url");
    writeStore({"\"DeadFavoritesInIE\"=\"1\"", "\"MoveDead\"=\"1\""});
    auto session = start();

    const QString program = m_temp.path("program/Dead Favorites");
    const QString mirror = m_temp.path("Favorites/Dead Favorites");
    EXPECT_THAT(m_fs.listFolder(program).files,
                ElementsAre("edited.url", "fromBrowser.url", "onlyHere.url", "removedToday.url"));
    EXPECT_EQ(m_temp.read("program/Dead Favorites/edited.url"), edited);
    for (const QString& folder : {mirror, m_temp.path("Favorites/News"), m_temp.path()})
        EXPECT_FALSE(QFile::exists(FileSystem::join(folder, leftover))) << folder.toStdString();
    EXPECT_TRUE(QFile::exists(m_temp.path("Favorites/News/" + leftover + ".url")));

    m_fs.deleteFile(FileSystem::join(program, "removedToday.url"), true);
    m_temp.shortcut("program/Dead Favorites/movedToday.url");
    m_temp.shortcut("Favorites/Dead Favorites/addedInTheBrowser.url");
    session->lifecycle.unload();
    EXPECT_THAT(m_fs.listFolder(mirror).files,
                ElementsAre("addedInTheBrowser.url", "edited.url", "fromBrowser.url",
                            "movedToday.url", "onlyHere.url"));
    EXPECT_EQ(m_temp.read("Favorites/Dead Favorites/edited.url"), edited);
}

// A kill at any step of the copying at start or at exit loses no dead
// favorite: the next start and exit finish the work.
TEST(DeadFavoritesMirror, AKillAtAnyStepLosesNothing)
{
    const FileSystem fs;
    const QStringList programOnly = {"a.url", "b.url", "c.url"};
    const QStringList mirrorOnly = {"d.url", "e.url"};
    for (const bool atExit : {false, true}) {
        int kills = 0;
        for (int killAt = 0;; ++killAt) {
            SCOPED_TRACE(testing::Message() << (atExit ? "exit" : "start") << ", step " << killAt);
            TempFolder temp;
            const QString program = temp.folder("program/Dead Favorites");
            const QString mirror = temp.folder("Favorites/Dead Favorites");
            for (const QString& name : programOnly)
                temp.file("program/Dead Favorites/" + name, name.toUtf8());
            for (const QString& name : mirrorOnly)
                temp.file("Favorites/Dead Favorites/" + name, name.toUtf8());
            MirrorSnapshot mirroredIn;
            if (atExit)
                mirroredIn = MirrorDeadFavoritesIn(fs, program, mirror);

            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                int steps = 0;
                SetFileFaultForTesting([&steps, killAt](FileStep, const QString&) {
                    if (steps++ == killAt)
                        ::kill(::getpid(), SIGKILL);
                    return 0;
                });
                if (atExit)
                    MirrorDeadFavoritesOut(fs, program, mirror, mirroredIn);
                else
                    MirrorDeadFavoritesIn(fs, program, mirror);
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);

            RemoveOwnTemporaryFiles(temp.path(), true);
            MirrorDeadFavoritesOut(fs, program, mirror, MirrorDeadFavoritesIn(fs, program, mirror));
            for (const QString& folder : {program, mirror}) {
                EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                          programOnly + mirrorOnly);
                for (const QString& name : programOnly + mirrorOnly) {
                    QFile file(FileSystem::join(folder, name));
                    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == name.toUtf8())
                        << name.toStdString();
                }
            }
            if (WIFEXITED(status))
                break; // that run got through every step
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            ++kills;
        }
        EXPECT_GE(kills, 4 * (atExit ? programOnly.size() : mirrorOnly.size()))
            << "four steps a copy: create, write, flush, rename";
    }
}

// Both ways, the mirror copies only what reading a favorite accepts; a
// huge file or a FIFO stays where it is, uncopied, and is reported.
TEST(DeadFavoritesMirror, CopiesOnlyRegularFilesWithinTheReadingLimit)
{
    const FileSystem fs;
    const auto bigFile = [](const QString& path, qint64 size) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size)); // sparse
    };
    const auto fifo = [](const QString& path) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    };
    struct Row {
        const char* name;
        std::function<void(const QString&)> make;
        bool copied;
    };
    const Row rows[] = {
        {"atLimit.url", [&](const QString& p) { bigFile(p, ProfileFile::kMostBytes); }, true},
        {"overLimit.url", [&](const QString& p) { bigFile(p, ProfileFile::kMostBytes + 1); },
         false},
        {"fifo.url", fifo, false},
    };
    for (const bool atExit : {false, true}) {
        TempFolder temp;
        const QString program = temp.folder("program/Dead Favorites");
        const QString mirror = temp.folder("Favorites/Dead Favorites");
        const QString source = atExit ? program : mirror;
        const QString target = atExit ? mirror : program;
        for (const Row& row : rows)
            row.make(FileSystem::join(source, row.name));
        QStringList reported;
        const MirrorRefusal refused = [&reported](const NorvaleError& error) {
            reported.append(error.description());
        };
        if (atExit)
            MirrorDeadFavoritesOut(fs, program, mirror, {}, refused);
        else
            MirrorDeadFavoritesIn(fs, program, mirror, refused);
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << (atExit ? "exit, " : "start, ") << row.name);
            EXPECT_EQ(QFileInfo::exists(FileSystem::join(target, row.name)), row.copied);
            EXPECT_TRUE(QFileInfo(FileSystem::join(source, row.name)).exists());
            EXPECT_EQ(reported.filter(row.name).size(), row.copied ? 0 : 1)
                << reported.join('\n').toStdString();
        }
        EXPECT_THAT(QDir(target).entryList(QDir::Hidden | QDir::Files | QDir::System),
                    ElementsAre("atLimit.url"));
    }
}

// Start makes both folders when missing; a program folder gone by exit
// costs the mirror nothing, and neither does a store that cannot be saved,
// which is shown and skips the mirror.
TEST_F(MainLifecycleTest, MirrorSurvivesMissingFoldersAndAFailedSave)
{
    writeStore({"\"DeadFavoritesInIE\"=\"1\""});
    const QString program = m_temp.path("program/Dead Favorites");
    start();
    EXPECT_TRUE(m_fs.folderExists(program));
    EXPECT_TRUE(m_fs.folderExists(m_temp.path("Favorites/Dead Favorites")));

    m_temp.shortcut("Favorites/Dead Favorites/only.url");
    auto session = start();
    QDir(program).removeRecursively();
    session->lifecycle.unload();
    EXPECT_TRUE(QFile::exists(m_temp.path("Favorites/Dead Favorites/only.url")));

    session = start();
    m_temp.shortcut("program/Dead Favorites/new.url");
    // The store file is replaced by a folder: it can be neither read nor saved.
    QFile::remove(m_temp.path("registry.reg"));
    m_temp.folder("registry.reg");
    session->lifecycle.unload();
    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_TRUE(m_boxes.shown()[0].title.startsWith("Error "));
    EXPECT_EQ(m_temp.lines("program/ERROR.LOG").size(), 1);
    EXPECT_FALSE(QFile::exists(m_temp.path("Favorites/Dead Favorites/new.url")));
}

} // namespace
