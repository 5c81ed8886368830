#include "platform/RegistryStore.h"
#include "support/ErrorNumber.h"
#include "support/TempFavorites.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using norvale::RegistryRoot;
using norvale::RegistryStore;
using norvale::test::errorOf;

namespace {

const QString kCompany = u"Brimwick"_s;
const QString kProduct = u"Norvale"_s;

class RegistryStoreTest : public testing::Test {
protected:
    // A fresh instance on the store file, set up the way the program's callers do.
    RegistryStore open(RegistryRoot root = RegistryRoot::CurrentUser) const
    {
        RegistryStore store(file);
        store.SetBasePath(u"Software\\"_s);
        store.SetRootKey(root);
        return store;
    }
    void save(const QString& name, const QVariant& value, const QString& product = kProduct)
    {
        open().SaveSetting(kCompany, product, name, value);
    }
    QString get(const QString& name, const QString& product = kProduct) const
    {
        return open().GetSetting(kCompany, product, name, u"<default>"_s);
    }
    QByteArray bytes() const { return dir.read(u"registry.reg"_s); }
    void write(const QByteArray& bytes) { dir.file(u"registry.reg"_s, bytes); }

    norvale::test::TempFolder dir;
    QString file = dir.path(u"registry.reg"_s);
};

TEST_F(RegistryStoreTest, EveryValueSavedByOneInstanceIsReadByAnother)
{
    file = dir.path(u"config/norvale/registry.reg"_s); // the folder is made
    const std::pair<QVariant, QString> rows[] = {
        {true, "1"},
        {false, "0"},
        {QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26)), "2026-03-14 15:09:26"},
        {1.5f, "1.5"},
        {u"C:\\Favorites\\\"Work\""_s, u"C:\\Favorites\\\"Work\""_s},
        {u"two\nlines"_s, u"two\nlines"_s},
        {u"cr\r\nlf\x07\t"_s, u"cr\r\nlf\x07\t"_s},
        {u"half "_s + QChar(0xD800) + u" pair"_s, u"half "_s + QChar(0xD800) + u" pair"_s},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        save(u"V%1"_s.arg(i), rows[i].first);
    const QByteArray before = dir.read(u"config/norvale/registry.reg"_s);
    save(u"V0"_s, true); // saving a value again leaves the file as it was
    EXPECT_EQ(dir.read(u"config/norvale/registry.reg"_s), before);
    for (int i = 0; i < int(std::size(rows)); ++i)
        EXPECT_EQ(get(u"V%1"_s.arg(i)), rows[i].second) << i;
    EXPECT_TRUE(open().unparsedLines().isEmpty());
    const QStringList lines = dir.lines(u"config/norvale/registry.reg"_s);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), u"Windows Registry Editor Version 5.00"_s);
    EXPECT_TRUE(lines.contains(u"[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]"_s));
    EXPECT_TRUE(lines.contains(uR"("V4"="C:\\Favorites\\\"Work\"")"_s));

    // Names that could not read back are refused, and nothing is written.
    for (const QString& name : {u"Bad\nName"_s, u"Bad\x01"_s}) {
        EXPECT_EQ(errorOf([&] { save(name, u"x"_s); }), 5);
        EXPECT_EQ(errorOf([&] { save(u"A"_s, u"x"_s, name); }), 5);
    }
    EXPECT_EQ(dir.read(u"config/norvale/registry.reg"_s), before);
}

TEST_F(RegistryStoreTest, NamesMatchWithoutRegardToCaseAndAbsentIsNotEmpty)
{
    save(u"ProxyLocalByPass"_s, u"1"_s);
    EXPECT_EQ(open().GetSetting(u"BRIMWICK"_s, u"norvale"_s, u"ProxyLocalBypass"_s, {}), u"1"_s);
    // Saving under another spelling replaces the value instead of adding one.
    open().SaveSetting(u"brimwick"_s, u"NORVALE"_s, u"proxylocalbypass"_s, u"0"_s);
    EXPECT_EQ(get(u"ProxyLocalByPass"_s), u"0"_s);
    EXPECT_EQ(bytes().toLower().count("proxylocalbypass"), 1);
    EXPECT_EQ(bytes().toLower().count("[hkey_current_user"), 1);

    save(u"ProxyServer"_s, QString());
    EXPECT_EQ(get(u"ProxyServer"_s), QString());
    EXPECT_FALSE(open().value(kCompany, kProduct, u"ProxyPort"_s).has_value());
    EXPECT_EQ(get(u"ProxyPort"_s), u"<default>"_s);
    EXPECT_EQ(get(u"ProxyServer"_s, u"Other"_s), u"<default>"_s);

    open(RegistryRoot::LocalMachine).SaveSetting(kCompany, kProduct, u"Folder"_s, u"/srv"_s);
    EXPECT_TRUE(bytes().contains("[HKEY_LOCAL_MACHINE\\Software\\Brimwick\\Norvale]"));
    EXPECT_EQ(open(RegistryRoot::LocalMachine).GetSetting(kCompany, kProduct, u"Folder"_s, {}),
              u"/srv"_s);
    EXPECT_EQ(get(u"Folder"_s), u"<default>"_s) << "each root is a key of its own";
}

