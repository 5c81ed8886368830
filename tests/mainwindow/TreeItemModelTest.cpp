// The view's model over the headless tree, checked by Qt's own model tester
// while the tree grows, shrinks, changes in a batch and is cleared, and the
// pictures it gives favorites and folders.

#include "mainwindow/TreeItemModel.h"
#include "mainwindow/ImagePainter.h"
#include "options/StatusLightSwitch.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringList>

using norvale::Light;
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
    TreeItemModel model(tree, {}, [](Light) { return 0; });
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

// A favorite shows its light in the set SmallLights picks, with its reason
// as the tooltip; a folder its own image. Switching the set redraws all.
TEST(TreeItemModel, AFavoriteShowsItsLightInTheChosenSet)
{
    const norvale::ImageList images;
    norvale::AppSettings settings;
    const QVector<QIcon> pictures = norvale::PaintImages(images);
    TreeControl tree;
    TreeItemModel model(tree, pictures,
                        [&settings](Light light) { return settings.lightImage(light); });
    const int open = images.position(QStringLiteral("OPENFOLDER"));
    TreeNode* folder = tree.add(nullptr, "F", "F", norvale::NodeKind::Folder, open, open);
    TreeNode* favorite = tree.add(folder, {}, "Home", norvale::NodeKind::Favorite);
    const auto shown = [&](const TreeNode* node, int role) {
        const QVariant data = model.indexFor(node).data(role);
        if (role != Qt::DecorationRole)
            return data.toString();
        for (int i = 1; i < pictures.size(); ++i) {
            if (pictures[i].cacheKey() == data.value<QIcon>().cacheKey())
                return images.key(i);
        }
        return QStringLiteral("?");
    };
    const struct {
        Light light;
        QString reason, classic, small;
    } rows[] = {
        {Light::Unchecked, "", "IELOGO", "BLACKDOT"},
        {Light::Dead, "404 Not Found", "REDRESULT", "REDDOT"},
        {Light::Warning, "no answer in time", "YELLOWRESULT", "YELLOWDOT"},
        {Light::Alive, "200 OK", "GREENCHECK", "GREENDOT"},
        {Light::Gray, "not checked: set to be skipped", "GRAYDOT", "GRAYDOT"},
        {Light::New, "200 OK, changed", "GREENNEW", "NEWGREENDOT"},
    };
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy redrawn(&model, &QAbstractItemModel::layoutChanged);
    for (const auto& row : rows) {
        settings.SmallLights = false;
        norvale::SwitchStatusLights(settings, tree, images);
        tree.setStatus(favorite, {row.light, 0, row.reason});
        tree.setStatus(favorite, {row.light, 0, row.reason}); // no change, no signal
        EXPECT_EQ(shown(favorite, Qt::DecorationRole), row.classic);
        EXPECT_EQ(shown(favorite, Qt::ToolTipRole), row.reason);
        settings.SmallLights = true;
        norvale::SwitchStatusLights(settings, tree, images);
        EXPECT_EQ(shown(favorite, Qt::DecorationRole), row.small);
        EXPECT_EQ(shown(folder, Qt::DecorationRole), "OPENFOLDER");
    }
    EXPECT_EQ(changed.size(), 5) << "the first row's status is the one a favorite starts with";
    EXPECT_EQ(redrawn.size(), 12);
}

} // namespace
