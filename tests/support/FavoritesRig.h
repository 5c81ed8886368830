#pragma once

// The favorites' own parts, real and wired as the program wires them, over a
// temporary folder with program/ inside it. Fixtures derive from it.

#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "platform/UrlOpener.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

namespace norvale::test {

// Remembers what it was asked to open instead of opening it.
class RecordingOpener : public UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

struct FavoritesRig {
    TempFolder m_temp;
    QString m_program = m_temp.folder(QStringLiteral("program"));
    ImageList m_images;
    AppSettings m_settings;
    MainWindowState m_state;
    TreeControl m_tree;
    FileSystem m_fs;
    ScriptedMessageBoxes m_boxes;
    FixedClock m_clock;
    ErrorLog m_log{m_program, m_boxes, m_clock};
    FavoritesTree m_favorites{m_tree, m_settings, m_state, m_fs, m_log, m_program};
    ShortcutFile m_shortcuts{m_settings, m_fs, m_program, nullptr};
    RecordingOpener m_opener;
    FavoriteEditor m_editor{
        {m_tree, m_fs, m_log, m_boxes, m_state, m_favorites, m_shortcuts, &m_opener}};
};

} // namespace norvale::test
