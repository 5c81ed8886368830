#include "NewItemDialogs.h"

#include "platform/DialogFlags.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace norvale {

namespace {

// "&OK" and "&Cancel" as the pair of buttons both dialogs end with.
QDialogButtonBox* okCancel(QDialog* dialog, QPushButton** ok, QPushButton** cancel)
{
    auto* buttons = new QDialogButtonBox(dialog);
    *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    *cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    (*ok)->setObjectName(QStringLiteral("btnButton0"));
    (*cancel)->setObjectName(QStringLiteral("btnButton1"));
    (*ok)->setDefault(true);
    QObject::connect(*cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttons;
}

// Where a refused name's reason shows: empty and hidden until there is one.
QLabel* makeRefusalLabel(QDialog* dialog)
{
    auto* label = new QLabel(dialog);
    label->setObjectName(QStringLiteral("lblRefusal"));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00000"));
    label->hide();
    return label;
}

void showRefusal(QLabel* label, const QString& refusal)
{
    label->setText(refusal);
    label->setVisible(!refusal.isEmpty());
}

} // namespace

NewFolderDialog::NewFolderDialog(std::function<bool(const QString&, QString&)> confirm,
                                 QWidget* parent)
    : QDialog(parent)
    , m_confirm(std::move(confirm))
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmNewFolder"));
    setWindowTitle(QStringLiteral("New Folder"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter Name of Folder"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtFolder"));
    layout->addWidget(m_name);
    m_refusal = makeRefusalLabel(this);
    layout->addWidget(m_refusal);
    layout->addWidget(okCancel(this, &m_ok, &m_cancel));
    // Enter in the name reaches OK as the dialog's default button, once; a
    // second path from the line edit would submit the same name twice.
    connect(m_ok, &QPushButton::clicked, this, [this] {
        QString refusal;
        const bool close = m_confirm(m_name->text(), refusal);
        showRefusal(m_refusal, close ? QString() : refusal);
        if (close)
            accept();
    });
}

NewFavoriteDialog::NewFavoriteDialog(Confirm confirm, QWidget* parent)
    : QDialog(parent)
    , m_confirm(std::move(confirm))
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmNewFavorite"));
    setWindowTitle(QStringLiteral("Create New Favorite"));
    setModal(true);
    auto* frame = new QGroupBox(QStringLiteral("New Favorite"), this);
    auto* form = new QFormLayout(frame);
    m_description = new QLineEdit(frame);
    m_description->setObjectName(QStringLiteral("txtDesc"));
    m_address = new QLineEdit(QStringLiteral("http://"), frame);
    m_address->setObjectName(QStringLiteral("txtURL"));
    form->addRow(QStringLiteral("Desc"), m_description);
    form->addRow(QStringLiteral("URL"), m_address);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    m_refusal = makeRefusalLabel(this);
    layout->addWidget(m_refusal);
    layout->addWidget(okCancel(this, &m_ok, &m_cancel));
    connect(m_ok, &QPushButton::clicked, this, [this] {
        QString address = m_address->text();
        QString refusal;
        const bool close = m_confirm(m_description->text(), address, refusal);
        m_address->setText(address);
        showRefusal(m_refusal, close ? QString() : refusal);
        if (close)
            accept();
    });
}

} // namespace norvale
