// The about box's texts, and its address label opening the maker's site.

#include "services/AboutDialog.h"
#include "platform/UrlOpener.h"
#include "services/ProgramVersion.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;
using testing::Not;

namespace {

class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

TEST(ProgramVersion, MinorAndRevisionAreWrittenTogether)
{
    EXPECT_EQ(VersionText({2, 3, 4}), QStringLiteral("2.34"));
    EXPECT_EQ(VersionText({2, 3, 0}), QStringLiteral("2.30"));
    EXPECT_EQ(VersionText({2, 3, 12}), QStringLiteral("2.312"));
    EXPECT_EQ(VersionNumber({2, 3, 0}), 2.3f);
}

TEST(ProgramVersion, CurrentIsTheBuildsVersion)
{
    EXPECT_EQ(ProgramVersion::parse(QStringLiteral("4.5.16")), (ProgramVersion{4, 5, 16}));
    EXPECT_EQ(ProgramVersion::current(), ProgramVersion::parse(QStringLiteral(NORVALE_VERSION)));
}

class AboutDialogTest : public testing::Test {
protected:
    FixedClock m_clock{QDateTime(QDate(2031, 2, 28), QTime(23, 59))};
    RecordingOpener m_opener;
    AboutDialog m_dialog{m_clock, &m_opener, nullptr, ProgramVersion{2, 3, 12}};
};

TEST_F(AboutDialogTest, ShowsTitleWithVersionAndCaption)
{
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("About Brimwick Norvale"));
    EXPECT_EQ(m_dialog.titleLabel()->text(), QStringLiteral("Norvale v2.312"));
    EXPECT_EQ(m_dialog.okButton()->text(), QStringLiteral("&OK"));
    EXPECT_FALSE(m_dialog.logoLabel()->pixmap().isNull());
}

TEST_F(AboutDialogTest, CopyrightCarriesTheClocksYear)
{
    EXPECT_THAT(m_dialog.copyrightLabel()->text().toStdString(), HasSubstr("2031"));
    FixedClock later{QDateTime(QDate(2040, 1, 1), QTime(0, 0))};
    const AboutDialog another(later, nullptr);
    EXPECT_THAT(another.copyrightLabel()->text().toStdString(), HasSubstr("2040"));
    EXPECT_THAT(another.copyrightLabel()->text().toStdString(), Not(HasSubstr("2031")));
}

TEST_F(AboutDialogTest, CreditNamesTheLibrariesWeShip)
{
    const std::string credit = m_dialog.creditLabel()->text().toStdString();
    EXPECT_THAT(credit, HasSubstr("Qt"));
    EXPECT_THAT(credit, HasSubstr("libcurl"));
}

TEST_F(AboutDialogTest, ClickOnTheAddressOpensTheMakersSite)
{
    EXPECT_EQ(m_dialog.addressLabel()->text(), QStringLiteral("www.brimwick.com"));
    m_dialog.show();
    QTest::mouseClick(m_dialog.addressLabel(), Qt::LeftButton);
    EXPECT_EQ(m_opener.opened, QStringList{QStringLiteral("www.brimwick.com")});
    QTest::mouseClick(m_dialog.copyrightLabel(), Qt::LeftButton);
    EXPECT_EQ(m_opener.opened.size(), 1);
}

TEST_F(AboutDialogTest, OkClosesTheBox)
{
    m_dialog.show();
    m_dialog.okButton()->click();
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
}

} // namespace
