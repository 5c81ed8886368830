#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/ProfileFile.h"
#include "platform/RegistryStore.h"
#include "support/ErrorNumber.h"
#include "support/SmallDisk.h"
#include "support/TempFavorites.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <QDir>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using norvale::FileStep;
using norvale::FileSystem;
using norvale::test::SmallDisk;
using norvale::test::TempFolder;
namespace ErrorNumber = norvale::ErrorNumber;

namespace {

const QByteArray kShortcut = "[InternetShortcut]\r\nURL=https://example.test/\r\n";

using norvale::test::errorOf;

// Every entry of a folder, hidden ones included.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class FileSafetyTest : public testing::Test {
protected:
    void TearDown() override { norvale::SetFileFaultForTesting({}); }
    TempFolder dir;
    FileSystem fs;
};

// Each step of a write and of a copy failing in turn, as a full disk, a
// refused rename or a failed flush would make it: the caller hears of it,
// the target keeps its old bytes and no temporary file stays behind.
TEST_F(FileSafetyTest, AFailureAtAnyStepLeavesTheOldFileAndNothingElse)
{
    const QString target = dir.file(u"Favorites/a.url"_s, kShortcut);
    const QString source = dir.file(u"elsewhere/a.url"_s, "[InternetShortcut]\r\nURL=other\r\n");
    const struct {
        const char* what;
        std::function<void()> run;
    } operations[] = {
        {"write", [&] { norvale::WriteFileAtomically(target, "new"); }},
        {"profile write",
         [&] { norvale::ProfileFile::write(target, u"InternetShortcut"_s, u"URL"_s, u"x"_s); }},
        {"copy", [&] { fs.copyFile(source, dir.path(u"Favorites"_s), true); }},
    };
    for (const auto& operation : operations) {
        for (const FileStep step :
             {FileStep::Create, FileStep::Write, FileStep::Sync, FileStep::Rename}) {
            SCOPED_TRACE(testing::Message() << operation.what << ", step " << int(step));
            norvale::SetFileFaultForTesting(
                [step](FileStep now, const QString&) { return now == step ? ENOSPC : 0; });
            EXPECT_EQ(errorOf(operation.run), ErrorNumber::DiskFull);
            EXPECT_EQ(dir.read(u"Favorites/a.url"_s), kShortcut);
            EXPECT_EQ(entriesOf(dir.path(u"Favorites"_s)), QStringList{u"a.url"_s});
        }
    }
    // Without a fault the bytes are replaced and the permissions kept.
    norvale::SetFileFaultForTesting({});
    const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(target, permissions));
    norvale::WriteFileAtomically(target, QByteArray("new\0bytes", 9));
    EXPECT_EQ(dir.read(u"Favorites/a.url"_s), QByteArray("new\0bytes", 9));
    EXPECT_EQ(QFileInfo(target).permissions() & QFile::Permissions::fromInt(0x7077), permissions);
    EXPECT_EQ(entriesOf(dir.path(u"Favorites"_s)), QStringList{u"a.url"_s});
}

// A link in the Favorites folder may point anywhere; writing through it
// would change a file outside. Nothing but a regular file is read for a copy
// either: a FIFO would never end.
TEST_F(FileSafetyTest, LinksAreNeverWrittenThroughAndOnlyFilesAreCopied)
{
    const QString outside = dir.file(u"outside.txt"_s, "not a favorite");
    const QString folder = dir.folder(u"Favorites"_s);
    ASSERT_TRUE(QFile::link(outside, dir.path(u"Favorites/link.url"_s)));
    ASSERT_TRUE(QFile::link(dir.path(u"nowhere.txt"_s), dir.path(u"Favorites/dangling.url"_s)));
    const QString source = dir.file(u"elsewhere/link.url"_s, kShortcut);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path(u"elsewhere/pipe.url"_s)).constData(), 0600), 0);

    for (const QString& name : {u"link.url"_s, u"dangling.url"_s})
        EXPECT_EQ(errorOf([&] { norvale::WriteFileAtomically(folder + '/' + name, "x"); }),
                  ErrorNumber::PermissionDenied);
    EXPECT_EQ(errorOf([&] { fs.copyFile(source, folder, true); }), ErrorNumber::PermissionDenied);
    EXPECT_EQ(errorOf([&] {
                  norvale::CopyFileAtomically(dir.path(u"elsewhere/pipe.url"_s),
                                              dir.path(u"Favorites/pipe.url"_s), false);
              }),
              ErrorNumber::PathFileAccess);

    EXPECT_EQ(dir.read(u"outside.txt"_s), "not a favorite");
    EXPECT_FALSE(QFileInfo::exists(dir.path(u"nowhere.txt"_s)));
    EXPECT_EQ(entriesOf(folder), (QStringList{u"dangling.url"_s, u"link.url"_s}));
}

// A name longer than the file system takes is refused as such, with a
// message that keeps the path readable, whether made or renamed to.
TEST_F(FileSafetyTest, ANameTooLongIsSaidToBeSo)
{
    const QString longName = QString(300, u'n');
    const QString folder = dir.folder(u"Favorites"_s);
    const QString file = dir.file(u"Favorites/short.url"_s, kShortcut);
    for (const auto& attempt : std::initializer_list<std::function<void()>>{
             [&] { fs.makeFolder(folder + '/' + longName); },
             [&] { fs.rename(file, longName + u".url"_s); }}) {
        try {
            attempt();
            ADD_FAILURE() << "no error";
        } catch (const norvale::NorvaleError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::BadFileName);
            EXPECT_TRUE(error.description().startsWith(
                u"The name or path is longer than the file system allows: "_s));
            EXPECT_LT(error.description().size(), 300);
        }
    }
    EXPECT_EQ(entriesOf(folder), QStringList{u"short.url"_s});
}

