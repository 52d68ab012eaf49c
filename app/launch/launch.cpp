// The start-up argument, launch files and dropped files (see launch.h).
//
// A launch run takes the picture size when it starts, loads the data and the
// settings it names, draws the picture off-screen and writes it as an image
// file; "Soft_On=NO" asks the shell to end the program afterwards, also when a
// file failed (the result says which). Every key is looked up on its own from
// the top of the file, so key order and other lines do not matter.
#include "app/launch/launch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/cp932.h"
#include "view/kelvraView.h"
#include "base/textInput.h"

namespace kelvra {
namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = text[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = a - 'A' + 'a';
        if (b >= 'A' && b <= 'Z') b = b - 'A' + 'a';
        if (a != b) return false;
    }
    return true;
}

// Calls piece(text, startsLine) for each piece of at most `limit` characters:
// a line that fits is one piece, a longer one several. Line breaks (LF, or
// CR LF) are not part of a piece. Stops when piece() returns false.
template <typename Piece>
void forEachPiece(std::string_view text, std::size_t limit, Piece piece) {
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t lineBreak = text.find('\n', pos);
        std::size_t next = lineBreak == std::string_view::npos ? text.size() : lineBreak + 1;
        std::string_view line = text.substr(pos, (lineBreak == std::string_view::npos ? text.size() : lineBreak) - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = next;
        bool startsLine = true;
        do {
            if (!piece(line.substr(0, limit), startsLine)) return;
            line.remove_prefix(std::min(limit, line.size()));
            startsLine = false;
        } while (!line.empty());
    }
}

constexpr char kDataKey[] = "Data_File_Name", kSettingsKey[] = "Setting_File_Name", kImageKey[] = "Image_File_Name",
               kSoftOnKey[] = "Soft_On";
const char* const kLaunchKeys[] = {kDataKey, kSettingsKey, kImageKey, kSoftOnKey};

// How the data file is read when it is not in the program's own layout, with
// the values kelvra-render's --layout, --separator and --decimal take.
struct ImportKey {
    const char* key;
    ImportChoice choice;
};
const ImportKey kImportKeys[] = {
    {"Data_Layout", ImportChoice::Layout},
    {"Data_Separator", ImportChoice::Separator},
    {"Data_Decimal", ImportChoice::Decimal},
};
constexpr const char kBadLaunchValueText[] = " の値が使えません: ";

// The folder relative launch paths fall back to: "." for a bare name.
std::string launchFolderOf(const std::string& launchPath) {
    if (launchPath.empty() || launchPath == "-") return {};
    std::string folder = folderOf(launchPath);
    return folder.empty() ? "." : folder;
}

}  // namespace

std::optional<std::string> launchKeyOf(std::string_view launchText, const std::string& key) {
    std::optional<std::string> value;
    forEachPiece(launchText, kLaunchLineLength, [&](std::string_view piece, bool) {
        if (!startsWithIgnoringCase(piece, key)) return true;
        // The first matching line decides, even when its value is empty.
        if (piece.size() > key.size() + 1) value = std::string(piece.substr(key.size() + 1));
        return false;
    });
    return value;
}

std::optional<std::string> readLaunchKey(const std::string& path, const std::string& key) {
    FileRead file = readTextFile(path);
    if (!file.ok()) return std::nullopt;
    return launchKeyOf(file.bytes.view(), key);
}

std::string launchPathToFileName(const std::string& value) {
    return isValidUtf8(value) ? value : cp932ToUtf8(value);
}

