#include "shell/ErrorLog.h"
#include "platform/NorvaleError.h"
#include "shell/RoutedMessageBoxes.h"
#include "shell/TimeConversion.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QLocale>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;

namespace {

class ErrorLogTest : public testing::Test {
protected:
    QStringList logLines() const { return m_temp.lines(QStringLiteral("ERROR.LOG")); }

    TempFolder m_temp;
    ScriptedMessageBoxes m_boxes;
    FixedClock m_clock;
    ErrorLog m_log{m_temp.path(), m_boxes, m_clock};
};

// Each line: the local date and time, the number, the description (empty
// or not) and the source, appended after what the file already held.
TEST_F(ErrorLogTest, LinesAreAppendedWithDateTimeNumberDescriptionAndSource)
{
    m_temp.file(QStringLiteral("ERROR.LOG"), "an earlier line\r\n");
    m_log.LogError(NorvaleError(76, QStringLiteral("Path not found"), QStringLiteral("FileSystem")),
                   false);
    m_log.LogError(NorvaleError(91, QString(), QStringLiteral("Norvale")), false);
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(m_clock.now().date(), QLocale::ShortFormat) +
                          QLatin1Char(' ') +
                          locale.toString(m_clock.now().time(), QLocale::ShortFormat);
    EXPECT_EQ(m_temp.read(QStringLiteral("ERROR.LOG")),
              ("an earlier line\r\n" + stamp +
               "  Error 76: Path not found in module FileSystem\r\n" + stamp +
               "  Error 91:  in module Norvale\r\n")
                  .toUtf8());
    EXPECT_TRUE(m_boxes.shown().isEmpty());
}

TEST_F(ErrorLogTest, MessageShowsDescriptionUnderNumberedTitle)
{
    m_log.LogError(NorvaleError(70, QStringLiteral("Permission denied: /x"), QStringLiteral("FS")),
                   true);
    ASSERT_EQ(m_boxes.shown().size(), 1);
    const MessageRequest& box = m_boxes.shown().first();
    EXPECT_EQ(box.title, QStringLiteral("Error 70"));
    EXPECT_EQ(box.text, QStringLiteral("Permission denied: /x"));
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(logLines().size(), 1) << "a shown error is logged too";
}

TEST(ErrorLogUnwritable, ErrorGoesToStandardErrorAndTheProgramGoesOn)
{
    TempFolder temp;
    ScriptedMessageBoxes boxes;
    FixedClock clock;
    // A folder where the log file should be: it can never be opened.
    temp.folder(QStringLiteral("ERROR.LOG"));
    ErrorLog log(temp.path(), boxes, clock);
    testing::internal::CaptureStderr();
    log.LogError(NorvaleError(58, QStringLiteral("File already exists"), QStringLiteral("FS")),
                 true);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_THAT(printed, HasSubstr("Error 58: File already exists in module FS"));
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST(RoutedBoxes, UnattendedRunPrintsInsteadOfShowing)
{
    ScriptedMessageBoxes interactive;
    bool unattended = false;
    RoutedMessageBoxes boxes(interactive, unattended);
    boxes.show({QStringLiteral("shown"), QStringLiteral("T")});
    unattended = true;
    testing::internal::CaptureStderr();
    const MessageAnswer answer = boxes.show({QStringLiteral("Delete it?"), QStringLiteral("Q"),
                                             MessageIcon::Question, MessageButtons::YesNo});
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(interactive.shown().size(), 1);
    EXPECT_THAT(printed, HasSubstr("Delete it?"));
    EXPECT_EQ(answer, MessageAnswer::No) << "nobody said yes";
}

QDateTime local(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute));
}

QDateTime gmt(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute), QTimeZone::utc());
}

TEST(LocalToGmt, AddsTheBiasInEffectNow)
{
    const struct {
        TimeZoneInfo zone;
        QDateTime local, gmt;
    } rows[] = {
        {{300, 0, -60, false}, local(10, 12, 0), gmt(10, 17, 0)},
        {{300, 0, -60, false}, local(10, 21, 30), gmt(11, 2, 30)},
        {{300, 0, -60, true}, local(10, 12, 0), gmt(10, 16, 0)}, // daylight time
        {{-540, 0, 0, false}, local(10, 3, 0), gmt(9, 18, 0)},   // ahead, back across midnight
    };
    for (const auto& row : rows)
        EXPECT_EQ(LocalToGmt(row.local, row.zone), row.gmt) << row.local.toString().toStdString();
    FixedClock clock;
    clock.setZone({-60, 0, -60, true});
    EXPECT_EQ(LocalToGmt(local(10, 12, 0), clock), gmt(10, 10, 0)) << "the clock's own zone";
}

} // namespace
