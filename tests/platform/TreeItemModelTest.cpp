// The view's model over the headless tree, checked by Qt's own model tester
// while the tree grows, shrinks, changes in a batch and is cleared.

#include "mainwindow/TreeItemModel.h"
#include "platform/TreeControl.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QStringList>

using namespace Qt::StringLiterals;

using norvale::TreeControl;
using norvale::TreeItemModel;
using norvale::TreeNode;

namespace {

QStringList g_complaints;

void collectComplaints(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_complaints.append(u"%1: %2"_s.arg(QLatin1String(context.category), text));
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
        return tree.add(parent, text, text, 1, 2);
    };

    TreeNode* a = add(nullptr, u"A"_s);
    TreeNode* b = add(nullptr, u"B"_s);
    TreeNode* a1 = add(a, u"a1"_s);
    add(a1, u"a1x"_s);
    add(a, u"a2"_s);
    add(b, u"b1"_s);
    EXPECT_EQ(model.rowCount(model.indexFor(a)), 2);
    tree.setText(a1, u"a1 renamed"_s);
    EXPECT_EQ(model.data(model.indexFor(a1), Qt::DisplayRole), u"a1 renamed"_s);
    tree.remove(a1);
    EXPECT_EQ(model.index(0, 0, model.indexFor(a)).data(), u"a2"_s);
    tree.remove(a);
    EXPECT_EQ(model.index(0, 0).data(), u"B"_s);
    // An index the view holds on to dies with its node, in a batch as well.
    const QPersistentModelIndex held(model.indexFor(b));
    {
        TreeControl::Batch batch(tree);
        TreeNode* c = add(nullptr, u"C"_s);
        add(c, u"c1"_s);
        tree.remove(b);
    }
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 1);
    EXPECT_FALSE(held.isValid());
    const QPersistentModelIndex cleared(model.index(0, 0));
    tree.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(cleared.isValid());
    add(nullptr, u"D"_s);
    EXPECT_EQ(model.rowCount(), 1);

    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_complaints.isEmpty()) << g_complaints.join(QLatin1Char('\n')).toStdString();
}

} // namespace
