// The main window's commands, node clicks, label edits and context menus,
// each run on the one user-interface thread.

#include "favorites/TreeConventions.h"
#include "MainLifecycle.h"
#include "mainwindow/CommandEnablement.h"
#include "mainwindow/SelectionDetails.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"

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

void call(const std::function<void()>& action)
{
    if (action)
        action();
}

} // namespace

void MainLifecycle::UpdateCommands(CommandState state)
{
    // At the end of a run the whole window follows the selection again,
    // the commands among it.
    if (state == CommandState::RunEnded && m_running) {
        showSelection();
        return;
    }
    norvale::UpdateCommands(*m_surface, state,
                            {m_parts.tree, m_parts.images, m_state.Checking, m_settings.MoveDead});
}

void MainLifecycle::watchTree()
{
    TreeControl& tree = m_parts.tree;
    QObject::connect(&tree, &TreeControl::selectionChanged, &m_treeWatch,
                     [this](TreeNode* node) { selectionChanged(node); });
    QObject::connect(&tree, &TreeControl::aboutToReset, &m_treeWatch,
                     [this] { m_kept = PathOf(m_parts.tree.selectedItem()); });
    QObject::connect(&tree, &TreeControl::resetDone, &m_treeWatch, [this] { restoreSelection(); });
}

void MainLifecycle::selectionChanged(TreeNode* node)
{
    if (m_running && node && !m_quietSelection)
        ShowNodeDetails(node);
}

TreeNode* MainLifecycle::rootNode() const
{
    TreeNode* root = m_parts.tree.findByKey(m_state.FavoritesPath);
    return root ? root : m_parts.tree.node(1);
}

// After a rebuild the node that was selected is selected again, found by
// its path, or the root when it is gone. During a run the status bar tells
// of the run, so the details wait for its end.
void MainLifecycle::restoreSelection()
{
    const std::optional<NodePath> kept = std::exchange(m_kept, std::nullopt);
    if (!m_running || m_parts.tree.count() == 0)
        return;
    TreeNode* node = kept ? FindByPath(m_parts.tree, *kept) : nullptr;
    const QScopedValueRollback quiet(m_quietSelection, m_state.Checking);
    m_parts.tree.select(node ? node : rootNode());
}

// Shows the selected node's details, status and commands, selecting the
// root first when nothing is selected.
void MainLifecycle::showSelection()
{
    if (TreeNode* node = m_parts.tree.selectedItem()) {
        ShowNodeDetails(node);
        return;
    }
    if (TreeNode* root = rootNode()) {
        m_parts.tree.select(root);
        return;
    }
    norvale::UpdateCommands(*m_surface, CommandState::RunEnded,
                            {m_parts.tree, m_parts.images, m_state.Checking, m_settings.MoveDead});
}

void MainLifecycle::ShowNodeDetails(TreeNode* node)
{
    DetailsContext context{m_parts.tree,
                           m_parts.images,
                           *m_surface,
                           m_parts.status,
                           m_shortcuts,
                           [this](CommandState state) { UpdateCommands(state); },
                           [this] { return m_settings.MoveDead; }};
    norvale::ShowNodeDetails(node, context);
}

ContextMenu MainLifecycle::chooseContextMenu()
{
    const ContextMenu choice = ChooseContextMenu(m_parts.tree, m_state.Checking);
    if (choice == ContextMenu::RootFolder)
        UpdateCommands(CommandState::RootSelected);
    return choice;
}

void MainLifecycle::labelEdited(TreeNode* node, const QString& text)
{
    Q_UNUSED(node); // the edit always concerns the selected node
    if (TreeNode* selected = m_parts.tree.selectedItem()) {
        renameNode(text, selected);
        showSelection();
    }
}

RenameOutcome MainLifecycle::renameNode(const QString& newName, TreeNode* node)
{
    const RenameOutcome outcome = m_editor.RenameLink(newName, node);
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
    if (!reason.isEmpty())
        m_parts.status.showMessage(reason, kRefusalMs);
    return outcome;
}

void MainLifecycle::openHelp()
{
    if (!m_parts.opener)
        return;
    // No help file, no message: the command simply does nothing.
    const QString help = FileSystem::join(m_parts.programFolder, kHelpFile);
    if (m_parts.fs.fileExists(help))
        m_parts.opener->open(QUrl::fromLocalFile(help).toString());
}

void MainLifecycle::runOptions(Command command)
{
    const bool moveDead = m_settings.MoveDead;
    if (m_window.options)
        m_window.options(command);
    if (m_settings.MoveDead != moveDead)
        m_favorites.RefreshLinks();
}

void MainLifecycle::RunCommand(Command command)
{
    runCommand(command);
    // Whatever the command changed (a node cut, deleted or renamed, a file
    // rewritten, the tree rebuilt), the window describes the selection again.
    if (command != Command::Exit && m_running && !m_state.Checking)
        showSelection();
}

void MainLifecycle::runCommand(Command command)
{
    TreeNode* selected = m_parts.tree.selectedItem();
    switch (command) {
    case Command::None:
        break;
    case Command::Exit:
        if (m_window.close)
            m_window.close();
        break;
    case Command::Cut:
        m_editor.CutNode();
        break;
    case Command::Copy:
        m_editor.CopyNode();
        break;
    case Command::Paste:
        m_editor.PasteNode();
        break;
    case Command::NewFolder:
        call(m_window.newFolder);
        break;
    case Command::NewFavorite:
        call(m_window.newFavorite);
        break;
    case Command::Delete:
        m_editor.DeleteNode();
        break;
    case Command::Rename:
        call(m_window.startRename);
        break;
    case Command::Find:
        call(m_window.find);
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
        m_checker.CheckAllLinks();
        break;
    case Command::CheckOne:
        m_checker.CheckOneLink();
        break;
    case Command::CheckFolder:
        m_checker.CheckFolderLinks(selected);
        break;
    case Command::Stop:
        m_checker.stop();
        break;
    case Command::Launch:
    case Command::LaunchFromDetails:
        m_editor.LaunchFavorite();
        break;
    case Command::Refresh:
        m_favorites.RefreshLinks();
        break;
    case Command::Help:
        openHelp();
        break;
    case Command::About:
        call(m_window.about);
        break;
    case Command::MakerSite:
        if (m_parts.opener)
            m_parts.opener->open(kMakerSite);
        break;
    case Command::Donate:
        if (m_parts.opener)
            m_parts.opener->open(kDonationPage);
        break;
    case Command::ImportBookmarks:
        importBookmarks();
        break;
    case Command::ExportFavorites:
        exportFavorites();
        break;
    }
}

} // namespace norvale
