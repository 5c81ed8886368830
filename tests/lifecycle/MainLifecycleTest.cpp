#include "shell/lifecycle/MainLifecycle.h"
#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/ImageList.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "platform/WindowFrame.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDir>
#include <QTimeZone>

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

TEST_F(MainLifecycleTest, DeadFavoritesAreMirroredInAtStartAndOutAtExit)
{
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/stale.url"));
    m_temp.shortcut(QStringLiteral("Favorites/Dead Favorites/fromBrowser.url"));
    writeStore(
        {QStringLiteral("\"DeadFavoritesInIE\"=\"1\""), QStringLiteral("\"MoveDead\"=\"1\"")});
    auto lifecycle = start();
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("program/Dead Favorites"))).files,
                ElementsAre("fromBrowser.url"));
    EXPECT_EQ(m_tree.node(2)->text(), QStringLiteral("fromBrowser"));
    EXPECT_EQ(m_tree.node(3)->text(), QStringLiteral("Favorites"));
    EXPECT_EQ(m_tree.count(), 3) << "the mirror inside the Favorites folder is not shown";

    m_temp.shortcut(QStringLiteral("program/Dead Favorites/movedToday.url"));
    lifecycle->unload();
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("Favorites/Dead Favorites"))).files,
                ElementsAre("fromBrowser.url", "movedToday.url"));
}

TEST_F(MainLifecycleTest, MirrorMakesBothFoldersWhenMissing)
{
    writeStore({QStringLiteral("\"DeadFavoritesInIE\"=\"1\"")});
    auto lifecycle = start();
    EXPECT_TRUE(m_fs.folderExists(m_temp.path(QStringLiteral("program/Dead Favorites"))));
    EXPECT_TRUE(m_fs.folderExists(m_temp.path(QStringLiteral("Favorites/Dead Favorites"))));
}

TEST_F(MainLifecycleTest, UnlistableMirrorNeverEmptiesTheProgramsDeadFavorites)
{
    m_temp.shortcut(QStringLiteral("program/Dead Favorites/keep.url"));
    m_temp.file(QStringLiteral("Favorites/Dead Favorites"), "a file where the folder should be");
    writeStore({QStringLiteral("\"DeadFavoritesInIE\"=\"1\"")});
    auto lifecycle = start();
    EXPECT_THAT(m_fs.listFolder(m_temp.path(QStringLiteral("program/Dead Favorites"))).files,
                ElementsAre("keep.url"));
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

} // namespace
