#include "shell/lifecycle/MainLifecycle.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/ImageList.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "platform/WindowFrame.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"

#include <csignal>
#include <gmock/gmock.h>
#include <QDir>
#include <QTimeZone>
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
    double top() const override { return m_top; }
    double left() const override { return m_left; }
    double height() const override { return m_height; }
    double width() const override { return m_width; }
    void setTop(double twips) override { m_top = twips; }
    void setLeft(double twips) override { m_left = twips; }
    void setHeight(double twips) override { m_height = twips; }
    void setWidth(double twips) override { m_width = twips; }
    QList<QRectF> screens() const override { return m_screens; }

    double m_top = 0;
    double m_left = 0;
    double m_height = 9000;
    double m_width = 12000;
    QList<QRectF> m_screens{QRectF(0, 0, 19200, 14400)};
};

class ScriptedChooser : public FolderChooser {
public:
    QString chooseFolder(const QString&) override
    {
        ++asked;
        return answer;
    }
    QString answer;
    int asked = 0;
};

class MainLifecycleTest : public testing::Test {
protected:
    MainLifecycleTest()
    {
        m_temp.folder(QStringLiteral("program"));
        m_favorites = m_temp.folder(QStringLiteral("Favorites"));
    }

    // The store as a person would write it: where the Favorites are, plus
    // the given lines of the program's own key.
    void writeStore(const QStringList& programLines = {}, const QString& favoritesLine = {})
    {
        const QString favorites = favoritesLine.isNull()
                                      ? QStringLiteral("\"Favorites\"=\"%1\"").arg(m_favorites)
                                      : favoritesLine;
        m_temp.file(QStringLiteral("registry.reg"),
                    (QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                    "CurrentVersion\\Explorer\\Shell Folders]\r\n") +
                     favorites +
                     QStringLiteral("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brimwick\\"
                                    "Norvale]\r\n") +
                     programLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
                        .toUtf8());
    }

    std::unique_ptr<MainLifecycle> start(const QString& commandLine = {})
    {
        m_tree.clear();
        auto lifecycle = std::make_unique<MainLifecycle>(LifecycleParts{
            m_temp.path(QStringLiteral("registry.reg")), m_temp.path(QStringLiteral("program")),
            m_fs, m_clock, m_boxes, &m_chooser, m_images, m_tree, m_status, m_window, m_transfers});
        m_outcome = lifecycle->load(commandLine);
        return lifecycle;
    }

    QString stored(const QString& name) const
    {
        return OpenStore(m_temp.path(QStringLiteral("registry.reg")))
            .value(StoreKeys::Company, StoreKeys::Product, name)
            .value_or(QStringLiteral("<absent>"));
    }

    QStringList logLines() const { return m_temp.lines(QStringLiteral("program/ERROR.LOG")); }

