#include "platform/ProfileFile.h"
#include "platform/AtomicFile.h"
#include "support/ErrorNumber.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using norvale::ProfileFile;
using norvale::test::errorOf;
namespace ErrorNumber = norvale::ErrorNumber;

namespace {

// The text as UTF-16 bytes of the given order, without a byte-order mark.
QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xff), high = char(c.unicode() >> 8);
        bytes += bigEndian ? QByteArray(1, high) + low : QByteArray(1, low) + high;
    }
    return bytes;
}

// A shortcut as browsers write it.
const QByteArray kShortcut = "[DEFAULT]\r\nBASEURL=https://example.test/\r\n[InternetShortcut]\r\n"
                             "URL=https://example.test/\r\nWorkingDirectory=C:\\\r\nIDList=\r\n"
                             "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
const QString kIS = u"InternetShortcut"_s;

class ProfileFileTest : public testing::Test {
protected:
    void TearDown() override { norvale::SetFileFaultForTesting({}); }
    QString read(const QByteArray& bytes, const QString& section, const QString& key,
                 int limit = ProfileFile::kWhole, const QString& fallback = u"<none>"_s)
    {
        return ProfileFile::read(dir.file(u"r.url"_s, bytes), section, key, fallback, limit);
    }
    norvale::test::TempFolder dir;
};