// A killed write leaves its hidden temporary file; the next start removes
// those, and only those, and no listing ever shows one.
TEST_F(FileSafetyTest, OnlyTheProgramsOwnLeftoversAreRemoved)
{
    const QString ours = norvale::NewOwnTemporaryName();
    const QStringList others = {u".norvale-abc.tmp"_s, u".norvale-ABCDEFGHIJKL.tmp"_s,
                                ours + u".url"_s, u"Site.url.Ab12Cd"_s, u"Site.url"_s};
    for (const QString& name : others + QStringList{ours}) {
        dir.file(u"Favorites/"_s + name, "x");
        dir.file(u"Favorites/Sub/"_s + name, "x");
        dir.file(u"Linked/"_s + name, "x");
    }
    ASSERT_TRUE(QFile::link(dir.path(u"Linked"_s), dir.path(u"Favorites/Link"_s)));
    EXPECT_TRUE(norvale::IsOwnTemporaryName(ours));

    EXPECT_FALSE(fs.listFolder(dir.path(u"Favorites"_s)).files.contains(ours));
    EXPECT_EQ(norvale::RemoveOwnTemporaryFiles(dir.path(u"Favorites"_s), true), 2);

    QStringList expected = others + QStringList{u"Link"_s, u"Sub"_s};
    expected.sort();
    EXPECT_EQ(entriesOf(dir.path(u"Favorites"_s)), expected);
    EXPECT_EQ(entriesOf(dir.path(u"Favorites/Sub"_s)).size(), others.size());
    EXPECT_TRUE(QFile::exists(dir.path(u"Linked/"_s + ours))) << "links are not followed";

    // "*.*" copies and deletes every file of a folder, a read-only and a hidden
    // one among them, and no subfolder.
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
    EXPECT_EQ(dir.read(u"Dest/a.url"_s) + dir.read(u"Dest/B.url"_s) + dir.read(u"Dest/.c.url"_s) +
                  dir.read(u"Dest/keep.url"_s),
              "new anew bnewer ckeep");

    fs.deleteFile(all, true);
    EXPECT_TRUE(fs.listFolder(dir.path(u"Src"_s)).files.isEmpty());
    EXPECT_TRUE(fs.fileExists(dir.path(u"Src/Sub/d.url"_s)));
}

class FullDiskTest : public FileSafetyTest {
protected:
    void SetUp() override
    {
        if (!disk.mounted())
            GTEST_SKIP() << disk.reason().toStdString();
    }
    SmallDisk disk;
};

TEST_F(FullDiskTest, WritesFailWholeAndLeaveEveryOriginal)
{
    const QString favorite = disk.path(u"Site.url"_s);
    const QString settings = disk.path(u"registry.reg"_s);
    const QString company = u"Brimwick"_s, product = u"Norvale"_s, is = u"InternetShortcut"_s;
    norvale::WriteFileAtomically(favorite, kShortcut);
    norvale::RegistryStore(settings).SaveSetting(company, product, u"Timeout"_s, u"900"_s);
    const QByteArray storedSettings = dir.read(settings);
    disk.fill();

    const QString big = QString(5000, u'a');
    EXPECT_EQ(errorOf([&] { norvale::ProfileFile::write(favorite, is, u"URL"_s, big); }),
              ErrorNumber::DiskFull);
    EXPECT_EQ(errorOf([&] {
                  norvale::RegistryStore(settings).SaveSetting(company, product, u"F"_s, big);
              }),
              ErrorNumber::DiskFull);

    EXPECT_EQ(dir.read(favorite), kShortcut);
    EXPECT_EQ(dir.read(settings), storedSettings);
    EXPECT_EQ(entriesOf(disk.path()), (QStringList{u"Site.url"_s, u"filler"_s, u"registry.reg"_s}));
}

// A move onto another file system is a copy, checked and put in place
// before the source goes; when the copy cannot be made whole, or the source
// cannot go, the favorite stays where it was, and only there.
TEST_F(FullDiskTest, AMoveToAnotherDiskNeverLosesItsSource)
{
    const QString source = dir.file(u"Favorites/Moved.url"_s, kShortcut);
    const QDateTime modified = QFileInfo(source).lastModified().addDays(-3);
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    fs.moveFile(source, disk.path(u"Moved.url"_s));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(dir.read(disk.path(u"Moved.url"_s)), kShortcut);
    EXPECT_EQ(QFileInfo(disk.path(u"Moved.url"_s)).lastModified(), modified);

    dir.file(u"Favorites/Kept.url"_s, kShortcut);
    norvale::SetFileFaultForTesting(
        [](FileStep step, const QString&) { return step == FileStep::RemoveSource ? EACCES : 0; });
    EXPECT_EQ(
        errorOf([&] { fs.moveFile(dir.path(u"Favorites/Kept.url"_s), disk.path(u"Kept.url"_s)); }),
        ErrorNumber::PermissionDenied);
    norvale::SetFileFaultForTesting({});

    disk.fill();
    const QByteArray big = kShortcut + QByteArray(8000, ';');
    dir.file(u"Favorites/Full.url"_s, big);
    EXPECT_EQ(
        errorOf([&] { fs.moveFile(dir.path(u"Favorites/Full.url"_s), disk.path(u"F.url"_s)); }),
        ErrorNumber::DiskFull);
    EXPECT_EQ(dir.read(u"Favorites/Full.url"_s), big);
    EXPECT_EQ(dir.read(u"Favorites/Kept.url"_s), kShortcut);
    EXPECT_EQ(entriesOf(disk.path()), (QStringList{u"Moved.url"_s, u"filler"_s}));
}

} // namespace
