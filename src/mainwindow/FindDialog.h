#pragma once

#include "favorites/TreeSearch.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace norvale {

class MessageBoxes;
class TreeControl;
class TreeNode;

// "Search": the modeless find dialog over the main window's tree. "&Find"
// starts a search with the typed text, direction and case; "Find &Next"
// goes on with the text and direction of that search; "&Cancel" closes it.
// The dialog deletes itself when closed, so each opening starts afresh.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    FindDialog(TreeControl& tree, MessageBoxes& boxes, QWidget* parent = nullptr);

    // The Find command: brings the owner's open find dialog to the front, or
    // opens a new one when there is none.
    static FindDialog* showFor(TreeControl& tree, MessageBoxes& boxes, QWidget* owner);

    QLineEdit* searchEdit() const { return m_text; }
    QRadioButton* forwardButton() const { return m_forward; }
    QRadioButton* reverseButton() const { return m_reverse; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QPushButton* findButton() const { return m_find; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* cancelButton() const { return m_cancel; }
    const TreeSearch& search() const { return m_search; }

Q_SIGNALS:
    // A search selected this node; the dialog keeps the focus.
    void nodeFound(TreeNode* node);

private:
    void FindFirst();
    void FindNext();

    TreeControl& m_tree;
    TreeSearch m_search;
    QLineEdit* m_text;
    QRadioButton* m_forward;
    QRadioButton* m_reverse;
    QCheckBox* m_matchCase;
    QPushButton* m_find;
    QPushButton* m_findNext;
    QPushButton* m_cancel;
};

} // namespace norvale
