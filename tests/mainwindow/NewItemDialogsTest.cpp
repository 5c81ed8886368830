#include "mainwindow/NewItemDialogs.h"

#include <gmock/gmock.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace norvale;

namespace {

TEST(NewFolderDialog, OkAndEnterAskOnceAndCloseOnlyWhenTold)
{
    QStringList asked;
    bool close = false;
    NewFolderDialog dialog([&](const QString& name) {
        asked.append(name);
        return close;
    });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Folder"));
    EXPECT_EQ(dialog.nameEdit()->text(), QString());
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("&Cancel"));
    dialog.show();
    dialog.nameEdit()->setText(QStringLiteral("Trips"));
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    EXPECT_THAT(asked, testing::ElementsAre("Trips")) << "one Enter, one submission";
    EXPECT_TRUE(dialog.isVisible()) << "a refused name keeps the dialog open";
    dialog.okButton()->click();
    EXPECT_THAT(asked, testing::ElementsAre("Trips", "Trips"));
    close = true;
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(NewFolderDialog, CancelAsksNothing)
{
    int asked = 0;
    NewFolderDialog dialog([&](const QString&) { return ++asked > 0; });
    dialog.show();
    dialog.cancelButton()->click();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(NewFavoriteDialog, ShowsTheAddressAsCompleted)
{
    NewFavoriteDialog dialog([](const QString& description, QString& address) {
        address.prepend(QStringLiteral("http://"));
        return description == QStringLiteral("ok");
    });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Create New Favorite"));
    EXPECT_EQ(dialog.addressEdit()->text(), QStringLiteral("http://"));
    dialog.show();
    dialog.descriptionEdit()->setText(QStringLiteral("not yet"));
    dialog.addressEdit()->setText(QStringLiteral("example.test"));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.addressEdit()->text(), QStringLiteral("http://example.test"));
    EXPECT_TRUE(dialog.isVisible());
    dialog.descriptionEdit()->setText(QStringLiteral("ok"));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
