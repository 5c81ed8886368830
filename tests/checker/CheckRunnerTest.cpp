// Check runs over real favorites, probing the fixture server, and their reports.

#include "checker/RunReport.h"
#include "checker/UnattendedReport.h"
#include "CheckerRig.h"
#include "favorites/FavoriteEditor.h"
#include "platform/ProfileFile.h"
#include "support/SmallDisk.h"

#include <chrono>
#include <gmock/gmock.h>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTimer>
#include <QTimeZone>
#include <sys/stat.h>
#include <thread>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

QString page(const QString& body, int status = 200, const QString& header = {})
{
    QList<std::pair<QString, QString>> query{{"body", body}, {"status", QString::number(status)}};
    if (!header.isEmpty())
        query.append({"header", header});
    return server().url(FixtureServer::path("/page", query));
}
QString redirect(const QString& to, int pad = 0, int status = 301)
{
    return server().url(FixtureServer::path(
        "/redirect",
        {{"to", to}, {"pad", QString::number(pad)}, {"status", QString::number(status)}}));
}

class CheckRunnerTest : public testing::Test, public CheckerRig {
protected:
    CheckRunnerTest()
    {
        settings.AutoThrottle = false;
        runner.setCommandUpdater([this](CommandState state) { m_commands.append(int(state)); });
    }
    QString urlIn(const QString& relative) const
    {
        return ProfileFile::read(temp.path("Favorites/" + relative + ".url"), "InternetShortcut",
                                 "URL", {});
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const MessageRequest& box : boxes.shown())
            texts.append(box.text);
        return texts;
    }
    QList<int> m_commands;
};

// A folder run, then all: lights, and names from titles where renaming is
// allowed and the page no error; one favorite alone is checked without a word.
TEST_F(CheckRunnerTest, AllFavoritesGetTheirLightsNamesAndAddresses)
{
    settings.ShowNew = true;
    const QString target = titled("New Home");
    const QStringList rename{"Rename=1"};
    favorite("Skipped", titled("Never asked"), {"Bypass=1"});
    favorite("News/Fresh",
             page("<title>Fresh</title>", 200, "Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT"));
    favorite("News/Undated", titled("Undated"));
    favorite("Moved", redirect(target), rename);
    favorite("Dots", titled(".."), rename);
    favorite("Long", server().url("/page?title=%C3%A9&repeat=300"), rename);
    favorite("News/Deeper/Three", titled("Three"));
    favorites.BuildFavoritesTree();
    tree.select(NodeNamed(tree, "Skipped"));
    runner.CheckOneLink();
    EXPECT_EQ(lightsOf({"Skipped"}), "GRAYDOT");
    EXPECT_THAT(m_commands, IsEmpty());
    // A subfolder closed in the view shows the closed picture, and stays a folder.
    TreeNode* deeper = NodeNamed(tree, "Deeper");
    tree.setImage(deeper, ImageList::position(ImageKey::Folder));
    tree.setSelectedImage(deeper, ImageList::position(ImageKey::Folder));
    runner.CheckFolderLinks(NodeNamed(tree, "Fresh"));
    EXPECT_EQ(lightsOf({"Fresh", "Deeper", "Three", "Moved"}), "GREENNEW FOLDER IELOGO IELOGO");
    runner.CheckAllLinks();

    EXPECT_EQ(lightsOf({"Skipped", "Fresh", "Undated", "Moved", "New Home", "Dots"}),
              "GRAYDOT GREENNEW GREENCHECK <gone> GREENCHECK GREENCHECK")
        << "a page with no date of its own is not new; \"..\" names no favorite (an error "
           "page's title, and renaming off, are RealVerdictsTest's)";
    EXPECT_EQ(urlIn("New Home"), target);
    // 127 characters of two bytes each would pass the file system's 255.
    const QString fitted(125, QChar(0x00e9));
    EXPECT_EQ(lightsOf({fitted}), "GREENCHECK");
    EXPECT_TRUE(QFile::exists(temp.path("Favorites/" + fitted + ".url")));
    EXPECT_THAT(messages(),
                ElementsAre("All Favorites in Directory Checked", "All Favorites Checked"));
    EXPECT_EQ(status.panelText(2), QString());
    EXPECT_FALSE(state.Checking);

    settings.ShowNew = false;
    tree.select(NodeNamed(tree, "Fresh"));
    runner.CheckOneLink();
    EXPECT_EQ(lightsOf({"Fresh"}), "GREENCHECK") << "updated pages show as new only when asked to";
    EXPECT_EQ(boxes.shown().size(), 2);
    EXPECT_THAT(m_commands, ElementsAre(5, 6, 5, 6));
}

