// The main window's commands, node clicks, label edits and context menus,
// each run on the one user-interface thread.

#include "CommandController.h"

#include "checker/CheckRunner.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "FavoriteTotals.h"
#include "mainwindow/CommandEnablement.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "mainwindow/SelectionDetails.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"

#include <QScopedValueRollback>
#include <QUrl>
#include <utility>

namespace norvale {

namespace {

const QString kMakerSite = QStringLiteral("http://www.brimwick.com/");
const QString kDonationPage = QStringLiteral("http://www.brimwick.com/donate.html");
const QString kHelpFile = QStringLiteral("Norvale.html");
// How long a refused rename's reason stays in the status bar.
constexpr int kRefusalMs = 10000;

} // namespace

CommandController::CommandController(CommandParts parts, CommandSurface* surface)
    : m_parts(std::move(parts))
    , m_ownSurface(surface ? nullptr : std::make_unique<CommandSurface>())
    , m_surface(surface ? *surface : *m_ownSurface)
{
    m_parts.checker.setCommandUpdater([this](CommandState state) { UpdateCommands(state); });
    watchTree();
}

CommandController::~CommandController() = default;

void CommandController::start()
{
    TreeControl& tree = m_parts.tree;
    // The Favorites folder is selected at start, so that Check All works on
    // the first click.
    tree.select(rootNode());
    BuildCommandSurface(m_surface);
    norvale::UpdateCommands(m_surface, DeriveCommandState(tree.selectedItem(), enablement()),
                            enablement());
    m_surface.setTaskText(QStringLiteral("EB_DETAIL1"), QStringLiteral("Favorites Folder"));
    m_surface.setTaskText(QStringLiteral("EB_DETAIL2"),
                          QString::number(tree.count()) + QStringLiteral(" items in tree"));
    m_running = true;
}

void CommandController::UpdateCommands(CommandState state)
{
    // At the end of a run the whole window follows the selection again,
    // the commands among it.
    if (state == CommandState::RunEnded && m_running) {
        showSelection();
        return;
    }
    norvale::UpdateCommands(m_surface, state, enablement());
}

EnablementContext CommandController::enablement() const
{
    return {m_parts.tree, m_parts.state.Checking, m_parts.settings.MoveDead};
}

void CommandController::watchTree()
{
    TreeControl& tree = m_parts.tree;
    QObject::connect(&tree, &TreeControl::selectionChanged, &m_treeWatch,
                     [this](TreeNode* node) { selectionChanged(node); });
    QObject::connect(&tree, &TreeControl::aboutToReset, &m_treeWatch,
                     [this] { m_kept = PlaceOf(m_parts.tree.selectedItem()); });
    QObject::connect(&tree, &TreeControl::resetDone, &m_treeWatch, [this] { restoreSelection(); });
}

void CommandController::selectionChanged(TreeNode* node)
{
    if (m_running && node && !m_quietSelection)
        ShowNodeDetails(node);
}

TreeNode* CommandController::rootNode() const
{
    TreeNode* root = m_parts.tree.findByKey(m_parts.state.FavoritesPath);
    return root ? root : m_parts.tree.node(1);
}

// After a rebuild the node that was selected is selected again, found by
// its path; when it has gone (moved to Dead Favorites, deleted), the node
// that took its place; the root when nothing of its place is left. During
// a run the status bar tells of the run, so the details wait for its end.
void CommandController::restoreSelection()
{
    const QList<NodePath> kept = std::exchange(m_kept, {});
    if (!m_running || m_parts.tree.count() == 0)
        return;
    showTotals();
    TreeNode* node = nullptr;
    for (const NodePath& path : kept) {
        if ((node = FindByPath(m_parts.tree, path)))
            break;
    }
    const QScopedValueRollback quiet(m_quietSelection, m_parts.state.Checking);
    m_parts.tree.select(node ? node : rootNode());
}

// The totals follow every change to the tree: a rebuild, and the end of
// every command (a paste, a delete, a new item, an import).
void CommandController::showTotals()
{
    m_parts.status.setPanelText(1, FavoriteTotalsText(m_parts.tree, m_parts.state.FavoritesPath));
}

// Shows the selected node's details, status and commands, selecting the
// root first when nothing is selected.
void CommandController::showSelection()
{
    showTotals();
    if (TreeNode* node = m_parts.tree.selectedItem()) {
        ShowNodeDetails(node);
        return;
    }
    if (TreeNode* root = rootNode()) {
        m_parts.tree.select(root);
        return;
    }
    norvale::UpdateCommands(m_surface, CommandState::RunEnded, enablement());
}

void CommandController::ShowNodeDetails(TreeNode* node)
{
    DetailsContext context{m_parts.tree,
                           m_surface,
                           m_parts.status,
                           m_parts.shortcuts,
                           [this](CommandState state) { UpdateCommands(state); },
                           [this] { return m_parts.settings.MoveDead; }};
    norvale::ShowNodeDetails(node, context);
}

ContextMenu CommandController::contextMenu()
{
    const ContextMenu choice = ChooseContextMenu(m_parts.tree, m_parts.state.Checking);
    if (choice == ContextMenu::RootFolder)
        UpdateCommands(CommandState::RootSelected);
    return choice;
}

void CommandController::labelEdited(TreeNode* node, const QString& text)
{
    Q_UNUSED(node); // the edit always concerns the selected node
    if (TreeNode* selected = m_parts.tree.selectedItem()) {
        renameNode(text, selected);
        showSelection();
    }
}

RenameOutcome CommandController::renameNode(const QString& newName, TreeNode* node)
{
    const RenameOutcome outcome = m_parts.editor.RenameLink(newName, node);
    const QString name = newName.trimmed();
    QString reason;
    switch (outcome) {
    case RenameOutcome::EmptyName:
        reason = QStringLiteral("Not renamed: a name cannot be empty");
        break;
    case RenameOutcome::UnusableName:
        reason = QStringLiteral("Not renamed: \"%1\" cannot be used as a name").arg(name);
        break;
    case RenameOutcome::NameTaken:
        reason = QStringLiteral("Not renamed: \"%1\" is taken in this folder").arg(name);
        break;
    case RenameOutcome::Renamed:
    case RenameOutcome::Failed: // reported by the editor
        break;
    }
    // A rename that went through takes away an earlier refusal's reason,
    // which would otherwise speak of this one.
    if (!reason.isEmpty())
        m_parts.status.showMessage(reason, kRefusalMs);
    else if (outcome == RenameOutcome::Renamed)
        m_parts.status.showMessage(QString(), 0);
    return outcome;
}

void CommandController::openHelp()
{
    // No help file, no message: the command simply does nothing.
    const QString help = FileSystem::join(m_parts.programFolder, kHelpFile);
    if (m_parts.fileSystem.fileExists(help))
        openAddress(QUrl::fromLocalFile(help).toString());
}

void CommandController::openAddress(const QString& address)
{
    if (UrlOpener* opener = m_parts.opener)
        opener->open(address);
}

void CommandController::runOptions(Command command)
{
    const bool moveDead = m_parts.settings.MoveDead;
    m_dialogs->options(command);
    if (m_parts.settings.MoveDead != moveDead)
        m_parts.favorites.RefreshLinks();
}

void CommandController::RunCommand(Command command)
{
    dispatch(command);
    // Whatever the command changed (a node cut, deleted or renamed, a file
    // rewritten, the tree rebuilt), the window describes the selection again.
    if (command != Command::Exit && m_running && !m_parts.state.Checking)
        showSelection();
}

void CommandController::dispatch(Command command)
{
    TreeNode* selected = m_parts.tree.selectedItem();
    switch (command) {
    case Command::None:
        break;
    case Command::Exit:
        m_dialogs->close();
        break;
    case Command::Cut:
        m_parts.editor.CutNode();
        break;
    case Command::Copy:
        m_parts.editor.CopyNode();
        break;
    case Command::Paste:
        m_parts.editor.PasteNode();
        break;
    case Command::NewFolder:
        m_dialogs->newFolder();
        break;
    case Command::NewFavorite:
        m_dialogs->newFavorite();
        break;
    case Command::Delete:
        m_parts.editor.DeleteNode();
        break;
    case Command::Rename:
        m_dialogs->startRename();
        break;
    case Command::Find:
        m_dialogs->find();
        break;
    case Command::OptionsFromMenu:
    case Command::OptionsFromTaskPane:
    case Command::Properties:
        runOptions(command);
        break;
    case Command::PropertiesOfFavorite:
        if (selected && !selected->isFolder())
            runOptions(Command::Properties);
        break;
    case Command::CheckAll:
        m_parts.checker.CheckAllLinks();
        break;
    case Command::CheckOne:
        m_parts.checker.CheckOneLink();
        showSelection(); // the details tell the new status's reason
        break;
    case Command::CheckFolder:
        m_parts.checker.CheckFolderLinks(selected);
        break;
    case Command::Stop:
        m_parts.checker.stop();
        break;
    case Command::Launch:
    case Command::LaunchFromDetails:
        m_parts.editor.LaunchFavorite();
        break;
    case Command::Refresh:
        m_parts.favorites.RefreshLinks();
        break;
    case Command::Help:
        openHelp();
        break;
    case Command::About:
        m_dialogs->about();
        break;
    case Command::MakerSite:
        openAddress(kMakerSite);
        break;
    case Command::Donate:
        openAddress(kDonationPage);
        break;
    case Command::ImportBookmarks:
        importFromFile();
        break;
    case Command::ExportFavorites:
        exportToFile();
        break;
    case Command::OpenBrowserBookmarks:
        openBrowserBookmarks();
        break;
    }
}

} // namespace norvale
