#include "platform/TreeControl.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>
#include <QSignalSpy>

using namespace Qt::StringLiterals;
using norvale::TreeControl;
using norvale::TreeNode;
using norvale::test::errorOf;

namespace {

// A: a1 (a1x), a2 - B - C
class TreeControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        a = add(nullptr, u"A"_s);
        b = add(nullptr, u"B"_s);
        a1 = add(a, u"a1"_s);
        add(nullptr, u"C"_s);
        add(a1, u"a1x"_s);
        a2 = add(a, u"a2"_s);
    }
    TreeNode* add(TreeNode* parent, const QString& key)
    {
        return tree.add(parent, key, key, norvale::NodeKind::Favorite, 1, 2);
    }
    // The texts in node(1..count()) order; every node's indexOf must agree with its place.
    QString displayOrder() const
    {
        QStringList texts;
        for (int i = 1; i <= tree.count(); ++i) {
            EXPECT_EQ(tree.indexOf(tree.node(i)), i);
            texts << tree.node(i)->text();
        }
        EXPECT_EQ(tree.node(0), nullptr);
        EXPECT_EQ(tree.node(tree.count() + 1), nullptr);
        return texts.join(' ');
    }

    TreeControl tree;
    TreeNode *a = nullptr, *b = nullptr, *a1 = nullptr, *a2 = nullptr;
};

// Nodes are numbered in display order as they come and go; a removal takes
// the whole subtree with its keys, and the selection when it was inside. A
// key names one node at most (empty keys are no keys).
TEST_F(TreeControlTest, AddAndRemoveKeepDisplayOrderKeysAndSelection)
{
    EXPECT_EQ(displayOrder(), u"A a1 a1x a2 B C"_s);
    add(b, u"b1"_s);
    add(a, u"a3"_s);
    add(a2, u"a2x"_s);
    EXPECT_EQ(errorOf([&] { add(b, u"a1x"_s); }), norvale::ErrorNumber::KeyNotUnique);
    EXPECT_EQ(errorOf([&] { tree.setKey(a2, u"a1x"_s); }), norvale::ErrorNumber::KeyNotUnique);
    tree.add(b, QString(), u"k1"_s, norvale::NodeKind::Favorite, 0, 0);
    tree.add(b, QString(), u"k2"_s, norvale::NodeKind::Favorite, 0, 0);
    EXPECT_EQ(displayOrder(), u"A a1 a1x a2 a2x a3 B b1 k1 k2 C"_s);

    tree.select(b);
    tree.remove(a2);
    EXPECT_EQ(tree.selectedItem(), b);
    tree.select(tree.findByKey(u"a1x"_s));
    tree.remove(a1);
    EXPECT_EQ(tree.selectedItem(), nullptr);
    EXPECT_EQ(displayOrder(), u"A a3 B b1 k1 k2 C"_s);
    EXPECT_EQ(tree.findByKey(u"a3"_s)->row(), 0);
    EXPECT_EQ(tree.findByKey(u"a1x"_s), nullptr);
    tree.setKey(b, u"a1x"_s);
    EXPECT_EQ(tree.findByKey(u"a1x"_s), b);
    EXPECT_EQ(tree.findByKey(u"B"_s), nullptr);
}

TEST_F(TreeControlTest, ABatchSendsOneResetAndNoPerNodeSignals)
{
    QSignalSpy aboutToReset(&tree, &TreeControl::aboutToReset);
    QSignalSpy resetDone(&tree, &TreeControl::resetDone);
    std::vector<std::unique_ptr<QSignalSpy>> others; // every other signal of the tree's own
    const QMetaObject& meta = TreeControl::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QByteArray signal = '2' + meta.method(i).methodSignature();
        if (meta.method(i).methodType() == QMetaMethod::Signal && !signal.contains("eset"))
            others.push_back(std::make_unique<QSignalSpy>(&tree, signal.constData()));
    }
    {
        TreeControl::Batch batch(tree);
        TreeNode* d = add(nullptr, u"D"_s);
        {
            TreeControl::Batch inner(tree);
            add(d, u"d1"_s);
            tree.setText(a2, u"a2 renamed"_s);
            tree.setExpanded(a, true);
            tree.select(d);
            tree.remove(a1);
        }
        EXPECT_EQ(resetDone.count(), 0) << "reset done while the batch is still open";
    }
    EXPECT_EQ(aboutToReset.count(), 1);
    EXPECT_EQ(resetDone.count(), 1);
    for (const auto& spy : others)
        EXPECT_EQ(spy->count(), 0) << spy->signal().toStdString();
    EXPECT_EQ(displayOrder(), u"A a2 renamed B C D d1"_s);
}

} // namespace