    TempFolder m_temp;
    QString m_favorites;
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

TEST(InspectCommand, OnlyTheExactWordAfterTrimming)
{
    EXPECT_TRUE(MainLifecycle::IsInspectCommand(QStringLiteral("/inspect")));
    EXPECT_TRUE(MainLifecycle::IsInspectCommand(QStringLiteral("  /inspect  ")));
    EXPECT_FALSE(MainLifecycle::IsInspectCommand(QStringLiteral("/INSPECT")));
    EXPECT_FALSE(MainLifecycle::IsInspectCommand(QStringLiteral("/inspect now")));
    EXPECT_FALSE(MainLifecycle::IsInspectCommand(QString()));
}

TEST_F(MainLifecycleTest, StartShowsTheTreeAndTheTotals)
{
    for (int i = 0; i < 5; ++i)
        m_temp.shortcut(QStringLiteral("Favorites/top%1.url").arg(i));
    for (int i = 0; i < 4; ++i)
        m_temp.shortcut(QStringLiteral("Favorites/News/n%1.url").arg(i));
    for (int i = 0; i < 3; ++i)
        m_temp.shortcut(QStringLiteral("Favorites/News/Local/l%1.url").arg(i));
    writeStore();
    auto lifecycle = start();
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::Running);
    EXPECT_EQ(m_status.panelText(1), QStringLiteral("Total: 12 Favorites in 3 Folders  "));
    EXPECT_EQ(m_tree.count(), 15);
    EXPECT_EQ(lifecycle->state().FavoritesPath, m_favorites);
    EXPECT_FALSE(lifecycle->state().InspectMode);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(MainLifecycleTest, WithoutStoredPlacementTheWindowIsCentredAtDesignSize)
{
    writeStore();
    auto lifecycle = start();
    EXPECT_EQ(m_window.m_top, (14400 - 9000) / 2);
    EXPECT_EQ(m_window.m_left, (19200 - 12000) / 2);
    EXPECT_EQ(m_window.m_height, 9000);
    EXPECT_EQ(m_window.m_width, 12000);
}

TEST_F(MainLifecycleTest, StoredPlacementIsRestored)
{
    writeStore({QStringLiteral("\"Top\"=\"1500\""), QStringLiteral("\"Left\"=\"3000\""),
                QStringLiteral("\"Height\"=\"6000\""), QStringLiteral("\"Width\"=\"7500.5\"")});
    auto lifecycle = start();
    EXPECT_EQ(m_window.m_top, 1500);
    EXPECT_EQ(m_window.m_left, 3000);
    EXPECT_EQ(m_window.m_height, 6000);
    EXPECT_EQ(m_window.m_width, 7500.5);
}

TEST_F(MainLifecycleTest, PlacementOffEveryScreenIsCentredOnThePrimary)
{
    m_window.m_screens = {QRectF(0, 0, 19200, 14400), QRectF(19200, 0, 19200, 14400)};
    writeStore({QStringLiteral("\"Top\"=\"1500\""), QStringLiteral("\"Left\"=\"45000\""),
                QStringLiteral("\"Height\"=\"6000\""), QStringLiteral("\"Width\"=\"8000\"")});
    auto lifecycle = start();
    EXPECT_EQ(m_window.m_left, (19200 - 8000) / 2);
    EXPECT_EQ(m_window.m_top, (14400 - 6000) / 2);
    EXPECT_EQ(m_window.m_width, 8000);
}

TEST_F(MainLifecycleTest, PlacementOnASecondScreenStaysThere)
{
    m_window.m_screens = {QRectF(0, 0, 19200, 14400), QRectF(19200, 0, 19200, 14400)};
    writeStore({QStringLiteral("\"Top\"=\"1500\""), QStringLiteral("\"Left\"=\"25000\""),
                QStringLiteral("\"Height\"=\"6000\""), QStringLiteral("\"Width\"=\"8000\"")});
    auto lifecycle = start();
    EXPECT_EQ(m_window.m_left, 25000);
}

TEST_F(MainLifecycleTest, SessionIsSavedAndRestoredByTheNextStart)
{
    writeStore({QStringLiteral("\"Timeout\"=\"200\""), QStringLiteral("\"ShowNew\"=\"1\"")});
    auto first = start();
    m_window.m_top = 1234;
    m_window.m_left = 2345;
    m_window.m_height = 7000;
    m_window.m_width = 9000;
    first->settings().MoveDead = true;
    m_clock.setNow(m_clock.now().addSecs(3600));
    first->unload();

    EXPECT_EQ(stored(QStringLiteral("Top")), QStringLiteral("1234"));
    EXPECT_EQ(stored(QStringLiteral("Left")), QStringLiteral("2345"));
    EXPECT_EQ(stored(QStringLiteral("Height")), QStringLiteral("7000"));
    EXPECT_EQ(stored(QStringLiteral("Width")), QStringLiteral("9000"));
    EXPECT_EQ(stored(QStringLiteral("Timeout")), QStringLiteral("500"));
    EXPECT_EQ(stored(QStringLiteral("ShowNew")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("MoveDead")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("AutoThrottle")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("LastRun")),
              m_clock.now().toString(RegistryStore::dateFormat()));
    EXPECT_EQ(stored(QStringLiteral("LastCheck")),
              m_clock.now().addSecs(-3600).toString(RegistryStore::dateFormat()))
        << "a first run's check date is its start time";
    EXPECT_EQ(stored(QStringLiteral("Proxy")), QStringLiteral("No"));

    m_window = FakeWindow();
    auto second = start();
    EXPECT_EQ(m_window.m_top, 1234);
    EXPECT_EQ(m_window.m_width, 9000);
    EXPECT_TRUE(second->settings().MoveDead);
    EXPECT_EQ(second->settings().Timeout, 500);
    EXPECT_EQ(m_tree.node(1)->text(), QStringLiteral("Dead Favorites"));
    EXPECT_EQ(second->state().LastRunGmt,
              QDateTime(m_clock.now().date(), m_clock.now().time(), QTimeZone::utc()));
}

TEST_F(MainLifecycleTest, EmptyFavoritesValueEndsWithAMessageAndSavesNothing)
{
    QDir().mkpath(m_temp.path(QStringLiteral("home/Favorites")));
    qputenv("HOME", m_temp.path(QStringLiteral("home")).toUtf8());
    writeStore({}, QStringLiteral("\"Favorites\"=\"\""));
    const QByteArray before = m_temp.read(QStringLiteral("registry.reg"));
    auto lifecycle = start();
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::FavoritesNotFound);
    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_EQ(m_boxes.shown()[0].text, QStringLiteral("Cannot Find Favorites Folder"));
    EXPECT_EQ(m_boxes.shown()[0].title, QStringLiteral("Favorites Not Found"));
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageIcon::None);
    EXPECT_EQ(m_temp.read(QStringLiteral("registry.reg")), before);
    EXPECT_EQ(m_chooser.asked, 0);
}

