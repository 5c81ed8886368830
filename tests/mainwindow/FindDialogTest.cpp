#include "mainwindow/FindDialog.h"
#include "platform/TreeControl.h"
#include "support/ScriptedMessageBoxes.h"

#include <gmock/gmock.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;

namespace {

class FindDialogTest : public testing::Test {
protected:
    FindDialogTest()
    {
        TreeNode* root = m_tree.add(nullptr, "/f", "Favorites", NodeKind::FavoritesRoot, 15, 15);
        m_tree.add(root, {}, "World News", NodeKind::Favorite, 17, 17);
        m_tree.add(root, {}, "Sports", NodeKind::Favorite, 17, 17);
        TreeNode* archive = m_tree.add(root, "/f/a", "News Archive", NodeKind::Folder, 15, 15);
        m_tree.add(archive, {}, "Local news", NodeKind::Favorite, 17, 17);
        m_dialog = new FindDialog(m_tree, m_boxes, &m_owner);
        QObject::connect(m_dialog, &FindDialog::nodeFound,
                         [this](TreeNode* node) { m_found.append(node->text()); });
        m_dialog->show();
    }

    QString selected() const { return m_tree.selectedItem()->text(); }

    TreeControl m_tree;
    ScriptedMessageBoxes m_boxes;
    QWidget m_owner;
    QPointer<FindDialog> m_dialog;
    QStringList m_found;
};

// Only text that is not blank enables Find and only a match Find Next; Find
// Next goes on with the search Find started.
TEST_F(FindDialogTest, FindSelectsAndFindNextGoesOnWithTheSameSearch)
{
    QTest::keyClicks(m_dialog->searchEdit(), "   ");
    EXPECT_FALSE(m_dialog->findButton()->isEnabled());
    m_dialog->searchEdit()->setText("weather");
    QTest::keyClick(m_dialog->searchEdit(), Qt::Key_Return);
    EXPECT_EQ(m_tree.selectedItem(), nullptr);
    EXPECT_FALSE(m_dialog->findNextButton()->isEnabled());

    m_dialog->searchEdit()->clear();
    QTest::keyClicks(m_dialog->searchEdit(), "News");
    QTest::mouseClick(m_dialog->findButton(), Qt::LeftButton);
    EXPECT_EQ(selected(), "World News");
    EXPECT_TRUE(m_dialog->findNextButton()->isEnabled());

    // Direction and text count again only at the next Find.
    m_dialog->reverseButton()->setChecked(true);
    m_dialog->searchEdit()->setText("Sports");
    QTest::mouseClick(m_dialog->findNextButton(), Qt::LeftButton);
    EXPECT_EQ(selected(), "News Archive");

    m_dialog->matchCaseBox()->setChecked(true);
    QTest::mouseClick(m_dialog->findNextButton(), Qt::LeftButton);
    EXPECT_EQ(selected(), "News Archive") << "Local news is not News";
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Text Not Found", "Search Ended"));

    QTest::mouseClick(m_dialog->findButton(), Qt::LeftButton);
    EXPECT_EQ(selected(), "Sports");
    EXPECT_THAT(m_found, ElementsAre("World News", "News Archive", "Sports"));
}

} // namespace
