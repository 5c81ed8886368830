#pragma once

#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"

class QWidget;

namespace norvale {

// Message boxes as real Qt message boxes over the given window.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent)
        : m_parent(parent)
    {}
    MessageAnswer show(const MessageRequest& request) override;

private:
    QWidget* m_parent;
};

class QtFolderChooser : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent)
        : m_parent(parent)
    {}
    QString chooseFolder(const QString& caption) override;

private:
    QWidget* m_parent;
};

} // namespace norvale
