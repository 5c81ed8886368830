// Checking many favorites at once gives exactly what checking them one at a
// time gives: the same lights, files, names, addresses, moves and time-out.

#include "checker/CheckRunner.h"
#include "checker/Probe.h"
#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDirIterator>
#include <QTimer>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;

namespace {

FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

QString page(const QList<std::pair<QString, QString>>& query)
{
    return server().url(FixtureServer::path(QStringLiteral("/page"), query));
}

// One collection, checked once with the given number of checks at once.
class CheckedCollection {
public:
    explicit CheckedCollection(int parallel)
    {
        m_settings.Timeout = 1000;
        m_settings.AutoThrottle = true;
        m_settings.ShowNew = true;
        m_settings.MoveDead = true;
        m_settings.Parallel = parallel;
        ChooseLightImages(m_settings, m_images);
        m_state.FavoritesPath = m_temp.folder(QStringLiteral("Favorites"));
        m_state.LastRunGmt = QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc());
        fill();
    }

    void favorite(const QString& relative, const QString& url, const QStringList& own = {})
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n";
        if (!own.isEmpty())
            bytes += "[Brimwick]\r\n" + own.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        m_temp.file(QStringLiteral("Favorites/") + relative + QStringLiteral(".url"), bytes);
    }

    void fill()
    {
        for (int i = 0; i < 14; ++i) {
            favorite(QStringLiteral("Alive/Site %1").arg(i, 2, 10, QLatin1Char('0')),
                     page({{"delay", QString::number(10 + (i * 37) % 120)},
                           {"body", QStringLiteral("<title>Site %1</title>").arg(i)}}));
        }
        for (int i = 0; i < 5; ++i)
            favorite(QStringLiteral("Quiet/Never %1").arg(i),
                     server().url(QStringLiteral("/silent?ms=4000&n=%1").arg(i)));
        favorite(QStringLiteral("Mixed/Dead"), page({{"status", "404"}}));
        favorite(QStringLiteral("Mixed/Gone"),
                 page({{"status", "410"}, {"body", "<title>x</title>"}}));
        favorite(QStringLiteral("Mixed/Moved"),
                 server().url(FixtureServer::path(
                     QStringLiteral("/redirect"),
                     {{"to", page({{"body", QStringLiteral("<title>Moved Here</title>")}})}})),
                 {QStringLiteral("Rename=1")});
        favorite(QStringLiteral("Mixed/Renamed"),
                 page({{"body", QStringLiteral("<title>Better Name</title>")}}),
                 {QStringLiteral("Rename=1")});
        favorite(QStringLiteral("Mixed/Skipped"),
                 page({{"body", QStringLiteral("<title>s</title>")}}),
                 {QStringLiteral("Bypass=1")});
        favorite(QStringLiteral("Mixed/Patient"),
                 page({{"delay", "1300"}, {"body", QStringLiteral("<title>Patient</title>")}}),
                 {QStringLiteral("Timeout=2000")});
        favorite(QStringLiteral("Mixed/Hasty"),
                 page({{"delay", "1300"}, {"body", QStringLiteral("<title>Hasty</title>")}}),
                 {QStringLiteral("Timeout=600")});
        favorite(
            QStringLiteral("Mixed/Fresh"),
            page({{"body", QStringLiteral("<title>Fresh</title>")},
                  {"header", QStringLiteral("Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT")}}));
        favorite(
            QStringLiteral("Mixed/Slow Start"),
            server().url(FixtureServer::rawPath("HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n"
                                                "<title>Trickle</title>" +
                                                    QByteArray(200, ' '),
                                                0, 100)));
    }

    // Everything a run leaves behind, as text to compare.
    QStringList snapshot() const
    {
        QStringList lines;
        for (int i = 1; i <= m_tree.count(); ++i) {
            const TreeNode* node = m_tree.node(i);
            lines.append(
                QStringLiteral("node %1 %2").arg(node->text(), m_images.key(node->image())));
        }
        QDirIterator files(m_temp.path(), QDir::Files, QDirIterator::Subdirectories);
        QStringList contents;
        while (files.hasNext()) {
            const QString path = files.next();
            if (path.endsWith(QLatin1String(".url")))
                contents.append(
                    QDir(m_temp.path()).relativeFilePath(path) + QLatin1Char(' ') +
                    QString::fromUtf8(m_temp.read(QDir(m_temp.path()).relativeFilePath(path))));
        }
        contents.sort();
        lines += contents;
        lines.append(QStringLiteral("timeout %1").arg(m_settings.Timeout));
        return lines;
    }

    TempFolder m_temp;
    FixedClock m_clock{QDateTime(QDate(2026, 6, 1), QTime(12, 0))};
    ImageList m_images;
    AppSettings m_settings;
    MainWindowState m_state;
    TreeControl m_tree;
    FileSystem m_fs;
    ScriptedMessageBoxes m_boxes;
    StatusBarModel m_status{2};
    QString m_program = m_temp.folder(QStringLiteral("program"));
    ErrorLog m_log{m_program, m_boxes, m_clock};
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    Probe m_probe{m_control, m_settings, m_clock};
    ShortcutFile m_shortcuts{m_settings, m_fs, m_program, nullptr};
    FavoritesTree m_favorites{m_tree, m_images, m_settings, m_state, m_fs, m_log, m_program};
    FavoriteEditor m_editor{{m_tree, m_images, m_fs, m_log, m_boxes, m_settings, m_state,
                             m_favorites, m_shortcuts, nullptr}};
    CheckRunner m_runner{{m_tree, m_images, m_settings, m_state, m_shortcuts, m_probe, m_favorites,
                          m_editor, m_status, m_boxes, m_log, m_fs, m_program, m_engine,
                          m_control}};
};