TEST_F(MainLifecycleTest, InspectModeWritesTheMessageInsteadOfShowingIt)
{
    writeStore({}, QStringLiteral("\"Favorites\"=\"\""));
    testing::internal::CaptureStderr();
    auto lifecycle = start(QStringLiteral(" /inspect "));
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(lifecycle->state().InspectMode);
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::FavoritesNotFound);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    EXPECT_THAT(printed, HasSubstr("Cannot Find Favorites Folder"));
}

TEST_F(MainLifecycleTest, AbsentFavoritesValueUsesTheHomeFavoritesFolder)
{
    const QString home = m_temp.folder(QStringLiteral("home"));
    m_temp.shortcut(QStringLiteral("home/Favorites/mine.url"));
    qputenv("HOME", home.toUtf8());
    writeStore({}, QStringLiteral("; no Favorites value"));
    auto lifecycle = start();
    EXPECT_EQ(lifecycle->state().FavoritesPath, home + QStringLiteral("/Favorites"));
    EXPECT_EQ(m_tree.count(), 2);
    EXPECT_EQ(m_chooser.asked, 0);
}

TEST_F(MainLifecycleTest, AbsentFavoritesValueAsksAndKeepsTheAnswer)
{
    qputenv("HOME", m_temp.folder(QStringLiteral("emptyhome")).toUtf8());
    writeStore({}, QStringLiteral("; no Favorites value"));
    m_chooser.answer = m_favorites;
    auto lifecycle = start();
    EXPECT_EQ(m_chooser.asked, 1);
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::Running);
    EXPECT_EQ(OpenStore(m_temp.path(QStringLiteral("registry.reg")))
                  .value(QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Explorer"),
                         QStringLiteral("Shell Folders"), QStringLiteral("favorites")),
              m_favorites);
}

TEST_F(MainLifecycleTest, AbsentFavoritesValueIsNotAskedForWhenUnattended)
{
    qputenv("HOME", m_temp.folder(QStringLiteral("emptyhome")).toUtf8());
    writeStore({}, QStringLiteral("; no Favorites value"));
    m_chooser.answer = m_favorites;
    testing::internal::CaptureStderr();
    auto lifecycle = start(QStringLiteral("/inspect"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_chooser.asked, 0);
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::FavoritesNotFound);
}

TEST_F(MainLifecycleTest, CloseIsRefusedOnlyWhileChecking)
{
    writeStore();
    auto lifecycle = start();
    EXPECT_TRUE(lifecycle->closeRequested());
    lifecycle->state().Checking = true;
    EXPECT_FALSE(lifecycle->closeRequested());
    lifecycle->state().Checking = false;
    EXPECT_TRUE(lifecycle->closeRequested());
}

TEST_F(MainLifecycleTest, BadStoredValuesAreLoggedAndStartGoesOn)
{
    writeStore({QStringLiteral("\"Timeout\"=\"fast\""), QStringLiteral("\"Top\"=\"high\""),
                QStringLiteral("this line means nothing")});
    auto lifecycle = start();
    EXPECT_EQ(m_outcome, MainLifecycle::LoadOutcome::Running);
    EXPECT_EQ(lifecycle->settings().Timeout, 1000);
    EXPECT_EQ(m_window.m_top, (14400 - 9000) / 2);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("this line means nothing")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\"Top\"")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\"Timeout\"")));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    lifecycle->unload();
    EXPECT_THAT(m_temp.read(QStringLiteral("registry.reg")).toStdString(),
                HasSubstr("this line means nothing"));
}

