#include "TreeControl.h"

#include "NorvaleError.h"

namespace norvale {

TreeControl::TreeControl(QObject* parent)
    : QObject(parent)
{}

TreeControl::~TreeControl() = default;

std::vector<std::unique_ptr<TreeNode>>& TreeControl::siblingsOf(TreeNode* parent)
{
    return parent ? parent->m_children : m_topLevel;
}

void TreeControl::renumber(std::vector<std::unique_ptr<TreeNode>>& siblings, int from)
{
    for (size_t i = static_cast<size_t>(from); i < siblings.size(); ++i)
        siblings[i]->m_row = static_cast<int>(i);
}

TreeNode* TreeControl::add(TreeNode* parent, const QString& key, const QString& text, NodeKind kind,
                           int image, int selectedImage)
{
    if (!key.isEmpty() && m_byKey.contains(key)) {
        throw NorvaleError(ErrorNumber::KeyNotUnique,
                           QStringLiteral("Key is not unique in collection"),
                           QStringLiteral("TreeControl"));
    }
    auto& siblings = siblingsOf(parent);
    const int row = static_cast<int>(siblings.size());
    if (!quiet())
        Q_EMIT aboutToInsert(parent, row);
    auto node = std::make_unique<TreeNode>();
    node->m_key = key;
    node->m_text = text;
    node->m_kind = kind;
    node->m_image = image;
    node->m_selectedImage = selectedImage;
    node->m_parent = parent;
    node->m_row = row;
    TreeNode* raw = node.get();
    siblings.push_back(std::move(node));
    if (!key.isEmpty())
        m_byKey.insert(key, raw);
    ++m_nodeCount;
    m_orderValid = false;
    if (!quiet())
        Q_EMIT inserted(raw);
    return raw;
}

void TreeControl::forgetKeys(const TreeNode* node)
{
    if (!node->m_key.isEmpty())
        m_byKey.remove(node->m_key);
    if (m_selected == node)
        m_selected = nullptr;
    --m_nodeCount;
    for (const auto& child : node->m_children)
        forgetKeys(child.get());
}

void TreeControl::remove(TreeNode* node)
{
    if (!quiet())
        Q_EMIT aboutToRemove(node);
    TreeNode* parent = node->m_parent;
    const int row = node->m_row;
    forgetKeys(node);
    auto& siblings = siblingsOf(parent);
    siblings.erase(siblings.begin() + row);
    renumber(siblings, row);
    m_orderValid = false;
    if (!quiet())
        Q_EMIT removed(parent, row);
}

void TreeControl::clear()
{
    if (!quiet())
        Q_EMIT aboutToReset();
    m_topLevel.clear();
    m_byKey.clear();
    m_selected = nullptr;
    m_nodeCount = 0;
    m_order.clear();
    m_orderValid = true;
    if (!quiet())
        Q_EMIT resetDone();
}

void TreeControl::setKey(TreeNode* node, const QString& key)
{
    if (key == node->m_key)
        return;
    if (!key.isEmpty() && m_byKey.contains(key)) {
        throw NorvaleError(ErrorNumber::KeyNotUnique,
                           QStringLiteral("Key is not unique in collection"),
                           QStringLiteral("TreeControl"));
    }
    if (!node->m_key.isEmpty())
        m_byKey.remove(node->m_key);
    node->m_key = key;
    if (!key.isEmpty())
        m_byKey.insert(key, node);
}

void TreeControl::setText(TreeNode* node, const QString& text)
{
    node->m_text = text;
    if (!quiet())
        Q_EMIT changed(node);
}

void TreeControl::setImage(TreeNode* node, int image)
{
    node->m_image = image;
    if (!quiet())
        Q_EMIT changed(node);
}

void TreeControl::setSelectedImage(TreeNode* node, int image)
{
    node->m_selectedImage = image;
    if (!quiet())
        Q_EMIT changed(node);
}

void TreeControl::setStatus(TreeNode* node, const FavoriteStatus& status)
{
    if (node->m_status == status)
        return;
    node->m_status = status;
    if (!quiet())
        Q_EMIT changed(node);
}

void TreeControl::refreshPictures()
{
    if (!quiet())
        Q_EMIT picturesChanged();
}

void TreeControl::setExpanded(TreeNode* node, bool expanded)
{
    if (node->m_expanded == expanded)
        return;
    node->m_expanded = expanded;
    if (!quiet())
        Q_EMIT expandedChanged(node);
}

int TreeControl::count() const
{
    return m_nodeCount;
}

void TreeControl::rebuildOrder() const
{
    m_order.clear();
    m_order.reserve(static_cast<size_t>(m_nodeCount));
    std::vector<const std::vector<std::unique_ptr<TreeNode>>*> stack;
    std::vector<size_t> positions;
    stack.push_back(&m_topLevel);
    positions.push_back(0);
    while (!stack.empty()) {
        const auto& list = *stack.back();
        size_t& pos = positions.back();
        if (pos == list.size()) {
            stack.pop_back();
            positions.pop_back();
            continue;
        }
        TreeNode* node = list[pos++].get();
        m_order.push_back(node);
        node->m_index = static_cast<int>(m_order.size());
        if (!node->m_children.empty()) {
            stack.push_back(&node->m_children);
            positions.push_back(0);
        }
    }
    m_orderValid = true;
}

TreeNode* TreeControl::node(int index) const
{
    if (!m_orderValid)
        rebuildOrder();
    if (index < 1 || index > static_cast<int>(m_order.size()))
        return nullptr;
    return m_order[static_cast<size_t>(index - 1)];
}

int TreeControl::indexOf(const TreeNode* node) const
{
    if (!node)
        return 0;
    if (!m_orderValid)
        rebuildOrder();
    return node->m_index;
}

TreeNode* TreeControl::findByKey(const QString& key) const
{
    return m_byKey.value(key, nullptr);
}

void TreeControl::select(TreeNode* node)
{
    if (m_selected == node)
        return;
    m_selected = node;
    if (!quiet())
        Q_EMIT selectionChanged(node);
}

void TreeControl::ensureVisible(TreeNode* node)
{
    if (!quiet())
        Q_EMIT ensureVisibleRequested(node);
}

TreeControl::Batch::Batch(TreeControl& tree)
    : m_tree(tree)
{
    if (m_tree.m_batchDepth++ == 0)
        Q_EMIT m_tree.aboutToReset();
}

TreeControl::Batch::~Batch()
{
    if (--m_tree.m_batchDepth == 0)
        Q_EMIT m_tree.resetDone();
}

} // namespace norvale
