#include "platform/ProfileFile.h"
#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"
#include "support/ErrorNumber.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <random>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using norvale::NorvaleError;
using norvale::ProfileFile;
namespace ErrorNumber = norvale::ErrorNumber;

namespace {

using norvale::test::errorOf;

// The text as UTF-16 bytes of the given order, without a byte-order mark.
QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xff);
        const char high = char(c.unicode() >> 8);
        bytes += bigEndian ? QByteArray(1, high) + low : QByteArray(1, low) + high;
    }
    return bytes;
}

// The bytes of a literal, NULs included.
template <qsizetype N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// A shortcut as browsers write it, cut where the tests change it.
const QByteArray kHead = "[DEFAULT]\r\nBASEURL=https://example.test/\r\n[InternetShortcut]\r\n";
const QByteArray kUrlLine = "URL=https://example.test/\r\n";
const QByteArray kTail = "WorkingDirectory=C:\\\r\nHotKey=0\r\nIconIndex=0\r\n"
                         "IconFile=https://example.test/favicon.ico\r\nIDList=\r\n"
                         "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
const QByteArray kShortcut = kHead + kUrlLine + kTail;

class ProfileFileFixture : public testing::Test {
protected:
    void TearDown() override { norvale::SetFileFaultForTesting({}); }

    // Writes the bytes to a shortcut file and reads one key back.
    QString readFrom(const QByteArray& bytes, const QString& section, const QString& key,
                     const QString& fallback = u"<none>"_s, int limit = ProfileFile::kWhole)
    {
        return ProfileFile::read(dir.file(u"r.url"_s, bytes), section, key, fallback, limit);
    }
    // Writes the bytes to a file, sets one key and gives the file's new bytes.
    QByteArray afterWrite(const QByteArray& bytes, const QString& section, const QString& key,
                          const QString& value)
    {
        const QString file = dir.file(u"w.url"_s, bytes);
        ProfileFile::write(file, section, key, value);
        return dir.read(u"w.url"_s);
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    norvale::test::TempFolder dir;
};

class ProfileShortcutRoundTripTest : public ProfileFileFixture {};

TEST_F(ProfileShortcutRoundTripTest, ReadsEveryKeyOfABrowserShortcut)
{
    const QString file = dir.file(u"Fav/Example.url"_s, kShortcut);

    EXPECT_EQ(ProfileFile::read(file, u"DEFAULT"_s, u"BASEURL"_s, {}), u"https://example.test/"_s);
    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}),
              u"https://example.test/"_s);
    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"WorkingDirectory"_s, {}), u"C:\\"_s);
    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"IDList"_s, u"none"_s), u""_s);
    EXPECT_EQ(ProfileFile::read(file, u"{000214A0-0000-0000-C000-000000000046}"_s, u"Prop3"_s, {}),
              u"19,2"_s);
    // Keys belong to their own section only.
    EXPECT_EQ(ProfileFile::read(file, u"DEFAULT"_s, u"HotKey"_s, u"none"_s), u"none"_s);
    EXPECT_EQ(ProfileFile::read(file, u"Brimwick"_s, u"Timeout"_s, u"none"_s), u"none"_s);
    EXPECT_EQ(
        ProfileFile::read(dir.path(u"Fav/Gone.url"_s), u"InternetShortcut"_s, u"URL"_s, u"none"_s),
        u"none"_s);
}

TEST_F(ProfileShortcutRoundTripTest, WritingAddingAndDeletingChangeOnlyTheirLines)
{
    const QString file = dir.file(u"Fav/Example.url"_s, kShortcut);

    ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s,
                       u"https://moved.example.test/a?b=c"_s);
    const QByteArray moved = kHead + "URL=https://moved.example.test/a?b=c\r\n" + kTail;
    ASSERT_EQ(dir.read(u"Fav/Example.url"_s), moved);

    ProfileFile::write(file, u"Brimwick"_s, u"Timeout"_s, u"30"_s);
    ASSERT_EQ(dir.read(u"Fav/Example.url"_s), moved + "[Brimwick]\r\nTimeout=30\r\n");

    ProfileFile::write(file, u"brimwick"_s, u"Rename"_s, u"Example (2).url"_s);
    ProfileFile::write(file, u"BRIMWICK"_s, u"TIMEOUT"_s, u"45"_s);
    EXPECT_EQ(dir.read(u"Fav/Example.url"_s),
              moved + "[Brimwick]\r\nTimeout=45\r\nRename=Example (2).url\r\n");
    EXPECT_EQ(ProfileFile::read(file, u"Brimwick"_s, u"Timeout"_s, {}), u"45"_s);
    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}),
              u"https://moved.example.test/a?b=c"_s);

    ProfileFile::deleteSection(file, u"Brimwick"_s);
    EXPECT_EQ(dir.read(u"Fav/Example.url"_s), moved);
}

