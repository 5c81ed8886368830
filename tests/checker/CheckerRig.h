#pragma once

// Everything a check run works with, wired by ProgramServices over a temporary folder.

#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "program/ProgramServices.h"
#include "support/FixtureServer.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"
#include "support/TreeLookup.h"

#include <gtest/gtest.h>
#include <QTimeZone>

namespace norvale::test {

// A page on it titled so, answered after the delay in milliseconds.
inline QString titled(const QString& title, const QString& delay = "0")
{
    return server().url(
        FixtureServer::path("/page", {{"delay", delay}, {"body", "<title>" + title + "</title>"}}));
}

// A number the fixture server reports (/count, /peak).
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
        temp.shortcut(QStringLiteral("Favorites/") + relative + QStringLiteral(".url"), url, own);
    }
    // The key of the picture a node shows: a folder's image, a favorite's light.
    QString pictureOf(const TreeNode* node) const
    {
        return images.key(node->isFolder() ? node->image()
                                           : settings.lightImage(node->status().light));
    }
    // The lights of the favorites named, by picture key, in one line.
    QString lightsOf(const QStringList& texts) const
    {
        QStringList keys;
        for (const QString& text : texts) {
            const TreeNode* node = NodeNamed(tree, text);
            keys.append(node ? pictureOf(node) : QStringLiteral("<gone>"));
        }
        return keys.join(QLatin1Char(' '));
    }
    void checkAll()
    {
        favorites.BuildFavoritesTree();
        runner.CheckAllLinks();
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
