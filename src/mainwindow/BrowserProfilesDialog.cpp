#include "BrowserProfilesDialog.h"

#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"
#include "platform/DialogFlags.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace norvale {

namespace {

const QString kTitle = QStringLiteral("Open Browser Bookmarks");

// The row of one profile. Its bookmarks are read here, so that the count
// shows and a file that cannot be read is found before its window is
// started for nothing; such a row keeps no key and cannot be selected.
QTreeWidgetItem* rowOf(const BrowserProfile& profile)
{
    const QString name =
        profile.isDefault ? profile.name + QStringLiteral(" (default)") : profile.name;
    QString bookmarks;
    QString key;
    try {
        bookmarks = QString::number(CountBookmarks(ReadBrowserBookmarks(profile)));
        key = profile.folder; // names it even where two profiles share a name
    } catch (const NorvaleError& error) {
        bookmarks = QStringLiteral("unreadable: ") + error.description();
    }
    auto* row = new QTreeWidgetItem({profile.browserName, name, profile.folder, bookmarks});
    row->setData(0, Qt::UserRole, key);
    row->setToolTip(2, profile.folder);
    row->setToolTip(3, bookmarks);
    if (key.isEmpty())
        row->setFlags(Qt::NoItemFlags);
    return row;
}

} // namespace

BrowserProfilesDialog::BrowserProfilesDialog(const QList<BrowserProfile>& profiles, QWidget* parent)
    : QDialog(parent)
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmBrowserProfiles"));
    setWindowTitle(kTitle);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstProfiles"));
    m_list->setHeaderLabels({QStringLiteral("Browser"), QStringLiteral("Profile"),
                             QStringLiteral("Folder"), QStringLiteral("Bookmarks")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const BrowserProfile& profile : profiles)
        m_list->addTopLevelItem(rowOf(profile));
    // The count, or why there is none, takes what is left.
    for (int column = 0; column < m_list->columnCount() - 1; ++column)
        m_list->resizeColumnToContents(column);
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(this);
    m_open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    m_open->setObjectName(QStringLiteral("btnOpen"));
    cancel->setObjectName(QStringLiteral("btnCancel"));
    m_open->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto follow = [this] { m_open->setEnabled(!chosenKey().isEmpty()); };
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, follow);
    // The row double-clicked is the one opened, never the selection it
    // may not have taken (a row that cannot be opened takes none).
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
        if (row->data(0, Qt::UserRole).toString().isEmpty())
            return;
        m_list->setCurrentItem(row);
        accept();
    });
    // The first row that can be opened starts selected.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        if (!row->data(0, Qt::UserRole).toString().isEmpty()) {
            m_list->setCurrentItem(row);
            break;
        }
    }
    follow();
    resize(qMax(sizeHint().width(), 640), sizeHint().height());
}

QString BrowserProfilesDialog::chosenKey() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(0, Qt::UserRole).toString();
}

QString QtBrowserProfileChooser::chooseBrowserProfile()
{
    const QList<BrowserProfile> profiles = DiscoverBrowserProfiles(QDir::homePath());
    if (profiles.isEmpty()) {
        m_boxes.show({QStringLiteral("No browser profile with bookmarks was found."), kTitle,
                      MessageIcon::Information, MessageButtons::Ok});
        return {};
    }
    BrowserProfilesDialog dialog(profiles, m_parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenKey() : QString();
}

} // namespace norvale
