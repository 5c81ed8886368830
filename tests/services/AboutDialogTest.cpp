// The about box: its version and year, and its address label opening the
// maker's site.

#include "services/AboutDialog.h"
#include "platform/UrlOpener.h"
#include "services/ProgramVersion.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace norvale;
using namespace Qt::StringLiterals;
using testing::HasSubstr;

namespace {

class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

TEST(ProgramVersion, MinorAndRevisionAreWrittenTogether)
{
    EXPECT_EQ(VersionText({2, 3, 4}), u"2.34"_s);
    EXPECT_EQ(VersionText({2, 3, 0}), u"2.30"_s);
    EXPECT_EQ(VersionText({2, 3, 12}), u"2.312"_s);
    EXPECT_EQ(VersionNumber({2, 3, 0}), 2.3f);
    EXPECT_EQ(ProgramVersion::parse(u"4.5.16"_s), (ProgramVersion{4, 5, 16}));
}

TEST(AboutDialogTest, ShowsVersionAndYearAndOpensTheMakersSite)
{
    test::FixedClock clock{QDateTime(QDate(2031, 2, 28), QTime(23, 59))};
    RecordingOpener opener;
    AboutDialog dialog{clock, &opener, nullptr, ProgramVersion{2, 3, 12}};
    EXPECT_EQ(dialog.titleLabel()->text(), u"Norvale v2.312"_s);
    EXPECT_THAT(dialog.copyrightLabel()->text().toStdString(), HasSubstr("2031"));
    EXPECT_FALSE(dialog.logoLabel()->pixmap().isNull());

    dialog.show();
    QTest::mouseClick(dialog.addressLabel(), Qt::LeftButton);
    QTest::mouseClick(dialog.copyrightLabel(), Qt::LeftButton);
    EXPECT_EQ(opener.opened, QStringList{u"www.brimwick.com"_s});
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
