#pragma once

// Everything a check run works with, real and wired by the program's own
// ProgramServices, over a temporary folder: Favorites/ and program/ inside
// it.

#include "lifecycle/ProgramServices.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
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
    TreeControl tree;
    FileSystem fs;
    ScriptedMessageBoxes boxes;
    StatusBarModel status{2};
    QString program = temp.folder(QStringLiteral("program"));
    TransferEngine engine;
    ProgramServices services{{temp.path(QStringLiteral("registry.reg")), program, fs, clock, boxes,
                              images, tree, status, engine}};
    AppSettings& settings = services.settings();
    MainWindowState& state = services.state();
    FavoritesTree& favorites = services.favorites();
    CheckRunner& runner = services.checker();
};

} // namespace norvale::test
