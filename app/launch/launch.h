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
#include <string_view>

#include "core/fileIo.h"

namespace kelvra {

inline constexpr int kLaunchLineLength = 2000;   // longer lines are read as several pieces

// The value of `key` in a launch file: the first line that begins with the key
// (compared ignoring ASCII case) gives the text after the key and one more
// character, without the line break (CR LF or LF). Absent when the file cannot
// be read, no line matches, or the first matching line's value is empty.
// The file is read as every outside text file is (core/textInput.h).
std::optional<std::string> readLaunchKey(const std::string& path, const std::string& key);
// The same on the text of a launch file already read.
std::optional<std::string> launchKeyOf(std::string_view launchText, const std::string& key);

// A path as the file system wants it: launch files hold CP932 text, file names
// here are UTF-8. A value that is already valid UTF-8 is taken as it is.
std::string launchPathToFileName(const std::string& value);

// What the start-up argument names: a launch file when its first line begins
// with "[", a data file when it does not, or nothing that could be read. The
// argument is read once, whole (a pipe cannot be read a second time), and the
// kind told from the same text that is then loaded or carried out.
enum class StartupFileKind { LaunchFile, DataFile, Unreadable };
StartupFileKind startupKindOf(const FileRead& file);

// What a dropped file is: a settings file when one of its first 11 lines begins
// with "[", a data file when it has at least 5 lines, otherwise nothing to act on
// (also when it cannot be read).
enum class DroppedFileKind { Ignored, SettingsFile, DataFile };
DroppedFileKind classifyDroppedFile(const std::string& path);

}  // namespace kelvra
