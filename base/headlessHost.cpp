#include "base/headlessHost.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/fileIo.h"

namespace kelvra {
namespace {

const char* gProgramName = "kelvra";

}  // namespace

void setProgramName(const char* name) { gProgramName = name; }
const char* programName() { return gProgramName; }

// One fprintf per message: stderr is unbuffered, and a line written at once
// stays whole among the lines of other processes writing to the same place.
void printMessage(const std::string& cp932) {
    std::fprintf(stderr, "%s: %s\n", gProgramName, cp932ToUtf8(cp932).c_str());
}

void printFileMessage(const std::string& path, int error, const std::string& cp932) {
    // A control character would break the line, a NUL cut it off.
    std::string shown = path;
    for (char& c : shown)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = '?';
    std::string line = std::string(gProgramName) + ": " + shown;
    if (error != 0) line += ": " + cp932ToUtf8(systemReason(error));
    if (!cp932.empty()) line += ": " + cp932ToUtf8(cp932);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void HeadlessHost::showMessage(const std::string& text) {
    messages.push_back(text);
    if (printMessages) printMessage(text);
}

void HeadlessHost::showNote(const std::string& text) {
    notes.push_back(text);
    if (printMessages) printMessage(text);
}

void HeadlessHost::showMessageWithReason(const std::string& text, const std::string& reason) {
    showMessage(text);
    if (reason.empty()) return;
    reasons.push_back(reason);
    if (printMessages) printMessage(reason);
}

void HeadlessHost::showFileMessage(const std::string& text, const std::string& path, int error) {
    messages.push_back(text);
    paths.push_back(path);
    if (error != 0) reasons.push_back(systemReason(error));
    if (printMessages) printFileMessage(path, error, text);
}

void HeadlessHost::setStatusPane(int paneId, const std::string& text) {
    int index = paneId - PanePosition;
    if (index >= 0 && index < 4) statusPanes[index] = text;
}

std::optional<std::string> HeadlessHost::askFileName(const FileDialogRequest&) {
    if (fileAnswers.empty()) return std::nullopt;
    std::string answer = fileAnswers.front();
    fileAnswers.erase(fileAnswers.begin());
    if (answer.empty()) return std::nullopt;
    return answer;
}

}  // namespace kelvra
