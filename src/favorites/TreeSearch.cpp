#include "TreeSearch.h"

#include "platform/MessageBoxes.h"
#include "platform/TreeControl.h"

#include <algorithm>

namespace norvale {

namespace {

const QString kNotFoundText = QStringLiteral("Search Text is not Found");

Qt::CaseSensitivity compareModeFor(bool matchCase)
{
    return matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

} // namespace

TreeSearch::TreeSearch(TreeControl& tree, MessageBoxes& boxes)
    : m_tree(tree)
    , m_boxes(boxes)
{}

bool TreeSearch::canSearch(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c != QLatin1Char(' '); });
}

bool TreeSearch::FindFirst(const QString& text, SearchDirection direction, bool matchCase)
{
    m_searchText = text;
    if (direction == SearchDirection::Forward) {
        m_currentIndex = 1;
        m_endIndex = m_tree.count();
        m_step = 1;
    } else {
        m_currentIndex = m_tree.count();
        m_endIndex = 1;
        m_step = -1;
    }
    m_found = false;
    if (walk(compareModeFor(matchCase)))
        return true;
    notFound(QStringLiteral("Search Text Not Found"));
    return false;
}

bool TreeSearch::FindNext(bool matchCase)
{
    m_found = false;
    m_currentIndex += m_step;
    if (walk(compareModeFor(matchCase)))
        return true;
    notFound(QStringLiteral("Search Ended"));
    return false;
}

// Walks from the current index to the end index. The end stays the one
// FindFirst fixed, but nodes removed since then are not there to examine:
// a forward walk stops at the tree's last node, a backward one starts there.
bool TreeSearch::walk(Qt::CaseSensitivity compareMode)
{
    const int count = m_tree.count();
    int index = m_currentIndex;
    int end = m_endIndex;
    if (m_step > 0)
        end = std::min(end, count);
    else
        index = std::min(index, count);
    for (; m_step > 0 ? index <= end : index >= end; index += m_step) {
        TreeNode* node = m_tree.node(index);
        if (node && node->text().contains(m_searchText, compareMode)) {
            m_currentIndex = index;
            m_found = true;
            m_tree.select(node);
            m_tree.ensureVisible(node);
            return true;
        }
    }
    // Past the end, so that going on finds nothing more.
    m_currentIndex = m_endIndex + m_step;
    return false;
}

void TreeSearch::notFound(const QString& title)
{
    m_boxes.show({kNotFoundText, title, MessageIcon::Information, MessageButtons::Ok});
}

} // namespace norvale
