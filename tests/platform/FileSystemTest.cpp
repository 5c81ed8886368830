#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "support/ErrorNumber.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using norvale::FileSystem;
using norvale::test::errorOf;
namespace ErrorNumber = norvale::ErrorNumber;

namespace {

class FileSystemTest : public testing::Test {
protected:
    FileSystem fs;
    norvale::test::TempFolder dir;
};

TEST_F(FileSystemTest, ListFolderSortsByNameWithoutRegardToCase)
{
    for (const QString& name : {u"beta.url"_s, u"Alpha.url"_s, u".hidden.url"_s, u"GAMMA.url"_s})
        dir.file(u"Fav/"_s + name);
    dir.folder(u"Fav/news"_s);
    dir.folder(u"Fav/Mail"_s);
    ASSERT_TRUE(QFile::link(dir.folder(u"Elsewhere"_s), dir.path(u"Fav/Linked"_s)));
    ASSERT_TRUE(QFile::link(dir.path(u"gone.url"_s), dir.path(u"Fav/dangling.url"_s)));

    const norvale::FolderListing listing = fs.listFolder(dir.path(u"Fav"_s));
    EXPECT_EQ(listing.files.join(' '), u".hidden.url Alpha.url beta.url GAMMA.url"_s);
    ASSERT_EQ(listing.subfolders.size(), 3u);
    EXPECT_EQ(listing.subfolders[0].name, u"Linked"_s);
    EXPECT_TRUE(listing.subfolders[0].isSymLink);
    EXPECT_EQ(listing.subfolders[1].name, u"Mail"_s);
    EXPECT_FALSE(listing.subfolders[1].isSymLink);
    EXPECT_EQ(listing.subfolders[2].name, u"news"_s);
    EXPECT_EQ(errorOf([&] { fs.listFolder(dir.path(u"missing"_s)); }), ErrorNumber::PathNotFound);
}

// Renames, moves and new folders never take a name that is taken, even one
// differing only in case (another file here); a file may change its own case.
TEST_F(FileSystemTest, NothingIsEverMadeOverATakenName)
{
    const QString a = dir.file(u"a.url"_s, "a");
    dir.file(u"b.url"_s, "b");
    const QString c = dir.file(u"c.url"_s, "c");
    dir.file(u"C.url"_s, "C");
    const QString sub = dir.file(u"Sub/b.url"_s, "sub b");
    EXPECT_EQ(errorOf([&] { fs.rename(a, u"b.url"_s); }), ErrorNumber::FileExists);
    EXPECT_EQ(errorOf([&] { fs.rename(c, u"C.url"_s); }), ErrorNumber::FileExists);
    EXPECT_EQ(errorOf([&] { fs.moveFile(a, sub); }), ErrorNumber::FileExists);
    EXPECT_EQ(errorOf([&] { fs.createFolder(dir.path(u"Sub"_s)); }), ErrorNumber::FileExists);
    EXPECT_EQ(errorOf([&] { fs.createFolder(a); }), ErrorNumber::FileExists);
    for (const auto& [name, bytes] : {std::pair{"a.url", "a"}, {"c.url", "c"}, {"C.url", "C"}})
        EXPECT_EQ(dir.read(QString::fromLatin1(name)), bytes);
    EXPECT_EQ(dir.read(u"Sub/b.url"_s), "sub b");

    fs.rename(a, u"A.url"_s);
    fs.moveFile(dir.path(u"A.url"_s), dir.path(u"Sub/A.url"_s));
    EXPECT_EQ(fs.listFolder(dir.path(u"Sub"_s)).files.join(' '), u"A.url b.url"_s);
    EXPECT_EQ(dir.read(u"Sub/A.url"_s), "a");
    fs.createFolder(dir.path(u"Sub/New"_s));
    EXPECT_TRUE(fs.folderExists(dir.path(u"Sub/New"_s)));
}

// "*.*" copies and deletes every file of a folder, a read-only and a hidden
// one among them, and no subfolder.
TEST_F(FileSystemTest, WildcardCopiesAndDeletesEveryFileButNoSubfolder)
{
    const QString all = dir.path(u"Src/*.*"_s), dest = dir.path(u"Dest"_s);
    dir.file(u"Src/a.url"_s, "new a");
    dir.file(u"Src/B.url"_s, "new b");
    dir.file(u"Src/.c.url"_s, "new c");
    dir.file(u"Src/Sub/d.url"_s, "d");
    QFile::setPermissions(dir.path(u"Src/B.url"_s), QFileDevice::ReadOwner);
    dir.file(u"Dest/a.url"_s, "old a");
    dir.file(u"Dest/keep.url"_s, "keep");

    EXPECT_EQ(errorOf([&] { fs.copyFile(all, dest, false); }), ErrorNumber::FileExists);
    EXPECT_EQ(dir.read(u"Dest/a.url"_s), "old a");
    fs.copyFile(all, dest, true);
    dir.file(u"Src/.c.url"_s, "newer c");
    fs.copyFile(all, dest, true); // over the read-only copy too
    EXPECT_EQ(fs.listFolder(dest).files.join(' '), u".c.url a.url B.url keep.url"_s);
    EXPECT_TRUE(fs.listFolder(dest).subfolders.empty());
    for (const auto& [name, bytes] : {std::pair{"a.url", "new a"},
                                      {"B.url", "new b"},
                                      {".c.url", "newer c"},
                                      {"keep.url", "keep"}})
        EXPECT_EQ(dir.read(u"Dest/"_s + QString::fromLatin1(name)), bytes);

    fs.deleteFile(all, true);
    EXPECT_TRUE(fs.listFolder(dir.path(u"Src"_s)).files.isEmpty());
    EXPECT_TRUE(fs.fileExists(dir.path(u"Src/Sub/d.url"_s)));
}

} // namespace
