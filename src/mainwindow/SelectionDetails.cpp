#include "SelectionDetails.h"

#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "platform/CommandSurface.h"
#include "platform/FavoritesFence.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"

namespace norvale {

namespace {

constexpr int kAddressShown = 30;

// Why nothing in a folder linked into Favorites from elsewhere is changed.
const QString kLinkedOut =
    QStringLiteral("Norvale changes nothing here: the folder is linked from outside Favorites");

} // namespace

void ShowNodeDetails(TreeNode* node, DetailsContext& context)
{
    if (!node)
        return;
    const bool favorite = !node->isFolder();
    const TreeNode* folder = favorite ? node->parent() : node;
    CommandState state = CommandState::FavoriteSelected;
    if (!favorite) {
        state = context.tree.selectedItem() == context.tree.node(1)
                    ? (context.moveDead() ? CommandState::DeadFavoritesSelected
                                          : CommandState::RootSelected)
                    : CommandState::FolderSelected;
    }
    context.updateCommands(state);
    if (!folder)
        return;
    context.status.setPanelText(2, QStringLiteral(" ") + QString::number(folder->childCount()) +
                                       QStringLiteral(" Items in ") + folder->text() +
                                       QStringLiteral(" folder "));

    CommandSurface& surface = context.surface;
    surface.suspendDrawing();
    if (!favorite) {
        surface.setTaskText(QStringLiteral("EB_DETAIL1"),
                            folder->text() + QStringLiteral(" folder"));
        surface.setTaskText(QStringLiteral("EB_DETAIL2"), QString::number(folder->childCount()) +
                                                              QStringLiteral(" items in folder"));
        surface.setTaskKind(QStringLiteral("EB_DETAIL2"), TaskItemKind::Text);
        surface.setTaskText(QStringLiteral("EB_DETAIL5"), FavoritesFence::leadsOut(folder->key())
                                                              ? kLinkedOut
                                                              : QStringLiteral(" "));
    } else {
        const LinkInfo info = context.shortcuts.GetLinkInfo(context.tree);
        surface.setTaskText(QStringLiteral("EB_DETAIL1"), info.Name);
        surface.setTaskBold(QStringLiteral("EB_DETAIL1"), true);
        surface.setTaskKind(QStringLiteral("EB_DETAIL2"), TaskItemKind::Link);
        surface.setTaskText(QStringLiteral("EB_DETAIL2"), info.URL.left(kAddressShown));
        surface.setTaskTooltip(QStringLiteral("EB_DETAIL2"), info.URL);
        surface.setTaskText(QStringLiteral("EB_DETAIL3"),
                            FavoritesFence::leadsOut(folder->key()) ? kLinkedOut
                            : info.Rename ? QStringLiteral("Norvale will rename if changed")
                                          : QStringLiteral("Norvale will not rename if changed"));
        surface.setTaskText(QStringLiteral("EB_DETAIL4"),
                            info.Bypass
                                ? QStringLiteral("Norvale will NOT check this this Favorite")
                                : QStringLiteral("Norvale will check this this Favorite"));
        // An empty item would collapse in the pane; a blank keeps its line.
        // Before its first check this session, a favorite tells how long it
        // has been failing, as its file remembers.
        QString reason = node->status().reason;
        if (reason.isEmpty() && info.History.failing())
            reason = QStringLiteral("Failing ") + info.History.sinceText();
        surface.setTaskText(QStringLiteral("EB_DETAIL5"),
                            reason.isEmpty() ? QStringLiteral(" ") : reason);
    }
    surface.resumeDrawing();
}

} // namespace norvale