// The verdict comes from the end of the chain, and only a permanent move
// (301, 308, a refresh tag) to a live page, within twenty hops, to an
// address the file gives back as written, changes a favorite's address
// (RealVerdictsTest has loops, chains ending in 404 or 503, refused and
// script targets).
TEST_F(CheckRunnerTest, OnlyPermanentMovesToLivePagesAreWritten)
{
    const QString limit = server().url("/page?title=Far&x=");
    const QString live = titled("Live");
    const QString refresh =
        page("<meta http-equiv=\"refresh\" content=\"0; URL=" + live.toHtmlEscaped() + "\">");
    const struct {
        QString start;
        QString want;         // the light, then the address written when it changed
        QString renamed = {}; // the end page's title, when the favorite takes it
    } rows[] = {
        {server().url("/hops?n=20&status=308"),
         "GREENCHECK " + server().url("/hops?n=0&status=308"), "Chain End"},
        {server().url("/hops?n=21&status=301"), "YELLOWRESULT"},
        {server().url("/hops?n=3"), "GREENCHECK"},
        {redirect(live, 0, 302), "GREENCHECK"},
        {redirect(live, 0, 307), "GREENCHECK"},
        {redirect(redirect(live, 0, 302)), "GREENCHECK"},
        {redirect("https://127.0.0.1:1/s"), "YELLOWRESULT"},
        {redirect("file:///etc/passwd"), "YELLOWRESULT"},
        {redirect("https://:443/"), "YELLOWRESULT"},
        {refresh, "GREENCHECK " + live, "Live"},
        {redirect("/page?title=Far&x=", 2083 - limit.size()),
         "GREENCHECK " + limit + QString(2083 - limit.size(), 'a'), "Far"},
        {redirect("/page?title=Far&x=", 2084 - limit.size()), "GREENCHECK"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        favorite(QStringLiteral("Row %1").arg(i), rows[i].start, {"Rename=1"});
    checkAll();
    for (size_t i = 0; i < std::size(rows); ++i) {
        const QString name =
            rows[i].renamed.isEmpty() ? QStringLiteral("Row %1").arg(i) : rows[i].renamed;
        const QString url = urlIn(name);
        EXPECT_EQ(lightsOf({name}) + (url == rows[i].start ? "" : " " + url), rows[i].want)
            << "row " << i;
    }
}

// Dead favorites from any depth (a folder called Favorites is no root) move
// without overwriting one there or confusing names differing only in case.
TEST_F(CheckRunnerTest, DeadFavoritesAreMovedWithoutLosingAny)
{
    settings.MoveDead = true;
    const QString live = titled("Live");
    const QString dead = page({}, 404);
    favorite("Gone", page({}, 410));
    favorite("Twin", dead);
    favorite("Sub/Same", dead);
    favorite("Favorites/Live", live);
    favorite("Z/Last Dead", dead);
    for (int round = 0; round < 2; ++round) {
        // Made in both orders, so the order the folder lists them in cannot help.
        const QString folder = QStringLiteral("Twins %1/").arg(round);
        favorite(folder + (round ? "C" : "c"), round ? dead + "&r=1" : live);
        favorite(folder + (round ? "c" : "C"), round ? live : dead + "&r=0");
    }
    // Already dead: one copy the same as "Same", one "Twin" that differs.
    temp.file("program/Dead Favorites/Same.url", temp.read("Favorites/Sub/Same.url"));
    temp.file("program/Dead Favorites/Twin.url", "[InternetShortcut]\r\nURL=x\r\n");
    // A FIFO of a dead favorite's name, which nobody ever writes to.
    favorite("Pipe", dead);
    ASSERT_EQ(::mkfifo(QFile::encodeName(temp.path("program/Dead Favorites/Pipe.url")), 0600), 0);
    checkAll();

    EXPECT_THAT(fs.listFolder(temp.path("program/Dead Favorites")).files,
                ElementsAre("C (2).url", "C.url", "Gone.url", "Last Dead.url", "Pipe (2).url",
                            "Same.url", "Twin (2).url", "Twin.url"));
    for (const char* kept : {"Favorites/Live", "Twins 0/c", "Twins 1/c"})
        EXPECT_EQ(urlIn(kept), live);
    for (const QString moved : {"Gone", "Sub/Same", "Z/Last Dead", "Twins 0/C", "Twins 1/C"})
        EXPECT_FALSE(QFile::exists(temp.path("Favorites/" + moved + ".url")));
    EXPECT_EQ(tree.node(1)->childCount(), 8);
}

// On a full disk each dead favorite stays whole where it was; the log says why.
TEST_F(CheckRunnerTest, DeadFavoritesStayWholeWhenTheirFolderIsOnAFullDisk)
{
    const SmallDisk disk(temp.folder("program/Dead Favorites"));
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    disk.fill();
    settings.MoveDead = true;
    QList<QByteArray> before;
    for (int i = 0; i < 5; ++i) {
        favorite(QStringLiteral("Gone %1").arg(i), page(QString::number(i), 404));
        before.append(temp.read(QStringLiteral("Favorites/Gone %1.url").arg(i)));
    }
    checkAll();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(temp.read(QStringLiteral("Favorites/Gone %1.url").arg(i)), before[i]);
    EXPECT_EQ(lightsOf({"Gone 0", "Gone 4"}), "REDRESULT REDRESULT");
    EXPECT_THAT(fs.listFolder(disk.path()).files, ElementsAre("filler"));
    EXPECT_EQ(temp.lines("program/ERROR.LOG").size(), 5);
}

TEST_F(CheckRunnerTest, TroubleWithOneFavoriteNeverStopsTheRun)
{
    favorite("A Locked", redirect(titled("Target")), {"Rename=1"});
    favorite("B Slow", server().url("/page?delay=400"));
    favorite("C Vanishing", titled("C"));
    favorite("D Folder", titled("D"));
    favorite("E Last", titled("E Last"));
    QFile::setPermissions(temp.path("Favorites/A Locked.url"), QFileDevice::ReadOwner);
    // A favorite's first lines, then nothing for 2 GB (sparse, so it takes no disk).
    favorite("F Huge", titled("Huge"));
    const qint64 huge = qint64(2) << 30;
    ASSERT_TRUE(QFile::resize(temp.path("Favorites/F Huge.url"), huge));
    // While the slow page is awaited, one favorite goes and one becomes a folder.
    QTimer::singleShot(150, [this] {
        QFile::remove(temp.path("Favorites/C Vanishing.url"));
        QFile::remove(temp.path("Favorites/D Folder.url"));
        temp.folder("Favorites/D Folder.url");
    });
    checkAll();
    // The verdict stands when the address cannot be written; a malformed favorite gets no check.
    EXPECT_EQ(lightsOf({"A Locked", "C Vanishing", "D Folder", "E Last", "F Huge"}),
              "GREENCHECK YELLOWRESULT YELLOWRESULT GREENCHECK IELOGO");
    EXPECT_EQ(QFileInfo(temp.path("Favorites/F Huge.url")).size(), huge);
    const QStringList log = temp.lines("program/ERROR.LOG");
    ASSERT_EQ(log.size(), 2) << log.join("\n").toStdString();
    EXPECT_TRUE(log[1].contains("F Huge.url")) << log.join("\n").toStdString();
}

// Another program at work while a favorite's page is held back: an address
// it wrote stays (no redirect written over it, no rename from the old
// address's page), and a favorite it deleted stays deleted.
TEST_F(CheckRunnerTest, WhatAnotherProgramDidDuringTheCheckStands)
{
    const QString other = QStringLiteral("http://127.0.0.1:1/other");
    const QString held = QStringLiteral("&delay=600");
    const struct {
        const char* name;
        QString url;
        bool deleteIt;
    } rows[] = {
        {"Moved", redirect(titled("Target")) + held, false},
        {"Titled", titled("New Title", "600"), false},
        {"Deleted", redirect(titled("Target")) + held, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        favorite(row.name, row.url, {"Rename=1"});
        const QString file = temp.path(QStringLiteral("Favorites/%1.url").arg(row.name));
        favorites.RefreshLinks();
        tree.select(NodeNamed(tree, row.name));
        // Another program, played by a thread of its own.
        std::thread otherProgram([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (row.deleteIt)
                QFile::remove(file);
            else
                ProfileFile::write(file, "InternetShortcut", "URL", other);
        });
        runner.CheckOneLink();
        otherProgram.join();
        EXPECT_EQ(QFile::exists(file), !row.deleteIt);
        if (!row.deleteIt) {
            EXPECT_EQ(urlIn(row.name), other);
        }
        QFile::remove(file);
    }
    const QStringList log = temp.lines("program/ERROR.LOG");
    ASSERT_EQ(log.size(), 3) << log.join("\n").toStdString();
    EXPECT_TRUE(log[1].contains("changed or went while it was checked, so it keeps its name"));
}

// A link in Dead Favorites bearing a dead favorite's name, leading to that
// very favorite, is no copy of it: the favorite is moved beside it, never
// deleted as a duplicate.
TEST_F(CheckRunnerTest, ALinkInDeadFavoritesNeverCostsTheOnlyCopy)
{
    settings.MoveDead = true;
    favorite("Linked", page({}, 404));
    const QByteArray bytes = temp.read("Favorites/Linked.url");
    temp.folder("program/Dead Favorites");
    ASSERT_TRUE(QFile::link(temp.path("Favorites/Linked.url"),
                            temp.path("program/Dead Favorites/Linked.url")));
    checkAll();
    EXPECT_EQ(temp.read("program/Dead Favorites/Linked (2).url"), bytes);
    EXPECT_TRUE(QFileInfo(temp.path("program/Dead Favorites/Linked.url")).isSymLink());
}

// A folder linked into Favorites from elsewhere is shown and checked, but
// nothing there is changed: no address, name, history or move by a run, no
// delete, rename or paste by the user, who is told why.
TEST_F(CheckRunnerTest, NothingIsChangedThroughALinkOutOfFavorites)
{
    settings.MoveDead = settings.ChangeName = true;
    const QString outside = temp.folder("Outside");
    const QMap<QString, QByteArray> files{
        {"Moved", "[InternetShortcut]\r\nURL=" + redirect(titled("Target")).toUtf8() + "\r\n"},
        {"Named", "[InternetShortcut]\r\nURL=" + titled("Better Name").toUtf8() + "\r\n"},
        {"Dead", "[InternetShortcut]\r\nURL=" + page({}, 404).toUtf8() + "\r\n"},
        {"Refused", "[InternetShortcut]\r\nURL=http://127.0.0.1:1/\r\n"},
    };
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        temp.file("Outside/" + it.key() + ".url", it.value());
    favorite("Home", titled("Home"));
    ASSERT_TRUE(QFile::link(outside, temp.path("Favorites/Linked")));
    const auto untouched = [&] {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            EXPECT_EQ(temp.read("Outside/" + it.key() + ".url"), it.value())
                << it.key().toStdString();
    };
    checkAll();
    untouched();
    EXPECT_EQ(lightsOf({"Moved", "Named", "Dead", "Refused"}),
              "GREENCHECK GREENCHECK REDRESULT YELLOWRESULT");
    EXPECT_TRUE(
        NodeNamed(tree, "Dead")
            ->status()
            .reason.endsWith("(left as it is: its folder is linked from outside Favorites)"));

    FavoriteEditor& editor = services.editor();
    for (const char* name : {"Named", "Linked"}) {
        tree.select(NodeNamed(tree, name));
        boxes.answerNext(MessageAnswer::Yes);
        editor.DeleteNode();
        EXPECT_EQ(editor.RenameLink("Other", NodeNamed(tree, name)), RenameOutcome::Failed);
    }
    tree.select(NodeNamed(tree, "Home"));
    editor.CopyNode();
    tree.select(NodeNamed(tree, "Linked"));
    editor.PasteNode();
    untouched();
    EXPECT_THAT(fs.listFolder(outside).files,
                ElementsAre("Dead.url", "Moved.url", "Named.url", "Refused.url"));
    EXPECT_TRUE(QFileInfo(temp.path("Favorites/Linked")).isSymLink());
    EXPECT_TRUE(boxes.shown().last().text.contains("outside the Favorites folder"))
        << boxes.shown().last().text.toStdString();
}

TEST_F(CheckRunnerTest, UnattendedRunReportsEveryFavorite)
{
    state.InspectMode = true;
    settings.MoveDead = true;
    favorite("Alive", titled("Alive"));
    favorite("Folder/Dead", page({}, 404));
    favorite("Folder/Old Name", titled("New Name"), {"Rename=1"});
    favorite("Folder/Skipped", titled("x"), {"Bypass=1"});
    favorite("Odd\tname\nhere\\", "http://127.0.0.1:1/a\tb", {"Bypass=1"});
    checkAll();
    EXPECT_THAT(boxes.shown(), IsEmpty());
    const QList<ReportEntry> entries = UnattendedReportEntries(runner);
    QStringList lines = UnattendedReportLines(entries);
    ASSERT_EQ(lines.size(), 6);
    // One row, with what would split it escaped.
    ASSERT_TRUE(lines.removeOne("skipped\tOdd\\tname\\nhere\\\\\thttp://127.0.0.1:1/a\\tb"))
        << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], "alive\tAlive\t" + titled("Alive"));
    EXPECT_EQ(lines[1], "dead\tDead Favorites/Dead\t" + page({}, 404));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const ReportEntry& e) {
        return e.renamedTo == "New Name" && e.path == "Folder/Old Name";
    })) << "reported under the name the run met it by";
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const ReportEntry& e) {
        return e.path == "Folder/Skipped" && e.light == Light::Gray &&
               e.reason == "not checked: set to be skipped";
    }));
    EXPECT_EQ(lines[4], "Checked 5 favorites: 2 alive, 0 changed, 0 no answer, 1 dead, 2 skipped, "
                        "1 moved to Dead Favorites");
    EXPECT_EQ(tree.node(1)->childCount(), 0) << "no dead node is added when unattended";
}

