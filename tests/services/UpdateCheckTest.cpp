// The update check over real HTTP against the fixture server on 127.0.0.1.

#include "services/UpdateCheck.h"
#include "platform/TransferEngine.h"
#include "services/UpdateInfo.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QTimer>

using namespace norvale;
using namespace norvale::test;

namespace {

FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

struct Document {
    QString version = QStringLiteral("2.34");
    QString location = QStringLiteral("http://127.0.0.1/norvale.zip");
    QString current = QStringLiteral("You have the newest Norvale.");
    QString newer = QStringLiteral("Norvale 2.4 is out.");
    QString common = QString();

    QString text() const
    {
        return QStringLiteral("<Version>%1</Version>\r\n<Update_Location>%2</Update_Location>\r\n"
                              "<Current_Version>%3</Current_Version>\r\n"
                              "<New_Version>%4</New_Version>\r\n<Common>%5</Common>\r\n")
            .arg(version, location, current, newer, common);
    }
};

const QDateTime kLastCheck(QDate(2026, 1, 2), QTime(8, 30));
const QDateTime kNow(QDate(2026, 6, 1), QTime(12, 0));

class UpdateCheckTest : public testing::Test {
protected:
    UpdateCheckTest() { m_settings.LastCheck = kLastCheck; }

    // Our own version is 2.3.4, written 2.34.
    UpdateCheck checkAt(const QString& url)
    {
        return UpdateCheck(m_settings, m_clock, m_engine, url, ProgramVersion{2, 3, 4});
    }
    static QString served(const QString& body, int status = 200, int delayMs = 0)
    {
        return server().url(
            FixtureServer::path(QStringLiteral("/page"), {{"status", QString::number(status)},
                                                          {"delay", QString::number(delayMs)},
                                                          {"body", body}}));
    }
    QString notice(const QString& body) { return checkAt(served(body)).CheckForUpdate(); }

