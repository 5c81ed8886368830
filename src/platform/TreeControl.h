#pragma once

#include "FavoriteStatus.h"

#include <memory>
#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

namespace norvale {

class TreeControl;

// What a node stands for, fixed when it is added: a folder's images (open or
// closed) and a favorite's status change, its kind does not.
enum class NodeKind {
    Favorite,
    Folder,
    FavoritesRoot,     // the top-level node of the favorites folder
    DeadFavoritesRoot, // the top-level node of the dead favorites folder
};

// One node of the tree. Its attributes change only through TreeControl, so
// that views hear of every change.
class TreeNode {
public:
    const QString& key() const { return m_key; }
    const QString& text() const { return m_text; }
    // Whatever the owner attaches to the node; the view never shows it.
    const QString& tag() const { return m_tag; }
    NodeKind kind() const { return m_kind; }
    // Folders and the two top-level nodes hold favorites; a favorite does not.
    bool isFolder() const { return m_kind != NodeKind::Favorite; }
    // A folder's pictures. A favorite's picture is its light's, which only
    // the view knows.
    int image() const { return m_image; }
    int selectedImage() const { return m_selectedImage; }
    // A favorite's last verdict; Unchecked until a check gives it one.
    const FavoriteStatus& status() const { return m_status; }
    bool expanded() const { return m_expanded; }
    TreeNode* parent() const { return m_parent; }
    const std::vector<std::unique_ptr<TreeNode>>& children() const { return m_children; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    TreeNode* child(int row) const { return m_children[static_cast<size_t>(row)].get(); }
    // Position among the parent's children (or among the top-level nodes).
    int row() const { return m_row; }

private:
    friend class TreeControl;
    QString m_key;
    QString m_text;
    QString m_tag;
    NodeKind m_kind = NodeKind::Favorite;
    int m_image = 0;
    int m_selectedImage = 0;
    FavoriteStatus m_status;
    bool m_expanded = false;
    TreeNode* m_parent = nullptr;
    int m_row = 0;
    int m_index = 0; // valid while the tree's display order is
    std::vector<std::unique_ptr<TreeNode>> m_children;
};

// The headless tree: nodes with key, text, images, status and expansion, the node
// collection by index (1-based, in display order) and the selected node.
// A view adapter renders it; logic and tests use it directly.
class TreeControl : public QObject {
    Q_OBJECT
public:
    explicit TreeControl(QObject* parent = nullptr);
    ~TreeControl() override;

    // Appends a node as the last child of parent (top level when null). A
    // non-empty key must be unique in the tree (error 35602 otherwise).
    TreeNode* add(TreeNode* parent, const QString& key, const QString& text, NodeKind kind,
                  int image = 0, int selectedImage = 0);
    void remove(TreeNode* node);
    void clear();

    void setKey(TreeNode* node, const QString& key);
    void setText(TreeNode* node, const QString& text);
    void setTag(TreeNode* node, const QString& tag) { node->m_tag = tag; }
    void setImage(TreeNode* node, int image);
    void setSelectedImage(TreeNode* node, int image);
    void setStatus(TreeNode* node, const FavoriteStatus& status);
    // The pictures that stand for the lights have changed: views redraw
    // every node.
    void refreshPictures();
    void setExpanded(TreeNode* node, bool expanded);

    int count() const;
    TreeNode* node(int index) const; // 1-based display order
    int indexOf(const TreeNode* node) const;
    TreeNode* findByKey(const QString& key) const;
    const std::vector<std::unique_ptr<TreeNode>>& topLevel() const { return m_topLevel; }

    TreeNode* selectedItem() const { return m_selected; }
    void select(TreeNode* node);
    void ensureVisible(TreeNode* node);

    // While a batch is open, views get one reset at its end instead of a
    // signal per node: the way to build or rebuild a large tree.
    class Batch {
    public:
        explicit Batch(TreeControl& tree);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TreeControl& m_tree;
    };

Q_SIGNALS:
    void aboutToReset();
    void resetDone();
    void aboutToInsert(TreeNode* parent, int row);
    void inserted(TreeNode* node);
    void aboutToRemove(TreeNode* node);
    void removed(TreeNode* parent, int row);
    void changed(TreeNode* node);
    void expandedChanged(TreeNode* node);
    void selectionChanged(TreeNode* node);
    void ensureVisibleRequested(TreeNode* node);
    void picturesChanged();

private:
    std::vector<std::unique_ptr<TreeNode>>& siblingsOf(TreeNode* parent);
    void forgetKeys(const TreeNode* node);
    void renumber(std::vector<std::unique_ptr<TreeNode>>& siblings, int from);
    void rebuildOrder() const;
    bool quiet() const { return m_batchDepth > 0; }

    std::vector<std::unique_ptr<TreeNode>> m_topLevel;
    QHash<QString, TreeNode*> m_byKey;
    TreeNode* m_selected = nullptr;
    int m_batchDepth = 0;
    int m_nodeCount = 0;
    mutable std::vector<TreeNode*> m_order; // display order, rebuilt on demand
    mutable bool m_orderValid = true;
};

} // namespace norvale