class ProfileReadTest : public ProfileFileFixture {};

TEST_F(ProfileReadTest, NamesMatchWithoutRegardToCaseAndSpacesAreTrimmed)
{
    const QByteArray bytes = "  [ internetshortcut ]  \r\n\t url \t=  https://a.test/  \r\n";

    EXPECT_EQ(readFrom(bytes, u"InternetShortcut"_s, u"URL"_s), u"https://a.test/"_s);
    EXPECT_EQ(readFrom(bytes, u"INTERNETSHORTCUT"_s, u"Url"_s), u"https://a.test/"_s);
}

TEST_F(ProfileReadTest, MatchingQuotesAroundAValueAreRemoved)
{
    const QByteArray bytes = "[S]\r\nA=\"abc\"\r\nB=\"abc\r\nC='x'\r\nD=\"x'\r\nE=\"\"\r\nF=\"\r\n"
                             "G=  'padded'  \r\nH=\"a\"b\"\r\n";

    EXPECT_EQ(readFrom(bytes, u"S"_s, u"A"_s), u"abc"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"B"_s), u"\"abc"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"C"_s), u"x"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"D"_s), u"\"x'"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"E"_s), u""_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"F"_s), u"\""_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"G"_s), u"padded"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"H"_s), u"a\"b"_s);
}

TEST_F(ProfileReadTest, LimitCutsValuesAndDefaults)
{
    const QString url = u"https://example.test/"_s + QString(579, u'p');
    ASSERT_EQ(url.size(), 600);
    const QByteArray bytes = "[InternetShortcut]\r\nURL=" + url.toUtf8() +
                             "\r\n[Brimwick]\r\nTimeout=12345\r\nQuoted=\"abcdef\"\r\n"
                             "Wide=\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\n";

    EXPECT_EQ(readFrom(bytes, u"InternetShortcut"_s, u"URL"_s, {}, 511), url.left(511));
    EXPECT_EQ(readFrom(bytes, u"InternetShortcut"_s, u"URL"_s, {}), url);
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Timeout"_s, {}, 4), u"1234"_s);
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Timeout"_s, {}, 5), u"12345"_s);
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Timeout"_s, {}, 0), u""_s);
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Quoted"_s, {}, 3), u"abc"_s);
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Missing"_s, u"abcdef"_s, 3), u"abc"_s);
    // Half of a character outside the basic plane is never kept.
    EXPECT_EQ(readFrom(bytes, u"Brimwick"_s, u"Wide"_s, {}, 3), u"\U0001F600"_s);
}

TEST_F(ProfileReadTest, FirstOfDuplicateSectionsAndKeysWins)
{
    const QByteArray bytes = "[InternetShortcut]\r\nURL=first\r\nurl=second\r\n[Other]\r\nX=1\r\n"
                             "[INTERNETSHORTCUT]\r\nURL=third\r\nIconIndex=7\r\n";

    EXPECT_EQ(readFrom(bytes, u"InternetShortcut"_s, u"URL"_s), u"first"_s);
    EXPECT_EQ(readFrom(bytes, u"InternetShortcut"_s, u"IconIndex"_s), u"<none>"_s);
    EXPECT_EQ(readFrom(bytes, u"Other"_s, u"X"_s), u"1"_s);
}

TEST_F(ProfileReadTest, CommentsLinesWithoutEqualsAndLinesBeforeAnySectionAreNotKeys)
{
    const QByteArray bytes = "Loose=outside\r\n[S]\r\n;URL=commented\r\n  ; Key=also\r\nURL\r\n"
                             "Key only\r\nURL=real\r\n";

    EXPECT_EQ(readFrom(bytes, u"S"_s, u"URL"_s), u"real"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Key"_s), u"<none>"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u";URL"_s), u"<none>"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Loose"_s), u"<none>"_s);
}

