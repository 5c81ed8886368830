#pragma once

namespace norvale {

struct CommandLine;

// --browsers: each browser profile with bookmarks, one a line: the browser,
// NAME:PROFILE, the folder and the number of bookmarks.
int ListBrowserProfiles();
// --browser NAME[:PROFILE] --print: the profile's bookmark tree.
int PrintBrowserBookmarks(const CommandLine& line);

} // namespace norvale
