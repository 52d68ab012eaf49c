// Launch files and files handed to the program from outside: the start-up
// argument, launch files (another program asks for a picture) and dropped files.
//
// A launch file is CP932 text whose first line begins with "["; each key line
// reads KEY, one separator character (normally "="), then the value up to the
// end of the line. CKelvraView::runLaunchFile carries one out; the functions
// here read and classify files without touching the view.
#pragma once

#include <optional>
#include <string>

namespace kelvra {

inline constexpr int kLaunchLineLength = 2000;   // longer lines are read as several pieces

// The value of `key` in a launch file: the first line that begins with the key
// (compared ignoring ASCII case) gives the text after the key and one more
// character, without the line break (CR LF or LF). Absent when the file cannot
// be read, no line matches, or the first matching line's value is empty.
std::optional<std::string> readLaunchKey(const std::string& path, const std::string& key);

// A path as the file system wants it: launch files hold CP932 text, file names
// here are UTF-8. A value that is already valid UTF-8 is taken as it is.
std::string launchPathToFileName(const std::string& value);

// What the start-up argument names: a launch file when its first line begins
// with "[" or when it cannot be read (the launch then finds no key and only
// redraws), otherwise a data file.
enum class StartupFileKind { LaunchFile, DataFile };
StartupFileKind probeStartupFile(const std::string& path);

// What a dropped file is: a settings file when one of its first 11 lines begins
// with "[", a data file when it has at least 5 lines, otherwise nothing to act on
// (also when it cannot be read).
enum class DroppedFileKind { Ignored, SettingsFile, DataFile };
DroppedFileKind classifyDroppedFile(const std::string& path);

}  // namespace kelvra