// The mirror is merged both ways: what one side lacks or holds older is
// copied, and nothing that lives on one side only is lost, so an empty
// mirror (the option just switched on) or a half-written one costs nothing.
// Only a favorite removed in the program since the start leaves the mirror.
TEST_F(MainLifecycleTest, DeadFavoritesAreMergedInAtStartAndOutAtExit)
{
    const QByteArray edited = "[InternetShortcut]\r\nURL=http://127.0.0.1/edited\r\n";
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/onlyHere.url"));
    m_temp.file(QStringLiteral("program/Dead Favorites/edited.url"), edited);
    m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/fromBrowser.url"));
    m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/removedToday.url"));
    QFile older(m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/edited.url")));
    ASSERT_TRUE(older.open(QIODevice::ReadWrite) &&
                older.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                  QFileDevice::FileModificationTime));
    older.close();
    // What a run killed while writing left behind, and a file like it.
    const QString leftover = NewOwnTemporaryName();
    for (const QString& folder : {QStringLiteral("Favorites/Dead Favorites/"),
                                  QStringLiteral("Favorites/News/"), QString()})
        m_temp.file(folder + leftover, "[InternetShortcut]\r\nURL=http://torn");
    m_temp.file(QStringLiteral("Favorites/News/") + leftover + QStringLiteral(".url"));
    writeStore(
        {QStringLiteral("\"DeadFavoritesInIE\"=\"1\""), QStringLiteral("\"MoveDead\"=\"1\"")});
    auto lifecycle = start();

    const QString program = m_temp.path(QStringLiteral("program/Dead Favorites"));
    const QString mirror = m_temp.path(QStringLiteral("Favorites/Dead Favorites"));
    EXPECT_THAT(m_fs.listFolder(program).files,
                ElementsAre("edited.url", "fromBrowser.url", "onlyHere.url", "removedToday.url"));
    EXPECT_EQ(m_temp.read(QStringLiteral("program/Dead Favorites/edited.url")), edited);
    EXPECT_EQ(m_tree.node(1)->children().size(), 4u);
    for (const QString& folder :
         {mirror, m_temp.path(QStringLiteral("Favorites/News")), m_temp.path()})
        EXPECT_FALSE(QFile::exists(FileSystem::join(folder, leftover))) << folder.toStdString();
    EXPECT_TRUE(QFile::exists(
        m_temp.path(QStringLiteral("Favorites/News/") + leftover + QStringLiteral(".url"))));

    m_fs.deleteFile(FileSystem::join(program, QStringLiteral("removedToday.url")), true);
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/movedToday.url"));
    m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/addedInTheBrowser.url"));
    lifecycle->unload();
    EXPECT_THAT(m_fs.listFolder(mirror).files,
                ElementsAre("addedInTheBrowser.url", "edited.url", "fromBrowser.url",
                            "movedToday.url", "onlyHere.url"));
    EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Dead Favorites/edited.url")), edited);
}

// A kill at any step of the copying at start or at exit loses no dead
// favorite: the next start and exit finish the work.
TEST(DeadFavoritesMirror, AKillAtAnyStepLosesNothing)
{
    const FileSystem fs;
    const auto readAll = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto contents = [](const QString& name) {
        return QStringLiteral("[InternetShortcut]\r\nURL=http://127.0.0.1/%1\r\n")
            .arg(name)
            .toUtf8();
    };
    const QStringList programOnly = {QStringLiteral("a.url"), QStringLiteral("b.url"),
                                     QStringLiteral("c.url")};
    const QStringList mirrorOnly = {QStringLiteral("d.url"), QStringLiteral("e.url")};
    for (const bool atExit : {false, true}) {
        int kills = 0;
        for (int killAt = 0;; ++killAt) {
            SCOPED_TRACE(testing::Message() << (atExit ? "exit" : "start") << ", step " << killAt);
            TempFolder temp;
            const QString program = temp.folder(QStringLiteral("program/Dead Favorites"));
            const QString mirror = temp.folder(QStringLiteral("Favorites/Dead Favorites"));
            for (const QString& name : programOnly)
                temp.file(QStringLiteral("program/Dead Favorites/") + name, contents(name));
            for (const QString& name : mirrorOnly)
                temp.file(QStringLiteral("Favorites/Dead Favorites/") + name, contents(name));
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
                for (const QString& name : programOnly + mirrorOnly)
                    EXPECT_EQ(readAll(FileSystem::join(folder, name)), contents(name))
                        << name.toStdString();
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

TEST_F(MainLifecycleTest, AProgramDeadFolderGoneAtExitCostsTheMirrorNothing)
{
    m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/only.url"));
    writeStore({QStringLiteral("\"DeadFavoritesInIE\"=\"1\"")});
    auto lifecycle = start();
    QDir(m_temp.path(QStringLiteral("program/Dead Favorites"))).removeRecursively();
    lifecycle->unload();
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("Favorites/Dead Favorites/only.url"))));
}

