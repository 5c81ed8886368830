#include "FindDialog.h"

#include "platform/DialogFlags.h"

#include "platform/TreeControl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace norvale {

namespace {

QPushButton* button(QWidget* parent, int index, const QString& caption, const QString& tip)
{
    auto* result = new QPushButton(caption, parent);
    result->setObjectName(QStringLiteral("btnButton%1").arg(index));
    result->setToolTip(tip);
    return result;
}

} // namespace

FindDialog::FindDialog(TreeControl& tree, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent)
    , m_tree(tree)
    , m_search(tree, boxes)
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Search"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(QStringLiteral("Search For:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtSearchText"));
    m_text->setToolTip(QStringLiteral("Enter the text you wish to search for"));
    label->setBuddy(m_text);

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    m_forward = new QRadioButton(QStringLiteral("Forward"), direction);
    m_forward->setObjectName(QStringLiteral("rForward"));
    m_forward->setToolTip(QStringLiteral("Search from top of Favorites list to bottom"));
    m_forward->setChecked(true);
    m_reverse = new QRadioButton(QStringLiteral("Reverse"), direction);
    m_reverse->setObjectName(QStringLiteral("rReverse"));
    m_reverse->setToolTip(QStringLiteral("Search from bottom of Favorites list to top"));
    auto* directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(m_forward);
    directionLayout->addWidget(m_reverse);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    m_matchCase = new QCheckBox(QStringLiteral("Match Case"), options);
    m_matchCase->setObjectName(QStringLiteral("chkCase"));
    m_matchCase->setToolTip(QStringLiteral("Case sensitivity"));
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_matchCase);
    optionsLayout->addStretch();

    m_find = button(this, 0, QStringLiteral("&Find"), QStringLiteral("Start Search"));
    m_findNext = button(this, 1, QStringLiteral("Find &Next"), QStringLiteral("Get next instance"));
    m_cancel = button(this, 2, QStringLiteral("&Cancel"), QStringLiteral("Close search dialog"));
    m_find->setDefault(true);
    m_find->setEnabled(false);
    m_findNext->setEnabled(false);

    auto* frames = new QHBoxLayout;
    frames->addWidget(direction);
    frames->addWidget(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1);
    layout->addLayout(frames, 1, 0, 1, 2);
    layout->addLayout(buttons, 0, 2, 2, 1);

    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_find->setEnabled(TreeSearch::canSearch(text)); });
    connect(m_find, &QPushButton::clicked, this, &FindDialog::FindFirst);
    connect(m_findNext, &QPushButton::clicked, this, &FindDialog::FindNext);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

FindDialog* FindDialog::showFor(TreeControl& tree, MessageBoxes& boxes, QWidget* owner)
{
    // A closed dialog lingers hidden until its deletion: it does not count.
    FindDialog* dialog = nullptr;
    for (FindDialog* open : owner->findChildren<FindDialog*>(Qt::FindDirectChildrenOnly)) {
        if (open->isVisible())
            dialog = open;
    }
    if (!dialog)
        dialog = new FindDialog(tree, boxes, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void FindDialog::FindFirst()
{
    const auto direction =
        m_forward->isChecked() ? SearchDirection::Forward : SearchDirection::Reverse;
    if (m_search.FindFirst(m_text->text(), direction, m_matchCase->isChecked())) {
        m_findNext->setEnabled(true);
        Q_EMIT nodeFound(m_tree.selectedItem());
    }
}

void FindDialog::FindNext()
{
    if (m_search.FindNext(m_matchCase->isChecked()))
        Q_EMIT nodeFound(m_tree.selectedItem());
}

} // namespace norvale