TEST_F(ProfileFileTest, EachKeyReadsAsWindowsReadsIt)
{
    const QString url = u"https://example.test/"_s + QString(579, u'p');
    const QByteArray nul("[S]\r\nCut=http://a.test/\0tail\r\nPadded=  x  \0 y\r\n", 47);
    const struct {
        QByteArray bytes;
        QString section, key, expected;
        int limit = ProfileFile::kWhole;
    } rows[] = {
        {kShortcut, "DEFAULT", "BASEURL", "https://example.test/"},
        {kShortcut, kIS, "WorkingDirectory", "C:\\"},
        {kShortcut, "DEFAULT", "URL", "<none>"}, // keys belong to their own section
        {"  [ internetshortcut ]  \r\n\t url \t=  https://a.test/  \r\n", "INTERNETSHORTCUT", "Url",
         "https://a.test/"},
        {"[S]\r\nURL=" + url.toUtf8(), "S", "URL", url.left(511), 511},
        {"[S]\r\nQ=\"abcdef\"\r\n", "S", "Q", "abc", 3},
        {"[S]\r\nW=\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\n", "S", "W", u"\U0001F600"_s, 3},
        {nul, "S", "Cut", "http://a.test/"},
        {nul, "S", "Padded", "x"},
        {"[S]\r\nUtf=caf\xC3\xA9 \xE2\x82\xAC\r\n", "S", "Utf", u"café €"_s},
        {"[S]\r\nAnsi=caf\xE9 \x80 5\r\n", "S", "Ansi", u"café € 5"_s},
        {"[S]\rURL=a\rIconIndex=2\r", "S", "IconIndex", "2"},
        {"", kIS, "URL", "<none>"},
        {"\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://a.test/\r\n", kIS, "URL", "http://a.test/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.left(60).toStdString() + " " + row.key.toStdString());
        EXPECT_EQ(read(row.bytes, row.section, row.key, row.limit), row.expected);
    }
    // Quotes, comments, loose lines and repeated keys and sections: KEY=value as read.
    const QByteArray many = "Loose=out\r\n[S]\r\nA=\"abc\"\r\nB=\"abc\r\nE=\"\"\r\nG=  'pad'  \r\n"
                            "H=\"a\"b\"\r\n;C=c\r\n  ; K=also\r\nURL\r\nK only\r\nURL=first\r\n"
                            "url=second\r\n[Other]\r\nI=1\r\n[s]\r\nURL=third\r\nI=7\r\n";
    const std::pair<const char*, const char*> values[] = {
        {"A", "abc"},     {"B", "\"abc"},  {"E", ""},          {"G", "pad"},
        {"H", "a\"b"},    {"C", "<none>"}, {";C", "<none>"},   {"K", "<none>"},
        {"URL", "first"}, {"I", "<none>"}, {"Loose", "<none>"}};
    for (const auto& [key, value] : values)
        EXPECT_EQ(read(many, "S", key), value) << key;
    EXPECT_EQ(read("[S]\r\n", "S", "M", 3, "abcdef"), u"abc"_s) << "the default is cut too";
    EXPECT_EQ(ProfileFile::read(dir.path(u"Gone.url"_s), kIS, "URL", "none"), u"none"_s);
}

// Writes touch only their own lines; added lines take the file's first line
// end; every other byte stays. An empty key stands for deleteSection.
TEST_F(ProfileFileTest, EachWriteChangesOnlyItsOwnLines)
{
    struct Op {
        QString section, key, value;
    };
    const QByteArray tail = "WorkingDirectory=C:\\\r\nIDList=\r\n"
                            "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
    const QByteArray moved = "[DEFAULT]\r\nBASEURL=https://example.test/\r\n[InternetShortcut]"
                             "\r\nURL=https://moved.test/a?b=c\r\n" +
                             tail;
    const QByteArray mixed = "[A]\nk=1\r\n[B]\rj=2\r\n";
    const QByteArray twice = "[IS]\r\nURL=one\r\nURL=dup\r\n[IS]\r\nURL=two\r\nI=1\r\n";
    const struct {
        QByteArray before;
        QList<Op> ops;
        QByteArray after;
    } rows[] = {
        {kShortcut,
         {{kIS, "URL", "https://moved.test/a?b=c"},
          {"Brimwick", "Timeout", "30"},
          {"brimwick", "Rename", "Example (2).url"},
          {"BRIMWICK", "TIMEOUT", "45"}},
         moved + "[Brimwick]\r\nTimeout=45\r\nRename=Example (2).url\r\n"},
        {moved + "[Brimwick]\r\nTimeout=45\r\n", {{"Brimwick", "", ""}}, moved},
        {"; kept\r\n\r\n[IS]\r\nurl=http://old.test/\r\n;I=3\r\nUnknown = keep  me \r\n\r\n\r\n"
         "[Other]\r\nA=1\r\n",
         {{"IS", "URL", "http://new.test/"}, {"IS", "I", "0"}, {"Other", "Name", u"Grüße"_s}},
         "; kept\r\n\r\n[IS]\r\nurl=http://new.test/\r\n;I=3\r\nUnknown = keep  me \r\nI=0\r\n"
         "\r\n\r\n[Other]\r\nA=1\r\nName=Gr\xC3\xBC\xC3\x9F"
         "e\r\n"},
        {"[IS]\rURL=a\r", {{"B", "T", "5"}}, "[IS]\rURL=a\r[B]\rT=5\r"},
        {mixed, {{"A", "new", "v"}}, "[A]\nk=1\r\nnew=v\n[B]\rj=2\r\n"},
        {mixed, {{"B", "J", "3"}}, "[A]\nk=1\r\n[B]\rj=3\r\n"},
        {"[IS]\r\nURL=a", {{"IS", "I", "0"}}, "[IS]\r\nURL=a\r\nI=0\r\n"},
        {twice, {{"IS", "URL", "x"}}, "[IS]\r\nURL=x\r\nURL=dup\r\n[IS]\r\nURL=two\r\nI=1\r\n"},
        {"; top\r\n[IS]\r\nURL=a\r\n\r\n[Brimwick]\r\nT=5\r\n; note\r\n\r\n[Other]\nA=1\n"
         "[brimwick]\r\nRename=x\r\n",
         {{"BRIMWICK", "", ""}},
         "; top\r\n[IS]\r\nURL=a\r\n\r\n[Other]\nA=1\n"},
        {"", {{kIS, "URL", "http://a.test/"}}, "[InternetShortcut]\r\nURL=http://a.test/\r\n"},
        {"\xEF\xBB\xBF[IS]\r\nURL=a\r\n", {{"IS", "URL", "b"}}, "\xEF\xBB\xBF[IS]\r\nURL=b\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before.toStdString());
        const QString file = dir.file(u"w.url"_s, row.before);
        for (const Op& op : row.ops) {
            if (op.key.isEmpty())
                ProfileFile::deleteSection(file, op.section);
            else
                ProfileFile::write(file, op.section, op.key, op.value);
        }
        EXPECT_EQ(dir.read(u"w.url"_s), row.after);
    }
}

TEST_F(ProfileFileTest, OnlyRegularFilesOfShortcutSizeAreReadOrWritten)
{
    const QByteArray head = "[InternetShortcut]\r\nURL=http://a.test/\r\n";
    const QByteArray largest = head + QByteArray(ProfileFile::kMostBytes - head.size(), ' ');
    EXPECT_EQ(read(largest, kIS, "URL"), u"http://a.test/"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(dir.path(u"r.url"_s)); }), 0);
    EXPECT_EQ(errorOf([&] { ProfileFile::check(dir.path(u"Missing.url"_s)); }), 0);

    const QString larger = dir.file(u"w.url"_s, largest + ' ');
    // Nobody ever writes to this FIFO: opening it to read would wait for ever.
    const QString fifo = dir.path(u"Pipe.url"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& file : {larger, fifo}) {
        EXPECT_EQ(ProfileFile::read(file, kIS, "URL", "<none>"), u"<none>"_s);
        EXPECT_EQ(errorOf([&] { ProfileFile::check(file); }), ErrorNumber::InvalidFileFormat);
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, kIS, "URL", "x"); }),
                  ErrorNumber::InvalidFileFormat);
        EXPECT_EQ(errorOf([&] { ProfileFile::deleteSection(file, kIS); }),
                  ErrorNumber::InvalidFileFormat);
    }
    EXPECT_EQ(dir.read(u"w.url"_s), largest + ' ');
    EXPECT_TRUE(!QFileInfo(fifo).isFile() && QFileInfo::exists(fifo));
}