    AppSettings m_settings;
    FixedClock m_clock{kNow};
    TransferEngine m_engine;
};

TEST_F(UpdateCheckTest, FetchKeepsEveryValueExactlyAsWritten)
{
    Document doc;
    doc.version = QStringLiteral("\r\n2.5 ");
    doc.common = QStringLiteral("  line one\r\nline two ");
    const UpdateInfo info = checkAt(served(doc.text())).FetchUpdateInfo();
    EXPECT_EQ(info.Version, doc.version);
    EXPECT_EQ(info.Update_Location, doc.location);
    EXPECT_EQ(info.Current_Version, doc.current);
    EXPECT_EQ(info.New_Version, doc.newer);
    EXPECT_EQ(info.Common, doc.common);
}

TEST_F(UpdateCheckTest, NewerVersionGivesItsNoticeAndMovesLastCheck)
{
    Document doc;
    doc.version = QStringLiteral("2.4"); // 2.4 > 2.34
    doc.common = QStringLiteral("General news.");
    EXPECT_EQ(notice(doc.text()), doc.newer);
    EXPECT_EQ(m_settings.LastCheck, kNow);
}

TEST_F(UpdateCheckTest, NewerVersionWithEmptyNoticeStillMovesLastCheck)
{
    Document doc;
    doc.version = QStringLiteral("3");
    doc.newer = QString();
    doc.common = QStringLiteral("General news.");
    EXPECT_EQ(notice(doc.text()), QString());
    EXPECT_EQ(m_settings.LastCheck, kNow);
}

TEST_F(UpdateCheckTest, SameVersionWithoutCommonNoticeTellsNothing)
{
    EXPECT_EQ(notice(Document().text()), QString());
    EXPECT_EQ(m_settings.LastCheck, kLastCheck);
}

TEST_F(UpdateCheckTest, OlderVersionWithCommonNoticeGivesItAndMovesLastCheck)
{
    Document doc;
    doc.version = QStringLiteral("2.3");
    doc.common = QStringLiteral("Norvale now checks FTP favorites too.");
    EXPECT_EQ(notice(doc.text()), doc.common);
    EXPECT_EQ(m_settings.LastCheck, kNow);
}

TEST_F(UpdateCheckTest, LowerCaseTagsAreReadLikeTheUsualOnes)
{
    Document doc;
    doc.version = QStringLiteral("9.1");
    EXPECT_EQ(notice(doc.text().toLower()), doc.newer.toLower());
    EXPECT_EQ(m_settings.LastCheck, kNow);
}

TEST_F(UpdateCheckTest, MalformedDocumentsGiveNoNoticeAndKeepLastCheck)
{
    Document doc;
    doc.version = QStringLiteral("9.1");
    doc.common = QStringLiteral("General news.");
    const QString good = doc.text();
    QString noLocation = good;
    noLocation.remove(QStringLiteral("<Update_Location>http://127.0.0.1/norvale.zip"
                                     "</Update_Location>"));
    QString noClosing = good;
    noClosing.remove(QStringLiteral("</Update_Location>"));
    QString noOpening = good;
    noOpening.remove(QStringLiteral("<Update_Location>"));
    const QString closingFirst = QStringLiteral("</Common>") + good;
    doc.version = QStringLiteral("two point five");
    const QString wordVersion = doc.text();
    doc.version = QStringLiteral("2.5.1");
    const QString dottedVersion = doc.text();

    for (const QString& body :
         {noLocation, noClosing, noOpening, closingFirst, wordVersion, dottedVersion}) {
        SCOPED_TRACE(body.toStdString());
        EXPECT_TRUE(ReadUpdateDocument(body).isEmpty());
    }
    EXPECT_FALSE(ReadUpdateDocument(good).isEmpty());
    // The whole check on two of them: nothing to tell, nothing moves.
    EXPECT_EQ(notice(noLocation), QString());
    EXPECT_EQ(notice(wordVersion), QString());
    EXPECT_EQ(m_settings.LastCheck, kLastCheck);
}

TEST_F(UpdateCheckTest, AnswerAfterTheSecondIsNoAnswer)
{
    Document doc;
    doc.version = QStringLiteral("9.1");
    EXPECT_EQ(checkAt(served(doc.text(), 200, 1500)).CheckForUpdate(), QString());
    EXPECT_EQ(m_settings.LastCheck, kLastCheck);
}

TEST_F(UpdateCheckTest, StatusOtherThan200IsNoAnswer)
{
    Document doc;
    doc.version = QStringLiteral("9.1");
    EXPECT_EQ(checkAt(served(doc.text(), 404)).CheckForUpdate(), QString());
    EXPECT_EQ(m_settings.LastCheck, kLastCheck);
}

TEST_F(UpdateCheckTest, WindowEventsRunDuringTheWholeWait)
{
    // The answer comes at once, yet the wait goes on for its full second, so
    // a timer due after half a second fires inside it.
    bool fired = false;
    QTimer::singleShot(500, [&fired] { fired = true; });
    Document doc;
    doc.version = QStringLiteral("9.1");
    EXPECT_EQ(checkAt(served(doc.text())).CheckForUpdate(), doc.newer);
    EXPECT_TRUE(fired);
}

TEST_F(UpdateCheckTest, EnvironmentVariableNamesTheDocument)
{
    Document doc;
    doc.version = QStringLiteral("9.1");
    qputenv("NORVALE_UPDATE_URL", served(doc.text()).toUtf8());
    UpdateCheck check(m_settings, m_clock, m_engine);
    qunsetenv("NORVALE_UPDATE_URL");
    EXPECT_EQ(check.CheckForUpdate(), doc.newer);
    // Without it: the maker's address (not contacted here).
    EXPECT_EQ(UpdateDocumentAddress(), QString::fromLatin1(kUpdateDocumentAddress));
}

TEST(AutomaticUpdateCheckDue, AfterThirtyDaysWhenSwitchedOn)
{
    AppSettings settings;
    settings.AutoCheck = true;
    settings.LastCheck = kLastCheck;
    EXPECT_FALSE(AutomaticUpdateCheckDue(settings, kLastCheck.addDays(30)));
    EXPECT_TRUE(AutomaticUpdateCheckDue(settings, kLastCheck.addDays(30).addSecs(1)));
    settings.AutoCheck = false;
    EXPECT_FALSE(AutomaticUpdateCheckDue(settings, kLastCheck.addDays(90)));
}

} // namespace