std::string launchPathFrom(const std::string& fileName, const std::string& launchFolder, bool toWrite) {
    if (fileName.empty() || fileName[0] == '/' || launchFolder.empty()) return fileName;
    auto there = [toWrite](const std::string& path) {
        struct stat st;
        if (!toWrite) return stat(path.c_str(), &st) == 0;
        std::string folder = folderOf(path);
        return stat(folder.empty() ? "." : folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    if (there(fileName)) return fileName;
    std::string beside = (launchFolder == "/" ? "" : launchFolder) + "/" + fileName;
    return there(beside) ? beside : fileName;
}

StartupFileKind startupKindOf(const FileRead& file) {
    if (!file.ok()) return StartupFileKind::Unreadable;
    return file.bytes.view().starts_with('[') ? StartupFileKind::LaunchFile : StartupFileKind::DataFile;
}

StartupFileKind peekStartupKind(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return StartupFileKind::Unreadable;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return StartupFileKind::Unreadable;
    // Enough for a byte-order mark and the first character after it.
    char first[8];
    ssize_t got = ::read(fd, first, sizeof first);
    ::close(fd);
    FileRead prefix;
    prefix.result = ReadResult::Ok;
    if (got < 0 || !prefix.bytes.assign(std::string_view(first, std::size_t(got))) || !prepareText(&prefix.bytes))
        return StartupFileKind::Unreadable;
    return startupKindOf(prefix);
}

DroppedFileKind classifyDroppedFile(const std::string& path) {
    FileRead file = readTextFile(path);
    if (!file.ok()) return DroppedFileKind::Ignored;
    // Lines are counted whole: a piece inside a long data line that happens to
    // begin with "[" does not make the file a settings file.
    int lines = 0;
    bool settings = false;
    forEachPiece(file.bytes.view(), std::string_view::npos, [&](std::string_view line, bool) {
        ++lines;
        settings = line.starts_with('[');
        return !settings && lines < 11;
    });
    if (settings) return DroppedFileKind::SettingsFile;
    return lines >= 5 ? DroppedFileKind::DataFile : DroppedFileKind::Ignored;
}

LaunchResult runLaunchFile(CKelvraView& view, const std::string& path, PixelSize picture) {
    FileRead file = readTextFile(path);
    return runLaunchText(view, file.ok() ? file.bytes.view() : std::string_view(), picture, launchFolderOf(path));
}

std::string launchWithoutKeysMessage() {
    std::string keys;
    for (const char* key : kLaunchKeys) keys += (keys.empty() ? "" : sj("、")) + key;
    return sj("起動ﾌｧｲﾙに ") + keys + sj(" のどの行もありません。");
}

LaunchResult runLaunchText(CKelvraView& view, std::string_view launchText, PixelSize picture,
                           const std::string& launchFolder) {
    auto pathOf = [&](const std::string& value, bool toWrite) {
        return launchPathFrom(launchPathToFileName(value), launchFolder, toWrite);
    };
    LaunchResult result;
    bool anyKey = false;
    forEachPiece(launchText, kLaunchLineLength, [&](std::string_view piece, bool startsLine) {
        anyKey = startsLine && std::any_of(std::begin(kLaunchKeys), std::end(kLaunchKeys),
                                           [&](const char* key) { return startsWithIgnoringCase(piece, key); });
        return !anyKey;
    });
    if (!anyKey) {
        result.noKnownKey = true;
        return result;
    }
    // Soft_On is honoured whatever failed: the program that wrote the launch
    // file waits for this one to end.
    auto softOn = launchKeyOf(launchText, kSoftOnKey);
    result.endProgram = softOn && softOn->size() == 2 && startsWithIgnoringCase(*softOn, "NO");
    for (const ImportKey& k : kImportKeys) {
        std::optional<std::string> value = launchKeyOf(launchText, k.key);
        if (!value) continue;
        if (std::optional<int> option = optionNamed(k.choice, *value))
            view.state.importChoices.option[std::size_t(k.choice)] = *option;
        else   // said, and the data file read as detected
            view.host().showMessage(k.key + sj(kBadLaunchValueText) + *value);
    }
    if (auto data = launchKeyOf(launchText, kDataKey)) {
        if (!view.loadDataFile(pathOf(*data, false), false)) {
            result.dataLoadFailed = true;
            return result;
        }
    }
    if (auto settingsFile = launchKeyOf(launchText, kSettingsKey))
        result.settingsLoadFailed = !view.loadSettingsFile(pathOf(*settingsFile, false));

    // The size taken when the launch began, whatever the settings file did to the frame.
    view.initGlState();
    result.picture = view.renderPicture(shownPicture(picture));

    if (auto image = launchKeyOf(launchText, kImageKey)) {
        result.imageRequested = true;
        result.imageWritten = view.savePicture(shownPicture(picture), pathOf(*image, true), &result.picture);
    }
    return result;
}

LaunchResult runStartupArgument(CKelvraView& view, const std::string& path, FileRead file) {
    if (view.state.startupDone) return {};
    view.state.startupDone = true;
    if (startupKindOf(file) == StartupFileKind::LaunchFile)
        return runLaunchText(view, file.bytes.view(), view.host().clientSize(), launchFolderOf(path));
    view.loadDataText(path, std::move(file), false);
    return {};
}

}  // namespace kelvra
