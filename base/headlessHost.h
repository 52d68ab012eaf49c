// ViewHost for running without a window: the batch renderer and the tests.
// Messages go to stderr in UTF-8, one line each, as command-line tools write
// them: "kelvra-render: path: reason: message" for a failure on a file (the
// path as given, the system's reason in the user's language, the program's
// own message). They are also kept, so callers and tests can see what was
// said. The frame and the client area are both the picture.
#pragma once

#include <string>
#include <vector>

#include "base/viewHost.h"

namespace kelvra {

// The name messages begin with: "kelvra" unless the program sets its own.
void setProgramName(const char* name);
const char* programName();

// A message as a program without a window shows it: one line on stderr, in UTF-8.
void printMessage(const std::string& cp932);
// A failure on a file, on one line: "program: path: reason: text" (no reason
// for error 0, no text when it is empty). The reason is strerror's, in the
// language the environment asks for.
void printFileMessage(const std::string& path, int error, const std::string& cp932);

class HeadlessHost : public ViewHost {
public:
    explicit HeadlessHost(PixelSize picture = {775, 550}) : picture_(picture) {}

    void showMessage(const std::string& text) override;
    // Prints the reason on a line of its own after the message.
    void showMessageWithReason(const std::string& text, const std::string& reason) override;
    void showFileMessage(const std::string& text, const std::string& path, int error) override;
    void invalidate() override { ++invalidations; }
    void settleAfter(int milliseconds) override { settleWait = milliseconds; }
    void setCaption(const std::string& text) override { caption = text; }
    void setStatusPane(int paneId, const std::string& text) override;
    void showStatusMessage(const std::string& text) override { statusMessage = text; }
    void resizeFrame(int width, int height) override {}
    PixelSize frameSize() const override { return picture_; }
    PixelSize clientSize() const override { return picture_; }
    void showLoadProgress(bool, const std::string&, std::uint64_t) override {}
    bool setLoadProgress(int percent) override {
        lastProgress = percent;
        return true;
    }
    void hideLoadProgress() override {}
    std::optional<std::string> askFileName(const FileDialogRequest& request) override;
    // Kept in `notes` and printed; the message pane is left as it is.
    void showNote(const std::string& text) override;
    // Counts the question and takes the choices as they are.
    bool askImport(const std::string& path, ImportForm& form) override {
        ++importQuestions;
        return true;
    }
    void showSelectedData() override { ++selectedDataShows; }

    void setPictureSize(PixelSize size) { picture_ = size; }
    // When false, messages are only recorded (tests keep their output quiet).
    bool printMessages = true;

    std::vector<std::string> messages;   // CP932, in the order shown
    std::vector<std::string> reasons;    // the system's reasons given with them, in order
    std::vector<std::string> paths;      // the files the failures were on, in order
    std::string caption;
    std::string statusPanes[4];          // texts of panes 59143..59146
    std::string statusMessage;           // the message pane; empty: the idle message
    std::vector<std::string> notes;      // the remarks shown, in order
    int importQuestions = 0;             // times the import dialog would have been shown
    int invalidations = 0;
    int settleWait = 0;   // the last wait asked for by settleAfter; tests call viewSettled themselves
    int lastProgress = -1;
    int selectedDataShows = 0;           // times a pick asked for the selected-data window
    // Answers for askFileName, taken from the front; empty means "cancelled".
    std::vector<std::string> fileAnswers;

private:
    PixelSize picture_;
};

}  // namespace kelvra
