#pragma once

#include <functional>
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace norvale {

// "New Folder": one name. OK (or Enter in the name) asks confirm, which
// says whether the dialog may close; Cancel closes it.
class NewFolderDialog : public QDialog {
    Q_OBJECT
public:
    NewFolderDialog(std::function<bool(const QString& name)> confirm, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_name; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    std::function<bool(const QString&)> m_confirm;
    QLineEdit* m_name;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// "Create New Favorite": a description and an address ("http://" to
// start with). confirm may complete the address, which the box then shows.
class NewFavoriteDialog : public QDialog {
    Q_OBJECT
public:
    NewFavoriteDialog(std::function<bool(const QString& description, QString& address)> confirm,
                      QWidget* parent = nullptr);

    QLineEdit* descriptionEdit() const { return m_description; }
    QLineEdit* addressEdit() const { return m_address; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    std::function<bool(const QString&, QString&)> m_confirm;
    QLineEdit* m_description;
    QLineEdit* m_address;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace norvale