TEST_F(ProfileReadTest, MissingKeysGiveTheDefaultAndEmptyValuesGiveNothing)
{
    const QByteArray bytes = raw("[S]\r\nEmpty=\r\nSpaces=   \r\nCut=http://a.test/\0tail\r\n"
                                 "Padded=  x  \0 y\r\n");

    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Empty"_s), u""_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Spaces"_s), u""_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Cut"_s), u"http://a.test/"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Padded"_s), u"x"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Nothing"_s), u"<none>"_s);
    EXPECT_EQ(readFrom(bytes, u"T"_s, u"Empty"_s), u"<none>"_s);
}

TEST_F(ProfileReadTest, ValuesReadAsUtf8WhenValidElseAsWindows1252)
{
    const QByteArray bytes = "[S]\r\nUtf=caf\xC3\xA9 \xE2\x82\xAC\r\nAnsi=caf\xE9 \x80 5\r\n";

    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Utf"_s), u"café €"_s);
    EXPECT_EQ(readFrom(bytes, u"S"_s, u"Ansi"_s), u"café € 5"_s);
}

class ProfileWriteTest : public ProfileFileFixture {};

TEST_F(ProfileWriteTest, CreatesAMissingFileWithCrlfLineEnds)
{
    ProfileFile::write(dir.path(u"New.url"_s), u"InternetShortcut"_s, u"URL"_s,
                       u"http://a.test/"_s);

    EXPECT_EQ(dir.read(u"New.url"_s), "[InternetShortcut]\r\nURL=http://a.test/\r\n");
}

TEST_F(ProfileWriteTest, KeepsCommentsBlankLinesUnknownKeysAndKeySpelling)
{
    const QByteArray before = "; kept by hand\r\n\r\n[InternetShortcut]\r\nurl=http://old.test/\r\n"
                              ";IconIndex=3\r\nUnknown = keep  me \r\n\r\n\r\n[Other]\r\nA=1\r\n";
    const QString file = dir.file(u"w.url"_s, before);

    ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, u"http://new.test/"_s);
    ProfileFile::write(file, u"InternetShortcut"_s, u"IconIndex"_s, u"0"_s);
    ProfileFile::write(file, u"Other"_s, u"Name"_s, u"Grüße"_s);

    EXPECT_EQ(dir.read(u"w.url"_s),
              "; kept by hand\r\n\r\n[InternetShortcut]\r\nurl=http://new.test/\r\n"
              ";IconIndex=3\r\nUnknown = keep  me \r\nIconIndex=0\r\n\r\n\r\n[Other]\r\nA=1\r\n"
              "Name=Gr\xC3\xBC\xC3\x9F"
              "e\r\n");
}

TEST_F(ProfileWriteTest, NewLinesUseTheFilesOwnLineEnd)
{
    EXPECT_EQ(afterWrite("[InternetShortcut]\rURL=a\r", u"Brimwick"_s, u"Timeout"_s, u"5"_s),
              "[InternetShortcut]\rURL=a\r[Brimwick]\rTimeout=5\r");
    EXPECT_EQ(
        readFrom("[InternetShortcut]\rURL=a\rIconIndex=2\r", u"InternetShortcut"_s, u"IconIndex"_s),
        u"2"_s);
    EXPECT_EQ(afterWrite("[S]\nA=1\n", u"S"_s, u"B"_s, u"2"_s), "[S]\nA=1\nB=2\n");

    // Mixed line ends stay as they are; added lines take the first one.
    const QByteArray mixed = "[A]\nk=1\r\n[B]\rj=2\r\n";
    EXPECT_EQ(afterWrite(mixed, u"A"_s, u"new"_s, u"v"_s), "[A]\nk=1\r\nnew=v\n[B]\rj=2\r\n");
    EXPECT_EQ(afterWrite(mixed, u"B"_s, u"x"_s, u"w"_s), "[A]\nk=1\r\n[B]\rj=2\r\nx=w\n");
    EXPECT_EQ(afterWrite(mixed, u"B"_s, u"J"_s, u"3"_s), "[A]\nk=1\r\n[B]\rj=3\r\n");
}

TEST_F(ProfileWriteTest, AddingToAFileWithoutATrailingLineEndKeepsLinesApart)
{
    EXPECT_EQ(
        afterWrite("[InternetShortcut]\r\nURL=a", u"InternetShortcut"_s, u"IconIndex"_s, u"0"_s),
        "[InternetShortcut]\r\nURL=a\r\nIconIndex=0\r\n");
    EXPECT_EQ(afterWrite("[InternetShortcut]\nURL=a", u"Brimwick"_s, u"Timeout"_s, u"1"_s),
              "[InternetShortcut]\nURL=a\n[Brimwick]\nTimeout=1\n");
}

