// The window's small dialogs, shown offscreen and worked as a user would.

#include "mainwindow/NewItemDialogs.h"
#include "mainwindow/BrowserProfilesDialog.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace norvale;
using namespace norvale::test;
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

// A places.sqlite with the tables and columns a read takes, holding two
// bookmarks on the toolbar.
void makePlaces(const QString& file)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "seed");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* statement :
             {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR)",
              "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, "
              "parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT)",
              "INSERT INTO moz_places VALUES (1, 'http://127.0.0.1/1'), (2, 'http://127.0.0.1/2')",
              "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
              "(2, 2, NULL, 1, 0, 'toolbar', 'toolbar_____'), (3, 1, 1, 2, 0, 'One', 'one'), "
              "(4, 1, 2, 2, 1, 'Two', 'two')"})
            ASSERT_TRUE(q.exec(statement)) << statement;
    }
    QSqlDatabase::removeDatabase("seed");
}

// The chooser over a home of its own: one Firefox profile of two bookmarks,
// and a Chromium one whose file is damaged, which says why and cannot be
// opened; a double-click opens the other. An empty home has nothing to
// list, and a message says so.
TEST(BrowserProfilesDialog, ListsTheProfilesOfHomeAndOpensOnlyReadableOnes)
{
    TempFolder home;
    home.file(".mozilla/firefox/profiles.ini",
              "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abc.default-esr\nDefault=1\n");
    makePlaces(home.folder(".mozilla/firefox/abc.default-esr") + "/places.sqlite");
    home.file(".config/chromium/Default/Bookmarks", "not JSON");
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    ScriptedMessageBoxes boxes;
    QtBrowserProfileChooser chooser(boxes, nullptr);

    QStringList rows;
    bool openAfterDamaged = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<BrowserProfilesDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTreeWidget* list = dialog->profileList();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list->topLevelItem(i);
            rows.append(
                QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join(" | "));
        }
        const auto doubleClick = [list](int row) {
            // On the browser's name: a long row reaches beyond the view.
            const QPoint where(10, list->visualItemRect(list->topLevelItem(row)).center().y());
            // A view takes a double-click only on the row the press was on.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, where);
        };
        doubleClick(1);
        openAfterDamaged = dialog->isVisible();
        if (openAfterDamaged)
            doubleClick(0);
        if (dialog->isVisible())
            dialog->reject(); // the double-click was not heard: nothing chosen
    });
    const QString chosen = chooser.chooseBrowserProfile();
    const QString folder = home.path(".mozilla/firefox/abc.default-esr");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], "Firefox | default-esr (default) | " + folder + " | 2");
    EXPECT_TRUE(rows[1].startsWith("Chromium | Default (default) | ")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].contains(" | unreadable: ")) << rows[1].toStdString();
    EXPECT_TRUE(openAfterDamaged) << "a damaged profile cannot be opened";
    EXPECT_EQ(chosen, folder);
    EXPECT_TRUE(boxes.shown().isEmpty());

    const TempFolder empty;
    qputenv("HOME", empty.path().toUtf8());
    EXPECT_EQ(chooser.chooseBrowserProfile(), QString());
    qputenv("HOME", realHome);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, "No browser profile with bookmarks was found.");
}

} // namespace