// An update never creates the file it was meant for (a favorite deleted
// meanwhile stays deleted); one that changes nothing writes nothing, so a
// read-only file it would leave alone is no error.
TEST_F(ProfileFileTest, UpdatesChangeOnlyFilesThatAreThere)
{
    const QString missing = dir.path(u"Missing.url"_s);
    EXPECT_EQ(errorOf([&] {
                  ProfileFile::update(missing, u"Own"_s, {{u"A"_s, u"1"_s}});
              }),
              ErrorNumber::FileNotFound);
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString locked = dir.file(u"Locked.url"_s, kShortcut);
    QFile::setPermissions(locked, QFileDevice::ReadOwner);
    EXPECT_EQ(errorOf([&] { ProfileFile::update(locked, u"Own"_s, {{u"A"_s, std::nullopt}}); }), 0);
    EXPECT_EQ(errorOf([&] {
                  ProfileFile::update(locked, u"Own"_s, {{u"A"_s, u"1"_s}});
              }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(dir.read(u"Locked.url"_s), kShortcut);
}

// UTF-16 files stay UTF-16, with their mark or without; U+4E00 has a zero
// low byte and must not make the file look like 8-bit text, and a lone
// surrogate is kept as it is, never made a "?".
TEST_F(ProfileFileTest, Utf16FilesStayUtf16ThroughWritesAndDeletes)
{
    const QString head = u"[InternetShortcut]\r\nURL=http://café.test/\r\n"_s;
    for (const QString& title : {QString(200, QChar(0x6587)) + QChar(0xD800) + u"x"_s, u"第一"_s})
        for (const auto& [mark, bigEndian] : {std::pair{QByteArray(), false},
                                              {QByteArray(), true},
                                              {QByteArray("\xFF\xFE"), false},
                                              {QByteArray("\xFE\xFF"), true}}) {
            SCOPED_TRACE(testing::Message() << title.size() << " " << mark.size() << bigEndian);
            const QString tail = u"[Brimwick]\r\nTitle="_s + title + u"\r\n"_s;
            const QString file = dir.file(u"w.url"_s, mark + utf16(head + tail, bigEndian));
            EXPECT_EQ(ProfileFile::read(file, kIS, "URL", {}), u"http://café.test/"_s);
            EXPECT_EQ(ProfileFile::read(file, "Brimwick", "Title", {}), title);
            ProfileFile::write(file, "Brimwick", "Timeout", "12");
            ProfileFile::write(file, kIS, "URL", u"http://ü.test/€"_s);
            const QString named = u"[InternetShortcut]\r\nURL=http://ü.test/€\r\n"_s;
            EXPECT_EQ(dir.read(u"w.url"_s),
                      mark + utf16(named + tail + u"Timeout=12\r\n"_s, bigEndian));
            ProfileFile::deleteSection(file, "Brimwick");
            EXPECT_EQ(dir.read(u"w.url"_s), mark + utf16(named, bigEndian));
        }
}

// Names and values that would add lines, or read back otherwise than
// written, are refused (5), as are writes to read-only files and into
// missing folders; the file is left alone every time.
TEST_F(ProfileFileTest, WhatCannotBeWrittenFaithfullyIsRefusedAndTheFileLeftAlone)
{
    const QString file = dir.file(u"r.url"_s, kShortcut);
    const struct {
        QString section, key, value;
    } rows[] = {{u"IS"_s, u"URL"_s, u"a\r\nb"_s}, {u"IS"_s, u"URL"_s, u"a\nb"_s},
                {u"IS"_s, u"URL"_s, u"a\rb"_s},   {u"IS"_s, u"URL"_s, u"a\0"_s},
                {u"IS"_s, u"a\nb"_s, u"x"_s},     {u"IS"_s, u"a\0"_s, u"x"_s},
                {u"a\rb"_s, u"URL"_s, u"x"_s},    {u"IS"_s, u"a=b"_s, u"x"_s},
                {u"IS"_s, u";k"_s, u"x"_s},       {u"IS"_s, u"[k"_s, u"x"_s},
                {u"IS"_s, u" k"_s, u"x"_s},       {u"IS"_s, u"k\t"_s, u"x"_s},
                {u"IS"_s, u"k\x01"_s, u"x"_s},    {u"S]x"_s, u"k"_s, u"x"_s},
                {u" S"_s, u"k"_s, u"x"_s},        {u"S\x1b"_s, u"k"_s, u"x"_s},
                {u"IS"_s, u"URL"_s, u"a\xDC00"_s}};
    for (const auto& row : rows) {
        SCOPED_TRACE((row.section + '|' + row.key + '|' + row.value).toStdString());
        EXPECT_EQ(errorOf([&] { ProfileFile::write(file, row.section, row.key, row.value); }), 5);
    }
    EXPECT_EQ(errorOf([&] { ProfileFile::write(dir.path(u"New.url"_s), kIS, "URL", "\n"); }), 5);
    EXPECT_NE(errorOf([&] { ProfileFile::write(dir.path(u"No/New.url"_s), kIS, "URL", "x"); }), 0);

    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_EQ(ProfileFile::read(file, kIS, "URL", {}), u"https://example.test/"_s);
    EXPECT_EQ(errorOf([&] { ProfileFile::write(file, kIS, "URL", "x"); }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(errorOf([&] { ProfileFile::deleteSection(file, "DEFAULT"); }),
              ErrorNumber::PermissionDenied);
    EXPECT_EQ(dir.read(u"r.url"_s), kShortcut);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u"r.url"_s});
}

} // namespace
