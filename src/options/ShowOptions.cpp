#include "ShowOptions.h"

#include "favorites/TreeConventions.h"
#include "OptionsDialog.h"
#include "OptionsForm.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"

namespace norvale {

bool ShowOptionsDialog(OptionsContext& context, int page)
{
    const bool moveDeadBefore = context.settings.MoveDead;
    {
        OptionsForm form(context);
        form.load();
        OptionsDialog dialog(form, context.parent);
        dialog.activate(page);
        dialog.exec();
    }
    return context.settings.MoveDead != moveDeadBefore;
}

bool ShowPropertiesDialog(OptionsContext& context)
{
    const TreeNode* selected = context.tree.selectedItem();
    if (!selected || !selected->parent() || selected->isFolder())
        return false;
    return ShowOptionsDialog(context, PrefPage::Properties);
}

} // namespace norvale
