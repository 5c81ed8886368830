#include "shell/ErrorLog.h"
#include "platform/NorvaleError.h"
#include "shell/RoutedMessageBoxes.h"
#include "shell/TimeConversion.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QLocale>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::HasSubstr;

namespace {

// Each line: the local date and time, the number, the description (empty
// or not) and the source, appended after what the file already held; a
// shown error has its number in the title.
TEST(ErrorLogTest, ErrorsAreAppendedToTheLogAndShownWhenAsked)
{
    TempFolder temp;
    ScriptedMessageBoxes boxes;
    FixedClock clock;
    ErrorLog log(temp.path(), boxes, clock);
    temp.file(u"ERROR.LOG"_s, "an earlier line\r\n");
    log.LogError(NorvaleError(76, u"Path not found"_s, u"FileSystem"_s), false);
    log.LogError(NorvaleError(91, QString(), u"Norvale"_s), false);
    EXPECT_TRUE(boxes.shown().isEmpty());
    log.LogError(NorvaleError(70, u"Permission denied: /x"_s, u"FS"_s), true);

    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(clock.now().date(), QLocale::ShortFormat) + ' ' +
                          locale.toString(clock.now().time(), QLocale::ShortFormat);
    EXPECT_EQ(temp.read(u"ERROR.LOG"_s), ("an earlier line\r\n" + stamp +
                                          "  Error 76: Path not found in module FileSystem\r\n" +
                                          stamp + "  Error 91:  in module Norvale\r\n" + stamp +
                                          "  Error 70: Permission denied: /x in module FS\r\n")
                                             .toUtf8());
    ASSERT_EQ(boxes.shown().size(), 1);
    const MessageRequest& box = boxes.shown().first();
    EXPECT_EQ(box.title, u"Error 70"_s);
    EXPECT_EQ(box.text, u"Permission denied: /x"_s);
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);

    // A folder where the log file should be: it can never be opened.
    TempFolder other;
    other.folder(u"ERROR.LOG"_s);
    ErrorLog unwritable(other.path(), boxes, clock);
    testing::internal::CaptureStderr();
    unwritable.LogError(NorvaleError(58, u"File already exists"_s, u"FS"_s), true);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("Error 58: File already exists in module FS"));
    EXPECT_EQ(boxes.shown().size(), 2);
}

TEST(RoutedBoxes, UnattendedRunPrintsInsteadOfShowing)
{
    ScriptedMessageBoxes interactive;
    bool unattended = false;
    RoutedMessageBoxes boxes(interactive, unattended);
    boxes.show({u"shown"_s, u"T"_s});
    unattended = true;
    testing::internal::CaptureStderr();
    const MessageAnswer answer =
        boxes.show({u"Delete it?"_s, u"Q"_s, MessageIcon::Question, MessageButtons::YesNo});
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Delete it?"));
    EXPECT_EQ(interactive.shown().size(), 1);
    EXPECT_EQ(answer, MessageAnswer::No) << "nobody said yes";
}

TEST(LocalToGmt, AddsTheBiasInEffectNow)
{
    const auto at = [](int day, int hour, int minute, bool utc = false) {
        const QDateTime local(QDate(2026, 1, day), QTime(hour, minute));
        return utc ? QDateTime(local.date(), local.time(), QTimeZone::utc()) : local;
    };
    const struct {
        TimeZoneInfo zone;
        QDateTime local, gmt;
    } rows[] = {
        {{300, 0, -60, false}, at(10, 12, 0), at(10, 17, 0, true)},
        {{300, 0, -60, false}, at(10, 21, 30), at(11, 2, 30, true)},
        {{300, 0, -60, true}, at(10, 12, 0), at(10, 16, 0, true)}, // daylight time
        {{-540, 0, 0, false}, at(10, 3, 0), at(9, 18, 0, true)},   // back across midnight
    };
    for (const auto& row : rows)
        EXPECT_EQ(LocalToGmt(row.local, row.zone), row.gmt) << row.local.toString().toStdString();
    FixedClock clock;
    clock.setZone({-60, 0, -60, true});
    EXPECT_EQ(LocalToGmt(at(10, 12, 0), clock), at(10, 10, 0, true)) << "the clock's own zone";
}

} // namespace
