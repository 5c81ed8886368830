#pragma once

#include "platform/TreeControl.h"

#include <functional>
#include <QAbstractItemModel>
#include <QIcon>
#include <QVector>

namespace norvale {

// Shows the headless tree in a QTreeView: one column, the node's text, and
// its picture: a folder's image (its selected image while it is selected), a
// favorite's light as the light images show it, with the status reason as
// its tooltip.
class TreeItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // lightImage: the position in images of the picture a light shows now.
    TreeItemModel(TreeControl& tree, QVector<QIcon> images, std::function<int(Light)> lightImage,
                  QObject* parent = nullptr);

    QModelIndex indexFor(const TreeNode* node) const;
    static TreeNode* nodeAt(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited label is reported, never stored here: the rename decides
    // what the node is called.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

Q_SIGNALS:
    void labelEdited(TreeNode* node, const QString& text);

private:
    QIcon iconFor(const TreeNode* node) const;

    TreeControl& m_tree;
    QVector<QIcon> m_images;
    std::function<int(Light)> m_lightImage;
    mutable QHash<quint64, QIcon> m_pairIcons;
};

} // namespace norvale
