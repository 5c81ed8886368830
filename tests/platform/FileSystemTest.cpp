#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "support/ErrorNumber.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

using norvale::FileSystem;
using norvale::NorvaleError;
namespace ErrorNumber = norvale::ErrorNumber;

namespace {

using norvale::test::errorOf;

class FileSystemTest : public testing::Test {
protected:
    FileSystem fs;
    norvale::test::TempFolder dir;
};

TEST_F(FileSystemTest, ListFolderSortsByNameWithoutRegardToCase)
{
    dir.file(QStringLiteral("Fav/beta.url"));
    dir.file(QStringLiteral("Fav/Alpha.url"));
    dir.file(QStringLiteral("Fav/.hidden.url"));
    dir.file(QStringLiteral("Fav/GAMMA.url"));
    dir.folder(QStringLiteral("Fav/news"));
    dir.folder(QStringLiteral("Fav/Mail"));
    dir.folder(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(
        QFile::link(dir.path(QStringLiteral("Elsewhere")), dir.path(QStringLiteral("Fav/Linked"))));
    ASSERT_TRUE(QFile::link(dir.path(QStringLiteral("gone.url")),
                            dir.path(QStringLiteral("Fav/dangling.url"))));

    const norvale::FolderListing listing = fs.listFolder(dir.path(QStringLiteral("Fav")));

    EXPECT_EQ(listing.files,
              (QStringList{QStringLiteral(".hidden.url"), QStringLiteral("Alpha.url"),
                           QStringLiteral("beta.url"), QStringLiteral("GAMMA.url")}));
    ASSERT_EQ(listing.subfolders.size(), 3u);
    EXPECT_EQ(listing.subfolders[0].name, QStringLiteral("Linked"));
    EXPECT_TRUE(listing.subfolders[0].isSymLink);
    EXPECT_EQ(listing.subfolders[1].name, QStringLiteral("Mail"));
    EXPECT_FALSE(listing.subfolders[1].isSymLink);
    EXPECT_EQ(listing.subfolders[2].name, QStringLiteral("news"));
}

TEST_F(FileSystemTest, MissingOrTakenPathsGiveTheirErrorNumbers)
{
    const QString taken = dir.folder(QStringLiteral("Fav"));
    EXPECT_EQ(errorOf([&] { fs.listFolder(dir.path(QStringLiteral("missing"))); }),
              ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.createFolder(taken); }), ErrorNumber::FileExists);
    EXPECT_EQ(errorOf([&] { fs.createFolder(dir.file(QStringLiteral("a.url"))); }),
              ErrorNumber::FileExists);

    fs.createFolder(dir.path(QStringLiteral("Fav/New")));
    EXPECT_TRUE(fs.folderExists(dir.path(QStringLiteral("Fav/New"))));
}

TEST_F(FileSystemTest, RenameRefusesATakenNameButAllowsACaseChange)
{
    const QString a = dir.file(QStringLiteral("a.url"), "a");
    dir.file(QStringLiteral("b.url"), "b");

    EXPECT_EQ(errorOf([&] { fs.rename(a, QStringLiteral("b.url")); }), ErrorNumber::FileExists);
    EXPECT_EQ(dir.read(QStringLiteral("a.url")), QByteArray("a"));
    EXPECT_EQ(dir.read(QStringLiteral("b.url")), QByteArray("b"));

    fs.rename(a, QStringLiteral("A.url"));
    EXPECT_EQ(fs.listFolder(dir.path()).files,
              (QStringList{QStringLiteral("A.url"), QStringLiteral("b.url")}));
    EXPECT_EQ(dir.read(QStringLiteral("A.url")), QByteArray("a"));
}

// On a file system that tells case apart, "A.url" can be another file than "a.url".
TEST_F(FileSystemTest, RenameOntoAnotherFileThatDiffersOnlyInCaseIsATakenName)
{
    const QString a = dir.file(QStringLiteral("a.url"), "a");
    dir.file(QStringLiteral("A.url"), "A");

    EXPECT_EQ(errorOf([&] { fs.rename(a, QStringLiteral("A.url")); }), ErrorNumber::FileExists);
    EXPECT_EQ(dir.read(QStringLiteral("a.url")), QByteArray("a"));
    EXPECT_EQ(dir.read(QStringLiteral("A.url")), QByteArray("A"));
}