// Paths inside the snapshot differ only by the temporary folder, which is
// not in it (paths are relative).
TEST(ParallelRun, AllFavoritesGiveTheSameAsOneAtATime)
{
    CheckedCollection single(1);
    single.m_favorites.BuildFavoritesTree();
    single.m_runner.CheckAllLinks();
    CheckedCollection many(24);
    many.m_favorites.BuildFavoritesTree();
    many.m_runner.CheckAllLinks();
    const QStringList expected = single.snapshot();
    EXPECT_EQ(many.snapshot(), expected);
    // The run did exercise what it should.
    EXPECT_TRUE(expected.contains(QStringLiteral("node Better Name GREENCHECK")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Patient GREENCHECK")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Hasty YELLOWRESULT")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Fresh GREENNEW")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Skipped GRAYDOT")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Slow Start GREENCHECK")))
        << "a page cut at its time-out is judged on what had come";
}

TEST(ParallelRun, OneFolderGivesTheSameAsOneAtATime)
{
    CheckedCollection single(1);
    single.m_favorites.BuildFavoritesTree();
    CheckedCollection many(24);
    many.m_favorites.BuildFavoritesTree();
    auto folder = [](CheckedCollection& run) {
        for (int i = 1; i <= run.m_tree.count(); ++i) {
            if (run.m_tree.node(i)->text() == QLatin1String("Mixed"))
                return run.m_tree.node(i);
        }
        return static_cast<TreeNode*>(nullptr);
    };
    single.m_runner.CheckFolderLinks(folder(single));
    many.m_runner.CheckFolderLinks(folder(many));
    EXPECT_EQ(many.snapshot(), single.snapshot());
}

TEST(ParallelRun, StopLeavesWhatIsLeftUnchecked)
{
    CheckedCollection many(24);
    many.m_favorites.BuildFavoritesTree();
    QTimer::singleShot(300, [&] { many.m_runner.stop(); });
    many.m_runner.CheckAllLinks();
    int unchecked = 0;
    for (int i = 1; i <= many.m_tree.count(); ++i)
        unchecked += many.m_tree.node(i)->image() == many.m_settings.LightUnchecked;
    EXPECT_GT(unchecked, 0);
    EXPECT_EQ(many.m_boxes.shown().last().text, QStringLiteral("Favorites Checking Aborted"));
}

} // namespace
