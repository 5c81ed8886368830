// The update check over real HTTP against the fixture server on 127.0.0.1.

#include "services/UpdateCheck.h"
#include "platform/TransferEngine.h"
#include "services/UpdateInfo.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;

namespace {

// The update document; our own version is 2.3.4, written 2.34.
QString document(const QString& version, const QString& common = {})
{
    return u"<Version>%1</Version>\r\n<Update_Location>http://127.0.0.1/norvale.zip"
           "</Update_Location>\r\n<Current_Version>You have the newest Norvale.</Current_Version>"
           "\r\n<New_Version>Norvale 2.4 is out.</New_Version>\r\n<Common>%2</Common>\r\n"_s.arg(
               version, common);
}

QString served(const QString& body, int status = 200, int delayMs = 0)
{
    return server().url(FixtureServer::path(u"/page"_s, {{"status", QString::number(status)},
                                                         {"delay", QString::number(delayMs)},
                                                         {"body", body}}));
}

const QDateTime kLastCheck(QDate(2026, 1, 2), QTime(8, 30));
const QDateTime kNow(QDate(2026, 6, 1), QTime(12, 0));

class UpdateCheckTest : public testing::Test {
protected:
    UpdateCheckTest() { m_settings.LastCheck = kLastCheck; }
    UpdateCheck checkAt(const QString& url)
    {
        return UpdateCheck(m_settings, m_clock, m_engine, url, ProgramVersion{2, 3, 4});
    }

    AppSettings m_settings;
    FixedClock m_clock{kNow};
    TransferEngine m_engine;
};

// A newer version gives its notice, else the common notice; Last Check
// moves only once a notice was shown; a
// malformed document, a failed or a late answer tell nothing.
TEST_F(UpdateCheckTest, EachAnswerGivesItsNotice)
{
    const QString good = document(u"9.1"_s, u"General news."_s);
    const QString noClosing = QString(good).remove(u"</Update_Location>"_s);
    const struct {
        QString body;
        QString notice;
        bool moved;
        bool readable = true;
        int status = 200, delayMs = 0;
    } rows[] = {
        {document(u"2.4"_s, u"General news."_s), u"Norvale 2.4 is out."_s, true}, // 2.4 > 2.34
        {document(u"2.34"_s), {}, false},
        {document(u"2.3"_s, u"Checks FTP too."_s), u"Checks FTP too."_s, true},
        {document(u"9.1"_s).toLower(), u"norvale 2.4 is out."_s, true},
        {noClosing, {}, false, false},
        {document(u"two point five"_s, u"News."_s), {}, false, false},
        {good, {}, false, true, 404},
        {good, {}, false, true, 200, 1500}, // after the second: no answer
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.toStdString());
        m_settings.LastCheck = kLastCheck;
        EXPECT_EQ(ReadUpdateDocument(row.body).isEmpty(), !row.readable);
        UpdateCheck check = checkAt(served(row.body, row.status, row.delayMs));
        EXPECT_EQ(check.CheckForUpdate(), row.notice);
        EXPECT_EQ(m_settings.LastCheck, kLastCheck) << "news nobody saw is asked for again";
        if (!row.notice.isEmpty())
            check.NoticeShown();
        EXPECT_EQ(m_settings.LastCheck, row.moved ? kNow : kLastCheck);
    }
}

} // namespace
