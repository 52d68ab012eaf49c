// What the desktop program keeps between runs: the recent-file list, the main
// window's place and size, and the last folder of each file dialog.
//
// They live in $XDG_CONFIG_HOME/kelvra/kelvra.conf ($HOME/.config when the
// variable is unset or not an absolute path): a text file of "[section]" and
// "key=value" lines, written whole through the safe writer. A file that
// cannot be read, or that holds a line which is none of those, a comment or a
// blank, or a value out of its range, is damaged and ignored as a whole: the
// program goes on as if there were none, and the next save replaces it. When
// there is no file yet, the recent files of ~/.Kelvra (where the list was
// kept before) are taken over, once: from then on the new file is read.
//
// Paths are the bytes the file system uses, kept absolute. Values escape '\',
// line feed and carriage return as \\, \n and \r.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/viewHost.h"

namespace kelvra {

inline constexpr std::size_t kMaxRecentFiles = 16;
// A recent file longer than this (in characters) is shown shortened.
inline constexpr std::size_t kRecentFileShownChars = 48;

// The main window's outer place and size in screen pixels.
struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool maximized = false;
    bool operator==(const WindowPlace&) const = default;
};

struct Profile {
    std::vector<std::string> recentFiles;   // absolute, newest first
    std::optional<WindowPlace> window;
    std::array<std::string, std::size_t(FileDialogKind::Count)> lastFolders;   // "" for none
    bool operator==(const Profile&) const = default;
};

// ---- the recent-file list ----

// `path` (absolute) goes first; an earlier entry of the same path goes, and
// so does the oldest entry past kMaxRecentFiles.
void addRecentFile(std::vector<std::string>& files, const std::string& path);
void removeRecentFile(std::vector<std::string>& files, const std::string& path);

// `path` made absolute against `workingFolder` (itself absolute), with ".",
// ".." and doubled '/' resolved by name, as a shell shows it: links are not
// followed.
std::string absolutePath(const std::string& path, const std::string& workingFolder);

// A path as the recent-file menu shows it: whole when it has at most
// `maxChars` characters; otherwise the first folder, "...", and as many of the
// last parts as fit ("/home/.../grids/surface.csv"). The file name is always
// shown whole, with "..." before it when not even the first folder fits.
std::string shortenedPath(const std::string& path, std::size_t maxChars = kRecentFileShownChars);

// The menu text of entry `index` (from 0): "&1 " to "&9 " give the first nine
// their mnemonic digit, the rest are numbered without one; '&' in the path
// is doubled so that it shows.
std::string recentFileLabel(std::size_t index, const std::string& path);

// ---- the file ----

std::string profileText(const Profile& profile);
// Nothing when the text is damaged (see above).
std::optional<Profile> parseProfile(std::string_view text);
// The recent files of the old ~/.Kelvra ("file1=" to "file16=" before its
// first section): the absolute ones, in their order. Relative ones are left
// out, since the folder they were relative to is not known.
std::vector<std::string> recentFilesOfOldProfile(std::string_view text);

// Where the file is, from the two variables (either may be null): "" when
// neither gives an absolute folder.
std::string profilePathFor(const char* xdgConfigHome, const char* home);
// The same from the environment, and the old file's place ("" without $HOME).
std::string profilePath();
std::string oldProfilePath();

// The profile as the file says; when there is no file, the old list; when
// the file is damaged, or there is nothing, an empty profile.
Profile loadProfile();
// Writes the profile, creating its folder (mode 0700) as needed. False, with
// errno set, when it could not be written; an old file is then left whole.
bool saveProfile(const Profile& profile);

}  // namespace kelvra
