#include "platform/RegistryStore.h"
#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

using norvale::NorvaleError;
using norvale::RegistryRoot;
using norvale::RegistryStore;

namespace {

const QString kCompany = QStringLiteral("Brimwick");
const QString kProduct = QStringLiteral("Norvale");

class RegistryStoreTest : public testing::Test {
protected:
    // A fresh instance on the store file, set up the way the program's callers do.
    RegistryStore open(RegistryRoot root = RegistryRoot::CurrentUser) const
    {
        RegistryStore store(file);
        store.SetBasePath(QStringLiteral("Software\\"));
        store.SetRootKey(root);
        return store;
    }
    QString get(const QString& name, const QString& product = kProduct) const
    {
        return open().GetSetting(kCompany, product, name, QStringLiteral("<default>"));
    }

    norvale::test::TempFolder dir;
    QString file = dir.path(QStringLiteral("registry.reg"));
};

TEST_F(RegistryStoreTest, TypedValuesSavedByOneInstanceAreReadByAnother)
{
    file = dir.path(QStringLiteral("config/norvale/registry.reg")); // the folder is made
    {
        RegistryStore store = open();
        store.SaveSetting(kCompany, kProduct, QStringLiteral("On"), QVariant(true));
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Off"), QVariant(false));
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Checked"),
                          QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26)));
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Width"), 1234.0f);
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Ratio"), 1.5f);
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Folder"),
                          QStringLiteral(R"(C:\Favorites\"Work")"));
    }
    EXPECT_EQ(get(QStringLiteral("On")), QStringLiteral("1"));
    EXPECT_EQ(get(QStringLiteral("Off")), QStringLiteral("0"));
    EXPECT_EQ(get(QStringLiteral("Checked")), QStringLiteral("2026-03-14 15:09:26"));
    EXPECT_EQ(get(QStringLiteral("Width")), QStringLiteral("1234"));
    EXPECT_EQ(get(QStringLiteral("Ratio")), QStringLiteral("1.5"));
    EXPECT_EQ(get(QStringLiteral("Folder")), QStringLiteral(R"(C:\Favorites\"Work")"));

    const QStringList lines = dir.lines(QStringLiteral("config/norvale/registry.reg"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("Windows Registry Editor Version 5.00"));
    EXPECT_TRUE(lines.contains(QStringLiteral(R"([HKEY_CURRENT_USER\Software\Brimwick\Norvale])")));
    EXPECT_TRUE(lines.contains(QStringLiteral(R"("Folder"="C:\\Favorites\\\"Work\"")")));
}

TEST_F(RegistryStoreTest, KeyPathsAndValueNamesMatchWithoutRegardToCase)
{
    open().SaveSetting(kCompany, kProduct, QStringLiteral("ProxyLocalByPass"), QStringLiteral("1"));
    EXPECT_EQ(open().GetSetting(QStringLiteral("BRIMWICK"), QStringLiteral("norvale"),
                                QStringLiteral("ProxyLocalBypass"), QString()),
              QStringLiteral("1"));

    // Saving under another spelling replaces the value instead of adding a second one.
    open().SaveSetting(QStringLiteral("brimwick"), QStringLiteral("NORVALE"),
                       QStringLiteral("proxylocalbypass"), QStringLiteral("0"));
    EXPECT_EQ(get(QStringLiteral("ProxyLocalByPass")), QStringLiteral("0"));
    EXPECT_EQ(dir.lines(QStringLiteral("registry.reg"))
                  .filter(QStringLiteral("proxylocalbypass"), Qt::CaseInsensitive)
                  .size(),
              1);
    EXPECT_EQ(dir.lines(QStringLiteral("registry.reg"))
                  .filter(QStringLiteral("[HKEY_CURRENT_USER"), Qt::CaseInsensitive)
                  .size(),
              1);
}

TEST_F(RegistryStoreTest, AbsentIsNotTheSameAsEmpty)
{
    open().SaveSetting(kCompany, kProduct, QStringLiteral("ProxyServer"), QString());
    const RegistryStore store = open();

    EXPECT_EQ(store.value(kCompany, kProduct, QStringLiteral("ProxyServer")), QString());
    EXPECT_EQ(store.GetSetting(kCompany, kProduct, QStringLiteral("ProxyServer"),
                               QStringLiteral("<default>")),
              QString());

    EXPECT_FALSE(store.value(kCompany, kProduct, QStringLiteral("ProxyPort")).has_value());
    EXPECT_EQ(get(QStringLiteral("ProxyPort")), QStringLiteral("<default>"));
    EXPECT_FALSE(store.value(kCompany, QStringLiteral("Other"), QStringLiteral("ProxyServer")));
    EXPECT_EQ(get(QStringLiteral("ProxyServer"), QStringLiteral("Other")),
              QStringLiteral("<default>"));
}

TEST_F(RegistryStoreTest, SavingAgainLeavesTheFileAsItWas)
{
    open().SaveSetting(kCompany, kProduct, QStringLiteral("A"), QStringLiteral("1"));
    open().SaveSetting(kCompany, QStringLiteral("Other"), QStringLiteral("B"), QStringLiteral("2"));
    const QByteArray before = dir.read(QStringLiteral("registry.reg"));
    open().SaveSetting(kCompany, kProduct, QStringLiteral("A"), QStringLiteral("1"));
    open().SaveSetting(kCompany, QStringLiteral("Other"), QStringLiteral("B"), QStringLiteral("2"));
    EXPECT_EQ(dir.read(QStringLiteral("registry.reg")), before);
}

TEST_F(RegistryStoreTest, LocalMachineRootIsAKeyOfItsOwn)
{
    open(RegistryRoot::LocalMachine)
        .SaveSetting(kCompany, kProduct, QStringLiteral("Favorites"), QStringLiteral("/srv/fav"));

    EXPECT_TRUE(dir.lines(QStringLiteral("registry.reg"))
                    .contains(QStringLiteral(R"([HKEY_LOCAL_MACHINE\Software\Brimwick\Norvale])")));
    EXPECT_EQ(open(RegistryRoot::LocalMachine)
                  .GetSetting(kCompany, kProduct, QStringLiteral("Favorites"), QString()),
              QStringLiteral("/srv/fav"));
    EXPECT_FALSE(open().value(kCompany, kProduct, QStringLiteral("Favorites")).has_value());
}

// Files that a person wrote or edited.
class HandWrittenRegistryFile : public RegistryStoreTest {
protected:
    void write(const QByteArray& bytes) { dir.file(QStringLiteral("registry.reg"), bytes); }
};

// Each file holds Folder (and more); a save of another value keeps it.
TEST_F(HandWrittenRegistryFile, IsReadWhateverItsLineEndsSpacingAndEncoding)
{
    const QByteArray byHand = "Windows Registry Editor Version 5.00\n"
                              "; written by hand\n"
                              "\n"
                              "[hkey_current_user\\software\\brimwick\\norvale]\n"
                              "  \"Retries\"=dword:0000000a\n"
                              "\"Folder\"= \"C:\\\\Favorites\\\\\\\"Work\\\"\"\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale\\Window]\n"
                              "\"Top\"=\"12\"\n";
    QByteArray utf16("\xff\xfe", 2);
    for (const QChar c : QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n"
                                        "\"Folder\"=\"/home/zo\u00eb/Favorites\"\r\n"))
        utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    const std::pair<QByteArray, QString> rows[] = {
        {byHand, QStringLiteral(R"(C:\Favorites\"Work")")},
        {QByteArray(byHand).replace("\n", "\r\n"), QStringLiteral(R"(C:\Favorites\"Work")")},
        {QByteArray(byHand).replace("\n", "\r"), QStringLiteral(R"(C:\Favorites\"Work")")},
        {utf16, QStringLiteral("/home/zo\u00eb/Favorites")},
        {"; exported long ago\r\nREGEDIT4\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n"
         "\"Folder\" = \"C:\\\\Users\\\\Zo\xeb\"\r\n",
         QStringLiteral("C:\\Users\\Zo\u00eb")},
    };
    for (const auto& [bytes, folder] : rows) {
        SCOPED_TRACE(bytes.left(60).toStdString());
        write(bytes);
        RegistryStore store = open();
        EXPECT_TRUE(store.unparsedLines().isEmpty())
            << store.unparsedLines().join('|').toStdString();
        EXPECT_EQ(get(QStringLiteral("Folder")), folder);
        store.SaveSetting(kCompany, kProduct, QStringLiteral("Timeout"), QStringLiteral("900"));
        EXPECT_EQ(get(QStringLiteral("Folder")), folder) << "a save keeps the letters as read";
        EXPECT_EQ(get(QStringLiteral("Timeout")), QStringLiteral("900"));
    }
    EXPECT_EQ(dir.read(QStringLiteral("registry.reg")).count("REGEDIT4"), 1);
    // A bare-CR file stays one: the value written in is a line of its own.
    write(QByteArray(byHand).replace("\n", "\r"));
    open().SaveSetting(kCompany, kProduct, QStringLiteral("Added"), QStringLiteral("1"));
    EXPECT_FALSE(dir.read(QStringLiteral("registry.reg")).contains('\n'));
    EXPECT_EQ(get(QStringLiteral("Added")), QStringLiteral("1"));
    EXPECT_EQ(get(QStringLiteral("Top"), QStringLiteral("Norvale\\Window")), QStringLiteral("12"));
    write(byHand);
    EXPECT_EQ(get(QStringLiteral("Retries")), QStringLiteral("10"));
    EXPECT_EQ(get(QStringLiteral("Top"), QStringLiteral("Norvale\\Window")), QStringLiteral("12"));
}

TEST_F(RegistryStoreTest, EveryValueReadsBackAsSavedAndNamesThatCannotAreRefused)
{
    const QStringList values{QStringLiteral("two\nlines"),
                             QStringLiteral("cr\r\nlf"),
                             QStringLiteral("bell\x07"),
                             QStringLiteral("tab\tkept"),
                             QStringLiteral("half ") + QChar(0xD800) + QStringLiteral(" pair"),
                             QStringLiteral(R"(C:\"q")")};
    for (int i = 0; i < values.size(); ++i)
        open().SaveSetting(kCompany, kProduct, QStringLiteral("V%1").arg(i), values[i]);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(get(QStringLiteral("V%1").arg(i)), values[i]) << i;
    EXPECT_TRUE(open().unparsedLines().isEmpty());

    const QByteArray before = dir.read(QStringLiteral("registry.reg"));
    for (const QString& name : {QStringLiteral("Bad\nName"), QStringLiteral("Bad\x01")}) {
        EXPECT_THROW(open().SaveSetting(kCompany, kProduct, name, QStringLiteral("x")),
                     NorvaleError);
        EXPECT_THROW(open().SaveSetting(kCompany, name, QStringLiteral("A"), QStringLiteral("x")),
                     NorvaleError);
    }
    EXPECT_EQ(dir.read(QStringLiteral("registry.reg")), before);
}

TEST_F(HandWrittenRegistryFile, LinesItCannotParseAreReportedAndKeptByteForByte)
{
    const QByteArray stray = "this line was here before any key";
    const QByteArray binary = "\"Icon\"=hex:01,02,ff  ";
    const QByteArray unnamed = "@=\"caf\xc3\xa9\"";
    write("Windows Registry Editor Version 5.00\r\n" + stray +
          "\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n" +
          binary + "\r\n\"Timeout\"=\"1000\"\r\n" + unnamed + "\r\n");

    RegistryStore store = open();
    EXPECT_EQ(store.unparsedLines(),
              (QStringList{QString::fromUtf8(stray), QString::fromUtf8(binary),
                           QString::fromUtf8(unnamed)}));
    store.SaveSetting(kCompany, kProduct, QStringLiteral("Retries"), QStringLiteral("3"));
    store.SaveSetting(kCompany, kProduct, QStringLiteral("Timeout"), QStringLiteral("2000"));

    const QByteArray after = dir.read(QStringLiteral("registry.reg"));
    for (const QByteArray& line : {stray, binary, unnamed})
        EXPECT_TRUE(after.contains("\r\n" + line + "\r\n")) << line.toStdString();
    EXPECT_EQ(get(QStringLiteral("Timeout")), QStringLiteral("2000"));
    EXPECT_EQ(get(QStringLiteral("Retries")), QStringLiteral("3"));
    EXPECT_EQ(open().unparsedLines(), store.unparsedLines());
}

class RegistryStoreDelete : public RegistryStoreTest {
protected:
    void SetUp() override
    {
        RegistryStore store = open();
        store.SaveSetting(kCompany, kProduct, QStringLiteral("A"), QStringLiteral("1"));
        store.SaveSetting(kCompany, kProduct, QStringLiteral("B"), QStringLiteral("2"));
        store.SaveSetting(kCompany, kProduct, QStringLiteral("C"), QStringLiteral("3"));
        store.SaveSetting(kCompany, QStringLiteral("Norvale\\Window"), QStringLiteral("Top"), 12);
        store.SaveSetting(kCompany, QStringLiteral("NorvaleX"), QStringLiteral("A"), 9);
    }
};

TEST_F(RegistryStoreDelete, OneValueOrTheWholeKeyGoesAndNothingElse)
{
    open().DeleteSetting(kCompany, kProduct, QStringLiteral("b"));
    EXPECT_EQ(get(QStringLiteral("A")), QStringLiteral("1"));
    EXPECT_EQ(get(QStringLiteral("B")), QStringLiteral("<default>"));
    EXPECT_EQ(get(QStringLiteral("Top"), QStringLiteral("Norvale\\Window")), QStringLiteral("12"));

    open().DeleteSetting(kCompany, QStringLiteral("NORVALE"), QString()); // with its subkeys
    EXPECT_EQ(get(QStringLiteral("A")), QStringLiteral("<default>"));
    EXPECT_EQ(get(QStringLiteral("Top"), QStringLiteral("Norvale\\Window")),
              QStringLiteral("<default>"));
    EXPECT_EQ(get(QStringLiteral("A"), QStringLiteral("NorvaleX")), QStringLiteral("9"));
    EXPECT_FALSE(dir.read(QStringLiteral("registry.reg")).contains("Brimwick\\Norvale]"));
}

// A store file that exists but cannot be read may hold settings: it is never replaced.
TEST_F(RegistryStoreTest, PathThatCannotBeReadAsAFileIsNotReplaced)
{
    dir.file(QStringLiteral("registry.reg/keep.txt"), "keep");
    RegistryStore store = open();

    EXPECT_THROW(store.SaveSetting(kCompany, kProduct, QStringLiteral("A"), QStringLiteral("1")),
                 NorvaleError);
    EXPECT_THROW(store.DeleteSetting(kCompany, kProduct, QString()), NorvaleError);
    EXPECT_TRUE(QFileInfo(file).isDir());
    EXPECT_EQ(dir.read(QStringLiteral("registry.reg/keep.txt")), QByteArray("keep"));
}

TEST_F(RegistryStoreTest, HeldWritesGoToDiskOnceAtTheRelease)
{
    int commits = 0;
    norvale::SetFileFaultForTesting([&](norvale::FileStep step, const QString&) {
        commits += step == norvale::FileStep::Rename;
        return 0;
    });
    RegistryStore store = open();
    store.holdWrites();
    for (int i = 0; i < 5; ++i)
        store.SaveSetting(kCompany, kProduct, QStringLiteral("V%1").arg(i), QString::number(i));
    EXPECT_EQ(commits, 0);
    EXPECT_EQ(get(QStringLiteral("V4")), QStringLiteral("<default>")) << "nothing on disk yet";
    store.releaseWrites();
    norvale::SetFileFaultForTesting({});
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(get(QStringLiteral("V4")), QStringLiteral("4"));
}

} // namespace
