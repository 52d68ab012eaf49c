// Launch files and files handed to the program from outside: the start-up
// argument, launch files (another program asks for a picture) and dropped files.
//
// A launch file is CP932 text whose first line begins with "["; each key line
// reads KEY, one separator character (normally "="), then the value up to the
// end of the line. Data_Layout, Data_Separator and Data_Decimal say how a
// data file that is not in the program's own layout is read (the values of
// kelvra-render's --layout, --separator and --decimal). runLaunchFile carries one out on a view; the other
// functions read and classify files without touching the view.
//
// This is the start-up part both shells share, built as a library of its own
// (kelvra_launch) on top of the core: the desktop program runs the start-up
// argument after its first paint and ends on Soft_On=NO; kelvra-render carries
// out a launch file named as its input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/fileIo.h"
#include "base/viewHost.h"
#include "output/imageFiles.h"

namespace kelvra {

class CKelvraView;

inline constexpr int kLaunchLineLength = 2000;   // longer lines are read as several pieces

// The value of `key` in a launch file: the first line that begins with the key
// (compared ignoring ASCII case) gives the text after the key and one more
// character, without the line break (CR LF or LF). Absent when the file cannot
// be read, no line matches, or the first matching line's value is empty.
// The file is read as every outside text file is (base/textInput.h).
std::optional<std::string> readLaunchKey(const std::string& path, const std::string& key);
// The same on the text of a launch file already read.
std::optional<std::string> launchKeyOf(std::string_view launchText, const std::string& key);

// A path as the file system wants it: launch files hold CP932 text, file names
// here are UTF-8. A value that is already valid UTF-8 is taken as it is.
std::string launchPathToFileName(const std::string& value);

// Where a launch file's path points. A relative path is taken from the
// current folder when it is there, so launch files written for the folder a
// program runs in keep working; otherwise from the launch file's folder
// (`launchFolder`, "" when the launch file came from standard input), so a
// launch file kept beside its data works from any folder. For a file to read
// "there" means the file exists; for a file to write (`toWrite`), the folder
// it goes into. When neither place has it, the path stays as it was written.
std::string launchPathFrom(const std::string& fileName, const std::string& launchFolder, bool toWrite);

// What the start-up argument names: a launch file when its first line begins
// with "[", a data file when it does not, or nothing that could be read. The
// argument is read once, whole (a pipe cannot be read a second time), and the
// kind told from the same text that is then loaded or carried out.
enum class StartupFileKind { LaunchFile, DataFile, Unreadable };
StartupFileKind startupKindOf(const FileRead& file);
// The same from the first bytes of a regular file, before the argument runs
// (the desktop program opens a launch file's window at its default size);
// Unreadable for anything else, which may be read only once.
StartupFileKind peekStartupKind(const std::string& path);

// What a dropped file is: a settings file when one of its first 11 lines begins
// with "[", a data file when it has at least 5 lines, otherwise nothing to act on
// (also when it cannot be read).
enum class DroppedFileKind { Ignored, SettingsFile, DataFile };
DroppedFileKind classifyDroppedFile(const std::string& path);

// What a launch file did; the shells decide what follows (exit status, ending).
struct LaunchResult {
    bool noKnownKey = false;           // no line began with one of the four keys: nothing was done
    bool dataLoadFailed = false;       // Data_File_Name named a file that did not load
    bool settingsLoadFailed = false;   // Setting_File_Name named a file that could not be read
    bool imageRequested = false;       // Image_File_Name was present
    bool imageWritten = false;
    bool endProgram = false;           // Soft_On=NO (the desktop program ends)
    // The picture drawn with the loaded data and settings; empty when the data
    // file failed or the size could not be drawn.
    std::optional<ImageBuffer> picture;

    // Every file the launch named was read or written.
    bool succeeded() const {
        return !noKnownKey && !dataLoadFailed && !settingsLoadFailed && (!imageRequested || imageWritten);
    }
};

// What the shells say of a launch file with no known key (CP932). The
// desktop program shows it in a box after the launch, since without
// Soft_On=NO the window stays.
std::string launchWithoutKeysMessage();

// Carries out a launch file on the view: loads the data and settings files it
// names, draws the picture at `picture` size (window-anchored overlays as the
// view lays them out) and writes it where Image_File_Name says. Relative
// paths follow launchPathFrom. Needs the view's GL context current. A file
// in which no line begins with a key (binary, or no launch file at all) does
// nothing and says so in the result.
LaunchResult runLaunchFile(CKelvraView& view, const std::string& path, PixelSize picture);
// The same for the text of a launch file already read from `launchFolder`.
LaunchResult runLaunchText(CKelvraView& view, std::string_view launchText, PixelSize picture,
                           const std::string& launchFolder);

// The start-up argument, once (the view's startupDone), as readTextFile read
// it (the shell reads it first to know its kind; a pipe can be read only
// once): a launch file is carried out at the client size of this moment, a
// data file is loaded from the same bytes, and one that cannot be read gets
// the data file's message that says why.
LaunchResult runStartupArgument(CKelvraView& view, const std::string& path, FileRead file);

}  // namespace kelvra