TEST_F(ProfileWriteTest, WritesGoToTheFirstOfDuplicateSectionsAndKeys)
{
    const QByteArray twice = "[InternetShortcut]\r\nURL=one\r\nURL=dup\r\n"
                             "[InternetShortcut]\r\nURL=two\r\nIconIndex=1\r\n";

    EXPECT_EQ(afterWrite(twice, u"InternetShortcut"_s, u"URL"_s, u"x"_s),
              "[InternetShortcut]\r\nURL=x\r\nURL=dup\r\n"
              "[InternetShortcut]\r\nURL=two\r\nIconIndex=1\r\n");
    EXPECT_EQ(afterWrite(twice, u"InternetShortcut"_s, u"IconIndex"_s, u"5"_s),
              "[InternetShortcut]\r\nURL=one\r\nURL=dup\r\nIconIndex=5\r\n"
              "[InternetShortcut]\r\nURL=two\r\nIconIndex=1\r\n");
}

TEST_F(ProfileWriteTest, DeleteSectionRemovesEveryCopyWithAllItsLines)
{
    const QString file = dir.file(u"w.url"_s, "; top\r\n[InternetShortcut]\r\nURL=a\r\n\r\n"
                                              "[Brimwick]\r\nTimeout=5\r\n; note\r\n\r\n"
                                              "[Other]\nA=1\n[brimwick]\r\nRename=x\r\n");

    ProfileFile::deleteSection(file, u"BRIMWICK"_s);

    EXPECT_EQ(dir.read(u"w.url"_s), "; top\r\n[InternetShortcut]\r\nURL=a\r\n\r\n[Other]\nA=1\n");
}

TEST_F(ProfileWriteTest, DeleteSectionWritesNothingWhenThereIsNothingToDelete)
{
    int commits = 0;
    norvale::SetFileFaultForTesting([&](norvale::FileStep step, const QString&) {
        commits += step == norvale::FileStep::Rename;
        return 0;
    });
    const QString file = dir.file(u"w.url"_s, kShortcut);

    ProfileFile::deleteSection(file, u"Brimwick"_s);
    ProfileFile::deleteSection(dir.path(u"Gone.url"_s), u"Brimwick"_s);

    EXPECT_EQ(commits, 0);
    EXPECT_EQ(dir.read(u"w.url"_s), kShortcut);
    EXPECT_FALSE(QFile::exists(dir.path(u"Gone.url"_s)));
}

class ProfileOddFileTest : public ProfileFileFixture {};

TEST_F(ProfileOddFileTest, EmptyFileGivesDefaultsAndTakesAFirstSection)
{
    EXPECT_EQ(readFrom({}, u"InternetShortcut"_s, u"URL"_s), u"<none>"_s);
    EXPECT_EQ(afterWrite({}, u"InternetShortcut"_s, u"URL"_s, u"http://a.test/"_s),
              "[InternetShortcut]\r\nURL=http://a.test/\r\n");
}

