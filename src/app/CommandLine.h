#pragma once

#include <QString>
#include <QStringList>

namespace norvale {

// What the program was asked to do by its arguments.
struct CommandLine {
    enum class Action {
        Window,   // the window (unattended when the words say "/inspect")
        Help,     // print the usage and end
        Version,  // print the version and end
        Open,     // open a favorite's address and end
        Import,   // read a bookmark file into a folder and end
        Export,   // write the favorites as a bookmark file and end
        Browsers, // list the browser profiles with bookmarks and end
        Browser,  // a window on a browser profile's bookmarks (unattended with /inspect)
        Invalid,  // print the error and the usage, end with status 2
    };

    Action action = Action::Window;
    QString words;        // the arguments that are no options, joined by blanks
    QString reportPath;   // /inspect --report FILE
    QString file;         // --open, --import and --export
    QString folder;       // --import's optional FOLDER
    QString browser;      // --browser NAME[:PROFILE]
    bool inspect = false; // --browser with /inspect
    bool print = false;   // --browser with --print
    bool includeDead = false;
    QString error; // one line, for Invalid
    QString usage; // the usage text, for Help and Invalid
};

// Reads the arguments after the program's name. Arguments that are no
// options are kept as they came, so "/inspect" means what it always meant;
// a lone existing .url file is opened as --open opens it.
CommandLine ParseCommandLine(const QStringList& arguments);

} // namespace norvale
