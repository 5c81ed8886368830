#include "CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace norvale {

namespace {

const QString kInspect = QStringLiteral("/inspect");

// Qt's help text, with our own usage lines in place of its first line,
// which would need the application object to name the program.
QString usageText(QCommandLineParser& parser)
{
    const QString help = parser.helpText();
    return QStringLiteral(
               "Usage: norvale [/inspect [--report FILE]]\n"
               "       norvale [--open] FILE.url\n"
               "       norvale --import FILE [FOLDER]\n"
               "       norvale --export FILE [--include-dead]\n"
               "       norvale --browsers\n"
               "       norvale --browser NAME[:PROFILE] [/inspect [--report FILE] | --print]\n\n") +
           help.mid(help.indexOf(QLatin1Char('\n')) + 1) +
           QStringLiteral("\nWith /inspect it checks all favorites unattended and ends.\n");
}

bool isShortcutFile(const QString& word)
{
    return word.endsWith(QLatin1String(".url"), Qt::CaseInsensitive) && QFileInfo(word).isFile();
}

CommandLine invalid(CommandLine line, const QString& error)
{
    line.action = CommandLine::Action::Invalid;
    line.error = error;
    return line;
}

// The options the program takes, with their help texts.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and end.")};
    QCommandLineOption open{
        QStringLiteral("open"),
        QStringLiteral("Open the favorite's address in the default browser and end."),
        QStringLiteral("FILE.url")};
    QCommandLineOption import{
        QStringLiteral("import"),
        QStringLiteral("Read a browser's bookmark file into the Favorites folder, or into "
                       "FOLDER (inside the Favorites folder unless absolute), and end."),
        QStringLiteral("FILE")};
    QCommandLineOption exportOption{
        QStringLiteral("export"),
        QStringLiteral("Write all favorites as a bookmark file that browsers import, and end."),
        QStringLiteral("FILE")};
    QCommandLineOption includeDead{
        QStringLiteral("include-dead"),
        QStringLiteral("With --export: also write the Dead Favorites folder.")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("With /inspect: write the run's report to "
                                             "FILE; .json, .csv or .html."),
                              QStringLiteral("FILE")};
    QCommandLineOption browsers{
        QStringLiteral("browsers"),
        QStringLiteral("List the browser profiles whose bookmarks Norvale reads, and end.")};
    QCommandLineOption browser{
        QStringLiteral("browser"),
        QStringLiteral("Open the window on that browser profile's bookmarks (firefox, chromium, "
                       "chrome, brave, edge, vivaldi; the default profile unless PROFILE is "
                       "named); with /inspect, check and tidy them unattended."),
        QStringLiteral("NAME[:PROFILE]")};
    QCommandLineOption print{
        QStringLiteral("print"),
        QStringLiteral("With --browser: print the bookmarks as a tree and end.")};
};

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keeps a folder of Internet Shortcut (.url) favorites in order."));
    const Options options;
    const auto& [help, version, open, import, exportOption, includeDead, report, browsers, browser,
                 print] = options;
    parser.addOptions(
        {help, version, open, import, exportOption, includeDead, report, browsers, browser, print});

    CommandLine line;
    line.usage = usageText(parser);
    if (!parser.parse(QStringList{QStringLiteral("norvale")} + arguments))
        return invalid(line, parser.errorText());
    const QStringList words = parser.positionalArguments();
    line.words = words.join(QLatin1Char(' '));

    const int tasks = int(parser.isSet(open)) + int(parser.isSet(import)) +
                      int(parser.isSet(exportOption)) + int(parser.isSet(browsers)) +
                      int(parser.isSet(browser)) +
                      int(parser.isSet(report) && !parser.isSet(browser));
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
    } else if (tasks > 1) {
        return invalid(line, QStringLiteral("--open, --import, --export, --browsers, --browser "
                                            "and --report do not go together."));
    } else if (parser.isSet(browsers)) {
        if (!words.isEmpty())
            return invalid(line, QStringLiteral("Unexpected argument: %1").arg(words.first()));
        line.action = CommandLine::Action::Browsers;
    } else if (parser.isSet(browser)) {
        line.inspect = line.words.trimmed() == kInspect;
        if (!words.isEmpty() && !line.inspect)
            return invalid(line, QStringLiteral("Unexpected argument: %1").arg(words.first()));
        if (parser.isSet(report) && !line.inspect)
            return invalid(line, QStringLiteral("--report goes with /inspect only."));
        line.print = parser.isSet(print);
        if (line.print && line.inspect)
            return invalid(line, QStringLiteral("--print does not go with /inspect."));
        line.action = CommandLine::Action::Browser;
        line.browser = parser.value(browser);
        line.reportPath = parser.value(report);
    } else if (parser.isSet(open)) {
        line.action = CommandLine::Action::Open;
        line.file = parser.value(open);
    } else if (parser.isSet(import)) {
        if (words.size() > 1)
            return invalid(line, QStringLiteral("--import takes one FOLDER at most."));
        line.action = CommandLine::Action::Import;
        line.file = parser.value(import);
        line.folder = words.value(0);
    } else if (parser.isSet(exportOption)) {
        line.action = CommandLine::Action::Export;
        line.file = parser.value(exportOption);
        line.includeDead = parser.isSet(includeDead);
    } else if (words.size() == 1 && isShortcutFile(words.first())) {
        // What a file manager runs for a .url file (the desktop entry's %f).
        line.action = CommandLine::Action::Open;
        line.file = words.first();
        return line;
    } else if (parser.isSet(report)) {
        if (line.words.trimmed() != kInspect)
            return invalid(line, QStringLiteral("--report goes with /inspect only."));
        line.reportPath = parser.value(report);
    } else if (!words.isEmpty() && line.words.trimmed() != kInspect) {
        // A stray word would otherwise be dropped and the window opened, as
        // if the file named had been understood.
        return invalid(
            line,
            QStringLiteral("%1 is not a favorite (a .url file) nor an option.").arg(words.first()));
    }
    if (parser.isSet(print) && line.action != CommandLine::Action::Browser &&
        line.action != CommandLine::Action::Help && line.action != CommandLine::Action::Version)
        return invalid(line, QStringLiteral("--print goes with --browser only."));
    if (parser.isSet(includeDead) && line.action != CommandLine::Action::Export &&
        line.action != CommandLine::Action::Help && line.action != CommandLine::Action::Version)
        return invalid(line, QStringLiteral("--include-dead goes with --export only."));
    if ((line.action == CommandLine::Action::Open || line.action == CommandLine::Action::Export) &&
        !words.isEmpty())
        return invalid(line, QStringLiteral("Unexpected argument: %1").arg(words.first()));
    return line;
}

} // namespace norvale
