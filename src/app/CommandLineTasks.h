#pragma once

namespace norvale {

struct CommandLine;

// The tasks the command line runs without the window; each returns the
// process's exit status and prints its outcome (errors to standard error).

// Opens the address of a .url file in the default browser.
int OpenFavoriteFile(int& argc, char** argv, const CommandLine& line);
// Reads a bookmark file into the Favorites folder or the given folder.
int ImportBookmarkFile(const CommandLine& line);
// Writes the Favorites folder (and, when asked, Dead Favorites) as a
// bookmark file.
int ExportBookmarkFile(const CommandLine& line);

} // namespace norvale
