#pragma once

// Everything a check run works with, real and wired as the program wires
// it, over a temporary folder: Favorites/ and program/ inside it.

#include "checker/CheckRunner.h"
#include "checker/Probe.h"
#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <QTimeZone>

namespace norvale::test {

// A number the fixture server reports (/count, /peak), asked for over a
// transfer of its own.
inline int FixtureNumber(const FixtureServer& server, const QString& pathAndQuery)
{
    TransferEngine engine;
    TransferControl control(engine);
    control.setRemotePort(server.port());
    control.setRequestTimeout(10);
    return control.OpenURL(server.url(pathAndQuery)).section(QStringLiteral("\r\n\r\n"), 1).toInt();
}

struct CheckerRig {
    CheckerRig()
    {
        settings.Timeout = 1000;
        ChooseLightImages(settings, images);
        state.FavoritesPath = temp.folder(QStringLiteral("Favorites"));
        state.LastRunGmt = QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc());
    }

    // A favorite in the Favorites folder with its address and private lines.
    void favorite(const QString& relative, const QString& url, const QStringList& own = {}) const
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n";
        if (!own.isEmpty())
            bytes += "[Brimwick]\r\n" + own.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        temp.file(QStringLiteral("Favorites/") + relative + QStringLiteral(".url"), bytes);
    }

    TempFolder temp;
    FixedClock clock{QDateTime(QDate(2026, 6, 1), QTime(12, 0))};
    ImageList images;
    AppSettings settings;
    MainWindowState state;
    TreeControl tree;
    FileSystem fs;
    ScriptedMessageBoxes boxes;
    StatusBarModel status{2};
    QString program = temp.folder(QStringLiteral("program"));
    ErrorLog log{program, boxes, clock};
    TransferEngine engine;
    TransferControl control{engine};
    Probe probe{control, settings, clock};
    ShortcutFile shortcuts{settings, fs, program, nullptr};
    FavoritesTree favorites{tree, images, settings, state, fs, log, program};
    FavoriteEditor editor{
        {tree, images, fs, log, boxes, settings, state, favorites, shortcuts, nullptr}};
    CheckRunner runner{{tree, images, settings, state, shortcuts, probe, favorites, editor, status,
                        boxes, log, fs, program, engine, control}};
};

} // namespace norvale::test