TEST_F(FileSystemTest, MoveFileRefusesAnExistingNameAndKeepsBothFiles)
{
    const QString a = dir.file(QStringLiteral("a.url"), "a");
    const QString b = dir.file(QStringLiteral("Sub/b.url"), "b");

    EXPECT_EQ(errorOf([&] { fs.moveFile(a, b); }), ErrorNumber::FileExists);
    EXPECT_EQ(dir.read(QStringLiteral("a.url")), QByteArray("a"));
    EXPECT_EQ(dir.read(QStringLiteral("Sub/b.url")), QByteArray("b"));

    fs.moveFile(a, dir.path(QStringLiteral("Sub/a.url")));
    EXPECT_FALSE(fs.fileExists(a));
    EXPECT_EQ(dir.read(QStringLiteral("Sub/a.url")), QByteArray("a"));
}

TEST_F(FileSystemTest, ResolveCaseInsensitiveFindsTheRealName)
{
    const QString real = dir.file(QStringLiteral("Fav/a.url"));
    EXPECT_EQ(QFileInfo(fs.resolveCaseInsensitive(dir.path(QStringLiteral("Fav/a.URL"))))
                  .canonicalFilePath(),
              QFileInfo(real).canonicalFilePath());
    EXPECT_EQ(fs.resolveCaseInsensitive(real), real);
    const QString none = dir.path(QStringLiteral("Fav/b.URL"));
    EXPECT_EQ(fs.resolveCaseInsensitive(none), none);
}

TEST_F(FileSystemTest, AppendTextAddsToTheEnd)
{
    const QString log = dir.path(QStringLiteral("log.txt"));
    fs.appendText(log, "one\r\n");
    fs.appendText(log, "two\r\n");
    EXPECT_EQ(dir.read(QStringLiteral("log.txt")), QByteArray("one\r\ntwo\r\n"));
}

// A folder of files (one of them read-only) with a subfolder, and a target folder.
class FileSystemWildcard : public FileSystemTest {
protected:
    void SetUp() override
    {
        dir.file(QStringLiteral("Src/a.url"), "new a");
        dir.file(QStringLiteral("Src/B.url"), "new b");
        dir.file(QStringLiteral("Src/.c.url"), "new c");
        dir.file(QStringLiteral("Src/Sub/d.url"), "d");
        QFile::setPermissions(dir.path(QStringLiteral("Src/B.url")), QFileDevice::ReadOwner);
        dir.file(QStringLiteral("Dest/a.url"), "old a");
        dir.file(QStringLiteral("Dest/keep.url"), "keep");
    }
    QString src = dir.path(QStringLiteral("Src"));
    QString dest = dir.path(QStringLiteral("Dest"));
};

TEST_F(FileSystemWildcard, CopyWithOverwriteCopiesEveryFileAndReplacesExistingOnes)
{
    fs.copyFile(FileSystem::join(src, QStringLiteral("*.*")), dest, true);

    EXPECT_EQ(fs.listFolder(dest).files,
              (QStringList{QStringLiteral(".c.url"), QStringLiteral("a.url"),
                           QStringLiteral("B.url"), QStringLiteral("keep.url")}));
    EXPECT_TRUE(fs.listFolder(dest).subfolders.empty());
    EXPECT_EQ(dir.read(QStringLiteral("Dest/a.url")), QByteArray("new a"));
    EXPECT_EQ(dir.read(QStringLiteral("Dest/B.url")), QByteArray("new b"));
    EXPECT_EQ(dir.read(QStringLiteral("Dest/keep.url")), QByteArray("keep"));

    // A second copy replaces the earlier copies, a read-only one among them.
    dir.file(QStringLiteral("Src/.c.url"), "newer c");
    fs.copyFile(FileSystem::join(src, QStringLiteral("*.*")), dest, true);
    EXPECT_EQ(dir.read(QStringLiteral("Dest/.c.url")), QByteArray("newer c"));
    EXPECT_EQ(dir.read(QStringLiteral("Dest/B.url")), QByteArray("new b"));
}

TEST_F(FileSystemWildcard, CopyWithoutOverwriteRefusesAnExistingTarget)
{
    EXPECT_EQ(
        errorOf([&] { fs.copyFile(FileSystem::join(src, QStringLiteral("*.*")), dest, false); }),
        ErrorNumber::FileExists);
    EXPECT_EQ(dir.read(QStringLiteral("Dest/a.url")), QByteArray("old a"));
}

TEST_F(FileSystemWildcard, ForcedDeleteRemovesEveryFileButNoSubfolder)
{
    fs.deleteFile(FileSystem::join(src, QStringLiteral("*.*")), true);

    const norvale::FolderListing listing = fs.listFolder(src);
    EXPECT_TRUE(listing.files.isEmpty()) << listing.files.join(' ').toStdString();
    ASSERT_EQ(listing.subfolders.size(), 1u);
    EXPECT_TRUE(fs.fileExists(dir.path(QStringLiteral("Src/Sub/d.url"))));
}

} // namespace