TEST_F(ProfileOddFileTest, BinaryBytesAreReadAndKeptAsTheyAre)
{
    std::mt19937 random(20260314);
    QByteArray noise(32 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = char(random() % 256);
    noise[0] = 'X'; // no byte-order mark by chance
    noise[100] = '\0';
    noise.append("\r\n");
    const QByteArray shortcut = "[InternetShortcut]\r\nURL=http://a.test/\r\n";

    EXPECT_EQ(readFrom(noise, u"InternetShortcut"_s, u"URL"_s), u"<none>"_s);
    EXPECT_EQ(readFrom(shortcut + noise, u"InternetShortcut"_s, u"URL"_s), u"http://a.test/"_s);
    EXPECT_EQ(afterWrite(shortcut + noise, u"InternetShortcut"_s, u"URL"_s, u"http://b.test/"_s),
              "[InternetShortcut]\r\nURL=http://b.test/\r\n" + noise);

    const QByteArray grown = afterWrite(noise, u"InternetShortcut"_s, u"URL"_s, u"x"_s);
    EXPECT_TRUE(grown.startsWith(noise));
    EXPECT_EQ(ProfileFile::read(dir.path(u"w.url"_s), u"InternetShortcut"_s, u"URL"_s, {}), u"x"_s);
}

TEST_F(ProfileOddFileTest, OnlyRegularFilesOfShortcutSizeAreReadOrWritten)
{
    const QByteArray head = "[InternetShortcut]\r\nURL=http://a.test/\r\n";
    const QByteArray largest = head + QByteArray(ProfileFile::kMostBytes - head.size(), ' ');

    EXPECT_EQ(readFrom(largest, u"InternetShortcut"_s, u"URL"_s), u"http://a.test/"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(dir.path(u"r.url"_s)); }), 0);
    const QByteArray larger = largest + ' ';
    const QString file = dir.file(u"w.url"_s, larger);
    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, u"<none>"_s), u"<none>"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(file); }), ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, u"x"_s); }),
              ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(errorOf([&] { ProfileFile::deleteSection(file, u"InternetShortcut"_s); }),
              ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(dir.read(u"w.url"_s), larger);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(dir.path(u"Missing.url"_s)); }), 0);

    // Nobody ever writes to this FIFO: opening it to read would wait for ever.
    const QString fifo = dir.path(u"Pipe.url"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(ProfileFile::read(fifo, u"InternetShortcut"_s, u"URL"_s, u"<none>"_s), u"<none>"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(fifo); }), ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(fifo, u"InternetShortcut"_s, u"URL"_s, u"x"_s); }),
              ErrorNumber::InvalidFileFormat);
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false && QFileInfo::exists(fifo));
}

class ProfileEncodingTest : public ProfileFileFixture {};

TEST_F(ProfileEncodingTest, Utf16FilesWithAMarkStayUtf16WithTheMark)
{
    const QString before = u"[InternetShortcut]\r\nURL=http://a.test/\r\n"_s;
    const QString after = u"[InternetShortcut]\r\nURL=http://ü.test/€\r\nIconIndex=0\r\n"_s;
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const QByteArray mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const QString file = dir.file(u"w.url"_s, mark + utf16(before, bigEndian));

        EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}),
                  u"http://a.test/"_s);
        ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, u"http://ü.test/€"_s);
        ProfileFile::write(file, u"InternetShortcut"_s, u"IconIndex"_s, u"0"_s);
        EXPECT_EQ(dir.read(u"w.url"_s), mark + utf16(after, bigEndian));
    }
}

TEST_F(ProfileEncodingTest, Utf16WithoutAMarkIsFoundAndStaysWithoutOne)
{
    const QString file =
        dir.file(u"w.url"_s, utf16(u"[InternetShortcut]\r\nURL=http://café.test/\r\n"_s, false));

    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}), u"http://café.test/"_s);
    ProfileFile::write(file, u"Brimwick"_s, u"Timeout"_s, u"12"_s);
    EXPECT_EQ(
        dir.read(u"w.url"_s),
        utf16(u"[InternetShortcut]\r\nURL=http://café.test/\r\n[Brimwick]\r\nTimeout=12\r\n"_s,
              false));
}

// U+4E00 has a zero low byte; one such character must not make the file
// look like 8-bit text, or a write would append 8-bit lines to UTF-16 ones.
TEST_F(ProfileEncodingTest, Utf16WithoutAMarkIsFoundWithCharactersEndingInAZeroByte)
{
    const QString before = u"[InternetShortcut]\r\nURL=http://a.test/\r\n[Brimwick]\r\n"
                           "Title=第一\r\n"_s;
    const QString file = dir.file(u"w.url"_s, utf16(before, false));

    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}), u"http://a.test/"_s);
    EXPECT_EQ(ProfileFile::read(file, u"Brimwick"_s, u"Title"_s, {}), u"第一"_s);
    ProfileFile::write(file, u"Brimwick"_s, u"Timeout"_s, u"12"_s);
    EXPECT_EQ(dir.read(u"w.url"_s), utf16(before + u"Timeout=12\r\n"_s, false));
}

