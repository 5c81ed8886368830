#pragma once

namespace norvale {

struct CommandLine;

// --browsers: each browser profile with bookmarks, one a line: the browser,
// NAME:PROFILE, the folder and the number of bookmarks.
int ListBrowserProfiles();
// --browser NAME[:PROFILE]: the profile's bookmark tree; with /inspect every
// bookmark checked, the verdicts printed (and reported), and the tidy
// changes written while the browser is closed, or listed as not written
// and why.
int ShowBrowserBookmarks(int& argc, char** argv, const CommandLine& line);

} // namespace norvale
