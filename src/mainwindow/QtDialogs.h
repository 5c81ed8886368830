#pragma once

#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramStarter.h"
#include "platform/UrlOpener.h"

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

// Opens addresses with the desktop's default handler.
class QtUrlOpener : public UrlOpener {
public:
    void open(const QString& address) override;
};

// Starts this program's own executable again, detached from this process.
class QtProgramStarter : public ProgramStarter {
public:
    bool startProgram(const QStringList& arguments) override;
};

} // namespace norvale
