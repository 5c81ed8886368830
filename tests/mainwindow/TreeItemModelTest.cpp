// The view's model over the headless tree, checked by Qt's own model tester
// while the tree grows, shrinks, changes in a batch and is cleared.

#include "mainwindow/TreeItemModel.h"
#include "platform/TreeControl.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QStringList>

using norvale::TreeControl;
using norvale::TreeItemModel;
using norvale::TreeNode;

namespace {

QStringList g_complaints;

void collectComplaints(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_complaints.append(QStringLiteral("%1: %2").arg(QLatin1String(context.category), text));
}

TEST(TreeItemModel, StaysConsistentThroughAddRemoveBatchAndClear)
{
    g_complaints.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectComplaints);
    TreeControl tree;
    TreeItemModel model(tree, {});
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    auto add = [&tree](TreeNode* parent, const QString& text) {
        return tree.add(parent, text, text, norvale::NodeKind::Favorite, 1, 2);
    };

    TreeNode* a = add(nullptr, QStringLiteral("A"));
    TreeNode* b = add(nullptr, QStringLiteral("B"));
    TreeNode* a1 = add(a, QStringLiteral("a1"));
    add(a1, QStringLiteral("a1x"));
    add(a, QStringLiteral("a2"));
    add(b, QStringLiteral("b1"));
    EXPECT_EQ(model.rowCount(model.indexFor(a)), 2);
    tree.setText(a1, QStringLiteral("a1 renamed"));
    EXPECT_EQ(model.data(model.indexFor(a1), Qt::DisplayRole), QStringLiteral("a1 renamed"));
    tree.remove(a1);
    EXPECT_EQ(model.index(0, 0, model.indexFor(a)).data(), QStringLiteral("a2"));
    tree.remove(a);
    EXPECT_EQ(model.index(0, 0).data(), QStringLiteral("B"));
    // An index the view holds on to dies with its node, in a batch as well.
    const QPersistentModelIndex held(model.indexFor(b));
    {
        TreeControl::Batch batch(tree);
        TreeNode* c = add(nullptr, QStringLiteral("C"));
        add(c, QStringLiteral("c1"));
        tree.remove(b);
    }
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 1);
    EXPECT_FALSE(held.isValid());
    const QPersistentModelIndex cleared(model.index(0, 0));
    tree.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(cleared.isValid());
    add(nullptr, QStringLiteral("D"));
    EXPECT_EQ(model.rowCount(), 1);

    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_complaints.isEmpty()) << g_complaints.join(QLatin1Char('\n')).toStdString();
}

} // namespace
