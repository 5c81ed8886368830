#pragma once

#include "platform/TreeControl.h"

namespace norvale::test {

// The first node in display order whose text is text, or null.
inline TreeNode* NodeNamed(const TreeControl& tree, const QString& text)
{
    for (int i = 1; i <= tree.count(); ++i) {
        if (tree.node(i)->text() == text)
            return tree.node(i);
    }
    return nullptr;
}

} // namespace norvale::test
