// A large grid in the desktop program's window: the time from the open to the
// first picture of the data, a drag that turns the graph as a user does it
// (button down, 36 moves of 10 pixels, each shown before the next), its frames
// per second and how many of them were reduced, the time from the button-up to
// the full picture, and the process's peak resident memory at the end.
//
// Needs a display (xvfb-run -a -s "-screen 0 1280x1024x24" ...):
//
//     build/bench/kelvra-window-bench FILE.csv...
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/gui/mainFrame.h"
#include "app/gui/viewCanvas.h"
#include "base/cp932.h"
#include "bench/benchWindow.h"

namespace {

using namespace kelvra;
using Clock = std::chrono::steady_clock;
using bench::pumpUntil;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The canvas's own handlers, as the toolkit calls them for the pointer.
void mouse(CViewCanvas* canvas, wxEventType type, int x, int y) {
    wxMouseEvent event(type);
    event.m_x = x;
    event.m_y = y;
    event.m_leftDown = type != wxEVT_LEFT_UP;
    event.SetEventObject(canvas);
    canvas->ProcessWindowEvent(event);
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

bool runFile(const std::string& path) {
    const Clock::time_point opened = Clock::now();
    auto* frame = new CMainFrame(path);
    frame->SetSize(wxSize(820, 720));
    frame->Show();
    CViewCanvas* canvas = frame->canvas();
    const ReducedGraph& reduced = canvas->view().lists.reduced;
    int painted = 0;
    canvas->framePainted = [&] { ++painted; };
    if (!pumpUntil([&] { return canvas->view().data.dataLoaded && reduced.frames > 0; }, 600)) {
        std::fprintf(stderr, "window-bench: %s: no picture after 600 s\n", path.c_str());
        return false;
    }
    const double firstPicture = since(opened);
    pumpUntil([] { return false; }, 0.5);
    const wxSize size = canvas->GetClientSize();
    const int x0 = size.x / 4, y0 = size.y / 2;
    mouse(canvas, wxEVT_LEFT_DOWN, x0, y0);
    const int framesBefore = reduced.frames, reducedBefore = reduced.reducedFrames;
    const Clock::time_point dragStart = Clock::now();
    for (int i = 1; i <= 36; ++i) {
        const int before = painted;
        mouse(canvas, wxEVT_MOTION, x0 + 10 * i, y0);
        pumpUntil([&] { return painted > before; }, 60);
    }
    const double dragSeconds = since(dragStart);
    const int dragFrames = reduced.frames - framesBefore, dragReduced = reduced.reducedFrames - reducedBefore;
    const int beforeUp = reduced.frames;
    const Clock::time_point up = Clock::now();
    mouse(canvas, wxEVT_LEFT_UP, x0 + 360, y0);
    if (!pumpUntil([&] { return reduced.frames > beforeUp && !reduced.lastFrameReduced; }, 600)) {
        std::fprintf(stderr, "window-bench: %s: no full picture after the drag\n", path.c_str());
        return false;
    }
    const double settle = since(up);
    std::printf("%s: %dx%d  first picture %.2f s, turning %.1f frames/s (%d of %d reduced), "
                "full picture %.2f s after the button-up (full frame %.2f s), peak %.0f MiB\n",
                path.c_str(), canvas->view().data.columnCount, canvas->view().data.rowCount, firstPicture,
                dragFrames / dragSeconds, dragReduced, dragFrames, settle, reduced.fullFrameSeconds, peakMiB());
    std::fflush(stdout);
    canvas->framePainted = nullptr;
    frame->Destroy();
    pumpUntil([] { return false; }, 0.2);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return kelvra::bench::runWithToolkit("kelvra-window-bench", [&] {
        int status = 0;
        for (int i = 1; i < argc; ++i)
            if (!runFile(argv[i])) status = 1;
        return status;
    });
}
