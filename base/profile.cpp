// The desktop program's profile (see profile.h).
#include "base/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <iterator>

#include "base/fileIo.h"

namespace kelvra {
namespace {

constexpr const char* kFolderKeys[] = {"dataOpen", "dataSave", "imageSave", "settingsOpen", "settingsSave"};
static_assert(std::size(kFolderKeys) == std::size_t(FileDialogKind::Count));

// A place further out than this, or a size above it, is no window's.
constexpr int kPlaceLimit = 1000000;
// A profile is a few kilobytes; a file far larger is not one.
constexpr long long kProfileSizeLimit = 1 << 20;

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        std::size_t slash = path.find('/');
        parts.push_back(path.substr(0, slash));
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

// Characters of UTF-8 text; a byte that begins none counts as one.
std::size_t charCount(std::string_view text) {
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string escaped(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i]) {
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<int> number(std::string_view text, int low, int high) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

std::string_view trimmedFront(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

std::string_view trimmed(std::string_view text) {
    text = trimmedFront(text);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Calls `line` for every line of `text`, without its line break; stops when it returns false.
template <class Line>
bool eachLine(std::string_view text, Line line) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view one = text.substr(0, end);
        if (!one.empty() && one.back() == '\r') one.remove_suffix(1);
        if (!line(one)) return false;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

// The recent-file number of a key "file1" .. "file16"; 0 for any other key.
int recentFileNumber(std::string_view key) {
    if (key.substr(0, 4) != "file") return 0;
    return number(key.substr(4), 1, int(kMaxRecentFiles)).value_or(0);
}

// Makes the folders of `path` that are missing, each readable by its owner only.
void makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) break;
    }
}

}  // namespace

// ---- the recent-file list ------------------------------------------------------------

void addRecentFile(std::vector<std::string>& files, const std::string& path) {
    removeRecentFile(files, path);
    files.insert(files.begin(), path);
    if (files.size() > kMaxRecentFiles) files.resize(kMaxRecentFiles);
}

void removeRecentFile(std::vector<std::string>& files, const std::string& path) {
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
}

std::string absolutePath(const std::string& path, const std::string& workingFolder) {
    std::vector<std::string_view> kept;
    auto take = [&](std::string_view whole) {
        for (std::string_view part : splitPath(whole)) {
            if (part.empty() || part == ".") continue;
            if (part == "..") {
                if (!kept.empty()) kept.pop_back();
                continue;
            }
            kept.push_back(part);
        }
    };
    if (!isAbsolute(path)) take(workingFolder);
    take(path);
    std::string out;
    for (std::string_view part : kept) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

std::string shortenedPath(const std::string& path, std::size_t maxChars) {
    if (charCount(path) <= maxChars) return path;
    std::vector<std::string_view> parts = splitPath(path);
    const std::size_t name = parts.size() - 1;
    // An absolute path splits into "", the first folder, ..., the name.
    if (parts.size() < 4 || !parts[0].empty()) return path;
    for (std::size_t from = 3; from <= name; ++from) {
        std::string shown = "/";
        shown.append(parts[1]).append("/...");
        for (std::size_t p = from; p <= name; ++p) shown.append("/").append(parts[p]);
        if (charCount(shown) <= maxChars) return shown;
    }
    return std::string(".../").append(parts[name]);
}

std::string recentFileLabel(std::size_t index, const std::string& path) {
    std::string label = index < 9 ? "&" : "";
    label.append(std::to_string(index + 1)).append(" ");
    for (char c : shortenedPath(path)) {
        if (c == '&') label += '&';
        label += c;
    }
    return label;
}

// ---- the file --------------------------------------------------------------------------

std::string profileText(const Profile& profile) {
    std::string out = "# Kelvra: recent files, the main window, the file dialogs' folders. Written by the program.\n";
    if (const std::optional<WindowPlace>& w = profile.window) {
        out += "[window]\nx=" + std::to_string(w->x) + "\ny=" + std::to_string(w->y) +
                "\nwidth=" + std::to_string(w->width) + "\nheight=" + std::to_string(w->height) +
                "\nmaximized=" + std::to_string(int(w->maximized)) + "\n";
    }
    out += "[folders]\n";
    for (std::size_t k = 0; k < profile.lastFolders.size(); ++k)
        if (!profile.lastFolders[k].empty()) out += std::string(kFolderKeys[k]) + "=" + escaped(profile.lastFolders[k]) + "\n";
    out += "[recent]\n";
    for (std::size_t i = 0; i < profile.recentFiles.size() && i < kMaxRecentFiles; ++i)
        out += "file" + std::to_string(i + 1) + "=" + escaped(profile.recentFiles[i]) + "\n";
    return out;
}

std::optional<Profile> parseProfile(std::string_view text) {
    Profile profile;
    WindowPlace place;
    int placeKeys = 0;
    std::array<std::string, kMaxRecentFiles> recent;
    std::string_view section;
    bool whole = eachLine(text, [&](std::string_view line) {
        std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#' || content.front() == ';') return true;
        if (content.front() == '[') {
            if (content.back() != ']') return false;
            section = content.substr(1, content.size() - 2);
            return true;
        }
        // A value keeps its blanks: a path may end in one.
        line.remove_prefix(line.size() - trimmedFront(line).size());
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) return false;
        std::string_view key = trimmed(line.substr(0, equals));
        std::optional<std::string> value = unescaped(line.substr(equals + 1));
        if (!value) return false;
        if (section == "window") {
            struct Field {
                const char* key;
                int* to;
                int low, high;
            };
            int maximized = 0;
            const Field fields[] = {{"x", &place.x, -kPlaceLimit, kPlaceLimit},
                                    {"y", &place.y, -kPlaceLimit, kPlaceLimit},
                                    {"width", &place.width, 1, kPlaceLimit},
                                    {"height", &place.height, 1, kPlaceLimit},
                                    {"maximized", &maximized, 0, 1}};
            for (const Field& f : fields) {
                if (key != f.key) continue;
                std::optional<int> n = number(*value, f.low, f.high);
                if (!n) return false;
                *f.to = *n;
                if (f.to == &maximized) place.maximized = *n != 0;
                else ++placeKeys;
            }
            return true;
        }
        if (section == "folders") {
            for (std::size_t k = 0; k < std::size(kFolderKeys); ++k) {
                if (key != kFolderKeys[k]) continue;
                if (!value->empty() && !isAbsolute(*value)) return false;
                profile.lastFolders[k] = *value;
            }
            return true;
        }
        if (section == "recent") {
            if (int n = recentFileNumber(key)) {
                if (!isAbsolute(*value)) return false;
                recent[std::size_t(n - 1)] = *value;
            }
            return true;
        }
        return true;   // a section of a later version
    });
    if (!whole) return std::nullopt;
    if (placeKeys > 0) {
        if (placeKeys != 4) return std::nullopt;   // a window needs all four
        profile.window = place;
    }
    for (const std::string& path : recent)
        if (!path.empty() && std::find(profile.recentFiles.begin(), profile.recentFiles.end(), path) == profile.recentFiles.end())
            profile.recentFiles.push_back(path);
    return profile;
}

std::vector<std::string> recentFilesOfOldProfile(std::string_view text) {
    std::array<std::string, kMaxRecentFiles> numbered;
    eachLine(text, [&](std::string_view line) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') return false;   // past the entries of the root
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return true;
        int n = recentFileNumber(trimmed(line.substr(0, equals)));
        if (n == 0) return true;
        // The framework quoted a value with blanks at its ends and escaped
        // \n, \r, \t, \\ and \" inside it.
        std::string_view raw = trimmed(line.substr(equals + 1));
        bool quoted = raw.size() >= 2 && raw.front() == '"' && raw.back() == '"';
        if (quoted) raw = raw.substr(1, raw.size() - 2);
        std::string value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            char c = raw[i];
            if (c == '\\' && i + 1 < raw.size()) {
                char e = raw[++i];
                c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            }
            value += c;
        }
        numbered[std::size_t(n - 1)] = value;
        return true;
    });
    std::vector<std::string> files;
    for (const std::string& path : numbered)
        if (isAbsolute(path) && std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
    return files;
}

