// File > 自動再読み込み: while it is on, the window follows the data file it
// shows and loads it again, as F5 does, each time another program has
// written it whole (base/liveFile.h: inotify on the file's folder, a closed
// or renamed-over file, then a quiet spell). wxFileSystemWatcher is not used:
// it reports every write() as a modification and nothing at the close, so
// it cannot tell a whole file from one still being written. The inotify
// descriptor is served by the toolkit's event loop all the same.
//
// Nothing the user is doing is disturbed: a load waits while the window does
// work of its own, while a modal dialog is open and while a drag moves
// (until the button comes up or the pointer has rested for
// kDragRestMilliseconds); changes that come meanwhile are taken as one. No
// message box ever comes from an automatic load: the message pane says what
// happened, with the time ("14:03:27 再読み込み", or why the picture stayed).
#pragma once

#include <wx/event.h>
#include <wx/evtloopsrc.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <algorithm>

#include "base/liveFile.h"

namespace kelvra {

class CViewCanvas;
enum class LiveOutcome;

// A drag whose pointer has rested this long may be interrupted by a load.
inline constexpr int kDragRestMilliseconds = 300;

class CLiveReload : public wxEvtHandler, private wxEventLoopSourceHandler, private wxModalDialogHook {
public:
    explicit CLiveReload(CViewCanvas& canvas);
    ~CLiveReload() override;
    CLiveReload(const CLiveReload&) = delete;
    CLiveReload& operator=(const CLiveReload&) = delete;

    bool on() const { return file_.following(); }
    // The command: on (following the view's data file; a box says why not
    // when its folder cannot be watched), or off.
    void toggle();
    void turnOff();
    // Follows the data file the view shows now (another file opened, the
    // data saved under another name); off when there is none. Called at idle.
    void followDataFile();
    // A drag ended: a load that waited for it goes ahead.
    void dragEnded();

private:
    bool follow();
    void schedule();
    // Milliseconds to wait before a load may run now; 0 when it may.
    int holdOff(LiveClock::time_point now) const;
    void onTimer();
    void showStatus(LiveOutcome outcome, int error = 0);

    // The descriptor is readable: take what inotify reported.
    void OnReadWaiting() override;
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}
    // Counting modal dialogs: none of them expects the data to change under it.
    int Enter(wxDialog*) override {
        ++modalDialogs_;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override { modalDialogs_ = std::max(0, modalDialogs_ - 1); }

    CViewCanvas& canvas_;
    LiveFile file_;
    wxEventLoopSource* source_ = nullptr;
    wxTimer timer_;
    int modalDialogs_ = 0;
};

}  // namespace kelvra
