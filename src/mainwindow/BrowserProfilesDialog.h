#pragma once

#include "browsers/BrowserBookmarks.h"
#include "platform/BrowserProfileChooser.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QTreeWidget;

namespace norvale {

class MessageBoxes;

// "Open Browser Bookmarks": the browser profiles found, one a row (the
// browser, the profile, its folder and how many bookmarks it holds). Open,
// or a double-click, chooses the selected one. A profile whose bookmarks
// cannot be read says why and cannot be chosen.
class BrowserProfilesDialog : public QDialog {
    Q_OBJECT
public:
    explicit BrowserProfilesDialog(const QList<BrowserProfile>& profiles,
                                   QWidget* parent = nullptr);

    QTreeWidget* profileList() const { return m_list; }
    QPushButton* openButton() const { return m_open; }
    // The key of the profile selected; "" while none that can be opened is.
    QString chosenKey() const;

private:
    QTreeWidget* m_list;
    QPushButton* m_open;
};

// The profiles under the user's home, in the dialog over the window; when
// there is none, a message says so instead.
class QtBrowserProfileChooser : public BrowserProfileChooser {
public:
    QtBrowserProfileChooser(MessageBoxes& boxes, QWidget* parent)
        : m_boxes(boxes)
        , m_parent(parent)
    {}
    QString chooseBrowserProfile() override;

private:
    MessageBoxes& m_boxes;
    QWidget* m_parent;
};

} // namespace norvale
