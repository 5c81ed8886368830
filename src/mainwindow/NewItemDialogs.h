#pragma once

#include <functional>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace norvale {

// "New Folder": one name. OK (or Enter in the name) asks confirm, which
// says whether the dialog may close and, when not, why (shown in the
// dialog); Cancel closes it.
class NewFolderDialog : public QDialog {
    Q_OBJECT
public:
    NewFolderDialog(std::function<bool(const QString& name, QString& refusal)> confirm,
                    QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_name; }
    QLabel* refusalLabel() const { return m_refusal; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    std::function<bool(const QString&, QString&)> m_confirm;
    QLineEdit* m_name;
    QLabel* m_refusal;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// "Create New Favorite": a description and an address ("http://" to
// start with). confirm may complete the address, which the box then shows,
// and says why it refused, as the new-folder dialog does.
class NewFavoriteDialog : public QDialog {
    Q_OBJECT
public:
    using Confirm =
        std::function<bool(const QString& description, QString& address, QString& refusal)>;
    NewFavoriteDialog(Confirm confirm, QWidget* parent = nullptr);

    QLineEdit* descriptionEdit() const { return m_description; }
    QLineEdit* addressEdit() const { return m_address; }
    QLabel* refusalLabel() const { return m_refusal; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    Confirm m_confirm;
    QLineEdit* m_description;
    QLineEdit* m_address;
    QLabel* m_refusal;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace norvale
