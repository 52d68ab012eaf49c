// The start-up argument, launch files and dropped files (see launch.h).
//
// A launch run takes the picture size when it starts, loads the data and the
// settings it names, draws the picture off-screen and writes it as an image
// file; "Soft_On=NO" asks the shell to end the program afterwards, also when a
// file failed (the result says which). Every key is looked up on its own from
// the top of the file, so key order and other lines do not matter.
#include "app/launch/launch.h"

#include <cstdio>
#include <memory>

#include "core/cp932.h"
#include "core/kelvraView.h"

namespace kelvra {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Reads a text file in pieces of at most `limit` characters: a line that fits
// is one piece, a longer one several. Line breaks (LF, or CR LF) are not part
// of a piece.
class PieceReader {
public:
    PieceReader(FILE* f, size_t limit) : f_(f), limit_(limit) {}

    // False at the end of the file. *lineStart tells whether the piece begins a line.
    bool next(std::string* piece, bool* lineStart) {
        piece->clear();
        *lineStart = atLineStart_;
        int c;
        bool any = false;
        while ((c = get()) != EOF) {
            any = true;
            if (c == '\n') {
                atLineStart_ = true;
                return true;
            }
            if (c == '\r') {
                int d = get();
                if (d == '\n' || d == EOF) {
                    atLineStart_ = true;
                    return true;
                }
                unget(d);
            }
            if (piece->size() == limit_) {
                unget(c);
                atLineStart_ = false;
                return true;
            }
            piece->push_back(char(c));
        }
        atLineStart_ = true;
        return any;
    }

private:
    int get() { return pendingCount_ > 0 ? pending_[--pendingCount_] : std::getc(f_); }
    void unget(int c) { pending_[pendingCount_++] = c; }   // at most two in a row

    FILE* f_;
    size_t limit_;
    int pending_[2] = {EOF, EOF};
    int pendingCount_ = 0;
    bool atLineStart_ = true;
};

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = text[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = a - 'A' + 'a';
        if (b >= 'A' && b <= 'Z') b = b - 'A' + 'a';
        if (a != b) return false;
    }
    return true;
}

bool isValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = s[i];
        size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::optional<std::string> readLaunchKey(const std::string& path, const std::string& key) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return std::nullopt;
    PieceReader reader(f.get(), kLaunchLineLength);
    std::string piece;
    bool lineStart;
    while (reader.next(&piece, &lineStart)) {
        if (!startsWithIgnoringCase(piece, key)) continue;
        // The first matching line decides, even when its value is empty.
        if (piece.size() <= key.size() + 1) return std::nullopt;
        return piece.substr(key.size() + 1);
    }
    return std::nullopt;
}

std::string launchPathToFileName(const std::string& value) {
    return isValidUtf8(value) ? value : cp932ToUtf8(value);
}

StartupFileKind probeStartupFile(const std::string& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return StartupFileKind::LaunchFile;
    int first = std::getc(f.get());
    return first == '[' ? StartupFileKind::LaunchFile : StartupFileKind::DataFile;
}

DroppedFileKind classifyDroppedFile(const std::string& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return DroppedFileKind::Ignored;
    // Lines are counted whole: a piece inside a long data line that happens to
    // begin with "[" does not make the file a settings file. Only a line's
    // first byte matters; the piece length only bounds what a long line costs.
    constexpr std::size_t kProbePieceLength = 2500;
    PieceReader reader(f.get(), kProbePieceLength);
    std::string piece;
    bool lineStart;
    int lines = 0;
    while (lines < 11 && reader.next(&piece, &lineStart)) {
        if (!lineStart) continue;
        ++lines;
        if (!piece.empty() && piece[0] == '[') return DroppedFileKind::SettingsFile;
    }
    if (lines == 0) return DroppedFileKind::Ignored;
    return lines >= 5 ? DroppedFileKind::DataFile : DroppedFileKind::Ignored;
}

LaunchResult runLaunchFile(CKelvraView& view, const std::string& path, PixelSize picture) {
    LaunchResult result;
    // Soft_On is honoured whatever failed: the program that wrote the launch
    // file waits for this one to end.
    auto softOn = readLaunchKey(path, "Soft_On");
    result.endProgram = softOn && softOn->size() == 2 && startsWithIgnoringCase(*softOn, "NO");
    if (auto data = readLaunchKey(path, "Data_File_Name")) {
        if (!view.loadDataFile(launchPathToFileName(*data), false)) {
            result.dataLoadFailed = true;
            return result;
        }
    }
    if (auto settingsFile = readLaunchKey(path, "Setting_File_Name"))
        result.settingsLoadFailed = view.loadSettingsFile(launchPathToFileName(*settingsFile)) != 1;

    // The size taken when the launch began, whatever the settings file did to the frame.
    view.initGlState();
    result.picture = view.renderPicture(shownPicture(picture));

    if (auto image = readLaunchKey(path, "Image_File_Name")) {
        result.imageRequested = true;
        result.imageWritten = view.savePicture(shownPicture(picture), launchPathToFileName(*image), &result.picture);
    }
    return result;
}

LaunchResult runStartupArgument(CKelvraView& view, const std::string& path) {
    if (view.startupDone) return {};
    view.startupDone = true;
    if (probeStartupFile(path) == StartupFileKind::LaunchFile)
        return runLaunchFile(view, path, view.host().clientSize());
    view.loadDataFile(path, false);
    return {};
}

}  // namespace kelvra
