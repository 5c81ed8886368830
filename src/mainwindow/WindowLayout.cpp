#include "WindowLayout.h"

#include <algorithm>

namespace norvale {

WindowLayout LayOutClientArea(int clientWidth, int clientHeight, int toolbarHeight,
                              int statusBarHeight, int taskPaneWidth)
{
    WindowLayout layout;
    if (clientWidth <= 0)
        return layout;
    const int height = std::max(0, clientHeight - toolbarHeight - statusBarHeight);
    layout.taskPane = QRect(0, toolbarHeight, taskPaneWidth, height);
    layout.tree =
        QRect(taskPaneWidth, toolbarHeight, std::max(0, clientWidth - taskPaneWidth), height);
    return layout;
}

} // namespace norvale
