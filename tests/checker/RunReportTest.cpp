// Report files keep what pages say from becoming formulas, markup or links
// that run anything.

#include "checker/RunReport.h"

#include <gmock/gmock.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

using namespace norvale;

namespace {

TEST(RunReportTest, HostileTitlesStayText)
{
    ReportEntry entry;
    entry.path = QStringLiteral("Folder/Name, with \"quotes\"");
    entry.addressBefore = QStringLiteral("http://127.0.0.1/old");
    entry.addressAfter = QStringLiteral("javascript:alert(1)");
    entry.light = QStringLiteral("alive");
    entry.status = 200;
    entry.title = QStringLiteral("=HYPERLINK(\"x\")<script>alert(1)</script>\nline");
    const QList<ReportEntry> entries{entry};
    const QDateTime finished(QDate(2026, 3, 14), QTime(15, 9), QTimeZone::utc());

    const QString csv = QString::fromUtf8(FormatReport(ReportFormat::Csv, entries, finished));
    EXPECT_EQ(csv.section(QStringLiteral("\r\n"), 1),
              QStringLiteral("\"Folder/Name, with \"\"quotes\"\"\",http://127.0.0.1/old,"
                             "javascript:alert(1),alive,200,\"'=HYPERLINK(\"\"x\"\")<script>"
                             "alert(1)</script>\nline\",,,\r\n"));

    const QString html = QString::fromUtf8(FormatReport(ReportFormat::Html, entries, finished));
    EXPECT_FALSE(html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(QStringLiteral("href=\"javascript")));
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"http://127.0.0.1/old\"")));
    EXPECT_FALSE(html.contains(QStringLiteral("src=")));

    const QJsonObject json =
        QJsonDocument::fromJson(FormatReport(ReportFormat::Json, entries, finished)).object();
    EXPECT_EQ(json[QStringLiteral("favorites")][0][QStringLiteral("title")].toString(),
              entry.title);
    EXPECT_EQ(json[QStringLiteral("summary")][QStringLiteral("alive")].toInt(), 1);
}

} // namespace
