// The main window made for a test: shown at the top-left of the screen with
// its message boxes, file dialogs and the end of the process replaced by
// records the test reads, and the first paint and start-up argument awaited;
// a fresh home folder for each test, so that the recent files and folders the
// window keeps start empty. Also a grid data file of any size.
#pragma once

#include <sys/stat.h>
#include <wx/statusbr.h>

#include <optional>
#include <string>
#include <vector>

#include "app/gui/mainFrame.h"
#include "base/cp932.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra::test {

// A 40 x 40 grid in format 1 (more than 1500 points, so the load shows its
// progress window), Z = x * y.
inline std::string gridFile(int size = 40) {
    std::string text = cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    for (int c = 0; c < size; ++c) {
        text += ',';
        text += std::to_string(c);
    }
    text += "\r\n";
    for (int r = 0; r < size; ++r) {
        text += std::to_string(r);
        for (int c = 0; c < size; ++c) {
            text += ',';
            text += std::to_string(r * c);
        }
        text += "\r\n";
    }
    return text;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        home = dir.file("home");
        mkdir(home.c_str(), 0700);
        useHome(home);
    }
    void TearDown() override {
        if (frame) {
            frame->Destroy();
            pumpFor(50);
        }
        useHome(testHome());   // this test's goes with its scratch folder
    }
    // Creates, shows and waits for the first paint and the start-up argument.
    void open(const std::string& argument = {}) {
        frame = new CMainFrame(argument);
        frame->hooks.message = [this](const std::string& m) { messages.push_back(cp932ToUtf8(m)); };
        frame->hooks.fileName = [this](const FileDialogRequest& request) -> std::optional<std::string> {
            dialogs.push_back(request);
            if (answers.empty()) return std::nullopt;
            std::string a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        frame->hooks.endProcess = [this](int status) { endStatus = status; };
        // The image save's 倍率 dialog answered with OK: what it showed (1x at first).
        frame->hooks.pictureChoice = [](const PictureSaveChoice& last) -> std::optional<PictureSaveChoice> { return last; };
        frame->SetPosition(wxPoint(0, 0));
        frame->Show();
        ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->startupFinished(); }));
        pumpFor(50);
    }
    // Opens the window with a size x size gridFile, written as `name` in the
    // scratch folder; its path.
    std::string openGrid(const std::string& name, int size) {
        const std::string path = dir.file(name);
        writeFile(path, gridFile(size));
        open(path);
        return path;
    }
    wxString pane(int field) { return frame->GetStatusBar()->GetStatusText(field); }
    // Moves the pointer into the view (focus follows it without a window manager).
    wxPoint pointInView(int x, int y) { return frame->canvas()->ClientToScreen(wxPoint(x, y)); }

    CMainFrame* frame = nullptr;
    std::vector<std::string> messages;
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::string> answers;
    std::optional<int> endStatus;   // set when the program would have ended
    ScratchDir dir;
    std::string home;   // this test's $HOME
};

}  // namespace kelvra::test