// Report files keep what pages say from becoming formulas, markup or links.
TEST(RunReport, HostileTitlesStayText)
{
    ReportEntry entry;
    entry.path = "Folder/Name, with \"quotes\"";
    entry.addressBefore = "http://127.0.0.1/old";
    entry.addressAfter = "javascript:alert(1)";
    entry.light = Light::Alive;
    entry.code = 200;
    entry.reason = "<b>moved</b> to /new, then 200 OK";
    entry.title = "=HYPERLINK(\"x\")<script>alert(1)</script>\nline";
    const QDateTime finished(QDate(2026, 3, 14), QTime(15, 9), QTimeZone::utc());
    const auto format = [&](ReportFormat f) { return FormatReport(f, {entry}, finished); };
    EXPECT_EQ(QString(format(ReportFormat::Csv)).section("\r\n", 1),
              "\"Folder/Name, with \"\"quotes\"\"\",http://127.0.0.1/old,javascript:alert(1),"
              "alive,200,\"'=HYPERLINK(\"\"x\"\")<script>alert(1)</script>\nline\",,,,"
              "\"<b>moved</b> to /new, then 200 OK\",,0\r\n");
    const QString html = format(ReportFormat::Html);
    EXPECT_FALSE(html.contains("<script", Qt::CaseInsensitive) || html.contains("src=") ||
                 html.contains("href=\"javascript"));
    EXPECT_TRUE(html.contains("&lt;b&gt;moved&lt;/b&gt; to /new, then 200 OK"));
    EXPECT_TRUE(html.contains("href=\"http://127.0.0.1/old\""));
    const QJsonObject json = QJsonDocument::fromJson(format(ReportFormat::Json)).object();
    EXPECT_EQ(json["favorites"][0]["title"].toString(), entry.title);
    EXPECT_EQ(json["favorites"][0]["reason"].toString(), entry.reason);
    EXPECT_EQ(json["summary"]["alive"].toInt(), 1);
}

