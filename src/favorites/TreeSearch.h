#pragma once

#include <QString>

namespace norvale {

class MessageBoxes;
class TreeControl;
class TreeNode;

enum class SearchDirection { Forward, Reverse };

// Looks for a text in the names of the tree's nodes, folders and favorites
// alike, walking them in index order forwards or backwards. A match becomes
// the tree's selected node. FindFirst starts a search; FindNext goes on from
// the last match with the text, direction and end of that FindFirst. Each
// call reads the tree as it stands then, so a tree that lost nodes in between
// is never walked past its end.
class TreeSearch {
public:
    TreeSearch(TreeControl& tree, MessageBoxes& boxes);

    // Whether a typed text may start a search: something besides spaces.
    static bool canSearch(const QString& text);

    // Searches for text exactly as given (spaces included) from the first
    // node (Forward) or the last (Reverse). True on a match; without one,
    // says "Search Text is not Found".
    bool FindFirst(const QString& text, SearchDirection direction, bool matchCase);
    // Goes on past the node last examined towards the end fixed by FindFirst.
    // matchCase is taken afresh. True on a match; without one, says that the
    // search ended, as often as it is called.
    bool FindNext(bool matchCase);

    const QString& searchText() const { return m_searchText; }
    bool found() const { return m_found; }
    // The index of the node last examined: the match after a successful
    // search, one step past the end after an unsuccessful one.
    int currentIndex() const { return m_currentIndex; }
    int step() const { return m_step; }

private:
    bool walk(Qt::CaseSensitivity compareMode);
    void notFound(const QString& title);

    TreeControl& m_tree;
    MessageBoxes& m_boxes;
    QString m_searchText;
    int m_currentIndex = 0;
    int m_endIndex = 0;
    int m_step = 1;
    bool m_found = false;
};

} // namespace norvale
