#include "TreeItemModel.h"

#include "platform/TreeControl.h"

namespace norvale {

TreeItemModel::TreeItemModel(TreeControl& tree, QVector<QIcon> images,
                             std::function<int(Light)> lightImage, QObject* parent)
    : QAbstractItemModel(parent)
    , m_tree(tree)
    , m_images(std::move(images))
    , m_lightImage(std::move(lightImage))
{
    connect(&m_tree, &TreeControl::aboutToReset, this, [this] { beginResetModel(); });
    connect(&m_tree, &TreeControl::resetDone, this, [this] { endResetModel(); });
    connect(&m_tree, &TreeControl::aboutToInsert, this,
            [this](TreeNode* under, int row) { beginInsertRows(indexFor(under), row, row); });
    connect(&m_tree, &TreeControl::inserted, this, [this] { endInsertRows(); });
    connect(&m_tree, &TreeControl::aboutToRemove, this, [this](TreeNode* node) {
        beginRemoveRows(indexFor(node->parent()), node->row(), node->row());
    });
    connect(&m_tree, &TreeControl::removed, this, [this] { endRemoveRows(); });
    connect(&m_tree, &TreeControl::changed, this, [this](TreeNode* node) {
        const QModelIndex index = indexFor(node);
        Q_EMIT dataChanged(index, index);
    });
    // Nothing moves: a layout change is the one signal that redraws every
    // row, at every depth.
    connect(&m_tree, &TreeControl::picturesChanged, this, [this] {
        Q_EMIT layoutAboutToBeChanged();
        Q_EMIT layoutChanged();
    });
}

QModelIndex TreeItemModel::indexFor(const TreeNode* node) const
{
    return node ? createIndex(node->row(), 0, const_cast<TreeNode*>(node)) : QModelIndex();
}

TreeNode* TreeItemModel::nodeAt(const QModelIndex& index)
{
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    const TreeNode* parentNode = nodeAt(parent);
    TreeNode* node =
        parentNode ? parentNode->child(row) : m_tree.topLevel()[static_cast<size_t>(row)].get();
    return createIndex(row, 0, node);
}

QModelIndex TreeItemModel::parent(const QModelIndex& child) const
{
    const TreeNode* node = nodeAt(child);
    return node ? indexFor(node->parent()) : QModelIndex();
}

int TreeItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TreeNode* node = nodeAt(parent);
    return node ? node->childCount() : static_cast<int>(m_tree.topLevel().size());
}

int TreeItemModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QIcon TreeItemModel::iconFor(const TreeNode* node) const
{
    auto picture = [this](int position) {
        return position > 0 && position < m_images.size() ? m_images[position] : QIcon();
    };
    if (!node->isFolder())
        return picture(m_lightImage(node->status().light));
    if (node->image() == node->selectedImage())
        return picture(node->image());
    const quint64 pair = (quint64(quint32(node->image())) << 32) | quint32(node->selectedImage());
    auto it = m_pairIcons.find(pair);
    if (it == m_pairIcons.end()) {
        QIcon icon;
        for (const QSize size : {QSize(16, 16), QSize(32, 32)}) {
            icon.addPixmap(picture(node->image()).pixmap(size), QIcon::Normal);
            icon.addPixmap(picture(node->selectedImage()).pixmap(size), QIcon::Selected);
        }
        it = m_pairIcons.insert(pair, icon);
    }
    return *it;
}

QVariant TreeItemModel::data(const QModelIndex& index, int role) const
{
    const TreeNode* node = nodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text();
    case Qt::DecorationRole:
        return iconFor(node);
    case Qt::ToolTipRole:
        return node->isFolder() || node->status().reason.isEmpty() ? QVariant()
                                                                   : node->status().reason;
    default:
        return {};
    }
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TreeItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TreeNode* node = nodeAt(index);
    if (!node || role != Qt::EditRole)
        return false;
    Q_EMIT labelEdited(node, value.toString());
    return false;
}

} // namespace norvale