// Mostly Chinese text leaves few zero bytes, yet they all lean one way; a
// surrogate standing alone is kept as it is, never made a "?".
TEST_F(ProfileEncodingTest, Utf16WithoutAMarkStaysUtf16ThroughWritesAndDeletes)
{
    const QString title = QString(200, QChar(0x6587)) + QChar(0xD800) + u"x"_s;
    const QString head = u"[InternetShortcut]\r\nURL=http://a.test/\r\n"_s;
    const QString tail = u"[Brimwick]\r\nTitle="_s + title + u"\r\n"_s;
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const QString file = dir.file(u"w.url"_s, utf16(head + tail, bigEndian));

        EXPECT_EQ(ProfileFile::read(file, u"Brimwick"_s, u"Title"_s, {}), title);
        ProfileFile::write(file, u"Brimwick"_s, u"Timeout"_s, u"12"_s);
        ProfileFile::write(file, u"InternetShortcut"_s, u"Name"_s, title);
        const QString named = u"[InternetShortcut]\r\nURL=http://a.test/\r\nName="_s + title;
        EXPECT_EQ(dir.read(u"w.url"_s),
                  utf16(named + u"\r\n"_s + tail + u"Timeout=12\r\n"_s, bigEndian));
        ProfileFile::deleteSection(file, u"Brimwick"_s);
        EXPECT_EQ(dir.read(u"w.url"_s), utf16(named + u"\r\n"_s, bigEndian));
    }
}

TEST_F(ProfileEncodingTest, Utf8MarkNeitherHidesTheFirstSectionNorGetsLost)
{
    const QByteArray before = "\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://a.test/\r\n";

    EXPECT_EQ(readFrom(before, u"InternetShortcut"_s, u"URL"_s), u"http://a.test/"_s);
    EXPECT_EQ(afterWrite(before, u"InternetShortcut"_s, u"URL"_s, u"http://b.test/"_s),
              "\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://b.test/\r\n");
}

class ProfileRefusalTest : public ProfileFileFixture {};

TEST_F(ProfileRefusalTest, ReadOnlyFileIsReadButNeverWritten)
{
    const QString file = dir.file(u"r.url"_s, kShortcut);
    ASSERT_TRUE(
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    EXPECT_EQ(ProfileFile::read(file, u"InternetShortcut"_s, u"URL"_s, {}),
              u"https://example.test/"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, u"x"_s); }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(file, u"Brimwick"_s, u"Timeout"_s, u"1"_s); }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(errorOf([&] { ProfileFile::deleteSection(file, u"DEFAULT"_s); }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(dir.read(u"r.url"_s), kShortcut);
    EXPECT_EQ(entries(), QStringList{u"r.url"_s});
}

TEST_F(ProfileRefusalTest, LineBreaksAndNulsAreRefusedAndTheFileLeftAlone)
{
    const QString file = dir.file(u"r.url"_s, kShortcut);
    const QString name = u"InternetShortcut"_s;
    const QString nul(1, QChar(0));
    for (const QString& bad : {u"a\r\nb"_s, u"a\nb"_s, u"a\rb"_s, u"a"_s + nul + u"b"_s}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, name, u"URL"_s, bad); }), 5);
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, name, bad, u"x"_s); }), 5);
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, bad, u"URL"_s, u"x"_s); }), 5);
    }
    EXPECT_EQ(dir.read(u"r.url"_s), kShortcut);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(dir.path(u"New.url"_s), name, u"URL"_s, u"\n"_s); }),
              5);
    EXPECT_FALSE(QFile::exists(dir.path(u"New.url"_s)));
}

// Reads would find these names, or these characters, otherwise than written.
TEST_F(ProfileRefusalTest, WhatWouldReadBackOtherwiseIsRefusedAndTheFileLeftAlone)
{
    const QString file = dir.file(u"r.url"_s, kShortcut);
    for (const QString& key : {u"a=b"_s, u";k"_s, u"[k"_s, u" k"_s, u"k\t"_s, u"k\x01"_s}) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, u"InternetShortcut"_s, key, u"x"_s); }),
                  5);
    }
    for (const QString& section : {u"S]x"_s, u" S"_s, u"S\x1b"_s})
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, section, u"k"_s, u"x"_s); }), 5);
    const QString lone = u"a"_s + QChar(0xDC00);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, lone); }), 5)
        << "UTF-8 cannot carry half of a pair";
    EXPECT_EQ(dir.read(u"r.url"_s), kShortcut);
}

TEST_F(ProfileRefusalTest, WriteIntoAMissingFolderThrows)
{
    const QString file = dir.path(u"Nowhere/New.url"_s);

    EXPECT_THROW(ProfileFile::write(file, u"InternetShortcut"_s, u"URL"_s, u"x"_s), NorvaleError);
    EXPECT_FALSE(QFileInfo::exists(dir.path(u"Nowhere"_s)));
}

} // namespace