// Files a person wrote or edited: each holds Folder (and more); a save of
// another value keeps it.
TEST_F(RegistryStoreTest, HandWrittenFileIsReadWhateverItsLineEndsSpacingAndEncoding)
{
    const QByteArray byHand = "Windows Registry Editor Version 5.00\n; written by hand\n\n"
                              "[hkey_current_user\\software\\brimwick\\norvale]\n"
                              "  \"Retries\"=dword:0000000a\n"
                              "\"Folder\"= \"C:\\\\Favorites\\\\\\\"Work\\\"\"\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale\\Window]\n"
                              "\"Top\"=\"12\"\n";
    QByteArray utf16("\xff\xfe", 2);
    for (const QChar c : u"Windows Registry Editor Version 5.00\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n"
                         "\"Folder\"=\"/home/zo\u00eb/Favorites\"\r\n"_s)
        utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    const std::pair<QByteArray, QString> rows[] = {
        {byHand, uR"(C:\Favorites\"Work")"_s},
        {QByteArray(byHand).replace("\n", "\r"), uR"(C:\Favorites\"Work")"_s},
        {utf16, u"/home/zo\u00eb/Favorites"_s},
        {"; exported long ago\r\nREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]"
         "\r\n\"Folder\" = \"C:\\\\Users\\\\Zo\xeb\"\r\n",
         u"C:\\Users\\Zo\u00eb"_s},
    };
    for (const auto& [bytes, folder] : rows) {
        SCOPED_TRACE(bytes.left(60).toStdString());
        write(bytes);
        RegistryStore store = open();
        EXPECT_TRUE(store.unparsedLines().isEmpty())
            << store.unparsedLines().join('|').toStdString();
        EXPECT_EQ(get(u"Folder"_s), folder);
        store.SaveSetting(kCompany, kProduct, u"Timeout"_s, u"900"_s);
        EXPECT_EQ(get(u"Folder"_s), folder) << "a save keeps the letters as read";
        EXPECT_EQ(get(u"Timeout"_s), u"900"_s);
    }
    EXPECT_EQ(bytes().count("REGEDIT4"), 1);
    // A bare-CR file stays one: the value written in is a line of its own.
    write(QByteArray(byHand).replace("\n", "\r"));
    save(u"Added"_s, u"1"_s);
    EXPECT_FALSE(bytes().contains('\n'));
    EXPECT_EQ(get(u"Added"_s), u"1"_s);
    EXPECT_EQ(get(u"Top"_s, u"Norvale\\Window"_s), u"12"_s);
    write(byHand);
    EXPECT_EQ(get(u"Retries"_s), u"10"_s);
}

TEST_F(RegistryStoreTest, LinesItCannotParseAreReportedAndKeptByteForByte)
{
    const QByteArray stray = "this line was here before any key";
    const QByteArray binary = "\"Icon\"=hex:01,02,ff  ";
    const QByteArray unnamed = "@=\"caf\xc3\xa9\"";
    write("Windows Registry Editor Version 5.00\r\n" + stray +
          "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n" + binary +
          "\r\n\"Timeout\"=\"1000\"\r\n" + unnamed + "\r\n");

    RegistryStore store = open();
    const QStringList unparsed{QString::fromUtf8(stray), QString::fromUtf8(binary),
                               QString::fromUtf8(unnamed)};
    EXPECT_EQ(store.unparsedLines(), unparsed);
    store.SaveSetting(kCompany, kProduct, u"Retries"_s, u"3"_s);
    store.SaveSetting(kCompany, kProduct, u"Timeout"_s, u"2000"_s);
    for (const QByteArray& line : {stray, binary, unnamed})
        EXPECT_TRUE(bytes().contains("\r\n" + line + "\r\n")) << line.toStdString();
    EXPECT_EQ(get(u"Timeout"_s), u"2000"_s);
    EXPECT_EQ(open().unparsedLines(), unparsed);
}

TEST_F(RegistryStoreTest, DeleteTakesOneValueOrTheWholeKeyAndNothingElse)
{
    save(u"A"_s, u"1"_s);
    save(u"B"_s, u"2"_s);
    save(u"Top"_s, 12, u"Norvale\\Window"_s);
    save(u"A"_s, 9, u"NorvaleX"_s);
    open().DeleteSetting(kCompany, kProduct, u"b"_s);
    EXPECT_EQ(get(u"A"_s), u"1"_s);
    EXPECT_EQ(get(u"B"_s), u"<default>"_s);
    EXPECT_EQ(get(u"Top"_s, u"Norvale\\Window"_s), u"12"_s);

    open().DeleteSetting(kCompany, u"NORVALE"_s, QString()); // with its subkeys
    EXPECT_EQ(get(u"A"_s), u"<default>"_s);
    EXPECT_EQ(get(u"Top"_s, u"Norvale\\Window"_s), u"<default>"_s);
    EXPECT_EQ(get(u"A"_s, u"NorvaleX"_s), u"9"_s);
    EXPECT_FALSE(bytes().contains("Brimwick\\Norvale]"));

    // A store file that exists but cannot be read may hold settings: it is never replaced.
    QFile::remove(file);
    dir.file(u"registry.reg/keep.txt"_s, "keep");
    RegistryStore store = open();
    EXPECT_NE(errorOf([&] { store.SaveSetting(kCompany, kProduct, u"A"_s, u"1"_s); }), 0);
    EXPECT_NE(errorOf([&] { store.DeleteSetting(kCompany, kProduct, QString()); }), 0);
    EXPECT_TRUE(QFileInfo(file).isDir());
    EXPECT_EQ(dir.read(u"registry.reg/keep.txt"_s), "keep");
}

} // namespace
