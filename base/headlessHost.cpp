#include "base/headlessHost.h"

#include <cstdio>

#include "base/cp932.h"

namespace kelvra {

void printMessage(const std::string& cp932) { std::fprintf(stderr, "kelvra: %s\n", cp932ToUtf8(cp932).c_str()); }

void HeadlessHost::showMessage(const std::string& text) {
    messages.push_back(text);
    if (printMessages) printMessage(text);
}

void HeadlessHost::showNote(const std::string& text) {
    showStatusMessage(text);
    if (printMessages) std::fprintf(stderr, "kelvra: %s\n", cp932ToUtf8(text).c_str());
}

void HeadlessHost::showMessageWithReason(const std::string& text, const std::string& reason) {
    showMessage(text);
    if (reason.empty()) return;
    reasons.push_back(reason);
    if (printMessages) printMessage(reason);
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