std::string profilePathFor(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && isAbsolute(xdgConfigHome)) return std::string(xdgConfigHome) + "/kelvra/kelvra.conf";
    if (home && isAbsolute(home)) return std::string(home) + "/.config/kelvra/kelvra.conf";
    return {};
}

std::string profilePath() { return profilePathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

std::string oldProfilePath() {
    const char* home = std::getenv("HOME");
    return home && isAbsolute(home) ? std::string(home) + "/.Kelvra" : std::string();
}

Profile loadProfile() {
    const std::string path = profilePath();
    struct stat st;
    const bool found = !path.empty() && ::stat(path.c_str(), &st) == 0;
    if (found || (!path.empty() && errno != ENOENT)) {
        // There is a file (or one that cannot even be looked at): it alone counts.
        if (!found || !S_ISREG(st.st_mode) || st.st_size > kProfileSizeLimit) return {};
        FileRead file = readWholeFile(path);
        if (!file.ok()) return {};
        return parseProfile(file.bytes.view()).value_or(Profile{});
    }
    Profile profile;
    const std::string old = oldProfilePath();
    if (old.empty() || ::stat(old.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kProfileSizeLimit)
        return profile;
    FileRead file = readWholeFile(old);
    if (file.ok()) profile.recentFiles = recentFilesOfOldProfile(file.bytes.view());
    return profile;
}

bool saveProfile(const Profile& profile) {
    const std::string path = profilePath();
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    makeFolders(folderOf(path));
    return writeFileSafely(path, profileText(profile));
}

}  // namespace kelvra
