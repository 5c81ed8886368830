#include "mainwindow/NewItemDialogs.h"

#include <gmock/gmock.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace norvale;
using testing::ElementsAre;

namespace {

TEST(NewFolderDialog, OkAndEnterAskOnceAndCloseOnlyWhenTold)
{
    QStringList asked;
    bool close = false;
    NewFolderDialog dialog([&](const QString& name, QString& refusal) {
        asked.append(name);
        refusal = "Taken";
        return close;
    });
    dialog.show();
    dialog.nameEdit()->setText("Trips");
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    EXPECT_THAT(asked, ElementsAre("Trips")) << "one Enter, one submission";
    EXPECT_TRUE(dialog.isVisible()) << "a refused name keeps the dialog open";
    EXPECT_EQ(dialog.refusalLabel()->text(), "Taken") << "and says why";
    dialog.okButton()->click();
    EXPECT_THAT(asked, ElementsAre("Trips", "Trips"));
    close = true;
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
