// Automatic reload of the data file the window shows (see liveReload.h).
#include "app/gui/liveReload.h"

#include <wx/evtloop.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "app/gui/viewCanvas.h"
#include "base/cp932.h"

namespace kelvra {

CLiveReload::CLiveReload(CViewCanvas& canvas) : canvas_(canvas), timer_(this) {
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { onTimer(); }, timer_.GetId());
    wxModalDialogHook::Register();
}

CLiveReload::~CLiveReload() { turnOff(); }

void CLiveReload::toggle() {
    if (on()) {
        turnOff();
        return;
    }
    if (follow()) return;
    // The user asked, so the box may say why it cannot be done.
    const std::string path = canvas_.view().data.dataFilePath;
    const int error = errno;
    canvas_.showFileMessage(sj("ﾃﾞｰﾀﾌｧｲﾙの変更を見張ることが出来ません。"), path, error);
}

void CLiveReload::turnOff() {
    timer_.Stop();
    delete source_;
    source_ = nullptr;
    file_.stop();
}

bool CLiveReload::follow() {
    const CKelvraView& view = canvas_.view();
    if (!view.data.dataLoaded || !file_.follow(view.data.dataFilePath)) {
        const int error = errno;
        turnOff();
        errno = error;
        return false;
    }
    if (!source_)
        source_ = wxEventLoopBase::AddSourceForFD(file_.descriptor(), this, wxEVENT_SOURCE_INPUT);
    if (source_) return true;
    // Without the event loop's ear no report would ever come: off, and said.
    turnOff();
    errno = EIO;
    return false;
}

void CLiveReload::followDataFile() {
    const CKelvraView& view = canvas_.view();
    if (!on() || (view.data.dataLoaded && view.data.dataFilePath == file_.path())) return;
    if (!follow() && view.data.dataLoaded) {
        // Not asked for at this moment: said in the message pane, not in a box.
        const int error = errno;
        canvas_.showStatusMessage(sj("ﾃﾞｰﾀﾌｧｲﾙの変更を見張ることが出来ません。") + systemReason(error));
    }
}

void CLiveReload::dragEnded() {
    if (on() && file_.due()) timer_.StartOnce(1);
}

void CLiveReload::OnReadWaiting() {
    const FileNews news = file_.takeNews(LiveClock::now());
    if (news.gone) showStatus(LiveOutcome::Gone);
    schedule();
}

void CLiveReload::schedule() {
    const std::optional<LiveClock::time_point> due = file_.due();
    if (!due) {
        timer_.Stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - LiveClock::now()).count();
    timer_.StartOnce(int(std::clamp<long long>(wait, 1, kGrowthMilliseconds)));
}

int CLiveReload::holdOff(LiveClock::time_point now) const {
    constexpr int kRetryMilliseconds = 50;
    if (modalDialogs_ > 0 || canvas_.working() || !canvas_.startupFinished()) return kRetryMilliseconds;
    if (!canvas_.view().state.dragging) return 0;
    const auto rested =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - canvas_.lastDragMotion()).count();
    return rested >= kDragRestMilliseconds ? 0 : int(kDragRestMilliseconds - rested);
}

void CLiveReload::onTimer() {
    if (!on()) return;
    const LiveClock::time_point now = LiveClock::now();
    if (const int wait = holdOff(now); wait > 0) {
        timer_.StartOnce(wait);
        return;
    }
    LiveRead read = file_.read(now);
    switch (read.kind) {
        case LiveRead::Changed: break;
        case LiveRead::Gone: showStatus(LiveOutcome::Gone); break;
        case LiveRead::Whole: {
            LiveOutcome outcome = LiveOutcome::CannotOpen;
            CKelvraView& view = canvas_.view();
            const std::string path = file_.path();
            const int error = read.file.error;
            // The first frame of the new data draws the graph straight, as
            // kelvra-render does: compiling its list first costs more than
            // the frame. The next frame that wants the list builds it, unless
            // the file changes again before.
            view.lists.deferListBuilds = true;
            canvas_.runWithContext([&] {
                outcome = view.loadChangedData(path, std::move(read.file), view.data.pointCount, read.settled, true);
            });
            if (outcome == LiveOutcome::CutShort) file_.waitForGrowth(now);
            showStatus(outcome, error);
            // On the screen now, not when the toolkit gets round to the paint.
            if (outcome == LiveOutcome::Loaded) canvas_.paintNow();
            view.lists.deferListBuilds = false;
            break;
        }
    }
    schedule();
}

void CLiveReload::showStatus(LiveOutcome outcome, int error) {
    canvas_.showStatusMessage(liveStatusText(outcome, file_.path(), error, std::time(nullptr)));
}

}  // namespace kelvra
