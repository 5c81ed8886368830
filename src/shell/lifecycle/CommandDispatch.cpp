// The main window's commands, node clicks, label edits and context menus,
// each run on the one user-interface thread.

#include "favorites/TreeConventions.h"
#include "MainLifecycle.h"
#include "mainwindow/CommandEnablement.h"
#include "mainwindow/SelectionDetails.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"

#include <QUrl>

namespace norvale {

namespace {

const QString kMakerSite = QStringLiteral("http://www.brimwick.com/");
const QString kDonationPage = QStringLiteral("http://www.brimwick.com/donate.html");
const QString kHelpFile = QStringLiteral("Norvale.html");

void call(const std::function<void()>& action)
{
    if (action)
        action();
}

} // namespace

void MainLifecycle::UpdateCommands(CommandState state)
{
    norvale::UpdateCommands(*m_surface, state,
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
    const ContextMenu choice = ChooseContextMenu(m_parts.tree, m_parts.images, m_state.Checking);
    if (choice == ContextMenu::RootFolder)
        UpdateCommands(CommandState::RootSelected);
    return choice;
}

void MainLifecycle::labelEdited(TreeNode* node, const QString& text)
{
    Q_UNUSED(node); // the edit always concerns the selected node
    if (TreeNode* selected = m_parts.tree.selectedItem())
        m_editor.RenameLink(text, selected);
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
        if (selected && !IsFolderNode(selected, m_parts.images))
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
    }
}

} // namespace norvale
