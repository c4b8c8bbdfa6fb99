#pragma once
// The programs the desktop associates with a MIME type, read from the freedesktop desktop entries
// ("applications" under the XDG data folders) and the mimeapps.list files (XDG config folders,
// then "applications" under the data folders), and the argument list that starts one of them on a
// file.
#include <string>
#include <vector>

struct TDesktopApp
{
    std::string Id;       // the desktop file id, "org.example.Viewer.desktop"
    std::string Name;     // Name=
    std::string Exec;     // Exec=, string escapes already resolved
    std::string Icon;     // Icon=
    std::string FileName; // the entry's path
    std::vector<std::string> MimeTypes;
    bool NoDisplay = false;
    bool Hidden = false;
};

// The folders searched, highest precedence first.
struct TXdgFolders
{
    std::vector<std::string> Data;   // XDG_DATA_HOME, then XDG_DATA_DIRS
    std::vector<std::string> Config; // XDG_CONFIG_HOME, then XDG_CONFIG_DIRS
    // From the environment, with the freedesktop defaults for unset variables.
    static TXdgFolders FromEnvironment();
};

// Reads the [Desktop Entry] group of a desktop file; false when it is no application entry.
bool ReadDesktopEntry(const std::string& fileName, const std::string& id, TDesktopApp& app);

// The programs for the type in menu order: the default, the added associations, then every entry
// listing the type; removed associations, hidden entries (Hidden, NoDisplay) and entries without
// Exec are left out, each program once.
std::vector<TDesktopApp> AppsForMimeType(const std::string& mimeType, const TXdgFolders& folders);

// The program and its arguments for opening file with app: Exec split by its quoting rules, the
// file field codes (%f %F %u %U) replaced by the path as one argument (the path added at the end
// when Exec names none), %i by "--icon" and the icon, %c by the name, %k by the entry's path, %%
// by "%"; other field codes dropped. Empty when Exec cannot be split (an open quote) or has a file
// field code anywhere but as an unquoted argument of its own: the path is never part of a longer
// argument. An empty result means the entry cannot open files.
std::vector<std::string> ExpandExecLine(const TDesktopApp& app, const std::string& path);