TEST_F(MainLifecycleTest, MirrorMakesBothFoldersWhenMissing)
{
    writeStore({QStringLiteral("\"DeadFavoritesInIE\"=\"1\"")});
    auto lifecycle = start();
    EXPECT_TRUE(m_fs.folderExists(m_temp.path(QStringLiteral("program/Dead Favorites"))));
    EXPECT_TRUE(m_fs.folderExists(m_temp.path(QStringLiteral("Favorites/Dead Favorites"))));
}

TEST_F(MainLifecycleTest, SaveFailureIsShownAndTheMirrorSkipped)
{
    writeStore({QStringLiteral("\"DeadFavoritesInIE\"=\"1\"")});
    auto lifecycle = start();
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/new.url"));
    // The store file is replaced by a folder: it can be neither read nor saved.
    QFile::remove(m_temp.path(QStringLiteral("registry.reg")));
    m_temp.folder(QStringLiteral("registry.reg"));
    lifecycle->unload();
    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_TRUE(m_boxes.shown()[0].title.startsWith(QStringLiteral("Error ")));
    EXPECT_EQ(logLines().size(), 1);
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites/Dead Favorites"))).files,
                IsEmpty());
}

TEST_F(MainLifecycleTest, FileMenuImportsIntoTheSelectedFolderAndExportsIt)
{
    m_temp.shortcut(QStringLiteral("Favorites/Sub/Existing.url"), QStringLiteral("http://old/"));
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/Gone.url"));
    m_temp.file(QStringLiteral("in.html"), "<DL><p><DT><A HREF=\"http://127.0.0.1/1\">Existing</A>"
                                           "<DT><A HREF=\"http://127.0.0.1/2\">New</A></DL>");
    writeStore({QStringLiteral("\"MoveDead\"=\"1\"")});
    auto lifecycle = start();
    QStringList asked;
    QString answer;
    WindowActions actions;
    actions.chooseBookmarkFile = [&](bool save) {
        asked.append(save ? "save" : "open");
        return answer;
    };
    lifecycle->setWindowActions(actions);
    const auto exported = [&](const QString& node) {
        m_tree.select(NodeNamed(m_tree, node));
        answer = m_temp.path(QStringLiteral("out.html"));
        lifecycle->RunCommand(Command::ExportFavorites);
        return QString::fromUtf8(m_temp.read(QStringLiteral("out.html")));
    };

    m_tree.select(NodeNamed(m_tree, QStringLiteral("Existing")));
    answer = m_temp.path(QStringLiteral("in.html"));
    lifecycle->RunCommand(Command::ImportBookmarks);
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites/Sub"))).files,
                ElementsAre("Existing (2).url", "Existing.url", "New.url"));
    ASSERT_NE(NodeNamed(m_tree, QStringLiteral("New")), nullptr) << "the tree was rebuilt";
    EXPECT_EQ(m_boxes.shown().last().title, QStringLiteral("Import Bookmarks"));

    EXPECT_TRUE(exported(QStringLiteral("Favorites")).contains(">New</A>"));
    EXPECT_FALSE(exported(QStringLiteral("Favorites")).contains("Gone"));
    EXPECT_TRUE(exported(QStringLiteral("Dead Favorites")).contains(">Gone</A>"));
    EXPECT_THAT(asked, ElementsAre("open", "save", "save", "save"));

    lifecycle->state().Checking = true;
    lifecycle->RunCommand(Command::ImportBookmarks);
    lifecycle->RunCommand(Command::ExportFavorites);
    EXPECT_EQ(asked.size(), 4) << "nothing is asked while a check runs";
}

} // namespace