// A report's status is the code of the answer, -1 for silence, 0 when nothing was asked.
TEST(RunReport, StatusIsTheCodeOfTheAnswer)
{
    const struct {
        Light light;
        int code;
        int status;
        const char* name;
    } rows[] = {
        {Light::Dead, 503, 503, "dead"},       {Light::Warning, 0, -1, "no-answer"},
        {Light::New, 200, 200, "changed"},     {Light::Gray, 0, 0, "skipped"},
        {Light::Unchecked, 0, 0, "unchecked"},
    };
    for (const auto& row : rows) {
        ReportEntry entry;
        entry.light = row.light;
        entry.code = row.code;
        const QJsonObject json =
            QJsonDocument::fromJson(FormatReport(ReportFormat::Json, {entry}, {})).object();
        EXPECT_EQ(json["favorites"][0]["status"].toInt(), row.status) << row.name;
        EXPECT_EQ(json["favorites"][0]["light"].toString(), row.name);
        const QString csvRow =
            QString(FormatReport(ReportFormat::Csv, {entry}, {})).section("\r\n", 1);
        EXPECT_EQ(csvRow.section(',', 3, 4), QStringLiteral("%1,%2").arg(row.name).arg(row.status));
    }
}

// A favorite failing check after check is named so in every report, and
// the page lists such favorites first.
TEST(RunReport, FailingForAWhileComesFirst)
{
    ReportEntry failing;
    failing.path = "Old Site";
    failing.light = Light::Warning;
    failing.reason = "no answer within 1 s since 20 Nov 2026 (3 checks)";
    failing.history = {QDate(2026, 11, 20), 3};
    ReportEntry once = failing;
    once.path = "New Trouble";
    once.history = {QDate(2026, 12, 7), 1};
    ReportEntry alive;
    alive.path = "Fine";
    alive.light = Light::Alive;
    const QList<ReportEntry> entries{alive, once, failing};
    const QJsonArray json =
        QJsonDocument::fromJson(FormatReport(ReportFormat::Json, entries, {}))["favorites"]
            .toArray();
    EXPECT_EQ(json[2]["failingSince"].toString() + " " +
                  QString::number(json[2]["failures"].toInt()),
              "2026-11-20 3");
    EXPECT_TRUE(json[0]["failingSince"].isNull());
    const QStringList csv = QString(FormatReport(ReportFormat::Csv, entries, {})).split("\r\n");
    EXPECT_TRUE(csv[0].endsWith(",reason,failing_since,failures"));
    EXPECT_TRUE(csv[3].endsWith(",2026-11-20,3")) << csv[3].toStdString();
    const QString html = FormatReport(ReportFormat::Html, entries, {});
    const qsizetype section = html.indexOf("Failing for a while (1)</h2>");
    ASSERT_GE(section, 0);
    EXPECT_LT(section, html.indexOf("No answer (2)</h2>"));
    EXPECT_EQ(html.indexOf("Old Site"), html.indexOf("<td>Old Site</td>", section) + 4)
        << "first mention in the section that comes first";
}

} // namespace
