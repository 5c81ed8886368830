#include "platform/TreeControl.h"
#include "platform/NorvaleError.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QStringList>

using norvale::NorvaleError;
using norvale::TreeControl;
using norvale::TreeNode;

namespace {

class TreeControlTest : public testing::Test {
protected:
    TreeNode* add(TreeNode* parent, const QString& key)
    {
        return tree.add(parent, key, key, norvale::NodeKind::Favorite, 1, 2);
    }

    // The texts in node(1..count()) order; every node's indexOf must agree with its place.
    QStringList displayOrder() const
    {
        QStringList texts;
        for (int i = 1; i <= tree.count(); ++i) {
            TreeNode* node = tree.node(i);
            if (!node)
                return texts << QStringLiteral("<null at %1>").arg(i);
            EXPECT_EQ(tree.indexOf(node), i) << node->text().toStdString();
            texts << node->text();
        }
        EXPECT_EQ(tree.node(0), nullptr);
        EXPECT_EQ(tree.node(tree.count() + 1), nullptr);
        return texts;
    }

    TreeControl tree;
};

// A: a1 (a1x), a2 - B - C
class BuiltTree : public TreeControlTest {
protected:
    void SetUp() override
    {
        a = add(nullptr, QStringLiteral("A"));
        b = add(nullptr, QStringLiteral("B"));
        a1 = add(a, QStringLiteral("a1"));
        add(nullptr, QStringLiteral("C"));
        add(a1, QStringLiteral("a1x"));
        a2 = add(a, QStringLiteral("a2"));
    }
    TreeNode* a = nullptr;
    TreeNode* b = nullptr;
    TreeNode* a1 = nullptr;
    TreeNode* a2 = nullptr;
};

TEST_F(BuiltTree, NodesAreNumberedInDisplayOrder)
{
    EXPECT_EQ(tree.count(), 6);
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("A a1 a1x a2 B C"));

    add(b, QStringLiteral("b1"));
    add(a, QStringLiteral("a3"));
    add(a2, QStringLiteral("a2x"));
    EXPECT_EQ(tree.count(), 9);
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("A a1 a1x a2 a2x a3 B b1 C"));
}

TEST_F(BuiltTree, RemoveTakesTheWholeSubtreeAndFreesItsKeys)
{
    tree.remove(a1);

    EXPECT_EQ(tree.count(), 4);
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("A a2 B C"));
    EXPECT_EQ(a2->row(), 0);
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1")), nullptr);
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1x")), nullptr);

    TreeNode* again = add(b, QStringLiteral("a1x"));
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1x")), again);
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("A a2 B a1x C"));

    tree.remove(a);
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("B a1x C"));
    EXPECT_EQ(b->row(), 0);
}

// A key names one node at most: a taken one is refused by add and setKey
// alike; empty keys are no keys.
TEST_F(BuiltTree, NonEmptyKeysAreUnique)
{
    try {
        add(b, QStringLiteral("a1x"));
        ADD_FAILURE() << "a duplicate key was accepted";
    } catch (const NorvaleError& error) {
        EXPECT_EQ(error.number(), norvale::ErrorNumber::KeyNotUnique);
    }
    EXPECT_EQ(tree.count(), 6);
    tree.add(b, QString(), QStringLiteral("one"), norvale::NodeKind::Favorite, 0, 0);
    tree.add(b, QString(), QStringLiteral("two"), norvale::NodeKind::Favorite, 0, 0);
    EXPECT_EQ(b->childCount(), 2);

    tree.setKey(a1, QStringLiteral("renamed"));
    EXPECT_EQ(tree.findByKey(QStringLiteral("renamed")), a1);
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1")), nullptr);
    EXPECT_THROW(tree.setKey(a2, QStringLiteral("renamed")), NorvaleError);
    EXPECT_EQ(a2->key(), QStringLiteral("a2"));
    tree.setKey(a2, QStringLiteral("a1"));
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1")), a2);
    tree.setKey(a2, QString());
    EXPECT_EQ(tree.findByKey(QStringLiteral("a1")), nullptr);
    EXPECT_EQ(tree.findByKey(QString()), nullptr);
}

TEST_F(BuiltTree, RemovingTheSelectedNodeOrItsFolderClearsTheSelection)
{
    tree.select(b);
    tree.remove(a2);
    EXPECT_EQ(tree.selectedItem(), b);

    tree.select(tree.findByKey(QStringLiteral("a1x")));
    tree.remove(a1);
    EXPECT_EQ(tree.selectedItem(), nullptr);

    tree.select(b);
    tree.remove(b);
    EXPECT_EQ(tree.selectedItem(), nullptr);
}

TEST_F(BuiltTree, ABatchSendsOneResetAndNoPerNodeSignals)
{
    QSignalSpy aboutToReset(&tree, &TreeControl::aboutToReset);
    QSignalSpy resetDone(&tree, &TreeControl::resetDone);
    QSignalSpy aboutToInsert(&tree, &TreeControl::aboutToInsert);
    QSignalSpy inserted(&tree, &TreeControl::inserted);
    QSignalSpy aboutToRemove(&tree, &TreeControl::aboutToRemove);
    QSignalSpy removed(&tree, &TreeControl::removed);
    QSignalSpy changed(&tree, &TreeControl::changed);
    QSignalSpy expandedChanged(&tree, &TreeControl::expandedChanged);
    QSignalSpy selectionChanged(&tree, &TreeControl::selectionChanged);
    {
        TreeControl::Batch batch(tree);
        TreeNode* d = add(nullptr, QStringLiteral("D"));
        {
            TreeControl::Batch inner(tree);
            add(d, QStringLiteral("d1"));
            tree.setText(a2, QStringLiteral("a2 renamed"));
            tree.setExpanded(a, true);
            tree.select(d);
            tree.remove(a1);
        }
        EXPECT_EQ(resetDone.count(), 0) << "reset done while the batch is still open";
    }
    EXPECT_EQ(aboutToReset.count(), 1);
    EXPECT_EQ(resetDone.count(), 1);
    for (QSignalSpy* spy : {&aboutToInsert, &inserted, &aboutToRemove, &removed, &changed,
                            &expandedChanged, &selectionChanged})
        EXPECT_EQ(spy->count(), 0) << spy->signal().toStdString();
    EXPECT_EQ(displayOrder().join(' '), QStringLiteral("A a2 renamed B C D d1"));
}

} // namespace
