#include "bookmarks/BookmarkExporter.h"
#include "bookmarks/BookmarkFileReader.h"
#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkFileWriter.h"
#include "bookmarks/BookmarkImporter.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QDirIterator>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace norvale;
using namespace norvale::test;
using testing::ElementsAreArray;
using testing::UnorderedElementsAreArray;

namespace {

// "depth F title" for a folder, "depth title = url" for a link.
QStringList describe(const BookmarkList& items)
{
    QStringList lines;
    for (const BookmarkItem& item : items) {
        lines.append(item.kind == BookmarkItem::Kind::Folder
                         ? u"%1 F %2"_s.arg(item.depth).arg(item.title)
                         : u"%1 %2 = %3"_s.arg(item.depth).arg(item.title, item.url));
    }
    return lines;
}

const char* const kHead = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- DO NOT EDIT! -->\n";

struct BrowserFile {
    const char* name;
    QByteArray body;
    QStringList expected;
};

// Written from the format as each browser family lays it out.
const BrowserFile kBrowserFiles[] = {
    {"FirefoxLike",
     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
     "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'\"></meta>\n"
     "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n"
     "    <DT><A HREF=\"place:parent=toolbar_____\" ADD_DATE=\"1700000000\">Recent</A>\n"
     "    <DT><H3 ADD_DATE=\"1700000000\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks "
     "Toolbar</H3>\n    <DL><p>\n"
     "        <DT><A HREF=\"https://example.org/a?x=1&amp;y=2\" ADD_DATE=\"1700000002\" "
     "ICON=\"data:image/png;base64,AAAA\">Tom &amp; Jerry&#39;s</A>\n"
     "        <DD>A description\n        <HR>\n    </DL><p>\n"
     "    <DT><A HREF=\"javascript:alert(1)\">Bookmarklet</A>\n"
     "    <DT><A HREF=\"http://after.example/\">After &#x263A; Caf&eacute; &#150;</A>\n</DL>\n",
     {"0 Recent = place:parent=toolbar_____", "0 F Bookmarks Toolbar",
      "1 Tom & Jerry's = https://example.org/a?x=1&y=2", "0 Bookmarklet = javascript:alert(1)",
      u"0 After \u263a Caf\u00e9 \u2013 = http://after.example/"_s}},
    {"ChromiumLike",
     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
     "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
     "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"0\" "
     "PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n    <DL><p>\n"
     "        <DT><H3 ADD_DATE=\"1700000000\">Nested</H3>\n        <DL><p>\n"
     "            <DT><A HREF=\"https://example.com/\" ICON=\"data:,x\">\xc3\x9cn\xc3\xaf\x63ode "
     "\xe2\x98\x83</A>\n        </DL><p>\n"
     "        <DT><A HREF=\"ftp://ftp.example.net/pub/\">FTP</A>\n    </DL><p>\n</DL><p>\n",
     {"0 F Bookmarks bar", "1 F Nested", u"2 \u00dcn\u00efcode \u2603 = https://example.com/"_s,
      "1 FTP = ftp://ftp.example.net/pub/"}},
    // Older Edge and Internet Explorer: a Windows code page, lower-case and
    // unquoted attributes, links never closed.
    {"EdgeLike",
     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\n"
     "<TITLE>Bookmarks</TITLE>\n<H1>Favorites</H1>\n<dl><p>\n"
     "<dt><h3 folded add_date=1700000000>Caf\xe9s</h3>\n<dl><p>\n"
     "<dt><a href=\"http://cafe.example/\" add_date=1700000000>Le Caf\xe9\n"
     "<dt><a href='https://b.example/'>B\n</dl><p>\n"
     "<dt><a href=http://top.example/>Top</a>\n</dl><p>\n",
     {u"0 F Caf\u00e9s"_s, u"1 Le Caf\u00e9 = http://cafe.example/"_s, "1 B = https://b.example/",
      "0 Top = http://top.example/"}},
};

TEST(BookmarkFileReaderTest, ReadsFilesAsBrowsersWriteThem)
{
    for (const BrowserFile& file : kBrowserFiles) {
        SCOPED_TRACE(file.name);
        EXPECT_THAT(describe(ReadBookmarkFile(kHead + file.body)), ElementsAreArray(file.expected));
    }
}

// Texts that once cost time in the square of their length read as any
// other: a title of ampersands, a tag of endless attributes, quotes that
// never close.
TEST(BookmarkFileReaderTest, HostileTextsReadRight)
{
    const QByteArray ampersands(1 << 20, '&');
    const std::pair<QByteArray, QStringList> rows[] = {
        {"<DL><p><DT><A HREF=\"http://a.example/?x&amp;y\">" + ampersands + "&amp;</A></DL>",
         {"0 " + QString(ampersands) + "& = http://a.example/?x&y"}},
        {"<DL><p><DT><A HREF=\"http://a.example/\"" + QByteArray(" X=\"1\"").repeated(200'000), {}},
        {"<DL><p><DT><A HREF='http://q.example/>Q</A>"
         "<DT><A HREF=\"http://r.example/\">R</A></DL>",
         {"0 Q = http://q.example/", "0 R = http://r.example/"}},
        {"<DL><p><DT><A HREF=\"http://a.example/\" X=\"1>\">A</A>"
         "<DT><A HREF=\"http://b.example/\" Y='2'>B</A></DL>",
         {"0 A = http://a.example/", "0 B = http://b.example/"}},
    };
    for (const auto& [body, expected] : rows) {
        SCOPED_TRACE(body.left(80).toStdString());
        EXPECT_THAT(describe(ReadBookmarkFile(kHead + body)), ElementsAreArray(expected));
    }
}

// What is no bookmark file to read is refused with its reason, a file over
// the limit stated in the help among them; nothing is read from it.
TEST(BookmarkFileLoadTest, RefusesWhatIsNoFileOrTooLarge)
{
    TempFolder temp;
    const QString big = temp.file(u"big.html"_s);
    ASSERT_TRUE(QFile(big).resize(64 * 1024 * 1024 + 1)); // sparse
    const QString fifo = temp.path(u"fifo.html"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::pair<QString, QString> rows[] = {
        {big, u"larger than 64 MB"_s},
        {fifo, u"is not a file"_s},
        {temp.folder(u"folder.html"_s), u"is not a file"_s},
        {temp.path(u"missing.html"_s), u"does not exist"_s},
    };
    for (const auto& [path, reason] : rows) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        EXPECT_EQ(LoadBookmarkFile(path, error), std::nullopt);
        EXPECT_THAT(error.toStdString(), testing::HasSubstr(reason.toStdString()));
    }
    QString error;
    const auto items = LoadBookmarkFile(
        temp.file(u"ok.html"_s,
                  kHead + QByteArray("<DL><p><DT><A HREF=\"http://a.example/\">A</A>")),
        error);
    ASSERT_TRUE(items);
    EXPECT_THAT(describe(*items), ElementsAreArray({u"0 A = http://a.example/"_s}));
}

class BookmarkImportTest : public testing::Test {
protected:
    BookmarkImportTest()
        : m_target(m_temp.folder(u"target"_s))
    {}

    ImportSummary import(const QByteArray& file)
    {
        return ImportBookmarks(ReadBookmarkFile(kHead + file), m_target, m_fs);
    }

    // Every entry below the target (and nothing made beside it).
    QStringList entries() const
    {
        EXPECT_THAT(
            QDir(m_temp.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            ElementsAreArray({u"target"_s}));
        QStringList found;
        QDirIterator it(m_target,
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            EXPECT_LE(it.fileName().toUtf8().size(), 255);
            found.append(QDir(m_target).relativeFilePath(it.filePath()));
        }
        return found;
    }

    TempFolder m_temp;
    FileSystem m_fs;
    QString m_target;
};

// Unclosed tags, ten thousand levels, 50 MB: folders and favorites made, all inside.
TEST_F(BookmarkImportTest, HostileFilesImportWithinTheTarget)
{
    const std::tuple<QByteArray, int, int> files[] = {
        {"<DL><p><DT><H3>Open<DL><p><DT><A HREF=\"https://a.example/\">A"
         "<DT><A HREF=\"https://b.example/\" ICON=\"data:",
         1, 1},
        {"<DL><p>" + QByteArray("<DT><H3>L</H3><DL><p>").repeated(10'000) +
             "<DT><A HREF=\"https://deep.example/\">Deep</A>",
         32, 1},
        {"<DL><p><DT><A HREF=\"https://big.example/\" ICON=\"data:" +
             QByteArray(50 * 1024 * 1024, 'A') + "\">Big</A><DT><A HREF=\"https://t.example/\">" +
             QByteArray(1024 * 1024, 'T') + "</A></DL>",
         0, 2},
    };
    for (const auto& [file, folders, favorites] : files) {
        QDir(m_target).removeRecursively();
        m_fs.makeFolder(m_target);
        const ImportSummary summary = import(file);
        EXPECT_EQ(summary.folders, folders);
        EXPECT_EQ(summary.favorites, favorites);
        EXPECT_THAT(summary.problems, testing::IsEmpty());
        EXPECT_EQ(entries().size(), folders + favorites);
    }

    QDir(m_target).removeRecursively();
    m_fs.makeFolder(m_target);
    const QStringList titles = {
        u"a/b"_s, u".."_s, u"../../escape"_s, u"ctl\x01\x1f\x7f"_s, QString(300, 'x'), QString()};
    QByteArray file = "<DL><p>";
    for (const QString& title : titles)
        file += "<DT><A HREF=\"https://t.example/\">" + title.toUtf8() + "</A>\n";
    file += "<DT><H3>..</H3><DL><p><DT><A HREF=\"https://in.example/\">in</A></DL>";
    const ImportSummary summary = import(file);
    EXPECT_EQ(summary.favorites, titles.size() + 1);
    EXPECT_THAT(entries(), UnorderedElementsAreArray(
                               {u"a-b.url"_s, u"t.example.url"_s, u"..-..-escape.url"_s,
                                u"ctl---.url"_s, QString(251, 'x') + ".url", u"t.example (2).url"_s,
                                u"Folder"_s, u"Folder/in.url"_s}));
}

// A name of the program's own temporary files, which no listing shows, is
// taken like any other.
TEST_F(BookmarkImportTest, TakenNamesGetNumbersAndNothingIsOverwritten)
{
    m_temp.file(u"target/News.url"_s, "keep");
    m_temp.folder(u"target/Docs"_s);
    const ImportSummary summary = import(
        "<DL><p><DT><H3>docs</H3><DL><p><DT><A HREF=\"http://a.example/\">A</A></DL><p>"
        "<DT><H3>.norvale-abcdefghijkl.tmp</H3><DL><p></DL><p>"
        "<DT><A HREF=\"http://n.example/1\">news</A><DT><A HREF=\"http://n.example/2\">News</A>"
        "<DT><A HREF=\"file:///etc/passwd\">F</A><DT><A HREF=\"data:text/html,x\">D</A>"
        "<DT><A HREF=\"place:sort=8\">P</A><DT><A HREF=\"http://\">Empty host</A></DL>");
    EXPECT_EQ(summary.text(), QStringLiteral("Made 2 folders and 3 favorites; skipped 4 addresses "
                                             "that are not web or FTP addresses."));
    EXPECT_EQ(m_temp.read(u"target/News.url"_s), QByteArray("keep"));
    EXPECT_THAT(entries(),
                UnorderedElementsAreArray({u"News.url"_s, u"Docs"_s, u"docs (2)"_s,
                                           u"docs (2)/A.url"_s, u"news (2).url"_s,
                                           u"News (3).url"_s, u".norvale-abcdefghijkl.tmp (2)"_s}));
    EXPECT_EQ(ProfileFile::read(m_temp.path(u"target/News (3).url"_s), u"InternetShortcut"_s,
                                u"URL"_s, {}),
              u"http://n.example/2"_s);
}

// Progress is told before each item; a stop keeps what was made, whole,
// and says how much that is.
TEST_F(BookmarkImportTest, AStoppedImportKeepsWhatItMadeAndSaysSo)
{
    QByteArray file = "<DL><p><DT><H3>Folder</H3><DL><p>";
    for (int i = 0; i < 10; ++i)
        file += "<DT><A HREF=\"http://127.0.0.1/" + QByteArray::number(i) + "\">L" +
                QByteArray::number(i) + "</A>";
    QList<qsizetype> told;
    const ImportSummary summary =
        ImportBookmarks(ReadBookmarkFile(kHead + file + "</DL>"), m_target, m_fs,
                        [&told](qsizetype done, qsizetype total) {
                            told.append(done);
                            EXPECT_EQ(total, 11);
                            return done < 5;
                        });
    EXPECT_THAT(told, ElementsAreArray({0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_TRUE(summary.text().startsWith(u"Import cancelled. Made 1 folder and 4 favorites"_s))
        << summary.text().toStdString();
    EXPECT_THAT(entries(),
                UnorderedElementsAreArray({u"Folder"_s, u"Folder/L0.url"_s, u"Folder/L1.url"_s,
                                           u"Folder/L2.url"_s, u"Folder/L3.url"_s}));
}

TEST(BookmarkRoundTripTest, ExportThenImportGivesTheSameTree)
{
    TempFolder temp;
    const QString favorites = temp.folder(u"Favorites"_s);
    temp.shortcut(u"Favorites/Tom & Jerry's, 100% [best].url"_s,
                  u"https://example.org/?a=1&b=\"2\""_s);
    temp.shortcut(u"Favorites/\u00dcn\u00efcode \u2603.url"_s, u"http://example.com/"_s);
    temp.shortcut(u"Favorites/Sub/B.url"_s, u"ftp://ftp.example/"_s);
    temp.shortcut(u"Favorites/Sub/Deeper/Leaf.url"_s, u"http://leaf.example/"_s);
    temp.folder(u"Favorites/Empty"_s);
    temp.shortcut(u"Favorites/Dead Favorites/Gone.url"_s, u"http://gone.example/"_s);
    const FileSystem fs;
    const BookmarkList exported = CollectFavorites(favorites, fs, 0, {u"Dead Favorites"_s});
    const QString copy = temp.folder(u"Copy"_s);
    const ImportSummary summary =
        ImportBookmarks(ReadBookmarkFile(WriteBookmarkFile(exported)), copy, fs);
    EXPECT_EQ(summary.favorites, 4);
    EXPECT_EQ(summary.folders, 3);
    EXPECT_THAT(describe(CollectFavorites(copy, fs)),
                ElementsAreArray({QStringLiteral("0 Tom & Jerry's, 100% [best] = "
                                                 "https://example.org/?a=1&b=\"2\""),
                                  u"0 \u00dcn\u00efcode \u2603 = http://example.com/"_s,
                                  u"0 F Empty"_s, u"0 F Sub"_s, u"1 B = ftp://ftp.example/"_s,
                                  u"1 F Deeper"_s, u"2 Leaf = http://leaf.example/"_s}));
}

} // namespace
